// The whole program as a user meets it: the real kamseldemo in a private X
// server, driven with real input events (xdotool) at the places where the
// window's layout puts its controls, with two virtual cameras: the drawn
// pattern and a generated noise clip.
//
// Layout facts used here: the window is 776 x 600 and centred (no window
// manager, so no frame); the left panel is 386 wide, the splitter 7; each pane
// sits 1 pixel inside its panel's bevel; the pane's controls have fixed
// places; the menu bar's height is whatever the toolkit gives the window's
// menu in its font, measured here with the same toolkit on the same server.

#include "ChildProcess.h"
#include "XvfbServer.h"
#include "pane/DesignFont.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <glob.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>

namespace kamsel::e2e {
namespace {

using namespace std::chrono_literals;

constexpr int kWindowWidth = 776;
constexpr int kWindowHeight = 600;
constexpr int kLeftPanelWidth = 386;
constexpr int kSplitterWidth = 7;
constexpr int kBevel = 1;
// Places inside a pane (left, top, width, height).
constexpr QRect kComboBoxCams(8, 16, 193, 21);
constexpr QRect kRunVideo(216, 14, 23, 22);
constexpr QRect kStop(264, 14, 23, 22);
constexpr QRect kComboBoxDisplayMode(8, 56, 193, 21);
constexpr QPoint kPaintBoxOrigin(8, 104 + 32);
// The pattern camera's first mode, and the clip's size.
constexpr QSize kPatternSize(640, 480);
constexpr QSize kClipSize(160, 120);
constexpr int kClipFrames = 23;
// Share of a pane's pixels that must change between two grabs.
constexpr double kMovingShare = 0.002;

// A 4:2:0 clip of fresh noise in every frame, so that every frame differs
// from the one before everywhere.
void WriteNoiseClip(const std::filesystem::path& path) {
    std::ofstream out(path, std::ios::binary);
    out << "YUV4MPEG2 W" << kClipSize.width() << " H" << kClipSize.height() << " F30:1 Ip A1:1 C420jpeg\n";
    std::uint32_t seed = 12345;
    const int lumaBytes = kClipSize.width() * kClipSize.height();
    std::string frame(static_cast<std::size_t>(lumaBytes * 3 / 2), '\0');
    for (int f = 0; f < kClipFrames; ++f) {
        for (char& byte : frame) {
            seed = seed * 1664525u + 1013904223u;
            byte = static_cast<char>(seed >> 24);
        }
        out << "FRAME\n" << frame;
    }
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

int MenuBarHeight() {
    QMainWindow window;
    window.setFont(pane::DesignFont());
    window.menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("&Quit"));
    window.menuBar()->addAction(QStringLiteral("&About"));
    window.setCentralWidget(new QWidget);
    window.resize(kWindowWidth, kWindowHeight);
    window.layout()->activate();
    return window.menuBar()->height();
}

std::vector<std::string> SnapshotFiles(const std::filesystem::path& folder) {
    std::vector<std::string> files;
    glob_t found{};
    if (::glob((folder / "Spy_*.jpg").c_str(), 0, nullptr, &found) == 0)
        files.assign(found.gl_pathv, found.gl_pathv + found.gl_pathc);
    ::globfree(&found);
    return files;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

int DistinctColours(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            colours.insert(image.pixel(x, y));
    return static_cast<int>(colours.size());
}

double ChangedShare(const QImage& a, const QImage& b) {
    int changed = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            changed += a.pixel(x, y) != b.pixel(x, y);
    return static_cast<double>(changed) / (a.width() * a.height());
}

class EndToEndTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!QDir(QStringLiteral("/dev")).entryList({QStringLiteral("video*")}, QDir::System).isEmpty())
            GTEST_SKIP() << "this machine has V4L2 devices, which would come before the virtual cameras";
        server_ = std::make_unique<XvfbServer>();
        qputenv("DISPLAY", QByteArray::fromStdString(server_->Display()));
        qputenv("QT_QPA_PLATFORM", "xcb");
        static char name[] = "kamsel_app_e2e_test";
        static char* argv[] = {name, nullptr};
        static int argc = 1;
        driver_ = std::make_unique<QApplication>(argc, argv);
        folder_ = std::filesystem::temp_directory_path() / ("kamsel_e2e_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        WriteNoiseClip(folder_ / "noise.y4m");
        std::filesystem::path program(KAMSEL_PROGRAM);
        spy_ = program.parent_path() / "Spy";
        std::error_code ignored;
        std::filesystem::remove_all(spy_, ignored);
    }

    void TearDown() override {
        viewer_.reset();
        driver_.reset();
        server_.reset();
        if (!folder_.empty())
            std::filesystem::remove_all(folder_);
    }

    std::optional<std::string> Xdo(const std::vector<std::string>& args) {
        std::vector<std::string> argv{"xdotool"};
        argv.insert(argv.end(), args.begin(), args.end());
        ChildProcess xdo(argv, {{{"DISPLAY", server_->Display()}}, true, -1});
        const std::optional<int> status = xdo.WaitFor(10s);
        if (!status || !WIFEXITED(*status) || WEXITSTATUS(*status) != 0)
            return std::nullopt;
        return xdo.Output();
    }

    // The first visible window whose name begins with title, or "".
    std::string FindWindow(const std::string& title) {
        const std::optional<std::string> found = Xdo({"search", "--onlyvisible", "--name", "^" + title});
        return found ? found->substr(0, found->find('\n')) : std::string();
    }

    QRect WindowGeometry(const std::string& window) {
        const std::string text = Xdo({"getwindowgeometry", "--shell", window}).value_or("");
        auto field = [&](const std::string& name) {
            const std::size_t at = text.find("\n" + name + "=");
            return at == std::string::npos ? -1 : std::stoi(text.substr(at + name.size() + 2));
        };
        return QRect(field("X"), field("Y"), field("WIDTH"), field("HEIGHT"));
    }

    // Input that xdotool cannot send ends the test (gtest reports the exception).
    void Click(const QPoint& screenPoint) {
        if (!Xdo({"mousemove", "--sync", std::to_string(screenPoint.x()), std::to_string(screenPoint.y()),
                  "click", "1"}))
            throw std::runtime_error("xdotool could not click at the screen's " +
                                     std::to_string(screenPoint.x()) + ", " +
                                     std::to_string(screenPoint.y()));
        std::this_thread::sleep_for(300ms);
    }

    void Keys(const std::vector<std::string>& keys) {
        std::vector<std::string> args{"key", "--delay", "60"};
        args.insert(args.end(), keys.begin(), keys.end());
        if (!Xdo(args))
            throw std::runtime_error("xdotool could not press " + keys.front());
        std::this_thread::sleep_for(300ms);
    }

    QImage Grab(const QRect& area) {
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }

    // Two grabs of area some frames apart differ (the pattern's clock and ball
    // move, the noise changes everywhere), and the first is a picture, not a
    // flat colour.
    void ExpectMovingVideo(const QRect& area, const char* pane) {
        const QImage first = Grab(area);
        double changed = 0;
        for (int attempt = 0; attempt < 5 && changed < kMovingShare; ++attempt) {
            std::this_thread::sleep_for(400ms);
            changed = ChangedShare(first, Grab(area));
        }
        EXPECT_GT(changed, kMovingShare) << pane << " pane: the video does not move";
        EXPECT_GT(DistinctColours(first), 16) << pane << " pane: no picture";
    }

    // Starts the viewer with the given virtual cameras and waits for its main
    // window: the window's id, with left_ and right_ set to the panes' origins
    // on the screen.
    std::string Launch(const std::string& cameras) {
        viewer_ = std::make_unique<ChildProcess>(std::vector<std::string>{KAMSEL_PROGRAM},
                                                 ChildProcess::Options{{{"DISPLAY", server_->Display()},
                                                                        {"QT_QPA_PLATFORM", "xcb"},
                                                                        {"KAMSEL_VIRTUAL_CAMERAS", cameras}},
                                                                       false,
                                                                       -1});
        std::string window;
        if (!WaitUntil([&] { return !(window = FindWindow("KamselDemo 3\\.1   \\[")).empty(); }, 15s))
            throw std::runtime_error("the main window did not appear");
        frame_ = WindowGeometry(window);
        if (!Xdo({"windowfocus", "--sync", window}))
            throw std::runtime_error("cannot focus the main window");
        left_ = frame_.topLeft() + QPoint(kBevel, MenuBarHeight() + kBevel);
        right_ = left_ + QPoint(kLeftPanelWidth + kSplitterWidth, 0);
        return window;
    }

    // Starts the left pane's selected camera and puts it in "Surveillance".
    void StartLeftInSurveillance() {
        Click(left_ + kRunVideo.center());
        Click(left_ + kComboBoxDisplayMode.center());
        Keys({"End", "Return"});
    }

    // "&File" -> "&Quit"; the viewer's exit status, expected 0 within 5 s.
    void QuitAndExpectCleanExit(const std::string& window) {
        ASSERT_TRUE(Xdo({"windowfocus", "--sync", window}));
        Keys({"alt+f"});
        Keys({"q"});
        ExpectCleanExit("Quit");
    }

    void ExpectCleanExit(const char* after) {
        const std::optional<int> status = viewer_->WaitFor(5s);
        ASSERT_TRUE(status.has_value()) << "the program still runs 5 s after " << after;
        EXPECT_TRUE(WIFEXITED(*status)) << "wait status " << *status;
        EXPECT_EQ(WEXITSTATUS(*status), 0);
        // Nothing of the program is left: no process, so no thread, in its group.
        EXPECT_NE(::kill(-viewer_->Pid(), 0), 0);
    }

    // The visible boxes titled title: "Kamsel Demo" for the default exception
    // handler's, "Error" for a pane's own.
    std::vector<std::string> ErrorBoxes(const std::string& title = "Kamsel Demo") {
        const std::string found = Xdo({"search", "--onlyvisible", "--name", "^" + title + "$"}).value_or("");
        std::vector<std::string> boxes;
        for (std::size_t at = 0, end; (end = found.find('\n', at)) != std::string::npos; at = end + 1)
            boxes.push_back(found.substr(at, end - at));
        return boxes;
    }

    // The left pane's Start/Resume button, with the mouse away from it: its
    // picture tells whether it is enabled.
    QImage StartButtonPicture() {
        const QPoint away = frame_.topLeft() + QPoint(kWindowWidth - 20, kWindowHeight - 20);
        // Without --sync, which would wait for a motion that never comes when
        // the mouse is already there.
        Xdo({"mousemove", std::to_string(away.x()), std::to_string(away.y())});
        std::this_thread::sleep_for(300ms);
        return Grab(QRect(left_ + kRunVideo.topLeft(), kRunVideo.size()));
    }

    std::unique_ptr<XvfbServer> server_;
    std::unique_ptr<QApplication> driver_;
    QRect frame_;
    QPoint left_, right_;
    std::unique_ptr<ChildProcess> viewer_;
    std::filesystem::path folder_;
    std::filesystem::path spy_;
};

TEST_F(EndToEndTest, TwoCamerasSurveillanceAboutAndQuit) {
    const std::string window = Launch("Scene=pattern;Noise=" + (folder_ / "noise.y4m").string());
    // The window's own title, nothing appended to it.
    const std::string title = Xdo({"getwindowname", window}).value_or("");
    EXPECT_TRUE(title.size() > 2 && title.compare(title.size() - 2, 2, "]\n") == 0) << title;
    EXPECT_EQ(frame_.size(), QSize(kWindowWidth, kWindowHeight));
    EXPECT_EQ(frame_.topLeft(), QPoint((XvfbServer::kScreenWidth - kWindowWidth) / 2,
                                       (XvfbServer::kScreenHeight - kWindowHeight) / 2));
    const QRect frame = frame_;
    const QPoint left = left_;
    const QPoint right = right_;

    // Left: the first camera (the pattern), started, in "Surveillance", the
    // last display mode.
    Click(left + kRunVideo.center());
    Click(left + kComboBoxDisplayMode.center());
    Keys({"End", "Return"});
    // Right: the second camera (the clip), started, in "Difference map", the
    // fourth display mode.
    Click(right + kComboBoxCams.center());
    Keys({"Down"});
    Click(right + kRunVideo.center());
    Click(right + kComboBoxDisplayMode.center());
    Keys({"Home", "Down", "Down", "Down", "Return"});

    // Snapshots of the left pane: numbered from 1, baseline JPEGs of the
    // camera's size.
    EXPECT_TRUE(WaitUntil([&] { return SnapshotFiles(spy_).size() >= 10; }, 10s))
        << "fewer than 10 snapshots in " << spy_;
    const std::vector<std::string> snapshots = SnapshotFiles(spy_);
    if (!snapshots.empty()) {
        EXPECT_EQ(QFileInfo(QString::fromStdString(snapshots.front())).fileName(),
                  QStringLiteral("Spy_0001.jpg"));
    }
    for (std::size_t i = 0; i + 1 < snapshots.size() && i < 5; ++i) { // the newest may still be written
        QImageReader reader(QString::fromStdString(snapshots[i]), "jpeg");
        const QImage image = reader.read();
        EXPECT_FALSE(image.isNull()) << snapshots[i] << ": " << reader.errorString().toStdString();
        EXPECT_EQ(image.size(), kPatternSize) << snapshots[i];
    }

    // The screenshot stays in the test's working folder for a person to look at.
    Grab(frame).save(QStringLiteral("app_end_to_end_window.png"));
    // The left picture is larger than its paint box, the right one smaller.
    ExpectMovingVideo(QRect(left + kPaintBoxOrigin + QPoint(4, 4), QSize(350, 400)), "left");
    ExpectMovingVideo(QRect(right + kPaintBoxOrigin + QPoint(4, 4), kClipSize - QSize(10, 10)), "right");

    // "&About" twice gives one box; Enter hides it.
    Keys({"alt+a"});
    Keys({"alt+a"});
    std::string about;
    ASSERT_TRUE(WaitUntil([&] { return !(about = FindWindow("About")).empty(); }, 5s)) << "no about box";
    const std::string abouts = Xdo({"search", "--onlyvisible", "--name", "^About"}).value_or("");
    EXPECT_EQ(std::count(abouts.begin(), abouts.end(), '\n'), 1) << "more than one about box";
    EXPECT_EQ(WindowGeometry(about).size(), QSize(329, 223));
    ASSERT_TRUE(Xdo({"windowfocus", "--sync", about}));
    Keys({"Return"});
    EXPECT_TRUE(WaitUntil([&] { return FindWindow("About").empty(); }, 5s))
        << "Enter did not hide the about box";

    // "&File" -> "&Quit" with both cameras running: a clean exit, quickly.
    QuitAndExpectCleanExit(window);
}

// A file where the snapshot folder should be: every save fails. One error box,
// not one per frame (a second one used to follow within 100 ms of closing the
// first); after it the user still reaches Stop and Quit.
TEST_F(EndToEndTest, SnapshotsThatCannotBeWrittenShowOneBoxAndLeaveTheUserInControl) {
    std::filesystem::remove_all(spy_);
    std::ofstream(spy_) << "not a folder";
    const std::string window = Launch("Scene=pattern");
    StartLeftInSurveillance();
    EXPECT_TRUE(WaitUntil([&] { return !ErrorBoxes().empty(); }, 5s)) << "no error box";
    std::this_thread::sleep_for(800ms);
    std::vector<std::string> boxes = ErrorBoxes();
    EXPECT_EQ(boxes.size(), 1u) << "one box per failure episode";
    if (!boxes.empty()) {
        ASSERT_TRUE(Xdo({"windowfocus", "--sync", boxes.front()}));
        Keys({"Return"});
    }
    std::this_thread::sleep_for(800ms);
    EXPECT_TRUE(ErrorBoxes().empty()) << "a new box after the first was closed";
    Click(left_ + kStop.center());
    QuitAndExpectCleanExit(window);
    std::filesystem::remove(spy_);
}

// A termination signal while that box is open: the box is dismissed and the
// program ends in order, instead of freeing the pane under the box's caller.
TEST_F(EndToEndTest, TerminationSignalWhileAnErrorBoxIsOpenEndsInOrder) {
    std::filesystem::remove_all(spy_);
    std::ofstream(spy_) << "not a folder";
    Launch("Scene=pattern");
    StartLeftInSurveillance();
    ASSERT_TRUE(WaitUntil([&] { return !ErrorBoxes().empty(); }, 5s)) << "no error box";
    ASSERT_EQ(::kill(viewer_->Pid(), SIGTERM), 0);
    ExpectCleanExit("SIGTERM with an error box open");
    std::filesystem::remove(spy_);
}

// A termination signal in the middle of "Surveillance" closes the program in
// order: exit status 0, every snapshot whole, no temporary file left.
TEST_F(EndToEndTest, TerminationSignalEndsInOrder) {
    Launch("Scene=pattern");
    StartLeftInSurveillance();
    ASSERT_TRUE(WaitUntil([&] { return SnapshotFiles(spy_).size() >= 5; }, 10s))
        << "no snapshots in " << spy_;
    ASSERT_EQ(::kill(viewer_->Pid(), SIGTERM), 0);
    ExpectCleanExit("SIGTERM");
    for (const auto& entry : std::filesystem::directory_iterator(spy_)) {
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(name.find(".tmp"), std::string::npos) << "temporary file left: " << name;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_TRUE(bytes.size() > 4 && bytes.compare(bytes.size() - 2, 2, "\xFF\xD9") == 0)
            << name << " is not a whole JPEG";
    }
}

// A clip cut short while it plays ends its stream: the pane shows one box
// saying why and is back to a stopped camera, Start enabled.
TEST_F(EndToEndTest, AFileCameraCutShortStopsItsPaneWithOneBox) {
    const std::filesystem::path clip = folder_ / "noise.y4m";
    const std::string window = Launch("Clip=" + clip.string());
    const QImage startEnabled = StartButtonPicture();
    Click(left_ + kRunVideo.center());
    EXPECT_NE(StartButtonPicture(), startEnabled) << "Start stayed enabled while the clip plays";
    std::filesystem::resize_file(clip, 200); // the header and no whole frame
    ASSERT_TRUE(WaitUntil([&] { return !ErrorBoxes("Error").empty(); }, 5s)) << "no box after the clip ended";
    std::this_thread::sleep_for(600ms);
    const std::vector<std::string> boxes = ErrorBoxes("Error");
    ASSERT_EQ(boxes.size(), 1u);
    ASSERT_TRUE(Xdo({"windowfocus", "--sync", boxes.front()}));
    Keys({"Return"});
    EXPECT_TRUE(WaitUntil([&] { return ErrorBoxes("Error").empty(); }, 3s));
    EXPECT_EQ(StartButtonPicture(), startEnabled) << "Start is not enabled again";
    QuitAndExpectCleanExit(window);
}

// Positions past the ninth: the tenth of twelve cameras plays.
TEST_F(EndToEndTest, TheTenthOfTwelveCamerasPlays) {
    std::string cameras;
    for (int i = 1; i <= 12; ++i)
        cameras += "Camera " + std::to_string(i) + "=pattern;";
    const std::string window = Launch(cameras);
    Click(left_ + kComboBoxCams.center());
    Keys(std::vector<std::string>(9, "Down"));
    Click(left_ + kRunVideo.center());
    EXPECT_TRUE(ErrorBoxes("Error").empty()) << "the tenth camera did not start";
    ExpectMovingVideo(QRect(left_ + kPaintBoxOrigin + QPoint(4, 4), QSize(350, 400)), "left");
    QuitAndExpectCleanExit(window);
}

// Another program destroys the main window's X11 window instead of asking
// the window manager to close it: the program ends in order all the same.
TEST_F(EndToEndTest, MainWindowDestroyedFromOutsideEndsTheProgram) {
    const std::string window = Launch("Scene=pattern");
    Click(left_ + kRunVideo.center());
    ASSERT_TRUE(Xdo({"windowclose", window}));
    ExpectCleanExit("the window was destroyed");
}

// View > "Fit video to pane": the whole 640 x 480 pattern, shrunk to the
// paint box's width and centred, the pane's colour above and below it. Unscaled,
// the box would show the pattern's top-left part only: a magenta bar and the
// middle of the grey ramp at its right edge.
TEST_F(EndToEndTest, FitVideoToPaneShowsTheWholePicture) {
    const std::string window = Launch("Scene=pattern");
    Click(left_ + kRunVideo.center());
    Keys({"alt+v"});
    Keys({"f"});
    std::this_thread::sleep_for(500ms);
    // The paint box keeps the design's margins: 1 pixel on the right and 8
    // below inside the pane, whose panel has a bevel all round.
    const int paneWidth = kLeftPanelWidth - 2 * kBevel;
    const int paneHeight = kWindowHeight - MenuBarHeight() - 2 * kBevel;
    const QSize box(paneWidth - kPaintBoxOrigin.x() - 1, paneHeight - kPaintBoxOrigin.y() - 8);
    const QImage shown = Grab(QRect(left_ + kPaintBoxOrigin, box));
    Grab(frame_).save(QStringLiteral("app_end_to_end_fit.png"));
    const int height =
        (box.width() * kPatternSize.height() + kPatternSize.width() / 2) / kPatternSize.width();
    const int top = (box.height() - height) / 2;
    const int bottom = top + height - 1;
    const int right = box.width() - 1;
    auto grey = [&](int x, int y) { return qGray(shown.pixel(x, y)); };
    // Margins in one colour, the pane's, above and below the picture.
    const QRgb margin = shown.pixel(0, 0);
    for (const int x : {0, box.width() / 2, right}) {
        EXPECT_EQ(shown.pixel(x, top - 2), margin) << x;
        EXPECT_EQ(shown.pixel(x, bottom + 2), margin) << x;
    }
    // The picture's corners: the white and the black bar at the top, the
    // ramp's black and white ends at the bottom.
    EXPECT_NEAR(grey(3, top + 3), 191, 25);
    EXPECT_LT(grey(right - 3, top + 3), 40);
    EXPECT_LT(grey(3, bottom - 3), 40);
    EXPECT_GT(grey(right - 3, bottom - 3), 215);
    QuitAndExpectCleanExit(window);
}

// Started again, the program shows the choices of the last run: the left
// pane's display mode and the right pane's camera are back, and no camera
// runs until the user starts one.
TEST_F(EndToEndTest, RestartBringsBackTheChoicesWithoutStartingTheCamera) {
    const std::string cameras = "Scene=pattern;Other=pattern";
    std::string window = Launch(cameras);
    Click(right_ + kComboBoxCams.center());
    Keys({"Down"});
    Click(left_ + kComboBoxDisplayMode.center());
    Keys({"Home", "Down", "Down", "Down", "Return"});
    Click(left_ + kRunVideo.center());
    // The boxes' texts, inside their frames and left of their arrows.
    auto text = [](const QRect& box, const QPoint& pane) {
        return QRect(pane + box.topLeft() + QPoint(4, 4), box.size() - QSize(30, 8));
    };
    const QImage mode = Grab(text(kComboBoxDisplayMode, left_));
    const QImage camera = Grab(text(kComboBoxCams, right_));
    QuitAndExpectCleanExit(window);

    window = Launch(cameras);
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(Grab(text(kComboBoxDisplayMode, left_)), mode) << "the display mode is not back";
    EXPECT_EQ(Grab(text(kComboBoxCams, right_)), camera) << "the camera is not back";
    const QRect video(left_ + kPaintBoxOrigin, QSize(300, 300));
    const QImage first = Grab(video);
    std::this_thread::sleep_for(600ms);
    EXPECT_EQ(ChangedShare(first, Grab(video)), 0.0) << "a camera runs by itself";
    QuitAndExpectCleanExit(window);
}

// Every run of the program here has a configuration folder of its own, emptied
// before each test: a developer's remembered choices, or an earlier test's,
// never change what a test sees.
class PrivateConfigHome : public ::testing::EmptyTestEventListener {
  public:
    PrivateConfigHome()
        : folder_(std::filesystem::temp_directory_path() /
                  ("kamsel_e2e_config_" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(folder_);
        ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    }
    ~PrivateConfigHome() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    void OnTestStart(const ::testing::TestInfo&) override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_ / "KamselDemo", ignored);
    }

  private:
    std::filesystem::path folder_;
};

const bool kPrivateConfigHome = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new PrivateConfigHome);
    return true;
}();

} // namespace
} // namespace kamsel::e2e
