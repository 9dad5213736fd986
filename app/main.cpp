#include "frames/UGDIPlus.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

#include <malloc.h>

namespace {

// Motion-JPEG decoding allocates and frees several frame-sized blocks per
// frame. glibc would return each to the kernel and fault the pages in again
// on the next frame, which at 1920x1080 costs more than the decoding itself;
// keeping freed blocks in the heap makes the allocations cheap.
void KeepFrameSizedBlocks() {
    constexpr int kFrameBlockBytes = 64 * 1024 * 1024;
    mallopt(M_MMAP_THRESHOLD, kFrameBlockBytes);
    mallopt(M_TRIM_THRESHOLD, kFrameBlockBytes);
}

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
    KeepFrameSizedBlocks();
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
