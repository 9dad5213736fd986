#include "LibraryState.h"

#include <utility>

namespace kamsel::gdiplus {

LibraryState& LibraryState::Instance() {
    static LibraryState state;
    return state;
}

ULONG_PTR LibraryState::Startup() {
    const system::MutexLock lock(mutex_);
    ULONG_PTR token = nextToken_++;
    if (token == 0) // after a wrap-around: 0 means "not started" to callers
        token = nextToken_++;
    tokens_.insert(token);
    return token;
}

void LibraryState::Shutdown(ULONG_PTR token) {
    decltype(images_) orphans;
    {
        const system::MutexLock lock(mutex_);
        if (tokens_.erase(token) == 0 || !tokens_.empty())
            return;
        orphans.swap(images_);
    }
    // Freed outside the lock: large pictures take a while to give back.
}

bool LibraryState::Started() const {
    const system::MutexLock lock(mutex_);
    return !tokens_.empty();
}

Status LibraryState::Adopt(std::unique_ptr<DecodedImage> image, GpBitmap** handle) {
    std::shared_ptr<const DecodedImage> shared(std::move(image));
    GpBitmap* key = const_cast<DecodedImage*>(shared.get());
    const system::MutexLock lock(mutex_);
    if (tokens_.empty())
        return GdiplusNotInitialized;
    images_.emplace(key, std::move(shared));
    *handle = key;
    return Ok;
}

Status LibraryState::Find(const GpImage* handle, std::shared_ptr<const DecodedImage>& image) const {
    const system::MutexLock lock(mutex_);
    if (tokens_.empty())
        return GdiplusNotInitialized;
    const auto found = images_.find(handle);
    if (found == images_.end())
        return InvalidParameter;
    image = found->second;
    return Ok;
}

Status LibraryState::Dispose(const GpImage* handle) {
    std::shared_ptr<const DecodedImage> doomed;
    const system::MutexLock lock(mutex_);
    if (tokens_.empty())
        return GdiplusNotInitialized;
    const auto found = images_.find(handle);
    if (found == images_.end())
        return InvalidParameter;
    doomed = std::move(found->second);
    images_.erase(found);
    return Ok;
}

} // namespace kamsel::gdiplus
