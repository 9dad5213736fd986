#pragma once
// The module's process-wide state: the start-up tokens handed out and not yet
// given back, and the images alive behind their handles. All members may be
// called from any thread; one mutex guards the state, and no decoding or
// pixel work happens while it is held.

#include "DecodedImage.h"
#include "GdiplusFlat.h"
#include "platform/system/ThreadAnnotations.h"

#include <memory>
#include <set>
#include <unordered_map>

namespace kamsel::gdiplus {

class LibraryState {
  public:
    static LibraryState& Instance();

    // Hands out a new non-zero token; the library is started while any token
    // is out.
    ULONG_PTR Startup();
    // Takes a token back (unknown ones are ignored). When the last one goes,
    // the remaining images are freed.
    void Shutdown(ULONG_PTR token);
    bool Started() const;

    // Registers image under its handle. GdiplusNotInitialized (and the image
    // is dropped) if the library is not started.
    Status Adopt(std::unique_ptr<DecodedImage> image, GpBitmap** handle);
    // The image behind handle, kept alive for the caller even if another
    // thread disposes of it meanwhile. GdiplusNotInitialized, or
    // InvalidParameter for a handle that is not a live image.
    Status Find(const GpImage* handle, std::shared_ptr<const DecodedImage>& image) const;
    Status Dispose(const GpImage* handle);

  private:
    LibraryState() = default;

    mutable system::Mutex mutex_;
    std::set<ULONG_PTR> tokens_ GUARDED_BY(mutex_);
    ULONG_PTR nextToken_ GUARDED_BY(mutex_) = 1;
    std::unordered_map<const GpImage*, std::shared_ptr<const DecodedImage>> images_ GUARDED_BY(mutex_);
};

} // namespace kamsel::gdiplus
