#pragma once
// WindowDestroyWatcher: ends the program in order when its main window is
// destroyed from outside. A tool may destroy the window's X11 window directly
// (xdotool windowclose, a session manager's kill of the window alone) instead
// of sending the window manager's close request; Qt takes no notice, and the
// program would run on without a window, cameras streaming and snapshots
// being written. On the X11 destroy notification the watcher asks the window
// to close, which stops the cameras and ends the program as "&Quit" does.
//
// Inert on other platforms (Wayland, offscreen), where no such event exists.
//
// Threads: user-interface thread only (Qt calls native event filters there).

#include <QAbstractNativeEventFilter>
#include <QPointer>
#include <QWidget>

namespace kamsel::app {

class WindowDestroyWatcher : public QAbstractNativeEventFilter {
  public:
    // Watches window, which must outlive this object, from the application's
    // native event stream.
    explicit WindowDestroyWatcher(QWidget& window);
    ~WindowDestroyWatcher() override;
    WindowDestroyWatcher(const WindowDestroyWatcher&) = delete;
    WindowDestroyWatcher& operator=(const WindowDestroyWatcher&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    QPointer<QWidget> window_;
};

} // namespace kamsel::app
