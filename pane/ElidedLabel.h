#pragma once
// ElidedLabel: a one-line label that, when it is narrower than its caption,
// shows the caption cut short with an ellipsis instead of clipping it in the
// middle of a character, and offers the whole caption as its tool tip. Its
// text stays the whole caption; only the painting is shortened.
//
// Threads: user-interface thread.

#include <QLabel>

namespace kamsel::pane {

class ElidedLabel final : public QLabel {
  public:
    ElidedLabel(const QString& text, QWidget* parent);

    // The caption as painted at the present width.
    QString ShownText() const;
    // Sets the tool tip to the whole caption when it is cut short, else none.
    // Runs on every resize; call it after a new text at the same size.
    void RefreshToolTip();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace kamsel::pane
