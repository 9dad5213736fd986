#pragma once
// The error manager of one libjpeg object, and the only place where the
// library's fatal errors are caught.
//
// libjpeg is C: its fatal errors call error_exit, which must not return, and
// an exception must not unwind through its frames. error_exit therefore
// longjmps back to Run, which called setjmp just before handing control to a
// small step function of this module. Between Run and the library there are
// only such step functions, whose frames hold plain data (no object with a
// destructor that the jump would skip); Run turns the jump into a JpegStatus
// in ordinary C++ code. Warnings (damaged entropy data) are not errors and
// are not printed: the library fills what it cannot decode.
//
// Threads: belongs to its libjpeg object, one thread at a time.

#include "platform/jpeg/JpegStatus.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE

#include <jpeglib.h>

namespace kamsel::jpeg {

class JpegErrorTrap {
  public:
    JpegErrorTrap();
    JpegErrorTrap(const JpegErrorTrap&) = delete;
    JpegErrorTrap& operator=(const JpegErrorTrap&) = delete;

    // For the err field of a libjpeg object; the trap must outlive it.
    jpeg_error_mgr* Manager() { return &manager_; }

    // Calls step(context) with the trap armed. step may only call libjpeg
    // (and this module's callbacks) and must own nothing.
    JpegStatus Run(void (*step)(void*), void* context);

    // Ends the running step with our own failure, from a callback of this
    // module that libjpeg called during Run.
    [[noreturn]] static void Fail(j_common_ptr info, JpegStatus::Code code, const char* message);

  private:
    [[noreturn]] static void OnError(j_common_ptr info);
    static void OnMessage(j_common_ptr) {}
    static JpegErrorTrap& Of(j_common_ptr info);
    bool Trapped(void (*step)(void*), void* context);

    jpeg_error_mgr manager_{}; // first: the library's pointer converts back
    std::jmp_buf jump_{};
    JpegStatus::Code code_ = JpegStatus::Code::Ok;
    char message_[JMSG_LENGTH_MAX]{};
};

} // namespace kamsel::jpeg
