#include "JpegDecoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace kamsel::gdiplus {

namespace {

// libjpeg's own memory (coefficient buffers of progressive pictures) is
// bounded too; the pixel limits keep it well below this.
constexpr long kMaxDecoderMemory = 768L << 20;
// Every scan of a progressive or multi-scan picture is a pass over the whole
// picture; crafted files can carry thousands. Allow at most this many pixel
// passes in total, and never more than libjpeg-turbo's own suggested limit.
constexpr std::uint64_t kMaxScanPixelPasses = std::uint64_t{1} << 31;
constexpr int kMaxScans = 500;

// libjpeg reports fatal errors through error_exit, which must not return:
// control goes back to the setjmp in DecodeJpeg. Nothing between there and
// libjpeg owns resources, and the session releases libjpeg's memory.
struct ErrorManager {
    jpeg_error_mgr base; // first, so libjpeg's pointer converts back
    std::jmp_buf jump;
};

struct ProgressManager {
    jpeg_progress_mgr base; // first, as above
    int scanLimit;
};

[[noreturn]] void OnError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Warnings (a damaged or truncated frame) are not fatal and not printed: the
// picture shows what arrived.
void OnMessage(j_common_ptr) {}

void OnProgress(j_common_ptr info) {
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    const auto* progress = reinterpret_cast<const ProgressManager*>(info->progress);
    if (decompress->input_scan_number > progress->scanLimit)
        OnError(info);
}

int ScanLimit(std::uint64_t pixels) {
    return static_cast<int>(
        std::min<std::uint64_t>(kMaxScans, std::max<std::uint64_t>(1, kMaxScanPixelPasses / pixels)));
}

class JpegSession {
  public:
    JpegSession(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {
        info_.err = jpeg_std_error(&errors_.base);
        errors_.base.error_exit = OnError;
        errors_.base.output_message = OnMessage;
        progress_.base.progress_monitor = OnProgress;
    }
    JpegSession(const JpegSession&) = delete;
    JpegSession& operator=(const JpegSession&) = delete;
    // Safe in every state: libjpeg checks whether its memory manager exists.
    ~JpegSession() { jpeg_destroy_decompress(&info_); }

    std::jmp_buf& Jump() { return errors_.jump; }
    Status FailureStatus() const {
        return errors_.base.msg_code == JERR_OUT_OF_MEMORY ? OutOfMemory : GenericError;
    }

    // May leave through OnError (longjmp); holds no objects of its own.
    Status Run(DecodedImage& image) {
        jpeg_create_decompress(&info_);
        info_.mem->max_memory_to_use = kMaxDecoderMemory;
        jpeg_mem_src(&info_, data_, static_cast<unsigned long>(size_));
        jpeg_read_header(&info_, TRUE);
        if (const Status status = CheckImageSize(info_.image_width, info_.image_height); status != Ok)
            return status;
        const PixelLayout layout = ChooseOutput();
        info_.dct_method = JDCT_ISLOW;
        progress_.scanLimit = ScanLimit(std::uint64_t{info_.image_width} * info_.image_height);
        info_.progress = &progress_.base;
        jpeg_start_decompress(&info_);
        if (const Status status = image.Allocate(info_.output_width, info_.output_height, layout);
            status != Ok)
            return status;
        if (const Status status = ReadRows(image); status != Ok)
            return status;
        jpeg_finish_decompress(&info_);
        if (layout == PixelLayout::Indexed8) {
            image.SetGrayPalette();
            image.SetFormat(PixelFormat8bppIndexed);
        } else {
            image.SetFormat(PixelFormat24bppRGB);
        }
        return Ok;
    }

  private:
    PixelLayout ChooseOutput() {
        switch (info_.jpeg_color_space) {
        case JCS_GRAYSCALE:
            info_.out_color_space = JCS_GRAYSCALE;
            return PixelLayout::Indexed8;
        case JCS_CMYK:
        case JCS_YCCK:
            info_.out_color_space = JCS_CMYK;
            cmyk_ = true;
            return PixelLayout::Bgr24;
        default:
            info_.out_color_space = JCS_EXT_BGR;
            return PixelLayout::Bgr24;
        }
    }

    Status ReadRows(DecodedImage& image) {
        const std::size_t expected = cmyk_ ? 4 : image.Layout() == PixelLayout::Indexed8 ? 1 : 3;
        if (static_cast<std::size_t>(info_.output_components) != expected)
            return GenericError;
        if (cmyk_)
            cmykRow_.resize(std::size_t{info_.output_width} * 4);
        while (info_.output_scanline < info_.output_height) {
            const JDIMENSION y = info_.output_scanline;
            JSAMPROW row = cmyk_ ? cmykRow_.data() : image.Row(y);
            if (jpeg_read_scanlines(&info_, &row, 1) != 1)
                return GenericError;
            if (cmyk_)
                CmykToBgr(image.Row(y), image.Width());
        }
        return Ok;
    }

    // Adobe's encoders store CMYK inverted (255 = no ink); others do not.
    void CmykToBgr(std::uint8_t* out, int width) const {
        const bool inverted = info_.saw_Adobe_marker;
        const std::uint8_t* in = cmykRow_.data();
        for (int x = 0; x < width; ++x, in += 4, out += 3) {
            const unsigned k = inverted ? in[3] : 255u - in[3];
            for (int c = 0; c < 3; ++c) {
                const unsigned ink = inverted ? in[c] : 255u - in[c];
                out[2 - c] = static_cast<std::uint8_t>((ink * k + 127) / 255);
            }
        }
    }

    const std::uint8_t* data_;
    std::size_t size_;
    jpeg_decompress_struct info_{};
    ErrorManager errors_{};
    ProgressManager progress_{};
    bool cmyk_ = false;
    std::vector<std::uint8_t> cmykRow_;
};

} // namespace

bool LooksLikeJpeg(const std::uint8_t* data, std::size_t size) {
    return size >= 2 && data[0] == 0xFF && data[1] == 0xD8;
}

Status DecodeJpeg(const std::uint8_t* data, std::size_t size, DecodedImage& image) {
    JpegSession session(data, size);
    if (setjmp(session.Jump()) != 0)
        return session.FailureStatus();
    return session.Run(image);
}

} // namespace kamsel::gdiplus
