#include "platform/jpeg/JpegCompressor.h"

#include <new>

namespace kamsel::jpeg {

// Every libjpeg call that can fail runs as a step of the trap: a captureless
// function over plain arguments (see JpegErrorTrap).

JpegCompressor::JpegCompressor() {
    info_.err = trap_.Manager();
    const JpegStatus created =
        trap_.Run([](void* info) { jpeg_create_compress(static_cast<j_compress_ptr>(info)); }, &info_);
    if (!created.Ok())
        throw std::bad_alloc();
    info_.dest = destination_.Manager();
}

JpegCompressor::~JpegCompressor() {
    jpeg_destroy_compress(&info_);
}

JpegStatus JpegCompressor::Checked(const JpegStatus& status) {
    if (!status.Ok())
        jpeg_abort_compress(&info_);
    return status;
}

JpegStatus JpegCompressor::SetDefaults() {
    jpeg_abort_compress(&info_);
    return Checked(
        trap_.Run([](void* info) { jpeg_set_defaults(static_cast<j_compress_ptr>(info)); }, &info_));
}

JpegStatus JpegCompressor::SetColorspace(J_COLOR_SPACE space) {
    struct Args {
        j_compress_ptr info;
        J_COLOR_SPACE space;
    } args{&info_, space};
    return Checked(trap_.Run(
        [](void* p) {
            const auto& a = *static_cast<const Args*>(p);
            jpeg_set_colorspace(a.info, a.space);
        },
        &args));
}

JpegStatus JpegCompressor::SetQuality(int quality, bool forceBaseline) {
    struct Args {
        j_compress_ptr info;
        int quality;
        boolean baseline;
    } args{&info_, quality, forceBaseline ? TRUE : FALSE};
    return Checked(trap_.Run(
        [](void* p) {
            const auto& a = *static_cast<const Args*>(p);
            jpeg_set_quality(a.info, a.quality, a.baseline);
        },
        &args));
}

JpegStatus JpegCompressor::Start() {
    return Checked(
        trap_.Run([](void* info) { jpeg_start_compress(static_cast<j_compress_ptr>(info), TRUE); }, &info_));
}

JpegStatus JpegCompressor::WriteRows(JSAMPROW* rows, JDIMENSION count) {
    struct Args {
        j_compress_ptr info;
        JSAMPROW* rows;
        JDIMENSION count;
    } args{&info_, rows, count};
    return Checked(trap_.Run(
        [](void* p) {
            const auto& a = *static_cast<const Args*>(p);
            jpeg_write_scanlines(a.info, a.rows, a.count);
        },
        &args));
}

JpegStatus JpegCompressor::WriteRawData(JSAMPARRAY* planes, JDIMENSION lines) {
    struct Args {
        j_compress_ptr info;
        JSAMPARRAY* planes;
        JDIMENSION lines;
    } args{&info_, planes, lines};
    return Checked(trap_.Run(
        [](void* p) {
            const auto& a = *static_cast<const Args*>(p);
            jpeg_write_raw_data(a.info, a.planes, a.lines);
        },
        &args));
}

JpegStatus JpegCompressor::Finish() {
    return Checked(
        trap_.Run([](void* info) { jpeg_finish_compress(static_cast<j_compress_ptr>(info)); }, &info_));
}

void JpegCompressor::Abort() {
    jpeg_abort_compress(&info_);
}

} // namespace kamsel::jpeg
