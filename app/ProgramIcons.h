#pragma once
// The program's two pictures, drawn in code so that no binary file has to be
// kept in step with them: the main icon (window, task bar, desktop entry) and
// the about box's own icon. Both are 48 x 48 pixels at 24 bits per pixel (no
// alpha channel), on an opaque background.
//
// Threads: any thread; no state. Drawing needs no application object and no
// fonts, so the build can write the desktop entry's PNG with the same code.

#include <QImage>

namespace kamsel::app {

class ProgramIcons {
  public:
    static constexpr int kSize = 48;

    // A camera on a blue tile, with two panes on its lens.
    static QImage MainIcon();
    // A lens seen from the front on a green tile.
    static QImage AboutIcon();
};

} // namespace kamsel::app
