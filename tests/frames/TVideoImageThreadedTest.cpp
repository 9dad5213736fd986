// The hand-off under load: a streaming thread at several hundred samples per
// second, of changing lengths, while this thread decodes, draws and reads the
// frame procedure's buffer, sometimes slowly. Run under ThreadSanitizer too.

#include "FacadeTestSupport.h"
#include "tests/frames/TVideoImageTestPeer.h"

#include "platform/system/SystemTickSource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

namespace kamsel::frames {
namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr std::int32_t kExactLength = kWidth * kHeight * 2; // 6144
constexpr std::int32_t kLongerLength = kWidth * 2 * 52;     // 52 rows, a multiple of 4: also a picture
constexpr int kSamples = 700;

bool Uniform(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 1; i < count; ++i)
        if (bytes[i] != bytes[0])
            return false;
    return true;
}

bool UniformPicture(const Bitmap24& picture) {
    if (picture.Width() != kWidth || picture.Height() != kHeight)
        return false;
    const std::uint8_t* first = picture.ScanLine(0);
    for (int row = 0; row < kHeight; ++row) {
        const std::uint8_t* line = picture.ScanLine(row);
        for (int x = 0; x < kWidth * 3; ++x)
            if (line[x] != first[x % 3])
                return false;
    }
    return true;
}

TEST(TVideoImageThreaded, SamplesArriveWholeAndEachAcceptedOneIsHandledOnce) {
    test::ErrorRecorder errors;
    TVideoImage::Services services;
    services.Exceptions = &errors.handler; // real ticks, real idle notification
    TVideoImage image(services);
    image.VideoWidth = kWidth;
    image.VideoHeight = kHeight;
    image.VideoFourCC = FourCC("YUY2");
    Bitmap24 screen(kWidth, kHeight);
    image.SetDisplayCanvas(&screen.GetCanvas());

    int handled = 0;
    int tornBuffers = 0;
    int tornPictures = 0;
    Bitmap24 copy;
    image.FrameCallback = [&](TVideoImage& sender, std::int32_t, std::int32_t, const std::uint8_t* buffer) {
        ++handled;
        sender.GetBitmap(copy);
        if (!UniformPicture(copy))
            ++tornPictures;
        // Every so often hold the buffer longer than a few sample periods, so
        // the producer laps the ring around it.
        if (handled % 4 == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(7));
        if (buffer != nullptr && !Uniform(buffer, std::size_t(kExactLength)))
            ++tornBuffers;
    };

    std::atomic<bool> finished{false};
    std::thread streaming([&] {
        std::mt19937 random(1686);
        std::vector<std::uint8_t> sample(static_cast<std::size_t>(kLongerLength));
        for (int n = 0; n < kSamples; ++n) {
            const std::int32_t length = (random() & 1) ? kExactLength : kLongerLength;
            // Y = U = V: one colour over the whole picture, different per sample.
            std::fill(sample.begin(), sample.begin() + length, std::uint8_t(16 + n % 200));
            image.SampleArrived(sample.data(), length);
            std::this_thread::sleep_for(std::chrono::microseconds(1500));
        }
        finished.store(true);
    });

    const bool drained = test::RunEventsUntil(
        [&] { return finished.load() && handled + image.SkippedFrames.load() == kSamples; }, 120000);
    streaming.join();

    RecordProperty("handled", handled);
    RecordProperty("skipped", image.SkippedFrames.load());
    EXPECT_TRUE(drained) << handled << " handled, " << image.SkippedFrames.load() << " skipped";
    EXPECT_EQ(TVideoImageTestPeer::FrameCount(image), kSamples);
    EXPECT_GT(handled, 0);
    EXPECT_EQ(tornBuffers, 0);
    EXPECT_EQ(tornPictures, 0);
    EXPECT_TRUE(UniformPicture(screen)) << "last drawn picture";
    EXPECT_TRUE(errors.messages.empty());
}

} // namespace
} // namespace kamsel::frames
