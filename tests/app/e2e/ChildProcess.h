#pragma once
// A program started by the end-to-end test, in its own process group, with
// extra environment variables. The destructor kills the whole group if it is
// still running, so no failed test leaves a server or a viewer behind.

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace kamsel::e2e {

class ChildProcess {
  public:
    struct Options {
        std::map<std::string, std::string> Environment; // added to, or replacing, the test's own
        bool CaptureOutput = false;                     // read stdout through Output()
        int InheritFd = -1;                             // one more descriptor the child keeps
    };

    // Starts argv[0] (looked up in PATH). Throws std::runtime_error naming the
    // program and the reason when it cannot be started.
    ChildProcess(const std::vector<std::string>& argv, const Options& options);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return pid_; }
    // Waits up to timeout for the child to end; its wait status, or nothing
    // if it still runs. Once ended, later calls return the same status.
    std::optional<int> WaitFor(std::chrono::milliseconds timeout);
    // Everything the child wrote to stdout until it ended (CaptureOutput).
    const std::string& Output();

  private:
    void DrainOutput(bool untilEnd);

    pid_t pid_ = -1;
    std::optional<int> status_;
    int outputFd_ = -1;
    std::string output_;
};

// Runs a program to its end within timeout and returns its stdout. Throws
// std::runtime_error, with the command line, if it fails or takes too long.
std::string RunProgram(const std::vector<std::string>& argv, std::chrono::milliseconds timeout,
                       const std::map<std::string, std::string>& environment = {});

} // namespace kamsel::e2e
