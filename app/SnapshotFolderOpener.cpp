#include "SnapshotFolderOpener.h"

#include <QDesktopServices>
#include <QUrl>

#include <filesystem>
#include <system_error>
#include <utility>

namespace kamsel::app {

SnapshotFolderOpener::SnapshotFolderOpener(QString appFolder, OpenUrl openUrl)
    : appFolder_(std::move(appFolder)), openUrl_(std::move(openUrl)) {
    if (!openUrl_)
        openUrl_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

QString SnapshotFolderOpener::Folder() const {
    return appFolder_.isEmpty() ? QString() : appFolder_ + QStringLiteral("Spy/");
}

QString SnapshotFolderOpener::Open() const {
    const QString folder = Folder();
    if (folder.isEmpty())
        return QStringLiteral("There is no snapshot folder: neither the program's folder nor a pictures "
                              "folder may be written.");
    std::error_code error;
    std::filesystem::create_directories(folder.toStdString(), error);
    if (error)
        return QStringLiteral("Could not create the snapshot folder %1: %2")
            .arg(folder, QString::fromLocal8Bit(error.message()));
    if (!openUrl_(QUrl::fromLocalFile(folder)))
        return QStringLiteral("Could not open the snapshot folder %1: the desktop has no program that "
                              "shows folders.")
            .arg(folder);
    return {};
}

} // namespace kamsel::app
