#pragma once
// The test's device list: while a registry lives, the system device enumerator
// lists the providers given to it (for example a virtual camera source) and
// then its cameras, in the order they were added, and nothing of the machine.
// When it goes, the previous device list comes back, so every test starts
// from its own registry. User-interface (test) thread.
//
//     FakeDeviceRegistry devices;
//     auto camera = devices.AddCamera("USB Camera");
//     camera->SetFault(FaultPoint::ReadProperty, E_FAIL);

#include "FakeCamera.h"

#include "platform/dshow/DeviceCatalog.h"

#include <memory>
#include <string>

namespace kamsel::dshow::fake {

class FakeDeviceRegistry {
  public:
    explicit FakeDeviceRegistry(DeviceProviders before = {});
    FakeDeviceRegistry(const FakeDeviceRegistry&) = delete;
    FakeDeviceRegistry& operator=(const FakeDeviceRegistry&) = delete;

    // Adds a camera with the given friendly name (any bytes) at the end.
    std::shared_ptr<FakeCamera> AddCamera(std::string name);
    // Takes a camera out of later listings, as if unplugged while unused; its
    // devices must be gone (LiveDevices counts listed cameras only).
    void RemoveCamera(const std::shared_ptr<FakeCamera>& camera);
    // Device objects of all cameras alive now (0 once every filter and moniker is gone).
    int LiveDevices() const;

  private:
    class Provider;

    std::shared_ptr<Provider> provider_;
    ScopedDeviceProviders scope_;
};

} // namespace kamsel::dshow::fake
