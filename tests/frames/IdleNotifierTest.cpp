// The idle notification must mean "the user-interface thread has nothing left
// to do": never while events are still queued, always once the queue is empty.
// These tests run once under Qt's default (glib) event dispatcher and once
// with QT_NO_GLIB=1 under its Unix dispatcher.

#include "frames/IdleNotifier.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

namespace kamsel::frames {
namespace {

const QEvent::Type kChainEvent = QEvent::Type(QEvent::User + 17);

// Handles a chain of events, each of which posts the next: the queue never
// runs empty until the last one. Notes whether the idle notification came
// while the chain was still going.
class EventChain : public QObject {
  public:
    EventChain(int length, const int& idleCount) : remaining_(length), idleCount_(idleCount) {}

    void Start() {
        idleAtStart_ = idleCount_;
        QCoreApplication::postEvent(this, new QEvent(kChainEvent));
    }
    bool Finished() const { return remaining_ == 0; }
    bool IdleDuringChain() const { return idleDuringChain_; }
    int Handled() const { return handled_; }

  protected:
    bool event(QEvent* event) override {
        if (event->type() != kChainEvent)
            return QObject::event(event);
        ++handled_;
        if (idleCount_ != idleAtStart_)
            idleDuringChain_ = true;
        if (--remaining_ > 0)
            QCoreApplication::postEvent(this, new QEvent(kChainEvent));
        return true;
    }

  private:
    int remaining_;
    const int& idleCount_;
    int idleAtStart_ = 0;
    bool idleDuringChain_ = false;
    int handled_ = 0;
};

// Runs the loop until quit or a generous safety limit (a failure then shows
// as a missing notification, not as a hang).
void RunLoop(QEventLoop& loop) {
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST(IdleNotifier, UsesTheMechanismOfTheRunningDispatcher) {
    IdleNotifier notifier([](bool&) {});
    const bool unixDispatcher = !qEnvironmentVariableIsEmpty("QT_NO_GLIB");
    EXPECT_EQ(notifier.Kind(), unixDispatcher ? IdleNotifier::Mechanism::AboutToBlock
                                              : IdleNotifier::Mechanism::GlibIdleSource)
        << QAbstractEventDispatcher::instance()->metaObject()->className();
}

TEST(IdleNotifier, AFloodOfQueuedEventsIsNotIdleAndTheEmptyQueueIs) {
    int idleCount = 0;
    QEventLoop loop;
    bool quitOnIdle = true;
    IdleNotifier notifier([&](bool&) {
        ++idleCount;
        if (quitOnIdle)
            loop.quit();
    });

    // The loop runs empty at once: one notification.
    RunLoop(loop);
    ASSERT_EQ(idleCount, 1);
    EXPECT_TRUE(notifier.Waiting());

    // 500 events in a row, each queued while the previous one is handled.
    EventChain chain(500, idleCount);
    chain.Start();
    RunLoop(loop);
    EXPECT_TRUE(chain.Finished());
    EXPECT_EQ(chain.Handled(), 500);
    EXPECT_FALSE(chain.IdleDuringChain());
    // The queue ran empty after the chain: notified again, once.
    EXPECT_EQ(idleCount, 2);
}

TEST(IdleNotifier, WaitingLastsUntilTheNextEventIsHandled) {
    QEventLoop loop;
    IdleNotifier notifier([&](bool&) { loop.quit(); });
    EXPECT_FALSE(notifier.Waiting()); // not before the first notification

    RunLoop(loop);
    ASSERT_TRUE(notifier.Waiting());

    bool waitingWhileHandled = true;
    QTimer::singleShot(0, &loop, [&] { waitingWhileHandled = notifier.Waiting(); });
    RunLoop(loop);
    EXPECT_FALSE(waitingWhileHandled);
    EXPECT_TRUE(notifier.Waiting()); // idle again after that event
}

TEST(IdleNotifier, AHandlerThatIsNotDoneIsAskedAgainWithoutAnEvent) {
    QEventLoop loop;
    int calls = 0;
    int eventsBetween = 0;
    // Counts events seen by the application between notifications.
    class Counter : public QObject {
      public:
        explicit Counter(int& count) : count_(count) {}
        bool eventFilter(QObject*, QEvent*) override {
            ++count_;
            return false;
        }

      private:
        int& count_;
    } counter(eventsBetween);

    IdleNotifier notifier([&](bool& done) {
        ++calls;
        if (calls == 1) {
            // Only from now on: the events before the first idle do not count.
            QCoreApplication::instance()->installEventFilter(&counter);
            eventsBetween = 0;
        }
        done = calls >= 4;
        if (done)
            loop.quit();
    });
    RunLoop(loop);
    QCoreApplication::instance()->removeEventFilter(&counter);
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(eventsBetween, 0);
}

TEST(IdleNotifier, NotificationsStopWithTheSubscription) {
    int calls = 0;
    auto notifier = std::make_unique<IdleNotifier>([&](bool&) { ++calls; });
    notifier.reset();
    QEventLoop loop;
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 0);
}

} // namespace
} // namespace kamsel::frames
