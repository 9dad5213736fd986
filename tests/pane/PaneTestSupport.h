#pragma once
// Helpers for the camera pane tests: a pane whose facade runs on a clock the
// test holds still (so no sample counts as arriving while the user interface
// is busy), whose error box records instead of blocking, and whose snapshots
// go to a temporary folder; the button states as one comparable value.

#include "frames/ExceptionHandler.h"
#include "frames/FacadeTestSupport.h"
#include "pane/AnchorPanel.h"
#include "pane/FrameHandler.h"
#include "pane/PaintBox.h"
#include "pane/TFrame1.h"
#include "platform/system/TickSource.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace kamsel::pane::test {

class StillTicks final : public system::TickSource {
  public:
    std::uint32_t Now() const noexcept override { return 70000; }
};

// Enabled states of Start/Resume, Pause, Stop, the two dialog buttons and the
// camera box, in the order of the pane's state table.
struct ButtonStates {
    bool run, pause, stop, settings, size, cameras;
    bool operator==(const ButtonStates&) const = default;

    static ButtonStates Of(const TFrame1& pane) {
        return {pane.SpeedButton_RunVideo->isEnabled(), pane.SpeedButton_Pause->isEnabled(),
                pane.SpeedButton_Stop->isEnabled(),     pane.SpeedButton_VidSettings->isEnabled(),
                pane.SpeedButton_VidSize->isEnabled(),  pane.ComboBox_Cams->isEnabled()};
    }
};
inline constexpr ButtonStates kIdleWithCamera{true, false, false, false, false, true};
inline constexpr ButtonStates kIdleWithoutCamera{false, false, false, false, false, true};
inline constexpr ButtonStates kRunning{false, true, true, true, true, false};
inline constexpr ButtonStates kPaused{true, false, true, false, false, false};

// A pane as the program builds it, with the test's surroundings.
struct PaneUnderTest {
    // realClock: the system's ticks, for cameras that run at their own pace
    // with the application's real idle notification.
    explicit PaneUnderTest(bool realClock = false) {
        TFrame1::Services services;
        if (!realClock)
            services.Facade.Ticks = &ticks;
        services.Facade.Exceptions = &exceptions;
        services.AppFolder = folder.path() + QLatin1Char('/');
        services.ErrorBox = [this](QWidget&, const QString& message) { errorBoxes.push_back(message); };
        pane = std::make_unique<TFrame1>(services);
        pane->show();
    }
    ~PaneUnderTest() {
        pane->StopVideoIfRunning();
        pane->ReleaseVideo();
    }

    // Starts the selected camera and lets samples through at once.
    void Start() {
        pane->SpeedButton_RunVideo->click();
        if (pane->FVideoImage->IsCapturing()) {
            bool done = false;
            pane->FVideoImage->AppIdle(done);
        }
    }

    FrameHandler& Handler() { return pane->Handler(); }

    StillTicks ticks;
    std::vector<QString> exceptionMessages;
    frames::ExceptionHandler exceptions{
        [this](const QString& message) { exceptionMessages.push_back(message); }};
    std::vector<QString> errorBoxes;
    QTemporaryDir folder;
    std::unique_ptr<TFrame1> pane;
};

using frames::test::RunEventsUntil;

// The pixel of the paint box's picture at (x, y) as blue, green, red.
inline std::array<int, 3> BoxPixel(const TFrame1& pane, int x, int y) {
    const QRgb rgb = pane.PaintBox_Video->Backing().pixel(x, y);
    return {qBlue(rgb), qGreen(rgb), qRed(rgb)};
}

inline std::array<int, 3> BitmapPixel(const frames::Bitmap24& bitmap, int x, int y) {
    const std::uint8_t* p = bitmap.ScanLine(y) + 3 * x;
    return {p[0], p[1], p[2]};
}

// The part of the paint box that bitmap covers shows exactly bitmap.
inline bool BoxShows(const TFrame1& pane, const frames::Bitmap24& bitmap) {
    const QImage& box = pane.PaintBox_Video->Backing();
    const int width = std::min(box.width(), bitmap.Width());
    const int height = std::min(box.height(), bitmap.Height());
    if (width <= 0 || height <= 0)
        return false;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (BoxPixel(pane, x, y) != BitmapPixel(bitmap, x, y))
                return false;
        }
    }
    return true;
}

} // namespace kamsel::pane::test
