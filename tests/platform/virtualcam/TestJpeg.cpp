#include "virtualcam/TestJpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

namespace kamsel::virtualcam::test {
namespace {

struct ErrorJump {
    jpeg_error_mgr manager{};
    std::jmp_buf jump{};
};

[[noreturn]] void JumpOnError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1);
}

void Silent(j_common_ptr) {}

// Holds no objects with destructors across setjmp.
bool Decode(jpeg_decompress_struct& info, std::span<const std::uint8_t> jpeg, DecodedImage& image) {
    ErrorJump* errors = reinterpret_cast<ErrorJump*>(info.err);
    if (setjmp(errors->jump))
        return false;
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK)
        return false;
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    image.rgb.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.rgb.data() + static_cast<std::size_t>(info.output_scanline) *
                                              static_cast<std::size_t>(image.width) * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

bool Encode(jpeg_compress_struct& info, int width, int height, const std::vector<std::uint8_t>& row,
            unsigned char** out, unsigned long* size) {
    ErrorJump* errors = reinterpret_cast<ErrorJump*>(info.err);
    if (setjmp(errors->jump))
        return false;
    jpeg_mem_dest(&info, out, size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    JSAMPROW line = const_cast<JSAMPROW>(row.data());
    while (info.next_scanline < info.image_height)
        jpeg_write_scanlines(&info, &line, 1);
    jpeg_finish_compress(&info);
    return true;
}

} // namespace

std::vector<std::uint8_t> EncodeSolidJpeg(int width, int height, std::uint8_t red, std::uint8_t green,
                                          std::uint8_t blue) {
    std::vector<std::uint8_t> row;
    for (int x = 0; x < width; ++x)
        row.insert(row.end(), {red, green, blue});
    jpeg_compress_struct info{};
    ErrorJump errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JumpOnError;
    errors.manager.output_message = Silent;
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    std::vector<std::uint8_t> jpeg;
    if (Encode(info, width, height, row, &out, &size))
        jpeg.assign(out, out + size);
    jpeg_destroy_compress(&info);
    std::free(out);
    return jpeg;
}

std::optional<DecodedImage> DecodeJpeg(std::span<const std::uint8_t> jpeg) {
    jpeg_decompress_struct info{};
    ErrorJump errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JumpOnError;
    errors.manager.output_message = Silent;
    jpeg_create_decompress(&info);
    DecodedImage image;
    const bool ok = Decode(info, jpeg, image);
    jpeg_destroy_decompress(&info);
    if (!ok)
        return std::nullopt;
    return image;
}

} // namespace kamsel::virtualcam::test
