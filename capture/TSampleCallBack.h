#pragma once
// TSampleCallBack: the procedure a capture object calls for every sample, bound
// to one data value (usually the object whose method it forwards to).
//
// The procedure receives, in this order: the data value given at registration,
// the first byte of the sample and a reference to the number of bytes there.
// The bytes belong to the capture device and are valid only during the call;
// whatever the procedure keeps, it copies. It runs on the capture graph's
// streaming thread, must return quickly, must not throw and must not call back
// into the capture object (in particular not SetCallBack).

#include <cstdint>

namespace kamsel::capture {

struct TSampleCallBack {
    using Procedure = void (*)(void* Data, const std::uint8_t* Buffer, std::int32_t& Length);

    Procedure Proc = nullptr; // none: an empty TSampleCallBack
    void* Data = nullptr;

    explicit operator bool() const { return Proc != nullptr; }

    // A TSampleCallBack that calls (object->*Method)(Buffer, Length).
    template <auto Method, class T>
    static TSampleCallBack Bind(T* object) {
        return {[](void* data, const std::uint8_t* buffer, std::int32_t& length) {
                    (static_cast<T*>(data)->*Method)(buffer, length);
                },
                object};
    }

    friend bool operator==(const TSampleCallBack&, const TSampleCallBack&) = default;
};

} // namespace kamsel::capture
