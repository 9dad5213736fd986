#include "TForm_Main.h"

#include "ChoiceStore.h"
#include "ProgramInfo.h"
#include "SnapshotFolderOpener.h"
#include "SnapshotLocation.h"
#include "TAboutBox.h"
#include "frames/ExceptionHandler.h"
#include "pane/DesignFont.h"
#include "pane/PaintBox.h"
#include "pane/TFrame1.h"
#include "pane/WaitCursor.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSplitter>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <utility>

namespace kamsel::app {

namespace {

// Runs one pane operation during shutdown. An error is shown like any other
// error of a handler, and the shutdown goes on: a pane that cannot stop its
// camera must neither keep the window open nor keep the other pane running.
template <typename Operation>
void RunShutdownStep(Operation operation) {
    try {
        operation();
    } catch (...) {
        frames::ExceptionHandler::Default().HandleException();
    }
}

} // namespace

TForm_Main::TForm_Main(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form_Main"));
    setWindowTitle(Caption());
    setFont(pane::DesignFont());
    BuildMenu();
    // Not at once: the dismissed windows' loops end only once the handler
    // that rejected them has returned to them.
    closeRetry_.setSingleShot(true);
    closeRetry_.setInterval(10);
    connect(&closeRetry_, &QTimer::timeout, this, &QWidget::close);

    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(kSplitterWidth);
    Splitter1->setChildrenCollapsible(false);
    // The panes follow when the splitter is released, not while it is dragged:
    // a pane relayout per mouse move would stall the video.
    Splitter1->setOpaqueResize(false);
    Panel_Left = MakePanel("Panel_Left", Frame_Video1, "Frame_Video1");
    Panel_Right = MakePanel("Panel_Right", Frame_Video2, "Frame_Video2");
    Splitter1->addWidget(Panel_Left);
    Splitter1->addWidget(Panel_Right);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    connect(Splitter1, &QSplitter::splitterMoved, this, [this](int, int) { Splitter1Moved(); });
    setCentralWidget(Splitter1);

    // The outer size needs the window frame, which only the window manager
    // knows; until it tells, the frame counts as nothing.
    resize(kDesignWidth, kDesignHeight);
    FormCreate();

    choices_ = std::make_unique<ChoiceStore>();
    remembered_ = choices_->Read();
    const QScopedValueRollback restoring(restoring_, true);
    // A remembered place and size replace the design's centring.
    if (!remembered_.Geometry.isEmpty() && restoreGeometry(remembered_.Geometry))
        outerSizeFitted_ = true;
    SplitterRatio = remembered_.SplitterRatio;
    FitVideo1->setChecked(remembered_.FitVideo);
}

TForm_Main::~TForm_Main() = default;

QString TForm_Main::Caption() {
    return QString::fromLatin1(kProgramName) + QLatin1Char(' ') + QString::fromLatin1(kShortVersion) +
           QStringLiteral("   [") + QString::fromLatin1(kHomePage) + QLatin1Char(']');
}

QFrame* TForm_Main::MakePanel(const char* name, pane::TFrame1*& frame, const char* frameName) {
    auto* panel = new QFrame(this);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    // The splitter's own limit; the panes' controls may be cut off below it.
    panel->setMinimumWidth(30);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    pane::TFrame1::Services services;
    services.AppFolder = SnapshotLocation::AppFolder();
    frame = new pane::TFrame1(std::move(services), panel);
    frame->setObjectName(QString::fromLatin1(frameName));
    layout->addWidget(frame);
    return panel;
}

void TForm_Main::BuildMenu() {
    File1 = menuBar()->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    OpenSnapshotFolder1 = File1->addAction(QStringLiteral("&Open snapshot folder"));
    OpenSnapshotFolder1->setObjectName(QStringLiteral("OpenSnapshotFolder1"));
    connect(OpenSnapshotFolder1, &QAction::triggered, this, [this] { OpenSnapshotFolder1Click(); });
    Quit1 = File1->addAction(QStringLiteral("&Quit"));
    Quit1->setObjectName(QStringLiteral("Quit1"));
    connect(Quit1, &QAction::triggered, this, [this] { Quit1Click(); });
    View1 = menuBar()->addMenu(QStringLiteral("&View"));
    View1->setObjectName(QStringLiteral("View1"));
    FitVideo1 = View1->addAction(QStringLiteral("&Fit video to pane"));
    FitVideo1->setObjectName(QStringLiteral("FitVideo1"));
    FitVideo1->setCheckable(true);
    connect(FitVideo1, &QAction::toggled, this, [this] { FitVideo1Click(); });
    About1 = menuBar()->addAction(QStringLiteral("&About"));
    About1->setObjectName(QStringLiteral("About1"));
    connect(About1, &QAction::triggered, this, [this] { About1Click(); });
}

void TForm_Main::FormCreate() {
    SplitterRatio = 0.5;
}

void TForm_Main::FormShow() {
    Frame_Video1->InitFrame();
    Frame_Video2->InitFrame();
    Frame_Video2->Label_Cameras->setText(QStringLiteral("Camera #2"));
    RestorePaneChoices();
}

void TForm_Main::RestorePaneChoices() {
    if (panesRestored_)
        return;
    panesRestored_ = true;
    const QScopedValueRollback restoring(restoring_, true);
    Frame_Video1->RestoreChoices(remembered_.Panes[0]);
    Frame_Video2->RestoreChoices(remembered_.Panes[1]);
    Frame_Video1->ChoiceChanged = [this] { SaveChoices(); };
    Frame_Video2->ChoiceChanged = [this] { SaveChoices(); };
}

RememberedChoices TForm_Main::CurrentChoices() const {
    RememberedChoices choices = remembered_;
    choices.Geometry = saveGeometry();
    choices.SplitterRatio = SplitterRatio;
    choices.FitVideo = FitVideo1->isChecked();
    if (panesRestored_) {
        choices.Panes[0] = Frame_Video1->Choices();
        choices.Panes[1] = Frame_Video2->Choices();
    }
    return choices;
}

void TForm_Main::SaveChoices() {
    if (!restoring_ && choices_)
        choices_->Write(CurrentChoices());
}

void TForm_Main::Splitter1Moved() {
    const int h = Splitter1->handleWidth() / 2;
    SplitterRatio = static_cast<double>(Panel_Left->width() + h) / frameGeometry().width();
    SaveChoices();
}

void TForm_Main::FormResize() {
    const int h = Splitter1->handleWidth() / 2;
    // std::nearbyint rounds an exact half to the even neighbour.
    const int left = static_cast<int>(std::nearbyint(SplitterRatio * (frameGeometry().width() - h)));
    // The splitter spans the client width; giving it sizes that add up to
    // that width keeps it from redistributing them.
    const int right = std::max(0, width() - Splitter1->handleWidth() - left);
    Splitter1->setSizes({left, right});
}

void TForm_Main::FitOuterSize() {
    const QSize frameExtra = frameGeometry().size() - size();
    if (outerSizeFitted_ || frameExtra.isNull())
        return;
    outerSizeFitted_ = true;
    resize(kDesignWidth - frameExtra.width(), kDesignHeight - frameExtra.height());
    CentreOnScreen();
}

void TForm_Main::CentreOnScreen() {
    // move() places the frame's top-left corner.
    if (const QScreen* shownOn = screen()) {
        const QRect area = shownOn->geometry();
        move(area.x() + (area.width() - kDesignWidth) / 2, area.y() + (area.height() - kDesignHeight) / 2);
    }
}

void TForm_Main::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (event->spontaneous())
        return;
    if (!outerSizeFitted_) {
        CentreOnScreen();
        FitOuterSize();
    }
    FormShow();
}

void TForm_Main::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FitOuterSize();
    FormResize();
}

void TForm_Main::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    FitOuterSize();
}

void TForm_Main::OpenSnapshotFolder1Click() {
    const QString failure = SnapshotFolderOpener(SnapshotLocation::AppFolder()).Open();
    if (!failure.isEmpty())
        QMessageBox::critical(this, QStringLiteral("Error"), failure, QMessageBox::Ok);
}

void TForm_Main::Quit1Click() {
    close();
}

void TForm_Main::About1Click() {
    if (!AboutBox)
        return;
    AboutBox->show();
    AboutBox->raise();
    AboutBox->activateWindow();
}

void TForm_Main::FitVideo1Click() {
    const bool fit = FitVideo1->isChecked();
    Frame_Video1->PaintBox_Video->SetFit(fit);
    Frame_Video2->PaintBox_Video->SetFit(fit);
    SaveChoices();
}

void TForm_Main::closeEvent(QCloseEvent* event) {
    // A second close request handled while the first lets pending events run
    // is left to the first.
    if (closing_) {
        event->ignore();
        return;
    }
    if (CloseMustWait()) {
        event->ignore();
        DeferClose();
        return;
    }
    closing_ = true;
    bool canClose = true;
    FormCloseQuery(canClose);
    if (canClose) {
        FormClose();
        event->accept();
    } else {
        event->ignore();
    }
    closing_ = false;
}

bool TForm_Main::CloseMustWait() const {
    // The event loop that runs the program is the first level; any deeper one
    // belongs to a handler that has not returned yet. Without a running loop
    // (a close before exec, or in tests) an open modal window tells the same.
    return QApplication::activeModalWidget() != nullptr || QThread::currentThread()->loopLevel() > 1;
}

void TForm_Main::DeferClose() {
    // The window manager holds back its own close request while a modal
    // window is open; only a termination signal or the window's destruction
    // from outside get here then. Rejecting a dialog ends its loop: the error
    // box is answered, a property dialog cancelled.
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible() && dialog->isModal())
            dialog->reject();
    closeRetry_.start();
}

void TForm_Main::FormCloseQuery(bool& canClose) {
    {
        const pane::WaitCursor waitCursor;
        // Frames the streaming threads have already posted are handled while
        // both facades still exist.
        QCoreApplication::processEvents();
        RunShutdownStep([this] { Frame_Video1->StopVideoIfRunning(); });
        RunShutdownStep([this] { Frame_Video2->StopVideoIfRunning(); });
    }
    canClose = true;
}

void TForm_Main::FormClose() {
    SaveChoices();
    RunShutdownStep([this] { Frame_Video1->ReleaseVideo(); });
    RunShutdownStep([this] { Frame_Video2->ReleaseVideo(); });
}

} // namespace kamsel::app
