#pragma once
// LocalClock: the local date and time, to the millisecond, for the snapshot
// stamp. Code that reads it takes a LocalClock& so tests can set the time;
// the program passes SystemLocalClock().
//
// Threads: Now is safe to call from any thread.

#include <QDateTime>

namespace kamsel::system {

class LocalClock {
  public:
    virtual ~LocalClock() = default;
    virtual QDateTime Now() const = 0;
};

// The machine's clock in the user's time zone.
const LocalClock& SystemLocalClock();

} // namespace kamsel::system
