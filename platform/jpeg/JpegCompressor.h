#pragma once
// A libjpeg compression object, created once and reused for any number of
// pictures, with its error trap (JpegErrorTrap) and an in-memory destination
// whose buffer is reused too.
//
// Use: set image_width, image_height, input_components and in_color_space in
// Info(), SetDefaults, adjust (SetColorspace, SetQuality, fields of Info()),
// Start, WriteRows or WriteRawData until Info().next_scanline reaches
// image_height, Finish; then Output() holds the file. A failed step leaves the
// object ready for the next picture.
//
// Threads: one thread at a time.

#include "platform/jpeg/JpegErrorTrap.h"
#include "platform/jpeg/JpegMemoryDestination.h"
#include "platform/jpeg/JpegStatus.h"

#include <cstdint>
#include <span>

namespace kamsel::jpeg {

class JpegCompressor {
  public:
    // Throws std::bad_alloc when the library cannot create its object.
    JpegCompressor();
    ~JpegCompressor();
    JpegCompressor(const JpegCompressor&) = delete;
    JpegCompressor& operator=(const JpegCompressor&) = delete;

    jpeg_compress_struct& Info() { return info_; }

    // jpeg_set_defaults for the colour space and components set in Info();
    // drops an unfinished picture first.
    JpegStatus SetDefaults();
    JpegStatus SetColorspace(J_COLOR_SPACE space);
    // Quality 1 to 100; forceBaseline limits the tables to 8-bit values.
    JpegStatus SetQuality(int quality, bool forceBaseline);

    // Starts a picture with all tables written.
    JpegStatus Start();
    // All count rows are taken (the memory destination never suspends).
    JpegStatus WriteRows(JSAMPROW* rows, JDIMENSION count);
    // Raw downsampled planes (raw_data_in), lines luma rows of one band.
    JpegStatus WriteRawData(JSAMPARRAY* planes, JDIMENSION lines);
    JpegStatus Finish();
    void Abort();

    // The file of the last finished picture; valid until the next Start.
    std::span<const std::uint8_t> Output() const { return destination_.Bytes(); }

  private:
    JpegStatus Checked(const JpegStatus& status);

    JpegErrorTrap trap_;
    JpegMemoryDestination destination_;
    jpeg_compress_struct info_{};
};

} // namespace kamsel::jpeg
