// The binding without a usable GDI+ module.

#include "GdiPlusTestSupport.h"
#include "frames/UGDIPlus.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <memory>
#include <string>

namespace kamsel::frames::test {
namespace {

using namespace testimages;

std::string BrokenModulePath(const char* variant) {
    return std::string(KAMSEL_BROKEN_MODULE_DIR) + "/gdiplus_broken_" + variant + ".so";
}

class GdiPlusUnavailable : public ::testing::Test {
  protected:
    void TearDown() override { UnloadGdiPlus(); }

    // Nothing may change: status -1, bitmap and stream as they were.
    void ExpectNothingHappens() {
        EXPECT_FALSE(GdiPlusAvailable());
        MemoryStream stream;
        Fill(stream, EncodeJpeg(ColourBlocks(64, 64)));
        Bitmap24 bitmap(5, 3, PixelFormat::Bits8);
        EXPECT_EQ(StreamToBitmap(stream, &bitmap), kGdiPlusUnavailable);
        EXPECT_EQ(StreamToBitmap(stream, nullptr), kGdiPlusUnavailable);
        EXPECT_EQ(ImageToBitmap(nullptr, &bitmap), kGdiPlusUnavailable);
        EXPECT_EQ(stream.Position(), 0u);
        EXPECT_EQ(bitmap.Width(), 5);
        EXPECT_EQ(bitmap.Height(), 3);
        EXPECT_EQ(bitmap.Format(), PixelFormat::Bits8);
    }
};

TEST_F(GdiPlusUnavailable, WithoutTheLibraryNothingIsTouched) {
    LoadGdiPlus("/nonexistent/folder/gdiplus.so");
    ExpectNothingHappens();
}

TEST_F(GdiPlusUnavailable, UnloadingEndsAvailability) {
    LoadGdiPlus(KAMSEL_GDIPLUS_MODULE);
    ASSERT_TRUE(GdiPlusAvailable());
    UnloadGdiPlus();
    ExpectNothingHappens();
    LoadGdiPlus("/nonexistent/folder/gdiplus.so"); // a failed load after a good one
    ExpectNothingHappens();
}

// The broken modules report through counters; the test keeps each loaded
// itself so that the counters survive the binding's unloading.
class BrokenModule : public GdiPlusUnavailable {
  protected:
    void Open(const char* variant) {
        path_ = BrokenModulePath(variant);
        probe_.reset(dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL));
        ASSERT_TRUE(probe_) << dlerror();
        reinterpret_cast<void (*)()>(dlsym(probe_.get(), "BrokenModuleReset"))();
    }
    int Count(const char* counter) { return reinterpret_cast<int (*)()>(dlsym(probe_.get(), counter))(); }
    gdiplus::ULONG_PTR LastShutdownToken() {
        return reinterpret_cast<gdiplus::ULONG_PTR (*)()>(
            dlsym(probe_.get(), "BrokenModuleLastShutdownToken"))();
    }

    struct Closer {
        void operator()(void* handle) const { dlclose(handle); }
    };
    std::string path_;
    std::unique_ptr<void, Closer> probe_;
};

TEST_F(BrokenModule, WithoutStartupTheModuleIsNotUsed) {
    Open("omit_startup");
    LoadGdiPlus(path_);
    ExpectNothingHappens();
    EXPECT_EQ(Count("BrokenModuleShutdowns"), 0);
}

TEST_F(BrokenModule, AFailingStartupLeavesGdiPlusUnavailable) {
    Open("fail_startup");
    LoadGdiPlus(path_);
    ExpectNothingHappens();
    EXPECT_EQ(Count("BrokenModuleStartups"), 1);
    EXPECT_EQ(Count("BrokenModuleShutdowns"), 0); // no token was handed out
}

TEST_F(BrokenModule, AMissingEntryPointShutsTheStartedModuleDown) {
    Open("omit_palette");
    LoadGdiPlus(path_);
    ExpectNothingHappens();
    EXPECT_EQ(Count("BrokenModuleStartups"), 1);
    EXPECT_EQ(Count("BrokenModuleShutdowns"), 1);
    EXPECT_EQ(LastShutdownToken(), 0x600Du);
    UnloadGdiPlus(); // nothing left to shut down
    EXPECT_EQ(Count("BrokenModuleShutdowns"), 1);
}

} // namespace
} // namespace kamsel::frames::test
