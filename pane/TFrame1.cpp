#include "pane/TFrame1.h"

#include "pane/AnchorPanel.h"
#include "pane/DesignFont.h"
#include "pane/DeviceFolderWatcher.h"
#include "pane/ElidedLabel.h"
#include "pane/PaintBox.h"
#include "pane/SpeedButton.h"
#include "pane/VideoImageFrames.h"
#include "pane/WaitCursor.h"
#include "platform/system/ExecutablePath.h"
#include "platform/system/UiThread.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QScopedValueRollback>
#include <QVBoxLayout>

#include <algorithm>

namespace kamsel::pane {
namespace {

const QString kNoCameras = QStringLiteral("No cameras found.");

} // namespace

TFrame1::TFrame1(QWidget* parent) : TFrame1(Services(), parent) {}

TFrame1::TFrame1(Services services, QWidget* parent)
    : QFrame(parent), services_(std::move(services)), handler_(*this, services_.Handler) {
    setObjectName(QStringLiteral("Frame_Video"));
    setFont(DesignFont());
    resize(kDesignWidth, kDesignHeight);

    Panel_Top = new AnchorPanel(QSize(kDesignWidth, kTopHeight), this);
    Panel_Top->setObjectName(QStringLiteral("Panel_Top"));
    Panel_Top->setContentsMargins(4, 4, 4, 4);
    Panel_Top->setFixedHeight(kTopHeight);
    Panel_Bottom = new AnchorPanel(QSize(kDesignWidth, kDesignHeight - kTopHeight), this);
    Panel_Bottom->setObjectName(QStringLiteral("Panel_Bottom"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel_Top);
    layout->addWidget(Panel_Bottom, 1);

    CreateTopControls();
    CreateBottomControls();
}

TFrame1::~TFrame1() {
    // The facade calls back into this pane; it goes first.
    FVideoImage.reset();
    // Destroying the widget closes its window, which moves the focus; the
    // camera box then still signals. Nothing may reach the handlers of a pane
    // whose own part is already gone.
    for (QObject* child : findChildren<QObject*>())
        disconnect(child, nullptr, this, nullptr);
    // The panel outlives this part of the pane; its last events find no filter.
    Panel_Bottom->removeEventFilter(this);
}

QLabel* TFrame1::AddLabel(AnchorPanel& panel, const char* name, const QString& text, QPoint place) {
    auto* label = new QLabel(text, &panel);
    label->setObjectName(QLatin1String(name));
    // Labels size themselves to their caption, as they do on the desktop the
    // pane was designed for.
    panel.Place(*label, QRect(place, label->sizeHint()));
    return label;
}

QToolButton* TFrame1::AddButton(const char* name, QRect place, const QString& hint, ButtonPicture picture) {
    auto* button = new SpeedButton(picture, Panel_Top);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint);
    Panel_Top->Place(*button, place);
    return button;
}

void TFrame1::CreateTopControls() {
    CreateCameraBox();
    CreateButtons();
    CreateModeAndSizeBoxes();
    CreateSettingsToggle();
}

void TFrame1::CreateCameraBox() {
    AnchorPanel& top = *Panel_Top;
    Label_Cameras = AddLabel(top, "Label_Cameras", QStringLiteral("Camera #1"), QPoint(8, 2));

    ComboBox_Cams = new QComboBox(&top);
    ComboBox_Cams->setObjectName(QStringLiteral("ComboBox_Cams"));
    ComboBox_Cams->setEditable(true);
    ComboBox_Cams->setInsertPolicy(QComboBox::NoInsert);
    ComboBox_Cams->setEditText(QStringLiteral("No cameras found"));
    top.Place(*ComboBox_Cams, QRect(8, 16, 193, 21));

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Updatelistofcameras1 = PopupMenu1->addAction(QStringLiteral("Update list of cameras"));
    Updatelistofcameras1->setObjectName(QStringLiteral("Updatelistofcameras1"));
    connect(Updatelistofcameras1, &QAction::triggered, this, [this] { Updatelistofcameras1Click(); });
    connect(ComboBox_Cams, &QComboBox::activated, this, [this] { NotifyChoiceChanged(); });
    // The box's own menu and the one of its edit field both give way to ours.
    for (QWidget* widget :
         {static_cast<QWidget*>(ComboBox_Cams), static_cast<QWidget*>(ComboBox_Cams->lineEdit())}) {
        widget->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(widget, &QWidget::customContextMenuRequested, this,
                [this, widget](QPoint place) { ShowCamerasMenu(*widget, place); });
    }
}

void TFrame1::CreateButtons() {
    SpeedButton_RunVideo = AddButton("SpeedButton_RunVideo", QRect(216, 14, 23, 22),
                                     QStringLiteral("Start/Resume Video"), ButtonPicture::Play);
    SpeedButton_Pause = AddButton("SpeedButton_Pause", QRect(240, 14, 23, 22), QStringLiteral("Pause Video"),
                                  ButtonPicture::Pause);
    SpeedButton_Pause->setEnabled(false);
    SpeedButton_Stop = AddButton("SpeedButton_Stop", QRect(264, 14, 23, 22), QStringLiteral("Stop Video"),
                                 ButtonPicture::Stop);
    SpeedButton_VidSettings =
        AddButton("SpeedButton_VidSettings", QRect(288, 14, 23, 22),
                  QStringLiteral("Open video properties dialog"), ButtonPicture::Settings);
    SpeedButton_VidSettings->setEnabled(false);
    SpeedButton_VidSize =
        AddButton("SpeedButton_VidSize", QRect(312, 14, 23, 22),
                  QStringLiteral("Open video stream properties dialog"), ButtonPicture::StreamSize);
    SpeedButton_VidSize->setEnabled(false);
    connect(SpeedButton_RunVideo, &QToolButton::clicked, this, [this] { SpeedButton_RunVideoClick(); });
    connect(SpeedButton_Pause, &QToolButton::clicked, this, [this] { SpeedButton_PauseClick(); });
    connect(SpeedButton_Stop, &QToolButton::clicked, this, [this] { SpeedButton_StopClick(); });
    connect(SpeedButton_VidSettings, &QToolButton::clicked, this, [this] { SpeedButton_VidSettingsClick(); });
    connect(SpeedButton_VidSize, &QToolButton::clicked, this, [this] { SpeedButton_VidSizeClick(); });
}

void TFrame1::CreateModeAndSizeBoxes() {
    AnchorPanel& top = *Panel_Top;
    Label1 = AddLabel(top, "Label1", QStringLiteral("Display mode"), QPoint(8, 40));
    ComboBox_DisplayMode = new QComboBox(&top);
    ComboBox_DisplayMode->setObjectName(QStringLiteral("ComboBox_DisplayMode"));
    ComboBox_DisplayMode->addItems({QStringLiteral("Normal"), QStringLiteral("Inverted"),
                                    QStringLiteral("Gray Scale"), QStringLiteral("Difference map"),
                                    QStringLiteral("Highlighted differences"),
                                    QStringLiteral("Surveillance")});
    ComboBox_DisplayMode->setCurrentIndex(-1);
    top.Place(*ComboBox_DisplayMode, QRect(8, 56, 193, 21));

    Label3 = AddLabel(top, "Label3", QStringLiteral("Video size "), QPoint(216, 40));
    ComboBox1 = new QComboBox(&top);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    top.Place(*ComboBox1, QRect(216, 56, 121, 21));
    connect(ComboBox1, &QComboBox::activated, this, [this] { ComboBox1Change(); });
    connect(ComboBox_DisplayMode, &QComboBox::activated, this, [this] { NotifyChoiceChanged(); });
}

void TFrame1::CreateSettingsToggle() {
    AnchorPanel& top = *Panel_Top;
    SpeedButton1 = AddButton("SpeedButton1", QRect(8, 80, 23, 22), QString(), ButtonPicture::SettingsRows);
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    Label4 = AddLabel(top, "Label4", QStringLiteral("Settings  "), QPoint(40, 85));
    Bevel1 = new QFrame(&top);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    top.Place(*Bevel1, QRect(88, 88, 249, 9), Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge);
}

void TFrame1::CreateBottomControls() {
    AnchorPanel& bottom = *Panel_Bottom;
    Label_VideoSize = AddLabel(bottom, "Label_VideoSize", QStringLiteral("Video Size"), QPoint(8, 12));
    Label_fps = new ElidedLabel(QStringLiteral("Frames per second"), &bottom);
    Label_fps->setObjectName(QStringLiteral("Label_fps"));
    Label2 = new ElidedLabel(QStringLiteral("Difference"), &bottom);
    Label2->setObjectName(QStringLiteral("Label2"));
    PlaceCaptions();
    bottom.installEventFilter(this);
    PaintBox_Video = new PaintBox(&bottom);
    PaintBox_Video->setObjectName(QStringLiteral("PaintBox_Video"));
    bottom.Place(*PaintBox_Video, QRect(8, 32, 359, 436),
                 Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge);
}

void TFrame1::CreateControlRows() {
    for (int i = 0; i < int(FControlRows.size()); ++i) {
        TImageControlRow& row = FControlRows[std::size_t(i)];
        row.Create(*Panel_Top, i);
        connect(row.TrackBar, &QSlider::valueChanged, this, [this, &row] { TrackBarChange(*row.TrackBar); });
        connect(row.CheckBox, &QCheckBox::clicked, this, [this, &row] { CheckBoxClick(*row.CheckBox); });
        row.NameLabel->show();
        row.TrackBar->show();
        row.CheckBox->show();
    }
}

void TFrame1::ShowCamerasMenu(QWidget& widget, QPoint place) {
    PopupMenu1->popup(widget.mapToGlobal(place));
}

// ---- set-up and release ----

void TFrame1::InitFrame() {
    KAMSEL_ASSERT_UI_THREAD();
    if (FInitialised)
        return;
    FInitialised = true;
    handler_.Init(AppFolder());
    SpeedButton_Stop->setEnabled(false);

    FVideoImage = std::make_unique<frames::TVideoImage>(services_.Facade);
    FVideoImage->SetDisplayCanvas(nullptr); // the pane paints, not the facade
    FVideoImage->FrameCallback = [this](frames::TVideoImage& sender, std::int32_t, std::int32_t,
                                        const std::uint8_t*) { OnVideoFrame(sender); };
    FVideoImage->StreamEndCallback = [this](frames::TVideoImage&, const QString& reason) {
        OnStreamEnded(reason);
    };
    UpdateCameraList();
    if (!services_.DeviceFolder.isEmpty())
        deviceWatcher_ =
            std::make_unique<DeviceFolderWatcher>(services_.DeviceFolder, [this] { DevicesChanged(); });
    if (!FControlRows[0].Created())
        CreateControlRows();
}

QString TFrame1::AppFolder() const {
    if (!services_.AppFolder.isEmpty())
        return services_.AppFolder;
    return QString::fromStdString(system::ExecutableDirectory()) + QLatin1Char('/');
}

void TFrame1::StopVideoIfRunning() {
    KAMSEL_ASSERT_UI_THREAD();
    if (SpeedButton_Stop->isEnabled())
        SpeedButton_StopClick();
}

void TFrame1::ReleaseVideo() {
    KAMSEL_ASSERT_UI_THREAD();
    if (!FVideoImage)
        return;
    deviceWatcher_.reset();
    FVideoImage.reset();
    FInitialised = false;
}

// ---- camera list ----

void TFrame1::UpdateCameraList() {
    if (!FVideoImage)
        return;
    QStringList names;
    FVideoImage->GetListOfDevices(names);
    // The camera being watched stays selected when it is still listed where it
    // was, so that a Stop and the next Start open the same device.
    const int previousIndex = ComboBox_Cams->currentIndex();
    const QString previousName = previousIndex >= 0 ? ComboBox_Cams->itemText(previousIndex) : QString();
    const bool keepSelection = previousIndex >= 0 && previousIndex < names.size() &&
                               names[previousIndex] == previousName && previousName != kNoCameras;
    const QString editText = ComboBox_Cams->currentText();
    ComboBox_Cams->clear();
    ComboBox_Cams->addItems(names);
    ComboBox_Cams->setCurrentIndex(-1);
    ComboBox_Cams->setEditText(editText);
    SpeedButton_RunVideo->setEnabled(false);
    if (ComboBox_Cams->count() == 0) {
        // The edit field says so too, rather than naming a camera that has gone.
        ComboBox_Cams->addItem(kNoCameras);
        ComboBox_Cams->setCurrentIndex(-1);
        ComboBox_Cams->setEditText(kNoCameras);
        return;
    }
    ComboBox_Cams->setCurrentIndex(keepSelection ? previousIndex : 0);
    SpeedButton_RunVideo->setEnabled(true);
}

void TFrame1::DevicesChanged() {
    // A running or paused pane keeps its list: the camera in use is listed
    // as it was started.
    if (FVideoImage && !SpeedButton_Stop->isEnabled() && ComboBox_Cams->isEnabled())
        UpdateCameraList();
}

void TFrame1::Updatelistofcameras1Click() {
    UpdateCameraList();
}

// ---- start, pause, stop ----

void TFrame1::SpeedButton_RunVideoClick() {
    if (!FVideoImage)
        return;
    if (FVideoImage->IsPaused()) {
        FVideoImage->VideoResume();
        ShowRunningButtons();
        return;
    }
    // Pending events are handled while the camera starts; a second click
    // among them must not start it once more.
    const bool runEnabled = SpeedButton_RunVideo->isEnabled();
    SpeedButton_RunVideo->setEnabled(false);
    std::int32_t result = 0;
    {
        const WaitCursor busy;
        ClearPaintBox();
        WaitCursor::ProcessPendingEvents();
        // The window may have closed among those events and released the
        // facade; so may it among the next.
        if (!FVideoImage)
            return;
        result =
            FVideoImage->VideoStart(QLatin1Char('#') + QString::number(ComboBox_Cams->currentIndex() + 1));
    }
    WaitCursor::ProcessPendingEvents();
    if (!FVideoImage)
        return;
    if (result != 0) {
        SpeedButton_RunVideo->setEnabled(runEnabled);
        ShowError(QStringLiteral("Could not start video (Error %1)").arg(result));
        return;
    }
    // The stream may have ended among the pending events just handled; the
    // pane is Idle again then and the user has been told.
    if (!FVideoImage->IsCapturing())
        return;
    ShowVideoSize();
    handler_.VideoStarted();
    ShowRunningButtons();
    ComboBox_Cams->setEnabled(false);

    QStringList sizes;
    FVideoImage->GetListOfSupportedVideoSizes(sizes);
    ComboBox1->clear();
    ComboBox1->addItems(sizes);
    ComboBox1->setCurrentIndex(-1);
    ChoosePreferredVideoSize();
    FillControlRows();
}

void TFrame1::ChoosePreferredVideoSize() {
    const int preferred = FPreferredVideoSize.isEmpty() ? -1 : ComboBox1->findText(FPreferredVideoSize);
    if (preferred < 0)
        return;
    ComboBox1->setCurrentIndex(preferred);
    FVideoImage->SetResolutionByIndex(preferred);
    ShowVideoSize();
}

void TFrame1::FillControlRows() {
    for (int i = 0; i < int(FControlRows.size()); ++i) {
        TImageControlRow& row = FControlRows[std::size_t(i)];
        if (!row.Created())
            continue;
        TImageControlRow::Reading reading;
        std::int32_t defaultValue = 0; // not shown
        reading.status = FVideoImage->GetVideoPropertySettings(i, reading.min, reading.max, reading.step,
                                                               defaultValue, reading.value, reading.manual);
        row.Show(reading);
    }
}

void TFrame1::SpeedButton_PauseClick() {
    if (FVideoImage)
        FVideoImage->VideoPause();
    SpeedButton_VidSettings->setEnabled(false);
    SpeedButton_VidSize->setEnabled(false);
    SpeedButton_Stop->setEnabled(true);
    SpeedButton_Pause->setEnabled(false);
    SpeedButton_RunVideo->setEnabled(true);
}

void TFrame1::SpeedButton_StopClick() {
    SpeedButton_VidSettings->setEnabled(false);
    SpeedButton_VidSize->setEnabled(false);
    {
        // A stream that ends among the pending events is stopped by the user
        // all the same: no box for it.
        const QScopedValueRollback stopping(FStopping, true);
        const WaitCursor busy;
        WaitCursor::ProcessPendingEvents();
        if (FVideoImage)
            FVideoImage->VideoStop();
    }
    ShowIdleButtons();
    UpdateCameraList();
}

void TFrame1::OnStreamEnded(const QString& reason) {
    KAMSEL_ASSERT_UI_THREAD();
    // The facade has freed the capture object already, as a Stop does; the
    // pane follows, so that the user can start again.
    ShowIdleButtons();
    UpdateCameraList();
    if (!FStopping)
        ShowError(QStringLiteral("Video stopped: %1").arg(reason));
}

void TFrame1::ShowRunningButtons() {
    SpeedButton_VidSettings->setEnabled(true);
    SpeedButton_VidSize->setEnabled(true);
    SpeedButton_Stop->setEnabled(true);
    SpeedButton_Pause->setEnabled(true);
    SpeedButton_RunVideo->setEnabled(false);
}

void TFrame1::ShowIdleButtons() {
    SpeedButton_VidSettings->setEnabled(false);
    SpeedButton_VidSize->setEnabled(false);
    SpeedButton_Stop->setEnabled(false);
    SpeedButton_RunVideo->setEnabled(true);
    SpeedButton_Pause->setEnabled(false);
    ComboBox_Cams->setEnabled(true);
}

void TFrame1::ShowError(const QString& message) {
    if (services_.ErrorBox) {
        services_.ErrorBox(*this, message);
        return;
    }
    QMessageBox::critical(this, QStringLiteral("Error"), message, QMessageBox::Ok);
}

// ---- dialogs and sizes ----

void TFrame1::SpeedButton_VidSettingsClick() {
    if (!FVideoImage)
        return;
    FVideoImage->ShowProperty();
    ClearPaintBox();
}

void TFrame1::SpeedButton_VidSizeClick() {
    if (!FVideoImage)
        return;
    ClearPaintBox();
    FVideoImage->ShowProperty_Stream();
    ShowVideoSize();
    // When the format cannot be read after the dialog the facade has stopped
    // capture; buttons that offered pause and stop would tell otherwise.
    if (!FVideoImage->IsCapturing()) {
        ShowIdleButtons();
        UpdateCameraList();
    }
}

void TFrame1::ComboBox1Change() {
    if (!FVideoImage)
        return;
    FVideoImage->SetResolutionByIndex(ComboBox1->currentIndex());
    ShowVideoSize();
    FPreferredVideoSize = ComboBox1->currentText();
    NotifyChoiceChanged();
}

void TFrame1::ShowVideoSize() {
    Label_VideoSize->setText(
        QStringLiteral("Video size %1 x %2").arg(FVideoImage->VideoWidth).arg(FVideoImage->VideoHeight));
    Label_VideoSize->adjustSize();
}

void TFrame1::SpeedButton1Click() {
    Panel_Top->setFixedHeight(Panel_Top->height() == kTopHeight ? kTopHeightSettings : kTopHeight);
    layout()->activate(); // the video area follows at once, not at the next event
    NotifyChoiceChanged();
}

// ---- remembered choices ----

PaneChoices TFrame1::Choices() const {
    PaneChoices choices;
    const int camera = ComboBox_Cams->currentIndex();
    if (camera >= 0 && ComboBox_Cams->itemText(camera) != kNoCameras) {
        choices.Camera = ComboBox_Cams->itemText(camera);
        choices.CameraIndex = camera;
    }
    choices.VideoSize = FPreferredVideoSize;
    choices.DisplayMode = ComboBox_DisplayMode->currentIndex();
    choices.SettingsOpen = Panel_Top->height() != kTopHeight;
    return choices;
}

void TFrame1::RestoreChoices(const PaneChoices& choices) {
    // By name first; among several cameras of that name, the one at the
    // remembered place.
    int camera = -1;
    for (int i = 0; i < ComboBox_Cams->count(); ++i) {
        if (ComboBox_Cams->itemText(i) != choices.Camera || choices.Camera == kNoCameras)
            continue;
        if (camera < 0 || i == choices.CameraIndex)
            camera = i;
    }
    if (camera >= 0 && ComboBox_Cams->isEnabled())
        ComboBox_Cams->setCurrentIndex(camera);
    FPreferredVideoSize = choices.VideoSize;
    if (choices.DisplayMode >= 0 && choices.DisplayMode < ComboBox_DisplayMode->count())
        ComboBox_DisplayMode->setCurrentIndex(choices.DisplayMode);
    if (choices.SettingsOpen != (Panel_Top->height() != kTopHeight)) {
        Panel_Top->setFixedHeight(choices.SettingsOpen ? kTopHeightSettings : kTopHeight);
        layout()->activate();
    }
}

void TFrame1::NotifyChoiceChanged() {
    if (ChoiceChanged)
        ChoiceChanged();
}

// ---- image controls ----

void TFrame1::TrackBarChange(const QObject& sender) {
    const int i = sender.property("tag").toInt();
    if (!FVideoImage || i < 0 || i >= int(FControlRows.size()))
        return;
    const TImageControlRow& row = FControlRows[std::size_t(i)];
    FVideoImage->SetVideoProperty(i, row.TrackBar->value(), row.CheckBox->isChecked());
}

void TFrame1::CheckBoxClick(const QObject& sender) {
    // Value and mode travel together, whichever of the two changed.
    TrackBarChange(sender);
}

// ---- painting ----

void TFrame1::ClearPaintBox() {
    PaintBox_Video->Clear();
}

void TFrame1::OnVideoFrame(frames::TVideoImage& sender) {
    KAMSEL_ASSERT_UI_THREAD();
    VideoImageFrames frames(sender);
    handler_.OnVideoFrame(frames);
}

int TFrame1::SelectedDisplayMode() const {
    return ComboBox_DisplayMode->currentIndex();
}

void TFrame1::DrawFrame(const frames::Bitmap24& bitmap) {
    PaintBox_Video->Draw(bitmap);
}

void TFrame1::SetRateCaption(const QString& text) {
    Label_fps->setText(text);
    PlaceCaptions();
}

void TFrame1::SetDifferenceCaption(const QString& text) {
    Label2->setText(text);
    PlaceCaptions();
}

void TFrame1::PlaceCaptions() {
    // The rate caption starts at 144 and the ratio caption at 296, as
    // designed; a longer rate text (skipped frames counted in the thousands)
    // pushes the ratio to the right as far as the pane has room, and what
    // still does not fit is cut short with an ellipsis, the whole caption in
    // the tool tip, rather than painted over its neighbour or past the edge.
    constexpr int kTop = 12;
    constexpr int kRateLeft = 144;
    constexpr int kRatioLeft = 296;
    constexpr int kGap = 4;
    const int right = Panel_Bottom->width();
    const QSize rate = Label_fps->sizeHint();
    const QSize ratio = Label2->sizeHint();
    int ratioLeft = std::max(kRatioLeft, kRateLeft + rate.width() + kGap);
    if (ratioLeft + ratio.width() > right)
        ratioLeft = std::max(kRatioLeft, right - ratio.width());
    Label2->setGeometry(ratioLeft, kTop, std::max(0, std::min(ratio.width(), right - ratioLeft)),
                        ratio.height());
    Label_fps->setGeometry(kRateLeft, kTop, std::min(rate.width(), ratioLeft - kGap - kRateLeft),
                           rate.height());
    Label_fps->RefreshToolTip();
    Label2->RefreshToolTip();
}

bool TFrame1::eventFilter(QObject* watched, QEvent* event) {
    // A wider pane may have room for the whole captions.
    if (watched == Panel_Bottom && event->type() == QEvent::Resize)
        PlaceCaptions();
    return QFrame::eventFilter(watched, event);
}

} // namespace kamsel::pane
