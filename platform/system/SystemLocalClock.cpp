#include "platform/system/LocalClock.h"

namespace kamsel::system {

namespace {

class MachineLocalClock final : public LocalClock {
  public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
};

} // namespace

const LocalClock& SystemLocalClock() {
    static const MachineLocalClock clock;
    return clock;
}

} // namespace kamsel::system
