#include "platform/virtualcam/PictureProcessor.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace kamsel::virtualcam {
namespace {

std::uint8_t Clamp8(int value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

} // namespace

void PictureProcessor::Apply(const PictureSettings& settings, bool fullRange, std::uint64_t frameIndex,
                             YuvImage& image) {
    if (settings.sharpness != PictureSettings::kNeutralSharpness)
        Sharpen(settings.sharpness - PictureSettings::kNeutralSharpness, image);
    BuildLumaTable(settings, fullRange);
    ApplyLuma(image);
    ApplyChroma(settings, fullRange, image);
    if (settings.powerLine == PictureSettings::PowerLine::Disabled)
        AddFlicker(frameIndex, image);
}

// Adds `strength` sixteenths of the Laplacian: positive values sharpen edges,
// negative ones blur them. Border pixels stay as they are.
void PictureProcessor::Sharpen(int strength, YuvImage& image) {
    const int width = image.Width();
    const auto rowBytes = static_cast<std::size_t>(width);
    above_.resize(rowBytes);
    current_.resize(rowBytes);
    std::memcpy(above_.data(), image.YRow(0), rowBytes);
    for (int row = 1; row + 1 < image.Height(); ++row) {
        std::uint8_t* line = image.YRow(row);
        std::memcpy(current_.data(), line, rowBytes);
        const std::uint8_t* below = image.YRow(row + 1);
        for (int x = 1; x + 1 < width; ++x) {
            const int centre = current_[static_cast<std::size_t>(x)];
            const int laplacian = 4 * centre - current_[static_cast<std::size_t>(x - 1)] -
                                  current_[static_cast<std::size_t>(x + 1)] -
                                  above_[static_cast<std::size_t>(x)] - below[x];
            line[x] = Clamp8(centre + strength * laplacian / 16);
        }
        std::swap(above_, current_);
    }
}

void PictureProcessor::BuildLumaTable(const PictureSettings& settings, bool fullRange) {
    const double gain = 1.0 + settings.gain / 100.0;
    const double lift = 0.12 * settings.backlight;
    const double exponent = static_cast<double>(PictureSettings::kNeutralGamma) / std::max(1, settings.gamma);
    const double contrast = static_cast<double>(settings.contrast) / PictureSettings::kNeutralContrast;
    const double brightness = settings.brightness / 219.0;
    for (int luma = 0; luma < 256; ++luma) {
        double x = std::clamp((luma - 16) / 219.0 * gain, 0.0, 1.0);
        x = std::min(1.0, x + lift * (1 - x) * (1 - x));
        x = std::pow(x, exponent);
        x = (x - 0.5) * contrast + 0.5 + brightness;
        const double out = fullRange ? x * 255 : 16 + x * 219;
        lumaTable_[static_cast<std::size_t>(luma)] = Clamp8(static_cast<int>(std::lround(out)));
    }
}

void PictureProcessor::ApplyLuma(YuvImage& image) const {
    for (int row = 0; row < image.Height(); ++row) {
        std::uint8_t* line = image.YRow(row);
        for (int x = 0; x < image.Width(); ++x)
            line[x] = lumaTable_[line[x]];
    }
}

void PictureProcessor::ApplyChroma(const PictureSettings& settings, bool fullRange, YuvImage& image) {
    // Rotation by the hue angle, scaled by saturation, in 10 fraction bits;
    // white balance set warmer than the light moves colours towards red.
    const double angle = settings.hue * std::numbers::pi / 180;
    double scale = settings.colorEnable != 0
                       ? static_cast<double>(settings.saturation) / PictureSettings::kNeutralSaturation
                       : 0.0;
    if (fullRange)
        scale *= 255.0 / 224.0;
    const int cosine = static_cast<int>(std::lround(1024 * scale * std::cos(angle)));
    const int sine = static_cast<int>(std::lround(1024 * scale * std::sin(angle)));
    const double warmth = settings.colorEnable != 0
                              ? (settings.whiteBalance - PictureSettings::kSceneTemperature) / 1850.0
                              : 0.0;
    const int shiftU = static_cast<int>(std::lround(-24 * warmth));
    const int shiftV = static_cast<int>(std::lround(24 * warmth));
    for (int row = 0; row < image.ChromaHeight(); ++row) {
        std::uint8_t* u = image.URow(row);
        std::uint8_t* v = image.VRow(row);
        for (int x = 0; x < image.ChromaWidth(); ++x) {
            const int cb = u[x] - 128;
            const int cr = v[x] - 128;
            u[x] = Clamp8(128 + shiftU + ((cosine * cb - sine * cr) >> 10));
            v[x] = Clamp8(128 + shiftV + ((sine * cb + cosine * cr) >> 10));
        }
    }
}

// Rolling bright and dark bands, a few rows high, as lamps on the mains make
// them without the camera's anti-flicker exposure.
void PictureProcessor::AddFlicker(std::uint64_t frameIndex, YuvImage& image) {
    const double period = std::max(8.0, image.Height() / 3.5);
    const double phase = std::fmod(static_cast<double>(frameIndex) * 0.9, 2 * std::numbers::pi);
    for (int row = 0; row < image.Height(); ++row) {
        const int offset =
            static_cast<int>(std::lround(10 * std::sin(2 * std::numbers::pi * row / period + phase)));
        std::uint8_t* line = image.YRow(row);
        for (int x = 0; x < image.Width(); ++x)
            line[x] = Clamp8(line[x] + offset);
    }
}

} // namespace kamsel::virtualcam
