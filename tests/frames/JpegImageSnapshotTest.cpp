// Snapshots through JpegImage: Assign, then SaveToFile; and rows handed in.

#include "JpegTestFrames.h"

#include "frames/JpegImage.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <random>
#include <sys/resource.h>
#include <unistd.h>

namespace kamsel::frames {
namespace {

using PixelFill = std::function<void(int x, int y, std::uint8_t* bgr)>;

void Fill(Bitmap24& b, int width, int height, const PixelFill& pixel) {
    b.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixel(x, y, b.ScanLine(y) + x * 3);
}

void Gradient(int width, int height, int x, int y, std::uint8_t* bgr) {
    bgr[0] = std::uint8_t(x * 255 / width);
    bgr[1] = std::uint8_t(y * 255 / height);
    bgr[2] = std::uint8_t(255 - (x + y) * 255 / (width + height));
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Largest difference of any colour byte between the source and the decoded file.
int MaxError(const Bitmap24& source, const QString& path) {
    const QByteArray bytes = ReadAll(path);
    JpegImage decoded;
    decoded.Load(reinterpret_cast<const std::uint8_t*>(bytes.data()), std::size_t(bytes.size()));
    EXPECT_EQ(decoded.Width(), source.Width());
    EXPECT_EQ(decoded.Height(), source.Height());
    int worst = 0;
    for (int y = 0; y < std::min(source.Height(), decoded.Height()); ++y)
        for (int i = 0; i < std::min(source.Width(), decoded.Width()) * 3; ++i)
            worst = std::max(worst, std::abs(source.ScanLine(y)[i] - decoded.Picture().ScanLine(y)[i]));
    return worst;
}

// Files in the folder other than the named ones (temporary files left behind).
QStringList Others(const QString& dir, const QStringList& expected) {
    QStringList names = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : expected)
        names.removeAll(name);
    return names;
}

// The markers of a JPEG file: code -> segment payload (after the length).
std::multimap<int, QByteArray> Segments(const QByteArray& file) {
    std::multimap<int, QByteArray> segments;
    int at = 2;
    while (at + 4 <= file.size() && std::uint8_t(file[at]) == 0xFF) {
        const int code = std::uint8_t(file[at + 1]);
        const int length = std::uint8_t(file[at + 2]) << 8 | std::uint8_t(file[at + 3]);
        segments.emplace(code, file.mid(at + 4, length - 2));
        if (code == 0xDA) // entropy-coded data follows
            break;
        at += 2 + length;
    }
    return segments;
}

// The quality-90 baseline table as libjpeg derives it from a standard table
// (natural order): scale 200 - 2 * 90 percent, rounded, clamped to 1..255.
std::vector<int> Quality90(const int (&standard)[64]) {
    std::vector<int> table;
    for (int v : standard)
        table.push_back(std::clamp((v * 20 + 50) / 100, 1, 255));
    return table;
}

// The standard tables of the JPEG standard's Annex K, natural order.
constexpr int kLuminance[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                                14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                                18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                                49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr int kChrominance[64] = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
                                  24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
                                  99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                                  99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

// DQT stores zigzag order: entry k is the natural position kZigzag[k].
constexpr int kZigzag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                             12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                             35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                             58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

std::vector<int> Natural(const QByteArray& dqtEntries) {
    std::vector<int> table(64);
    for (int k = 0; k < 64; ++k)
        table[std::size_t(kZigzag[k])] = std::uint8_t(dqtEntries[k]);
    return table;
}

TEST(JpegImageSnapshot, WritesABaselineQuality90FileInTrueColours) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Bitmap24 frame;
    Fill(frame, 96, 64, [](int x, int y, std::uint8_t* bgr) { test::Quadrants(96, 64, x, y, bgr); });
    JpegImage jpeg;
    jpeg.Assign(frame);
    const QString path = dir.filePath("Spy_0001.jpg");
    jpeg.SaveToFile(path);

    const auto segments = Segments(ReadAll(path));
    EXPECT_EQ(segments.count(0xC0), 1u) << "baseline frame header";
    EXPECT_EQ(segments.count(0xC2), 0u) << "not progressive";
    EXPECT_EQ(segments.count(0xDA), 1u) << "one scan: sequential";
    EXPECT_EQ(segments.count(0xE0), 1u) << "JFIF";
    const QByteArray sof = segments.find(0xC0)->second;
    ASSERT_EQ(sof.size(), 6 + 3 * 3);
    EXPECT_EQ(std::uint8_t(sof[0]), 8) << "8-bit samples";
    EXPECT_EQ((std::uint8_t(sof[1]) << 8) | std::uint8_t(sof[2]), 64);
    EXPECT_EQ((std::uint8_t(sof[3]) << 8) | std::uint8_t(sof[4]), 96);
    ASSERT_EQ(sof[5], 3) << "three components";
    EXPECT_EQ(std::uint8_t(sof[7]), 0x22) << "luma 2x2: chroma subsampled 4:2:0";
    EXPECT_EQ(std::uint8_t(sof[10]), 0x11);
    EXPECT_EQ(std::uint8_t(sof[13]), 0x11);

    // The tables may come in one DQT segment or in two.
    std::map<int, std::vector<int>> tables;
    for (auto [it, end] = segments.equal_range(0xDB); it != end; ++it)
        for (int at = 0; at + 65 <= it->second.size(); at += 65) {
            ASSERT_EQ(std::uint8_t(it->second[at]) >> 4, 0) << "8-bit (baseline) entries";
            tables[it->second[at] & 15] = Natural(it->second.mid(at + 1, 64));
        }
    EXPECT_EQ(tables[0], Quality90(kLuminance));
    EXPECT_EQ(tables[1], Quality90(kChrominance));

    // Red top-left, green top-right, blue bottom-left, white bottom-right:
    // no swapped channels. (Edges blur: chroma is upsampled smoothly.)
    const QByteArray bytes = ReadAll(path);
    JpegImage decoded;
    decoded.Load(reinterpret_cast<const std::uint8_t*>(bytes.data()), std::size_t(bytes.size()));
    for (auto [x, y] : {std::pair{24, 16}, std::pair{72, 16}, std::pair{24, 48}, std::pair{72, 48}})
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(decoded.Picture().ScanLine(y)[x * 3 + c], frame.ScanLine(y)[x * 3 + c], 4)
                << x << "," << y << " byte " << c;
}

// Rows gathered from two bitmaps, top row first, give the file of the bitmap
// they make up (an odd height, so that the last batch of rows is short), and
// the held picture is neither used nor replaced.
TEST(JpegImageSnapshot, RowsFromElsewhereEncodeLikeTheBitmapTheyMakeUp) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const int width = 48, height = 37, split = 11;
    // The top rows in other colours than the rest.
    const PixelFill pixel = [&](int x, int y, std::uint8_t* bgr) {
        Gradient(width, height, y < split ? width - 1 - x : x, y, bgr);
    };
    Bitmap24 whole, top, rest, held;
    Fill(whole, width, height, pixel);
    Fill(top, width, split, pixel);
    Fill(rest, width, height, [&](int x, int y, std::uint8_t* bgr) { Gradient(width, height, x, y, bgr); });
    Fill(held, 8, 8, [](int, int, std::uint8_t* bgr) { bgr[0] = bgr[1] = bgr[2] = 7; });
    JpegImage jpeg;
    jpeg.Assign(whole);
    jpeg.SaveToFile(dir.filePath("whole.jpg"));
    jpeg.Assign(held);
    jpeg.SaveRowsToFile(
        width, height, [&](int row) { return row < split ? top.ScanLine(row) : rest.ScanLine(row); },
        dir.filePath("rows.jpg"));
    EXPECT_EQ(ReadAll(dir.filePath("rows.jpg")), ReadAll(dir.filePath("whole.jpg")));
    EXPECT_EQ(jpeg.Width(), 8);
    EXPECT_EQ(jpeg.Picture().ScanLine(7)[0], 7);
}

TEST(JpegImageSnapshot, ReusesTheEncoderAcrossSizesAndReplacesFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("Spy_0002.jpg");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(1 << 20, 'x')); // longer than any snapshot below
    }
    // Each file is the one a new encoder writes: nothing of an earlier
    // picture carries over.
    const auto expectAsFresh = [&](const Bitmap24& frame) {
        JpegImage fresh;
        fresh.Assign(frame);
        fresh.SaveToFile(dir.filePath("fresh.jpg"));
        EXPECT_EQ(ReadAll(path), ReadAll(dir.filePath("fresh.jpg")))
            << frame.Width() << "x" << frame.Height();
        QFile::remove(dir.filePath("fresh.jpg"));
    };
    JpegImage jpeg;
    Bitmap24 frame;
    for (auto [w, h] : {std::pair{160, 120}, std::pair{37, 23}, std::pair{1, 1}, std::pair{160, 120}}) {
        Fill(frame, w, h, [w, h](int x, int y, std::uint8_t* bgr) { Gradient(w, h, x, y, bgr); });
        jpeg.Assign(frame);
        jpeg.SaveToFile(path);
        EXPECT_LE(MaxError(frame, path), 10) << w << "x" << h;
        expectAsFresh(frame);
    }
    // Noise compresses badly: more than the encoder's first buffer.
    std::mt19937 random(3);
    Fill(frame, 640, 480, [&](int, int, std::uint8_t* bgr) {
        for (int c = 0; c < 3; ++c)
            bgr[c] = std::uint8_t(random());
    });
    jpeg.Assign(frame);
    jpeg.SaveToFile(path);
    EXPECT_GT(QFile(path).size(), 256 * 1024);
    expectAsFresh(frame);
    EXPECT_EQ(Others(dir.path(), {"Spy_0002.jpg"}), QStringList());

    // Assign takes a copy: later drawing on the frame does not reach the file.
    Fill(frame, 64, 32, [](int x, int y, std::uint8_t* bgr) { Gradient(64, 32, x, y, bgr); });
    jpeg.Assign(frame);
    Bitmap24 copy;
    copy.Assign(frame);
    Fill(frame, 64, 32, [](int, int, std::uint8_t* bgr) { bgr[0] = bgr[1] = bgr[2] = 0; });
    jpeg.SaveToFile(path);
    EXPECT_LE(MaxError(copy, path), 10);
}

// Fails at the end: the message names the file and the system's reason, and
// neither a partial file nor a temporary one is left.
void ExpectFailure(JpegImage& jpeg, const QString& path, const char* reason) {
    try {
        jpeg.SaveToFile(path);
        ADD_FAILURE() << "no error for " << path.toStdString();
    } catch (const JpegError& error) {
        EXPECT_EQ(std::string(error.what()), "cannot write " + path.toStdString() + ": " + reason);
    }
}

TEST(JpegImageSnapshot, AFailedWriteLeavesNoPartialFileAndTheNextSaveWorks) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Bitmap24 frame;
    Fill(frame, 320, 240, [](int x, int y, std::uint8_t* bgr) { Gradient(320, 240, x, y, bgr); });
    JpegImage jpeg;

    // Nothing to encode: the library's reason, and the encoder still works.
    const QString empty = dir.filePath("empty.jpg");
    EXPECT_THROW(
        {
            try {
                jpeg.SaveToFile(empty);
            } catch (const JpegError& error) {
                EXPECT_EQ(std::string(error.what()).rfind("cannot write " + empty.toStdString() + ": ", 0),
                          0u)
                    << error.what();
                throw;
            }
        },
        JpegError);
    EXPECT_FALSE(QFile::exists(empty));
    jpeg.Assign(frame);

    // The folder is a file: nothing can be created in it.
    QFile plain(dir.filePath("Spy"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    ExpectFailure(jpeg, dir.filePath("Spy/Spy_0001.jpg"), "Not a directory");

    // The disk fills up in the middle of the file (a file size limit stands in
    // for the full disk): the earlier file under the name stays as it was.
    const QString path = dir.filePath("Spy_0003.jpg");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("earlier run");
    }
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    ExpectFailure(jpeg, path, "File too large");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(ReadAll(path), "earlier run");
    EXPECT_EQ(Others(dir.path(), {"Spy", "Spy_0003.jpg"}), QStringList());

    jpeg.SaveToFile(path);
    EXPECT_LE(MaxError(frame, path), 10);
}

TEST(JpegImageSnapshot, AnUnwritableFolderGivesAnErrorNamingTheFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    if (access(QFile::encodeName(dir.path()).constData(), W_OK) == 0) {
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        GTEST_SKIP() << "permissions do not bind this user (root)";
    }
    Bitmap24 frame;
    Fill(frame, 16, 16, [](int x, int y, std::uint8_t* bgr) { Gradient(16, 16, x, y, bgr); });
    JpegImage jpeg;
    jpeg.Assign(frame);
    ExpectFailure(jpeg, dir.filePath("Spy_0001.jpg"), "Permission denied");
    EXPECT_EQ(Others(dir.path(), {}), QStringList());
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace
} // namespace kamsel::frames
