#include "SnapshotLocation.h"

#include "platform/system/ExecutablePath.h"

#include <QDir>
#include <QFile>
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

} // namespace

QString SnapshotLocation::AppFolder(const QString& programFolder) {
    if (MayCreateFilesIn(programFolder))
        return WithSlash(programFolder);
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty())
        pictures = QDir::homePath();
    return WithSlash(pictures) + QStringLiteral("KamselDemo/");
}

QString SnapshotLocation::AppFolder() {
    return AppFolder(QString::fromStdString(system::ExecutableDirectory()));
}

} // namespace kamsel::app
