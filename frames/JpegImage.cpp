#include "JpegImage.h"

#include "platform/jpeg/JpegCompressor.h"
#include "platform/jpeg/JpegDecompressor.h"
#include "platform/system/ReplaceFile.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <string>
#include <system_error>

namespace kamsel::frames {

namespace {

constexpr int kSnapshotQuality = 90;
// Rows handed to the library per call.
constexpr int kRowBatch = 16;

} // namespace

JpegImage::JpegImage() : decoder_(std::make_unique<jpeg::JpegDecompressor>()) {
    decoder_->SetScanLimit(kMaxScans);
}

JpegImage::~JpegImage() = default;

// Throws JpegError with the reason; the caller empties the picture.
void JpegImage::Decode(const std::uint8_t* data, std::size_t size) {
    jpeg::JpegDecompressor& d = *decoder_;
    if (const jpeg::JpegStatus s = d.ReadHeader(data, size); !s.Ok())
        throw JpegError(s.Message());
    jpeg_decompress_struct& info = d.Info();
    info.out_color_space = JCS_EXT_BGR; // the byte order of a 24-bit Bitmap24
    info.scale_num = 1;
    info.scale_denom = 1;
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = TRUE;
    info.do_block_smoothing = TRUE;
    info.quantize_colors = FALSE;
    info.buffered_image = FALSE;
    if (static_cast<long long>(info.image_width) * info.image_height > kMaxPixels) {
        d.Abort();
        throw JpegError("image of " + std::to_string(info.image_width) + "x" +
                        std::to_string(info.image_height) + " pixels is too large");
    }
    if (const jpeg::JpegStatus s = d.Start(); !s.Ok())
        throw JpegError(s.Message());
    const int width = static_cast<int>(info.output_width);
    const int height = static_cast<int>(info.output_height);
    picture_.SetFormat(PixelFormat::Bits24);
    picture_.SetSize(width, height);
    if (picture_.Width() != width || picture_.Height() != height) {
        d.Abort();
        throw JpegError("no memory for an image of " + std::to_string(width) + "x" + std::to_string(height) +
                        " pixels");
    }
    JSAMPROW rows[kRowBatch];
    while (info.output_scanline < info.output_height) {
        const int first = static_cast<int>(info.output_scanline);
        const int count = std::min(kRowBatch, height - first);
        for (int i = 0; i < count; ++i)
            rows[i] = picture_.ScanLine(first + i);
        JDIMENSION read = 0;
        if (const jpeg::JpegStatus s = d.ReadRows(rows, static_cast<JDIMENSION>(count), read); !s.Ok())
            throw JpegError(s.Message());
    }
    if (const jpeg::JpegStatus s = d.Finish(); !s.Ok())
        throw JpegError(s.Message());
}

void JpegImage::Load(const std::uint8_t* data, std::size_t size) {
    try {
        Decode(data, size);
    } catch (const JpegError& error) {
        picture_.SetSize(0, 0);
        throw JpegError(std::string("JPEG image: ") + error.what());
    }
}

void JpegImage::LoadFromStream(MemoryStream& stream) {
    const std::size_t start = std::min(stream.Position(), stream.Size());
    const std::size_t size = stream.Size() - start;
    stream.SetPosition(stream.Size());
    Load(stream.Memory() + start, size);
}

void JpegImage::Assign(const Bitmap24& source) {
    // The picture shares the source's pixel block: the encoder only reads it,
    // and a later change to the source gives the source a block of its own.
    picture_.Assign(source);
    picture_.SetFormat(PixelFormat::Bits24);
}

// Encodes into the encoder's reused memory buffer; throws JpegError with the
// library's reason.
void JpegImage::Encode(int width, int height, const RowSource& rowAt, const QString& path) {
    if (!encoder_)
        encoder_ = std::make_unique<jpeg::JpegCompressor>();
    jpeg::JpegCompressor& c = *encoder_;
    jpeg_compress_struct& info = c.Info();
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR; // the byte order of a 24-bit Bitmap24
    jpeg::JpegStatus status = c.SetDefaults();
    if (status.Ok())
        status = c.SetQuality(kSnapshotQuality, true);
    if (status.Ok())
        status = c.Start();
    JSAMPROW rows[kRowBatch];
    while (status.Ok() && info.next_scanline < info.image_height) {
        const int first = static_cast<int>(info.next_scanline);
        const int count = std::min(kRowBatch, height - first);
        // The library only reads its input rows, though it takes them writable.
        for (int i = 0; i < count; ++i)
            rows[i] = const_cast<JSAMPROW>(rowAt(first + i));
        status = c.WriteRows(rows, static_cast<JDIMENSION>(count));
    }
    if (status.Ok())
        status = c.Finish();
    if (!status.Ok())
        throw JpegError("cannot write " + path.toStdString() + ": " + status.Message());
}

void JpegImage::SaveToFile(const QString& path) {
    const Bitmap24& picture = picture_; // rows read only: no copy of shared pixels
    SaveRowsToFile(
        picture.Width(), picture.Height(), [&picture](int row) { return picture.ScanLine(row); }, path);
}

void JpegImage::SaveRowsToFile(int width, int height, const RowSource& rows, const QString& path) {
    Encode(width, height, rows, path);
    const std::string name = QFile::encodeName(path).toStdString();
    if (const int error = system::ReplaceFile(name, encoder_->Output()); error != 0)
        throw JpegError("cannot write " + path.toStdString() + ": " +
                        std::generic_category().message(-error));
}

void JpegImage::Draw(Canvas& canvas, int x, int y) const {
    if (!Empty())
        canvas.Draw(x, y, picture_);
}

} // namespace kamsel::frames
