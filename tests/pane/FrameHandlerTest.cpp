#include "pane/FrameHandler.h"
#include "tests/pane/FrameHandlerTestPeer.h"

#include "pane/SnapshotSequence.h"
#include "pane/SnapshotStamp.h"
#include "platform/system/LocalClock.h"
#include "platform/system/TickSource.h"
#include "support/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

namespace kamsel::pane {
namespace {

using frames::Bitmap24;

class FakeTicks final : public system::TickSource {
  public:
    std::uint32_t Now() const noexcept override { return now; }
    std::uint32_t now = 5000;
};

class FakeClock final : public system::LocalClock {
  public:
    QDateTime Now() const override { return now; }
    QDateTime now{QDate(2026, 12, 8), QTime(3, 0, 0)};
};

// Records what the handler shows.
class RecordingView final : public FrameView {
  public:
    int SelectedDisplayMode() const override { return mode; }
    void DrawFrame(const Bitmap24& bitmap) override {
        ++draws;
        drawnWidth = bitmap.Width();
        drawnFirstByte = bitmap.Width() > 0 ? bitmap.ScanLine(0)[0] : -1;
    }
    void SetRateCaption(const QString& text) override { rate = text; }
    void SetDifferenceCaption(const QString& text) override { difference = text; }

    int mode = -1;
    int draws = 0;
    int drawnWidth = 0;
    int drawnFirstByte = -1;
    QString rate, difference;
};

// Hands out frames of one grey level, the level changing when told.
class GreyFrames final : public FrameSource {
  public:
    void GetBitmap(Bitmap24& target) override {
        if (during)
            during();
        target.SetFormat(frames::PixelFormat::Bits24);
        target.SetSize(width, height);
        for (int r = 0; r < height; ++r)
            std::fill_n(target.ScanLine(r), 3 * width, level);
    }
    double FramesPerSecond() const override { return 30.0; }
    std::int32_t SkippedFrames() const override { return 2; }

    int width = 100, height = 100;
    std::uint8_t level = 0;
    std::function<void()> during;
};

class FrameHandlerTest : public ::testing::Test {
  protected:
    FrameHandlerTest() { handler.Init(folder.path() + u'/'); }

    FrameHandler::Services Fakes() {
        FrameHandler::Services fakes;
        fakes.Ticks = &ticks;
        fakes.Clock = &clock;
        fakes.Sequence = &sequence;
        fakes.SnapshotLimit = 3;
        return fakes;
    }

    // Frames until the handler has been called `count` times in all.
    void Deliver(int count) {
        while (handler.FrameCount() < count)
            handler.OnVideoFrame(frames);
    }

    QString SnapshotPath(int number) const {
        return folder.path() + QStringLiteral("/Spy/Spy_%1.jpg").arg(number, 4, 10, QLatin1Char('0'));
    }

    QTemporaryDir folder;
    FakeTicks ticks;
    FakeClock clock;
    SnapshotSequence sequence;
    FrameHandler::Services services = Fakes();
    RecordingView view;
    GreyFrames frames;
    FrameHandler handler{view, services};
};

TEST_F(FrameHandlerTest, RateCaptionEvery30CallsAcrossATickWrap) {
    ticks.now = 0xFFFFFF00u;
    Deliver(30); // only records the tick
    EXPECT_TRUE(view.rate.isEmpty());
    ticks.now += 1000; // wraps past 0
    Deliver(60);
    EXPECT_EQ(view.rate, QStringLiteral("fps: 30.0 [30.0] (0 [2] skipped)"));

    // Two marks in the same millisecond leave the caption as it was.
    Deliver(90);
    EXPECT_EQ(view.rate, QStringLiteral("fps: 30.0 [30.0] (0 [2] skipped)"));

    // A restart measures afresh: the first mark after it only records.
    handler.VideoStarted();
    ticks.now += 60000;
    Deliver(30);
    ticks.now += 2000;
    Deliver(60);
    EXPECT_EQ(view.rate, QStringLiteral("fps: 15.0 [30.0] (0 [2] skipped)"));
}

TEST_F(FrameHandlerTest, NestedCallsAreCountedAsSkippedOnly) {
    frames.during = [&] {
        frames.during = nullptr;
        handler.OnVideoFrame(frames);
    };
    const int frameBefore = FrameHandlerTestPeer::CurFrame(handler);
    handler.OnVideoFrame(frames);
    EXPECT_EQ(handler.FrameCount(), 2);
    EXPECT_EQ(handler.SkipCount(), 1);
    EXPECT_EQ(FrameHandlerTestPeer::CurFrame(handler), 1 - frameBefore);
    EXPECT_EQ(view.draws, 1);
    EXPECT_FALSE(FrameHandlerTestPeer::Busy(handler));
}

TEST_F(FrameHandlerTest, ModesPaintAndMeasure) {
    frames.level = 200;
    handler.OnVideoFrame(frames); // nothing selected: the frame as it is
    EXPECT_EQ(view.drawnFirstByte, 200);
    EXPECT_TRUE(view.difference.isEmpty());

    view.mode = kInverted;
    handler.OnVideoFrame(frames);
    EXPECT_EQ(view.drawnFirstByte, 55);
    EXPECT_EQ(view.difference, QStringLiteral("Diff-Ratio: 0.000%"));

    view.mode = kDifferenceMap;
    frames.level = 0; // every compared byte changes by 200
    handler.OnVideoFrame(frames);
    EXPECT_DOUBLE_EQ(FrameHandlerTestPeer::DiffRatio(handler), 0.98);
    EXPECT_EQ(view.difference, QStringLiteral("Diff-Ratio: 98.000%"));

    view.mode = kNormal; // ratio and caption keep their last values
    handler.OnVideoFrame(frames);
    EXPECT_DOUBLE_EQ(FrameHandlerTestPeer::DiffRatio(handler), 0.98);
    EXPECT_EQ(view.difference, QStringLiteral("Diff-Ratio: 98.000%"));
}

TEST_F(FrameHandlerTest, SurveillanceSavesChangedFramesUpToTheLimit) {
    view.mode = kSurveillance;
    handler.OnVideoFrame(frames); // the first frame is compared with an empty bitmap
    EXPECT_FALSE(QFile::exists(SnapshotPath(1)));

    // The two panes of a process number their files from one sequence.
    RecordingView otherView;
    otherView.mode = kSurveillance;
    FrameHandler other(otherView, services);
    other.Init(folder.path() + u'/');
    GreyFrames otherFrames;
    other.OnVideoFrame(otherFrames);
    otherFrames.level = 255;
    other.OnVideoFrame(otherFrames);
    EXPECT_TRUE(QFile::exists(SnapshotPath(1)));

    for (int i = 0; i < 4; ++i) {
        frames.level = static_cast<std::uint8_t>(frames.level ^ 0xFF);
        handler.OnVideoFrame(frames);
    }
    // This handler's limit is 3 attempts: files 2, 3 and 4, nothing for the 4th.
    EXPECT_EQ(handler.SnapshotCount(), 4);
    EXPECT_TRUE(QFile::exists(SnapshotPath(4)));
    EXPECT_FALSE(QFile::exists(SnapshotPath(5)));

    const QImage saved(SnapshotPath(4));
    EXPECT_EQ(saved.size(), QSize(100, 100));
    EXPECT_GT(qGreen(saved.pixel(60, 20)), 247); // file 4 holds a white frame; the stamp is in the corners
}

// Single bytes on a black frame, each far from the others: 190 maps to 188
// (its neighbours' smoothed changes stay below 48), 116 to 40, and 255 to 255
// plus 60 on each side. Ten 190s, one 116 and one 255 make 2295 of
// 3 * 100 * 100 * 255 = 7650000: 0.0003 exactly.
class SparseChanges final : public FrameSource {
  public:
    void GetBitmap(Bitmap24& target) override {
        target.SetSize(100, 100);
        for (int r = 0; r < 100; ++r)
            std::fill_n(target.ScanLine(r), 300, std::uint8_t{0});
        if (!changed)
            return;
        for (int r = 0; r < 10; ++r)
            target.ScanLine(r)[150] = 190;
        target.ScanLine(10)[150] = 116;
        target.ScanLine(11)[150] = 255;
        if (oneMore)
            target.ScanLine(12)[150] = 116;
    }
    double FramesPerSecond() const override { return 0; }
    std::int32_t SkippedFrames() const override { return 0; }
    bool changed = false;
    bool oneMore = false;
};

TEST_F(FrameHandlerTest, RatioExactlyAtTheThresholdSavesNothing) {
    view.mode = kSurveillance;
    SparseChanges changes;
    handler.OnVideoFrame(changes);
    changes.changed = true;
    handler.OnVideoFrame(changes);
    EXPECT_EQ(FrameHandlerTestPeer::DiffRatio(handler), 0.0003);
    EXPECT_EQ(handler.SnapshotCount(), 0);

    changes.changed = false;
    handler.OnVideoFrame(changes);
    changes.changed = changes.oneMore = true;
    handler.OnVideoFrame(changes);
    EXPECT_GT(FrameHandlerTestPeer::DiffRatio(handler), 0.0003);
    EXPECT_EQ(handler.SnapshotCount(), 1);
}

// Frames of a fine texture, shared with the source's own bitmap the way the
// facade shares its frame with the pane.
class TexturedFrames final : public FrameSource {
  public:
    TexturedFrames(int w, int h) : width(w), height(h) {}
    void GetBitmap(Bitmap24& target) override {
        held.UnshareForOverwrite();
        held.SetSize(width, height);
        for (int r = 0; r < height; ++r)
            for (int i = 0; i < 3 * width; ++i)
                held.ScanLine(r)[i] = Byte(r, i);
        target.Assign(held);
    }
    std::uint8_t Byte(int r, int i) const { return static_cast<std::uint8_t>(r * 7 + i * 13 + seed * 101); }
    bool Unchanged(const Bitmap24& bitmap) const {
        for (int r = 0; r < height; ++r)
            for (int i = 0; i < 3 * width; ++i)
                if (bitmap.ScanLine(r)[i] != Byte(r, i))
                    return false;
        return true;
    }
    double FramesPerSecond() const override { return 0; }
    std::int32_t SkippedFrames() const override { return 0; }

    int width, height, seed = 0;
    Bitmap24 held;
};

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The snapshot is byte for byte the one of a stamped copy of the frame, and
// the frame (with the bitmap sharing it) is left as it was, also on frames
// too small for the stamp's bands to be apart.
TEST_F(FrameHandlerTest, SnapshotIsTheStampedFrameAndLeavesTheFrameAsItWas) {
    view.mode = kSurveillance;
    int number = 0;
    for (const QSize size : {QSize(160, 120), QSize(64, 40)}) {
        TexturedFrames textured(size.width(), size.height());
        handler.OnVideoFrame(textured);
        textured.seed = 1;
        handler.OnVideoFrame(textured);
        ASSERT_EQ(handler.SnapshotCount(), ++number);
        EXPECT_TRUE(textured.Unchanged(textured.held));
        EXPECT_TRUE(textured.Unchanged(FrameHandlerTestPeer::NewestFrame(handler)));

        Bitmap24 copy;
        copy.Assign(textured.held);
        copy.GetCanvas().Font().setFamily(QStringLiteral("Arial"));
        copy.GetCanvas().Font().setPixelSize(13);
        DrawStamp(copy.GetCanvas(), copy.Height(), clock.now, StampText(clock.now, QLocale()));
        frames::JpegImage jpeg;
        jpeg.Assign(copy);
        const QString expected = folder.path() + QStringLiteral("/expected.jpg");
        jpeg.SaveToFile(expected);
        const QByteArray saved = FileBytes(SnapshotPath(number));
        EXPECT_FALSE(saved.isEmpty());
        EXPECT_EQ(saved, FileBytes(expected)) << size.width() << "x" << size.height();
    }
}

// A file where the folder should be: the folder cannot be made, every save
// fails until the file goes. Only the first failure of the episode reaches
// the caller (and so the user's error box); the log tells its start and its
// end, and the failed attempts use up no file number.
TEST_F(FrameHandlerTest, FailedSnapshotsAreShownOncePerEpisodeAndSavingResumes) {
    test::LogCapture log("kamsel.snapshot");
    QFile blocker(folder.path() + QStringLiteral("/Spy"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    view.mode = kSurveillance;
    handler.OnVideoFrame(frames);
    auto changedFrame = [&] {
        frames.level = static_cast<std::uint8_t>(frames.level ^ 0xFF);
        handler.OnVideoFrame(frames);
    };
    try {
        changedFrame();
        FAIL() << "the first failed save should reach the caller";
    } catch (const std::exception& error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).contains(QStringLiteral("Spy_0001.jpg"))) << error.what();
    }
    EXPECT_FALSE(FrameHandlerTestPeer::Busy(handler));
    for (int i = 0; i < 5; ++i) // more failures than the pane's 3 attempts
        EXPECT_NO_THROW(changedFrame());
    EXPECT_EQ(handler.Failures().Unsaved(), 6);
    EXPECT_EQ(handler.SnapshotCount(), 0);

    ASSERT_TRUE(QFile::remove(blocker.fileName()));
    changedFrame();
    EXPECT_TRUE(QFile::exists(SnapshotPath(1)));
    EXPECT_FALSE(handler.Failures().Active());
    EXPECT_EQ(handler.SkipCount(), 0);
    const std::vector<QString> texts = log.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_TRUE(texts[0].contains(QStringLiteral("Spy_0001.jpg"))) << texts[0].toStdString();
    EXPECT_TRUE(texts[1].contains(QStringLiteral("6 frames were not saved"))) << texts[1].toStdString();

    // A new episode after a change of mode, or after a new start, is shown again.
    ASSERT_TRUE(QDir(folder.path()).rename(QStringLiteral("Spy"), QStringLiteral("Gone")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_THROW(changedFrame(), std::exception);
    EXPECT_NO_THROW(changedFrame());
    view.mode = kHighlightedDifferences;
    changedFrame();
    view.mode = kSurveillance;
    EXPECT_THROW(changedFrame(), std::exception);
    handler.VideoStarted();
    EXPECT_THROW(changedFrame(), std::exception);
}

TEST_F(FrameHandlerTest, WithoutAFolderForSnapshotsTheSaveFails) {
    FrameHandler homeless(view, services);
    homeless.Init(QString());
    view.mode = kSurveillance;
    homeless.OnVideoFrame(frames);
    frames.level = 255;
    try {
        homeless.OnVideoFrame(frames);
        FAIL() << "the save should fail";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("no folder"), std::string::npos) << error.what();
    }
    EXPECT_EQ(homeless.SnapshotCount(), 0);
}

} // namespace
} // namespace kamsel::pane
