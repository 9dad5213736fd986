#pragma once
// The hidden window of a frame facade that receives its capture graph's event
// notifications. The graph posts them from the streaming thread that saw the
// event (a camera unplugged, a file cut short); this window, living on the
// user-interface thread, hands each to one procedure there, so whatever the
// event leads to (stopping the camera, telling the user) happens on the
// thread that owns the camera. Never shown.

#include "platform/dshow/WindowMessage.h"

#include <QWidget>

#include <functional>

namespace kamsel::frames {

class GraphEventWindow final : public QWidget {
  public:
    // Called for each notification with its instance data.
    using Procedure = std::function<void(dshow::LPARAM instanceData)>;

    // message: the notification's number, as registered with the graph.
    GraphEventWindow(dshow::UINT message, Procedure procedure);

    dshow::HWND Handle() { return dshow::HWND(this); }

  protected:
    bool event(QEvent* event) override;

  private:
    dshow::UINT message_;
    Procedure procedure_;
};

} // namespace kamsel::frames
