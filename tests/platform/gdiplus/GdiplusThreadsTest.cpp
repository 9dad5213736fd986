// Several threads starting, decoding, composing and stopping at once.

#include "GdiplusModuleFixture.h"

#include <atomic>
#include <thread>

namespace kamsel::testimages {
namespace {

using namespace gdiplus;

class GdiplusThreads : public GdiplusModuleTest {};

TEST_F(GdiplusThreads, ThreadsShareTheLibraryAndItsImages) {
    const Bytes jpeg = EncodeJpeg(ColourBlocks(64, 48));
    const auto shared = DecodeOk(jpeg);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int round = 0; round < 20; ++round) {
                ULONG_PTR token = 0;
                GpBitmap* own = nullptr;
                HBITMAP dib = nullptr;
                if (api_.Startup(&token, &kInput, nullptr) != Ok || Decode(jpeg, &own) != Ok ||
                    api_.CreateHBITMAPFromBitmap(shared->handle, &dib, 0) != Ok ||
                    api_.DisposeImage(own) != Ok)
                    ++failures;
                DeleteObject(dib);
                api_.Shutdown(token);
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
}

} // namespace
} // namespace kamsel::testimages
