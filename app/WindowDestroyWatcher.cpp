#include "WindowDestroyWatcher.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QMetaObject>

#include <xcb/xcb.h>

namespace kamsel::app {

namespace {

Q_LOGGING_CATEGORY(WindowLog, "kamsel.window")

} // namespace

WindowDestroyWatcher::WindowDestroyWatcher(QWidget& window) : window_(&window) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

WindowDestroyWatcher::~WindowDestroyWatcher() {
    if (QCoreApplication* application = QCoreApplication::instance())
        application->removeNativeEventFilter(this);
}

bool WindowDestroyWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || !window_)
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    // The high bit marks events sent by another client (SendEvent).
    if ((event->response_type & 0x7f) != XCB_DESTROY_NOTIFY)
        return false;
    const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
    const WId own = window_->internalWinId();
    if (own == 0 || destroyed->window != own)
        return false;
    qCWarning(WindowLog, "the main window was destroyed from outside: closing the program");
    // Not from inside Qt's event dispatch: the close stops cameras and runs
    // pending events.
    QMetaObject::invokeMethod(window_.data(), &QWidget::close, Qt::QueuedConnection);
    return false;
}

} // namespace kamsel::app
