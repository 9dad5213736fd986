#pragma once
// The binding to the GDI+ module, loaded at run time: decodes a compressed
// image (a motion-JPEG camera frame) held in a stream into a Bitmap24. The
// program runs without the module; GdiPlusAvailable says whether it is there.
//
// State: one binding per process (the loaded module, the start-up token and
// the nine entry points). Threads: LoadGdiPlus runs once at program start,
// UnloadGdiPlus once at its end; everything is called on the user-interface
// thread only, and nothing here is guarded for other threads.
//
// Statuses: 0 success, kGdiPlusUnavailable (-1) when the module is not loaded,
// kNoTargetBitmap (6) without a target bitmap, otherwise the GDI+ status of
// the call that failed.

#include "frames/Bitmap24.h"
#include "frames/MemoryStream.h"
#include "platform/com/IStream.h"
#include "platform/gdiplus/GdiplusFlat.h"

#include <cstdint>
#include <string>

namespace kamsel::frames {

constexpr std::int32_t kGdiPlusUnavailable = -1;
constexpr std::int32_t kNoTargetBitmap = 6;

// Loads "gdiplus.so" from the executable's folder.
void LoadGdiPlus();
// Loads the module at libraryPath, starts it (version 1) and looks up its
// entry points by name. Any failure leaves GDI+ unavailable, with the module
// shut down and unloaded again; nothing is reported. A module loaded before
// is unloaded first.
void LoadGdiPlus(const std::string& libraryPath);
// Shuts the module down and unloads it. Bitmap handles and images of the
// module must all be released by then (the conversions below always do).
void UnloadGdiPlus();
bool GdiPlusAvailable();

// Decodes the image in stream from its current position into bitmap. The
// stream stays the caller's; it is read to its end.
std::int32_t StreamToBitmap(MemoryStream& stream, Bitmap24* bitmap);
// The same for a COM stream, held with a reference for the call.
std::int32_t IStreamToBitmap(com::IStream* stream, Bitmap24* bitmap);
// Copies a decoded GDI+ image into bitmap: bitmap takes the image's size and
// the pixel format of its bits per pixel (1, 4, 8, 15, 16, 24, else 32; below
// 24 raised to 24) and shows the picture at (0, 0), transparent parts black.
// A failure to get the image's pixels returns its status after the size and
// format have changed, without drawing; a failure to read the palette of an
// image of 8 bits or fewer returns its status after drawing.
std::int32_t ImageToBitmap(gdiplus::GpImage* image, Bitmap24* bitmap);

} // namespace kamsel::frames
