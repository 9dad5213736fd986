#include "JpegImage.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include <jpeglib.h>

namespace kamsel::frames {

// Error handling: the library is C, built without unwind support for C++
// exceptions, so an exception must not pass through its frames. Its fatal
// errors leave through error_exit with longjmp to the setjmp in Decode; only
// plain data lives in that frame (no C++ object whose destructor longjmp
// would skip), and Decode reports the failure by its return value, after
// which the caller throws from ordinary C++ code.
struct JpegImage::Decoder {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    jpeg_progress_mgr progress{};
    std::jmp_buf jump{};
    char message[JMSG_LENGTH_MAX]{};

    Decoder() {
        info.err = jpeg_std_error(&errors);
        errors.error_exit = &ErrorExit;
        errors.output_message = &IgnoreMessage;
        progress.progress_monitor = &LimitScans;
        // Creation cannot fail but through error_exit (out of memory).
        if (setjmp(jump) != 0)
            throw std::bad_alloc();
        jpeg_create_decompress(&info);
        info.client_data = this;
    }
    ~Decoder() { jpeg_destroy_decompress(&info); }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    [[noreturn]] static void ErrorExit(j_common_ptr common) {
        auto* self = static_cast<Decoder*>(common->client_data);
        (*common->err->format_message)(common, self->message);
        std::longjmp(self->jump, 1);
    }
    static void IgnoreMessage(j_common_ptr) {}
    static void LimitScans(j_common_ptr common) {
        auto* self = static_cast<Decoder*>(common->client_data);
        if (self->info.input_scan_number > kMaxScans) {
            std::snprintf(self->message, sizeof self->message, "more than %d scans", kMaxScans);
            std::longjmp(self->jump, 1);
        }
    }

    // Decodes into picture; false with message set on any error.
    bool Decode(const std::uint8_t* data, std::size_t size, Bitmap24& picture);
};

bool JpegImage::Decoder::Decode(const std::uint8_t* data, std::size_t size, Bitmap24& picture) {
    message[0] = '\0';
    if (setjmp(jump) != 0) {
        jpeg_abort_decompress(&info);
        return false;
    }
    // Back to the start state whatever the previous frame left behind.
    jpeg_abort_decompress(&info);
    info.progress = &progress;
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGR; // the byte order of a 24-bit Bitmap24
    info.scale_num = 1;
    info.scale_denom = 1;
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = TRUE;
    info.do_block_smoothing = TRUE;
    info.quantize_colors = FALSE;
    info.buffered_image = FALSE;
    if (static_cast<long long>(info.image_width) * info.image_height > kMaxPixels) {
        std::snprintf(message, sizeof message, "image of %ux%u pixels is too large", info.image_width,
                      info.image_height);
        jpeg_abort_decompress(&info);
        return false;
    }
    jpeg_start_decompress(&info);
    const int width = static_cast<int>(info.output_width);
    const int height = static_cast<int>(info.output_height);
    picture.SetFormat(PixelFormat::Bits24);
    picture.SetSize(width, height);
    if (picture.Width() != width || picture.Height() != height) {
        std::snprintf(message, sizeof message, "no memory for an image of %dx%d pixels", width, height);
        jpeg_abort_decompress(&info);
        return false;
    }
    JSAMPROW rows[16];
    while (info.output_scanline < info.output_height) {
        const int first = static_cast<int>(info.output_scanline);
        const int count = std::min<int>(16, height - first);
        for (int i = 0; i < count; ++i)
            rows[i] = picture.ScanLine(first + i);
        jpeg_read_scanlines(&info, rows, static_cast<JDIMENSION>(count));
    }
    jpeg_finish_decompress(&info);
    return true;
}

JpegImage::JpegImage() : decoder_(std::make_unique<Decoder>()) {}

JpegImage::~JpegImage() = default;

void JpegImage::Load(const std::uint8_t* data, std::size_t size) {
    if (!decoder_->Decode(data, size, picture_)) {
        const std::string reason = decoder_->message;
        picture_.SetSize(0, 0);
        throw JpegError("JPEG image: " + reason);
    }
}

void JpegImage::LoadFromStream(MemoryStream& stream) {
    const std::size_t start = std::min(stream.Position(), stream.Size());
    const std::size_t size = stream.Size() - start;
    stream.SetPosition(stream.Size());
    Load(stream.Memory() + start, size);
}

void JpegImage::Draw(Canvas& canvas, int x, int y) const {
    if (!Empty())
        canvas.Draw(x, y, picture_);
}

} // namespace kamsel::frames
