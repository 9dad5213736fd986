#include "frames/UGDIPlus.h"
#include "platform/system/FrameHeap.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

namespace {

// Binds the GDI+ module for the program's whole run; without the module,
// motion JPEG is decoded with libjpeg instead.
class GdiPlusSession {
  public:
    GdiPlusSession() { kamsel::frames::LoadGdiPlus(); }
    ~GdiPlusSession() { kamsel::frames::UnloadGdiPlus(); }
    GdiPlusSession(const GdiPlusSession&) = delete;
    GdiPlusSession& operator=(const GdiPlusSession&) = delete;
};

} // namespace

// Start-up. For now the window is a placeholder; the camera panes come with
// the pane and main-window work.
int main(int argc, char** argv) {
    if (!kamsel::system::KeepFrameSizedHeapBlocks())
        qWarning("The heap did not take the frame-sized block settings; large motion-JPEG frames decode more "
                 "slowly.");
    GdiPlusSession gdiPlus;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KamselDemo"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("KamselDemo"));
    auto* label = new QLabel(QStringLiteral("KamselDemo: camera panes are not built yet."), &window);
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);
    window.resize(800, 480);
    window.show();
    return QApplication::exec();
}
