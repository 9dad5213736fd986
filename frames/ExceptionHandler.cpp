#include "ExceptionHandler.h"

#include <QApplication>
#include <QMessageBox>
#include <QtGlobal>

#include <utility>

namespace kamsel::frames {

namespace {

// Set once at start-up, read by the box: the application's title is
// process-wide, like the application object that holds it.
QString& BoxTitle() {
    static QString title;
    return title;
}

void ShowModalErrorBox(const QString& message) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        qWarning("%s", qUtf8Printable(message));
        return;
    }
    const QString title = BoxTitle().isEmpty() ? QCoreApplication::applicationName() : BoxTitle();
    QMessageBox::critical(QApplication::activeWindow(), title, message);
}

} // namespace

ExceptionHandler::ExceptionHandler(MessageBox box) : box_(std::move(box)) {}

ExceptionHandler& ExceptionHandler::Default() {
    static ExceptionHandler handler(ShowModalErrorBox);
    return handler;
}

void ExceptionHandler::SetTitle(const QString& title) {
    BoxTitle() = title;
}

void ExceptionHandler::HandleException() noexcept {
    try {
        box_(MessageOf(std::current_exception()));
    } catch (...) {
        // Nothing is left to tell the user with; the program goes on.
    }
}

QString ExceptionHandler::MessageOf(const std::exception_ptr& error) {
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
    }
    return QStringLiteral("Unknown error");
}

} // namespace kamsel::frames
