#include "platform/jpeg/JpegDecompressor.h"

#include <cstdio>
#include <new>

namespace kamsel::jpeg {

// Every libjpeg call that can fail runs as a step of the trap: a captureless
// function over plain arguments (see JpegErrorTrap).

JpegDecompressor::JpegDecompressor() {
    info_.err = trap_.Manager();
    const JpegStatus created =
        trap_.Run([](void* info) { jpeg_create_decompress(static_cast<j_decompress_ptr>(info)); }, &info_);
    if (!created.Ok())
        throw std::bad_alloc();
    info_.client_data = this;
    progress_.progress_monitor = &OnProgress;
    info_.progress = &progress_;
}

JpegDecompressor::~JpegDecompressor() {
    jpeg_destroy_decompress(&info_);
}

void JpegDecompressor::SetMaxMemory(long bytes) {
    info_.mem->max_memory_to_use = bytes;
}

void JpegDecompressor::OnProgress(j_common_ptr info) {
    const auto& self = *static_cast<const JpegDecompressor*>(info->client_data);
    if (self.scanLimit_ > 0 && self.info_.input_scan_number > self.scanLimit_) {
        char message[64];
        std::snprintf(message, sizeof message, "more than %d scans", self.scanLimit_);
        JpegErrorTrap::Fail(info, JpegStatus::Code::LimitExceeded, message);
    }
}

JpegStatus JpegDecompressor::ReadHeader(const std::uint8_t* data, std::size_t size) {
    jpeg_abort_decompress(&info_);
    struct Args {
        j_decompress_ptr info;
        const std::uint8_t* data;
        unsigned long size;
    } args{&info_, data, static_cast<unsigned long>(size)};
    const JpegStatus status = trap_.Run(
        [](void* p) {
            const auto& a = *static_cast<const Args*>(p);
            jpeg_mem_src(a.info, a.data, a.size);
            jpeg_read_header(a.info, TRUE);
        },
        &args);
    if (!status.Ok())
        jpeg_abort_decompress(&info_);
    return status;
}

JpegStatus JpegDecompressor::Start() {
    const JpegStatus status =
        trap_.Run([](void* info) { jpeg_start_decompress(static_cast<j_decompress_ptr>(info)); }, &info_);
    if (!status.Ok())
        jpeg_abort_decompress(&info_);
    return status;
}

JpegStatus JpegDecompressor::ReadRows(JSAMPROW* rows, JDIMENSION count, JDIMENSION& read) {
    struct Args {
        j_decompress_ptr info;
        JSAMPROW* rows;
        JDIMENSION count;
        JDIMENSION read;
    } args{&info_, rows, count, 0};
    const JpegStatus status = trap_.Run(
        [](void* p) {
            auto& a = *static_cast<Args*>(p);
            a.read = jpeg_read_scanlines(a.info, a.rows, a.count);
        },
        &args);
    read = args.read;
    if (!status.Ok())
        jpeg_abort_decompress(&info_);
    return status;
}

JpegStatus JpegDecompressor::Finish() {
    const JpegStatus status =
        trap_.Run([](void* info) { jpeg_finish_decompress(static_cast<j_decompress_ptr>(info)); }, &info_);
    if (!status.Ok())
        jpeg_abort_decompress(&info_);
    return status;
}

void JpegDecompressor::Abort() {
    jpeg_abort_decompress(&info_);
}

} // namespace kamsel::jpeg
