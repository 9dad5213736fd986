#include "VideoRendererWidget.h"

#include <QPainter>

namespace kamsel::dshow {

VideoRendererWidget::VideoRendererWidget() {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(QStringLiteral("Video Renderer"));
}

void VideoRendererWidget::ShowFrame(QImage frame) {
    frame_ = std::move(frame);
    update();
}

void VideoRendererWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (frame_.isNull())
        painter.fillRect(rect(), Qt::black);
    else
        painter.drawImage(rect(), frame_);
}

} // namespace kamsel::dshow
