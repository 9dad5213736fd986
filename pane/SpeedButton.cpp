#include "pane/SpeedButton.h"

namespace kamsel::pane {

SpeedButton::SpeedButton(ButtonPicture picture, QWidget* parent)
    : QToolButton(parent), normal_(ButtonPictures::Icon(picture)),
      pressed_(ButtonPictures::PressedIcon(picture)) {
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus); // speed buttons never take the keyboard focus
    setIconSize(QSize(ButtonPictures::kSize, ButtonPictures::kSize));
    setIcon(normal_);
    connect(this, &QToolButton::pressed, this, [this] { setIcon(pressed_); });
    connect(this, &QToolButton::released, this, [this] { setIcon(normal_); });
}

} // namespace kamsel::pane
