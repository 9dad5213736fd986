#include "pane/DeviceFolderWatcher.h"

#include <QDir>

#include <utility>

namespace kamsel::pane {

DeviceFolderWatcher::DeviceFolderWatcher(const QString& folder, std::function<void()> changed,
                                         std::chrono::milliseconds debounce)
    : folder_(folder), changed_(std::move(changed)) {
    quiet_.setSingleShot(true);
    quiet_.setInterval(debounce);
    connect(&quiet_, &QTimer::timeout, this, [this] { FolderChanged(); });
    // Any change restarts the wait; the names are compared once it is quiet.
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, &quiet_, qOverload<>(&QTimer::start));
    told_ = Devices();
    // A folder that cannot be watched leaves the list as the user refreshes it.
    watcher_.addPath(folder_);
}

QSet<QString> DeviceFolderWatcher::Devices() const {
    const QStringList names = QDir(folder_).entryList({QStringLiteral("video*")},
                                                      QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    QSet<QString> devices;
    for (const QString& name : names) {
        bool isNumber = false;
        name.mid(5).toUInt(&isNumber);
        if (isNumber)
            devices.insert(name);
    }
    return devices;
}

void DeviceFolderWatcher::FolderChanged() {
    QSet<QString> now = Devices();
    if (now == told_)
        return;
    told_ = std::move(now);
    if (changed_)
        changed_();
}

} // namespace kamsel::pane
