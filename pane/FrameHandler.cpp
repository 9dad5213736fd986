#include "pane/FrameHandler.h"

#include "pane/DisplayFilters.h"
#include "pane/SnapshotSequence.h"
#include "pane/SnapshotStamp.h"
#include "platform/system/LocalClock.h"
#include "platform/system/SystemTickSource.h"
#include "platform/system/TickSource.h"

#include <QDir>
#include <QLocale>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace kamsel::pane {

using frames::Bitmap24;

namespace {

// Calls of the handler between two rate measurements.
constexpr std::int32_t kRateWindow = 30;

// Numbers in captions: the user's decimal separator, no grouping.
QLocale CaptionLocale() {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

// Clears the busy flag however the handler is left, so that an error while
// saving one snapshot does not leave every later frame counted as skipped.
class BusyScope {
  public:
    explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyScope() { busy_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    bool& busy_;
};

// The rows the snapshot stamp can touch: the clock in the top rows, the text
// in a cell of textHeight rows ending 4 rows above the bottom. Both bands keep
// a wide margin for glyphs that reach beyond their cell.
struct StampBands {
    static constexpr int kClockRows = 48;
    static constexpr int kTextMargin = 16;
    StampBands(int height, int textHeight) {
        top = std::min(height, kClockRows);
        bottom = std::clamp(height - 4 - textHeight - kTextMargin, top, height);
    }
    int top = 0;    // rows [0, top)
    int bottom = 0; // rows [bottom, height)
};

// Lends the frame's pixel block to the stamp bitmap for drawing and encoding,
// and puts the stamp rows back as they were when it ends, however it ends.
// The block may be shared (with the facade's bitmap); nothing runs between
// the drawing and the restoring that could read it.
class StampedFrame {
  public:
    StampedFrame(const Bitmap24& frame, const StampBands& bands, Bitmap24& stamp, frames::JpegImage& jpeg,
                 std::vector<std::uint8_t>& saved)
        : frame_(frame.Image()), stamp_(stamp), jpeg_(jpeg), saved_(saved), bands_(bands) {
        // Writable through the frame's own block: the stamp is drawn in place.
        auto* bits = const_cast<uchar*>(frame_.constBits());
        const std::size_t rowBytes = std::size_t(frame_.bytesPerLine());
        const int height = frame_.height();
        saved_.resize(rowBytes * std::size_t(bands_.top + height - bands_.bottom));
        std::memcpy(saved_.data(), bits, rowBytes * std::size_t(bands_.top));
        std::memcpy(saved_.data() + rowBytes * std::size_t(bands_.top),
                    bits + rowBytes * std::size_t(bands_.bottom),
                    rowBytes * std::size_t(height - bands_.bottom));
        QImage view(bits, frame_.width(), height, frame_.bytesPerLine(), frame_.format());
        view.setDotsPerMeterX(frame_.dotsPerMeterX());
        view.setDotsPerMeterY(frame_.dotsPerMeterY());
        view.setDevicePixelRatio(frame_.devicePixelRatio());
        stamp_.Image() = std::move(view);
    }
    ~StampedFrame() {
        // Neither the stamp bitmap nor the snapshot picture may outlive the
        // loan of the frame's block.
        stamp_.Image() = QImage();
        jpeg_.Assign(stamp_);
        auto* bits = const_cast<uchar*>(frame_.constBits());
        const std::size_t rowBytes = std::size_t(frame_.bytesPerLine());
        std::memcpy(bits, saved_.data(), rowBytes * std::size_t(bands_.top));
        std::memcpy(bits + rowBytes * std::size_t(bands_.bottom),
                    saved_.data() + rowBytes * std::size_t(bands_.top),
                    rowBytes * std::size_t(frame_.height() - bands_.bottom));
    }
    StampedFrame(const StampedFrame&) = delete;
    StampedFrame& operator=(const StampedFrame&) = delete;

  private:
    const QImage& frame_;
    Bitmap24& stamp_;
    frames::JpegImage& jpeg_;
    std::vector<std::uint8_t>& saved_;
    StampBands bands_;
};

} // namespace

FrameHandler::Services::Services()
    : Ticks(&system::SystemTicks()), Clock(&system::SystemLocalClock()),
      Sequence(&SnapshotSequence::Process()), SnapshotLimit(kSnapshotLimit) {}

FrameHandler::FrameHandler(FrameView& view, const Services& services) : view_(view), services_(services) {}

FrameHandler::~FrameHandler() = default;

void FrameHandler::Init(const QString& appFolder) {
    if (initialised_)
        return;
    initialised_ = true;
    FSkipCount = 0;
    FAppFolder = appFolder;
    for (Bitmap24& frame : FFrames)
        frame.SetFormat(frames::PixelFormat::Bits24);
    FStampBitmap.SetFormat(frames::PixelFormat::Bits24);
    // Arial at 10 points on a 96-dpi screen: an em of 13 pixels.
    FStampBitmap.GetCanvas().Font().setFamily(QStringLiteral("Arial"));
    FStampBitmap.GetCanvas().Font().setPixelSize(13);
    FStampBitmap.GetCanvas().Brush() = frames::BrushStyle::Clear;
}

void FrameHandler::VideoStarted() {
    failures_.Reset("the camera was started again");
    FFrameCount = 0;
    // The first rate after a restart is measured from here, not from the
    // last mark of the previous run with the pause in between.
    FLastFpsTick = 0;
}

void FrameHandler::OnVideoFrame(FrameSource& source) {
    ++FFrameCount;
    if (FBusy) {
        ++FSkipCount;
        return;
    }
    BusyScope busy(FBusy);
    if (FFrameCount % kRateWindow == 0)
        UpdateRateCaption(source);
    FCurFrame = 1 - FCurFrame;
    source.GetBitmap(FFrames[FCurFrame]);
    ProcessFrame();
}

void FrameHandler::UpdateRateCaption(FrameSource& source) {
    const std::uint32_t now = services_.Ticks->Now();
    if (FLastFpsTick != 0) {
        const std::uint32_t elapsed = system::TicksBetween(FLastFpsTick, now);
        // Two marks within one millisecond give no rate; the caption keeps
        // the last one.
        if (elapsed != 0) {
            const QLocale locale = CaptionLocale();
            const double rate = 30000.0 / elapsed;
            view_.SetRateCaption(QStringLiteral("fps: ") + locale.toString(rate, 'f', 1) +
                                 QStringLiteral(" [") + locale.toString(source.FramesPerSecond(), 'f', 1) +
                                 QStringLiteral("] (") + QString::number(FSkipCount) + QStringLiteral(" [") +
                                 QString::number(source.SkippedFrames()) + QStringLiteral("] skipped)"));
        }
    }
    FLastFpsTick = now;
}

void FrameHandler::ProcessFrame() {
    const Bitmap24& current = FFrames[FCurFrame];
    const Bitmap24& previous = FFrames[1 - FCurFrame];
    const int mode = view_.SelectedDisplayMode();
    if (mode != lastMode_)
        failures_.Reset("the display mode changed");
    lastMode_ = mode;
    if (mode <= kNormal || mode > kSurveillance) {
        view_.DrawFrame(current);
        return;
    }
    FDiffRatio = 0.0;
    switch (mode) {
    case kInverted:
        InvertBitmap(current, FDisplayBitmap);
        break;
    case kGrayScale:
        GrayScaleBitmap(current, FDisplayBitmap);
        break;
    case kDifferenceMap:
        DifferenceBitmap(current, previous, FDiffRatio, FDisplayBitmap);
        break;
    default: // highlighted differences, surveillance
        HighlightDifferences(current, previous, FDiffRatio, FDisplayBitmap);
        break;
    }
    view_.DrawFrame(FDisplayBitmap);
    view_.SetDifferenceCaption(QStringLiteral("Diff-Ratio: ") +
                               CaptionLocale().toString(FDiffRatio * 100.0, 'f', 3) + u'%');
    if (FDiffRatio > kSnapshotThreshold && mode == kSurveillance)
        SaveSnapshotReportingOnce();
}

void FrameHandler::SaveSnapshotReportingOnce() {
    try {
        SaveSnapshot();
    } catch (const std::exception& error) {
        if (failures_.Failed(QString::fromLocal8Bit(error.what())))
            throw;
        return;
    }
    failures_.Saved();
}

void FrameHandler::SaveSnapshot() {
    // The hands and the text come from two readings of the clock, one after
    // the other.
    const QDateTime hands = services_.Clock->Now();
    const QString text = StampText(services_.Clock->Now(), QLocale());

    if (FAppFolder.isEmpty())
        throw std::runtime_error("cannot save the snapshot: no folder for snapshots is known (the program's "
                                 "folder is not writable, and neither a home nor a pictures folder is set)");
    // A folder that cannot be made shows up as the failure to write the file.
    const QString folder = FAppFolder + QStringLiteral("Spy/");
    QDir().mkpath(folder);
    ++FSnapshotCount;
    if (FSnapshotCount > services_.SnapshotLimit)
        return;
    const std::int32_t number = services_.Sequence->Next();
    const QString path = folder + QStringLiteral("Spy_%1.jpg").arg(number, 4, 10, QLatin1Char('0'));
    try {
        WriteSnapshot(hands, text, path);
    } catch (...) {
        // A pane that cannot write (a full disk, a folder it may not write)
        // tries again with every frame; were the failures counted, it would
        // use up its attempts and never save again once the cause is gone.
        --FSnapshotCount;
        services_.Sequence->GiveBack(number);
        throw;
    }
}

void FrameHandler::WriteSnapshot(const QDateTime& hands, const QString& text, const QString& path) {
    const Bitmap24& frame = FFrames[FCurFrame];
    if (frame.Format() != frames::PixelFormat::Bits24 || frame.Image().isNull()) {
        SaveStampedCopy(hands, text, path);
        return;
    }
    // The stamp touches only a few rows at the top and the bottom; drawing it
    // on the frame's own pixels for the time of the encoding spares copying
    // the whole frame, and the rows are put back before anyone else sees them.
    const StampBands bands(frame.Height(), FStampBitmap.GetCanvas().TextHeight(QStringLiteral("W")));
    const StampedFrame stamped(frame, bands, FStampBitmap, FJpeg, stampRows_);
    DrawStamp(FStampBitmap.GetCanvas(), FStampBitmap.Height(), hands, text);
    FJpeg.Assign(FStampBitmap);
    FJpeg.SaveToFile(path);
}

void FrameHandler::SaveStampedCopy(const QDateTime& hands, const QString& text, const QString& path) {
    // The stamp bitmap takes the frame's pixels by sharing them; its first
    // drawing below makes its own copy, so the frame stays as it was.
    FStampBitmap.Assign(FFrames[FCurFrame]);
    FStampBitmap.SetFormat(frames::PixelFormat::Bits24);
    DrawStamp(FStampBitmap.GetCanvas(), FStampBitmap.Height(), hands, text);
    FJpeg.Assign(FStampBitmap);
    FJpeg.SaveToFile(path);
}

} // namespace kamsel::pane
