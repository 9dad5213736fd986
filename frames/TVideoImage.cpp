#include "TVideoImage.h"

#include "capture/DeviceEnumeration.h"
#include "capture/TVideoSample.h"
#include "frames/ExceptionHandler.h"
#include "frames/FrameMessageWindow.h"
#include "frames/GraphEventWindow.h"
#include "frames/IdleNotifier.h"
#include "frames/UGDIPlus.h"
#include "platform/media/YuvConverter.h"
#include "platform/system/CaptureLog.h"
#include "platform/system/SystemTickSource.h"
#include "platform/system/UiThread.h"

#include <QApplication>
#include <QMainWindow>
#include <QString>

#include <array>
#include <cstring>
#include <limits>
#include <new>
#include <thread>

namespace kamsel::frames {

namespace {

using media::YuvConverter;
using media::YuvTerm;

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kI420 = FourCC("I420");
constexpr std::uint32_t kIYUV = FourCC("IYUV");
constexpr std::uint32_t kYV12 = FourCC("YV12");
constexpr std::uint32_t kYUY2 = FourCC("YUY2");
constexpr std::uint32_t kYUNV = FourCC("YUNV");
constexpr std::uint32_t kYUYV = FourCC("YUYV");
constexpr std::uint32_t kMJPG = FourCC("MJPG");

constexpr int kSlotCount = 3;
// Samples per rate window; the rate is 30000 ms over the window's duration.
constexpr std::int32_t kRateWindow = 30;
constexpr double kRateWindowMilliseconds = 30000.0;
// A sample is dropped when the last idle notification is further away.
constexpr std::int64_t kBusyMilliseconds = 1000;

const std::array<const char*, 10> kControlNames = {"Brightness", "Contrast", "Hue",         "Saturation",
                                                   "Sharpness",  "Gamma",    "ColorEnable", "WhiteBalance",
                                                   "Backlight",  "Gain"};

// Image control defaults when nothing could be read.
constexpr std::int32_t kNoMinimum = -1;
constexpr std::int32_t kNoMaximum = -1;
// Control flags as the capture object takes them.
constexpr com::LONG kFlagsAutomatic = 1;
constexpr com::LONG kFlagsManual = 2;

// The application's main window, which owns the capture object's dialogs
// (its graph events go to the facade's own window): the first main window
// among the top-level widgets; none outside a widget application or before it
// has one.
dshow::HWND MainWindowHandle() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return {};
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(widget) != nullptr)
            return dshow::HWND(widget);
    return {};
}

// The text of the exception being handled, for the log.
QString CurrentExceptionText() {
    try {
        throw;
    } catch (const std::exception& error) {
        return QString::fromLocal8Bit(error.what());
    } catch (...) {
        return QStringLiteral("an exception of unknown type");
    }
}

} // namespace

// A read pin on one slot of the ring, held by the user-interface thread.
class TVideoImage::SlotPin {
  public:
    SlotPin(TVideoImage& owner, int slot) : owner_(owner), slot_(slot) {}
    ~SlotPin() { owner_.SlotReaders[std::size_t(slot_)].fetch_sub(1, std::memory_order_release); }
    SlotPin(const SlotPin&) = delete;
    SlotPin& operator=(const SlotPin&) = delete;

    std::size_t Slot() const { return std::size_t(slot_); }

  private:
    TVideoImage& owner_;
    int slot_;
};

TVideoImage::Services::Services() : Ticks(&system::SystemTicks()), Exceptions(&ExceptionHandler::Default()) {}

TVideoImage::TVideoImage() : TVideoImage(Services()) {}

TVideoImage::TVideoImage(const Services& services)
    : Ticks(*services.Ticks), Exceptions(*services.Exceptions) {
    MessageWindow =
        std::make_unique<FrameMessageWindow>(FrameMessage, [this](QEvent& e) { return WndProc(e); });
    IdleEvents = std::make_unique<IdleNotifier>([this](bool& done) { AppIdle(done); });
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
        EventWindow =
            std::make_unique<GraphEventWindow>(dshow::UINT(capture::TVideoSample::kGraphNotifyMessage),
                                               [this](dshow::LPARAM) { HandleGraphEvents(); });
}

TVideoImage::~TVideoImage() {
    // A client that did not stop capture would leave the streaming thread
    // calling into a facade that is going away; stop it first.
    VideoStop();
    DisplayCanvas = nullptr;
    IdleEvents.reset();
    for (int slot = kSlotCount - 1; slot >= 0; --slot) {
        SlotBuffer[std::size_t(slot)].reset();
        SlotSize[std::size_t(slot)] = 0;
    }
    // Discards the frame messages and graph notifications still queued.
    MessageWindow.reset();
    EventWindow.reset();
    // FrameBitmap, JpegImage and JpegStream go with the remaining members.
}

// ---- capture ----

std::int32_t TVideoImage::VideoStart(const QString& DeviceName) {
    KAMSEL_ASSERT_UI_THREAD();
    // Stop first: counters reset while the old stream still ran could pick up
    // one of its samples.
    if (VideoSample)
        VideoStop();
    SkippedFrames.store(0, std::memory_order_relaxed);
    FrameCount.store(0, std::memory_order_relaxed);
    RateTick.store(0, std::memory_order_relaxed);
    FramesPerSecond.store(0.0, std::memory_order_relaxed);
    FrameDecoded = false;

    com::HRESULT status = com::E_FAIL;
    try {
        com::HRESULT created = com::S_OK; // not examined: a failed build fails the start
        VideoSample = capture::TVideoSample::Create(MainWindowHandle(), false,
                                                    capture::TVideoSample::kSampleCBMode, created);
        // The stream's end must reach this facade; the main window does not
        // know which pane's graph is speaking.
        if (EventWindow)
            VideoSample->SetNotifyWindow(EventWindow->Handle(), 0);
        QString foundName;
        status = VideoSample->StartVideo(DeviceName, false, foundName);
    } catch (...) {
        qCWarning(system::CaptureLog, "Could not start capture on \"%s\": %s", qUtf8Printable(DeviceName),
                  qUtf8Printable(CurrentExceptionText()));
        status = -1;
    }
    if (com::FAILED(status)) {
        VideoStop();
        return 1;
    }
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t fourcc = 0;
    if (com::FAILED(VideoSample->GetVideoFormat(width, height, fourcc))) {
        VideoStop();
        return 1;
    }
    ApplyVideoFormat(width, height, fourcc);
    RegisterSampleProcedure();
    return 0;
}

void TVideoImage::VideoStop() {
    KAMSEL_ASSERT_UI_THREAD();
    FramesPerSecond.store(0.0, std::memory_order_relaxed);
    if (VideoSample) {
        try {
            // Stops the stream and waits for its thread: no sample follows.
            VideoSample->Destroy();
        } catch (...) {
            // Nothing more can be done about a capture object that will not go
            // quietly; it is released all the same.
            qCWarning(system::CaptureLog, "Stopping capture failed: %s",
                      qUtf8Printable(CurrentExceptionText()));
        }
        VideoSample.reset();
    }
    // A sample that completed a rate window during the stop is not the rate of
    // a stopped camera.
    FramesPerSecond.store(0.0, std::memory_order_relaxed);
}

void TVideoImage::VideoPause() {
    KAMSEL_ASSERT_UI_THREAD();
    if (VideoSample)
        VideoSample->PauseVideo();
}

void TVideoImage::VideoResume() {
    KAMSEL_ASSERT_UI_THREAD();
    if (VideoSample)
        VideoSample->ResumeVideo();
}

bool TVideoImage::IsCapturing() const {
    return VideoSample != nullptr;
}

bool TVideoImage::IsPaused() const {
    return VideoSample && VideoSample->GetState() == 1;
}

void TVideoImage::ApplyVideoFormat(std::int32_t width, std::int32_t height, std::uint32_t fourcc) {
    VideoWidth = width;
    VideoHeight = height;
    VideoFourCC = fourcc;
    FrameBitmap.SetFormat(PixelFormat::Bits24);
    FrameBitmap.SetSize(width, height);
}

void TVideoImage::RegisterSampleProcedure() {
    VideoSample->SetCallBack(capture::TSampleCallBack::Bind<&TVideoImage::SampleArrived>(this));
}

// ---- pass-throughs ----

void TVideoImage::GetListOfDevices(QStringList& List) {
    capture::ListCaptureDevices(List); // the list says it all; the status adds nothing
}

void TVideoImage::GetListOfSupportedVideoSizes(QStringList& List) {
    if (VideoSample)
        VideoSample->GetListOfVideoSizes(&List);
}

void TVideoImage::SetResolutionByIndex(std::int32_t Index) {
    KAMSEL_ASSERT_UI_THREAD();
    if (!VideoSample)
        return;
    VideoSample->SetVideoFormat(Index);
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t fourcc = 0;
    if (com::SUCCEEDED(VideoSample->GetVideoFormat(width, height, fourcc)))
        ApplyVideoFormat(width, height, fourcc);
}

void TVideoImage::ShowProperty() {
    KAMSEL_ASSERT_UI_THREAD();
    if (VideoSample)
        VideoSample->ShowPropertyDialog();
}

void TVideoImage::ShowProperty_Stream() {
    KAMSEL_ASSERT_UI_THREAD();
    if (!VideoSample)
        return;
    VideoSample->ShowStreamPropertyDialog();
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t fourcc = 0;
    if (com::FAILED(VideoSample->GetVideoFormat(width, height, fourcc))) {
        VideoStop();
        return;
    }
    ApplyVideoFormat(width, height, fourcc);
    RegisterSampleProcedure();
}

std::int32_t TVideoImage::GetVideoPropertySettings(std::int32_t Index, std::int32_t& Min, std::int32_t& Max,
                                                   std::int32_t& Step, std::int32_t& Default,
                                                   std::int32_t& Value, bool& Manual) {
    KAMSEL_ASSERT_UI_THREAD();
    // The capture object's outputs start at the defaults, so whatever it does
    // not write (a device without image controls) stays a default.
    com::LONG min = kNoMinimum, max = kNoMaximum, step = 0, defaultValue = 0, value = 0;
    com::LONG flags = 0; // anything but 1 reads as manual, the default
    Min = min;
    Max = max;
    Step = step;
    Default = defaultValue;
    Value = value;
    Manual = true;
    std::int32_t control = 0;
    if (!VideoSample || VideoPropertyIndex(Index, control) != 0)
        return 1;
    const com::HRESULT status =
        VideoSample->GetVideoPropertySettings(control, min, max, step, defaultValue, flags, value);
    if (com::FAILED(status))
        return status;
    Min = min;
    Max = max;
    Step = step;
    Default = defaultValue;
    Value = value;
    Manual = flags != kFlagsAutomatic;
    return status;
}

std::int32_t TVideoImage::SetVideoProperty(std::int32_t Index, std::int32_t Value, bool Manual) {
    KAMSEL_ASSERT_UI_THREAD();
    std::int32_t control = 0;
    if (!VideoSample || VideoPropertyIndex(Index, control) != 0)
        return 1;
    return VideoSample->SetVideoProperty(control, Manual ? kFlagsManual : kFlagsAutomatic, Value);
}

void TVideoImage::SetDisplayCanvas(Canvas* canvas) {
    DisplayCanvas = canvas;
}

// ---- streaming thread ----

void TVideoImage::SampleArrived(const std::uint8_t* Buffer, const std::int32_t& Length) noexcept {
    const std::int32_t length = Length;
    if (length < 0 || (length > 0 && Buffer == nullptr))
        return; // not a sample
    // The counter wraps like the 32-bit value it is.
    const auto count = std::int32_t(std::uint32_t(FrameCount.fetch_add(1, std::memory_order_relaxed)) + 1u);
    const std::uint32_t now = Ticks.Now();
    if (count % kRateWindow == 0)
        MeasureRate(now);
    if (UserInterfaceBusy(now)) {
        SkippedFrames.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    const int slot = ChooseProducerSlot();
    if (slot < 0 || !StoreSample(slot, Buffer, length)) {
        SkippedFrames.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    // Publishes the slot's contents to the user-interface thread (see
    // PinNewestSlot for the other half).
    CurrentSlot.store(slot, std::memory_order_seq_cst);
    try {
        MessageWindow->PostFrameMessage(length, slot);
    } catch (...) {
        // No memory for the message: the sample stays in its slot for the
        // next one, and counts as dropped. Not logged: that would need memory
        // too, on a thread that must not throw.
        SkippedFrames.fetch_add(1, std::memory_order_relaxed);
    }
    std::this_thread::yield();
}

void TVideoImage::MeasureRate(std::uint32_t now) noexcept {
    const std::uint32_t last = RateTick.load(std::memory_order_relaxed);
    if (last != 0) {
        const std::uint32_t elapsed = system::TicksBetween(last, now);
        // Thirty samples within one millisecond (a burst after a stall) give
        // no rate rather than an infinite one.
        if (elapsed != 0)
            FramesPerSecond.store(kRateWindowMilliseconds / double(elapsed), std::memory_order_relaxed);
    }
    RateTick.store(now, std::memory_order_relaxed);
}

bool TVideoImage::UserInterfaceBusy(std::uint32_t now) const noexcept {
    // A user-interface thread that is waiting for work is not busy, however
    // long ago it last ran empty: it runs empty again only after an event, and
    // the frame message is that event.
    if (IdleEvents->Waiting())
        return false;
    return system::TickDistance(now, IdleTick.load(std::memory_order_relaxed)) > kBusyMilliseconds;
}

int TVideoImage::ChooseProducerSlot() const noexcept {
    // Only this thread writes CurrentSlot.
    const int current = CurrentSlot.load(std::memory_order_relaxed);
    for (int step = 1; step < kSlotCount; ++step) {
        const int slot = (current + step) % kSlotCount;
        if (SlotReaders[std::size_t(slot)].load(std::memory_order_seq_cst) == 0)
            return slot;
    }
    return -1;
}

bool TVideoImage::StoreSample(int slot, const std::uint8_t* buffer, std::int32_t length) noexcept {
    const auto index = std::size_t(slot);
    if (length != SlotSize[index]) {
        std::unique_ptr<std::uint8_t[]> block;
        if (length > 0) {
            block.reset(new (std::nothrow) std::uint8_t[std::size_t(length)]);
            if (!block)
                return false;
        }
        SlotBuffer[index] = std::move(block);
        SlotSize[index] = length;
    }
    if (length > 0)
        std::memcpy(SlotBuffer[index].get(), buffer, std::size_t(length));
    SlotSerial[index] = ++LastSerial;
    return true;
}

// ---- user-interface thread ----

TVideoImage::SlotPin TVideoImage::PinNewestSlot() {
    // Announce the pin, then check the slot is still the newest. The producer
    // publishes CurrentSlot before it looks at the pins for its next sample,
    // all sequentially consistent: either it sees this pin and keeps off the
    // slot, or this check sees that the slot is no longer the newest and
    // tries again.
    for (;;) {
        const int slot = CurrentSlot.load(std::memory_order_seq_cst);
        SlotReaders[std::size_t(slot)].fetch_add(1, std::memory_order_seq_cst);
        if (CurrentSlot.load(std::memory_order_seq_cst) == slot)
            return SlotPin(*this, slot);
        SlotReaders[std::size_t(slot)].fetch_sub(1, std::memory_order_release);
    }
}

void TVideoImage::DecodeNewestSlot() {
    const SlotPin pin = PinNewestSlot();
    const std::size_t slot = pin.Slot();
    // A sample stored since the last decode makes the bitmap stale.
    if (SlotSerial[slot] != DecodedSerial)
        FrameDecoded = false;
    if (FrameDecoded)
        return;
    UnpackFrame(SlotSize[slot], SlotBuffer[slot].get());
    if (FrameDecoded)
        DecodedSerial = SlotSerial[slot];
}

void TVideoImage::PaintFrame() {
    KAMSEL_ASSERT_UI_THREAD();
    if (DisplayCanvas == nullptr)
        return;
    DecodeNewestSlot();
    // Someone else drawing on the canvas: skip this frame.
    if (!DisplayCanvas->TryLock())
        return;
    struct Unlock {
        Canvas& canvas;
        ~Unlock() { canvas.Unlock(); }
    } unlock{*DisplayCanvas};
    DisplayCanvas->Draw(0, 0, FrameBitmap);
}

void TVideoImage::GetBitmap(Bitmap24& target) {
    KAMSEL_ASSERT_UI_THREAD();
    DecodeNewestSlot();
    target.Assign(FrameBitmap);
}

bool TVideoImage::WndProc(QEvent& message) {
    KAMSEL_ASSERT_UI_THREAD();
    if (message.type() != FrameMessage)
        return MessageWindow->DefaultProc(message);
    if (FrameBusy) {
        // A nested event loop inside the frame procedure (a modal box)
        // dispatched the next frame message.
        SkippedFrames.fetch_add(1, std::memory_order_relaxed);
        return true;
    }
    FrameBusy = true;
    try {
        HandleFrameMessage();
    } catch (...) {
        // Still busy while the error box is open: frames that arrive meanwhile
        // are skipped instead of stacking up more boxes.
        Exceptions.HandleException();
    }
    FrameBusy = false;
    return true;
}

void TVideoImage::HandleFrameMessage() {
    FrameDecoded = false;
    PaintFrame();
    if (FrameCallback) {
        const SlotPin pin = PinNewestSlot();
        FrameCallback(*this, VideoWidth, VideoHeight, SlotBuffer[pin.Slot()].get());
    }
}

void TVideoImage::AppIdle(bool& done) {
    IdleTick.store(Ticks.Now(), std::memory_order_relaxed);
    done = true;
}

void TVideoImage::HandleGraphEvents() {
    KAMSEL_ASSERT_UI_THREAD();
    bool ended = false;
    QString reason;
    com::LONG code = 0;
    QString text;
    // Every queued event is taken, so that none is left for a later stream;
    // the first end tells why.
    while (VideoSample && VideoSample->GetGraphEvent(code, text) == com::S_OK)
        if (!ended && capture::TVideoSample::EndsStream(code)) {
            ended = true;
            reason = text;
        }
    if (!ended)
        return;
    VideoStop();
    if (!StreamEndCallback)
        return;
    // Called from the event loop: an error must not escape into the toolkit.
    try {
        StreamEndCallback(*this, reason);
    } catch (...) {
        Exceptions.HandleException();
    }
}

// ---- image controls ----

std::int32_t TVideoImage::VideoPropertyIndex(std::int32_t index, std::int32_t& control) {
    if (index < 0 || index >= std::int32_t(kControlNames.size()))
        return 1;
    control = index;
    return 0;
}

void GetVideoPropertyName(std::int32_t index, QString& name) {
    if (index < 0 || index >= std::int32_t(kControlNames.size()))
        return;
    name = QString::fromLatin1(kControlNames[std::size_t(index)]);
}

// Decoding of the newest sample into FrameBitmap.

void TVideoImage::InitYUVTables() {
    if (TablesReady)
        return;
    for (int i = 0; i < 256; ++i) {
        TableY[i] = YuvConverter::TermValue(YuvTerm::Y, i);
        TableUG[i] = YuvConverter::TermValue(YuvTerm::UG, i);
        TableUB[i] = YuvConverter::TermValue(YuvTerm::UB, i);
        TableVR[i] = YuvConverter::TermValue(YuvTerm::VR, i);
        TableVG[i] = YuvConverter::TermValue(YuvTerm::VG, i);
    }
    for (int k = -kClipZero; k <= kClipZero; ++k)
        ClipTable[std::size_t(k + kClipZero)] = YuvConverter::ClipValue(k);
    TablesReady = true;
}

const YuvConverter& TVideoImage::YuvRows() {
    if (!yuvRows_) {
        InitYUVTables();
        yuvRows_ = std::make_unique<const YuvConverter>(
            media::YuvTables{TableY.data(), TableUG.data(), TableUB.data(), TableVR.data(), TableVG.data(),
                             ClipTable.data() + kClipZero});
    }
    return *yuvRows_;
}

void TVideoImage::I420ToBitmap(const std::uint8_t* Buffer) {
    const YuvConverter& converter = YuvRows();
    const std::size_t w = std::size_t(FrameBitmap.Width());
    const int h = FrameBitmap.Height();
    const int pairs = int(w / 2);
    const std::uint8_t* first = Buffer + w * std::size_t(h);
    const std::uint8_t* second = first + w * std::size_t(h) / 4;
    const bool uFirst = VideoFourCC != kYV12;
    const std::uint8_t* uPlane = uFirst ? first : second;
    const std::uint8_t* vPlane = uFirst ? second : first;
    // Scan lines 2k and 2k + 1 share chroma row k; the luma is one continuous run.
    const std::size_t lumaRow = 2 * std::size_t(pairs);
    for (int r = 0; r < h; r += 2) {
        const std::size_t chromaRow = std::size_t(r / 2) * std::size_t(pairs);
        const bool two = r + 1 < h;
        converter.PlanarRows(Buffer + std::size_t(r) * lumaRow,
                             two ? Buffer + std::size_t(r + 1) * lumaRow : nullptr, uPlane + chromaRow,
                             vPlane + chromaRow, pairs, FrameBitmap.ScanLine(r),
                             two ? FrameBitmap.ScanLine(r + 1) : nullptr);
    }
}

void TVideoImage::YUY2ToBitmap(const std::uint8_t* Buffer) {
    const YuvConverter& converter = YuvRows();
    const int h = FrameBitmap.Height();
    const int pairs = FrameBitmap.Width() / 2;
    const std::uint8_t* source = Buffer;
    for (int r = 0; r < h; ++r) {
        converter.PackedRow(source, pairs, FrameBitmap.ScanLine(r));
        source += 4 * std::size_t(pairs);
    }
}

void TVideoImage::UnpackFrame(std::int32_t Length, const std::uint8_t* Buffer) {
    if (Buffer == nullptr)
        return;
    try {
        bool decoded = false;
        switch (VideoFourCC) {
        case kRgb:
            decoded = UnpackRgb(Length, Buffer);
            break;
        case kI420:
        case kIYUV:
        case kYV12:
            decoded = UnpackPlanar(Length, Buffer);
            break;
        case kYUY2:
        case kYUNV:
        case kYUYV:
            decoded = UnpackPacked(Length, Buffer);
            break;
        case kMJPG:
            decoded = UnpackCompressed(Length, Buffer);
            break;
        default:
            break;
        }
        if (!decoded)
            WriteFailureText(Length);
        FrameDecoded = true;
    } catch (const std::exception& error) {
        // Not a fault of the data (out of memory and the like): FrameDecoded
        // stays clear, so the next paint tries this slot again.
        qCWarning(system::CaptureLog, "A frame of %d bytes could not be decoded: %s", int(Length),
                  error.what());
    }
}

void TVideoImage::FitBitmapToVideo() {
    // The bitmap may still hold a compressed frame of another size or format;
    // the converters write by the bitmap's size, which must be the size whose
    // length was checked.
    FrameBitmap.SetFormat(PixelFormat::Bits24);
    FrameBitmap.SetSize(VideoWidth, VideoHeight);
    if (FrameBitmap.Width() != VideoWidth || FrameBitmap.Height() != VideoHeight)
        throw std::bad_alloc();
    // The pane usually still shares the last frame's pixels (GetBitmap). The
    // converters write every pixel of an even-width frame, so the old pixels
    // need not be copied first; an odd width leaves the last column as it was.
    if (VideoWidth % 2 == 0)
        FrameBitmap.UnshareForOverwrite();
}

bool TVideoImage::UnpackRgb(std::int64_t length, const std::uint8_t* buffer) {
    if (VideoWidth <= 0 || VideoHeight <= 0 || length != std::int64_t(VideoWidth) * VideoHeight * 3)
        return false;
    FitBitmapToVideo();
    FrameBitmap.CopyBottomUp(buffer);
    return true;
}

bool TVideoImage::UnpackPlanar(std::int64_t length, const std::uint8_t* buffer) {
    if (VideoWidth <= 0 || VideoHeight <= 0)
        return false;
    const std::int64_t pixels = std::int64_t(VideoWidth) * VideoHeight;
    if (length != pixels * 3 / 2)
        return false;
    // With an odd height the last chroma row of the second plane reaches past
    // (W * H * 3) div 2; such a sample is refused rather than over-read.
    const std::int64_t pairs = VideoWidth / 2;
    const std::int64_t end = pixels + pixels / 4 + ((VideoHeight - 1) / 2) * pairs + pairs;
    if (end > length)
        return false;
    FitBitmapToVideo();
    I420ToBitmap(buffer);
    return true;
}

bool TVideoImage::UnpackPacked(std::int64_t length, const std::uint8_t* buffer) {
    if (VideoWidth <= 0 || VideoHeight <= 0)
        return false;
    const std::int64_t rowBytes = std::int64_t(VideoWidth) * 2;
    const std::int64_t frameBytes = rowBytes * VideoHeight;
    // A longer sample carries more rows than the picture (a whole multiple of
    // four); its first VideoHeight rows are the picture.
    const bool fits = length == frameBytes || (length > frameBytes && (length / rowBytes) % 4 == 0);
    if (!fits)
        return false;
    FitBitmapToVideo();
    YUY2ToBitmap(buffer);
    return true;
}

bool TVideoImage::UnpackCompressed(std::int32_t length, const std::uint8_t* buffer) {
    if (length < 0)
        return false;
    // Writing the frame into the emptied stream gives the stream the frame's
    // length; setting that size first would only zero bytes overwritten at once.
    JpegStream.Clear();
    JpegStream.Write(buffer, std::size_t(length));
    JpegStream.SetPosition(0);
    if (GdiPlusAvailable()) {
        // The status is not examined: a frame GDI+ cannot read leaves the
        // previous picture, and a decoded one gives the bitmap its own size.
        StreamToBitmap(JpegStream, &FrameBitmap);
        return true;
    }
    try {
        JpegImage.LoadFromStream(JpegStream);
    } catch (const JpegError&) {
        return false;
    }
    JpegImage.Draw(FrameBitmap.GetCanvas(), 0, 0);
    return true;
}

void TVideoImage::WriteFailureText(std::int32_t length) {
    Canvas& canvas = FrameBitmap.GetCanvas();
    canvas.TextOut(0, 0, QStringLiteral("Unknown compression"));
    const int lineHeight = canvas.TextHeight(QStringLiteral("X"));
    canvas.TextOut(0, lineHeight,
                   QStringLiteral("DataSize: ") + QString::number(length) + QStringLiteral("  FourCC: ") +
                       QString::fromStdString(media::FourCCText(VideoFourCC, "RGB")));
}

} // namespace kamsel::frames
