#include "WindowMessage.h"

#include "platform/system/QueuedHandOff.h"

#include <QCoreApplication>

namespace kamsel::dshow {

namespace {

// One for every window message of the process: posts are rare (graph events).
system::QueuedHandOff& HandOff() {
    static system::QueuedHandOff handOff;
    return handOff;
}

} // namespace

WindowMessage::WindowMessage(UINT message, WPARAM wParam, LPARAM lParam)
    : QEvent(QEvent::Type(message)), wParam_(wParam), lParam_(lParam) {}

void WindowMessage::Post(QWidget* window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!window)
        return;
    auto* posted = new WindowMessage(message, wParam, lParam);
    HandOff().Publish();
    // The event queue takes ownership of the event.
    QCoreApplication::postEvent(window, posted);
}

const WindowMessage* WindowMessage::Receive(const QEvent& event) {
    HandOff().Receive();
    return dynamic_cast<const WindowMessage*>(&event);
}

} // namespace kamsel::dshow
