#include "pane/AnchorPanel.h"

#include <algorithm>

namespace kamsel::pane {
namespace {

// One axis: start and length of a child between the panel's two edges.
std::pair<int, int> Span(int start, int length, int growth, bool nearAnchor, bool farAnchor) {
    if (nearAnchor && farAnchor)
        return {start, std::max(0, length + growth)};
    if (farAnchor)
        return {start + growth, length};
    return {start, length};
}

} // namespace

AnchorPanel::AnchorPanel(QSize designSize, QWidget* parent) : QFrame(parent), designSize_(designSize) {
    resize(designSize);
}

void AnchorPanel::Place(QWidget& child, QRect design, Qt::Edges anchors) {
    Placement placement{&child, design, anchors};
    child.setGeometry(GeometryOf(placement));
    // Children fixed to the top-left corner never move again.
    if (anchors & (Qt::RightEdge | Qt::BottomEdge))
        placements_.push_back(placement);
}

QRect AnchorPanel::GeometryOf(const Placement& placement) const {
    const QRect& d = placement.design;
    const auto [x, width] =
        Span(d.x(), d.width(), this->width() - designSize_.width(), placement.anchors.testFlag(Qt::LeftEdge),
             placement.anchors.testFlag(Qt::RightEdge));
    const auto [y, height] =
        Span(d.y(), d.height(), this->height() - designSize_.height(),
             placement.anchors.testFlag(Qt::TopEdge), placement.anchors.testFlag(Qt::BottomEdge));
    return QRect(x, y, width, height);
}

void AnchorPanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    for (const Placement& placement : placements_) {
        if (placement.child)
            placement.child->setGeometry(GeometryOf(placement));
    }
}

} // namespace kamsel::pane
