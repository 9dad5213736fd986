#pragma once
// HBITMAP for a system without GDI: a self-describing device-independent
// bitmap handed out by the gdiplus module (GdipCreateHBITMAPFromBitmap).
//
// Layout: bmHeight rows of bmWidthBytes bytes, top row first, at bmBits. Every
// pixel is 32 bits, bytes blue, green, red, alpha in memory, with the colours
// premultiplied by alpha (the image composited over the requested background;
// over transparent black, fully transparent pixels are 0, 0, 0, 0).
//
// Ownership: the handle and its pixels belong to the module that made them and
// are freed by it, through the release function the handle carries. Release a
// handle exactly once, with DeleteObject, and before that module is unloaded.

#include <cstdint>

namespace kamsel::gdiplus {

struct GdiBitmap {
    std::int32_t bmWidth;
    std::int32_t bmHeight;
    std::int32_t bmBitsPixel;  // always 32
    std::int32_t bmWidthBytes; // stride: bytes from one row to the next
    std::uint8_t* bmBits;      // top row first
    void (*release)(GdiBitmap* bitmap);
};

using HBITMAP = GdiBitmap*;

// Frees a handle in the module that allocated it. Returns false for a null
// handle or one without a release function (nothing is freed then).
inline bool DeleteObject(HBITMAP bitmap) {
    if (!bitmap || !bitmap->release)
        return false;
    bitmap->release(bitmap);
    return true;
}

} // namespace kamsel::gdiplus
