#include "platform/jpeg/JpegErrorTrap.h"

#include <cstddef>
#include <cstring>

#include <jerror.h>

namespace kamsel::jpeg {

JpegErrorTrap::JpegErrorTrap() {
    jpeg_std_error(&manager_);
    manager_.error_exit = &OnError;
    manager_.output_message = &OnMessage;
}

JpegErrorTrap& JpegErrorTrap::Of(j_common_ptr info) {
    static_assert(offsetof(JpegErrorTrap, manager_) == 0);
    return *reinterpret_cast<JpegErrorTrap*>(info->err);
}

void JpegErrorTrap::OnError(j_common_ptr info) {
    JpegErrorTrap& self = Of(info);
    (*info->err->format_message)(info, self.message_);
    // The library's memory manager has no backing store: a picture that needs
    // one has gone past the memory limit (max_memory_to_use).
    const int code = info->err->msg_code;
    self.code_ = code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE ? JpegStatus::Code::OutOfMemory
                                                                             : JpegStatus::Code::BadData;
    std::longjmp(self.jump_, 1);
}

void JpegErrorTrap::Fail(j_common_ptr info, JpegStatus::Code code, const char* message) {
    JpegErrorTrap& self = Of(info);
    std::strncpy(self.message_, message, sizeof self.message_ - 1);
    self.message_[sizeof self.message_ - 1] = '\0';
    self.code_ = code;
    std::longjmp(self.jump_, 1);
}

// The frame of setjmp: nothing in it but its arguments.
bool JpegErrorTrap::Trapped(void (*step)(void*), void* context) {
    if (setjmp(jump_) != 0)
        return false;
    step(context);
    return true;
}

JpegStatus JpegErrorTrap::Run(void (*step)(void*), void* context) {
    if (Trapped(step, context))
        return {};
    return {code_, message_};
}

} // namespace kamsel::jpeg
