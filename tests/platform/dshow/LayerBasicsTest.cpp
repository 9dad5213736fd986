// The small pieces of the layer: wide strings and variants, media types,
// object creation, device names, preview pictures.

#include "GraphTestSupport.h"

#include "platform/dshow/DevicePropertyBag.h"
#include "platform/dshow/FrameImage.h"
#include "platform/dshow/ModeMediaTypes.h"

#include <limits>

namespace kamsel::dshow::test {
namespace {

TEST(LayerBasicsTest, WideStringsAndVariants) {
    LeakCheck leaks;
    const char16_t text[] = {u'a', 0, u'b'};
    BSTR withZero = SysAllocStringLen(text, 3);
    ASSERT_NE(withZero, nullptr);
    EXPECT_EQ(SysStringLen(withZero), 3u);
    EXPECT_EQ(std::u16string(withZero, 3), std::u16string(text, 3));
    EXPECT_EQ(withZero[3], 0);
    SysFreeString(withZero);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysAllocStringLen(nullptr, std::numeric_limits<UINT>::max()), nullptr);

    {
        VARIANT value;
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocString(u"held");
        // Freed when it goes out of scope.
    }
    VARIANT value;
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(u"cleared");
    EXPECT_EQ(VariantClear(&value), S_OK);
    EXPECT_EQ(value.vt, VT_EMPTY);
    EXPECT_EQ(value.bstrVal, nullptr);
    EXPECT_EQ(VariantClear(nullptr), E_POINTER);
}

TEST(LayerBasicsTest, MediaTypesOwnTheirFormatBlocks) {
    LeakCheck leaks;
    media::VideoMode mode;
    mode.fourcc = media::FourCC("I420");
    mode.width = 64;
    mode.height = 48;
    mode.bitCount = 12;
    mode.sampleSize = 64 * 48 * 3 / 2;
    mode.frameInterval = 333333;
    const MediaType type = MediaTypeFromMode(mode, FORMAT_VideoInfo);
    EXPECT_EQ(type->subtype, MEDIASUBTYPE_I420);
    MediaType copy = type;
    EXPECT_NE(copy->pbFormat, type->pbFormat);
    AM_MEDIA_TYPE* out = type.CreateCopy();
    ASSERT_NE(out, nullptr);
    AM_MEDIA_TYPE pattern{};
    pattern.majortype = MEDIATYPE_Video;
    EXPECT_TRUE(MatchesPartialType(*out, pattern));
    pattern.subtype = MEDIASUBTYPE_YUY2;
    EXPECT_FALSE(MatchesPartialType(*out, pattern));
    DeleteMediaType(out);
    DeleteMediaType(nullptr);

    // A format block too small for its type is not read as a header.
    AM_MEDIA_TYPE truncated = type.Get();
    truncated.cbFormat = 40;
    EXPECT_EQ(VideoInfo(truncated), nullptr);
    EXPECT_FALSE(ModeForType({mode}, truncated).has_value());
    EXPECT_TRUE(ModeForType({mode}, type.Get()).has_value());
}

TEST(LayerBasicsTest, ObjectCreation) {
    LeakCheck leaks;
    ComPtr<IBaseFilter> filter;
    IUnknown* outer = Create<IBaseFilter>(CLSID_NullRenderer).Get();
    EXPECT_EQ(CoCreateInstance(CLSID_NullRenderer, outer, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                               filter.ReleaseAndGetVoidAddress()),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_LOCAL_SERVER, IID_IBaseFilter,
                               filter.ReleaseAndGetVoidAddress()),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoCreateInstance(MEDIATYPE_Video, nullptr, CLSCTX_INPROC, IID_IBaseFilter,
                               filter.ReleaseAndGetVoidAddress()),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC, IID_ISampleGrabber,
                               filter.ReleaseAndGetVoidAddress()),
              E_NOINTERFACE);
    EXPECT_EQ(CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC, IID_IBaseFilter, nullptr),
              E_POINTER);
    EXPECT_FALSE(filter);
    ComPtr<ISampleGrabber> grabber = Create<ISampleGrabber>(CLSID_SampleGrabber);
    EXPECT_EQ(grabber->SetBufferSamples(FALSE), S_OK);
    EXPECT_EQ(grabber->SetBufferSamples(TRUE), E_NOTIMPL);
    AM_MEDIA_TYPE connected{};
    EXPECT_EQ(grabber->GetConnectedMediaType(&connected), VFW_E_NOT_CONNECTED);
}

TEST(LayerBasicsTest, DeviceNamesBecomeWellFormedText) {
    EXPECT_EQ(WideFromDeviceName("Cam\xc3\xa9ra"), u"Cam\u00e9ra");
    EXPECT_EQ(WideFromDeviceName("\xc0\xaf"), u"\uFFFD\uFFFD");           // overlong
    EXPECT_EQ(WideFromDeviceName("A\xe2\x82"), u"A\uFFFD\uFFFD");         // cut short
    EXPECT_EQ(WideFromDeviceName("\xed\xa0\x80"), u"\uFFFD\uFFFD\uFFFD"); // a surrogate
    EXPECT_EQ(WideFromDeviceName("\xf0\x9f\x93\xb7"), u"\U0001F4F7");
}

TEST(LayerBasicsTest, PreviewPictures) {
    media::VideoMode mode;
    mode.width = 4;
    mode.height = 2;
    mode.fourcc = media::FourCC("YUY2");
    mode.bitCount = 16;
    mode.sampleSize = 16;
    const MediaType yuy2 = MediaTypeFromMode(mode, FORMAT_VideoInfo);
    std::vector<BYTE> gray(16, 128);
    const QImage picture = FrameImage(yuy2.Get(), gray.data(), 16);
    ASSERT_EQ(picture.size(), QSize(4, 2));
    EXPECT_EQ(qGray(picture.pixel(3, 1)), 130);
    EXPECT_TRUE(FrameImage(yuy2.Get(), gray.data(), 15).isNull()); // short sample

    mode.fourcc = media::kFourCCRgb24;
    mode.bitCount = 24;
    mode.sampleSize = 24;
    const MediaType rgb = MediaTypeFromMode(mode, FORMAT_VideoInfo);
    std::vector<BYTE> rows(24, 0);
    rows[0] = 255; // blue, first pixel of the bottom row
    const QImage bottomUp = FrameImage(rgb.Get(), rows.data(), 24);
    EXPECT_EQ(bottomUp.pixel(0, 1), qRgb(0, 0, 255));
    EXPECT_EQ(bottomUp.pixel(0, 0), qRgb(0, 0, 0));

    mode.width = 1 << 20; // absurd sizes are refused before anything is read
    EXPECT_FALSE(CanShowFrames(MediaTypeFromMode(mode, FORMAT_VideoInfo).Get()));
    mode.width = 4;
    mode.height = std::numeric_limits<std::int32_t>::min();
    EXPECT_FALSE(CanShowFrames(MediaTypeFromMode(mode, FORMAT_VideoInfo).Get()));
    mode.height = 2;
    mode.fourcc = media::FourCC("H264");
    EXPECT_FALSE(CanShowFrames(MediaTypeFromMode(mode, FORMAT_VideoInfo).Get()));
}

} // namespace
} // namespace kamsel::dshow::test
