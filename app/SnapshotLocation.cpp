#include "SnapshotLocation.h"

#include "platform/system/ExecutablePath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace kamsel::app {

namespace {

QString WithSlash(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// access() answers for this user, its groups and read-only mounts alike.
bool MayCreateFilesIn(const QString& folder) {
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

// The desktop's pictures folder, or "" when there is none. Without a home
// folder Qt puts it straight into the file system's root ("/Pictures"),
// which is nobody's pictures folder.
QString PicturesFolder() {
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty() || QFileInfo(pictures).absoluteDir().isRoot())
        return QString();
    return pictures;
}

} // namespace

QString SnapshotLocation::AppFolder(const QString& programFolder) {
    if (MayCreateFilesIn(programFolder))
        return WithSlash(programFolder);
    const QString pictures = PicturesFolder();
    return pictures.isEmpty() ? QString() : WithSlash(pictures) + QStringLiteral("KamselDemo/");
}

QString SnapshotLocation::AppFolder() {
    return AppFolder(QString::fromStdString(system::ExecutableDirectory()));
}

} // namespace kamsel::app
