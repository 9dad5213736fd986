// Any bytes through GdipCreateBitmapFromStream, then everything a caller may
// ask of the image: size, format, palette, and a bitmap handle whose every
// byte is read.

#include "platform/gdiplus/GdiplusFlat.h"
#include "tests/platform/gdiplus/TestStream.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace kamsel::gdiplus;

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

void ReadPalette(GpImage* image) {
    INT size = 0;
    Check(GdipGetImagePaletteSize(image, &size) == Ok);
    Check(size >= static_cast<INT>(kPaletteHeaderSize));
    std::vector<std::uint8_t> block(static_cast<std::size_t>(size));
    auto* palette = reinterpret_cast<ColorPalette*>(block.data());
    Check(GdipGetImagePalette(image, palette, size) == Ok);
    Check(PaletteByteSize(palette->Count) == static_cast<UINT>(size) && palette->Count <= 256);
    Check(GdipGetImagePalette(image, palette, size - 1) == InvalidParameter);
}

void ReadAllPixels(GpBitmap* image, REAL width, REAL height) {
    HBITMAP dib = nullptr;
    Check(GdipCreateHBITMAPFromBitmap(image, &dib, 0xFF204060u) == Ok && dib);
    Check(dib->bmWidth == static_cast<int>(width) && dib->bmHeight == static_cast<int>(height));
    Check(dib->bmBitsPixel == 32 && dib->bmWidthBytes == dib->bmWidth * 4);
    unsigned sum = 0;
    const std::size_t bytes =
        static_cast<std::size_t>(dib->bmWidthBytes) * static_cast<std::size_t>(dib->bmHeight);
    for (std::size_t i = 0; i < bytes; ++i)
        sum += dib->bmBits[i];
    volatile unsigned sink = sum;
    (void)sink;
    Check(DeleteObject(dib));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static ULONG_PTR token = 0;
    const GdiplusStartupInput input{1, nullptr, 0, 0};
    Check(GdiplusStartup(&token, &input, nullptr) == Ok);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto stream = kamsel::com::MakeComObject<kamsel::testimages::TestStream>(
        std::vector<std::uint8_t>(data, data + size));
    GpBitmap* image = nullptr;
    if (GdipCreateBitmapFromStream(stream.Get(), &image) != Ok) {
        Check(image == nullptr);
        return 0;
    }
    REAL width = 0, height = 0;
    PixelFormat format = 0;
    Check(GdipGetImageDimension(image, &width, &height) == Ok && width >= 1 && height >= 1);
    Check(GdipGetImagePixelFormat(image, &format) == Ok && GetPixelFormatSize(format) > 0);
    ReadPalette(image);
    ReadAllPixels(image, width, height);
    Check(GdipDisposeImage(image) == Ok);
    return 0;
}
