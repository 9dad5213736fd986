// The small pieces of the layer: wide strings and variants, media types,
// object creation, device names, preview pictures.

#include "GraphTestSupport.h"

#include "platform/dshow/DevicePropertyBag.h"
#include "platform/dshow/FrameImage.h"
#include "platform/dshow/ModeMediaTypes.h"
#include "platform/media/StandardYuvTables.h"
#include "platform/media/YuvConverter.h"

#include <limits>
#include <random>

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

// The preview shows the colours of the frame decoder's tables, pixel for
// pixel, also at odd sizes; samples sized exactly to their format let the
// sanitizers see any read past them.
TEST(LayerBasicsTest, PreviewColoursAreTheFrameDecodersOwn) {
    const media::YuvConverter tables(media::StandardYuvTables::Shared().View(), media::YuvKernel::Scalar);
    auto expected = [&](int y, int u, int v) {
        std::uint8_t bgr[3];
        tables.Pixel(std::uint8_t(y), std::uint8_t(u), std::uint8_t(v), bgr);
        return qRgb(bgr[2], bgr[1], bgr[0]);
    };
    std::mt19937 random(11);
    for (const QSize size : {QSize(38, 4), QSize(37, 3), QSize(1, 1)}) {
        const int w = size.width(), h = size.height();
        media::VideoMode mode;
        mode.width = w;
        mode.height = h;

        mode.fourcc = media::FourCC("YUY2");
        mode.bitCount = 16;
        std::vector<BYTE> yuy2(std::size_t(w * h * 2));
        for (BYTE& b : yuy2)
            b = BYTE(random());
        const QImage packed =
            FrameImage(MediaTypeFromMode(mode, FORMAT_VideoInfo).Get(), yuy2.data(), LONG(yuy2.size()));
        ASSERT_EQ(packed.size(), size);
        for (int r = 0; r < h; ++r)
            for (int x = 0; x < w; ++x) {
                const BYTE* pair = yuy2.data() + r * w * 2 + (x / 2) * 4;
                // The last pixel of an odd row has no V byte: it takes the previous pair's.
                const int v = x / 2 < w / 2 ? pair[3] : x > 0 ? pair[-1] : 128;
                ASSERT_EQ(packed.pixel(x, r), expected(pair[x % 2 * 2], pair[1], v))
                    << "YUY2 " << w << "x" << h << " at " << x << "," << r;
            }

        mode.fourcc = media::FourCC("I420");
        mode.bitCount = 12;
        const int cw = (w + 1) / 2, ch = (h + 1) / 2;
        std::vector<BYTE> i420(std::size_t(w * h + 2 * cw * ch));
        for (BYTE& b : i420)
            b = BYTE(random());
        const QImage planar =
            FrameImage(MediaTypeFromMode(mode, FORMAT_VideoInfo).Get(), i420.data(), LONG(i420.size()));
        ASSERT_EQ(planar.size(), size);
        const BYTE* u = i420.data() + w * h;
        const BYTE* v = u + cw * ch;
        for (int r = 0; r < h; ++r)
            for (int x = 0; x < w; ++x) {
                const int c = (r / 2) * cw + x / 2;
                ASSERT_EQ(planar.pixel(x, r), expected(i420[std::size_t(r * w + x)], u[c], v[c]))
                    << "I420 " << w << "x" << h << " at " << x << "," << r;
            }
    }
}

} // namespace
} // namespace kamsel::dshow::test
