#include "platform/virtualcam/FileCamera.h"
#include "virtualcam/TempDir.h"
#include "virtualcam/TestJpeg.h"
#include "virtualcam/TestVideoFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace kamsel::virtualcam {
namespace {

using Source = VirtualCameraDeclaration::Source;
using ::testing::HasSubstr;

TEST(FileCamera, OffersTheFilesOneFormat) {
    test::TempDir dir;
    const std::string y4m =
        dir.Write("clip.y4m", test::Y4mFile("YUV4MPEG2 W8 H4 F15:1 C422", {test::Planes422(8, 4, 1, 2, 3)}));
    const std::string mjpeg = dir.Write("clip.mjpeg", test::EncodeSolidJpeg(24, 8, 1, 2, 3));
    FileCamera y4mCamera("Clip", y4m, Source::Y4mFile);
    FileCamera mjpegCamera("Movie", mjpeg, Source::MjpegFile);
    ASSERT_TRUE(y4mCamera.Open().Ok());
    ASSERT_TRUE(mjpegCamera.Open().Ok());
    EXPECT_TRUE(y4mCamera.Open().Ok()); // a second Open changes nothing

    const media::VideoMode mode = y4mCamera.CurrentMode();
    EXPECT_EQ(y4mCamera.Modes(), std::vector<media::VideoMode>{mode});
    EXPECT_EQ(mode.fourcc, media::FourCC("YUY2"));
    EXPECT_EQ(mode.frameInterval, 666'667);
    EXPECT_EQ(mjpegCamera.CurrentMode().fourcc, media::FourCC("MJPG"));
    EXPECT_EQ(mjpegCamera.CurrentMode().width, 24);

    media::VideoMode anyRate = mode;
    anyRate.frameInterval = 0;
    EXPECT_TRUE(y4mCamera.SetMode(anyRate).Ok());
    media::VideoMode other = mode;
    other.width = 16;
    EXPECT_EQ(y4mCamera.SetMode(other).error, -EINVAL);

    media::ImageControlRange range;
    std::int32_t value = 0;
    EXPECT_EQ(y4mCamera.GetImageControlRange(media::ImageControl::Brightness, range).error, -EINVAL);
    EXPECT_EQ(y4mCamera.SetImageControl(media::ImageControl::Gain, 1, media::kControlFlagsManual).error,
              -EINVAL);
    EXPECT_EQ(y4mCamera.GetControl(1, value).error, -EINVAL);
    EXPECT_TRUE(y4mCamera.Controls().empty());
}

TEST(FileCamera, MissingOrMalformedFilesFailToStartNamingTheFile) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.PathOf("folder.y4m"));
    // A FIFO with no writer would have a blocking open wait for good.
    ASSERT_EQ(::mkfifo(dir.PathOf("live.y4m").c_str(), 0600), 0);
    std::filesystem::create_symlink(dir.PathOf("live.y4m"), dir.PathOf("link.mjpeg"));
    const struct {
        std::string path;
        Source source;
        const char* reason;
    } cases[] = {
        {dir.PathOf("missing.y4m"), Source::Y4mFile, "No such file or directory"},
        {dir.PathOf("missing.mjpeg"), Source::MjpegFile, "No such file or directory"},
        {dir.PathOf("folder.y4m"), Source::Y4mFile, "not a regular file"},
        {dir.PathOf("live.y4m"), Source::Y4mFile, "not a regular file"},
        {dir.PathOf("link.mjpeg"), Source::MjpegFile, "not a regular file"},
        {"/dev/null", Source::Y4mFile, "not a regular file"},
        {dir.Write("empty.y4m", {}), Source::Y4mFile, "empty file"},
        {dir.Write("bad.y4m", test::Y4mFile("YUV4MPEG2 Wx H2", {})), Source::Y4mFile, "not a number"},
        {dir.Write("noframes.y4m", test::Y4mFile("YUV4MPEG2 W2 H2", {})), Source::Y4mFile,
         "no complete frame"},
        {dir.Write("bad.mjpeg", {'n', 'o', 'p', 'e'}), Source::MjpegFile, "no complete JPEG image"},
        {dir.Write("clip.avi", {'R', 'I', 'F', 'F'}), Source::OtherFile, "unsupported video file type"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        FileCamera camera("Clip", c.path, c.source);
        const auto opened = camera.Open();
        EXPECT_FALSE(opened.Ok());
        EXPECT_THAT(opened.message, HasSubstr(c.path));
        EXPECT_THAT(opened.message, HasSubstr(c.reason));
        EXPECT_TRUE(camera.Modes().empty());
        struct : media::FrameSink {
            void OnFrame(const std::uint8_t*, std::size_t, std::size_t) override { ADD_FAILURE(); }
            void OnStreamEnded(const media::DeviceStatus&) override { ADD_FAILURE(); }
        } sink;
        const auto started = camera.StartStreaming(sink);
        EXPECT_EQ(started.error, -EBADF);
        EXPECT_THAT(started.message, HasSubstr(c.path));
        camera.StopStreaming();
    }
}

} // namespace
} // namespace kamsel::virtualcam
