#pragma once
// TVideoImage: the frame facade between one capture object and one camera
// pane. This part of it decodes the newest sample into FrameBitmap, a 24-bit
// bitmap of the current video size, by the stream's pixel format:
//
//   0 (uncompressed RGB)     rows of W * 3 bytes blue, green, red, bottom row first
//   "I420", "IYUV", "YV12"  planar 4:2:0 (YV12 with V before U)
//   "YUY2", "YUNV", "YUYV"  packed 4:2:2, y0 u y1 v
//   "MJPG"                   one JPEG image per sample: through the GDI+ binding
//                            (UGDIPlus.h) when its module is loaded, taking the
//                            image's size; else with JpegImage, drawn at (0, 0)
//
// A sample that does not fit its format, or an unknown format, gives two lines
// of text in the bitmap instead of a picture: "Unknown compression" and the
// data size with the format's name.
//
// Threads: everything here runs on the user-interface thread.

#include "frames/Bitmap24.h"
#include "frames/JpegImage.h"
#include "frames/MemoryStream.h"

#include <array>
#include <cstdint>

namespace kamsel::frames {

// The FourCC code of four letters: the first letter is the lowest byte.
constexpr std::uint32_t FourCC(char a, char b, char c, char d) {
    return std::uint32_t(std::uint8_t(a)) | std::uint32_t(std::uint8_t(b)) << 8 |
           std::uint32_t(std::uint8_t(c)) << 16 | std::uint32_t(std::uint8_t(d)) << 24;
}

class TVideoImage {
  public:
    TVideoImage();
    ~TVideoImage();
    TVideoImage(const TVideoImage&) = delete;
    TVideoImage& operator=(const TVideoImage&) = delete;

    // Decodes Length bytes at Buffer by VideoFourCC into FrameBitmap, or
    // writes the failure text, then sets FrameDecoded. A null Buffer does
    // nothing. Buffer is only read, and only within Length bytes; it must stay
    // valid for the call. Errors other than undecodable data (out of memory)
    // are dropped and leave FrameDecoded clear, so the slot is tried again.
    void UnpackFrame(std::int32_t Length, const std::uint8_t* Buffer);

    // Builds the colour tables on the first call; later calls return at once.
    void InitYUVTables();
    // Convert a planar 4:2:0 / packed 4:2:2 sample into FrameBitmap at its
    // current size. Buffer must hold the bytes that size and VideoFourCC
    // address; UnpackFrame checks this before calling them.
    void I420ToBitmap(const std::uint8_t* Buffer);
    void YUY2ToBitmap(const std::uint8_t* Buffer);

    // Current video size and pixel format code (0: uncompressed RGB).
    std::int32_t VideoWidth = 0;
    std::int32_t VideoHeight = 0;
    std::uint32_t VideoFourCC = 0;
    // Destination of every decode; the pane reads it.
    Bitmap24 FrameBitmap;

    // BT.601 studio-range terms scaled by 256 (see YuvConverter.h).
    std::array<std::int32_t, 256> TableY{};
    std::array<std::int32_t, 256> TableUG{};
    std::array<std::int32_t, 256> TableUB{};
    std::array<std::int32_t, 256> TableVR{};
    std::array<std::int32_t, 256> TableVG{};
    // Saturation of a scaled sum; entry k (-1023..1023) is ClipTable[k + kClipZero].
    static constexpr int kClipZero = 1023;
    std::array<std::uint8_t, 2047> ClipTable{};
    bool TablesReady = false;

    // Decoder and stream for compressed frames, reused for every frame.
    frames::JpegImage JpegImage;
    MemoryStream JpegStream;
    // The newest slot has been decoded into FrameBitmap.
    bool FrameDecoded = false;

  private:
    // Each returns false when the sample does not fit the format.
    bool UnpackRgb(std::int64_t length, const std::uint8_t* buffer);
    bool UnpackPlanar(std::int64_t length, const std::uint8_t* buffer);
    bool UnpackPacked(std::int64_t length, const std::uint8_t* buffer);
    bool UnpackCompressed(std::int32_t length, const std::uint8_t* buffer);
    // Makes FrameBitmap a 24-bit bitmap of the video size before raw pixels go in.
    void FitBitmapToVideo();
    void WriteFailureText(std::int32_t length);
};

} // namespace kamsel::frames
