#pragma once
// Loads the built gdiplus module the way the program does (dlopen, entry
// points by name) and starts it for each test; every test stops it again.

#include "platform/gdiplus/GdiplusFlat.h"
#include "platform/gdiplus/TestImages.h"
#include "platform/gdiplus/TestStream.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <array>
#include <memory>

namespace kamsel::testimages {

struct GdiplusApi {
    gdiplus::GdiplusStartupProc Startup = nullptr;
    gdiplus::GdiplusShutdownProc Shutdown = nullptr;
    gdiplus::GdipCreateBitmapFromStreamProc CreateBitmapFromStream = nullptr;
    gdiplus::GdipGetImageDimensionProc GetImageDimension = nullptr;
    gdiplus::GdipGetImagePixelFormatProc GetImagePixelFormat = nullptr;
    gdiplus::GdipCreateHBITMAPFromBitmapProc CreateHBITMAPFromBitmap = nullptr;
    gdiplus::GdipGetImagePaletteSizeProc GetImagePaletteSize = nullptr;
    gdiplus::GdipGetImagePaletteProc GetImagePalette = nullptr;
    gdiplus::GdipDisposeImageProc DisposeImage = nullptr;
};

struct DlCloser {
    void operator()(void* handle) const { dlclose(handle); }
};

struct DibDeleter {
    void operator()(gdiplus::GdiBitmap* dib) const { gdiplus::DeleteObject(dib); }
};
using Dib = std::unique_ptr<gdiplus::GdiBitmap, DibDeleter>;

// Blue, green, red, alpha of one pixel of a bitmap handle.
inline std::array<std::uint8_t, 4> PixelAt(const gdiplus::GdiBitmap& dib, int x, int y) {
    const std::uint8_t* p = dib.bmBits +
                            static_cast<std::size_t>(y) * static_cast<std::size_t>(dib.bmWidthBytes) +
                            4 * static_cast<std::size_t>(x);
    return {p[0], p[1], p[2], p[3]};
}

class GdiplusModuleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        module_.reset(dlopen(KAMSEL_GDIPLUS_MODULE, RTLD_NOW | RTLD_LOCAL));
        ASSERT_TRUE(module_) << dlerror();
        Bind(api_.Startup, "GdiplusStartup");
        Bind(api_.Shutdown, "GdiplusShutdown");
        Bind(api_.CreateBitmapFromStream, "GdipCreateBitmapFromStream");
        Bind(api_.GetImageDimension, "GdipGetImageDimension");
        Bind(api_.GetImagePixelFormat, "GdipGetImagePixelFormat");
        Bind(api_.CreateHBITMAPFromBitmap, "GdipCreateHBITMAPFromBitmap");
        Bind(api_.GetImagePaletteSize, "GdipGetImagePaletteSize");
        Bind(api_.GetImagePalette, "GdipGetImagePalette");
        Bind(api_.DisposeImage, "GdipDisposeImage");
        ASSERT_EQ(api_.Startup(&token_, &kInput, nullptr), gdiplus::Ok);
        ASSERT_NE(token_, 0u);
    }
    void TearDown() override {
        if (token_ != 0)
            api_.Shutdown(token_);
    }

    // Decodes bytes read from position; the image (or null) is disposed of
    // after the test unless the test takes it.
    gdiplus::Status Decode(const Bytes& bytes, gdiplus::GpBitmap** image, std::size_t position = 0) {
        const auto stream = com::MakeComObject<TestStream>(bytes, position);
        return api_.CreateBitmapFromStream(stream.Get(), image);
    }

    struct Image {
        GdiplusModuleTest* owner;
        gdiplus::GpBitmap* handle;
        ~Image() {
            if (handle)
                owner->api_.DisposeImage(handle);
        }
    };
    // Decodes bytes that must decode.
    std::unique_ptr<Image> DecodeOk(const Bytes& bytes) {
        auto image = std::make_unique<Image>(Image{this, nullptr});
        EXPECT_EQ(Decode(bytes, &image->handle), gdiplus::Ok);
        return image;
    }

    Dib MakeDib(gdiplus::GpBitmap* image, gdiplus::ARGB background = 0) {
        gdiplus::HBITMAP handle = nullptr;
        EXPECT_EQ(api_.CreateHBITMAPFromBitmap(image, &handle, background), gdiplus::Ok);
        return Dib(handle);
    }

    gdiplus::PixelFormat FormatOf(gdiplus::GpImage* image) {
        gdiplus::PixelFormat format = 0;
        EXPECT_EQ(api_.GetImagePixelFormat(image, &format), gdiplus::Ok);
        return format;
    }
    std::vector<gdiplus::ARGB> PaletteOf(gdiplus::GpImage* image, gdiplus::UINT* flags = nullptr) {
        gdiplus::INT size = 0;
        EXPECT_EQ(api_.GetImagePaletteSize(image, &size), gdiplus::Ok);
        std::vector<std::uint8_t> block(
            static_cast<std::size_t>(std::max<gdiplus::INT>(size, sizeof(gdiplus::ColorPalette))));
        auto* palette = reinterpret_cast<gdiplus::ColorPalette*>(block.data());
        EXPECT_EQ(api_.GetImagePalette(image, palette, size), gdiplus::Ok);
        if (flags)
            *flags = palette->Flags;
        EXPECT_EQ(static_cast<gdiplus::UINT>(size), gdiplus::PaletteByteSize(palette->Count));
        const gdiplus::ARGB* entries = palette->Entries;
        return std::vector<gdiplus::ARGB>(entries, entries + palette->Count);
    }

    static constexpr gdiplus::GdiplusStartupInput kInput{1, nullptr, 0, 0};
    GdiplusApi api_;
    gdiplus::ULONG_PTR token_ = 0;

  private:
    template <class Proc>
    void Bind(Proc& proc, const char* name) {
        proc = reinterpret_cast<Proc>(dlsym(module_.get(), name));
        ASSERT_NE(proc, nullptr) << name;
    }

    std::unique_ptr<void, DlCloser> module_;
};

} // namespace kamsel::testimages
