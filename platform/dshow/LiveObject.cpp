#include "LiveObject.h"

#include <atomic>

namespace kamsel::dshow {

namespace {
std::atomic<long> liveObjects{0};
} // namespace

LiveObject::LiveObject() {
    liveObjects.fetch_add(1, std::memory_order_relaxed);
}
LiveObject::~LiveObject() {
    liveObjects.fetch_sub(1, std::memory_order_relaxed);
}

long LiveObjectCount() {
    return liveObjects.load(std::memory_order_relaxed);
}

} // namespace kamsel::dshow
