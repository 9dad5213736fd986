#pragma once
// TerminationSignals: turns SIGTERM, SIGINT and SIGHUP (a service manager,
// Ctrl+C in a terminal, the end of the desktop session) into an orderly close
// of the main window on the user-interface thread: cameras stopped left then
// right, facades released, exit status 0. The signals' default action would
// kill the program in the middle of a snapshot.
//
// The signal handler only writes the signal's number into a socket pair
// (write() is async-signal-safe); a QSocketNotifier on the other end runs the
// action from the event loop. Signals that arrive while the action runs are
// read and dropped with it: a second Ctrl+C does not close twice.
//
// One object at a time in a process, since signal dispositions are
// process-wide; the dispositions from before come back when it goes.
//
// Threads: created, used and destroyed on the user-interface thread; the
// signal handler runs on whichever thread the kernel picks.

#include <QObject>

#include <array>
#include <csignal>
#include <functional>

class QSocketNotifier;

namespace kamsel::app {

class TerminationSignals : public QObject {
  public:
    // The signals handled, in the order of their dispositions below.
    static constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

    // Throws std::system_error naming the step when the socket pair or a
    // handler cannot be set up.
    explicit TerminationSignals(std::function<void(int signal)> action);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

  private:
    static void Handle(int signal);
    void Drain();

    std::function<void(int signal)> action_;
    // [0] is read by the notifier, [1] written by the handler.
    std::array<int, 2> fds_{-1, -1};
    QSocketNotifier* notifier_ = nullptr;
    std::array<struct sigaction, kSignals.size()> previous_{};
    bool running_ = false; // the action runs; signals meanwhile are dropped
};

} // namespace kamsel::app
