#pragma once
// The image settings a pattern camera draws one frame with, automatic modes
// already resolved to values. The defaults are the neutral settings: a frame
// drawn with them shows the scene unchanged.

#include <cstdint>

namespace kamsel::virtualcam {

struct PictureSettings {
    static constexpr std::int32_t kNeutralContrast = 32;
    static constexpr std::int32_t kNeutralSaturation = 64;
    static constexpr std::int32_t kNeutralSharpness = 3;
    static constexpr std::int32_t kNeutralGamma = 100;
    // The colour temperature of the scene's light: white balance set to it
    // leaves white white.
    static constexpr std::int32_t kSceneTemperature = 4600;

    enum class PowerLine : std::int32_t { Disabled = 0, Hz50 = 1, Hz60 = 2 };

    std::int32_t brightness = 0;              // -64..64, added to luma
    std::int32_t contrast = kNeutralContrast; // 0..64, luma spread around mid-grey
    std::int32_t hue = 0;                     // -40..40 degrees of colour rotation
    std::int32_t saturation = kNeutralSaturation;
    std::int32_t sharpness = kNeutralSharpness; // below neutral softens, above sharpens
    std::int32_t gamma = kNeutralGamma;         // 100 = 1.0
    std::int32_t colorEnable = 1;               // 0 = grey picture
    std::int32_t whiteBalance = kSceneTemperature;
    std::int32_t backlight = 0; // 0..2, lifts dark areas
    std::int32_t gain = 0;      // 0..100 percent of extra amplification
    // With the filter disabled, mains flicker rolls through the picture as bands.
    PowerLine powerLine = PowerLine::Hz50;

    friend bool operator==(const PictureSettings&, const PictureSettings&) = default;
};

} // namespace kamsel::virtualcam
