#include "FrameMessageWindow.h"

#include <QCoreApplication>

#include <utility>

namespace kamsel::frames {

FrameMessageWindow::FrameMessageWindow(QEvent::Type message, Procedure procedure)
    : message_(message), procedure_(std::move(procedure)) {}

void FrameMessageWindow::PostFrameMessage(std::int32_t length, int slot) {
    auto* message = new FrameEvent(message_, length, slot);
    handOff_.Publish();
    // The event queue takes ownership of the event.
    QCoreApplication::postEvent(this, message);
}

bool FrameMessageWindow::DefaultProc(QEvent& event) {
    return QObject::event(&event);
}

bool FrameMessageWindow::event(QEvent* event) {
    handOff_.Receive();
    return procedure_(*event);
}

} // namespace kamsel::frames
