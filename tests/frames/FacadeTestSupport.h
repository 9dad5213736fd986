#pragma once
// Helpers for the frame facade tests: a clock the test sets, an exception
// handler that records instead of showing a box, a streaming thread.

#include "frames/ExceptionHandler.h"
#include "frames/TVideoImage.h"
#include "platform/system/TickSource.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

namespace kamsel::frames::test {

// Ticks set by the test; readable from any thread.
class FakeTickSource final : public system::TickSource {
  public:
    explicit FakeTickSource(std::uint32_t start) : now_(start) {}
    std::uint32_t Now() const noexcept override { return now_.load(); }
    void Set(std::uint32_t tick) { now_.store(tick); }
    void Advance(std::uint32_t milliseconds) { now_.fetch_add(milliseconds); }

  private:
    std::atomic<std::uint32_t> now_;
};

// The application's exception handler with its box replaced by a list.
struct ErrorRecorder {
    std::vector<QString> messages;
    // Runs inside the box, as a modal box runs its own event loop.
    std::function<void()> whileShown;
    ExceptionHandler handler{[this](const QString& message) {
        messages.push_back(message);
        if (whileShown)
            whileShown();
    }};
};

// Runs work on a thread of its own, as the capture streaming thread would,
// and returns when it has finished.
inline void OnStreamingThread(const std::function<void()>& work) {
    std::thread thread(work);
    thread.join();
}

// A sample of length bytes, every byte value.
inline std::vector<std::uint8_t> Sample(std::size_t length, std::uint8_t value) {
    return std::vector<std::uint8_t>(length, value);
}

inline void Deliver(TVideoImage& image, const std::vector<std::uint8_t>& sample) {
    const auto length = std::int32_t(sample.size());
    image.SampleArrived(sample.data(), length);
}

// Delivers the events posted so far on this thread, without letting the event
// loop run empty (no idle notification).
inline void HandlePostedEvents() {
    QCoreApplication::sendPostedEvents();
}

// Runs an event loop until done() holds, checking after every event, or until
// a generous safety limit has passed. Returns done().
inline bool RunEventsUntil(const std::function<bool()>& done, int safetyMilliseconds = 20000) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(5);
    QTimer::singleShot(safetyMilliseconds, &loop, &QEventLoop::quit);
    if (!done())
        loop.exec();
    return done();
}

} // namespace kamsel::frames::test
