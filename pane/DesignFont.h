#pragma once
// The font the windows were designed with: "MS Sans Serif" at 11 pixels (8
// point at 96 dpi), not scaled with the desktop's text size. Where it is
// missing, captions need a font of similar widths to fit their fixed places:
// Liberation Sans (Arial's metrics), else the condensed DejaVu Sans;
// fontconfig's usual stand-in, DejaVu Sans, is too wide. The camera panes and
// the program's windows use it.

#include <QFont>

namespace kamsel::pane {

QFont DesignFont();

} // namespace kamsel::pane
