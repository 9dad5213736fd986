#pragma once
// A posted window message: the toolkit event through which the layer tells a
// window something from any thread, as the platform's PostMessage does. The
// event's type is the message number (QEvent::User or above); wParam and
// lParam travel with it. Posting never waits; the window's thread receives
// the message later through its event loop, and a window that goes away
// discards the messages still queued for it.

#include "WinTypes.h"

#include <QEvent>

namespace kamsel::dshow {

using WPARAM = std::uintptr_t;
using LPARAM = LONG_PTR;

class WindowMessage final : public QEvent {
  public:
    WindowMessage(UINT message, WPARAM wParam, LPARAM lParam);

    WPARAM WParam() const { return wParam_; }
    LPARAM LParam() const { return lParam_; }

    // Any thread. window must stay alive for the call; the caller makes sure
    // of that (a notify window is unregistered before it goes).
    static void Post(QWidget* window, UINT message, WPARAM wParam, LPARAM lParam);

    // On the window's thread, for each event it receives: the message when
    // event is one, else null. Also orders the posting thread's building of
    // the message before its reading here, for the race detector.
    static const WindowMessage* Receive(const QEvent& event);

  private:
    WPARAM wParam_;
    LPARAM lParam_;
};

} // namespace kamsel::dshow
