#include "DeviceCatalog.h"

#include "platform/v4l2/V4l2DeviceSource.h"
#include "platform/virtualcam/VirtualCameraSource.h"

namespace kamsel::dshow {

DeviceProviders BuiltinDeviceProviders() {
    DeviceProviders providers;
    // V4L2 cameras come first, then the virtual cameras declared for the process.
    providers.push_back(std::make_shared<MediaSourceProvider>(std::make_unique<v4l2::V4l2DeviceSource>()));
    if (auto cameras = virtualcam::VirtualCameraSource::FromEnvironment())
        providers.push_back(std::make_shared<MediaSourceProvider>(std::move(cameras)));
    return providers;
}

} // namespace kamsel::dshow
