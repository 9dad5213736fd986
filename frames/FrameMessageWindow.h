#pragma once
// The hidden window of a frame facade: an object of the user-interface thread
// that receives the facade's private frame messages and hands every event it
// gets to one window procedure.
//
// The frame message is a posted event of a user event type. Posting is safe
// from any thread and never waits; the event is delivered later by the event
// loop of the thread the window lives on. Destroying the window discards the
// frame messages still queued for it.

#include "platform/system/QueuedHandOff.h"

#include <QEvent>
#include <QObject>

#include <cstdint>
#include <functional>

namespace kamsel::frames {

class FrameMessageWindow final : public QObject {
  public:
    // The frame message. Its length and slot say what was stored when it was
    // posted; the facade's handler takes the newest slot instead, so they are
    // for diagnostics only.
    class FrameEvent final : public QEvent {
      public:
        FrameEvent(QEvent::Type type, std::int32_t length, int slot)
            : QEvent(type), length_(length), slot_(slot) {}
        std::int32_t Length() const { return length_; }
        int Slot() const { return slot_; }

      private:
        std::int32_t length_;
        int slot_;
    };

    // Receives every event of the window and returns whether it was handled;
    // events it does not know go to DefaultProc.
    using Procedure = std::function<bool(QEvent& event)>;

    // Lives on the thread that constructs it. message is the frame message's
    // event type (QEvent::User or above).
    FrameMessageWindow(QEvent::Type message, Procedure procedure);

    // Posts one frame message and returns at once. Any thread; the window must
    // outlive the call.
    void PostFrameMessage(std::int32_t length, int slot);

    // The toolkit's own handling of an event, for events other than the frame
    // message.
    bool DefaultProc(QEvent& event);

  protected:
    bool event(QEvent* event) override;

  private:
    QEvent::Type message_;
    Procedure procedure_;
    // Orders the building of a frame message on the streaming thread before
    // its reading on this window's thread, for the race detector.
    system::QueuedHandOff handOff_;
};

} // namespace kamsel::frames
