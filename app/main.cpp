#include "CommandLine.h"
#include "KamselApplication.h"
#include "TAboutBox.h"
#include "TForm_Main.h"
#include "TerminationSignals.h"
#include "WindowDestroyWatcher.h"
#include "frames/UGDIPlus.h"
#include "platform/system/FrameHeap.h"

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

// The arguments as Qt would read them, before any application object exists.
QStringList RawArguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

} // namespace

// Start-up: --help and --version answered before anything needs a display;
// then heap settings and the GDI+ binding, then the application object, the
// main window and the hidden about box, then the event loop. The objects go
// in reverse order, GDI+ last, after the loop has ended.
int main(int argc, char** argv) {
    using kamsel::app::CommandLine;
    if (const auto status = CommandLine(RawArguments(argc, argv), CommandLine::QtOptions::Present).Answer())
        return *status;
    if (!kamsel::system::KeepFrameSizedHeapBlocks())
        qWarning("The heap did not take the frame-sized block settings; large motion-JPEG frames decode more "
                 "slowly.");
    GdiPlusSession gdiPlus;
    kamsel::app::KamselApplication application(argc, argv);
    // Qt has taken its own options; whatever is left is not the program's.
    if (const auto status =
            CommandLine(kamsel::app::KamselApplication::arguments(), CommandLine::QtOptions::Removed)
                .Answer())
        return *status;
    kamsel::app::TForm_Main formMain;
    kamsel::app::TAboutBox aboutBox;
    formMain.SetAboutBox(&aboutBox);
    // A termination signal takes the way of "&Quit": cameras stopped, exit 0.
    kamsel::app::TerminationSignals terminationSignals([&formMain](int) { formMain.close(); });
    // So does the main window's destruction by another program.
    kamsel::app::WindowDestroyWatcher destroyWatcher(formMain);
    formMain.show();
    return kamsel::app::KamselApplication::exec();
}
