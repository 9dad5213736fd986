#include "MediaType.h"

#include "ComApi.h"

#include <cstring>
#include <utility>

namespace kamsel::dshow {

MediaType::MediaType() : type_{} {}

MediaType::MediaType(const AM_MEDIA_TYPE& type) : type_{} {
    if (FAILED(CopyMediaType(&type_, &type)))
        FreeMediaType(type_);
}

MediaType::MediaType(const MediaType& other) : MediaType(other.type_) {}

MediaType::MediaType(MediaType&& other) noexcept : type_(std::exchange(other.type_, AM_MEDIA_TYPE{})) {}

MediaType& MediaType::operator=(MediaType other) noexcept {
    std::swap(type_, other.type_);
    return *this;
}

MediaType::~MediaType() {
    FreeMediaType(type_);
}

bool MediaType::AllocateFormat(std::size_t bytes) {
    FreeMediaType(type_);
    type_.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(bytes));
    if (!type_.pbFormat)
        return false;
    std::memset(type_.pbFormat, 0, bytes);
    type_.cbFormat = static_cast<ULONG>(bytes);
    return true;
}

} // namespace kamsel::dshow
