#include "TestImages.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include <jpeglib.h>
#include <png.h>

namespace kamsel::testimages {

namespace {

struct JpegErrors {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void OnJpegError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

// Compresses rows of components bytes per pixel; false if libjpeg failed.
bool Compress(const std::vector<std::uint8_t>& samples, int width, int height, int components,
              const JpegOptions& options, Bytes& out) {
    jpeg_compress_struct info{};
    JpegErrors errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnJpegError;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, options.quality, TRUE);
    if (components == 3) {
        info.comp_info[0].h_samp_factor = options.hSampling;
        info.comp_info[0].v_samp_factor = options.vSampling;
    }
    if (options.progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    const std::size_t stride = static_cast<std::size_t>(width) * static_cast<std::size_t>(components);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<std::uint8_t*>(samples.data()) + info.next_scanline * stride;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    out.assign(buffer, buffer + size);
    std::free(buffer);
    return true;
}

Bytes CompressOrThrow(const std::vector<std::uint8_t>& samples, int width, int height, int components,
                      const JpegOptions& options) {
    Bytes out;
    if (!Compress(samples, width, height, components, options, out))
        throw std::runtime_error("libjpeg could not encode the test picture");
    return out;
}

// libpng writes through this into a byte vector.
void AppendPng(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void FlushPng(png_structp) {}

struct PngLayout {
    int width;
    int height;
    int bitDepth;
    int colourType;
    std::vector<png_color> palette;
    std::vector<png_byte> alphas;
};

bool WritePng(const PngLayout& layout, const std::vector<std::vector<std::uint8_t>>& rows, Bytes& out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, AppendPng, FlushPng);
    png_set_IHDR(png, info, static_cast<png_uint_32>(layout.width), static_cast<png_uint_32>(layout.height),
                 layout.bitDepth, layout.colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!layout.palette.empty())
        png_set_PLTE(png, info, layout.palette.data(), static_cast<int>(layout.palette.size()));
    if (!layout.alphas.empty())
        png_set_tRNS(png, info, layout.alphas.data(), static_cast<int>(layout.alphas.size()), nullptr);
    png_write_info(png, info);
    for (const auto& row : rows)
        png_write_row(png, row.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

Bytes WritePngOrThrow(const PngLayout& layout, const std::vector<std::vector<std::uint8_t>>& rows) {
    Bytes out;
    if (!WritePng(layout, rows, out))
        throw std::runtime_error("libpng could not encode the test picture");
    return out;
}

void Put16(Bytes& out, std::size_t at, std::uint32_t value) {
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}
void Put32(Bytes& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// File and info header for a BMP whose palette or masks take extraBytes.
Bytes BmpHeaders(int width, int height, int bitCount, std::uint32_t compression, std::size_t extraBytes,
                 std::size_t stride, bool topDown) {
    const std::size_t pixelOffset = 14 + 40 + extraBytes;
    Bytes out(pixelOffset + stride * static_cast<std::size_t>(height));
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<std::uint32_t>(out.size()));
    Put32(out, 10, static_cast<std::uint32_t>(pixelOffset));
    Put32(out, 14, 40);
    Put32(out, 18, static_cast<std::uint32_t>(width));
    Put32(out, 22, static_cast<std::uint32_t>(topDown ? -height : height));
    Put16(out, 26, 1);
    Put16(out, 28, static_cast<std::uint32_t>(bitCount));
    Put32(out, 30, compression);
    return out;
}

std::size_t BmpStride(int width, int bitCount) {
    return ((static_cast<std::size_t>(width) * static_cast<std::size_t>(bitCount) + 31) / 32) * 4;
}

std::size_t BmpRowOffset(std::size_t pixelOffset, std::size_t stride, int y, int height, bool topDown) {
    return pixelOffset + stride * static_cast<std::size_t>(topDown ? y : height - 1 - y);
}

} // namespace

const std::array<Rgb, 8>& BlockColours() {
    static const std::array<Rgb, 8> colours = {{{255, 0, 0},
                                                {0, 255, 0},
                                                {0, 0, 255},
                                                {255, 255, 0},
                                                {0, 255, 255},
                                                {255, 0, 255},
                                                {255, 255, 255},
                                                {0, 0, 0}}};
    return colours;
}

Rgb BlockColourAt(int x, int y) {
    const int block = x / kBlockSize + 3 * (y / kBlockSize);
    return BlockColours()[static_cast<std::size_t>(block) % BlockColours().size()];
}

RgbPicture ColourBlocks(int width, int height) {
    RgbPicture picture{width, height, {}};
    picture.pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.pixels.push_back(BlockColourAt(x, y));
    return picture;
}

Bytes EncodeJpeg(const RgbPicture& picture, const JpegOptions& options) {
    std::vector<std::uint8_t> samples;
    samples.reserve(picture.pixels.size() * 3);
    for (const Rgb& p : picture.pixels)
        samples.insert(samples.end(), {p.r, p.g, p.b});
    return CompressOrThrow(samples, picture.width, picture.height, 3, options);
}

RgbPicture CameraScene(int width, int height) {
    RgbPicture picture{width, height, {}};
    picture.pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::uint32_t noise = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = static_cast<int>(noise >> 28) - 8;
            const auto channel = [grain](int value) {
                return static_cast<std::uint8_t>(std::clamp(value + grain, 0, 255));
            };
            picture.pixels.push_back(
                {channel(x * 255 / width), channel(y * 255 / height), channel(128 + (x - y) % 96)});
        }
    return picture;
}

Bytes DecodeJpegToBgr(const Bytes& jpeg) {
    jpeg_decompress_struct info{};
    JpegErrors errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnJpegError;
    Bytes out;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return {};
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    const std::size_t stride = static_cast<std::size_t>(info.output_width) * 3;
    out.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return out;
}

Bytes EncodeGrayJpeg(int width, int height) {
    std::vector<std::uint8_t> samples(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::uint8_t>((i % static_cast<std::size_t>(width)) * 255 /
                                               static_cast<std::size_t>(width > 1 ? width - 1 : 1));
    return CompressOrThrow(samples, width, height, 1, {});
}

Bytes StripHuffmanTables(const Bytes& jpeg) {
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    std::size_t at = 2;
    while (at + 4 <= jpeg.size()) {
        const std::uint8_t marker = jpeg[at + 1];
        if (marker == 0xDA) // start of scan: the rest is entropy-coded data
            break;
        const std::size_t length = static_cast<std::size_t>(jpeg[at + 2] << 8 | jpeg[at + 3]);
        if (marker != 0xC4)
            out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(at),
                       jpeg.begin() + static_cast<std::ptrdiff_t>(at + 2 + length));
        at += 2 + length;
    }
    out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(at), jpeg.end());
    return out;
}

Bytes EncodeIndexedPng(int width, int height, const std::vector<std::uint8_t>& indices,
                       const std::vector<Rgba>& palette, int bitDepth) {
    PngLayout layout{width, height, bitDepth, PNG_COLOR_TYPE_PALETTE, {}, {}};
    bool translucent = false;
    for (const Rgba& entry : palette) {
        layout.palette.push_back({entry.r, entry.g, entry.b});
        layout.alphas.push_back(entry.a);
        translucent = translucent || entry.a != 255;
    }
    if (!translucent)
        layout.alphas.clear();
    const int perByte = 8 / bitDepth;
    std::vector<std::vector<std::uint8_t>> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        auto& row = rows[static_cast<std::size_t>(y)];
        row.assign(static_cast<std::size_t>((width + perByte - 1) / perByte), 0);
        for (int x = 0; x < width; ++x) {
            const std::uint8_t index = indices[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                               static_cast<std::size_t>(x)];
            const int shift = 8 - bitDepth * (x % perByte + 1);
            row[static_cast<std::size_t>(x / perByte)] |= static_cast<std::uint8_t>(index << shift);
        }
    }
    return WritePngOrThrow(layout, rows);
}

Bytes EncodeRgbaPng(int width, int height, const std::vector<Rgba>& pixels) {
    std::vector<std::vector<std::uint8_t>> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgba& p = pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                   static_cast<std::size_t>(x)];
            rows[static_cast<std::size_t>(y)].insert(rows[static_cast<std::size_t>(y)].end(),
                                                     {p.r, p.g, p.b, p.a});
        }
    return WritePngOrThrow({width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, {}, {}}, rows);
}

Bytes EncodeBmp(const RgbPicture& picture, int bitCount, bool topDown) {
    const std::size_t stride = BmpStride(picture.width, bitCount);
    Bytes out = BmpHeaders(picture.width, picture.height, bitCount, 0, 0, stride, topDown);
    const std::size_t bytesPerPixel = static_cast<std::size_t>(bitCount / 8);
    for (int y = 0; y < picture.height; ++y) {
        std::size_t at = BmpRowOffset(54, stride, y, picture.height, topDown);
        for (int x = 0; x < picture.width; ++x, at += bytesPerPixel) {
            const Rgb p = picture.At(x, y);
            out[at] = p.b;
            out[at + 1] = p.g;
            out[at + 2] = p.r;
            if (bitCount == 32)
                out[at + 3] = 0x55; // not an alpha channel in a plain 32-bit BMP
        }
    }
    return out;
}

Bytes EncodeIndexedBmp(int width, int height, const std::vector<std::uint8_t>& indices,
                       const std::vector<Rgb>& palette) {
    const std::size_t stride = BmpStride(width, 8);
    Bytes out = BmpHeaders(width, height, 8, 0, palette.size() * 4, stride, false);
    Put32(out, 46, static_cast<std::uint32_t>(palette.size()));
    for (std::size_t i = 0; i < palette.size(); ++i) {
        out[54 + 4 * i] = palette[i].b;
        out[54 + 4 * i + 1] = palette[i].g;
        out[54 + 4 * i + 2] = palette[i].r;
    }
    const std::size_t pixelOffset = 54 + palette.size() * 4;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out[BmpRowOffset(pixelOffset, stride, y, height, false) + static_cast<std::size_t>(x)] =
                indices[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                        static_cast<std::size_t>(x)];
    return out;
}

Bytes EncodeRgb565Bmp(const RgbPicture& picture) {
    const std::size_t stride = BmpStride(picture.width, 16);
    Bytes out = BmpHeaders(picture.width, picture.height, 16, 3, 12, stride, false);
    Put32(out, 54, 0xF800);
    Put32(out, 58, 0x07E0);
    Put32(out, 62, 0x001F);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const Rgb p = picture.At(x, y);
            const std::uint32_t value =
                static_cast<std::uint32_t>((p.r >> 3) << 11 | (p.g >> 2) << 5 | p.b >> 3);
            Put16(out, BmpRowOffset(66, stride, y, picture.height, false) + 2 * static_cast<std::size_t>(x),
                  value);
        }
    return out;
}

} // namespace kamsel::testimages
