#pragma once
// RememberedChoices: what the main window keeps from one run to the next.
// The defaults are the window as it starts without any: no geometry (the
// design size, centred), the splitter halved, frames unscaled, panes as they
// start by themselves.
//
// Threads: a plain value.

#include "pane/PaneChoices.h"

#include <QByteArray>

#include <array>

namespace kamsel::app {

struct RememberedChoices {
    // QWidget::saveGeometry's bytes; empty: none.
    QByteArray Geometry;
    double SplitterRatio = 0.5;
    bool FitVideo = false;
    std::array<pane::PaneChoices, 2> Panes;

    bool operator==(const RememberedChoices&) const = default;
};

} // namespace kamsel::app
