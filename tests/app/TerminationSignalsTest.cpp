#include "TerminationSignals.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <stdexcept>
#include <vector>

namespace kamsel::app {
namespace {

// Runs the event loop until the action has run or a generous bound passed.
void ProcessUntil(const std::vector<int>& seen, std::size_t count) {
    QElapsedTimer timer;
    timer.start();
    while (seen.size() < count && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

TEST(TerminationSignalsTest, SignalsRunTheActionOnTheEventLoopOnceEachAndDispositionsComeBack) {
    struct sigaction before {};
    ASSERT_EQ(::sigaction(SIGTERM, nullptr, &before), 0);
    {
        std::vector<int> seen;
        TerminationSignals handling([&](int signal) {
            seen.push_back(signal);
            // A signal that arrives while the action runs is folded into it.
            std::raise(SIGINT);
            QCoreApplication::processEvents();
        });
        EXPECT_THROW(TerminationSignals([](int) {}), std::logic_error);

        std::raise(SIGTERM);
        EXPECT_TRUE(seen.empty()) << "the action must not run inside the signal handler";
        ProcessUntil(seen, 1);
        ASSERT_EQ(seen, std::vector<int>{SIGTERM});
        QCoreApplication::processEvents();
        EXPECT_EQ(seen.size(), 1u);

        std::raise(SIGHUP);
        ProcessUntil(seen, 2);
        EXPECT_EQ(seen, (std::vector<int>{SIGTERM, SIGHUP}));
    }
    struct sigaction after {};
    ASSERT_EQ(::sigaction(SIGTERM, nullptr, &after), 0);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

} // namespace
} // namespace kamsel::app
