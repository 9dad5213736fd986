#pragma once
// Helpers for the frame decoding tests.

#include "frames/Bitmap24.h"
#include "frames/TVideoImage.h"
#include "tests/frames/TVideoImageTestPeer.h"

#include <gtest/gtest.h>

#include <QString>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace kamsel::frames::test {

// The colour a bitmap holds before a decode: a stand-in for the previous frame.
constexpr std::uint8_t kPrevious[3] = {10, 20, 30};

inline void FillPrevious(Bitmap24& bitmap) {
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            for (int c = 0; c < 3; ++c)
                bitmap.ScanLine(y)[x * 3 + c] = kPrevious[c];
}

// A facade set up as the capture side leaves it: video size and format, and
// a bitmap of that size holding a previous frame.
inline std::unique_ptr<TVideoImage> MakeImage(int width, int height, std::uint32_t fourcc) {
    auto image = std::make_unique<TVideoImage>();
    image->VideoWidth = width;
    image->VideoHeight = height;
    image->VideoFourCC = fourcc;
    TVideoImageTestPeer::FrameBitmap(*image).SetSize(width, height);
    FillPrevious(TVideoImageTestPeer::FrameBitmap(*image));
    return image;
}

inline std::vector<std::uint8_t> RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(n);
    for (auto& b : bytes)
        b = std::uint8_t(random());
    return bytes;
}

inline bool SamePixels(const Bitmap24& a, const Bitmap24& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.ScanLine(y), b.ScanLine(y), std::size_t(a.Width()) * 3) != 0)
            return false;
    return true;
}

inline bool IsPrevious(const Bitmap24& bitmap, int x, int y) {
    const std::uint8_t* p = bitmap.ScanLine(y) + x * 3;
    return p[0] == kPrevious[0] && p[1] == kPrevious[1] && p[2] == kPrevious[2];
}

// The bitmap a failed decode must leave: the previous frame with the two
// lines of text written by a fresh canvas.
inline void ExpectFailureText(const TVideoImage& image, int width, int height, const QString& secondLine) {
    Bitmap24 expected(width, height);
    FillPrevious(expected);
    Canvas& canvas = expected.GetCanvas();
    canvas.TextOut(0, 0, QStringLiteral("Unknown compression"));
    canvas.TextOut(0, canvas.TextHeight(QStringLiteral("X")), secondLine);
    EXPECT_TRUE(TVideoImageTestPeer::FrameDecoded(image));
    EXPECT_TRUE(SamePixels(TVideoImageTestPeer::FrameBitmap(image), expected)) << secondLine.toStdString();
    // The text covers the top-left; the bottom of the picture keeps the previous frame.
    EXPECT_FALSE(IsPrevious(TVideoImageTestPeer::FrameBitmap(image), 1, 1));
    EXPECT_TRUE(IsPrevious(TVideoImageTestPeer::FrameBitmap(image), width - 1, height - 1));
}

} // namespace kamsel::frames::test
