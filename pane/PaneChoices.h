#pragma once
// PaneChoices: what the user chose in one camera pane, as the program
// remembers it from one run to the next. Empty or negative fields mean "as
// the pane starts by itself".
//
// Threads: a plain value.

#include <QString>

namespace kamsel::pane {

struct PaneChoices {
    // The selected camera's name and its place in the list (from 0); a name
    // listed more than once is told apart by the place.
    QString Camera;
    int CameraIndex = -1;
    // The line chosen in the video size list, as the list shows it.
    QString VideoSize;
    // The display mode's place in its list; -1: none chosen.
    int DisplayMode = -1;
    bool SettingsOpen = false;

    bool operator==(const PaneChoices&) const = default;
};

} // namespace kamsel::pane
