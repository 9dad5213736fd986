#include "frames/Bitmap24.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace kamsel::frames {
namespace {

struct Bgr {
    std::uint8_t b, g, r;
    bool operator==(const Bgr&) const = default;
};

Bgr PixelAt(const Bitmap24& bitmap, int x, int y) {
    const std::uint8_t* p = bitmap.ScanLine(y) + x * 3;
    return {p[0], p[1], p[2]};
}

void Fill(Bitmap24& bitmap, Bgr colour) {
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            std::uint8_t* p = bitmap.ScanLine(y) + x * 3;
            p[0] = colour.b;
            p[1] = colour.g;
            p[2] = colour.r;
        }
}

int CountNot(const Bitmap24& bitmap, Bgr colour, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            n += PixelAt(bitmap, x, y) == colour ? 0 : 1;
    return n;
}

constexpr Bgr kBlack{0, 0, 0};
constexpr Bgr kWhite{255, 255, 255};

TEST(Bitmap24Storage, NewBitmapIsBlackTwentyFourBitBlueGreenRed) {
    Bitmap24 bitmap(5, 3);
    EXPECT_EQ(bitmap.Width(), 5);
    EXPECT_EQ(bitmap.Height(), 3);
    EXPECT_EQ(bitmap.Format(), PixelFormat::Bits24);
    EXPECT_GE(bitmap.BytesPerLine(), 15);
    EXPECT_EQ(CountNot(bitmap, kBlack, 0, 0, 5, 3), 0);

    std::uint8_t* row = bitmap.ScanLine(0);
    row[3] = 10; // blue of pixel 1
    row[4] = 20;
    row[5] = 30;
    const QColor c = bitmap.Image().pixelColor(1, 0);
    EXPECT_EQ(c.blue(), 10);
    EXPECT_EQ(c.green(), 20);
    EXPECT_EQ(c.red(), 30);
    EXPECT_EQ(bitmap.Bits(), bitmap.ScanLine(0));
    EXPECT_EQ(bitmap.Bits() + 2 * bitmap.BytesPerLine(), bitmap.ScanLine(2));
}

TEST(Bitmap24Storage, BottomUpBufferLandsRightSideUp) {
    // 3 x 2, width not a multiple of 4 bytes, so rows are padded in memory.
    Bitmap24 bitmap(3, 2);
    std::vector<std::uint8_t> data(3 * 2 * 3);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = std::uint8_t(i + 1);
    bitmap.CopyBottomUp(data.data());
    EXPECT_EQ(PixelAt(bitmap, 0, 1), (Bgr{1, 2, 3})); // first buffer row at the bottom
    EXPECT_EQ(PixelAt(bitmap, 2, 1), (Bgr{7, 8, 9}));
    EXPECT_EQ(PixelAt(bitmap, 0, 0), (Bgr{10, 11, 12})); // last buffer row at the top
    EXPECT_EQ(PixelAt(bitmap, 2, 0), (Bgr{16, 17, 18}));
}

TEST(Bitmap24Storage, ResizeKeepsTopLeftAndBlackensNewPixels) {
    Bitmap24 bitmap(4, 4);
    Fill(bitmap, Bgr{1, 2, 3});
    bitmap.SetSize(6, 2);
    EXPECT_EQ(bitmap.Width(), 6);
    EXPECT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(CountNot(bitmap, Bgr{1, 2, 3}, 0, 0, 4, 2), 0);
    EXPECT_EQ(CountNot(bitmap, kBlack, 4, 0, 6, 2), 0);
    bitmap.SetSize(0, 5);
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_EQ(bitmap.Bits(), nullptr);
    bitmap.SetSize(2, 2);
    EXPECT_EQ(CountNot(bitmap, kBlack, 0, 0, 2, 2), 0);
}

TEST(Bitmap24Storage, FormatsConvertAndReportTheirBits) {
    Bitmap24 bitmap(2, 1);
    Fill(bitmap, Bgr{0, 0, 255});
    bitmap.SetFormat(PixelFormat::Bits32);
    EXPECT_EQ(bitmap.Format(), PixelFormat::Bits32);
    EXPECT_EQ(bitmap.Image().pixelColor(1, 0), QColor(255, 0, 0));
    bitmap.SetFormat(PixelFormat::Bits4);
    EXPECT_EQ(bitmap.Format(), PixelFormat::Bits4);
    EXPECT_EQ(BitsPerPixel(bitmap.Format()), 4);
    EXPECT_LE(bitmap.ColorTable().size(), 16u);
    EXPECT_LT(bitmap.ScanLine(0)[0], 16);
    bitmap.SetFormat(PixelFormat::Bits24);
    EXPECT_EQ(PixelAt(bitmap, 0, 0), (Bgr{0, 0, 255})); // red is in the 4-bit palette
    bitmap.SetFormat(PixelFormat::Bits16);
    bitmap.SetFormat(PixelFormat::Bits24);
    EXPECT_EQ(PixelAt(bitmap, 1, 0), (Bgr{0, 0, 255}));

    const std::array<std::pair<PixelFormat, int>, 7> bits{{{PixelFormat::Bits1, 1},
                                                           {PixelFormat::Bits4, 4},
                                                           {PixelFormat::Bits8, 8},
                                                           {PixelFormat::Bits15, 15},
                                                           {PixelFormat::Bits16, 16},
                                                           {PixelFormat::Bits24, 24},
                                                           {PixelFormat::Bits32, 32}}};
    for (auto [format, n] : bits)
        EXPECT_EQ(BitsPerPixel(format), n);
}

TEST(Bitmap24Storage, ColourTableIsKeptWhileEmptyAndUsedOnResize) {
    Bitmap24 bitmap;
    bitmap.SetFormat(PixelFormat::Bits8);
    bitmap.SetColorTable({0x000000, 0x00FF8000, 0x000080FF});
    bitmap.SetSize(2, 2);
    ASSERT_EQ(bitmap.ColorTable().size(), 3u);
    EXPECT_EQ(bitmap.ColorTable()[1], 0x00FF8000u);
    bitmap.ScanLine(1)[1] = 2;
    bitmap.SetFormat(PixelFormat::Bits24);
    EXPECT_EQ(PixelAt(bitmap, 1, 1), (Bgr{0xFF, 0x80, 0x00}));
    EXPECT_EQ(PixelAt(bitmap, 0, 0), kBlack);
}

TEST(Bitmap24Storage, AssignCopiesSizeFormatTableAndPixelsIndependently) {
    Bitmap24 source(3, 2, PixelFormat::Bits8);
    source.SetColorTable({0x000000, 0x00123456});
    source.ScanLine(1)[2] = 1;
    Bitmap24 copy(7, 7);
    copy.Assign(source);
    EXPECT_EQ(copy.Width(), 3);
    EXPECT_EQ(copy.Height(), 2);
    EXPECT_EQ(copy.Format(), PixelFormat::Bits8);
    EXPECT_EQ(copy.ColorTable(), source.ColorTable());
    EXPECT_EQ(copy.ScanLine(1)[2], 1);
    copy.ScanLine(1)[2] = 0;
    EXPECT_EQ(source.ScanLine(1)[2], 1);

    // A writer that replaces every pixel leaves the sharer's picture alone.
    Bitmap24 sharer;
    sharer.Assign(copy);
    copy.UnshareForOverwrite();
    copy.ScanLine(0)[0] = 1;
    EXPECT_EQ(sharer.ScanLine(0)[0], 0);
    EXPECT_EQ(copy.ColorTable(), sharer.ColorTable());
    EXPECT_EQ(copy.Width(), 3);
}

TEST(Bitmap24Canvas, DrawCopiesClippedAndOrsBytes) {
    Bitmap24 target(4, 4);
    Fill(target, Bgr{0x01, 0x10, 0x00});
    Bitmap24 source(3, 3);
    Fill(source, Bgr{0x02, 0x20, 0x80});

    target.GetCanvas().Draw(-1, 2, source); // covers x 0..1, y 2..3
    EXPECT_EQ(CountNot(target, Bgr{0x02, 0x20, 0x80}, 0, 2, 2, 4), 0);
    EXPECT_EQ(CountNot(target, Bgr{0x01, 0x10, 0x00}, 2, 0, 4, 4), 0);
    EXPECT_EQ(CountNot(target, Bgr{0x01, 0x10, 0x00}, 0, 0, 2, 2), 0);

    target.GetCanvas().Draw(3, 0, source, RasterOp::Or);
    EXPECT_EQ(PixelAt(target, 3, 0), (Bgr{0x03, 0x30, 0x80}));
    EXPECT_EQ(PixelAt(target, 2, 0), (Bgr{0x01, 0x10, 0x00}));

    target.GetCanvas().Draw(100, 100, source); // entirely outside: nothing
    target.GetCanvas().Draw(-2147483647 - 1, 0, source);
    EXPECT_EQ(PixelAt(target, 3, 3), (Bgr{0x01, 0x10, 0x00}));
}

TEST(Bitmap24Canvas, DrawOntoItselfAndAcrossFormats) {
    Bitmap24 bitmap(4, 1);
    for (int x = 0; x < 4; ++x)
        bitmap.ScanLine(0)[x * 3] = std::uint8_t(x + 1);
    bitmap.GetCanvas().Draw(1, 0, bitmap);
    EXPECT_EQ(bitmap.ScanLine(0)[0], 1);
    EXPECT_EQ(bitmap.ScanLine(0)[3], 1);
    EXPECT_EQ(bitmap.ScanLine(0)[6], 2);
    EXPECT_EQ(bitmap.ScanLine(0)[9], 3);

    // A 32-bit picture lands as its colours, its alpha dropped.
    Bitmap24 withAlpha(1, 1, PixelFormat::Bits32);
    withAlpha.Image().setPixel(0, 0, qRgba(10, 20, 30, 0));
    Bitmap24 target(1, 1);
    target.GetCanvas().Draw(0, 0, withAlpha);
    EXPECT_EQ(PixelAt(target, 0, 0), (Bgr{30, 20, 10}));

    // An 8-bit target takes the nearest colour of its own table.
    Bitmap24 indexed(2, 1, PixelFormat::Bits8);
    indexed.SetColorTable({0x000000, 0x00FF0000, 0x000000FF});
    Bitmap24 blue(1, 1);
    Fill(blue, Bgr{240, 0, 10});
    indexed.GetCanvas().Draw(1, 0, blue);
    EXPECT_EQ(indexed.ScanLine(0)[0], 0);
    EXPECT_EQ(indexed.ScanLine(0)[1], 2);
}

// Rows of every length through the vector path and its tail, clipped at
// every side: the same bytes as Qt's own conversion of the 32-bit picture.
TEST(Bitmap24Canvas, ThirtyTwoBitPicturesLandAsQtConvertsThem) {
    std::mt19937 random(5);
    for (const int width : {1, 15, 16, 17, 37}) {
        Bitmap24 source(width, 3, PixelFormat::Bits32);
        for (int y = 0; y < 3; ++y)
            for (int i = 0; i < width * 4; ++i)
                source.ScanLine(y)[i] = std::uint8_t(random());
        const QImage converted = source.Image().convertToFormat(QImage::Format_BGR888);
        for (const QPoint at : {QPoint(0, 0), QPoint(-5, -1), QPoint(4, 2)}) {
            Bitmap24 target(30, 4);
            Fill(target, Bgr{1, 2, 3});
            target.GetCanvas().Draw(at.x(), at.y(), source);
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 30; ++x) {
                    const int sx = x - at.x(), sy = y - at.y();
                    const bool inside = sx >= 0 && sx < width && sy >= 0 && sy < 3;
                    const std::uint8_t* p = converted.constScanLine(inside ? sy : 0) + (inside ? sx : 0) * 3;
                    const Bgr expected = inside ? Bgr{p[0], p[1], p[2]} : Bgr{1, 2, 3};
                    ASSERT_EQ(PixelAt(target, x, y), expected) << "width " << width << " drawn at " << at.x()
                                                               << "," << at.y() << ": " << x << "," << y;
                }
        }
    }
}

// An attached picture is shown where it lies, and stays untouched when the
// bitmap is written to.
TEST(Bitmap24Storage, AttachedPixelsAreShownUncopiedAndNeverWritten) {
    std::vector<std::uint8_t> pixels(2 * 12, 0);
    pixels[12 + 4] = 200; // second row, second pixel, blue; rows of 12 bytes hold 2 pixels and padding
    Bitmap24 view;
    view.AttachPixels(pixels.data(), 2, 2, 12);
    EXPECT_EQ(view.Format(), PixelFormat::Bits32);
    ASSERT_EQ(view.Width(), 2);
    EXPECT_EQ(std::as_const(view).Bits(), pixels.data());
    Bitmap24 target(2, 2);
    target.GetCanvas().Draw(0, 0, view);
    EXPECT_EQ(PixelAt(target, 1, 1), (Bgr{200, 0, 0}));
    view.ScanLine(0)[0] = 7;
    EXPECT_EQ(pixels[0], 0);
    view.AttachPixels(pixels.data(), 4, 2, 12); // rows too short for the width: nothing shown
    EXPECT_EQ(view.Width(), 0);
}

TEST(Bitmap24Canvas, TextFillsItsCellWithASolidBrushOnly) {
    Bitmap24 bitmap(200, 40);
    Fill(bitmap, Bgr{0, 0, 200});
    Canvas& canvas = bitmap.GetCanvas();
    const int h = canvas.TextHeight("X");
    const int w = canvas.TextWidth("Hello");
    ASSERT_GT(h, 4);
    EXPECT_LT(h, 40);
    EXPECT_GT(canvas.TextWidth("Hello, world"), w);

    canvas.TextOut(10, 5, "Hello");
    // Inside the cell: white background and dark glyphs, nothing left red.
    EXPECT_EQ(CountNot(bitmap, Bgr{0, 0, 200}, 10, 5, 10 + w, 5 + h), w * h);
    EXPECT_GT(CountNot(bitmap, kWhite, 10, 5, 10 + w, 5 + h), 0);
    // Outside it: untouched.
    EXPECT_EQ(CountNot(bitmap, Bgr{0, 0, 200}, 0, 0, 200, 5), 0);
    EXPECT_EQ(CountNot(bitmap, Bgr{0, 0, 200}, 10 + w, 0, 200, 40), 0);

    Fill(bitmap, Bgr{0, 0, 200});
    canvas.Brush() = BrushStyle::Clear;
    canvas.TextOut(10, 5, "Hello");
    const int changed = CountNot(bitmap, Bgr{0, 0, 200}, 10, 5, 10 + w, 5 + h);
    EXPECT_GT(changed, 0);
    EXPECT_LT(changed, w * h / 2);
}

TEST(Bitmap24Canvas, FontHeightSetsTheCellHeight) {
    Bitmap24 bitmap(10, 10);
    Canvas& canvas = bitmap.GetCanvas();
    canvas.SetFontHeight(30);
    EXPECT_LE(canvas.TextHeight("X"), 30);
    EXPECT_GE(canvas.TextHeight("X"), 24);
    canvas.SetFontHeight(12);
    EXPECT_LE(canvas.TextHeight("X"), 12);
}

TEST(Bitmap24Canvas, LinesEllipsesAndRectangles) {
    Bitmap24 bitmap(20, 20);
    Canvas& canvas = bitmap.GetCanvas();
    canvas.PenColor() = QColor(0, 255, 0);
    canvas.MoveTo(0, 10);
    canvas.LineTo(19, 10);
    EXPECT_EQ(PixelAt(bitmap, 5, 10), (Bgr{0, 255, 0}));
    EXPECT_EQ(PixelAt(bitmap, 5, 12), kBlack);
    canvas.PenWidth() = 5;
    canvas.MoveTo(10, 0);
    canvas.LineTo(10, 19);
    EXPECT_EQ(PixelAt(bitmap, 12, 3), (Bgr{0, 255, 0}));

    Bitmap24 round(20, 20);
    Canvas& c2 = round.GetCanvas();
    c2.PenColor() = QColor(255, 0, 0);
    c2.BrushColor() = QColor(0, 0, 255);
    c2.Ellipse(2, 2, 18, 18);
    EXPECT_EQ(PixelAt(round, 10, 10), (Bgr{255, 0, 0}));
    EXPECT_EQ(PixelAt(round, 2, 10), (Bgr{0, 0, 255}));
    EXPECT_EQ(CountNot(round, kBlack, 0, 0, 20, 2), 0);
    EXPECT_EQ(CountNot(round, kBlack, 18, 0, 20, 20), 0);
    EXPECT_EQ(PixelAt(round, 3, 3), kBlack); // outside the curve, inside the box
    Fill(round, kBlack);
    c2.Brush() = BrushStyle::Clear;
    c2.Ellipse(2, 2, 18, 18);
    EXPECT_EQ(PixelAt(round, 10, 10), kBlack);
    EXPECT_EQ(PixelAt(round, 10, 2), (Bgr{0, 0, 255}));

    Bitmap24 box(6, 6);
    box.GetCanvas().BrushColor() = QColor(1, 2, 3);
    box.GetCanvas().FillRect(1, 1, 4, 3);
    EXPECT_EQ(CountNot(box, Bgr{3, 2, 1}, 1, 1, 4, 3), 0);
    EXPECT_EQ(CountNot(box, kBlack, 4, 0, 6, 6), 0);
    EXPECT_EQ(CountNot(box, kBlack, 0, 3, 6, 6), 0);
}

TEST(Bitmap24Canvas, DrawingOnIndexedBitmapsUsesTheirTable) {
    Bitmap24 bitmap(4, 4, PixelFormat::Bits8);
    bitmap.SetColorTable({0x000000, 0x00FFFFFF, 0x00FF0000});
    bitmap.GetCanvas().BrushColor() = QColor(250, 5, 5);
    bitmap.GetCanvas().FillRect(0, 0, 2, 2);
    EXPECT_EQ(bitmap.ScanLine(1)[1], 2);
    EXPECT_EQ(bitmap.ScanLine(2)[2], 0);
    EXPECT_EQ(bitmap.Format(), PixelFormat::Bits8);
}

TEST(Bitmap24Canvas, LockCanBeTestedAndSkipped) {
    Bitmap24 bitmap(1, 1);
    Canvas& canvas = bitmap.GetCanvas();
    EXPECT_TRUE(canvas.TryLock());
    EXPECT_TRUE(canvas.Locked());
    EXPECT_FALSE(canvas.TryLock());
    canvas.Unlock();
    EXPECT_FALSE(canvas.Locked());
    EXPECT_TRUE(canvas.TryLock());
    canvas.Unlock();
}

} // namespace
} // namespace kamsel::frames
