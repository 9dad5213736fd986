#pragma once
// Locks whose use the compiler checks: Clang's thread-safety analysis
// (-Wthread-safety, on for Clang builds) proves that every field marked
// GUARDED_BY(lock) is only touched with that lock held. The standard mutex
// and lock_guard of libstdc++ carry no such marks, so state guarded this way
// uses Mutex and MutexLock below, which are std::mutex and std::lock_guard
// with the marks. Other compilers see plain standard locks.
//
// Threads: that is the point; a Mutex is shared, a MutexLock belongs to the
// thread that made it.

#include <mutex>

#if defined(__clang__)
#define KAMSEL_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define KAMSEL_THREAD_ANNOTATION(x)
#endif

#define CAPABILITY(x) KAMSEL_THREAD_ANNOTATION(capability(x))
#define SCOPED_CAPABILITY KAMSEL_THREAD_ANNOTATION(scoped_lockable)
#define GUARDED_BY(x) KAMSEL_THREAD_ANNOTATION(guarded_by(x))
#define PT_GUARDED_BY(x) KAMSEL_THREAD_ANNOTATION(pt_guarded_by(x))
#define REQUIRES(...) KAMSEL_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define EXCLUDES(...) KAMSEL_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))
#define ACQUIRE(...) KAMSEL_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define RELEASE(...) KAMSEL_THREAD_ANNOTATION(release_capability(__VA_ARGS__))

namespace kamsel::system {

class CAPABILITY("mutex") Mutex {
  public:
    void lock() ACQUIRE() { mutex_.lock(); }
    void unlock() RELEASE() { mutex_.unlock(); }

  private:
    std::mutex mutex_;
};

class SCOPED_CAPABILITY MutexLock {
  public:
    explicit MutexLock(Mutex& mutex) ACQUIRE(mutex) : mutex_(mutex) { mutex_.lock(); }
    ~MutexLock() RELEASE() { mutex_.unlock(); }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

  private:
    Mutex& mutex_;
};

} // namespace kamsel::system
