#include "UGDIPlus.h"

#include "frames/MemoryStreamAdapter.h"
#include "platform/com/ComPtr.h"
#include "platform/system/ExecutablePath.h"

#include <dlfcn.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <system_error>
#include <vector>

namespace kamsel::frames {

namespace {

namespace gp = gdiplus;

constexpr const char* kModuleFileName = "gdiplus.so";
constexpr std::size_t kMaxColorTable = 256;

struct LibraryCloser {
    void operator()(void* module) const { dlclose(module); }
};
using LibraryHandle = std::unique_ptr<void, LibraryCloser>;

struct EntryPoints {
    gp::GdiplusStartupProc GdiplusStartup = nullptr;
    gp::GdiplusShutdownProc GdiplusShutdown = nullptr;
    gp::GdipGetImageDimensionProc GdipGetImageDimension = nullptr;
    gp::GdipDisposeImageProc GdipDisposeImage = nullptr;
    gp::GdipCreateBitmapFromStreamProc GdipCreateBitmapFromStream = nullptr;
    gp::GdipCreateHBITMAPFromBitmapProc GdipCreateHBITMAPFromBitmap = nullptr;
    gp::GdipGetImagePixelFormatProc GdipGetImagePixelFormat = nullptr;
    gp::GdipGetImagePaletteSizeProc GdipGetImagePaletteSize = nullptr;
    gp::GdipGetImagePaletteProc GdipGetImagePalette = nullptr;
};

// The binding's process-wide state: none of it is set while GDI+ is
// unavailable.
LibraryHandle GdiPlusModule;
gp::ULONG_PTR GdiPlusToken = 0;
EntryPoints Entry;

template <class Proc>
bool Lookup(const char* name, Proc& proc) {
    proc = reinterpret_cast<Proc>(dlsym(GdiPlusModule.get(), name));
    return proc != nullptr;
}

bool LookupAfterStartup() {
    // All eight are looked up even after a miss, so that a module that has
    // GdiplusShutdown is shut down properly whatever else it lacks.
    bool found = Lookup("GdiplusShutdown", Entry.GdiplusShutdown);
    found = Lookup("GdipGetImageDimension", Entry.GdipGetImageDimension) && found;
    found = Lookup("GdipDisposeImage", Entry.GdipDisposeImage) && found;
    found = Lookup("GdipCreateBitmapFromStream", Entry.GdipCreateBitmapFromStream) && found;
    found = Lookup("GdipCreateHBITMAPFromBitmap", Entry.GdipCreateHBITMAPFromBitmap) && found;
    found = Lookup("GdipGetImagePixelFormat", Entry.GdipGetImagePixelFormat) && found;
    found = Lookup("GdipGetImagePaletteSize", Entry.GdipGetImagePaletteSize) && found;
    found = Lookup("GdipGetImagePalette", Entry.GdipGetImagePalette) && found;
    return found;
}

bool Start() {
    if (!Lookup("GdiplusStartup", Entry.GdiplusStartup))
        return false;
    const gp::GdiplusStartupInput input{1, nullptr, 0, 0};
    GdiPlusToken = 0;
    gp::Status status = gp::GenericError;
    try {
        status = Entry.GdiplusStartup(&GdiPlusToken, &input, nullptr);
    } catch (...) { // a foreign module's failure is only a failed start
    }
    return status == gp::Ok && LookupAfterStartup();
}

// Gives the token back (if the module has a shut-down entry) and unloads the
// module; the state is cleared whatever happens.
void Release() {
    if (GdiPlusToken != 0 && Entry.GdiplusShutdown) {
        try {
            Entry.GdiplusShutdown(GdiPlusToken);
        } catch (...) {
        }
    }
    GdiPlusToken = 0;
    Entry = {};
    GdiPlusModule.reset();
}

PixelFormat TargetFormat(int bits) {
    switch (bits) {
    case 1:
        return PixelFormat::Bits1;
    case 4:
        return PixelFormat::Bits4;
    case 8:
        return PixelFormat::Bits8;
    case 15:
        return PixelFormat::Bits15;
    case 16:
        return PixelFormat::Bits16;
    case 24:
        return PixelFormat::Bits24;
    default:
        return PixelFormat::Bits32;
    }
}

// Nearest integer, halves to even; what is no size at all becomes 0.
int RoundedSize(gp::REAL value) {
    if (!(value > 0))
        return 0;
    const double rounded = std::nearbyint(static_cast<double>(value));
    return rounded >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(rounded);
}

struct HandleDeleter {
    void operator()(gp::GdiBitmap* handle) const { gp::DeleteObject(handle); }
};
using BitmapHandle = std::unique_ptr<gp::GdiBitmap, HandleDeleter>;

class ImageDisposer {
  public:
    explicit ImageDisposer(gp::GpImage* image) : image_(image) {}
    ImageDisposer(const ImageDisposer&) = delete;
    ImageDisposer& operator=(const ImageDisposer&) = delete;
    ~ImageDisposer() { Entry.GdipDisposeImage(image_); }

  private:
    gp::GpImage* image_;
};

// Reads the image's palette into the temporary bitmap's colour table, alpha
// cleared. Returns the status of the failing call, or Ok.
gp::Status TakePalette(gp::GpImage* image, Bitmap24& temporary) {
    gp::INT size = 0;
    if (const gp::Status status = Entry.GdipGetImagePaletteSize(image, &size); status != gp::Ok)
        return status;
    // Room for the header at least, whatever size the module named.
    std::vector<std::uint8_t> block(
        std::max<std::size_t>(static_cast<std::size_t>(std::max(size, 0)), sizeof(gp::ColorPalette)));
    auto* palette = reinterpret_cast<gp::ColorPalette*>(block.data());
    if (const gp::Status status = Entry.GdipGetImagePalette(image, palette, size); status != gp::Ok)
        return status;
    const std::size_t room = (block.size() - gp::kPaletteHeaderSize) / sizeof(gp::ARGB);
    const std::size_t count = std::min({static_cast<std::size_t>(palette->Count), kMaxColorTable, room});
    const gp::ARGB* entries = palette->Entries;
    std::vector<std::uint32_t> table(count);
    for (std::size_t i = 0; i < count; ++i)
        table[i] = entries[i] & 0x00FFFFFFu;
    temporary.SetFormat(PixelFormat::Bits8);
    temporary.SetColorTable(table);
    return gp::Ok;
}

// Puts the handle's pixels into the temporary bitmap, at the handle's size.
// The handle holds colours already composited over the background; like a
// GDI bitmap drawn by copying, the picture is opaque, so transparent parts
// show that background (black). For a 24-bit target the temporary bitmap
// shows the handle's own pixels, uncopied, and drawing drops the fourth byte;
// it must not be drawn after the handle is released. For a 32-bit target it
// takes a copy with every alpha byte opaque. A handle that does not describe a
// 32-bit bitmap is skipped.
void AttachHandle(const gp::GdiBitmap* handle, PixelFormat format, Bitmap24& temporary) {
    if (!handle || !handle->bmBits || handle->bmBitsPixel != 32 || handle->bmWidth <= 0 ||
        handle->bmHeight <= 0 || handle->bmWidthBytes / 4 < handle->bmWidth)
        return;
    if (format != PixelFormat::Bits32) {
        temporary.AttachPixels(handle->bmBits, handle->bmWidth, handle->bmHeight, handle->bmWidthBytes);
        return;
    }
    temporary.SetFormat(format);
    temporary.SetSize(handle->bmWidth, handle->bmHeight);
    if (temporary.Width() != handle->bmWidth || temporary.Height() != handle->bmHeight)
        return;
    for (int y = 0; y < handle->bmHeight; ++y) {
        const std::uint8_t* in =
            handle->bmBits + static_cast<std::size_t>(y) * static_cast<std::size_t>(handle->bmWidthBytes);
        std::uint8_t* out = temporary.ScanLine(y);
        for (int x = 0; x < handle->bmWidth; ++x, in += 4, out += 4) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = 0xFF;
        }
    }
}

// The target's format once raised to at least 24 bits per pixel.
PixelFormat DrawingFormat(PixelFormat target) {
    return BitsPerPixel(target) < 24 ? PixelFormat::Bits24 : target;
}

} // namespace

void LoadGdiPlus() {
    std::string folder;
    try {
        folder = system::ExecutableDirectory();
    } catch (const std::system_error&) { // without its folder the module cannot be found
        Release();
        return;
    }
    LoadGdiPlus(folder + "/" + kModuleFileName);
}

void LoadGdiPlus(const std::string& libraryPath) {
    Release();
    GdiPlusModule.reset(dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!GdiPlusModule)
        return;
    if (!Start())
        Release();
}

void UnloadGdiPlus() {
    Release();
}

bool GdiPlusAvailable() {
    return GdiPlusModule != nullptr;
}

std::int32_t StreamToBitmap(MemoryStream& stream, Bitmap24* bitmap) {
    const auto adapter = com::MakeComObject<MemoryStreamAdapter>(stream);
    return IStreamToBitmap(adapter.Get(), bitmap);
}

std::int32_t IStreamToBitmap(com::IStream* stream, Bitmap24* bitmap) {
    const com::ComPtr<com::IStream> held(stream);
    if (!GdiPlusAvailable())
        return kGdiPlusUnavailable;
    if (!bitmap)
        return kNoTargetBitmap;
    gp::GpBitmap* image = nullptr;
    if (const gp::Status status = Entry.GdipCreateBitmapFromStream(held.Get(), &image); status != gp::Ok)
        return status;
    const ImageDisposer disposer(image);
    return ImageToBitmap(image, bitmap);
}

std::int32_t ImageToBitmap(gdiplus::GpImage* image, Bitmap24* bitmap) {
    if (!GdiPlusAvailable())
        return kGdiPlusUnavailable;
    if (!bitmap)
        return kNoTargetBitmap;
    Bitmap24 temporary;
    gp::REAL width = 0;
    gp::REAL height = 0;
    Entry.GdipGetImageDimension(image, &width, &height);
    gp::PixelFormat format = 0;
    Entry.GdipGetImagePixelFormat(image, &format);
    const int bits = gp::GetPixelFormatSize(format);
    bitmap->SetFormat(TargetFormat(bits));
    bitmap->SetSize(RoundedSize(width), RoundedSize(height));

    gp::HBITMAP raw = nullptr;
    if (const gp::Status status =
            Entry.GdipCreateHBITMAPFromBitmap(static_cast<gp::GpBitmap*>(image), &raw, 0);
        status != gp::Ok)
        return status;
    const BitmapHandle handle(raw);
    gp::Status status = gp::Ok;
    if (bits <= 8)
        status = TakePalette(image, temporary);
    const PixelFormat drawing = DrawingFormat(bitmap->Format());
    AttachHandle(handle.get(), drawing, temporary);
    bitmap->SetFormat(drawing);
    bitmap->GetCanvas().Draw(0, 0, temporary);
    return status;
}

} // namespace kamsel::frames
