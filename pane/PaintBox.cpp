#include "pane/PaintBox.h"

#include "pane/BgrToRgb32.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstdint>

namespace kamsel::pane {
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
