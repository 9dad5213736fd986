#include "VideoSampleFixture.h"

namespace kamsel::capture::test {

void VideoSampleTest::TearDown() {
    sample_.reset();
    EXPECT_FALSE(camera_->Streaming());
    EXPECT_EQ(devices_.LiveDevices(), 0);
    EXPECT_EQ(dshow::LiveObjectCount(), objectsBefore_);
    EXPECT_EQ(dshow::LiveTaskMemBlocks(), blocksBefore_);
}

com::HRESULT VideoSampleTest::Create(bool forceRgb24, std::int32_t callBackMode) {
    com::HRESULT status = com::E_UNEXPECTED;
    sample_ = TVideoSample::Create(dshow::HWND(&owner_), forceRgb24, callBackMode, status);
    return status;
}

com::HRESULT VideoSampleTest::Start(const QString& deviceText, bool preview) {
    EXPECT_EQ(Create(), com::S_OK);
    return sample_->StartVideo(deviceText, preview, foundName_);
}

void VideoSampleTest::StartRecording() {
    ASSERT_EQ(Start(), com::S_OK);
    sample_->SetCallBack(recorder_.CallBack());
}

bool VideoSampleTest::InGraph(dshow::IBaseFilter* filter, const QString& name) {
    if (!filter)
        return false;
    dshow::FILTER_INFO info{};
    if (com::FAILED(filter->QueryFilterInfo(&info)))
        return false;
    const auto graph = com::ComPtr<dshow::IFilterGraph>::Attach(info.pGraph);
    return graph && (name.isEmpty() || QString::fromUtf16(info.achName) == name);
}

std::vector<std::uint8_t> VideoSampleTest::Frame(std::size_t n, std::uint8_t first) {
    std::vector<std::uint8_t> frame(n, 0x80);
    if (n > 0)
        frame[0] = first;
    return frame;
}

} // namespace kamsel::capture::test
