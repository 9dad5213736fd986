#pragma once
// JpegImage: the program's JPEG image object over the IJG library
// (libjpeg-turbo, through platform/jpeg). It holds one picture, which either a
// decode (motion-JPEG frames) or Assign (snapshots) puts there; the decoder and
// the encoder are created once and reused for every picture.
//
// Decoding is full size, 24-bit colour, best quality (accurate integer IDCT,
// smooth "fancy" chroma upsampling). Frames without Huffman tables, as many
// cameras send them in motion JPEG, decode with the standard tables; bytes
// after the end-of-image marker are ignored.
//
// Errors: LoadFromStream throws JpegError for any data the library rejects
// (not a JPEG, corrupt headers, unsupported colour spaces, pictures over
// kMaxPixels, more than kMaxScans scans); the previous picture is then gone
// (the image is empty). Warnings about damaged entropy data are not errors:
// the library fills what it cannot decode, as a viewer of a live stream wants.
//
// Snapshots: SaveToFile encodes with the library's defaults for a colour
// picture (JFIF, YCbCr, 2x2 chroma subsampling, standard Huffman tables,
// sequential) at quality 90 with baseline tables, fed the blue-green-red rows
// as they are, and writes the file in one piece (platform/system/ReplaceFile).
//
// Threads: one thread at a time.

#include "frames/Bitmap24.h"
#include "frames/MemoryStream.h"

#include <QString>

#include <functional>
#include <memory>
#include <stdexcept>

namespace kamsel::jpeg {
class JpegCompressor;
class JpegDecompressor;
} // namespace kamsel::jpeg

namespace kamsel::frames {

class JpegError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class JpegImage {
  public:
    // Far beyond any camera; keeps hostile headers from allocating gigabytes.
    static constexpr long long kMaxPixels = 1LL << 26;
    // Progressive files with endless scans would otherwise take unbounded time.
    static constexpr int kMaxScans = 1000;

    JpegImage();
    ~JpegImage();
    JpegImage(const JpegImage&) = delete;
    JpegImage& operator=(const JpegImage&) = delete;

    // Decodes the bytes from the stream's position to its end; the position
    // moves to the end. Throws JpegError.
    void LoadFromStream(MemoryStream& stream);
    // Decodes size bytes at data (which stay with the caller). Throws JpegError.
    void Load(const std::uint8_t* data, std::size_t size);

    // Takes a copy of source, dropping the picture held before; other formats
    // than 24 bits are converted. The copy shares the source's pixels until
    // either side changes them, so it costs no pixel copy.
    void Assign(const Bitmap24& source);
    // Encodes the picture and writes it to path, creating or replacing the
    // file. Throws JpegError naming the file and the reason ("cannot write
    // /x/Spy/Spy_0001.jpg: Permission denied"); the file is then as before.
    void SaveToFile(const QString& path);
    // Row `row` (0 = the top row) of a picture: width * 3 bytes blue, green,
    // red, valid until the encoding that asked for it ends.
    using RowSource = std::function<const std::uint8_t*(int row)>;
    // Encodes a width x height picture read through rows, top row first, and
    // writes it to path like SaveToFile, whose file it matches for the same
    // pixels. The held picture stays as it was. Lets a caller hand in some of
    // another bitmap's rows in place of its own without copying the rest.
    void SaveRowsToFile(int width, int height, const RowSource& rows, const QString& path);

    // Draws the picture with its top-left corner at (x, y), at its own size,
    // clipped to the canvas's bitmap. Nothing when empty.
    void Draw(Canvas& canvas, int x, int y) const;

    int Width() const { return picture_.Width(); }
    int Height() const { return picture_.Height(); }
    bool Empty() const { return picture_.Width() == 0; }
    const Bitmap24& Picture() const { return picture_; }

  private:
    void Decode(const std::uint8_t* data, std::size_t size);
    void Encode(int width, int height, const RowSource& rowAt, const QString& path);

    std::unique_ptr<jpeg::JpegDecompressor> decoder_;
    std::unique_ptr<jpeg::JpegCompressor> encoder_; // on the first save
    Bitmap24 picture_;
};

} // namespace kamsel::frames
