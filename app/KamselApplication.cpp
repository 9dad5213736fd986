#include "KamselApplication.h"

#include "ProgramIcons.h"
#include "ProgramInfo.h"
#include "frames/ExceptionHandler.h"

#include <QIcon>
#include <QPixmap>

namespace kamsel::app {

KamselApplication::KamselApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The executable's and the desktop entry's name; the title is what window
    // lists show for the running program.
    setApplicationName(QStringLiteral("kamseldemo"));
    setDesktopFileName(QStringLiteral("kamseldemo"));
    setApplicationDisplayName(QString::fromLatin1(kApplicationTitle));
    setApplicationVersion(QString::fromLatin1(kProgramVersion));
    setWindowIcon(QIcon(QPixmap::fromImage(ProgramIcons::MainIcon())));
}

bool KamselApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        frames::ExceptionHandler::Default().HandleException();
        return false;
    }
}

} // namespace kamsel::app
