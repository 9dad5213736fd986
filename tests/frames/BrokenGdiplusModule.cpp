// A GDI+ module that cannot serve, for the binding's tests: built once
// without GdiplusStartup, once with a GdiplusStartup that fails, and once
// without GdipGetImagePalette. Its counters show whether the binding shut it
// down again. It decodes nothing: every image function says NotImplemented.

#include "platform/gdiplus/GdiplusFlat.h"

using namespace kamsel::gdiplus;

namespace {

int startups = 0;
int shutdowns = 0;
ULONG_PTR lastShutdownToken = 0;
constexpr ULONG_PTR kToken = 0x600D;

} // namespace

extern "C" {

KAMSEL_GDIPLUS_API void BrokenModuleReset() {
    startups = 0;
    shutdowns = 0;
    lastShutdownToken = 0;
}
KAMSEL_GDIPLUS_API int BrokenModuleStartups() {
    return startups;
}
KAMSEL_GDIPLUS_API int BrokenModuleShutdowns() {
    return shutdowns;
}
KAMSEL_GDIPLUS_API ULONG_PTR BrokenModuleLastShutdownToken() {
    return lastShutdownToken;
}

#ifndef KAMSEL_OMIT_STARTUP
Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput*) {
    ++startups;
    if (!token || !input || input->GdiplusVersion != 1)
        return InvalidParameter;
#ifdef KAMSEL_FAIL_STARTUP
    return GenericError;
#else
    *token = kToken;
    return Ok;
#endif
}
#endif

void GdiplusShutdown(ULONG_PTR token) {
    ++shutdowns;
    lastShutdownToken = token;
}

Status GdipCreateBitmapFromStream(kamsel::com::IStream*, GpBitmap**) {
    return NotImplemented;
}
Status GdipGetImageDimension(GpImage*, REAL*, REAL*) {
    return NotImplemented;
}
Status GdipGetImagePixelFormat(GpImage*, PixelFormat*) {
    return NotImplemented;
}
Status GdipCreateHBITMAPFromBitmap(GpBitmap*, HBITMAP*, ARGB) {
    return NotImplemented;
}
Status GdipGetImagePaletteSize(GpImage*, INT*) {
    return NotImplemented;
}
#ifndef KAMSEL_OMIT_PALETTE
Status GdipGetImagePalette(GpImage*, ColorPalette*, INT) {
    return NotImplemented;
}
#endif
Status GdipDisposeImage(GpImage*) {
    return NotImplemented;
}

} // extern "C"
