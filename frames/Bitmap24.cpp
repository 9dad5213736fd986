#include "Bitmap24.h"

#include "platform/media/PixelKernels.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <bit>
#include <cstring>

namespace kamsel::frames {

namespace {

// Canvas::Draw reads the toolkit's 0xAARRGGBB words as blue, green, red, alpha
// bytes, their order in memory only on a little-endian machine.
static_assert(std::endian::native == std::endian::little, "32-bit pixels are read as bytes");

QImage::Format QtFormat(PixelFormat format) {
    switch (format) {
    case PixelFormat::Bits1:
        return QImage::Format_Mono;
    case PixelFormat::Bits4:
    case PixelFormat::Bits8:
        return QImage::Format_Indexed8;
    case PixelFormat::Bits15:
        return QImage::Format_RGB555;
    case PixelFormat::Bits16:
        return QImage::Format_RGB16;
    case PixelFormat::Bits24:
        return QImage::Format_BGR888;
    case PixelFormat::Bits32:
        return QImage::Format_ARGB32;
    }
    return QImage::Format_BGR888;
}

bool IsIndexed(PixelFormat format) {
    return format == PixelFormat::Bits1 || format == PixelFormat::Bits4 || format == PixelFormat::Bits8;
}

std::size_t MaxColors(PixelFormat format) {
    switch (format) {
    case PixelFormat::Bits1:
        return 2;
    case PixelFormat::Bits4:
        return 16;
    default:
        return 256;
    }
}

// Tables for indexed bitmaps that were never given one; index 0 is black in
// each, so new pixels (all zero) are black.
QList<QRgb> DefaultColorTable(PixelFormat format) {
    QList<QRgb> table;
    if (format == PixelFormat::Bits1) {
        table = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    } else if (format == PixelFormat::Bits4) {
        // The classic 16-colour VGA palette.
        table = {0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080,
                 0xFF008080, 0xFF808080, 0xFFC0C0C0, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
                 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};
    } else {
        for (int i = 0; i < 256; ++i)
            table.push_back(qRgb(i, i, i));
    }
    return table;
}

QList<QRgb> ToQtTable(const std::vector<std::uint32_t>& entries) {
    QList<QRgb> table;
    table.reserve(static_cast<qsizetype>(entries.size()));
    for (std::uint32_t e : entries)
        table.push_back(0xFF000000u | (e & 0xFFFFFFu));
    return table;
}

// The table an indexed bitmap of this format uses: the one it was given if it
// fits the format, else the format's default.
QList<QRgb> TableFor(PixelFormat format, const std::vector<std::uint32_t>& given) {
    if (!given.empty() && given.size() <= MaxColors(format))
        return ToQtTable(given);
    return DefaultColorTable(format);
}

int BytesPerPixel(QImage::Format format) {
    return int(QImage::toPixelFormat(format).bitsPerPixel()) / 8;
}

// A region of source converted to the destination's format and colour table,
// ready for copying bytes or indices.
QImage ConvertedRegion(const QImage& source, const QRect& region, const QImage& target) {
    QImage part = source.copy(region);
    if (part.format() == target.format() && part.colorTable() == target.colorTable())
        return part;
    if (target.format() == QImage::Format_Mono || target.format() == QImage::Format_Indexed8)
        return part.convertToFormat(QImage::Format_ARGB32)
            .convertToFormat(target.format(), target.colorTable());
    return part.convertToFormat(target.format());
}

} // namespace

int BitsPerPixel(PixelFormat format) {
    switch (format) {
    case PixelFormat::Bits1:
        return 1;
    case PixelFormat::Bits4:
        return 4;
    case PixelFormat::Bits8:
        return 8;
    case PixelFormat::Bits15:
        return 15;
    case PixelFormat::Bits16:
        return 16;
    case PixelFormat::Bits24:
        return 24;
    case PixelFormat::Bits32:
        return 32;
    }
    return 24;
}

// ---------------------------------------------------------------- Canvas

Canvas::Canvas(Bitmap24& owner) : owner_(owner) {
    // A small user-interface font: cells of about 13 pixels.
    font_.setPixelSize(11);
}

template <typename Paint>
void Canvas::PaintWith(Paint&& paint) {
    QImage& image = owner_.Image();
    if (image.isNull())
        return;
    if (!IsIndexed(owner_.Format())) {
        QPainter painter(&image);
        paint(painter);
        return;
    }
    QImage rgb = image.convertToFormat(QImage::Format_ARGB32);
    {
        QPainter painter(&rgb);
        paint(painter);
    }
    image = rgb.convertToFormat(image.format(), image.colorTable());
}

void Canvas::Draw(int x, int y, const Bitmap24& source, RasterOp op) {
    QImage& target = owner_.Image();
    const QImage& from = source.Image();
    if (target.isNull() || from.isNull())
        return;
    // 64-bit arithmetic so that far-away positions cannot overflow.
    const long long sx = std::max(0LL, -static_cast<long long>(x));
    const long long sy = std::max(0LL, -static_cast<long long>(y));
    const long long dx = std::max(0LL, static_cast<long long>(x));
    const long long dy = std::max(0LL, static_cast<long long>(y));
    const long long w = std::min(from.width() - sx, target.width() - dx);
    const long long h = std::min(from.height() - sy, target.height() - dy);
    if (w <= 0 || h <= 0)
        return;
    if (op == RasterOp::Copy && target.format() == QImage::Format_BGR888 &&
        (from.format() == QImage::Format_ARGB32 || from.format() == QImage::Format_RGB32)) {
        // 32 to 24 bits drops the fourth byte, as Qt's conversion does; done row
        // by row straight into the target, as decoded still images arrive so.
        const auto drop = media::PixelKernels::Best().DropAlpha;
        for (long long r = 0; r < h; ++r)
            drop(from.constScanLine(int(sy + r)) + sx * 4, target.scanLine(int(dy + r)) + dx * 3, int(w));
        return;
    }
    // Read the source in place when it has the target's layout; otherwise (or
    // when the source is this very bitmap) from a converted copy of the region.
    const bool inPlace = &source != &owner_ && from.format() == target.format() &&
                         (from.colorCount() == 0 || from.colorTable() == target.colorTable());
    const QImage part =
        inPlace ? QImage() : ConvertedRegion(from, QRect(int(sx), int(sy), int(w), int(h)), target);
    const QImage& in = inPlace ? from : part;
    const int inX = inPlace ? int(sx) : 0, inY = inPlace ? int(sy) : 0;
    const int dstX = int(dx), dstY = int(dy), width = int(w), height = int(h);
    if (target.format() == QImage::Format_Mono) {
        for (int r = 0; r < height; ++r)
            for (int c = 0; c < width; ++c) {
                int index = in.pixelIndex(inX + c, inY + r);
                if (op == RasterOp::Or)
                    index |= target.pixelIndex(dstX + c, dstY + r);
                target.setPixel(dstX + c, dstY + r, uint(index));
            }
        return;
    }
    const int bpp = BytesPerPixel(target.format());
    const std::size_t rowBytes = std::size_t(width) * std::size_t(bpp);
    for (int r = 0; r < height; ++r) {
        std::uint8_t* out = target.scanLine(dstY + r) + std::size_t(dstX) * std::size_t(bpp);
        const std::uint8_t* src = in.constScanLine(inY + r) + std::size_t(inX) * std::size_t(bpp);
        if (op == RasterOp::Copy) {
            std::memcpy(out, src, rowBytes);
        } else {
            for (std::size_t i = 0; i < rowBytes; ++i)
                out[i] |= src[i];
        }
    }
}

void Canvas::TextOut(int x, int y, const QString& text) {
    const int width = TextWidth(text);
    const int height = TextHeight(text);
    PaintWith([&](QPainter& painter) {
        if (brushStyle_ == BrushStyle::Solid)
            painter.fillRect(x, y, width, height, brushColor_);
        painter.setFont(font_);
        painter.setPen(fontColor_);
        painter.drawText(x, y + QFontMetrics(font_, &owner_.Image()).ascent(), text);
    });
    penX_ = x + width;
    penY_ = y;
}

int Canvas::TextHeight(const QString& text) const {
    (void)text; // every text of one font has the same cell height
    return QFontMetrics(font_, &owner_.Image()).height();
}

int Canvas::TextWidth(const QString& text) const {
    return QFontMetrics(font_, &owner_.Image()).horizontalAdvance(text);
}

void Canvas::MoveTo(int x, int y) {
    penX_ = x;
    penY_ = y;
}

void Canvas::LineTo(int x, int y) {
    PaintWith([&](QPainter& painter) {
        painter.setPen(QPen(penColor_, std::max(1, penWidth_)));
        painter.drawLine(penX_, penY_, x, y);
    });
    MoveTo(x, y);
}

void Canvas::Ellipse(int x1, int y1, int x2, int y2) {
    const QRect box =
        QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2) - 1, std::max(y1, y2) - 1));
    if (box.width() < 1 || box.height() < 1)
        return;
    PaintWith([&](QPainter& painter) {
        painter.setPen(QPen(penColor_, std::max(1, penWidth_)));
        if (brushStyle_ == BrushStyle::Solid)
            painter.setBrush(brushColor_);
        else
            painter.setBrush(Qt::NoBrush);
        // A one-pixel pen around a rectangle of w - 1 covers w pixels.
        painter.drawEllipse(box.adjusted(0, 0, -1, -1));
    });
}

void Canvas::FillRect(int x1, int y1, int x2, int y2) {
    if (brushStyle_ != BrushStyle::Solid)
        return;
    const QRect box =
        QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2) - 1, std::max(y1, y2) - 1));
    if (box.width() < 1 || box.height() < 1)
        return;
    PaintWith([&](QPainter& painter) { painter.fillRect(box, brushColor_); });
}

void Canvas::SetFontHeight(int pixels) {
    pixels = std::max(1, pixels);
    font_.setPixelSize(pixels);
    // A pixel size is the em height; shrink it until the whole cell fits.
    const int cell = QFontMetrics(font_, &owner_.Image()).height();
    if (cell > pixels)
        font_.setPixelSize(std::max(1, pixels * pixels / cell));
}

bool Canvas::TryLock() {
    bool expected = false;
    return locked_.compare_exchange_strong(expected, true, std::memory_order_acquire);
}

void Canvas::Unlock() {
    locked_.store(false, std::memory_order_release);
}

// ---------------------------------------------------------------- Bitmap24

Bitmap24::Bitmap24() : canvas_(std::make_unique<Canvas>(*this)) {}

Bitmap24::Bitmap24(int width, int height, PixelFormat format)
    : format_(format), canvas_(std::make_unique<Canvas>(*this)) {
    Recreate(width, height);
}

Bitmap24::~Bitmap24() = default;

int Bitmap24::Width() const {
    return image_.width();
}
int Bitmap24::Height() const {
    return image_.height();
}

void Bitmap24::Recreate(int width, int height) {
    if (width <= 0 || height <= 0) {
        image_ = QImage();
        return;
    }
    image_ = QImage(width, height, QtFormat(format_));
    if (IsIndexed(format_))
        image_.setColorTable(TableFor(format_, colorTable_));
    image_.fill(0);
}

void Bitmap24::SetSize(int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == Width() && height == Height())
        return;
    const QImage old = image_;
    Recreate(width, height);
    if (old.isNull() || image_.isNull())
        return;
    const int w = std::min(width, old.width());
    const int h = std::min(height, old.height());
    if (format_ == PixelFormat::Bits1) {
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c)
                image_.setPixel(c, r, uint(old.pixelIndex(c, r)));
        return;
    }
    const std::size_t bytes = std::size_t(w) * std::size_t(BytesPerPixel(image_.format()));
    for (int r = 0; r < h; ++r)
        std::memcpy(image_.scanLine(r), old.constScanLine(r), bytes);
}

void Bitmap24::SetFormat(PixelFormat format) {
    if (format == format_)
        return;
    const PixelFormat old = format_;
    format_ = format;
    if (image_.isNull())
        return;
    const QImage::Format target = QtFormat(format);
    if (!IsIndexed(format)) {
        image_ = image_.convertToFormat(target);
        return;
    }
    const QImage rgb = image_.convertToFormat(QImage::Format_ARGB32);
    const bool ownTable = !colorTable_.empty() && colorTable_.size() <= MaxColors(format);
    if (format == PixelFormat::Bits8 && !ownTable && !IsIndexed(old)) {
        // Qt picks a palette for the picture's colours.
        image_ = rgb.convertToFormat(target);
        return;
    }
    image_ = rgb.convertToFormat(target, TableFor(format, colorTable_));
}

std::uint8_t* Bitmap24::ScanLine(int row) {
    return image_.scanLine(row);
}
const std::uint8_t* Bitmap24::ScanLine(int row) const {
    return image_.constScanLine(row);
}
int Bitmap24::BytesPerLine() const {
    return int(image_.bytesPerLine());
}

std::uint8_t* Bitmap24::Bits() {
    return image_.isNull() ? nullptr : image_.bits();
}
const std::uint8_t* Bitmap24::Bits() const {
    return image_.isNull() ? nullptr : image_.constBits();
}

void Bitmap24::Assign(const Bitmap24& source) {
    if (&source == this)
        return;
    image_ = source.image_;
    format_ = source.format_;
    colorTable_ = source.colorTable_;
}

void Bitmap24::UnshareForOverwrite() {
    if (image_.isNull() || image_.isDetached())
        return;
    QImage fresh(image_.width(), image_.height(), image_.format());
    if (image_.colorCount() > 0)
        fresh.setColorTable(image_.colorTable());
    image_ = std::move(fresh);
}

void Bitmap24::AttachPixels(const std::uint8_t* bits, int width, int height, int bytesPerLine) {
    format_ = PixelFormat::Bits32;
    if (!bits || width <= 0 || height <= 0 || bytesPerLine < static_cast<long long>(width) * 4) {
        image_ = QImage();
        return;
    }
    image_ = QImage(bits, width, height, bytesPerLine, QImage::Format_ARGB32);
}

void Bitmap24::CopyBottomUp(const std::uint8_t* data) {
    SetFormat(PixelFormat::Bits24);
    const int h = Height();
    const std::size_t rowBytes = std::size_t(Width()) * 3;
    for (int i = 0; i < h; ++i)
        std::memcpy(image_.scanLine(h - 1 - i), data + std::size_t(i) * rowBytes, rowBytes);
}

void Bitmap24::SetColorTable(const std::vector<std::uint32_t>& entries) {
    colorTable_.assign(entries.begin(), entries.begin() + std::min<std::ptrdiff_t>(entries.size(), 256));
    if (!image_.isNull() && IsIndexed(format_))
        image_.setColorTable(ToQtTable(colorTable_));
}

std::vector<std::uint32_t> Bitmap24::ColorTable() const {
    if (image_.isNull() || !IsIndexed(format_))
        return colorTable_;
    std::vector<std::uint32_t> entries;
    for (QRgb e : image_.colorTable())
        entries.push_back(e & 0xFFFFFFu);
    return entries;
}

} // namespace kamsel::frames
