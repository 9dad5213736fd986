// The exported flat functions. Each checks its arguments, works through the
// library state and the decoders, and turns every failure, exceptions
// included, into a status: nothing may unwind into a C caller.

#include "GdiplusFlat.h"

#include "DibComposer.h"
#include "ImageDecoder.h"
#include "LibraryState.h"
#include "StreamReader.h"
#include "platform/com/ComPtr.h"

#include <cstring>
#include <new>
#include <vector>

using namespace kamsel::gdiplus;
namespace com = kamsel::com;

namespace {

constexpr UINT32 kSupportedVersion = 1;

template <class Work>
Status Guarded(Work&& work) noexcept {
    try {
        return work();
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    } catch (...) {
        return GenericError;
    }
}

// The module runs no background thread, so a caller that asked to drive it
// itself has nothing to hook in.
Status NotificationHook(ULONG_PTR* token) {
    if (!token)
        return InvalidParameter;
    *token = 0;
    return Ok;
}
void NotificationUnhook(ULONG_PTR) {}

} // namespace

extern "C" {

Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output) {
    return Guarded([&] {
        if (!token || !input)
            return InvalidParameter;
        if (input->GdiplusVersion != kSupportedVersion)
            return UnsupportedGdiplusVersion;
        if (input->SuppressBackgroundThread && !output)
            return InvalidParameter;
        if (output) {
            output->NotificationHook = &NotificationHook;
            output->NotificationUnhook = &NotificationUnhook;
        }
        *token = LibraryState::Instance().Startup();
        return Ok;
    });
}

void GdiplusShutdown(ULONG_PTR token) {
    Guarded([&] {
        LibraryState::Instance().Shutdown(token);
        return Ok;
    });
}

Status GdipCreateBitmapFromStream(com::IStream* stream, GpBitmap** bitmap) {
    return Guarded([&] {
        if (bitmap)
            *bitmap = nullptr;
        LibraryState& state = LibraryState::Instance();
        if (!state.Started())
            return GdiplusNotInitialized;
        if (!stream || !bitmap)
            return InvalidParameter;
        const com::ComPtr<com::IStream> held(stream);
        StreamBytes bytes;
        if (const Status status = ReadRemainingStream(*held, bytes); status != Ok)
            return status;
        auto image = std::make_unique<DecodedImage>();
        if (const Status status = DecodeImage(bytes.data(), bytes.size(), *image); status != Ok)
            return status;
        if (image->Layout() == PixelLayout::Bgrx32)
            image->KeepSource(std::move(bytes));
        return state.Adopt(std::move(image), bitmap);
    });
}

Status GdipGetImageDimension(GpImage* image, REAL* width, REAL* height) {
    return Guarded([&] {
        std::shared_ptr<const DecodedImage> decoded;
        if (const Status status = LibraryState::Instance().Find(image, decoded); status != Ok)
            return status;
        if (!width || !height)
            return InvalidParameter;
        *width = static_cast<REAL>(decoded->Width());
        *height = static_cast<REAL>(decoded->Height());
        return Ok;
    });
}

Status GdipGetImagePixelFormat(GpImage* image, PixelFormat* format) {
    return Guarded([&] {
        std::shared_ptr<const DecodedImage> decoded;
        if (const Status status = LibraryState::Instance().Find(image, decoded); status != Ok)
            return status;
        if (!format)
            return InvalidParameter;
        *format = decoded->Format();
        return Ok;
    });
}

Status GdipCreateHBITMAPFromBitmap(GpBitmap* bitmap, HBITMAP* hbmReturn, ARGB background) {
    return Guarded([&] {
        if (hbmReturn)
            *hbmReturn = nullptr;
        std::shared_ptr<const DecodedImage> decoded;
        if (const Status status = LibraryState::Instance().Find(bitmap, decoded); status != Ok)
            return status;
        if (!hbmReturn)
            return InvalidParameter;
        return ComposeDib(*decoded, background, hbmReturn);
    });
}

Status GdipGetImagePaletteSize(GpImage* image, INT* size) {
    return Guarded([&] {
        std::shared_ptr<const DecodedImage> decoded;
        if (const Status status = LibraryState::Instance().Find(image, decoded); status != Ok)
            return status;
        if (!size)
            return InvalidParameter;
        *size = static_cast<INT>(PaletteByteSize(static_cast<UINT>(decoded->Palette().size())));
        return Ok;
    });
}

Status GdipGetImagePalette(GpImage* image, ColorPalette* palette, INT size) {
    return Guarded([&] {
        std::shared_ptr<const DecodedImage> decoded;
        if (const Status status = LibraryState::Instance().Find(image, decoded); status != Ok)
            return status;
        const std::vector<ARGB>& entries = decoded->Palette();
        const UINT count = static_cast<UINT>(entries.size());
        if (!palette || size < 0 || static_cast<UINT>(size) < PaletteByteSize(count))
            return InvalidParameter;
        palette->Flags = decoded->PaletteFlags();
        palette->Count = count;
        // Entries past the declared one are written through the byte address,
        // as the caller sized the block for them.
        if (count > 0)
            std::memcpy(reinterpret_cast<std::uint8_t*>(palette) + kPaletteHeaderSize, entries.data(),
                        count * sizeof(ARGB));
        return Ok;
    });
}

Status GdipDisposeImage(GpImage* image) {
    return Guarded([&] { return LibraryState::Instance().Dispose(image); });
}

} // extern "C"
