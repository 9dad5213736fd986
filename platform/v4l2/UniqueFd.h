#pragma once
// Owns one descriptor obtained through the V4l2Io seam and closes it there.

#include "V4l2Io.h"

namespace kamsel::v4l2 {

class UniqueFd {
  public:
    UniqueFd() = default;
    // Takes ownership of fd (a negative value means none). io must outlive this.
    UniqueFd(V4l2Io& io, int fd) : io_(&io), fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept;
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Reset(); }

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    // Closes the descriptor; a close error cannot be acted upon and is dropped.
    void Reset();

  private:
    V4l2Io* io_ = nullptr;
    int fd_ = -1;
};

} // namespace kamsel::v4l2
