#pragma once
// The outcome of one libjpeg step: success, or what went wrong with the
// library's own text ("Not a JPEG file: starts with 0x89 0x50").
//
// Threads: a plain value.

#include <string>
#include <utility>

namespace kamsel::jpeg {

class JpegStatus {
  public:
    enum class Code {
        Ok,
        BadData,       // the library rejected the data or the request
        OutOfMemory,   // the library could not get memory (or hit its memory limit)
        LimitExceeded, // a limit of ours, such as the number of scans
    };

    JpegStatus() = default; // Ok
    JpegStatus(Code code, std::string message) : code_(code), message_(std::move(message)) {}

    bool Ok() const { return code_ == Code::Ok; }
    Code GetCode() const { return code_; }
    const std::string& Message() const { return message_; }

  private:
    Code code_ = Code::Ok;
    std::string message_;
};

} // namespace kamsel::jpeg
