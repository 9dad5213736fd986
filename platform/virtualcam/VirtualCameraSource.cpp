#include "platform/virtualcam/VirtualCameraSource.h"

#include "platform/virtualcam/FileCamera.h"
#include "platform/virtualcam/PatternCamera.h"

#include <cstdlib>

namespace kamsel::virtualcam {

std::unique_ptr<VirtualCameraSource> VirtualCameraSource::FromEnvironment() {
    const char* text = std::getenv(kEnvironmentVariable);
    return std::make_unique<VirtualCameraSource>(text != nullptr ? std::string_view(text)
                                                                 : std::string_view());
}

VirtualCameraSource::VirtualCameraSource(std::string_view declarations)
    : declarations_(VirtualCameraDeclaration::Parse(declarations)) {}

std::vector<std::unique_ptr<media::VideoDevice>> VirtualCameraSource::Enumerate() {
    std::vector<std::unique_ptr<media::VideoDevice>> devices;
    for (const VirtualCameraDeclaration& declaration : declarations_) {
        if (declaration.source == VirtualCameraDeclaration::Source::Pattern)
            devices.push_back(std::make_unique<PatternCamera>(declaration.name, declaration.framesPerSecond));
        else
            devices.push_back(
                std::make_unique<FileCamera>(declaration.name, declaration.path, declaration.source));
    }
    return devices;
}

} // namespace kamsel::virtualcam
