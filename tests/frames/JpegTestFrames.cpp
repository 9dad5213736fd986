#include "JpegTestFrames.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>

namespace kamsel::frames::test {

std::vector<std::uint8_t> EncodeJpeg(int width, int height, Subsampling subsampling, const PixelSource& pixel,
                                     int quality) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors); // test inputs are valid: the default handler exits on error
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.optimize_coding = FALSE; // the standard tables, which cameras use
    info.comp_info[0].h_samp_factor = subsampling == Subsampling::S444 ? 1 : 2;
    info.comp_info[0].v_samp_factor = subsampling == Subsampling::S420 ? 2 : 1;
    jpeg_start_compress(&info, TRUE);
    std::vector<std::uint8_t> row(std::size_t(width) * 3);
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < width; ++x)
            pixel(x, int(info.next_scanline), &row[std::size_t(x) * 3]);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<std::uint8_t> jpeg(out, out + size);
    jpeg_destroy_compress(&info);
    std::free(out);
    return jpeg;
}

std::vector<std::uint8_t> StripHuffmanTables(const std::vector<std::uint8_t>& jpeg) {
    std::vector<std::uint8_t> out(jpeg.begin(), jpeg.begin() + 2); // SOI
    std::size_t i = 2;
    while (i + 4 <= jpeg.size()) {
        if (jpeg[i] != 0xFF)
            throw std::runtime_error("not a marker");
        const std::uint8_t marker = jpeg[i + 1];
        if (marker == 0xDA) { // start of scan: copy the rest unchanged
            out.insert(out.end(), jpeg.begin() + std::ptrdiff_t(i), jpeg.end());
            return out;
        }
        const std::size_t length = std::size_t(jpeg[i + 2]) << 8 | jpeg[i + 3];
        if (marker != 0xC4)
            out.insert(out.end(), jpeg.begin() + std::ptrdiff_t(i),
                       jpeg.begin() + std::ptrdiff_t(i + 2 + length));
        i += 2 + length;
    }
    throw std::runtime_error("no scan");
}

void Quadrants(int width, int height, int x, int y, std::uint8_t* bgr) {
    const bool right = x >= width / 2;
    const bool bottom = y >= height / 2;
    bgr[0] = bgr[1] = bgr[2] = 0;
    if (!right && !bottom)
        bgr[2] = 255;
    else if (right && !bottom)
        bgr[1] = 255;
    else if (!right && bottom)
        bgr[0] = 255;
    else
        bgr[0] = bgr[1] = bgr[2] = 255;
}

} // namespace kamsel::frames::test
