#include "DeviceCatalog.h"

namespace kamsel::dshow {

std::vector<DeviceEntry> MediaSourceProvider::Devices() {
    std::vector<DeviceEntry> entries;
    for (auto& device : source_->Enumerate())
        if (device)
            entries.push_back({std::move(device), nullptr});
    return entries;
}

DeviceCatalog& DeviceCatalog::Instance() {
    static DeviceCatalog catalog;
    return catalog;
}

DeviceCatalog::DeviceCatalog() : providers_(BuiltinDeviceProviders()) {}

std::vector<DeviceEntry> DeviceCatalog::Devices() {
    DeviceProviders providers;
    {
        const system::MutexLock lock(mutex_);
        providers = providers_;
    }
    // Providers are asked without the lock: scanning devices may take a while.
    std::vector<DeviceEntry> entries;
    for (const auto& provider : providers)
        for (auto& entry : provider->Devices())
            entries.push_back(std::move(entry));
    return entries;
}

DeviceProviders DeviceCatalog::Exchange(DeviceProviders providers) {
    const system::MutexLock lock(mutex_);
    providers_.swap(providers);
    return providers;
}

ScopedDeviceProviders::ScopedDeviceProviders(DeviceProviders providers)
    : previous_(DeviceCatalog::Instance().Exchange(std::move(providers))) {}

ScopedDeviceProviders::~ScopedDeviceProviders() {
    DeviceCatalog::Instance().Exchange(std::move(previous_));
}

} // namespace kamsel::dshow
