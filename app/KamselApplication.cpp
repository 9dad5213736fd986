#include "KamselApplication.h"

#include "ProgramIcons.h"
#include "ProgramInfo.h"
#include "frames/ExceptionHandler.h"

#include <QIcon>
#include <QPixmap>

namespace kamsel::app {

KamselApplication::KamselApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The executable's and the desktop entry's name; the desktop entry gives
    // window lists the title "Kamsel Demo". The title is not made the
    // application's display name: Qt would append it to every window's title
    // on X11, and each window has a title of its own.
    setApplicationName(QString::fromLatin1(kExecutableName));
    setDesktopFileName(QString::fromLatin1(kExecutableName));
    frames::ExceptionHandler::SetTitle(QString::fromLatin1(kApplicationTitle));
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
