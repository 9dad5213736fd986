#pragma once
// A private X server (Xvfb) for the end-to-end test, on the first free display
// number, with one 24-bit screen. It ends with the object.

#include "ChildProcess.h"

#include <memory>
#include <string>

namespace kamsel::e2e {

class XvfbServer {
  public:
    static constexpr int kScreenWidth = 1280;
    static constexpr int kScreenHeight = 1024;

    // Starts the server and waits until it accepts clients. Throws
    // std::runtime_error when Xvfb is missing or does not come up.
    XvfbServer();

    // ":N", for DISPLAY.
    const std::string& Display() const { return display_; }

  private:
    std::unique_ptr<ChildProcess> server_;
    std::string display_;
};

} // namespace kamsel::e2e
