// Start-up, shut-down and argument checking of the flat functions.

#include "GdiplusModuleFixture.h"

namespace kamsel::testimages {
namespace {

using namespace gdiplus;

class GdiplusLifecycle : public GdiplusModuleTest {};

TEST_F(GdiplusLifecycle, StartupChecksItsArguments) {
    ULONG_PTR token = 0;
    EXPECT_EQ(api_.Startup(nullptr, &kInput, nullptr), InvalidParameter);
    EXPECT_EQ(api_.Startup(&token, nullptr, nullptr), InvalidParameter);
    const GdiplusStartupInput version2{2, nullptr, 0, 0};
    EXPECT_EQ(api_.Startup(&token, &version2, nullptr), UnsupportedGdiplusVersion);
    // Without its own background thread the caller must take the hooks.
    const GdiplusStartupInput noThread{1, nullptr, 1, 0};
    EXPECT_EQ(api_.Startup(&token, &noThread, nullptr), InvalidParameter);
    EXPECT_EQ(token, 0u);

    GdiplusStartupOutput output{};
    ASSERT_EQ(api_.Startup(&token, &noThread, &output), Ok);
    ASSERT_NE(output.NotificationHook, nullptr);
    ASSERT_NE(output.NotificationUnhook, nullptr);
    ULONG_PTR hookToken = 1;
    EXPECT_EQ(output.NotificationHook(&hookToken), Ok);
    output.NotificationUnhook(hookToken);
    api_.Shutdown(token);
}

TEST_F(GdiplusLifecycle, LibraryRunsUntilTheLastTokenIsGivenBack) {
    const Bytes jpeg = EncodeJpeg(ColourBlocks(64, 64));
    ULONG_PTR second = 0;
    ASSERT_EQ(api_.Startup(&second, &kInput, nullptr), Ok);
    EXPECT_NE(second, token_);

    api_.Shutdown(second);
    api_.Shutdown(second);   // a token given back twice changes nothing
    api_.Shutdown(0x5A5A5A); // nor does one never handed out
    GpBitmap* image = nullptr;
    ASSERT_EQ(Decode(jpeg, &image), Ok);
    EXPECT_EQ(api_.DisposeImage(image), Ok);

    api_.Shutdown(std::exchange(token_, 0));
    image = reinterpret_cast<GpBitmap*>(0x1);
    EXPECT_EQ(Decode(jpeg, &image), GdiplusNotInitialized);
    EXPECT_EQ(image, nullptr);
}

TEST_F(GdiplusLifecycle, EveryFunctionNeedsTheLibraryStarted) {
    GpBitmap* image = nullptr;
    ASSERT_EQ(Decode(EncodeJpeg(ColourBlocks(16, 16)), &image), Ok);
    api_.Shutdown(std::exchange(token_, 0));

    REAL width = 0, height = 0;
    PixelFormat format = 0;
    HBITMAP dib = nullptr;
    INT size = 0;
    ColorPalette palette{};
    EXPECT_EQ(api_.GetImageDimension(image, &width, &height), GdiplusNotInitialized);
    EXPECT_EQ(api_.GetImagePixelFormat(image, &format), GdiplusNotInitialized);
    dib = reinterpret_cast<HBITMAP>(0x1);
    EXPECT_EQ(api_.CreateHBITMAPFromBitmap(image, &dib, 0), GdiplusNotInitialized);
    EXPECT_EQ(dib, nullptr);
    EXPECT_EQ(api_.GetImagePaletteSize(image, &size), GdiplusNotInitialized);
    EXPECT_EQ(api_.GetImagePalette(image, &palette, sizeof palette), GdiplusNotInitialized);
    EXPECT_EQ(api_.DisposeImage(image), GdiplusNotInitialized);

    // The last shutdown freed the image (the leak checker would say
    // otherwise); after a new start its handle means nothing.
    ASSERT_EQ(api_.Startup(&token_, &kInput, nullptr), Ok);
    EXPECT_EQ(api_.DisposeImage(image), InvalidParameter);
}

TEST_F(GdiplusLifecycle, NullAndForeignArgumentsAreInvalidParameters) {
    const auto image = DecodeOk(EncodeJpeg(ColourBlocks(16, 16)));
    GpBitmap* const valid = image->handle;
    GpBitmap foreign;
    REAL width = 0, height = 0;
    PixelFormat format = 0;
    HBITMAP dib = nullptr;
    INT size = 0;
    ColorPalette palette{};

    GpBitmap* out = nullptr;
    EXPECT_EQ(api_.CreateBitmapFromStream(nullptr, &out), InvalidParameter);
    const auto stream = com::MakeComObject<TestStream>(Bytes{});
    EXPECT_EQ(api_.CreateBitmapFromStream(stream.Get(), nullptr), InvalidParameter);

    for (GpBitmap* bad : {static_cast<GpBitmap*>(nullptr), &foreign}) {
        EXPECT_EQ(api_.GetImageDimension(bad, &width, &height), InvalidParameter);
        EXPECT_EQ(api_.GetImagePixelFormat(bad, &format), InvalidParameter);
        EXPECT_EQ(api_.CreateHBITMAPFromBitmap(bad, &dib, 0), InvalidParameter);
        EXPECT_EQ(api_.GetImagePaletteSize(bad, &size), InvalidParameter);
        EXPECT_EQ(api_.GetImagePalette(bad, &palette, sizeof palette), InvalidParameter);
        EXPECT_EQ(api_.DisposeImage(bad), InvalidParameter);
    }
    EXPECT_EQ(api_.GetImageDimension(valid, nullptr, &height), InvalidParameter);
    EXPECT_EQ(api_.GetImageDimension(valid, &width, nullptr), InvalidParameter);
    EXPECT_EQ(api_.GetImagePixelFormat(valid, nullptr), InvalidParameter);
    EXPECT_EQ(api_.CreateHBITMAPFromBitmap(valid, nullptr, 0), InvalidParameter);
    EXPECT_EQ(api_.GetImagePaletteSize(valid, nullptr), InvalidParameter);
    EXPECT_EQ(api_.GetImagePalette(valid, nullptr, 1024), InvalidParameter);
    EXPECT_EQ(dib, nullptr);
}

TEST_F(GdiplusLifecycle, ADisposedImageCannotBeUsedOrDisposedAgain) {
    GpBitmap* image = nullptr;
    ASSERT_EQ(Decode(EncodeJpeg(ColourBlocks(16, 16)), &image), Ok);
    ASSERT_EQ(api_.DisposeImage(image), Ok);
    PixelFormat format = 0;
    EXPECT_EQ(api_.GetImagePixelFormat(image, &format), InvalidParameter);
    EXPECT_EQ(api_.DisposeImage(image), InvalidParameter);
}

TEST_F(GdiplusLifecycle, ABitmapHandleOutlivesItsImage) {
    GpBitmap* image = nullptr;
    ASSERT_EQ(Decode(EncodeJpeg(ColourBlocks(64, 32)), &image), Ok);
    Dib dib = MakeDib(image);
    ASSERT_EQ(api_.DisposeImage(image), Ok);
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->bmWidth, 64);
    EXPECT_EQ(PixelAt(*dib, 63, 31)[3], 255);
    EXPECT_TRUE(DeleteObject(dib.release()));
    EXPECT_FALSE(DeleteObject(nullptr));
}

} // namespace
} // namespace kamsel::testimages
