#pragma once
// FrameView: what the frame handler needs of the pane's widgets, so that the
// handler can run, and be tested, without them.
//
// Threads: user-interface thread only, like the handler that calls it.

#include "frames/Bitmap24.h"

#include <QString>

namespace kamsel::pane {

class FrameView {
  public:
    virtual ~FrameView() = default;

    // Selected index of the display-mode box (see DisplayMode); -1 when
    // nothing is selected. Read anew for every frame.
    virtual int SelectedDisplayMode() const = 0;
    // Draws bitmap unscaled with its top-left corner at (0, 0) of the paint
    // box. What extends beyond the box is clipped; what the bitmap does not
    // cover keeps what was drawn there before. A 24-bit bitmap's pixels
    // are kept, shared, until the box next paints: a caller that changes the
    // bitmap afterwards writes on a copy of its own, and the box shows the
    // pixels as they were at the call.
    virtual void DrawFrame(const frames::Bitmap24& bitmap) = 0;
    // The captions of the rate label and of the difference label.
    virtual void SetRateCaption(const QString& text) = 0;
    virtual void SetDifferenceCaption(const QString& text) = 0;
};

// Indexes of the display-mode box, in the order of its items.
enum DisplayMode : int {
    kNoDisplayMode = -1,
    kNormal = 0,
    kInverted = 1,
    kGrayScale = 2,
    kDifferenceMap = 3,
    kHighlightedDifferences = 4,
    kSurveillance = 5,
};

} // namespace kamsel::pane
