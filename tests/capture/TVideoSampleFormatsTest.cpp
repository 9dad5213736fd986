// The capture object's stream formats: the sorted list, its text lines, and
// applying and reading formats around a graph stop and run.

#include "VideoSampleFixture.h"

#include <chrono>
#include <tuple>

namespace kamsel::capture::test {
namespace {

using com::HRESULT;
using com::S_FALSE;
using com::S_OK;
using dshow::FaultPoint;

media::VideoMode Mode(const char (&fourcc)[5], std::int32_t width, std::int32_t height) {
    media::VideoMode mode;
    mode.fourcc = media::FourCC(fourcc);
    mode.width = width;
    mode.height = height;
    mode.bitCount = 16;
    mode.sampleSize = static_cast<std::uint32_t>(width * (height < 0 ? -height : height) * 2);
    mode.frameInterval = 333333;
    return mode;
}

media::VideoMode Rgb24(std::int32_t width, std::int32_t height) {
    media::VideoMode mode = Mode("RGB3", width, height);
    mode.fourcc = media::kFourCCRgb24;
    mode.bitCount = 24;
    return mode;
}

class VideoFormatsTest : public VideoSampleTest {
  protected:
    // The camera's format in force: FourCC, width, height.
    std::tuple<std::uint32_t, std::int32_t, std::int32_t> CameraFormat() const {
        const media::VideoMode mode = camera_->CurrentMode();
        return {mode.fourcc, mode.width, mode.height};
    }
    QStringList Sizes() const {
        QStringList sizes{QStringLiteral("left over")};
        sample_->GetListOfVideoSizes(&sizes);
        return sizes;
    }
    std::vector<std::int32_t> CapIndices() const {
        std::vector<std::int32_t> indices;
        for (const TVideoFormat& format : sample_->GetFormats())
            indices.push_back(format.CapIndex);
        return indices;
    }
    bool StreamsAgain() const { return camera_->WaitUntilStreaming(std::chrono::seconds(20)); }
};

TEST_F(VideoFormatsTest, ListIsSortedByWidthThenHeight) {
    camera_->SetModes(
        {Mode("YUY2", 1280, 720), Mode("YUY2", 320, 240), Mode("YUY2", 640, 480), Mode("YUY2", 640, 360)});
    ASSERT_EQ(Start(), S_OK);

    EXPECT_EQ(Sizes(),
              (QStringList{"320*240  (YUY2)", "640*360  (YUY2)", "640*480  (YUY2)", "1280*720  (YUY2)"}));
    EXPECT_EQ(CapIndices(), (std::vector<std::int32_t>{1, 3, 2, 0}));
    EXPECT_EQ(sample_->GetFormats()[0].SampleSize, 320u * 240u * 2u);
}

TEST_F(VideoFormatsTest, EqualSizesKeepCapabilityOrderAndDuplicatesStay) {
    camera_->SetModes(
        {Mode("YUY2", 640, 480), Mode("MJPG", 640, 480), Rgb24(320, 240), Mode("YUY2", 640, 480)});
    ASSERT_EQ(Start(), S_OK);

    EXPECT_EQ(Sizes(),
              (QStringList{"320*240  (RGB )", "640*480  (YUY2)", "640*480  (MJPG)", "640*480  (YUY2)"}));
    EXPECT_EQ(CapIndices(), (std::vector<std::int32_t>{2, 0, 1, 3}));
}

TEST_F(VideoFormatsTest, UnreadableCapabilityIsLeftOutAndIndicesAreTranslated) {
    // Capabilities: 0 YUY2 640x480 (unreadable), 1 MJPG 640x480, 2 YUY2 320x240.
    camera_->SetFault(FaultPoint::GetStreamCaps, com::E_FAIL, 0);
    ASSERT_EQ(Start(), S_OK);
    ASSERT_EQ(Sizes(), (QStringList{"320*240  (YUY2)", "640*480  (MJPG)"}));

    EXPECT_EQ(sample_->SetVideoFormat(1), S_OK);
    EXPECT_EQ(camera_->CurrentMode().fourcc, media::FourCC("MJPG"));
    EXPECT_EQ(sample_->SetVideoFormat(0), S_OK);
    EXPECT_EQ(camera_->CurrentMode().width, 320);
}

TEST_F(VideoFormatsTest, SizeListNeedsAPausedOrRunningObject) {
    ASSERT_EQ(Create(), S_OK);
    EXPECT_TRUE(Sizes().isEmpty());
    sample_->GetListOfVideoSizes(nullptr);

    ASSERT_EQ(sample_->StartVideo(QStringLiteral("#1"), false, foundName_), S_OK);
    ASSERT_EQ(sample_->PauseVideo(), S_OK);
    EXPECT_EQ(Sizes().size(), 3);
}

TEST_F(VideoFormatsTest, SetVideoFormatAppliesTheEntryAndRunsAgain) {
    StartRecording();
    ASSERT_EQ(sample_->SetVideoFormat(0), S_OK);

    EXPECT_EQ(CameraFormat(), std::make_tuple(media::FourCC("YUY2"), 320, 240));
    EXPECT_TRUE(StreamsAgain());
    std::int32_t width = 0, height = 0;
    std::uint32_t fourcc = 0;
    EXPECT_EQ(sample_->GetVideoFormat(width, height, fourcc), S_OK);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);
    EXPECT_EQ(fourcc, media::FourCC("YUY2"));
    // The stream still reaches the procedure.
    camera_->PushFrame(Frame(320 * 240 * 2, 4), 320 * 240 * 2);
    ASSERT_TRUE(recorder_.WaitForSamples(1));
    EXPECT_EQ(recorder_.Samples().back().length, 320 * 240 * 2);
}

TEST_F(VideoFormatsTest, IndexOutsideTheListLeavesTheGraphAlone) {
    ASSERT_EQ(Start(), S_OK);
    ASSERT_TRUE(StreamsAgain());
    const int starts = camera_->StartCount();

    EXPECT_EQ(sample_->SetVideoFormat(-1), S_FALSE);
    EXPECT_EQ(sample_->SetVideoFormat(3), S_FALSE);

    EXPECT_EQ(camera_->StartCount(), starts);
    EXPECT_TRUE(camera_->Streaming());
}

TEST_F(VideoFormatsTest, FormatOperationsOnAPausedObjectLeaveTheGraphRunning) {
    ASSERT_EQ(Start(), S_OK);
    ASSERT_EQ(sample_->PauseVideo(), S_OK);

    EXPECT_EQ(sample_->SetVideoFormat(2), S_OK);
    EXPECT_TRUE(camera_->Streaming());
    EXPECT_EQ(sample_->GetState(), 1);

    ASSERT_EQ(sample_->ResumeVideo(), S_OK);
    ASSERT_EQ(sample_->PauseVideo(), S_OK);
    std::int32_t width = 0, height = 0;
    std::uint32_t fourcc = 0;
    EXPECT_EQ(sample_->GetVideoFormat(width, height, fourcc), S_OK);
    EXPECT_EQ(width, 640);
    EXPECT_TRUE(camera_->Streaming());
    EXPECT_EQ(sample_->GetState(), 1);
    // The next resume runs the graph and counts it as running.
    EXPECT_EQ(sample_->ResumeVideo(), S_OK);
    EXPECT_EQ(sample_->GetState(), 2);
}

TEST_F(VideoFormatsTest, RefusedFormatIsReturnedAndTheGraphRunsInTheOldOne) {
    ASSERT_EQ(Start(), S_OK);

    camera_->SetFault(FaultPoint::SetFormat, dshow::VFW_E_INVALIDMEDIATYPE);
    EXPECT_EQ(sample_->SetVideoFormat(0), dshow::VFW_E_INVALIDMEDIATYPE);
    EXPECT_TRUE(StreamsAgain());
    EXPECT_EQ(CameraFormat(), std::make_tuple(media::FourCC("YUY2"), 640, 480));
    camera_->ClearFault(FaultPoint::SetFormat);

    camera_->SetFault(FaultPoint::GetStreamCaps, com::E_OUTOFMEMORY, 2);
    EXPECT_EQ(sample_->SetVideoFormat(0), com::E_OUTOFMEMORY);
    EXPECT_TRUE(StreamsAgain());
    EXPECT_EQ(CameraFormat(), std::make_tuple(media::FourCC("YUY2"), 640, 480));
}

TEST_F(VideoFormatsTest, GetVideoFormatReportsOnlyPlainVideoHeaders) {
    struct Case {
        media::VideoMode mode;
        com::GUID formatType;
        std::int32_t width, height;
        std::uint32_t fourcc;
    };
    const Case cases[] = {
        {Mode("YUY2", 640, 480), dshow::FORMAT_VideoInfo, 640, 480, media::FourCC("YUY2")},
        {Mode("I420", 352, 288), dshow::FORMAT_VideoInfo, 352, 288, media::FourCC("I420")},
        {Rgb24(320, 240), dshow::FORMAT_VideoInfo, 320, 240, 0},
        // Rows top-down: the height is still positive.
        {Mode("YUY2", 640, -480), dshow::FORMAT_VideoInfo, 640, 480, media::FourCC("YUY2")},
        // Another header layout: success, but no size.
        {Mode("YUY2", 640, 480), dshow::FORMAT_VideoInfo2, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode.width << "x" << c.mode.height);
        camera_->SetModes({c.mode});
        camera_->SetFormatType(c.formatType);
        ASSERT_EQ(Start(), S_OK);
        std::int32_t width = -1, height = -1;
        std::uint32_t fourcc = 1;
        EXPECT_EQ(sample_->GetVideoFormat(width, height, fourcc), S_OK);
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(height, c.height);
        EXPECT_EQ(fourcc, c.fourcc);
        EXPECT_TRUE(StreamsAgain());
        sample_.reset();
    }
}

TEST_F(VideoFormatsTest, FailingFormatReadStillRunsTheGraphAgain) {
    ASSERT_EQ(Start(), S_OK);
    camera_->SetFault(FaultPoint::GetFormat, com::E_OUTOFMEMORY);
    std::int32_t width = -1, height = -1;
    std::uint32_t fourcc = 1;

    EXPECT_EQ(sample_->GetVideoFormat(width, height, fourcc), com::E_OUTOFMEMORY);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
    EXPECT_EQ(fourcc, 0u);
    EXPECT_TRUE(StreamsAgain());
}

TEST_F(VideoFormatsTest, DeviceWithoutStreamConfigurationStartsWithNoFormats) {
    camera_->SetFault(FaultPoint::QueryStreamConfig, com::E_NOINTERFACE);
    ASSERT_EQ(Start(), S_OK);

    EXPECT_TRUE(sample_->GetFormats().empty());
    EXPECT_TRUE(Sizes().isEmpty());
    EXPECT_EQ(sample_->SetVideoFormat(0), S_FALSE);
    std::int32_t width = -1, height = -1;
    std::uint32_t fourcc = 1;
    EXPECT_EQ(sample_->GetVideoFormat(width, height, fourcc), com::E_NOINTERFACE);
    EXPECT_EQ(width, 0);
    EXPECT_TRUE(StreamsAgain());
    EXPECT_EQ(sample_->LoadVideoFormats(), com::E_NOINTERFACE);
}

} // namespace
} // namespace kamsel::capture::test
