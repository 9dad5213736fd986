#include "TVideoImage.h"

#include "frames/UGDIPlus.h"
#include "frames/YuvConverter.h"

#include <QString>

#include <limits>
#include <new>

namespace kamsel::frames {

namespace {

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kI420 = FourCC("I420");
constexpr std::uint32_t kIYUV = FourCC("IYUV");
constexpr std::uint32_t kYV12 = FourCC("YV12");
constexpr std::uint32_t kYUY2 = FourCC("YUY2");
constexpr std::uint32_t kYUNV = FourCC("YUNV");
constexpr std::uint32_t kYUYV = FourCC("YUYV");
constexpr std::uint32_t kMJPG = FourCC("MJPG");

QString FourCCName(std::uint32_t code) {
    if (code == kRgb)
        return QStringLiteral("RGB");
    const char letters[4] = {char(code & 0xFF), char((code >> 8) & 0xFF), char((code >> 16) & 0xFF),
                             char((code >> 24) & 0xFF)};
    return QString::fromLatin1(letters, 4);
}

} // namespace

// Construction and destruction are with the frame hand-off, in
// TVideoImageFacade.cpp.

void TVideoImage::InitYUVTables() {
    if (TablesReady)
        return;
    for (int i = 0; i < 256; ++i) {
        TableY[i] = YuvConverter::TermValue(YuvTerm::Y, i);
        TableUG[i] = YuvConverter::TermValue(YuvTerm::UG, i);
        TableUB[i] = YuvConverter::TermValue(YuvTerm::UB, i);
        TableVR[i] = YuvConverter::TermValue(YuvTerm::VR, i);
        TableVG[i] = YuvConverter::TermValue(YuvTerm::VG, i);
    }
    for (int k = -kClipZero; k <= kClipZero; ++k)
        ClipTable[std::size_t(k + kClipZero)] = YuvConverter::ClipValue(k);
    TablesReady = true;
}

void TVideoImage::I420ToBitmap(const std::uint8_t* Buffer) {
    InitYUVTables();
    const YuvConverter converter({TableY.data(), TableUG.data(), TableUB.data(), TableVR.data(),
                                  TableVG.data(), ClipTable.data() + kClipZero});
    const std::size_t w = std::size_t(FrameBitmap.Width());
    const int h = FrameBitmap.Height();
    const int pairs = int(w / 2);
    const std::uint8_t* first = Buffer + w * std::size_t(h);
    const std::uint8_t* second = first + w * std::size_t(h) / 4;
    const bool uFirst = VideoFourCC != kYV12;
    const std::uint8_t* uPlane = uFirst ? first : second;
    const std::uint8_t* vPlane = uFirst ? second : first;
    // Scan lines 2k and 2k + 1 share chroma row k; the luma is one continuous run.
    const std::size_t lumaRow = 2 * std::size_t(pairs);
    for (int r = 0; r < h; r += 2) {
        const std::size_t chromaRow = std::size_t(r / 2) * std::size_t(pairs);
        const bool two = r + 1 < h;
        converter.PlanarRows(Buffer + std::size_t(r) * lumaRow,
                             two ? Buffer + std::size_t(r + 1) * lumaRow : nullptr, uPlane + chromaRow,
                             vPlane + chromaRow, pairs, FrameBitmap.ScanLine(r),
                             two ? FrameBitmap.ScanLine(r + 1) : nullptr);
    }
}

void TVideoImage::YUY2ToBitmap(const std::uint8_t* Buffer) {
    InitYUVTables();
    const YuvConverter converter({TableY.data(), TableUG.data(), TableUB.data(), TableVR.data(),
                                  TableVG.data(), ClipTable.data() + kClipZero});
    const int h = FrameBitmap.Height();
    const int pairs = FrameBitmap.Width() / 2;
    const std::uint8_t* source = Buffer;
    for (int r = 0; r < h; ++r) {
        converter.PackedRow(source, pairs, FrameBitmap.ScanLine(r));
        source += 4 * std::size_t(pairs);
    }
}

void TVideoImage::UnpackFrame(std::int32_t Length, const std::uint8_t* Buffer) {
    if (Buffer == nullptr)
        return;
    try {
        bool decoded = false;
        switch (VideoFourCC) {
        case kRgb:
            decoded = UnpackRgb(Length, Buffer);
            break;
        case kI420:
        case kIYUV:
        case kYV12:
            decoded = UnpackPlanar(Length, Buffer);
            break;
        case kYUY2:
        case kYUNV:
        case kYUYV:
            decoded = UnpackPacked(Length, Buffer);
            break;
        case kMJPG:
            decoded = UnpackCompressed(Length, Buffer);
            break;
        default:
            break;
        }
        if (!decoded)
            WriteFailureText(Length);
        FrameDecoded = true;
    } catch (const std::exception&) {
        // Not a fault of the data (out of memory and the like): FrameDecoded
        // stays clear, so the next paint tries this slot again.
    }
}

void TVideoImage::FitBitmapToVideo() {
    // The bitmap may still hold a compressed frame of another size or format;
    // the converters write by the bitmap's size, which must be the size whose
    // length was checked.
    FrameBitmap.SetFormat(PixelFormat::Bits24);
    FrameBitmap.SetSize(VideoWidth, VideoHeight);
    if (FrameBitmap.Width() != VideoWidth || FrameBitmap.Height() != VideoHeight)
        throw std::bad_alloc();
}

bool TVideoImage::UnpackRgb(std::int64_t length, const std::uint8_t* buffer) {
    if (VideoWidth <= 0 || VideoHeight <= 0 || length != std::int64_t(VideoWidth) * VideoHeight * 3)
        return false;
    FitBitmapToVideo();
    FrameBitmap.CopyBottomUp(buffer);
    return true;
}

bool TVideoImage::UnpackPlanar(std::int64_t length, const std::uint8_t* buffer) {
    if (VideoWidth <= 0 || VideoHeight <= 0)
        return false;
    const std::int64_t pixels = std::int64_t(VideoWidth) * VideoHeight;
    if (length != pixels * 3 / 2)
        return false;
    // With an odd height the last chroma row of the second plane reaches past
    // (W * H * 3) div 2; such a sample is refused rather than over-read.
    const std::int64_t pairs = VideoWidth / 2;
    const std::int64_t end = pixels + pixels / 4 + ((VideoHeight - 1) / 2) * pairs + pairs;
    if (end > length)
        return false;
    FitBitmapToVideo();
    I420ToBitmap(buffer);
    return true;
}

bool TVideoImage::UnpackPacked(std::int64_t length, const std::uint8_t* buffer) {
    if (VideoWidth <= 0 || VideoHeight <= 0)
        return false;
    const std::int64_t rowBytes = std::int64_t(VideoWidth) * 2;
    const std::int64_t frameBytes = rowBytes * VideoHeight;
    // A longer sample carries more rows than the picture (a whole multiple of
    // four); its first VideoHeight rows are the picture.
    const bool fits = length == frameBytes || (length > frameBytes && (length / rowBytes) % 4 == 0);
    if (!fits)
        return false;
    FitBitmapToVideo();
    YUY2ToBitmap(buffer);
    return true;
}

bool TVideoImage::UnpackCompressed(std::int32_t length, const std::uint8_t* buffer) {
    if (length < 0)
        return false;
    JpegStream.Clear();
    JpegStream.SetSize(std::size_t(length));
    JpegStream.Write(buffer, std::size_t(length));
    JpegStream.SetPosition(0);
    if (GdiPlusAvailable()) {
        // The status is not examined: a frame GDI+ cannot read leaves the
        // previous picture, and a decoded one gives the bitmap its own size.
        StreamToBitmap(JpegStream, &FrameBitmap);
        return true;
    }
    try {
        JpegImage.LoadFromStream(JpegStream);
    } catch (const JpegError&) {
        return false;
    }
    JpegImage.Draw(FrameBitmap.GetCanvas(), 0, 0);
    return true;
}

void TVideoImage::WriteFailureText(std::int32_t length) {
    Canvas& canvas = FrameBitmap.GetCanvas();
    canvas.TextOut(0, 0, QStringLiteral("Unknown compression"));
    const int lineHeight = canvas.TextHeight(QStringLiteral("X"));
    canvas.TextOut(0, lineHeight,
                   QStringLiteral("DataSize: ") + QString::number(length) + QStringLiteral("  FourCC: ") +
                       FourCCName(VideoFourCC));
}

} // namespace kamsel::frames
