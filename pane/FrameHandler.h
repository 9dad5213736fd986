#pragma once
// FrameHandler: the per-frame work of one camera pane. For each frame the
// facade delivers it keeps the newest and the previous frame, measures its own
// call rate, applies the display mode, measures how much of the picture
// changed, paints the result and, in "Surveillance", saves changed frames as
// stamped JPEG snapshots.
//
// The pane owns one handler and forwards its facade's frame procedure to
// OnVideoFrame; the widgets are reached only through FrameView, the facade
// only through FrameSource.
//
// Threads: user-interface thread only. FBusy guards against nested calls that
// arrive through a message loop run inside the handler (a modal error box).

#include "frames/Bitmap24.h"
#include "frames/JpegImage.h"
#include "pane/FrameSource.h"
#include "pane/FrameView.h"
#include "pane/SnapshotFailures.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>

namespace kamsel::system {
class TickSource;
class LocalClock;
} // namespace kamsel::system

namespace kamsel::pane {

class FrameHandlerTestPeer;
class SnapshotSequence;

class FrameHandler {
  public:
    // A difference ratio above this (strictly) saves a snapshot in "Surveillance".
    static constexpr double kSnapshotThreshold = 0.0003;
    // Snapshots one handler attempts per run of the program.
    static constexpr std::int32_t kSnapshotLimit = 4000;

    // What the handler takes from its surroundings; tests replace them. Each
    // must outlive the handler.
    struct Services {
        const system::TickSource* Ticks; // millisecond ticks for the rate
        const system::LocalClock* Clock; // local date and time for the stamp
        SnapshotSequence* Sequence;      // numbers of the snapshot files
        std::int32_t SnapshotLimit;      // attempts before snapshots stop
        Services();                      // the system's, and kSnapshotLimit
    };

    explicit FrameHandler(FrameView& view, const Services& services = Services());
    FrameHandler(const FrameHandler&) = delete;
    FrameHandler& operator=(const FrameHandler&) = delete;
    ~FrameHandler();

    // One-time set-up: the bitmaps, the stamp font and the snapshot folder's
    // parent (appFolder ends with '/'). Later calls do
    // nothing.
    void Init(const QString& appFolder);

    // A capture was started: the call count and the rate mark start afresh,
    // and a failure to save a snapshot is shown again.
    void VideoStarted();

    // Handles one delivered frame, fetched from source. The first failed
    // snapshot of an episode (see SnapshotFailures) leaves the handler (FBusy
    // cleared) as an error to the caller; later ones are only counted.
    void OnVideoFrame(FrameSource& source);

    // Stamps the newest frame and writes it as the next numbered snapshot.
    // Throws std::runtime_error naming the file and the reason when it cannot
    // be written; no partial file is left under its name, and the attempt
    // uses up neither a file number nor one of the pane's attempts. An empty
    // FAppFolder means that no folder for snapshots is known: every save fails.
    void SaveSnapshot();

    // The failure episode of this handler's snapshots.
    const SnapshotFailures& Failures() const { return failures_; }

    // Frames delivered since the capture was started, nested calls included.
    std::int32_t FrameCount() const { return FFrameCount; }
    // Nested calls dropped since Init.
    std::int32_t SkipCount() const { return FSkipCount; }
    // Snapshots this handler has saved.
    std::int32_t SnapshotCount() const { return FSnapshotCount; }

  private:
    friend class FrameHandlerTestPeer;

    void UpdateRateCaption(FrameSource& source);
    void ProcessFrame();
    // SaveSnapshot, with only the first failure of an episode let through.
    void SaveSnapshotReportingOnce();
    // Writes the newest frame, stamped, to path.
    void WriteSnapshot(const QDateTime& hands, const QString& text, const QString& path);
    // Stamps a copy of the newest frame and writes it to path.
    void SaveStampedCopy(const QDateTime& hands, const QString& text, const QString& path);

    // FFrames[FCurFrame] is the newest frame, FFrames[1 - FCurFrame] the one
    // before it.
    bool FBusy = false;
    std::int32_t FFrameCount = 0;
    std::int32_t FSkipCount = 0;
    std::uint32_t FLastFpsTick = 0;
    int FCurFrame = 0;
    std::array<frames::Bitmap24, 2> FFrames;
    frames::Bitmap24 FDisplayBitmap;
    frames::Bitmap24 FStampBitmap;
    double FDiffRatio = 0.0;
    frames::JpegImage FJpeg;
    QString FAppFolder;
    std::int32_t FSnapshotCount = 0;

    FrameView& view_;
    Services services_;
    bool initialised_ = false;
    SnapshotFailures failures_;
    int lastMode_ = -1; // the display mode of the last frame handled
};

} // namespace kamsel::pane
