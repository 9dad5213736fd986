#include "platform/virtualcam/PatternScene.h"

#include "platform/virtualcam/PixelFont.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace kamsel::virtualcam {
namespace {

constexpr std::uint8_t kTextLuma = 235;

// Three quarter intensity bars, as test charts draw them.
constexpr std::array<std::array<int, 3>, 8> kBars = {{
    {191, 191, 191}, // white
    {191, 191, 0},   // yellow
    {0, 191, 191},   // cyan
    {0, 191, 0},     // green
    {191, 0, 191},   // magenta
    {191, 0, 0},     // red
    {0, 0, 191},     // blue
    {0, 0, 0},       // black
}};

int BarsHeight(const YuvImage& image) {
    return image.Height() * 2 / 3 & ~1;
}

// Scale of the clock's dots: 2 pixels at 480 lines, 4 at 1080.
int ClockScale(const YuvImage& image) {
    return std::max(1, image.Height() / 240);
}

int Margin(const YuvImage& image) {
    return std::max(4, image.Height() / 30) & ~1;
}

void DrawBall(YuvImage& image, std::uint64_t frameIndex) {
    const int radius = std::max(2, image.Height() / 16);
    const int travel = std::max(1, image.Width() - 2 * radius);
    const std::uint64_t speed = static_cast<std::uint64_t>(std::max(2, image.Width() / 80));
    // To and fro: a triangle wave over twice the travel.
    const int phase = static_cast<int>(frameIndex * speed % static_cast<std::uint64_t>(2 * travel));
    const int centreX = radius + (phase <= travel ? phase : 2 * travel - phase);
    const int centreY = image.Height() * 55 / 100;
    const YuvColor ball = YuvColor::FromRgb(230, 120, 20);
    // Each 2x2 block whose centre lies inside the circle gets the ball's colour.
    for (int row = (centreY - radius) / 2; row <= (centreY + radius) / 2; ++row) {
        for (int column = (centreX - radius) / 2; column <= (centreX + radius) / 2; ++column) {
            const int dx = 2 * column + 1 - centreX;
            const int dy = 2 * row + 1 - centreY;
            if (dx * dx + dy * dy <= radius * radius)
                image.FillRect(2 * column, 2 * row, 2, 2, ball);
        }
    }
}

} // namespace

void PatternScene::DrawBackground(YuvImage& image) {
    const int barsHeight = BarsHeight(image);
    for (std::size_t bar = 0; bar < kBars.size(); ++bar) {
        const int left = static_cast<int>(bar) * image.Width() / 8 & ~1;
        const int right = static_cast<int>(bar + 1) * image.Width() / 8 & ~1;
        const auto& rgb = kBars[bar];
        image.FillRect(left, 0, right - left, barsHeight, YuvColor::FromRgb(rgb[0], rgb[1], rgb[2]));
    }
    const int rampWidth = std::max(1, image.Width() - 2);
    for (int x = 0; x < image.Width(); x += 2) {
        const int grey = x * 255 / rampWidth;
        image.FillRect(x, barsHeight, 2, image.Height() - barsHeight, YuvColor::FromRgb(grey, grey, grey));
    }
}

void PatternScene::DrawMovingParts(YuvImage& image, std::uint64_t frameIndex, std::int64_t frameInterval) {
    DrawBall(image, frameIndex);
    const std::string text = ClockText(frameIndex, frameInterval);
    const int scale = ClockScale(image);
    const int margin = Margin(image);
    const int padding = 2 * scale;
    const int width = PixelFont::TextWidth(text, scale) + 2 * padding;
    const int height = PixelFont::kGlyphHeight * scale + 2 * padding;
    image.FillRect(margin, margin, width, height, YuvColor::FromRgb(0, 0, 0));
    PixelFont::Draw(image, margin + padding, margin + padding, text, scale, kTextLuma);
}

std::string PatternScene::ClockText(std::uint64_t frameIndex, std::int64_t frameInterval) {
    const std::uint64_t interval = frameInterval > 0 ? static_cast<std::uint64_t>(frameInterval) : 0;
    const std::uint64_t milliseconds = frameIndex * interval / 10'000;
    const std::uint64_t seconds = milliseconds / 1000;
    char text[48];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u.%03u #%06u", static_cast<unsigned>(seconds / 3600 % 100),
                  static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60),
                  static_cast<unsigned>(milliseconds % 1000), static_cast<unsigned>(frameIndex % 1'000'000));
    return text;
}

} // namespace kamsel::virtualcam
