#pragma once
// The virtual cameras of this machine: those declared in the environment
// variable KAMSEL_VIRTUAL_CAMERAS, which stands in for installing a virtual
// camera driver (see VirtualCameraDeclaration for its syntax), listed in the
// order declared. Pattern cameras are PatternCamera, files FileCamera.
//
// Threads: as VideoDeviceSource; the declarations are read once, when the
// source is made.

#include "platform/media/VideoDevice.h"
#include "platform/virtualcam/VirtualCameraDeclaration.h"

#include <memory>

namespace kamsel::virtualcam {

class VirtualCameraSource final : public media::VideoDeviceSource {
  public:
    static constexpr const char* kEnvironmentVariable = "KAMSEL_VIRTUAL_CAMERAS";

    // The cameras of KAMSEL_VIRTUAL_CAMERAS; none when it is not set.
    static std::unique_ptr<VirtualCameraSource> FromEnvironment();

    explicit VirtualCameraSource(std::string_view declarations);

    const std::vector<VirtualCameraDeclaration>& Declarations() const { return declarations_; }
    // New, unopened devices, one per declaration, in declaration order.
    std::vector<std::unique_ptr<media::VideoDevice>> Enumerate() override;

  private:
    std::vector<VirtualCameraDeclaration> declarations_;
};

} // namespace kamsel::virtualcam
