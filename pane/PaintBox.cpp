#include "pane/PaintBox.h"

#include "pane/BoxShrink.h"
#include "pane/FitRect.h"
#include "platform/media/PixelKernels.h"
#include "platform/system/UiThread.h"

#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

namespace kamsel::pane {

namespace {

// The row kernel writes blue, green, red, 255 bytes, which are RGB32's
// 0xffRRGGBB words only in little-endian order.
static_assert(std::endian::native == std::endian::little, "RGB32 rows are written as bytes");

void ExpandRow(const std::uint8_t* bgr, std::uint8_t* rgb32, int pixels) {
    media::PixelKernels::Best().ExpandToOpaqueBgra(bgr, rgb32, pixels);
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

void PaintBox::SetFit(bool fit) {
    if (fit == fit_)
        return;
    fit_ = fit;
    const QImage shown = last_;
    if (fit_) {
        Settle();
        if (!shown.isNull())
            DrawFitted(shown);
    } else {
        backing_.fill(Background());
        if (!shown.isNull())
            DrawUnscaled(shown);
        update();
    }
}

void PaintBox::Draw(const frames::Bitmap24& bitmap) {
    KAMSEL_ASSERT_UI_THREAD();
    last_ = bitmap.Image();
    if (fit_)
        DrawFitted(last_);
    else
        DrawUnscaled(last_);
}

void PaintBox::DrawUnscaled(const QImage& image) {
    const int width = std::min(image.width(), backing_.width());
    const int height = std::min(image.height(), backing_.height());
    if (width <= 0 || height <= 0)
        return;
    if (image.format() == QImage::Format_BGR888) {
        // A frame that covers the pending one replaces it; one that does not
        // leaves it in the backing image first.
        if (width < pendingSize_.width() || height < pendingSize_.height())
            Settle();
        pending_ = image;
        pendingSize_ = QSize(width, height);
    } else {
        // Other formats come from still-image decoding only; the toolkit
        // converts them.
        Settle();
        QPainter painter(&backing_);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, image);
    }
    update(0, 0, width, height);
}

void PaintBox::DrawFitted(const QImage& image) {
    const QRect rect = FitRect(image.size(), backing_.size());
    if (rect.isEmpty())
        return;
    backing_.fill(Background());
    if (image.format() == QImage::Format_BGR888 && rect.width() <= image.width() &&
        rect.height() <= image.height()) {
        BoxShrink(image, backing_, rect);
    } else {
        QPainter painter(&backing_);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(rect), image);
    }
    update();
}

void PaintBox::Settle() {
    for (int y = 0; y < pendingSize_.height(); ++y)
        ExpandRow(pending_.constScanLine(y), backing_.scanLine(y), pendingSize_.width());
    pending_ = QImage();
    pendingSize_ = QSize();
}

const QImage& PaintBox::Backing() {
    Settle();
    return backing_;
}

void PaintBox::Clear() {
    last_ = QImage();
    pending_ = QImage();
    pendingSize_ = QSize();
    backing_.fill(Background());
    update();
}

void PaintBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect rect = event->rect();
    if (!pending_.isNull() && PaintPending(painter, rect))
        return;
    Settle();
    painter.drawImage(rect, backing_, rect);
}

bool PaintBox::PaintPending(QPainter& painter, const QRect& rect) {
    const QRect fresh = rect & QRect(QPoint(0, 0), pendingSize_);
    // The device the painter writes to: for a widget, the window's surface.
    QPaintEngine* engine = painter.paintEngine();
    QPaintDevice* device = engine ? engine->paintDevice() : nullptr;
    if (fresh.isEmpty() || !device || device->devType() != QInternal::Image || painter.hasClipping())
        return false;
    auto& surface = static_cast<QImage&>(*device);
    if ((surface.format() != QImage::Format_RGB32 &&
         surface.format() != QImage::Format_ARGB32_Premultiplied) ||
        !surface.isDetached())
        return false;
    // Whole device pixels only, and only where the painter may paint all of
    // the rectangle.
    const QTransform transform = painter.deviceTransform();
    if (transform.type() > QTransform::TxTranslate)
        return false;
    const QPoint offset(qRound(transform.dx()), qRound(transform.dy()));
    if (QPointF(offset) != QPointF(transform.dx(), transform.dy()))
        return false;
    const QRect target = rect.translated(offset);
    const QRegion clip = engine->systemClip();
    if (!surface.rect().contains(target) || (!clip.isEmpty() && !(QRegion(target) - clip).isEmpty()))
        return false;

    for (int y = fresh.top(); y <= fresh.bottom(); ++y)
        ExpandRow(pending_.constScanLine(y) + 3 * fresh.left(),
                  surface.scanLine(y + offset.y()) + 4 * (fresh.left() + offset.x()), fresh.width());
    for (const QRect& part : QRegion(rect) - fresh)
        painter.drawImage(part, backing_, part);
    return true;
}

void PaintBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Settle();
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
    if (fit_ && !last_.isNull())
        DrawFitted(last_);
}

} // namespace kamsel::pane
