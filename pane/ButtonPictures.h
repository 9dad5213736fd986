#pragma once
// ButtonPictures: the 16 x 16 pictures of the camera pane's flat buttons,
// drawn in code so that the program ships no image files of others. Each
// picture comes in three states: normal, disabled (a grey embossed outline, as
// flat buttons of desktop toolkits show it) and pressed (darker and moved one
// pixel down and to the right, so the button seems pushed in).
//
// Threads: user-interface thread (pixmaps belong to it).

#include <QIcon>
#include <QPixmap>

namespace kamsel::pane {

enum class ButtonPicture {
    Play,         // start or resume: a triangle pointing right
    Pause,        // two upright bars
    Stop,         // a square
    Settings,     // the device's property dialog: a cog wheel
    StreamSize,   // the stream's size dialog: a frame with arrows to its corners
    SettingsRows, // shows or hides the image-control rows: three sliders
};

enum class ButtonState { Normal, Disabled, Pressed };

class ButtonPictures {
  public:
    static constexpr int kSize = 16;

    // The picture in one state, kSize x kSize with a transparent background.
    static QPixmap Draw(ButtonPicture picture, ButtonState state);
    // Normal and disabled state as one icon (QIcon::Normal, QIcon::Disabled).
    static QIcon Icon(ButtonPicture picture);
    // The pressed state as an icon, with the disabled one beside it.
    static QIcon PressedIcon(ButtonPicture picture);
};

} // namespace kamsel::pane
