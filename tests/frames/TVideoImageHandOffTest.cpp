// The frame facade's hand-off: samples arrive on a streaming thread with a
// clock the test drives, frame messages are handled on this (the
// user-interface) thread.

#include "FacadeTestSupport.h"
#include "tests/frames/TVideoImageTestPeer.h"

#include "frames/FrameMessageWindow.h"
#include "frames/IdleNotifier.h"

#include <QEventLoop>
#include <QMetaObject>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace kamsel::frames {
namespace {

using test::Deliver;
using test::ErrorRecorder;
using test::FakeTickSource;
using test::HandlePostedEvents;
using test::OnStreamingThread;
using test::Sample;

constexpr std::uint32_t kYUY2 = FourCC("YUY2");

class TVideoImageHandOff : public ::testing::Test {
  protected:
    TVideoImageHandOff() {
        TVideoImage::Services services;
        services.Ticks = &clock;
        services.Exceptions = &errors.handler;
        image = std::make_unique<TVideoImage>(services);
        image->FrameCallback = [this](TVideoImage&, std::int32_t, std::int32_t, const std::uint8_t* buffer) {
            ++frames;
            lastBuffer = buffer;
            lastSlot = TVideoImageTestPeer::CurrentSlot(*image);
            if (onFrame)
                onFrame(buffer);
        };
    }

    // An idle notification at the clock's current tick.
    void IdleNow() {
        bool done = false;
        image->AppIdle(done);
        EXPECT_TRUE(done);
    }

    void Arrive(const std::vector<std::uint8_t>& sample) {
        OnStreamingThread([&] { Deliver(*image, sample); });
    }

    void UseRgb(int width, int height) {
        image->VideoWidth = width;
        image->VideoHeight = height;
        image->VideoFourCC = 0;
    }

    FakeTickSource clock{50000};
    ErrorRecorder errors;
    std::unique_ptr<TVideoImage> image;
    int frames = 0;
    const std::uint8_t* lastBuffer = nullptr;
    int lastSlot = -1;
    std::function<void(const std::uint8_t*)> onFrame;
};

// ---- arrival rate ----

TEST_F(TVideoImageHandOff, RateIsMeasuredOverThirtySampleWindowsFromTheSixtiethSample) {
    const auto sample = Sample(16, 0);
    std::vector<double> rates;
    OnStreamingThread([&] {
        for (int n = 1; n <= 90; ++n) {
            Deliver(*image, sample);
            rates.push_back(image->FramesPerSecond.load());
            clock.Advance(33);
        }
    });
    for (int n = 1; n <= 59; ++n)
        EXPECT_EQ(rates[std::size_t(n - 1)], 0.0) << "sample " << n;
    EXPECT_NEAR(rates[59], 30000.0 / 990.0, 1e-9);
    EXPECT_NEAR(rates[89], 30000.0 / 990.0, 1e-9);
    EXPECT_EQ(TVideoImageTestPeer::FrameCount(*image), 90);
    // Dropped samples count for the rate: no idle notification came, so all
    // of them were dropped.
    EXPECT_EQ(image->SkippedFrames.load(), 90);
}

TEST_F(TVideoImageHandOff, RateStaysPositiveWhenTheTicksWrap) {
    clock.Set(0xFFFFFFFFu - 1000u); // the 60th sample comes after the wrap
    const auto sample = Sample(16, 0);
    OnStreamingThread([&] {
        for (int n = 1; n <= 60; ++n) {
            Deliver(*image, sample);
            clock.Advance(33);
        }
    });
    EXPECT_LT(clock.Now(), 2000u);
    EXPECT_NEAR(image->FramesPerSecond.load(), 30000.0 / 990.0, 1e-9);
}

TEST_F(TVideoImageHandOff, ThirtySamplesWithinOneTickGiveNoRateInsteadOfAnInfiniteOne) {
    const auto sample = Sample(16, 0);
    OnStreamingThread([&] {
        for (int n = 1; n <= 30; ++n)
            Deliver(*image, sample); // tick of the first window
        clock.Advance(500);
        for (int n = 31; n <= 60; ++n)
            Deliver(*image, sample);
        const double first = image->FramesPerSecond.load();
        for (int n = 61; n <= 90; ++n)
            Deliver(*image, sample); // same tick as the 60th
        EXPECT_NEAR(first, 60.0, 1e-9);
        EXPECT_EQ(image->FramesPerSecond.load(), first);
    });
}

TEST_F(TVideoImageHandOff, StoppingClearsTheRate) {
    const auto sample = Sample(16, 0);
    OnStreamingThread([&] {
        for (int n = 1; n <= 60; ++n) {
            Deliver(*image, sample);
            clock.Advance(20);
        }
    });
    ASSERT_GT(image->FramesPerSecond.load(), 0.0);
    image->VideoStop();
    EXPECT_EQ(image->FramesPerSecond.load(), 0.0);
}

// ---- the busy rule ----

TEST_F(TVideoImageHandOff, SamplesAreDroppedUntilTheFirstIdleNotification) {
    Arrive(Sample(16, 1));
    EXPECT_EQ(image->SkippedFrames.load(), 1);
    EXPECT_EQ(TVideoImageTestPeer::CurrentSlot(*image), 0);
    HandlePostedEvents();
    EXPECT_EQ(frames, 0); // nothing was posted
}

TEST_F(TVideoImageHandOff, IdleRuleAcceptsAtOneSecondAndDropsAfterIt) {
    IdleNow(); // at 50000
    clock.Set(51000);
    Arrive(Sample(16, 1));
    EXPECT_EQ(image->SkippedFrames.load(), 0);
    EXPECT_EQ(TVideoImageTestPeer::CurrentSlot(*image), 1);

    clock.Set(51001);
    Arrive(Sample(16, 2));
    EXPECT_EQ(image->SkippedFrames.load(), 1);
    EXPECT_EQ(TVideoImageTestPeer::CurrentSlot(*image), 1); // nothing copied

    // A tick before the notification counts by its distance as well.
    clock.Set(49000);
    Arrive(Sample(16, 3));
    clock.Set(48999);
    Arrive(Sample(16, 4));
    EXPECT_EQ(image->SkippedFrames.load(), 2);
    EXPECT_EQ(TVideoImageTestPeer::CurrentSlot(*image), 2);

    // One frame message per accepted sample.
    HandlePostedEvents();
    EXPECT_EQ(frames, 2);
    EXPECT_EQ(TVideoImageTestPeer::FrameCount(*image), 4);
}

TEST_F(TVideoImageHandOff, IdleRuleMeasuresAcrossTheWrap) {
    clock.Set(0xFFFFFF00u);
    IdleNow();
    clock.Set(0x000002E0u); // 992 ms later
    Arrive(Sample(16, 1));
    clock.Set(0x000002E9u); // 1001 ms later
    Arrive(Sample(16, 2));
    EXPECT_EQ(image->SkippedFrames.load(), 1);
    EXPECT_EQ(TVideoImageTestPeer::CurrentSlot(*image), 1);
}

TEST_F(TVideoImageHandOff, AThreadHandlingAnEventIsBusy) {
    IdleNow();
    int dropped = -1;
    onFrame = [&](const std::uint8_t*) {
        if (frames > 1)
            return;
        // The user-interface thread is inside a handler, not waiting: a sample
        // more than a second after its last idle notification is dropped.
        clock.Advance(5000);
        Arrive(Sample(16, 2));
        dropped = image->SkippedFrames.load();
    };
    Arrive(Sample(16, 1));
    HandlePostedEvents();
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(dropped, 1);
}

TEST_F(TVideoImageHandOff, AThreadWaitingForWorkIsNotBusyHoweverLongItWaits) {
    // The loop runs empty and waits. Without samples no event comes, so no
    // further idle notification either; the next sample must still get
    // through, or the stream would never start again.
    QEventLoop loop;
    onFrame = [&](const std::uint8_t*) { loop.quit(); };
    std::thread streaming([&] {
        while (!TVideoImageTestPeer::IdleEvents(*image).Waiting())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        clock.Advance(60000);
        Deliver(*image, Sample(16, 1));
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit); // safety only
    loop.exec();
    streaming.join();
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(image->SkippedFrames.load(), 0);
}

// ---- the ring ----

TEST_F(TVideoImageHandOff, FourSamplesFillSlotsOneTwoZeroOneAndEveryMessageShowsTheNewest) {
    IdleNow();
    std::vector<int> filled;
    for (std::uint8_t value = 1; value <= 4; ++value) {
        Arrive(Sample(32, value));
        filled.push_back(TVideoImageTestPeer::CurrentSlot(*image));
    }
    EXPECT_EQ(filled, (std::vector<int>{1, 2, 0, 1}));
    EXPECT_EQ(TVideoImageTestPeer::SlotSize(*image, 0), 32);
    EXPECT_EQ(TVideoImageTestPeer::SlotSize(*image, 2), 32);

    UseRgb(4, 2); // 4 x 2 x 3 = 24 bytes would fit; 32 gives the failure text
    std::vector<std::uint8_t> firstBytes;
    onFrame = [&](const std::uint8_t* buffer) { firstBytes.push_back(buffer[0]); };
    HandlePostedEvents();
    EXPECT_EQ(frames, 4);
    EXPECT_EQ(lastSlot, 1);
    EXPECT_EQ(lastBuffer, TVideoImageTestPeer::SlotBuffer(*image, 1));
    EXPECT_EQ(firstBytes, (std::vector<std::uint8_t>{4, 4, 4, 4}));
}

TEST_F(TVideoImageHandOff, ALengthChangeReallocatesOnlyThatSlot) {
    IdleNow();
    for (std::uint8_t value = 1; value <= 3; ++value)
        Arrive(Sample(614400, value)); // slots 1, 2, 0
    const std::uint8_t* block0 = TVideoImageTestPeer::SlotBuffer(*image, 0);
    const std::uint8_t* block2 = TVideoImageTestPeer::SlotBuffer(*image, 2);

    Arrive(Sample(460800, 4)); // slot 1
    EXPECT_EQ(TVideoImageTestPeer::SlotSize(*image, 1), 460800);
    EXPECT_EQ(TVideoImageTestPeer::SlotBuffer(*image, 1)[460799], 4);
    EXPECT_EQ(TVideoImageTestPeer::SlotSize(*image, 0), 614400);
    EXPECT_EQ(TVideoImageTestPeer::SlotSize(*image, 2), 614400);
    EXPECT_EQ(TVideoImageTestPeer::SlotBuffer(*image, 0), block0);
    EXPECT_EQ(TVideoImageTestPeer::SlotBuffer(*image, 2), block2);

    Arrive(Sample(614400, 5)); // slot 2, same length: the block is reused
    EXPECT_EQ(TVideoImageTestPeer::SlotBuffer(*image, 2), block2);
    EXPECT_EQ(TVideoImageTestPeer::SlotBuffer(*image, 2)[614399], 5);

    Arrive(Sample(0, 0)); // slot 0: an empty sample leaves no block
    EXPECT_EQ(TVideoImageTestPeer::SlotSize(*image, 0), 0);
    EXPECT_EQ(TVideoImageTestPeer::SlotBuffer(*image, 0), nullptr);
}

TEST_F(TVideoImageHandOff, TheProducerKeepsOffTheSlotTheFrameProcedureHolds) {
    IdleNow();
    UseRgb(2, 2);
    std::vector<int> slotsWhileHeld;
    bool heldBufferIntact = true;
    onFrame = [&](const std::uint8_t* buffer) {
        if (frames > 1)
            return;
        // Holding slot 1 (value 1). Five more samples: each goes to a slot
        // not held; the held one keeps its bytes.
        for (std::uint8_t value = 2; value <= 6; ++value) {
            Arrive(Sample(12, value));
            slotsWhileHeld.push_back(TVideoImageTestPeer::CurrentSlot(*image));
        }
        for (int i = 0; i < 12; ++i)
            heldBufferIntact = heldBufferIntact && buffer[i] == 1;
    };
    Arrive(Sample(12, 1));
    HandlePostedEvents();
    EXPECT_TRUE(heldBufferIntact);
    EXPECT_EQ(slotsWhileHeld, (std::vector<int>{2, 0, 2, 0, 2}));
    EXPECT_EQ(image->SkippedFrames.load(), 0);
}

TEST_F(TVideoImageHandOff, TheFrameProcedureCanFetchASampleNewerThanItsBuffer) {
    IdleNow();
    UseRgb(2, 2);
    Bitmap24 copy;
    std::uint8_t heldByte = 0;
    onFrame = [&](const std::uint8_t* buffer) {
        if (frames > 1)
            return;
        // The procedure holds slot 1 while the newest moves on to slot 2;
        // fetching decodes slot 2 and leaves the held bytes alone.
        Arrive(Sample(12, 2));
        image->GetBitmap(copy);
        heldByte = buffer[11];
    };
    Arrive(Sample(12, 1));
    HandlePostedEvents();
    EXPECT_EQ(copy.ScanLine(0)[0], 2);
    EXPECT_EQ(heldByte, 1);
}

// ---- frame messages ----

TEST_F(TVideoImageHandOff, AFrameProcedureWithANestedLoopSkipsTheMessagesItDispatches) {
    IdleNow();
    onFrame = [&](const std::uint8_t*) {
        if (frames > 1)
            return;
        // As a modal message box would: run a loop that dispatches the three
        // frame messages queued meanwhile.
        QEventLoop nested;
        OnStreamingThread([&] {
            for (std::uint8_t value = 2; value <= 4; ++value)
                Deliver(*image, Sample(16, value));
        });
        QMetaObject::invokeMethod(&nested, &QEventLoop::quit, Qt::QueuedConnection);
        nested.exec();
    };
    Arrive(Sample(16, 1));
    HandlePostedEvents();
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(image->SkippedFrames.load(), 3);
    EXPECT_FALSE(TVideoImageTestPeer::FrameBusy(*image));

    Arrive(Sample(16, 5)); // handled normally again
    HandlePostedEvents();
    EXPECT_EQ(frames, 2);
}

TEST_F(TVideoImageHandOff, AnErrorInTheFrameProcedureIsReportedAndTheStreamGoesOn) {
    IdleNow();
    int skippedDuringBox = -1;
    errors.whileShown = [&] {
        // The box is modal: a frame message dispatched while it is open is
        // skipped rather than opening another box.
        OnStreamingThread([&] { Deliver(*image, Sample(16, 9)); });
        QEventLoop box;
        QMetaObject::invokeMethod(&box, &QEventLoop::quit, Qt::QueuedConnection);
        box.exec();
        skippedDuringBox = image->SkippedFrames.load();
    };
    onFrame = [&](const std::uint8_t*) {
        if (frames == 1)
            throw std::runtime_error("Camera went away");
    };
    Arrive(Sample(16, 1));
    HandlePostedEvents();
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0], QStringLiteral("Camera went away"));
    EXPECT_EQ(skippedDuringBox, 1);
    EXPECT_FALSE(TVideoImageTestPeer::FrameBusy(*image));

    Arrive(Sample(16, 2));
    HandlePostedEvents();
    EXPECT_EQ(frames, 2);
    EXPECT_EQ(errors.messages.size(), 1u);
}

TEST_F(TVideoImageHandOff, OtherEventsOfTheWindowGetTheDefaultHandling) {
    bool ran = false;
    QMetaObject::invokeMethod(
        &TVideoImageTestPeer::MessageWindow(*image), [&] { ran = true; }, Qt::QueuedConnection);
    HandlePostedEvents();
    EXPECT_TRUE(ran);
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(image->SkippedFrames.load(), 0);
}

TEST_F(TVideoImageHandOff, AMessageQueuedAtStopStillShowsTheLastSample) {
    IdleNow();
    UseRgb(2, 1);
    Arrive(Sample(6, 7));
    image->VideoStop();
    Bitmap24 copy;
    onFrame = [&](const std::uint8_t*) { image->GetBitmap(copy); };
    HandlePostedEvents();
    EXPECT_EQ(frames, 1);
    ASSERT_EQ(copy.Width(), 2);
    EXPECT_EQ(copy.ScanLine(0)[0], 7);
}

TEST_F(TVideoImageHandOff, DestroyingTheFacadeDiscardsQueuedMessages) {
    IdleNow();
    Arrive(Sample(16, 1));
    image.reset();
    HandlePostedEvents(); // nothing left to deliver to a window that is gone
    EXPECT_EQ(frames, 0);
}

// ---- decoding on demand ----

TEST_F(TVideoImageHandOff, GetBitmapDecodesTheNewestSampleOnce) {
    IdleNow();
    UseRgb(2, 1);
    Arrive(Sample(6, 10));
    Bitmap24 copy;
    image->GetBitmap(copy);
    EXPECT_EQ(copy.ScanLine(0)[0], 10);
    EXPECT_TRUE(TVideoImageTestPeer::FrameDecoded(*image));

    // A newer sample, its message not yet handled: the bitmap is stale.
    Arrive(Sample(6, 11));
    image->GetBitmap(copy);
    EXPECT_EQ(copy.ScanLine(0)[0], 11);

    // Scribbling on FrameBitmap shows whether a second fetch decodes again.
    TVideoImageTestPeer::FrameBitmap(*image).ScanLine(0)[0] = 99;
    image->GetBitmap(copy);
    EXPECT_EQ(copy.ScanLine(0)[0], 99);
}

TEST_F(TVideoImageHandOff, PaintFrameDrawsOnTheCanvasUnlessItIsLocked) {
    IdleNow();
    UseRgb(2, 2);
    Bitmap24 screen(4, 4);
    image->PaintFrame(); // no canvas: nothing decoded
    Arrive(Sample(12, 200));
    image->PaintFrame();
    EXPECT_FALSE(TVideoImageTestPeer::FrameDecoded(*image));

    image->SetDisplayCanvas(&screen.GetCanvas());
    ASSERT_TRUE(screen.GetCanvas().TryLock()); // someone else draws
    HandlePostedEvents();
    EXPECT_TRUE(TVideoImageTestPeer::FrameDecoded(*image));
    EXPECT_EQ(screen.ScanLine(0)[0], 0);
    screen.GetCanvas().Unlock();

    image->PaintFrame();
    EXPECT_EQ(screen.ScanLine(0)[0], 200);
    EXPECT_EQ(screen.ScanLine(1)[3], 200);
    EXPECT_EQ(screen.ScanLine(2)[0], 0); // drawn at its own size only
    EXPECT_FALSE(screen.GetCanvas().Locked());
}

TEST_F(TVideoImageHandOff, AMessageBeforeAnySampleGivesAnEmptyBuffer) {
    image->VideoWidth = 4;
    image->VideoHeight = 2;
    image->VideoFourCC = kYUY2;
    TVideoImageTestPeer::MessageWindow(*image).PostFrameMessage(0, 0);
    Bitmap24 copy;
    onFrame = [&](const std::uint8_t*) { image->GetBitmap(copy); };
    HandlePostedEvents();
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(lastBuffer, nullptr);
    EXPECT_FALSE(TVideoImageTestPeer::FrameDecoded(*image));
}

} // namespace
} // namespace kamsel::frames
