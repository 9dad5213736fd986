#include "pane/FrameHandler.h"

#include "pane/DisplayFilters.h"
#include "pane/SnapshotSequence.h"
#include "pane/SnapshotStamp.h"
#include "platform/system/LocalClock.h"
#include "platform/system/SystemTickSource.h"
#include "platform/system/TickSource.h"
#include "platform/system/UiThread.h"

#include <QDir>
#include <QFontMetrics>
#include <QLocale>

#include <cstring>
#include <stdexcept>

namespace kamsel::pane {

using frames::Bitmap24;
using frames::Canvas;

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

} // namespace

FrameHandler::Services::Services()
    : Ticks(&system::SystemTicks()), Clock(&system::SystemLocalClock()),
      Sequence(&SnapshotSequence::Process()), SnapshotLimit(kSnapshotLimit) {}

FrameHandler::FrameHandler(FrameView& view, const Services& services) : view_(view), services_(services) {}

FrameHandler::~FrameHandler() = default;

void FrameHandler::Init(const QString& appFolder) {
    KAMSEL_ASSERT_UI_THREAD();
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
    KAMSEL_ASSERT_UI_THREAD();
    failures_.Reset("the camera was started again");
    FFrameCount = 0;
    // The first rate after a restart is measured from here, not from the
    // last mark of the previous run with the pause in between.
    FLastFpsTick = 0;
}

void FrameHandler::OnVideoFrame(FrameSource& source) {
    KAMSEL_ASSERT_UI_THREAD();
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
    KAMSEL_ASSERT_UI_THREAD();
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
    // The stamp touches only a few rows at the top and the bottom, and the
    // frame's pixels are shared with the facade's bitmap: the stamp is drawn
    // on copies of those rows, the clock's band above the text's band, and
    // the encoder reads the rest straight from the frame.
    const QImage& image = frame.Image();
    Canvas& canvas = FStampBitmap.GetCanvas();
    const StampRows rows = RowsTouchedByStamp(frame.Height(), QFontMetrics(canvas.Font(), &image).height());
    const int clockRows = rows.ClockEnd;
    const int textRows = frame.Height() - rows.TextBegin;
    FStampBitmap.SetSize(frame.Width(), clockRows + textRows);
    // Text is laid out by the resolution of the picture it is drawn on.
    FStampBitmap.Image().setDotsPerMeterX(image.dotsPerMeterX());
    FStampBitmap.Image().setDotsPerMeterY(image.dotsPerMeterY());
    FStampBitmap.Image().setDevicePixelRatio(image.devicePixelRatio());
    const std::size_t rowBytes = std::size_t(frame.Width()) * 3;
    for (int r = 0; r < clockRows; ++r)
        std::memcpy(FStampBitmap.ScanLine(r), frame.ScanLine(r), rowBytes);
    for (int r = 0; r < textRows; ++r)
        std::memcpy(FStampBitmap.ScanLine(clockRows + r), frame.ScanLine(rows.TextBegin + r), rowBytes);
    DrawStamp(canvas, clockRows + textRows, hands, text);
    const Bitmap24& stamped = FStampBitmap;
    FJpeg.SaveRowsToFile(
        frame.Width(), frame.Height(),
        [&](int row) -> const std::uint8_t* {
            if (row < clockRows)
                return stamped.ScanLine(row);
            if (row < rows.TextBegin)
                return frame.ScanLine(row);
            return stamped.ScanLine(clockRows + row - rows.TextBegin);
        },
        path);
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
