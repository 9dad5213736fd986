#include "GraphEventWindow.h"

#include <utility>

namespace kamsel::frames {

GraphEventWindow::GraphEventWindow(dshow::UINT message, Procedure procedure)
    : message_(message), procedure_(std::move(procedure)) {}

bool GraphEventWindow::event(QEvent* event) {
    if (event->type() != QEvent::Type(message_))
        return QWidget::event(event);
    if (const dshow::WindowMessage* notification = dshow::WindowMessage::Receive(*event)) {
        procedure_(notification->LParam());
        return true;
    }
    return QWidget::event(event);
}

} // namespace kamsel::frames
