#pragma once
// A libjpeg decompression object, created once and reused for any number of
// pictures, with its error trap (JpegErrorTrap) and an optional limit on the
// number of scans.
//
// Use: ReadHeader, then set the output parameters in Info(), Start, ReadRows
// until Info().output_scanline reaches output_height, Finish. A failed step
// leaves the object ready for the next ReadHeader; so does Abort. Motion-JPEG
// frames without Huffman tables decode with the standard tables (the ones
// such cameras encode with); bytes after the end-of-image marker are never
// looked at.
//
// Threads: one thread at a time.

#include "platform/jpeg/JpegErrorTrap.h"
#include "platform/jpeg/JpegStatus.h"

#include <cstddef>
#include <cstdint>

namespace kamsel::jpeg {

class JpegDecompressor {
  public:
    // Throws std::bad_alloc when the library cannot create its object.
    JpegDecompressor();
    ~JpegDecompressor();
    JpegDecompressor(const JpegDecompressor&) = delete;
    JpegDecompressor& operator=(const JpegDecompressor&) = delete;

    // Bounds the library's own memory (coefficient buffers of progressive
    // pictures); beyond it a step fails with OutOfMemory.
    void SetMaxMemory(long bytes);
    // Progressive files with endless scans would otherwise take unbounded
    // time: more than `scans` scans fail with LimitExceeded. 0: no limit.
    void SetScanLimit(int scans) { scanLimit_ = scans; }

    // Drops whatever the previous picture left and reads the header of the
    // size bytes at data, which stay with the caller and must stay valid
    // until the picture is finished or aborted.
    JpegStatus ReadHeader(const std::uint8_t* data, std::size_t size);
    // The header's fields; the output parameters are set here before Start.
    jpeg_decompress_struct& Info() { return info_; }
    const jpeg_decompress_struct& Info() const { return info_; }

    JpegStatus Start();
    // Reads up to count rows into rows[0..count); read is how many came.
    JpegStatus ReadRows(JSAMPROW* rows, JDIMENSION count, JDIMENSION& read);
    JpegStatus Finish();
    void Abort();

  private:
    static void OnProgress(j_common_ptr info);

    JpegErrorTrap trap_;
    jpeg_progress_mgr progress_{};
    int scanLimit_ = 0;
    jpeg_decompress_struct info_{};
};

} // namespace kamsel::jpeg
