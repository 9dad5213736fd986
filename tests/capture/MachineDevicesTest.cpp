// The machine's own device list: V4L2 cameras, then the virtual cameras
// declared in KAMSEL_VIRTUAL_CAMERAS, streaming through the capture graph.

#include "capture/DeviceEnumeration.h"

#include "platform/dshow/DeviceCatalog.h"
#include "platform/dshow/GraphTestSupport.h"

#include "support/ScopedEnvironment.h"

#include <gtest/gtest.h>

namespace kamsel::capture {
namespace {

using namespace kamsel::dshow;

// The machine's providers as the process would make them with this
// declaration of virtual cameras; the variable is restored at once.
DeviceProviders MachineProviders(const char* declaration) {
    const kamsel::test::ScopedEnvironment declared("KAMSEL_VIRTUAL_CAMERAS", declaration);
    return BuiltinDeviceProviders();
}

TEST(MachineDevicesTest, VirtualCamerasFollowTheCamerasAndStream) {
    ScopedDeviceProviders machine(MachineProviders("Cam A;Cam B=pattern"));
    QStringList names;
    ASSERT_EQ(ListCaptureDevices(names), S_OK);
    ASSERT_GE(names.size(), 2);
    EXPECT_EQ(names.mid(names.size() - 2), (QStringList{"Cam A", "Cam B"}));

    QString found;
    com::ComPtr<IBaseFilter> filter;
    ASSERT_EQ(FindCaptureDevice("  cam b ", found, &filter), S_OK);
    EXPECT_EQ(found, "Cam B");

    dshow::test::CaptureGraph graph;
    ASSERT_EQ(graph.Build(filter), S_OK);
    auto callback = com::MakeComObject<dshow::test::RecordingCallback>();
    ASSERT_EQ(graph.grabber->SetCallback(callback.Get(), 0), S_OK);
    ASSERT_EQ(graph.control->Run(), S_OK);
    ASSERT_TRUE(callback->WaitFor(2));
    EXPECT_EQ(callback->Calls().front().size, 640 * 480 * 2); // YUY2 640 x 480 in force at start

    // Switch to MJPG 1280 x 720: samples come in buffers larger than their frames.
    ASSERT_EQ(graph.control->Stop(), S_OK);
    const com::ComPtr<IAMStreamConfig> config = graph.StreamConfig();
    ASSERT_TRUE(config);
    AM_MEDIA_TYPE* mjpg = nullptr;
    VIDEO_STREAM_CONFIG_CAPS caps{};
    ASSERT_EQ(config->GetStreamCaps(4, &mjpg, reinterpret_cast<BYTE*>(&caps)), S_OK);
    const MediaTypePtr owned(mjpg);
    ASSERT_EQ(mjpg->subtype, MEDIASUBTYPE_MJPG);
    EXPECT_EQ(caps.InputSize.cx, 1280);
    ASSERT_EQ(config->SetFormat(mjpg), S_OK);
    const std::size_t before = callback->Calls().size();
    ASSERT_EQ(graph.control->Run(), S_OK);
    ASSERT_TRUE(callback->WaitFor(before + 2));
    const auto last = callback->Calls().back();
    EXPECT_EQ(last.size, static_cast<long>(mjpg->lSampleSize));
    EXPECT_LT(last.actual, last.size);
    ASSERT_EQ(graph.grabber->SetCallback(nullptr, 0), S_OK);
    EXPECT_EQ(graph.control->Stop(), S_OK);
}

} // namespace
} // namespace kamsel::capture
