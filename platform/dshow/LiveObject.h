#pragma once
// Counts the objects of this layer that are alive, so tests can check that an
// operation released every reference it took: the count after equals the count
// before. Each COM class of the layer derives from LiveObject.

namespace kamsel::dshow {

class LiveObject {
  public:
    LiveObject();
    LiveObject(const LiveObject&) = delete;
    LiveObject& operator=(const LiveObject&) = delete;
    ~LiveObject();
};

// Objects of this layer alive in the process.
long LiveObjectCount();

} // namespace kamsel::dshow
