#pragma once
// Makes every thread started while it lives fail for want of memory for its
// stack, the way a process at its thread or memory limit fails: the default
// stack size of new threads becomes larger than any address space.

#include <pthread.h>

#include <cstddef>

namespace kamsel::v4l2::testing {

class ThreadsCannotStart {
  public:
    ThreadsCannotStart() {
        pthread_getattr_default_np(&saved_);
        pthread_attr_t huge;
        pthread_attr_init(&huge);
        pthread_attr_setstacksize(&huge, std::size_t{1} << 60);
        pthread_setattr_default_np(&huge);
        pthread_attr_destroy(&huge);
    }
    ~ThreadsCannotStart() {
        pthread_setattr_default_np(&saved_);
        pthread_attr_destroy(&saved_);
    }
    ThreadsCannotStart(const ThreadsCannotStart&) = delete;
    ThreadsCannotStart& operator=(const ThreadsCannotStart&) = delete;

  private:
    pthread_attr_t saved_;
};

} // namespace kamsel::v4l2::testing
