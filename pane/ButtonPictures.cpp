#include "pane/ButtonPictures.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <numbers>

namespace kamsel::pane {
namespace {

// The picture's own colour in its normal state.
QColor ColourOf(ButtonPicture picture) {
    switch (picture) {
    case ButtonPicture::Play:
        return QColor(0, 128, 0);
    case ButtonPicture::Pause:
        return QColor(0, 0, 160);
    case ButtonPicture::Stop:
        return QColor(176, 0, 0);
    case ButtonPicture::Settings:
        return QColor(64, 64, 64);
    case ButtonPicture::StreamSize:
        return QColor(0, 96, 160);
    case ButtonPicture::SettingsRows:
        return QColor(96, 64, 0);
    }
    return Qt::black;
}

QPainterPath CogWheel() {
    QPainterPath wheel;
    constexpr int kTeeth = 8;
    QPolygonF outline;
    for (int i = 0; i < kTeeth * 4; ++i) {
        // Each tooth: two points on the outer radius, two on the inner one.
        const double angle = (i - 0.5) * 2.0 * std::numbers::pi / (kTeeth * 4);
        const double radius = (i % 4 < 2) ? 7.5 : 5.5;
        outline << QPointF(8.0 + radius * std::cos(angle), 8.0 + radius * std::sin(angle));
    }
    wheel.addPolygon(outline);
    wheel.closeSubpath();
    wheel.addEllipse(QPointF(8.0, 8.0), 2.5, 2.5); // the hole, cut by the odd-even fill
    return wheel;
}

// The shape of a picture, filled with colour, on a 16 x 16 grid.
void PaintShape(QPainter& painter, ButtonPicture picture, const QColor& colour) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    switch (picture) {
    case ButtonPicture::Play:
        painter.drawPolygon(QPolygonF{QPointF(4, 2), QPointF(13, 8), QPointF(4, 14)});
        break;
    case ButtonPicture::Pause:
        painter.drawRect(QRectF(3, 2, 4, 12));
        painter.drawRect(QRectF(9, 2, 4, 12));
        break;
    case ButtonPicture::Stop:
        painter.drawRect(QRectF(3, 3, 10, 10));
        break;
    case ButtonPicture::Settings:
        painter.drawPath(CogWheel());
        break;
    case ButtonPicture::StreamSize:
        painter.setPen(QPen(colour, 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(4.5, 4.5, 7, 7));
        painter.setBrush(colour);
        painter.setPen(Qt::NoPen);
        painter.drawPolygon(QPolygonF{QPointF(0, 0), QPointF(5, 0), QPointF(0, 5)});
        painter.drawPolygon(QPolygonF{QPointF(16, 16), QPointF(11, 16), QPointF(16, 11)});
        break;
    case ButtonPicture::SettingsRows:
        for (int row = 0; row < 3; ++row) {
            const double y = 3 + 5 * row;
            painter.drawRect(QRectF(1, y - 0.5, 14, 1));
            painter.drawRect(QRectF(3 + 4 * row, y - 2.5, 3, 5)); // the slider's thumb
        }
        break;
    }
}

QPixmap Paint(ButtonPicture picture, ButtonState state) {
    QImage image(ButtonPictures::kSize, ButtonPictures::kSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (state) {
    case ButtonState::Normal:
        PaintShape(painter, picture, ColourOf(picture));
        break;
    case ButtonState::Disabled:
        painter.translate(1, 1);
        PaintShape(painter, picture, Qt::white);
        painter.translate(-1, -1);
        PaintShape(painter, picture, QColor(128, 128, 128));
        break;
    case ButtonState::Pressed:
        painter.translate(1, 1);
        PaintShape(painter, picture, ColourOf(picture).darker(150));
        break;
    }
    painter.end();
    return QPixmap::fromImage(image);
}

} // namespace

QPixmap ButtonPictures::Draw(ButtonPicture picture, ButtonState state) {
    return Paint(picture, state);
}

QIcon ButtonPictures::Icon(ButtonPicture picture) {
    QIcon icon;
    icon.addPixmap(Draw(picture, ButtonState::Normal), QIcon::Normal);
    icon.addPixmap(Draw(picture, ButtonState::Disabled), QIcon::Disabled);
    return icon;
}

QIcon ButtonPictures::PressedIcon(ButtonPicture picture) {
    QIcon icon;
    icon.addPixmap(Draw(picture, ButtonState::Pressed), QIcon::Normal);
    icon.addPixmap(Draw(picture, ButtonState::Disabled), QIcon::Disabled);
    return icon;
}

} // namespace kamsel::pane
