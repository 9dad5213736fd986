#include "ProgramIcons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace kamsel::app {

namespace {

QImage BlankIcon(const QColor& top, const QColor& bottom) {
    QImage image(ProgramIcons::kSize, ProgramIcons::kSize, QImage::Format_RGB888);
    QPainter painter(&image);
    QLinearGradient tile(0, 0, 0, ProgramIcons::kSize);
    tile.setColorAt(0, top);
    tile.setColorAt(1, bottom);
    painter.fillRect(image.rect(), tile);
    return image;
}

} // namespace

QImage ProgramIcons::MainIcon() {
    QImage image = BlankIcon(QColor(40, 90, 170), QColor(15, 35, 80));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(20, 20, 20), 1.5));
    // Body with a viewfinder hump.
    painter.setBrush(QColor(215, 215, 220));
    painter.drawRoundedRect(QRectF(5.5, 15.5, 37, 24), 4, 4);
    painter.drawRect(QRectF(12.5, 10.5, 10, 5));
    // Lens.
    painter.setBrush(QColor(30, 30, 35));
    painter.drawEllipse(QPointF(24, 27.5), 9.5, 9.5);
    // The two panes of the viewer, seen in the lens.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(90, 200, 120));
    painter.drawRect(QRectF(18, 23, 5, 9));
    painter.setBrush(QColor(240, 170, 60));
    painter.drawRect(QRectF(25, 23, 5, 9));
    // Recording light.
    painter.setBrush(QColor(230, 40, 40));
    painter.drawEllipse(QPointF(37.5, 20.5), 2, 2);
    return image;
}

QImage ProgramIcons::AboutIcon() {
    QImage image = BlankIcon(QColor(60, 150, 90), QColor(20, 70, 40));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(24, 24);
    painter.setPen(QPen(QColor(10, 10, 10), 2));
    painter.setBrush(QColor(190, 190, 195));
    painter.drawEllipse(centre, 20, 20);
    QRadialGradient glass(centre, 14, QPointF(19, 19));
    glass.setColorAt(0, QColor(110, 130, 220));
    glass.setColorAt(1, QColor(10, 10, 40));
    painter.setBrush(glass);
    painter.drawEllipse(centre, 14, 14);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.drawEllipse(QPointF(18.5, 18.5), 3.5, 3.5);
    return image;
}

} // namespace kamsel::app
