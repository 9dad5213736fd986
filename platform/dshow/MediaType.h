#pragma once
// An owned media type record with its format block, as a value: copies are
// deep, and the block is freed when the value goes.

#include "MediaTypes.h"

#include <cstddef>

namespace kamsel::dshow {

class MediaType {
  public:
    MediaType();
    // A deep copy of type.
    explicit MediaType(const AM_MEDIA_TYPE& type);
    MediaType(const MediaType& other);
    MediaType(MediaType&& other) noexcept;
    MediaType& operator=(MediaType other) noexcept;
    ~MediaType();

    const AM_MEDIA_TYPE& Get() const { return type_; }
    AM_MEDIA_TYPE& Get() { return type_; }
    const AM_MEDIA_TYPE* operator->() const { return &type_; }
    AM_MEDIA_TYPE* operator->() { return &type_; }

    // Gives the record a zeroed format block of bytes; false when out of memory.
    bool AllocateFormat(std::size_t bytes);
    // A task-memory copy for an out parameter (DeleteMediaType); null when out of memory.
    AM_MEDIA_TYPE* CreateCopy() const { return CreateMediaType(&type_); }
    // Fills target (a record without a block) with a deep copy.
    HRESULT CopyTo(AM_MEDIA_TYPE* target) const { return CopyMediaType(target, &type_); }

  private:
    AM_MEDIA_TYPE type_;
};

} // namespace kamsel::dshow
