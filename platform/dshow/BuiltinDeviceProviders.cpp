#include "DeviceCatalog.h"

// The machine's device sources, each built only when its library is part of
// the build (CMake defines the KAMSEL_HAVE_* switches).
#if KAMSEL_HAVE_V4L2
#include "platform/v4l2/V4l2DeviceSource.h"
#endif
#if KAMSEL_HAVE_VIRTUALCAM
#include "platform/virtualcam/VirtualCameraSource.h"
#endif

namespace kamsel::dshow {

DeviceProviders BuiltinDeviceProviders() {
    DeviceProviders providers;
    // V4L2 cameras come first, then the virtual cameras declared for the process.
#if KAMSEL_HAVE_V4L2
    providers.push_back(std::make_shared<MediaSourceProvider>(std::make_unique<v4l2::V4l2DeviceSource>()));
#endif
#if KAMSEL_HAVE_VIRTUALCAM
    if (auto cameras = virtualcam::VirtualCameraSource::FromEnvironment())
        providers.push_back(std::make_shared<MediaSourceProvider>(std::move(cameras)));
#endif
    return providers;
}

} // namespace kamsel::dshow
