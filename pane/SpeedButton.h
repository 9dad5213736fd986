#pragma once
// SpeedButton: a flat button with a 16 x 16 picture that shows its normal,
// disabled and pressed state, like the speed buttons of desktop toolkits.
// QToolButton draws only the normal and disabled picture of an icon, so the
// button changes to the pressed picture while it is held down.
//
// Threads: user-interface thread.

#include "pane/ButtonPictures.h"

#include <QToolButton>

namespace kamsel::pane {

class SpeedButton : public QToolButton {
  public:
    SpeedButton(ButtonPicture picture, QWidget* parent);

  private:
    QIcon normal_;
    QIcon pressed_;
};

} // namespace kamsel::pane
