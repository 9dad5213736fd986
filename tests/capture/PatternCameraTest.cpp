// End to end on a virtual camera: the pattern camera's frames reach the
// registered procedure through the capture object while formats change,
// the stream pauses and resumes, and the object goes.

#include "SampleRecorder.h"

#include "capture/TVideoSample.h"

#include "platform/dshow/LiveObject.h"
#include "platform/dshow/fake/FakeDeviceRegistry.h"
#include "platform/virtualcam/VirtualCameraSource.h"

#include "support/LogCapture.h"

#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace kamsel::capture::test {
namespace {

using com::S_OK;

dshow::DeviceProviders VirtualCameras(std::string_view declarations) {
    return {std::make_shared<dshow::MediaSourceProvider>(
        std::make_unique<virtualcam::VirtualCameraSource>(declarations))};
}

class PatternCameraTest : public ::testing::Test {
  protected:
    void TearDown() override {
        sample_.reset();
        EXPECT_EQ(dshow::LiveObjectCount(), objectsBefore_);
        EXPECT_EQ(dshow::LiveTaskMemBlocks(), blocksBefore_);
    }

    // Applies the size list's line and checks the format now in force.
    void SwitchTo(const QString& line, std::int32_t width, std::int32_t height, const char (&fourcc)[5]) {
        QStringList sizes;
        sample_->GetListOfVideoSizes(&sizes);
        const auto index = static_cast<std::int32_t>(sizes.indexOf(line));
        ASSERT_GE(index, 0) << line.toStdString();
        ASSERT_EQ(sample_->SetVideoFormat(index), S_OK);
        ExpectFormat(width, height, media::FourCC(fourcc));
        expectedSize_ =
            static_cast<std::int32_t>(sample_->GetFormats()[static_cast<std::size_t>(index)].SampleSize);
    }

    void ExpectFormat(std::int32_t width, std::int32_t height, std::uint32_t fourcc) {
        std::int32_t w = 0, h = 0;
        std::uint32_t f = 0;
        ASSERT_EQ(sample_->GetVideoFormat(w, h, f), S_OK);
        EXPECT_EQ(w, width);
        EXPECT_EQ(h, height);
        EXPECT_EQ(f, fourcc);
    }

    // The next few samples all have the size of the format in force: a format
    // is applied with the stream stopped, so nothing of the old one follows.
    void ExpectSamplesOfTheFormat(std::uint8_t firstByte = 0) {
        const std::size_t from = recorder_.Count();
        ASSERT_TRUE(recorder_.WaitForSamples(from + 3));
        const auto samples = recorder_.Samples();
        for (std::size_t i = from; i < samples.size(); ++i) {
            EXPECT_EQ(samples[i].length, expectedSize_) << "sample " << i;
            if (firstByte != 0) {
                EXPECT_EQ(samples[i].firstByte, firstByte) << "sample " << i;
            }
        }
    }

    dshow::fake::FakeDeviceRegistry devices_{VirtualCameras("Cam A;Test Pattern=pattern")};
    QWidget owner_;
    const long objectsBefore_ = dshow::LiveObjectCount();
    const long blocksBefore_ = dshow::LiveTaskMemBlocks();
    SampleRecorder recorder_;
    std::unique_ptr<TVideoSample> sample_;
    std::int32_t expectedSize_ = 0;
};

TEST_F(PatternCameraTest, StreamsFollowFormatChangesPauseResumeAndEnd) {
    com::HRESULT created = com::E_FAIL;
    sample_ = TVideoSample::Create(dshow::HWND(&owner_), false, TVideoSample::kSampleCBMode, created);
    ASSERT_EQ(created, S_OK);
    QString found;
    ASSERT_EQ(sample_->StartVideo(QStringLiteral("#2"), false, found), S_OK);
    EXPECT_EQ(found, QStringLiteral("Test Pattern"));
    ExpectFormat(640, 480, media::FourCC("YUY2"));
    sample_->SetCallBack(recorder_.CallBack());

    QStringList sizes;
    sample_->GetListOfVideoSizes(&sizes);
    EXPECT_EQ(sizes,
              (QStringList{"320*240  (YUY2)", "320*240  (RGB )", "640*480  (YUY2)", "640*480  (MJPG)",
                           "640*480  (I420)", "1280*720  (YUY2)", "1280*720  (MJPG)", "1280*720  (I420)",
                           "1920*1080  (MJPG)", "1920*1080  (YUY2)", "1920*1080  (I420)"}));

    expectedSize_ = 640 * 480 * 2;
    ExpectSamplesOfTheFormat();

    // Motion JPEG arrives in its whole buffer, each frame starting with the
    // JPEG start marker.
    SwitchTo(QStringLiteral("1280*720  (MJPG)"), 1280, 720, "MJPG");
    EXPECT_EQ(expectedSize_, 1280 * 720 * 2);
    ExpectSamplesOfTheFormat(0xFF);

    SwitchTo(QStringLiteral("640*480  (I420)"), 640, 480, "I420");
    EXPECT_EQ(expectedSize_, 640 * 480 * 3 / 2);
    ExpectSamplesOfTheFormat();

    ASSERT_EQ(sample_->PauseVideo(), S_OK);
    EXPECT_EQ(sample_->GetState(), 1);
    const std::size_t whilePaused = recorder_.Count();
    ASSERT_EQ(sample_->ResumeVideo(), S_OK);
    EXPECT_EQ(sample_->GetState(), 2);
    EXPECT_TRUE(recorder_.WaitForSamples(whilePaused + 1));

    sample_.reset();
    const std::size_t delivered = recorder_.Count();
    EXPECT_EQ(dshow::LiveObjectCount(), objectsBefore_);
    EXPECT_EQ(recorder_.Count(), delivered);
}

TEST_F(PatternCameraTest, ImageControlIsSetAndReadBack) {
    com::HRESULT created = com::E_FAIL;
    sample_ = TVideoSample::Create(dshow::HWND(&owner_), false, TVideoSample::kSampleCBMode, created);
    ASSERT_EQ(created, S_OK);
    QString found;
    ASSERT_EQ(sample_->StartVideo(QStringLiteral("Cam A"), false, found), S_OK);

    com::LONG min = 0, max = 0, step = 0, def = 0, flags = 0, value = 0;
    ASSERT_EQ(
        sample_->GetVideoPropertySettings(dshow::VideoProcAmp_Brightness, min, max, step, def, flags, value),
        S_OK);
    ASSERT_EQ(
        sample_->SetVideoProperty(dshow::VideoProcAmp_Brightness, dshow::VideoProcAmp_Flags_Manual, max),
        S_OK);
    com::LONG current = 0;
    ASSERT_EQ(sample_->GetVideoPropertySettings(dshow::VideoProcAmp_Brightness, min, max, step, def, flags,
                                                current),
              S_OK);
    EXPECT_EQ(current, max);
    EXPECT_EQ(flags, dshow::VideoProcAmp_Flags_Manual);
}

// A FIFO named as a video file: the start fails at once with a status (no
// wait for a writer), and the log says which file and why.
TEST(VirtualFileCamera, AFifoFailsTheStartAndTheLogSaysWhy) {
    const kamsel::test::LogCapture log("kamsel.capture");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string fifo = dir.filePath(QStringLiteral("live.y4m")).toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    dshow::fake::FakeDeviceRegistry devices{VirtualCameras("Live=" + fifo)};
    QWidget owner;
    com::HRESULT created = com::E_FAIL;
    auto sample = TVideoSample::Create(dshow::HWND(&owner), false, TVideoSample::kSampleCBMode, created);
    ASSERT_EQ(created, S_OK);

    QString found;
    EXPECT_LT(sample->StartVideo(QStringLiteral("Live"), false, found), 0);
    EXPECT_EQ(log.Texts(), std::vector<QString>{QString::fromStdString(fifo + ": not a regular file")});
}

} // namespace
} // namespace kamsel::capture::test
