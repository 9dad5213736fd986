#pragma once
// Bitmap24: the pipeline's device-independent bitmap, over a QImage.
//
// The norm is 24 bits per pixel, 3 bytes per pixel in blue, green, red order.
// Other pixel formats exist because still-image decoding hands over 1-, 4-, 8-,
// 15-, 16- and 32-bit pictures; code that reads pixels through ScanLine works on
// 24-bit bitmaps. Row 0 is the top row. A buffer whose first row is the
// picture's bottom row is placed with CopyBottomUp, which lands it right side up.
//
// Storage: 24 bits as QImage::Format_BGR888, 32 as Format_ARGB32 (bytes blue,
// green, red, alpha), 15 as RGB555, 16 as RGB16, 8 as Indexed8, 4 as Indexed8
// with indices below 16 (one byte per pixel), 1 as Mono (one bit per pixel,
// most significant bit first).
//
// Threads: a Bitmap24 and its canvas belong to one thread at a time (the user
// interface thread in the program); only the canvas lock may be tested from
// another thread.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace kamsel::frames {

enum class PixelFormat { Bits1, Bits4, Bits8, Bits15, Bits16, Bits24, Bits32 };

// Bits per pixel of a format (1, 4, 8, 15, 16, 24 or 32).
int BitsPerPixel(PixelFormat format);

class Bitmap24;

enum class BrushStyle { Clear, Solid };
enum class RasterOp { Copy, Or }; // Or: destination = destination | source, per byte

// Drawing on a bitmap. Text, lines and ellipses use the canvas's font, pen and
// brush; a solid brush also fills the background of text and the inside of
// ellipses. The canvas belongs to its bitmap and stays valid while the bitmap
// lives, across changes of size and format.
class Canvas {
  public:
    explicit Canvas(Bitmap24& owner);
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Draws source with its top-left corner at (x, y), clipped to this bitmap.
    void Draw(int x, int y, const Bitmap24& source, RasterOp op = RasterOp::Copy);
    // The text's cell has its top-left corner at (x, y); the pen position moves
    // to the end of the text.
    void TextOut(int x, int y, const QString& text);
    int TextHeight(const QString& text) const;
    int TextWidth(const QString& text) const;
    void MoveTo(int x, int y);
    void LineTo(int x, int y); // from the pen position to (x, y), which becomes the pen position
    // The ellipse inscribed in the rectangle from (x1, y1) to (x2, y2), right and bottom exclusive.
    void Ellipse(int x1, int y1, int x2, int y2);
    // With the brush colour, right and bottom exclusive; a clear brush fills nothing.
    void FillRect(int x1, int y1, int x2, int y2);

    QFont& Font() { return font_; }
    // Font height in pixels, as a toolkit font height: the cell height of the text.
    void SetFontHeight(int pixels);
    QColor& FontColor() { return fontColor_; }
    QColor& PenColor() { return penColor_; }
    int& PenWidth() { return penWidth_; }
    QColor& BrushColor() { return brushColor_; }
    BrushStyle& Brush() { return brushStyle_; }

    // A lock another user can test and skip: TryLock fails while it is held.
    // Not re-entrant; Unlock releases it whoever holds it.
    bool TryLock();
    void Unlock();
    bool Locked() const { return locked_.load(std::memory_order_acquire); }

  private:
    Bitmap24& owner_;
    QFont font_;
    QColor fontColor_{Qt::black};
    QColor penColor_{Qt::black};
    int penWidth_ = 1;
    QColor brushColor_{Qt::white};
    BrushStyle brushStyle_ = BrushStyle::Solid;
    int penX_ = 0;
    int penY_ = 0;
    std::atomic<bool> locked_{false};

    // Runs paint on a QPainter over the owner's pixels (through an RGB copy for
    // indexed formats, which QPainter cannot paint on).
    template <typename Paint>
    void PaintWith(Paint&& paint);
};

class Bitmap24 {
  public:
    Bitmap24();
    Bitmap24(int width, int height, PixelFormat format = PixelFormat::Bits24);
    Bitmap24(const Bitmap24&) = delete;
    Bitmap24& operator=(const Bitmap24&) = delete;
    ~Bitmap24();

    int Width() const;
    int Height() const;
    PixelFormat Format() const { return format_; }

    // Changing the size keeps the overlapping top-left part of the picture; new
    // pixels are black. Changing the format converts the pixels.
    void SetSize(int width, int height);
    void SetFormat(PixelFormat format);

    // Row `row` (0 = top), Width() pixels in the bitmap's format; for 24 bits,
    // blue, green, red per pixel. Valid until the size or format changes.
    std::uint8_t* ScanLine(int row);
    const std::uint8_t* ScanLine(int row) const;
    int BytesPerLine() const;

    // First byte of row 0 and the distance between rows in bytes, for loops
    // that walk every row. Valid until the size or format changes; null when
    // the bitmap is empty.
    std::uint8_t* Bits();
    const std::uint8_t* Bits() const;

    // Takes over size, pixel format, colour table and pixels of source.
    void Assign(const Bitmap24& source);

    // Copies rows of Width() * 3 bytes into a 24-bit bitmap, the first row of
    // data becoming the bottom row. data must hold Height() * Width() * 3 bytes.
    void CopyBottomUp(const std::uint8_t* data);

    // Makes this a 32-bit bitmap that shows pixels it does not own, rows of
    // bytesPerLine bytes (blue, green, red, alpha), without copying them. The
    // view is read-only: writing to it first copies the pixels. The memory must
    // stay valid until the bitmap gets another size, format or picture, or is
    // destroyed.
    void AttachPixels(const std::uint8_t* bits, int width, int height, int bytesPerLine);

    // For a writer about to replace every pixel: when the pixel block is
    // shared with another bitmap (after an Assign), take a fresh block of the
    // same size and format instead of the copy a first write would make. The
    // pixels are then undefined until written; the sharer keeps its picture.
    void UnshareForOverwrite();

    // Colour table of 1-, 4- and 8-bit bitmaps: entries as 0x00RRGGBB. Kept
    // while the bitmap is empty and applied when it gets a size.
    void SetColorTable(const std::vector<std::uint32_t>& entries);
    std::vector<std::uint32_t> ColorTable() const;

    Canvas& GetCanvas() { return *canvas_; }

    // The picture as a toolkit image (for painting a widget and saving files).
    const QImage& Image() const { return image_; }
    QImage& Image() { return image_; }

  private:
    void Recreate(int width, int height);

    QImage image_;
    PixelFormat format_ = PixelFormat::Bits24;
    std::vector<std::uint32_t> colorTable_;
    std::unique_ptr<Canvas> canvas_;
};

} // namespace kamsel::frames
