#include "FakeDeviceRegistry.h"

#include "FakeVideoDevice.h"

#include <mutex>
#include <vector>

namespace kamsel::dshow::fake {

class FakeDeviceRegistry::Provider final : public DeviceProvider {
  public:
    std::vector<DeviceEntry> Devices() override {
        std::lock_guard lock(mutex_);
        std::vector<DeviceEntry> entries;
        for (const auto& camera : cameras_)
            entries.push_back({std::make_unique<FakeVideoDevice>(camera), camera});
        return entries;
    }
    void Add(std::shared_ptr<FakeCamera> camera) {
        std::lock_guard lock(mutex_);
        cameras_.push_back(std::move(camera));
    }
    void Remove(const std::shared_ptr<FakeCamera>& camera) {
        std::lock_guard lock(mutex_);
        std::erase(cameras_, camera);
    }
    int LiveDevices() const {
        std::lock_guard lock(mutex_);
        int live = 0;
        for (const auto& camera : cameras_)
            live += camera->LiveDevices();
        return live;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<FakeCamera>> cameras_; // guarded by mutex_
};

namespace {
DeviceProviders With(DeviceProviders providers, std::shared_ptr<DeviceProvider> last) {
    providers.push_back(std::move(last));
    return providers;
}
} // namespace

FakeDeviceRegistry::FakeDeviceRegistry(DeviceProviders before)
    : provider_(std::make_shared<Provider>()), scope_(With(std::move(before), provider_)) {}

std::shared_ptr<FakeCamera> FakeDeviceRegistry::AddCamera(std::string name) {
    auto camera = std::make_shared<FakeCamera>(std::move(name));
    provider_->Add(camera);
    return camera;
}

void FakeDeviceRegistry::RemoveCamera(const std::shared_ptr<FakeCamera>& camera) {
    provider_->Remove(camera);
}

int FakeDeviceRegistry::LiveDevices() const {
    return provider_->LiveDevices();
}

} // namespace kamsel::dshow::fake
