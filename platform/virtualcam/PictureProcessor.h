#pragma once
// Applies image settings to a drawn picture, as a camera's signal processor
// would: sharpening on luma, then one table for gain, backlight compensation,
// gamma, contrast and brightness, a colour matrix for hue, saturation, colour
// enable and white balance, and mains flicker when its filter is disabled.
//
// Threads: one user at a time (it keeps tables and row buffers).

#include "platform/virtualcam/PictureSettings.h"
#include "platform/virtualcam/YuvImage.h"

#include <array>
#include <vector>

namespace kamsel::virtualcam {

class PictureProcessor {
  public:
    // Changes `image` in place. With `fullRange` the result is full-range
    // YCbCr, as JPEG (JFIF) stores it, instead of studio range. `frameIndex`
    // moves the flicker bands.
    void Apply(const PictureSettings& settings, bool fullRange, std::uint64_t frameIndex, YuvImage& image);

  private:
    void Sharpen(int strength, YuvImage& image);
    void BuildLumaTable(const PictureSettings& settings, bool fullRange);
    void ApplyLuma(YuvImage& image) const;
    static void ApplyChroma(const PictureSettings& settings, bool fullRange, YuvImage& image);
    static void AddFlicker(std::uint64_t frameIndex, YuvImage& image);

    std::array<std::uint8_t, 256> lumaTable_{};
    std::vector<std::uint8_t> above_;
    std::vector<std::uint8_t> current_;
};

} // namespace kamsel::virtualcam
