#include "pane/ElidedLabel.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

namespace kamsel::pane {

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

QString ElidedLabel::ShownText() const {
    return QFontMetrics(font()).elidedText(text(), Qt::ElideRight, contentsRect().width());
}

void ElidedLabel::RefreshToolTip() {
    setToolTip(ShownText() == text() ? QString() : text());
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), int(alignment()), palette(), isEnabled(), ShownText(),
                          foregroundRole());
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    RefreshToolTip();
}

} // namespace kamsel::pane
