#include "PipelineApplication.h"

#include "frames/TVideoImage.h"
#include "support/BenchApplication.h"

#include <chrono>

namespace kamsel::bench {

PipelineApplication::PipelineApplication(int& argc, char** argv)
    : QApplication(PrepareBenchProcess(argc), argv) {}

void PipelineApplication::StartRecording() {
    framesHandled_ = 0;
    frameSeconds_.clear();
}

bool PipelineApplication::notify(QObject* receiver, QEvent* event) {
    if (depth_ > 0)
        return QApplication::notify(receiver, event);
    const bool frame = event->type() == frames::TVideoImage::FrameMessage;
    const auto start = std::chrono::steady_clock::now();
    ++depth_;
    bool handled = false;
    try {
        handled = QApplication::notify(receiver, event);
    } catch (...) {
        --depth_;
        throw;
    }
    --depth_;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (frame) {
        ++framesHandled_;
        frameSeconds_.push_back(seconds);
    } else if (!frameSeconds_.empty()) {
        frameSeconds_.back() += seconds;
    }
    return handled;
}

} // namespace kamsel::bench
