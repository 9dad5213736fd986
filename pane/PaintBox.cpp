#include "pane/PaintBox.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace kamsel::pane {
namespace {

// Blue, green, red bytes to 0xffRRGGBB words. Read as a little-endian 24-bit
// number, the three bytes already are 0xRRGGBB; four pixels are read as three
// 32-bit words and split with shifts, which the compiler turns into vector
// code. The tail takes one pixel at a time.
void BgrToRgb32(const std::uint8_t* source, std::uint32_t* target, int pixels) {
    constexpr std::uint32_t kOpaque = 0xff000000u;
    int x = 0;
    for (; x + 4 <= pixels; x += 4) {
        std::uint32_t w[3];
        std::memcpy(w, source + 3 * x, sizeof w);
        target[x + 0] = kOpaque | (w[0] & 0xffffffu);
        target[x + 1] = kOpaque | (w[0] >> 24) | ((w[1] & 0xffffu) << 8);
        target[x + 2] = kOpaque | (w[1] >> 16) | ((w[2] & 0xffu) << 16);
        target[x + 3] = kOpaque | (w[2] >> 8);
    }
    for (; x < pixels; ++x) {
        const std::uint8_t* p = source + 3 * x;
        target[x] = kOpaque | std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
    }
}

} // namespace

PaintBox::PaintBox(QWidget* parent) : QWidget(parent) {
    // Every pixel of the box comes from the backing image.
    setAttribute(Qt::WA_OpaquePaintEvent);
    backing_ = QImage(size(), QImage::Format_RGB32);
    backing_.fill(Background());
}

QColor PaintBox::Background() const {
    return palette().color(QPalette::Window);
}

void PaintBox::Draw(const frames::Bitmap24& bitmap) {
    const int width = std::min(bitmap.Width(), backing_.width());
    const int height = std::min(bitmap.Height(), backing_.height());
    if (width <= 0 || height <= 0)
        return;
    if (bitmap.Format() == frames::PixelFormat::Bits24) {
        CopyBgrRows(bitmap, width, height);
    } else {
        // Other formats come from still-image decoding only; the toolkit
        // converts them.
        QPainter painter(&backing_);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, bitmap.Image());
    }
    update(0, 0, width, height);
}

void PaintBox::CopyBgrRows(const frames::Bitmap24& bitmap, int width, int height) {
    for (int y = 0; y < height; ++y)
        BgrToRgb32(bitmap.ScanLine(y), reinterpret_cast<std::uint32_t*>(backing_.scanLine(y)), width);
}

void PaintBox::Clear() {
    backing_.fill(Background());
    update();
}

void PaintBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), backing_, event->rect());
}

void PaintBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (size() == backing_.size())
        return;
    QImage resized(size(), QImage::Format_RGB32);
    resized.fill(Background());
    if (!resized.isNull() && !backing_.isNull()) {
        QPainter painter(&resized);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, backing_);
    }
    backing_ = std::move(resized);
}

} // namespace kamsel::pane
