#pragma once
// AnchorPanel: a panel whose children sit at fixed pixel places, as the pane
// was designed, and keep their distance to the edges they are anchored to
// when the panel changes size. A child anchored left and right stretches with
// the panel's width; one anchored right only moves with the right edge. The
// distances are taken from the panel's design size, so a child placed while
// the panel already has another size still lands where the design puts it.
//
// Threads: user-interface thread.

#include <QFrame>
#include <QPointer>

#include <vector>

namespace kamsel::pane {

class AnchorPanel : public QFrame {
  public:
    AnchorPanel(QSize designSize, QWidget* parent);

    // Places child at design, a rectangle in a panel of the design size, and
    // keeps it anchored to the given edges.
    void Place(QWidget& child, QRect design, Qt::Edges anchors = Qt::LeftEdge | Qt::TopEdge);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    struct Placement {
        QPointer<QWidget> child;
        QRect design;
        Qt::Edges anchors;
    };
    QRect GeometryOf(const Placement& placement) const;

    QSize designSize_;
    std::vector<Placement> placements_;
};

} // namespace kamsel::pane
