#include "TerminationSignals.h"

#include <QLoggingCategory>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <system_error>

#include <sys/socket.h>
#include <unistd.h>

namespace kamsel::app {

namespace {

Q_LOGGING_CATEGORY(SignalLog, "kamsel.signal")

// The socket the handler writes to. A signal handler reaches nothing but
// globals; lock-free atomics are safe to read there.
std::atomic<int> handlerFd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

void CloseQuietly(int fd) {
    // A close error leaves nothing to recover; the descriptor is gone either way.
    if (fd >= 0)
        ::close(fd);
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void(int signal)> action) : action_(std::move(action)) {
    if (handlerFd.load() >= 0)
        throw std::logic_error("termination signals are already handled in this process");
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds_.data()) != 0)
        throw std::system_error(errno, std::generic_category(), "cannot create the socket pair for signals");
    handlerFd.store(fds_[1]);
    struct sigaction handling {};
    handling.sa_handler = &TerminationSignals::Handle;
    sigemptyset(&handling.sa_mask);
    handling.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (::sigaction(kSignals[i], &handling, &previous_[i]) != 0) {
            const int error = errno;
            for (std::size_t j = 0; j < i; ++j)
                ::sigaction(kSignals[j], &previous_[j], nullptr);
            handlerFd.store(-1);
            CloseQuietly(fds_[0]);
            CloseQuietly(fds_[1]);
            throw std::system_error(error, std::generic_category(),
                                    "cannot handle signal " + std::to_string(kSignals[i]));
        }
    }
    notifier_ = new QSocketNotifier(fds_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { Drain(); });
}

TerminationSignals::~TerminationSignals() {
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &previous_[i], nullptr);
    handlerFd.store(-1);
    delete notifier_;
    CloseQuietly(fds_[0]);
    CloseQuietly(fds_[1]);
}

void TerminationSignals::Handle(int signal) {
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // A full socket already holds a wake-up; the signal is not lost.
    [[maybe_unused]] const ssize_t written = ::write(handlerFd.load(), &number, 1);
    errno = savedErrno;
}

void TerminationSignals::Drain() {
    unsigned char numbers[16];
    int last = 0;
    ssize_t got;
    while ((got = ::read(fds_[0], numbers, sizeof numbers)) > 0)
        last = numbers[got - 1];
    if (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
        qCWarning(SignalLog, "cannot read the signal socket: %s", std::strerror(errno));
    if (last == 0 || running_)
        return;
    qCInfo(SignalLog, "signal %d (%s): closing the main window", last, ::strsignal(last));
    running_ = true;
    action_(last);
    running_ = false;
}

} // namespace kamsel::app
