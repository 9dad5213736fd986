#include "FrameMessageWindow.h"

#include <QCoreApplication>

#include <utility>

namespace kamsel::frames {

FrameMessageWindow::FrameMessageWindow(QEvent::Type message, Procedure procedure)
    : message_(message), procedure_(std::move(procedure)) {}

void FrameMessageWindow::PostFrameMessage(std::int32_t length, int slot) {
    // The event queue takes ownership of the event.
    QCoreApplication::postEvent(this, new FrameEvent(message_, length, slot));
}

bool FrameMessageWindow::DefaultProc(QEvent& event) {
    return QObject::event(&event);
}

bool FrameMessageWindow::event(QEvent* event) {
    return procedure_(*event);
}

} // namespace kamsel::frames
