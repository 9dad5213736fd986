#pragma once
// The flat GDI+ interface of our gdiplus module: types, status values and
// pixel-format numbers as GDI+ publishes them, the nine functions the module
// exports, and a function-pointer type for each so that a program can bind the
// module at run time (dlopen/dlsym) instead of linking it.
//
// Contracts common to all functions:
// - Nothing works before GdiplusStartup and after the last GdiplusShutdown:
//   every other function then returns GdiplusNotInitialized.
// - A null pointer argument gives InvalidParameter; so does an image handle
//   that the module did not create or that was already disposed.
// - Images are immutable once created and may be used from several threads.
// - No exception leaves a function; failures are statuses.

#include "GdiBitmap.h"
#include "platform/com/IStream.h"

#include <cstdint>

namespace kamsel::gdiplus {

using REAL = float;
using INT = std::int32_t;
using UINT = std::uint32_t;
using UINT32 = std::uint32_t;
using ULONG_PTR = std::uintptr_t;
using ARGB = std::uint32_t; // 0xAARRGGBB
using PixelFormat = INT;
using com::BOOL;

enum Status : std::int32_t {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    ObjectBusy = 4,
    InsufficientBuffer = 5,
    NotImplemented = 6,
    Win32Error = 7,
    WrongState = 8,
    Aborted = 9,
    FileNotFound = 10,
    ValueOverflow = 11,
    AccessDenied = 12,
    UnknownImageFormat = 13,
    FontFamilyNotFound = 14,
    FontStyleNotFound = 15,
    NotTrueTypeFont = 16,
    UnsupportedGdiplusVersion = 17,
    GdiplusNotInitialized = 18,
    PropertyNotFound = 19,
    PropertyNotSupported = 20,
    ProfileNotFound = 21,
};
using GpStatus = Status;

// Pixel formats: bits 8 to 15 hold the bits per pixel.
constexpr PixelFormat PixelFormatUndefined = 0;
constexpr PixelFormat PixelFormat1bppIndexed = 0x00030101;
constexpr PixelFormat PixelFormat4bppIndexed = 0x00030402;
constexpr PixelFormat PixelFormat8bppIndexed = 0x00030803;
constexpr PixelFormat PixelFormat16bppGrayScale = 0x00101004;
constexpr PixelFormat PixelFormat16bppRGB555 = 0x00021005;
constexpr PixelFormat PixelFormat16bppRGB565 = 0x00021006;
constexpr PixelFormat PixelFormat16bppARGB1555 = 0x00061007;
constexpr PixelFormat PixelFormat24bppRGB = 0x00021808;
constexpr PixelFormat PixelFormat32bppRGB = 0x00022009;
constexpr PixelFormat PixelFormat32bppARGB = 0x0026200A;
constexpr PixelFormat PixelFormat32bppPARGB = 0x000E200B;
constexpr PixelFormat PixelFormat48bppRGB = 0x0010300C;
constexpr PixelFormat PixelFormat64bppARGB = 0x0034400D;
constexpr PixelFormat PixelFormat64bppPARGB = 0x001A400E;

constexpr int GetPixelFormatSize(PixelFormat format) {
    return (format >> 8) & 0xFF;
}

enum PaletteFlags : UINT {
    PaletteFlagsHasAlpha = 0x0001,
    PaletteFlagsGrayScale = 0x0002,
    PaletteFlagsHalftone = 0x0004,
};

// A colour table as GDI+ hands it out: Count entries follow the header. The
// structure is declared with one entry, as published; a palette of Count
// entries takes PaletteByteSize(Count) bytes.
struct ColorPalette {
    UINT Flags;
    UINT Count;
    ARGB Entries[1];
};

constexpr UINT kPaletteHeaderSize = 2 * sizeof(UINT);
constexpr UINT PaletteByteSize(UINT count) {
    return kPaletteHeaderSize + count * sizeof(ARGB);
}

enum DebugEventLevel : std::int32_t { DebugEventLevelFatal, DebugEventLevelWarning };
using DebugEventProc = void (*)(DebugEventLevel level, char* message);
using NotificationHookProc = Status (*)(ULONG_PTR* token);
using NotificationUnhookProc = void (*)(ULONG_PTR token);

struct GdiplusStartupInput {
    UINT32 GdiplusVersion; // 1
    DebugEventProc DebugEventCallback;
    BOOL SuppressBackgroundThread;
    BOOL SuppressExternalCodecs;
};

struct GdiplusStartupOutput {
    NotificationHookProc NotificationHook;
    NotificationUnhookProc NotificationUnhook;
};

// Opaque image handles. A bitmap is an image; the module hands out bitmaps.
struct GpImage {};
struct GpBitmap : GpImage {};

} // namespace kamsel::gdiplus

#define KAMSEL_GDIPLUS_API __attribute__((visibility("default")))

extern "C" {

// Starts the library. Version 1 only. Each successful call hands out a new
// non-zero token; the library stays started until every token has been given
// back to GdiplusShutdown. output may be null unless SuppressBackgroundThread
// is set; the module runs no background thread, so the hooks it returns have
// nothing to do.
KAMSEL_GDIPLUS_API kamsel::gdiplus::Status GdiplusStartup(kamsel::gdiplus::ULONG_PTR* token,
                                                          const kamsel::gdiplus::GdiplusStartupInput* input,
                                                          kamsel::gdiplus::GdiplusStartupOutput* output);
// Gives a token back; unknown tokens are ignored. When the last token goes,
// images not yet disposed are freed and their handles become invalid.
KAMSEL_GDIPLUS_API void GdiplusShutdown(kamsel::gdiplus::ULONG_PTR token);

// Decodes the image held in stream from its current position to its end (JPEG,
// PNG or BMP). The stream is read completely during the call and not kept; its
// position is left at the end of what was read. On failure *bitmap is null.
KAMSEL_GDIPLUS_API kamsel::gdiplus::Status GdipCreateBitmapFromStream(kamsel::com::IStream* stream,
                                                                      kamsel::gdiplus::GpBitmap** bitmap);
KAMSEL_GDIPLUS_API kamsel::gdiplus::Status GdipGetImageDimension(kamsel::gdiplus::GpImage* image,
                                                                 kamsel::gdiplus::REAL* width,
                                                                 kamsel::gdiplus::REAL* height);
KAMSEL_GDIPLUS_API kamsel::gdiplus::Status GdipGetImagePixelFormat(kamsel::gdiplus::GpImage* image,
                                                                   kamsel::gdiplus::PixelFormat* format);
// A 32-bit bitmap handle of the image composited over background (see
// GdiBitmap.h); release it with DeleteObject. On failure *hbmReturn is null.
KAMSEL_GDIPLUS_API kamsel::gdiplus::Status GdipCreateHBITMAPFromBitmap(kamsel::gdiplus::GpBitmap* bitmap,
                                                                       kamsel::gdiplus::HBITMAP* hbmReturn,
                                                                       kamsel::gdiplus::ARGB background);
// Bytes needed for the image's palette: PaletteByteSize(entries); images
// without a palette have an empty one.
KAMSEL_GDIPLUS_API kamsel::gdiplus::Status GdipGetImagePaletteSize(kamsel::gdiplus::GpImage* image,
                                                                   kamsel::gdiplus::INT* size);
// Fills palette, which holds size bytes; too small a size is InvalidParameter.
KAMSEL_GDIPLUS_API kamsel::gdiplus::Status GdipGetImagePalette(kamsel::gdiplus::GpImage* image,
                                                               kamsel::gdiplus::ColorPalette* palette,
                                                               kamsel::gdiplus::INT size);
KAMSEL_GDIPLUS_API kamsel::gdiplus::Status GdipDisposeImage(kamsel::gdiplus::GpImage* image);

} // extern "C"

namespace kamsel::gdiplus {

// Entry-point types for binding the module at run time.
using GdiplusStartupProc = decltype(&::GdiplusStartup);
using GdiplusShutdownProc = decltype(&::GdiplusShutdown);
using GdipCreateBitmapFromStreamProc = decltype(&::GdipCreateBitmapFromStream);
using GdipGetImageDimensionProc = decltype(&::GdipGetImageDimension);
using GdipGetImagePixelFormatProc = decltype(&::GdipGetImagePixelFormat);
using GdipCreateHBITMAPFromBitmapProc = decltype(&::GdipCreateHBITMAPFromBitmap);
using GdipGetImagePaletteSizeProc = decltype(&::GdipGetImagePaletteSize);
using GdipGetImagePaletteProc = decltype(&::GdipGetImagePalette);
using GdipDisposeImageProc = decltype(&::GdipDisposeImage);

} // namespace kamsel::gdiplus
