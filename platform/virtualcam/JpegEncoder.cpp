#include "platform/virtualcam/JpegEncoder.h"

#include "platform/virtualcam/DeviceErrors.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace kamsel::virtualcam {

// libjpeg state with an error manager that jumps back instead of exiting, and
// a destination writing into the caller's buffer. The functions that call
// setjmp hold no objects with destructors, so the jump skips nothing.
struct JpegEncoder::Compressor {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    jpeg_destination_mgr destination{};
    std::jmp_buf jump{};
    std::array<char, JMSG_LENGTH_MAX> message{};
    bool created = false;

    JOCTET* out = nullptr;
    std::size_t capacity = 0;
    bool overflowed = false;
    // Where output goes once the buffer is full, to finish the image quietly.
    std::array<JOCTET, 4096> spill{};

    Compressor();
    ~Compressor();
    bool Create();
    bool Encode(const YuvImage& image, int quality);

    static Compressor& Of(j_common_ptr info) { return *static_cast<Compressor*>(info->client_data); }
    static Compressor& Of(j_compress_ptr info) { return *static_cast<Compressor*>(info->client_data); }
    [[noreturn]] static void OnError(j_common_ptr info);
    static void OnMessage(j_common_ptr) {}
    static void OnStart(j_compress_ptr info);
    static boolean OnBufferFull(j_compress_ptr info);
    static void OnEnd(j_compress_ptr) {}
};

JpegEncoder::Compressor::Compressor() {
    info.err = jpeg_std_error(&errors);
    errors.error_exit = OnError;
    errors.output_message = OnMessage;
    info.client_data = this;
    destination.init_destination = OnStart;
    destination.empty_output_buffer = OnBufferFull;
    destination.term_destination = OnEnd;
}

JpegEncoder::Compressor::~Compressor() {
    if (created)
        jpeg_destroy_compress(&info);
}

void JpegEncoder::Compressor::OnError(j_common_ptr info) {
    Compressor& self = Of(info);
    (*info->err->format_message)(info, self.message.data());
    std::longjmp(self.jump, 1);
}

void JpegEncoder::Compressor::OnStart(j_compress_ptr info) {
    Compressor& self = Of(info);
    self.destination.next_output_byte = self.out;
    self.destination.free_in_buffer = self.capacity;
    self.overflowed = false;
}

boolean JpegEncoder::Compressor::OnBufferFull(j_compress_ptr info) {
    Compressor& self = Of(info);
    self.overflowed = true;
    self.destination.next_output_byte = self.spill.data();
    self.destination.free_in_buffer = self.spill.size();
    return TRUE;
}

bool JpegEncoder::Compressor::Create() {
    if (setjmp(jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    info.dest = &destination;
    created = true;
    return true;
}

bool JpegEncoder::Compressor::Encode(const YuvImage& image, int quality) {
    if (setjmp(jump)) {
        jpeg_abort_compress(&info);
        return false;
    }
    info.image_width = static_cast<JDIMENSION>(image.Width());
    info.image_height = static_cast<JDIMENSION>(image.Height());
    info.input_components = 3;
    info.in_color_space = JCS_YCbCr;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, JCS_YCbCr);
    info.raw_data_in = TRUE;
    info.dct_method = JDCT_IFAST;
    info.comp_info[0].h_samp_factor = 2;
    info.comp_info[0].v_samp_factor = 2;
    for (int c = 1; c < 3; ++c) {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);

    // Raw data goes in bands of 16 luma and 8 chroma rows; rows past the
    // bottom repeat the last one.
    std::array<JSAMPROW, 2 * DCTSIZE> lumaRows{};
    std::array<JSAMPROW, DCTSIZE> blueRows{};
    std::array<JSAMPROW, DCTSIZE> redRows{};
    std::array<JSAMPARRAY, 3> planes = {lumaRows.data(), blueRows.data(), redRows.data()};
    while (info.next_scanline < info.image_height) {
        const int top = static_cast<int>(info.next_scanline);
        for (int i = 0; i < 2 * DCTSIZE; ++i)
            lumaRows[static_cast<std::size_t>(i)] =
                const_cast<JSAMPROW>(image.YRow(std::min(top + i, image.Height() - 1)));
        for (int i = 0; i < DCTSIZE; ++i) {
            const int row = std::min(top / 2 + i, image.ChromaHeight() - 1);
            blueRows[static_cast<std::size_t>(i)] = const_cast<JSAMPROW>(image.URow(row));
            redRows[static_cast<std::size_t>(i)] = const_cast<JSAMPROW>(image.VRow(row));
        }
        jpeg_write_raw_data(&info, planes.data(), 2 * DCTSIZE);
    }
    jpeg_finish_compress(&info);
    return true;
}

JpegEncoder::JpegEncoder(int quality) : compressor_(std::make_unique<Compressor>()), quality_(quality) {}

JpegEncoder::~JpegEncoder() = default;

media::DeviceStatus JpegEncoder::Encode(const YuvImage& image, std::span<std::uint8_t> out,
                                        std::size_t& bytesUsed) {
    Compressor& c = *compressor_;
    if (!c.created && !c.Create())
        return Failure(ENOMEM, "JPEG encoder", c.message.data());
    c.out = out.data();
    c.capacity = out.size();
    if (!c.Encode(image, quality_))
        return Failure(EINVAL, "JPEG encoder", c.message.data());
    if (c.overflowed)
        return Failure(ENOSPC, "JPEG encoder",
                       "image larger than the " + std::to_string(out.size()) + " byte buffer");
    bytesUsed = out.size() - c.destination.free_in_buffer;
    return media::DeviceStatus::Success();
}

} // namespace kamsel::virtualcam
