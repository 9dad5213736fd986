#pragma once
// DeviceFolderWatcher: tells when a V4L2 device node ("video" followed by its
// number) appears in or disappears from the device folder (/dev), through the
// kernel's file notification (inotify, by way of QFileSystemWatcher). A camera
// plugged in brings several nodes and the system may rename or re-create them
// in quick succession, so changes are gathered until the folder has been quiet
// for the debounce time, and the callback runs once, only when the set of
// device names differs from the one last told.
//
// Threads: the thread that creates it (the user-interface thread).

#include <QFileSystemWatcher>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>

namespace kamsel::pane {

class DeviceFolderWatcher : public QObject {
  public:
    static constexpr std::chrono::milliseconds kDebounce{300};

    DeviceFolderWatcher(const QString& folder, std::function<void()> changed,
                        std::chrono::milliseconds debounce = kDebounce);

    // The device names in the folder now.
    QSet<QString> Devices() const;

  private:
    void FolderChanged();

    QString folder_;
    std::function<void()> changed_;
    QFileSystemWatcher watcher_;
    QTimer quiet_;
    QSet<QString> told_;
};

} // namespace kamsel::pane
