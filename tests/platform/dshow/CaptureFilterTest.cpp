// The capture filter over a device: stream configuration, image controls,
// property sets and pages.

#include "GraphTestSupport.h"

#include <cerrno>

namespace kamsel::dshow::test {
namespace {

using fake::FakeCamera;
using fake::FakeDeviceRegistry;

media::VideoMode Mode(std::uint32_t fourcc, int width, int height, std::uint16_t bits, std::uint32_t size) {
    media::VideoMode mode;
    mode.fourcc = fourcc;
    mode.width = width;
    mode.height = height;
    mode.bitCount = bits;
    mode.sampleSize = size;
    mode.frameInterval = 333333;
    mode.minFrameInterval = 333333;
    mode.maxFrameInterval = 1000000;
    return mode;
}

class CaptureFilterTest : public ::testing::Test {
  protected:
    ComPtr<IAMStreamConfig> Config() {
        ComPtr<IEnumPins> pins;
        ComPtr<IPin> pin;
        ComPtr<IAMStreamConfig> config;
        EXPECT_EQ(filter_->EnumPins(pins.ReleaseAndGetAddressOf()), S_OK);
        EXPECT_EQ(pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr), S_OK);
        pin.As(config);
        return config;
    }

    LeakCheck leaks_;
    FakeDeviceRegistry devices_;
    std::shared_ptr<FakeCamera> camera_ = devices_.AddCamera("Camera");
    ComPtr<IBaseFilter> filter_;
};

TEST_F(CaptureFilterTest, CapabilitiesDescribeTheDeviceModes) {
    camera_->SetModes({Mode(media::FourCC("YUY2"), 640, 480, 16, 614400),
                       Mode(media::FourCC("MJPG"), 1280, 720, 24, 2764800),
                       Mode(media::kFourCCRgb24, 320, -240, 24, 230400)},
                      0);
    filter_ = BindDevice(1);
    const ComPtr<IAMStreamConfig> config = Config();
    ASSERT_TRUE(config);
    int count = 0;
    int size = 0;
    ASSERT_EQ(config->GetNumberOfCapabilities(&count, &size), S_OK);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(size, static_cast<int>(sizeof(VIDEO_STREAM_CONFIG_CAPS)));

    struct Expected {
        GUID subtype;
        DWORD compression;
        LONG width, height;
        ULONG sampleSize;
    };
    const Expected expected[] = {{MEDIASUBTYPE_YUY2, media::FourCC("YUY2"), 640, 480, 614400},
                                 {MEDIASUBTYPE_MJPG, media::FourCC("MJPG"), 1280, 720, 2764800},
                                 {MEDIASUBTYPE_RGB24, BI_RGB, 320, -240, 230400}};
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        AM_MEDIA_TYPE* type = nullptr;
        VIDEO_STREAM_CONFIG_CAPS caps{};
        ASSERT_EQ(config->GetStreamCaps(i, &type, reinterpret_cast<BYTE*>(&caps)), S_OK);
        const MediaTypePtr owned(type);
        EXPECT_EQ(type->majortype, MEDIATYPE_Video);
        EXPECT_EQ(type->subtype, expected[i].subtype);
        EXPECT_EQ(type->lSampleSize, expected[i].sampleSize);
        EXPECT_EQ(type->formattype, FORMAT_VideoInfo);
        ASSERT_EQ(type->cbFormat, 88u);
        const VIDEOINFOHEADER* info = VideoInfo(*type);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->bmiHeader.biWidth, expected[i].width);
        EXPECT_EQ(info->bmiHeader.biHeight, expected[i].height);
        EXPECT_EQ(info->bmiHeader.biCompression, expected[i].compression);
        EXPECT_EQ(info->AvgTimePerFrame, 333333);
        EXPECT_EQ(caps.guid, FORMAT_VideoInfo);
        EXPECT_EQ(caps.InputSize.cx, expected[i].width);
        EXPECT_EQ(caps.InputSize.cy, expected[i].height < 0 ? -expected[i].height : expected[i].height);
        EXPECT_EQ(caps.MinFrameInterval, 333333);
        EXPECT_EQ(caps.MaxFrameInterval, 1000000);
    }

    AM_MEDIA_TYPE* type = nullptr;
    VIDEO_STREAM_CONFIG_CAPS caps{};
    EXPECT_EQ(config->GetStreamCaps(3, &type, reinterpret_cast<BYTE*>(&caps)), S_FALSE);
    EXPECT_EQ(config->GetStreamCaps(-1, &type, reinterpret_cast<BYTE*>(&caps)), E_INVALIDARG);
    EXPECT_EQ(config->GetStreamCaps(0, nullptr, reinterpret_cast<BYTE*>(&caps)), E_POINTER);
    EXPECT_EQ(type, nullptr);
}

TEST_F(CaptureFilterTest, FormatsCanBeDescribedWithTheSecondVideoHeader) {
    camera_->SetFormatType(FORMAT_VideoInfo2);
    filter_ = BindDevice(1);
    AM_MEDIA_TYPE* type = nullptr;
    ASSERT_EQ(Config()->GetFormat(&type), S_OK);
    const MediaTypePtr owned(type);
    EXPECT_EQ(type->formattype, FORMAT_VideoInfo2);
    EXPECT_EQ(type->cbFormat, sizeof(VIDEOINFOHEADER2));
    EXPECT_EQ(VideoInfo(*type), nullptr);
    ASSERT_NE(BitmapHeader(*type), nullptr);
    EXPECT_EQ(BitmapHeader(*type)->biWidth, 640);
}

TEST_F(CaptureFilterTest, SetFormatPicksTheModeAndRate) {
    filter_ = BindDevice(1);
    const ComPtr<IAMStreamConfig> config = Config();
    AM_MEDIA_TYPE* small = nullptr;
    VIDEO_STREAM_CONFIG_CAPS caps{};
    ASSERT_EQ(config->GetStreamCaps(2, &small, reinterpret_cast<BYTE*>(&caps)), S_OK);
    const MediaTypePtr owned(small);
    auto* info = reinterpret_cast<VIDEOINFOHEADER*>(small->pbFormat);

    info->AvgTimePerFrame = 666666; // 15 frames per second, in range
    ASSERT_EQ(config->SetFormat(small), S_OK);
    EXPECT_EQ(camera_->CurrentMode().width, 320);
    EXPECT_EQ(camera_->CurrentMode().frameInterval, 666666);
    AM_MEDIA_TYPE* current = nullptr;
    ASSERT_EQ(config->GetFormat(&current), S_OK);
    EXPECT_EQ(VideoInfo(*current)->bmiHeader.biWidth, 320);
    DeleteMediaType(current);

    info->AvgTimePerFrame = 100; // faster than the device goes
    EXPECT_EQ(config->SetFormat(small), VFW_E_INVALIDMEDIATYPE);
    info->AvgTimePerFrame = 0;
    info->bmiHeader.biWidth = 321;
    EXPECT_EQ(config->SetFormat(small), VFW_E_INVALIDMEDIATYPE);
    EXPECT_EQ(config->SetFormat(nullptr), E_POINTER);
    EXPECT_EQ(camera_->CurrentMode().width, 320);
}

TEST_F(CaptureFilterTest, StreamConfigurationFaults) {
    camera_->SetFault(FaultPoint::GetStreamCaps, E_FAIL, 1);
    camera_->SetFault(FaultPoint::GetNumberOfCapabilities, E_ACCESSDENIED);
    camera_->SetFault(FaultPoint::GetFormat, E_ABORT);
    camera_->SetFault(FaultPoint::SetFormat, E_OUTOFMEMORY);
    filter_ = BindDevice(1);
    const ComPtr<IAMStreamConfig> config = Config();
    int count = 0;
    int size = 0;
    EXPECT_EQ(config->GetNumberOfCapabilities(&count, &size), E_ACCESSDENIED);
    AM_MEDIA_TYPE* type = nullptr;
    VIDEO_STREAM_CONFIG_CAPS caps{};
    EXPECT_EQ(config->GetStreamCaps(1, &type, reinterpret_cast<BYTE*>(&caps)), E_FAIL);
    ASSERT_EQ(config->GetStreamCaps(2, &type, reinterpret_cast<BYTE*>(&caps)), S_OK);
    const MediaTypePtr owned(type);
    EXPECT_EQ(config->SetFormat(type), E_OUTOFMEMORY);
    AM_MEDIA_TYPE* current = nullptr;
    EXPECT_EQ(config->GetFormat(&current), E_ABORT);
    EXPECT_EQ(current, nullptr);
}

TEST_F(CaptureFilterTest, ImageControlsMapToTheDevice) {
    filter_ = BindDevice(1);
    ComPtr<IAMVideoProcAmp> procAmp;
    ASSERT_EQ(filter_.As(procAmp), S_OK);
    LONG min = 0, max = 0, step = 0, def = 0, caps = 0, value = 0, flags = 0;
    ASSERT_EQ(procAmp->GetRange(VideoProcAmp_WhiteBalance, &min, &max, &step, &def, &caps), S_OK);
    EXPECT_EQ(std::vector<LONG>({min, max, step, def, caps}),
              std::vector<LONG>({2800, 6500, 10, 4600, VideoProcAmp_Flags_Auto | VideoProcAmp_Flags_Manual}));
    ASSERT_EQ(procAmp->Get(VideoProcAmp_WhiteBalance, &value, &flags), S_OK);
    EXPECT_EQ(flags, VideoProcAmp_Flags_Auto);
    // Values go through unchecked, out of range too.
    ASSERT_EQ(procAmp->Set(VideoProcAmp_WhiteBalance, 99999, VideoProcAmp_Flags_Manual), S_OK);
    EXPECT_EQ(camera_->ControlSetting(media::ImageControl::WhiteBalance),
              std::pair(std::int32_t{99999}, std::int32_t{VideoProcAmp_Flags_Manual}));

    EXPECT_LT(procAmp->GetRange(VideoProcAmp_Hue, &min, &max, &step, &def, &caps), 0); // not on this camera
    EXPECT_LT(procAmp->Set(VideoProcAmp_Hue, 1, VideoProcAmp_Flags_Manual), 0);
    EXPECT_EQ(procAmp->Get(10, &value, &flags), E_PROP_ID_UNSUPPORTED);

    camera_->SetFault(FaultPoint::ProcAmpGet, E_ABORT, VideoProcAmp_Gain);
    EXPECT_EQ(procAmp->Get(VideoProcAmp_Gain, &value, &flags), E_ABORT);
    EXPECT_EQ(procAmp->Get(VideoProcAmp_Brightness, &value, &flags), S_OK);
    camera_->SetFault(FaultPoint::ProcAmpSet, E_ACCESSDENIED);
    EXPECT_EQ(procAmp->Set(VideoProcAmp_Brightness, 1, VideoProcAmp_Flags_Manual), E_ACCESSDENIED);
    camera_->SetFault(FaultPoint::ProcAmpGetRange, E_FAIL);
    EXPECT_EQ(procAmp->GetRange(VideoProcAmp_Brightness, &min, &max, &step, &def, &caps), E_FAIL);
}

TEST_F(CaptureFilterTest, ThePropertySetReachesTheSameControls) {
    filter_ = BindDevice(1);
    ComPtr<IKsPropertySet> properties;
    ASSERT_EQ(filter_.As(properties), S_OK);
    DWORD support = 0;
    EXPECT_EQ(properties->QuerySupported(PROPSETID_VIDCAP_VIDEOPROCAMP, VideoProcAmp_Gain, &support), S_OK);
    EXPECT_EQ(support, KSPROPERTY_SUPPORT_GET | KSPROPERTY_SUPPORT_SET);
    EXPECT_EQ(properties->QuerySupported(PROPSETID_VIDCAP_VIDEOPROCAMP, VideoProcAmp_Hue, &support),
              E_PROP_ID_UNSUPPORTED);
    EXPECT_EQ(properties->QuerySupported(AMPROPSETID_Pin, 0, &support), E_PROP_SET_UNSUPPORTED);

    KSPROPERTY_VIDEOPROCAMP_S data{};
    DWORD returned = 0;
    ASSERT_EQ(properties->Get(PROPSETID_VIDCAP_VIDEOPROCAMP, VideoProcAmp_Gain, nullptr, 0, &data,
                              sizeof data, &returned),
              S_OK);
    EXPECT_EQ(returned, sizeof data);
    EXPECT_EQ(data.Value, 10);
    EXPECT_EQ(data.Flags, static_cast<ULONG>(VideoProcAmp_Flags_Manual));
    data.Value = 42;
    data.Flags = VideoProcAmp_Flags_Auto;
    ASSERT_EQ(
        properties->Set(PROPSETID_VIDCAP_VIDEOPROCAMP, VideoProcAmp_Gain, nullptr, 0, &data, sizeof data),
        S_OK);
    EXPECT_EQ(camera_->ControlSetting(media::ImageControl::Gain),
              std::pair(std::int32_t{42}, std::int32_t{VideoProcAmp_Flags_Auto}));
    EXPECT_EQ(properties->Set(PROPSETID_VIDCAP_VIDEOPROCAMP, VideoProcAmp_Gain, nullptr, 0, &data, 4),
              E_INVALIDARG);
}

TEST_F(CaptureFilterTest, ImageControlInterfacesAreAbsentWhenTheDeviceHasNone) {
    auto bare = devices_.AddCamera("Bare");
    bare->RemoveImageControls();
    bare->SetDeviceControls({});
    bare->SetModes({});
    filter_ = BindDevice(2);
    ComPtr<IAMVideoProcAmp> procAmp;
    ComPtr<IKsPropertySet> properties;
    EXPECT_EQ(filter_.As(procAmp), E_NOINTERFACE);
    EXPECT_EQ(filter_.As(properties), E_NOINTERFACE);
    // Empty page lists.
    ComPtr<ISpecifyPropertyPages> pages;
    ASSERT_EQ(filter_.As(pages), S_OK);
    CAUUID list{7, nullptr};
    EXPECT_EQ(pages->GetPages(&list), S_OK);
    EXPECT_EQ(list.cElems, 0u);
    EXPECT_EQ(list.pElems, nullptr);
    ASSERT_EQ(Config().As(pages), S_OK);
    EXPECT_EQ(pages->GetPages(&list), S_OK);
    EXPECT_EQ(list.cElems, 0u);

    camera_->SetFault(FaultPoint::QueryVideoProcAmp, E_NOINTERFACE);
    camera_->SetFault(FaultPoint::QueryKsPropertySet, E_NOINTERFACE);
    filter_ = BindDevice(1);
    EXPECT_EQ(filter_.As(procAmp), E_NOINTERFACE);
    EXPECT_EQ(filter_.As(properties), E_NOINTERFACE);
}

TEST_F(CaptureFilterTest, PagesOfTheFilterAndThePin) {
    filter_ = BindDevice(1);
    ComPtr<ISpecifyPropertyPages> pages;
    ASSERT_EQ(filter_.As(pages), S_OK);
    CAUUID list{};
    ASSERT_EQ(pages->GetPages(&list), S_OK);
    ASSERT_EQ(list.cElems, 1u);
    EXPECT_EQ(list.pElems[0], CLSID_DeviceControlsPropertyPage);
    CoTaskMemFree(list.pElems);
    ASSERT_EQ(Config().As(pages), S_OK);
    ASSERT_EQ(pages->GetPages(&list), S_OK);
    ASSERT_EQ(list.cElems, 1u);
    EXPECT_EQ(list.pElems[0], CLSID_VideoStreamConfigPropertyPage);
    CoTaskMemFree(list.pElems);

    camera_->SetFault(FaultPoint::FilterGetPages, E_OUTOFMEMORY);
    camera_->SetFault(FaultPoint::StreamGetPages, E_ABORT);
    EXPECT_EQ(pages->GetPages(&list), E_ABORT);
    ASSERT_EQ(filter_.As(pages), S_OK);
    EXPECT_EQ(pages->GetPages(&list), E_OUTOFMEMORY);
    camera_->SetFault(FaultPoint::QueryPropertyPages, E_NOINTERFACE);
    EXPECT_EQ(filter_.As(pages), E_NOINTERFACE);
}

TEST_F(CaptureFilterTest, FilterInformationCarriesTheGraphAndName) {
    filter_ = BindDevice(1);
    FILTER_INFO info{};
    ASSERT_EQ(filter_->QueryFilterInfo(&info), S_OK);
    EXPECT_EQ(info.pGraph, nullptr);
    const ComPtr<IGraphBuilder> graph = Create<IGraphBuilder>(CLSID_FilterGraph);
    ASSERT_EQ(graph->AddFilter(filter_.Get(), u"Video Capture"), S_OK);
    ASSERT_EQ(filter_->QueryFilterInfo(&info), S_OK);
    EXPECT_EQ(std::u16string(info.achName), u"Video Capture");
    ASSERT_NE(info.pGraph, nullptr);
    info.pGraph->Release();
    camera_->SetFault(FaultPoint::QueryFilterInfo, E_FAIL);
    EXPECT_EQ(filter_->QueryFilterInfo(&info), E_FAIL);
    CLSID id{};
    EXPECT_EQ(filter_->GetClassID(&id), S_OK);
}

TEST_F(CaptureFilterTest, AMonikerBindsItsDeviceOnce) {
    ComPtr<ICreateDevEnum> devices = Create<ICreateDevEnum>(CLSID_SystemDeviceEnum);
    ComPtr<IEnumMoniker> monikers;
    ComPtr<IMoniker> moniker;
    ASSERT_EQ(
        devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.ReleaseAndGetAddressOf(), 0),
        S_OK);
    ASSERT_EQ(monikers->Next(1, moniker.ReleaseAndGetAddressOf(), nullptr), S_OK);
    ASSERT_EQ(moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter_.ReleaseAndGetVoidAddress()),
              S_OK);
    ComPtr<IBaseFilter> second;
    EXPECT_EQ(moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, second.ReleaseAndGetVoidAddress()),
              MK_E_UNAVAILABLE);
    EXPECT_EQ(camera_->OpenCount(), 1);
    EXPECT_EQ(monikers->Next(1, moniker.ReleaseAndGetAddressOf(), nullptr), S_FALSE);
    // Other categories are empty.
    EXPECT_EQ(devices->CreateClassEnumerator(MEDIATYPE_Audio, monikers.ReleaseAndGetAddressOf(), 0), S_FALSE);
    EXPECT_FALSE(monikers);
}

TEST_F(CaptureFilterTest, DeviceControlsAreReachable) {
    filter_ = BindDevice(1);
    ComPtr<IDeviceControls> controls;
    ASSERT_EQ(filter_.As(controls), S_OK);
    std::vector<media::DeviceControl> list;
    ASSERT_EQ(controls->GetControls(&list), S_OK);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(controls->SetControlValue(3, 2), S_OK);
    LONG value = 0;
    EXPECT_EQ(controls->GetControlValue(3, &value), S_OK);
    EXPECT_EQ(value, 2);
    EXPECT_LT(controls->SetControlValue(99, 1), 0);
}

} // namespace
} // namespace kamsel::dshow::test
