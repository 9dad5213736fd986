#pragma once
// TForm_Main: the program's only main window. Two identical camera panes side
// by side, Panel_Left and Panel_Right, with the splitter Splitter1 between
// them; the menu "&File" -> "&Open snapshot folder", "&Quit", the menu "&View" -> "&Fit video to pane"
// (off at first: frames unscaled at the video's top-left corner) and the
// top-level "&About".
//
// The splitter keeps its share of the window width (SplitterRatio) when the
// window is resized. Closing the window stops both cameras, left first, while
// both frame facades still exist, and only then releases the facades, so no
// capture object outlives its facade.
//
// The user's choices (window geometry, splitter share, "Fit video to pane",
// each pane's camera, video size, display mode and settings rows) are read
// from the user's settings when the window is created, the panes' when it is
// first shown, and written whenever one changes and when the window closes.
// Without stored choices the window starts as designed.
//
// Threads: user-interface thread only.

#include "RememberedChoices.h"

#include <QMainWindow>
#include <QTimer>

#include <memory>

class QAction;
class QFrame;
class QMenu;
class QSplitter;

namespace kamsel::pane {
class TFrame1;
}

namespace kamsel::app {

class ChoiceStore;
class TAboutBox;

class TForm_Main : public QMainWindow {
  public:
    // Outer size, window frame included, when first shown.
    static constexpr int kDesignWidth = 776;
    static constexpr int kDesignHeight = 600;
    static constexpr int kSplitterWidth = 7;

    explicit TForm_Main(QWidget* parent = nullptr);
    ~TForm_Main() override;

    // The about box that "&About" shows; created after this window, it must
    // outlive this window's use of it. Without one, "&About" does nothing.
    void SetAboutBox(TAboutBox* aboutBox) { AboutBox = aboutBox; }

    // The caption: name, short version, three blanks, home page in brackets.
    static QString Caption();

    QMenu* File1;
    QAction* OpenSnapshotFolder1;
    QAction* Quit1;
    QMenu* View1;
    QAction* FitVideo1;
    QAction* About1;
    QSplitter* Splitter1;
    QFrame* Panel_Left;
    QFrame* Panel_Right;
    pane::TFrame1* Frame_Video1;
    pane::TFrame1* Frame_Video2;
    TAboutBox* AboutBox = nullptr;

    // Share of the outer window width given to the left pane.
    double SplitterRatio = 0.0;

    // The splitter was released at a new place: remember its share.
    void Splitter1Moved();
    // The window's size changed: give the left pane its share again.
    void FormResize();

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void FormCreate();
    void FormShow();
    // A close that comes while a handler further down the stack is still
    // inside a nested event loop (a modal box or dialog) would release the
    // facade that handler goes on using once the loop returns. Such a close
    // dismisses the modal windows and comes back when the loops have ended.
    bool CloseMustWait() const;
    void DeferClose();
    void FormCloseQuery(bool& canClose);
    void FormClose();
    void OpenSnapshotFolder1Click();
    void Quit1Click();
    void About1Click();
    void FitVideo1Click();
    // The choices as they are now; the panes' remembered ones until restored.
    RememberedChoices CurrentChoices() const;
    void SaveChoices();
    void RestorePaneChoices();

    QFrame* MakePanel(const char* name, pane::TFrame1*& frame, const char* frameName);
    void BuildMenu();
    // Once the window manager has told the frame's size: the outer size
    // becomes the design size, centred on the screen.
    void FitOuterSize();
    void CentreOnScreen();

    bool outerSizeFitted_ = false;
    bool closing_ = false;
    // Retries a deferred close; one retry pending however many requests came.
    QTimer closeRetry_;
    std::unique_ptr<ChoiceStore> choices_;
    // Read when the window was created; the panes get theirs once listed.
    RememberedChoices remembered_;
    bool panesRestored_ = false;
    // Set while the remembered choices are put back: nothing to write then.
    bool restoring_ = false;
};

} // namespace kamsel::app
