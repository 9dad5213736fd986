#include "ChildProcess.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace kamsel::e2e {

namespace {

std::string CommandLine(const std::vector<std::string>& argv) {
    std::string line;
    for (const std::string& arg : argv)
        line += (line.empty() ? "" : " ") + arg;
    return line;
}

std::vector<std::string> MergedEnvironment(const std::map<std::string, std::string>& extra) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text(*entry);
        if (!extra.contains(text.substr(0, text.find('='))))
            result.push_back(text);
    }
    for (const auto& [name, value] : extra)
        result.push_back(name + "=" + value);
    return result;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const Options& options) {
    std::vector<std::string> args = argv;
    std::vector<std::string> env = MergedEnvironment(options.Environment);
    std::vector<char*> argPointers = Pointers(args);
    std::vector<char*> envPointers = Pointers(env);

    int pipeFds[2] = {-1, -1};
    if (options.CaptureOutput && ::pipe2(pipeFds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe for " + argv[0] + ": " + std::strerror(errno));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (options.CaptureOutput)
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    if (options.InheritFd >= 0) {
        // Open across the spawn only; the test runs no other thread meanwhile.
        ::fcntl(options.InheritFd, F_SETFD, 0);
    }
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const int error =
        ::posix_spawnp(&pid_, argv[0].c_str(), &actions, &attributes, argPointers.data(), envPointers.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (options.InheritFd >= 0)
        ::fcntl(options.InheritFd, F_SETFD, FD_CLOEXEC);
    if (options.CaptureOutput) {
        ::close(pipeFds[1]);
        outputFd_ = pipeFds[0];
    }
    if (error != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + CommandLine(argv) + ": " + std::strerror(error));
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !status_) {
        ::kill(-pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    } else if (pid_ > 0) {
        // The leader has ended; anything it left in its group goes too.
        ::kill(-pid_, SIGKILL);
    }
    if (outputFd_ >= 0)
        ::close(outputFd_);
}

void ChildProcess::DrainOutput(bool untilEnd) {
    if (outputFd_ < 0)
        return;
    char buffer[4096];
    for (;;) {
        pollfd fd{outputFd_, POLLIN, 0};
        if (::poll(&fd, 1, untilEnd ? 1000 : 0) <= 0)
            return;
        const ssize_t n = ::read(outputFd_, buffer, sizeof buffer);
        if (n <= 0)
            return;
        output_.append(buffer, static_cast<std::size_t>(n));
    }
}

std::optional<int> ChildProcess::WaitFor(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!status_) {
        DrainOutput(false);
        int status = 0;
        const pid_t result = ::waitpid(pid_, &status, WNOHANG);
        if (result == pid_) {
            status_ = status;
            break;
        }
        if (result < 0 && errno != EINTR)
            throw std::runtime_error(std::string("waitpid: ") + std::strerror(errno));
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return status_;
}

const std::string& ChildProcess::Output() {
    DrainOutput(true);
    return output_;
}

std::string RunProgram(const std::vector<std::string>& argv, std::chrono::milliseconds timeout,
                       const std::map<std::string, std::string>& environment) {
    ChildProcess child(argv, {environment, true, -1});
    const std::optional<int> status = child.WaitFor(timeout);
    if (!status)
        throw std::runtime_error(CommandLine(argv) + ": still running after " +
                                 std::to_string(timeout.count()) + " ms");
    if (!WIFEXITED(*status) || WEXITSTATUS(*status) != 0)
        throw std::runtime_error(CommandLine(argv) + ": failed with wait status " + std::to_string(*status));
    return child.Output();
}

} // namespace kamsel::e2e
