#pragma once
// A capture object over the test's own devices: one fake camera, "USB Camera",
// registered before each test (tests add more or change it before starting).
// After each test the capture object is destroyed and nothing of the layer is
// left: no object, no task memory, no device, no stream.

#include "SampleRecorder.h"

#include "capture/TVideoSample.h"

#include "platform/dshow/LiveObject.h"
#include "platform/dshow/fake/FakeDeviceRegistry.h"

#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

namespace kamsel::capture::test {

class VideoSampleTest : public ::testing::Test {
  protected:
    void TearDown() override;

    // Creates the capture object (owner window owner_); returns Create's status.
    com::HRESULT Create(bool forceRgb24 = false, std::int32_t callBackMode = TVideoSample::kSampleCBMode);
    // Create, then StartVideo; returns StartVideo's status.
    com::HRESULT Start(const QString& deviceText = QStringLiteral("#1"), bool preview = false);
    // Start and register recorder_; the start must succeed.
    void StartRecording();

    // Whether the object's graph holds the filter (under the name given).
    static bool InGraph(dshow::IBaseFilter* filter, const QString& name = {});
    // Frames of n bytes, the first byte telling them apart.
    static std::vector<std::uint8_t> Frame(std::size_t n, std::uint8_t first);

    dshow::fake::FakeDeviceRegistry devices_;
    std::shared_ptr<dshow::fake::FakeCamera> camera_ = devices_.AddCamera("USB Camera");
    QWidget owner_;
    const long objectsBefore_ = dshow::LiveObjectCount();
    const long blocksBefore_ = dshow::LiveTaskMemBlocks();
    SampleRecorder recorder_;
    std::unique_ptr<TVideoSample> sample_;
    QString foundName_;
};

} // namespace kamsel::capture::test
