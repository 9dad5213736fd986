#pragma once
// SnapshotFolderOpener: File > "Open snapshot folder". Makes the folder where
// "Surveillance" saves its snapshots ("Spy/" under the snapshot location), so
// that there is something to show before the first snapshot, and has the
// desktop show it in its file manager. A failure comes back as a message for
// the user that names the folder and the reason.
//
// Threads: user-interface thread.

#include <QString>

#include <functional>

class QUrl;

namespace kamsel::app {

class SnapshotFolderOpener {
  public:
    // Hands a folder's address to the desktop; false when nothing opened it.
    using OpenUrl = std::function<bool(const QUrl&)>;

    // appFolder: as SnapshotLocation gives it, ending in '/', or "" when
    // there is none. Without openUrl, the desktop's (QDesktopServices).
    explicit SnapshotFolderOpener(QString appFolder, OpenUrl openUrl = {});

    // The folder, ending in '/'; "" when there is none.
    QString Folder() const;
    // "" when the folder was shown, else what went wrong.
    QString Open() const;

  private:
    QString appFolder_;
    OpenUrl openUrl_;
};

} // namespace kamsel::app
