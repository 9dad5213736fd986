#pragma once
// The application object of the pipeline benchmark: an offscreen widget
// application that times the user-interface thread per frame. Every event the
// thread handles at the outermost level is timed; the handling of a frame
// message starts a frame's time, and everything handled after it (the paint
// of the picture, timers, labels) adds to that frame until the next frame
// message. Time the thread spends waiting for events counts nowhere, so a
// frame's time is what the frame cost the thread, whatever the camera's pace.
//
// Threads: user-interface (main) thread only.

#include "support/FrameTimes.h"

#include <QApplication>

#include <cstdint>

namespace kamsel::bench {

class PipelineApplication : public QApplication {
  public:
    // Sets the program's heap settings and the offscreen platform (unless
    // QT_QPA_PLATFORM says otherwise) before the application object exists.
    PipelineApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Forgets the frames timed so far; the next frame message starts the first.
    void StartRecording();
    // Frame messages handled since StartRecording.
    std::int64_t FramesHandled() const { return framesHandled_; }
    // Time of each frame handled since StartRecording; the last one may still
    // be growing.
    const std::vector<double>& FrameSeconds() const { return frameSeconds_; }

  private:
    int depth_ = 0;
    std::int64_t framesHandled_ = 0;
    std::vector<double> frameSeconds_;
};

} // namespace kamsel::bench
