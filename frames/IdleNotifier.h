#pragma once
// The application's idle notification, as one subscription: its handler runs
// on the user-interface thread each time that thread has handled every event
// that was waiting and is about to wait for the next one.
//
// How "the queue has run empty" is seen depends on the event dispatcher:
//
// - glib dispatcher (Qt's default on Debian): an idle source of our own at
//   G_PRIORITY_DEFAULT_IDLE in the thread's main context. glib dispatches a
//   source only when no source of a higher priority is ready, and every Qt
//   source (posted events, window-system events, timers, socket notifiers)
//   runs at G_PRIORITY_DEFAULT, so the source fires only when none of them
//   has anything left. It fires once and is armed again when the thread next
//   handles an event; a source that stayed ready would keep the loop from
//   ever sleeping. Qt's aboutToBlock is no use here: the glib dispatcher
//   emits it before every pass of the loop, with events still queued.
// - Unix dispatcher (QT_NO_GLIB=1): aboutToBlock, which this dispatcher emits
//   only when no posted event is left and it is going to wait.
// - Any other dispatcher, no application, or a thread other than the
//   application's: no notifications.
//
// A posted low-priority probe event was the third candidate; it only sees the
// posted-event queue, not window-system events and timers, and every probe
// would itself wake the loop once more.
//
// Waiting() tells other threads that the user-interface thread is idle right
// now: it turns true at a notification and false when the thread handles its
// next event (an application event filter sees each one). A thread that has
// nothing to do does not run its idle handler again until something happens,
// so "idle a second ago" alone would read a thread waiting for work as busy.
//
// Threads: construct, use and destroy on the application's main thread;
// Waiting() may be asked from any thread.

#include <QObject>

#include <atomic>
#include <functional>

typedef struct _GMainContext GMainContext;

namespace kamsel::frames {

struct GlibIdleSource;

class IdleNotifier final : public QObject {
  public:
    // done starts true; a handler that sets it false is called again at once
    // while the thread stays idle, instead of waiting for the next event. The
    // handler must not throw (it runs inside the event dispatcher).
    using Handler = std::function<void(bool& done)>;

    enum class Mechanism { None, GlibIdleSource, AboutToBlock };

    // Armed at once: the first notification comes when the loop next runs
    // empty.
    explicit IdleNotifier(Handler handler);
    ~IdleNotifier() override;
    IdleNotifier(const IdleNotifier&) = delete;
    IdleNotifier& operator=(const IdleNotifier&) = delete;

    // True between a notification and the next event the thread handles.
    bool Waiting() const noexcept { return waiting_.load(std::memory_order_acquire); }
    Mechanism Kind() const noexcept { return mechanism_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    friend struct GlibIdleSource;

    void AttachGlibSource();
    void AttachAboutToBlock();
    // Runs the handler; returns its done flag.
    bool Notify() noexcept;

    Handler handler_;
    Mechanism mechanism_ = Mechanism::None;
    std::atomic<bool> waiting_{false};
    bool armed_ = true;                // glib: fire when the loop next runs empty
    GMainContext* context_ = nullptr;  // glib: counted reference
    GlibIdleSource* source_ = nullptr; // glib: attached to context_, counted reference
};

} // namespace kamsel::frames
