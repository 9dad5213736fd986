#pragma once
// JpegImage: a JPEG decoder object over the IJG library (libjpeg-turbo),
// created once and reused for every frame, holding the last decoded picture.
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
// Threads: one thread at a time.

#include "frames/Bitmap24.h"
#include "frames/MemoryStream.h"

#include <memory>
#include <stdexcept>

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

    // Draws the picture with its top-left corner at (x, y), at its own size,
    // clipped to the canvas's bitmap. Nothing when empty.
    void Draw(Canvas& canvas, int x, int y) const;

    int Width() const { return picture_.Width(); }
    int Height() const { return picture_.Height(); }
    bool Empty() const { return picture_.Width() == 0; }
    const Bitmap24& Picture() const { return picture_; }

  private:
    struct Decoder; // the library's decompression object and error manager
    std::unique_ptr<Decoder> decoder_;
    Bitmap24 picture_;
};

} // namespace kamsel::frames
