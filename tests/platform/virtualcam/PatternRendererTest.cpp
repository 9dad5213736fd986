#include "platform/virtualcam/PatternRenderer.h"
#include "platform/virtualcam/PatternCamera.h"
#include "platform/virtualcam/PatternScene.h"
#include "virtualcam/TestJpeg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace kamsel::virtualcam {
namespace {

using Bytes = std::vector<std::uint8_t>;

media::VideoMode ModeOf(std::uint32_t fourcc, int width, int height) {
    for (const media::VideoMode& mode : PatternCamera::OfferedModes()) {
        if (mode.fourcc == fourcc && mode.width == width && mode.height == height)
            return mode;
    }
    ADD_FAILURE() << "mode not offered";
    return {};
}

const media::VideoMode kYuy2Vga = ModeOf(media::FourCC("YUY2"), 640, 480);

// Renders frame `index` into a buffer of the mode's sample size, first filled
// with `fill`; `used` receives the frame's length.
Bytes Render(const media::VideoMode& mode, std::uint64_t index, const PictureSettings& settings = {},
             std::size_t* used = nullptr, std::uint8_t fill = 0) {
    PatternRenderer renderer;
    const auto configured = renderer.Configure(mode, "Cam");
    EXPECT_TRUE(configured.Ok()) << configured.message;
    Bytes buffer(mode.sampleSize, fill);
    std::size_t bytesUsed = 0;
    const auto status = renderer.Render(index, settings, buffer, bytesUsed);
    EXPECT_TRUE(status.Ok()) << status.message;
    if (used != nullptr)
        *used = bytesUsed;
    return buffer;
}

// Statistics of a YUY2 picture.
struct Stats {
    double meanY = 0, spreadY = 0, meanU = 0, meanV = 0, colourfulness = 0;
    bool grey = true;

    explicit Stats(const Bytes& yuy2) {
        const double pairs = static_cast<double>(yuy2.size() / 4);
        double sumSquares = 0;
        for (std::size_t i = 0; i < yuy2.size(); i += 4) {
            meanY += yuy2[i] + yuy2[i + 2];
            sumSquares += yuy2[i] * yuy2[i] + yuy2[i + 2] * yuy2[i + 2];
            meanU += yuy2[i + 1];
            meanV += yuy2[i + 3];
            colourfulness += std::abs(yuy2[i + 1] - 128) + std::abs(yuy2[i + 3] - 128);
            grey = grey && yuy2[i + 1] == 128 && yuy2[i + 3] == 128;
        }
        meanY /= 2 * pairs;
        spreadY = std::sqrt(sumSquares / (2 * pairs) - meanY * meanY);
        meanU /= pairs;
        meanV /= pairs;
        colourfulness /= pairs;
    }
};

std::size_t DifferingPixelPairs(const Bytes& a, const Bytes& b, int fromRow = 0) {
    std::size_t count = 0;
    for (std::size_t i = static_cast<std::size_t>(fromRow) * 640 * 2; i + 3 < a.size(); i += 4)
        count += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2] || a[i + 3] != b[i + 3];
    return count;
}

TEST(PatternRenderer, OnlyTheBallAndTheClockChangeBetweenFrames) {
    const Bytes first = Render(kYuy2Vga, 0);
    const Bytes later = Render(kYuy2Vga, 15);
    EXPECT_EQ(Render(kYuy2Vga, 0), first);
    const std::size_t changed = DifferingPixelPairs(first, later);
    EXPECT_GT(changed, 0u);
    EXPECT_LT(changed, first.size() / 4 / 20);
    // Below the clock box, something moves too.
    EXPECT_GT(DifferingPixelPairs(first, later, 100), 0u);
}

TEST(PatternRenderer, EveryControlChangesThePicture) {
    using Check = std::function<void(const Stats& neutral, const Stats& changed)>;
    const auto brighter = [](const Stats& n, const Stats& c) { EXPECT_GT(c.meanY, n.meanY + 5); };
    const auto darker = [](const Stats& n, const Stats& c) { EXPECT_LT(c.meanY, n.meanY - 5); };
    const auto grey = [](const Stats&, const Stats& c) { EXPECT_TRUE(c.grey); };
    const auto colourOnly = [](const Stats& n, const Stats& c) {
        EXPECT_DOUBLE_EQ(c.meanY, n.meanY);
        EXPECT_NE(c.meanU, n.meanU);
    };
    const auto edgesOnly = [](const Stats& n, const Stats& c) { EXPECT_NEAR(c.meanY, n.meanY, 2); };
    const struct {
        const char* name;
        std::function<void(PictureSettings&)> change;
        Check check;
    } cases[] = {
        {"brightness up", [](auto& s) { s.brightness = 40; }, brighter},
        {"brightness down", [](auto& s) { s.brightness = -40; }, darker},
        {"contrast low", [](auto& s) { s.contrast = 8; },
         [](const Stats& n, const Stats& c) { EXPECT_LT(c.spreadY, n.spreadY / 2); }},
        {"contrast high", [](auto& s) { s.contrast = 64; },
         [](const Stats& n, const Stats& c) { EXPECT_GT(c.spreadY, n.spreadY * 1.3); }},
        {"hue", [](auto& s) { s.hue = 30; }, colourOnly},
        {"saturation none", [](auto& s) { s.saturation = 0; }, grey},
        {"saturation high", [](auto& s) { s.saturation = 128; },
         [](const Stats& n, const Stats& c) { EXPECT_GT(c.colourfulness, n.colourfulness * 1.5); }},
        {"sharpness high", [](auto& s) { s.sharpness = 6; }, edgesOnly},
        {"sharpness low", [](auto& s) { s.sharpness = 0; }, edgesOnly},
        {"gamma high", [](auto& s) { s.gamma = 300; }, brighter},
        {"gamma low", [](auto& s) { s.gamma = 72; }, darker},
        {"colour disabled", [](auto& s) { s.colorEnable = 0; }, grey},
        {"white balance warm", [](auto& s) { s.whiteBalance = 6500; },
         [](const Stats& n, const Stats& c) {
             EXPECT_GT(c.meanV, n.meanV + 5);
             EXPECT_LT(c.meanU, n.meanU - 5);
         }},
        {"white balance cold", [](auto& s) { s.whiteBalance = 2800; },
         [](const Stats& n, const Stats& c) { EXPECT_LT(c.meanV, n.meanV - 5); }},
        {"backlight", [](auto& s) { s.backlight = 2; }, brighter},
        {"gain", [](auto& s) { s.gain = 100; }, brighter},
        {"flicker", [](auto& s) { s.powerLine = PictureSettings::PowerLine::Disabled; },
         [](const Stats&, const Stats&) {}},
    };
    const Bytes neutral = Render(kYuy2Vga, 0);
    const Stats neutralStats(neutral);
    EXPECT_FALSE(neutralStats.grey);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PictureSettings settings;
        c.change(settings);
        const Bytes changed = Render(kYuy2Vga, 0, settings);
        // At least a thousand pixel pairs differ: visible, not a rounding effect.
        EXPECT_GT(DifferingPixelPairs(neutral, changed), 1000u);
        c.check(neutralStats, Stats(changed));
    }
}

TEST(PatternRenderer, Rgb24IsBottomUp) {
    const media::VideoMode mode = ModeOf(media::kFourCCRgb24, 320, 240);
    ASSERT_EQ(mode.sampleSize, 320u * 240 * 3);
    const Bytes frame = Render(mode, 0);
    const std::size_t stride = 320 * 3;
    // First row in memory: the bottom of the picture, the grey ramp.
    const std::uint8_t* bottom = frame.data();
    for (int x = 0; x < 320; x += 16) {
        const std::uint8_t* bgr = bottom + 3 * x;
        EXPECT_NEAR(bgr[0], bgr[1], 3) << x;
        EXPECT_NEAR(bgr[2], bgr[1], 3) << x;
    }
    EXPECT_GT(bottom[3 * 300 + 1], bottom[3 * 20 + 1] + 150);
    // Last row in memory: the top, with the yellow bar second from the left.
    const std::uint8_t* top = frame.data() + 239 * stride;
    const std::uint8_t* yellow = top + 3 * 60;
    EXPECT_LT(yellow[0], 40);
    EXPECT_GT(yellow[1], 150);
    EXPECT_GT(yellow[2], 150);
}

TEST(PatternRenderer, Yuy2AndI420CarryTheSamePicture) {
    const Bytes packed = Render(kYuy2Vga, 7);
    const Bytes planar = Render(ModeOf(media::FourCC("I420"), 640, 480), 7);
    ASSERT_EQ(planar.size(), 640u * 480 * 3 / 2);
    const std::uint8_t* u = planar.data() + 640 * 480;
    const std::uint8_t* v = u + 320 * 240;
    for (std::size_t row = 0; row < 480; row += 7) {
        for (std::size_t pair = 0; pair < 320; pair += 5) {
            const std::uint8_t* yuy2 = packed.data() + (row * 320 + pair) * 4;
            ASSERT_EQ(yuy2[0], planar[row * 640 + 2 * pair]);
            ASSERT_EQ(yuy2[2], planar[row * 640 + 2 * pair + 1]);
            ASSERT_EQ(yuy2[1], u[row / 2 * 320 + pair]);
            ASSERT_EQ(yuy2[3], v[row / 2 * 320 + pair]);
        }
    }
}

TEST(PatternRenderer, MjpgFramesDecodeAndLeaveTheBufferTail) {
    const media::VideoMode mode = ModeOf(media::FourCC("MJPG"), 640, 480);
    ASSERT_EQ(mode.sampleSize, 640u * 480 * 2);
    PatternRenderer renderer;
    ASSERT_TRUE(renderer.Configure(mode, "Cam").Ok());
    Bytes buffer(mode.sampleSize, 0xAB);
    std::size_t first = 0, second = 0;
    ASSERT_TRUE(renderer.Render(0, {}, buffer, first).Ok());
    ASSERT_TRUE(renderer.Render(1, {}, buffer, second).Ok());
    ASSERT_LT(std::max(first, second), buffer.size());
    for (std::size_t i = std::max(first, second); i < buffer.size(); ++i)
        ASSERT_EQ(buffer[i], 0xAB) << i;

    const auto image = test::DecodeJpeg(std::span(buffer).first(second));
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->width, 640);
    EXPECT_EQ(image->height, 480);
    const std::uint8_t* yellow = image->Pixel(120, 100);
    EXPECT_GT(yellow[0], 150);
    EXPECT_GT(yellow[1], 150);
    EXPECT_LT(yellow[2], 60);
    EXPECT_GT(image->Pixel(630, 470)[1], image->Pixel(10, 470)[1] + 150);
}

TEST(PatternRenderer, FullHdMjpgDecodesToItsSize) {
    // 1080 rows are not a whole number of 16-row bands.
    std::size_t used = 0;
    const Bytes frame = Render(ModeOf(media::FourCC("MJPG"), 1920, 1080), 3, {}, &used);
    const auto image = test::DecodeJpeg(std::span(frame).first(used));
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->width, 1920);
    EXPECT_EQ(image->height, 1080);
    const std::uint8_t* corner = image->Pixel(1900, 1079);
    EXPECT_GT(corner[1], 200);
    EXPECT_NEAR(corner[0], corner[2], 8);
}

TEST(PatternRenderer, RefusesFormatsItCannotDraw) {
    PatternRenderer renderer;
    media::VideoMode mode = kYuy2Vga;
    mode.fourcc = media::FourCC("H264");
    EXPECT_FALSE(renderer.Configure(mode, "Cam").Ok());
    mode = kYuy2Vga;
    mode.width = 641;
    EXPECT_FALSE(renderer.Configure(mode, "Cam").Ok());
    mode = kYuy2Vga;
    mode.sampleSize -= 1;
    EXPECT_FALSE(renderer.Configure(mode, "Cam").Ok());
    Bytes buffer(kYuy2Vga.sampleSize);
    std::size_t used = 0;
    EXPECT_FALSE(renderer.Render(0, {}, buffer, used).Ok());
}

TEST(PatternScene, ClockShowsElapsedTimeAndFrameNumber) {
    EXPECT_EQ(PatternScene::ClockText(0, 333'333), "00:00:00.000 #000000");
    EXPECT_EQ(PatternScene::ClockText(110'000, 333'333), "01:01:06.663 #110000");
}

} // namespace
} // namespace kamsel::virtualcam
