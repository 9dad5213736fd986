// UnpackFrame takes bytes from a device: any length and content must give a
// picture or the failure text, never a crash, an out-of-bounds read or a hang.
//
// Input: byte 0 picks the pixel format, bytes 1 and 2 the video width and
// height (0..255), byte 3 bit 0 negates the height (as some drivers report
// bottom-up formats), bit 1 leaves the bitmap at a size other than the video's;
// the rest is the sample, handed over in a buffer of exactly its length.
//
// Built twice: without the GDI+ module (motion JPEG through libjpeg) and, as
// fuzz_unpack_frame_gdiplus, with it loaded (KAMSEL_FUZZ_GDIPLUS_MODULE).

#include "frames/TVideoImage.h"
#include "frames/UGDIPlus.h"
#include "tests/frames/TVideoImageTestPeer.h"

#include <QGuiApplication>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using kamsel::frames::FourCC;

constexpr std::array<std::uint32_t, 9> kCodes{0,
                                              FourCC("I420"),
                                              FourCC("IYUV"),
                                              FourCC("YV12"),
                                              FourCC("YUY2"),
                                              FourCC("YUNV"),
                                              FourCC("YUYV"),
                                              FourCC("MJPG"),
                                              FourCC("H264")};

// Kept across inputs like the facade of a running pane, whose decoder and
// stream are reused from frame to frame.
kamsel::frames::TVideoImage* image = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication app(*argc, *argv); // fonts for the failure text
#ifdef KAMSEL_FUZZ_GDIPLUS_MODULE
    kamsel::frames::LoadGdiPlus(KAMSEL_FUZZ_GDIPLUS_MODULE);
    if (!kamsel::frames::GdiPlusAvailable()) {
        std::fprintf(stderr, "cannot load %s\n", KAMSEL_FUZZ_GDIPLUS_MODULE);
        std::abort();
    }
#endif
    image = new kamsel::frames::TVideoImage();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4)
        return 0;
    image->VideoFourCC = kCodes[data[0] % kCodes.size()];
    image->VideoWidth = data[1];
    image->VideoHeight = (data[3] & 1) != 0 ? -int(data[2]) : int(data[2]);
    if ((data[3] & 2) != 0)
        kamsel::frames::TVideoImageTestPeer::FrameBitmap(*image).SetSize(data[2], data[1]);
    else
        kamsel::frames::TVideoImageTestPeer::FrameBitmap(*image).SetSize(image->VideoWidth,
                                                                         std::max(0, image->VideoHeight));
    const std::vector<std::uint8_t> sample(data + 4, data + size);
    kamsel::frames::TVideoImageTestPeer::FrameDecoded(*image) = false;
    // An empty vector's data() may be null, which UnpackFrame takes as "no buffer".
    image->UnpackFrame(static_cast<std::int32_t>(sample.size()), sample.data());
    return 0;
}
