#pragma once
// The devices of the video input category, as the system device enumerator
// lists them: the devices of each provider in turn. The process keeps one
// catalog, as the platform keeps one device list. Its providers are, in this
// order, the V4L2 cameras and the virtual cameras (BuiltinDeviceProviders);
// tests put their own providers in place with ScopedDeviceProviders.
// Thread-safe.

#include "DeviceFaults.h"

#include "platform/media/VideoDevice.h"
#include "platform/system/ThreadAnnotations.h"

#include <memory>
#include <vector>

namespace kamsel::dshow {

// One device found, not yet opened, with its faults (none for real devices).
struct DeviceEntry {
    std::unique_ptr<media::VideoDevice> device;
    std::shared_ptr<const DeviceFaults> faults;
};

class DeviceProvider {
  public:
    virtual ~DeviceProvider() = default;
    // The provider's devices now, in a stable order.
    virtual std::vector<DeviceEntry> Devices() = 0;
};

// The devices of a media source, without faults.
class MediaSourceProvider : public DeviceProvider {
  public:
    explicit MediaSourceProvider(std::unique_ptr<media::VideoDeviceSource> source)
        : source_(std::move(source)) {}
    std::vector<DeviceEntry> Devices() override;

  private:
    std::unique_ptr<media::VideoDeviceSource> source_;
};

using DeviceProviders = std::vector<std::shared_ptr<DeviceProvider>>;

// The platform's providers, in enumeration order; in BuiltinDeviceProviders.cpp.
DeviceProviders BuiltinDeviceProviders();

class DeviceCatalog {
  public:
    static DeviceCatalog& Instance();

    // Every device of every provider, providers in order.
    std::vector<DeviceEntry> Devices();
    // Puts providers in place and returns those they replace.
    DeviceProviders Exchange(DeviceProviders providers);

  private:
    DeviceCatalog();

    system::Mutex mutex_;
    DeviceProviders providers_ GUARDED_BY(mutex_);
};

// Replaces the catalog's providers while it lives (a test's own devices, in
// place of the machine's), then restores the previous ones.
class ScopedDeviceProviders {
  public:
    explicit ScopedDeviceProviders(DeviceProviders providers);
    ~ScopedDeviceProviders();
    ScopedDeviceProviders(const ScopedDeviceProviders&) = delete;
    ScopedDeviceProviders& operator=(const ScopedDeviceProviders&) = delete;

  private:
    DeviceProviders previous_;
};

} // namespace kamsel::dshow
