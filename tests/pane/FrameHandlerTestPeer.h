#pragma once
// The one way tests (and the snapshot benchmark) reach a frame handler's
// internals: its busy flag, the frame pair, the display bitmap and the last
// difference ratio. Everything else goes through the handler's interface.

#include "pane/FrameHandler.h"

namespace kamsel::pane {

class FrameHandlerTestPeer {
  public:
    static bool Busy(const FrameHandler& handler) { return handler.FBusy; }
    static int CurFrame(const FrameHandler& handler) { return handler.FCurFrame; }
    static frames::Bitmap24& NewestFrame(FrameHandler& handler) {
        return handler.FFrames[std::size_t(handler.FCurFrame)];
    }
    static const frames::Bitmap24& DisplayBitmap(const FrameHandler& handler) {
        return handler.FDisplayBitmap;
    }
    static double DiffRatio(const FrameHandler& handler) { return handler.FDiffRatio; }
};

} // namespace kamsel::pane
