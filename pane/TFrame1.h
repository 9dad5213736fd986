#pragma once
// TFrame1: the camera pane, the user interface for one camera. It lists the
// capture devices, starts, pauses, resumes and stops one of them through its
// own frame facade, chooses the video size, opens the device's two property
// dialogs and offers a slider with a manual/automatic box for each of the ten
// camera image controls. Each delivered frame goes to the pane's frame handler,
// which paints it into PaintBox_Video in the chosen display mode.
//
// Controls keep their design names, as public members and as Qt object names.
// Places are pixels on a pane designed 368 x 580: Panel_Top (104 high, 377
// with the settings rows open) above Panel_Bottom, which holds the labels and
// the paint box that stretches with the pane.
//
// States: Idle (no capture), Running, Paused; the buttons follow them (see the
// Click handlers). Calls come from the main window in this order: InitFrame
// once when it is first shown, StopVideoIfRunning when it is asked to close,
// ReleaseVideo when it closes.
//
// Threads: user-interface thread only.

#include "frames/TVideoImage.h"
#include "pane/ButtonPictures.h"
#include "pane/ElidedLabel.h"
#include "pane/FrameHandler.h"
#include "pane/FrameView.h"
#include "pane/PaneChoices.h"
#include "pane/TImageControlRow.h"

#include <QFrame>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QToolButton;

namespace kamsel::pane {

class AnchorPanel;
class DeviceFolderWatcher;
class PaintBox;

class TFrame1 : public QFrame, public FrameView {
  public:
    // What the pane takes from its surroundings; tests replace them.
    struct Services {
        frames::TVideoImage::Services Facade;
        FrameHandler::Services Handler;
        // Folder beside which snapshots go (ending in '/'); empty: the
        // executable's folder.
        QString AppFolder;
        // Shows an error to the user and returns when it has been seen; empty:
        // a modal error box with an OK button over the pane.
        std::function<void(QWidget& pane, const QString& message)> ErrorBox;
        // Where V4L2 devices appear and disappear; while the pane is not
        // running, its camera list follows them by itself. Empty: not watched.
        QString DeviceFolder = QStringLiteral("/dev");
    };

    static constexpr int kDesignWidth = 368;
    static constexpr int kDesignHeight = 580;
    static constexpr int kTopHeight = 104;         // Panel_Top with the settings closed
    static constexpr int kTopHeightSettings = 377; // and open

    explicit TFrame1(QWidget* parent = nullptr);
    explicit TFrame1(Services services, QWidget* parent = nullptr);
    ~TFrame1() override;
    TFrame1(const TFrame1&) = delete;
    TFrame1& operator=(const TFrame1&) = delete;

    // One-time set-up: the facade, the camera list, the frame handler and the
    // ten image-control rows. Later calls do nothing until ReleaseVideo.
    void InitFrame();
    // Stops the camera if it runs or is paused (the Stop button is enabled).
    void StopVideoIfRunning();
    // Disposes of the facade; capture must have been stopped.
    void ReleaseVideo();

    FrameHandler& Handler() { return handler_; }

    // Handlers, as the controls call them.
    void SpeedButton_RunVideoClick();
    void SpeedButton_PauseClick();
    void SpeedButton_StopClick();
    void SpeedButton_VidSettingsClick();
    void SpeedButton_VidSizeClick();
    void SpeedButton1Click();
    void ComboBox1Change();
    void Updatelistofcameras1Click();
    // The row's handlers; sender is the slider or box that fired (its "tag"
    // property names the row).
    void TrackBarChange(const QObject& sender);
    void CheckBoxClick(const QObject& sender);

    // Lists the capture devices in ComboBox_Cams and selects the one selected
    // before when the same name is still at the same place, else the first.
    void UpdateCameraList();
    // The user's choices, to be remembered for the next run.
    PaneChoices Choices() const;
    // Puts back remembered choices, after InitFrame; never starts the camera.
    // A camera no longer listed leaves the first one selected; the video size
    // is chosen when the camera starts, if the camera still offers it.
    void RestoreChoices(const PaneChoices& choices);
    // Called after the user changed one of the choices.
    std::function<void()> ChoiceChanged;

    // Fills the paint box with the pane's colour.
    void ClearPaintBox();

    // FrameView, for the frame handler.
    int SelectedDisplayMode() const override;
    void DrawFrame(const frames::Bitmap24& bitmap) override;
    void SetRateCaption(const QString& text) override;
    void SetDifferenceCaption(const QString& text) override;

    // Controls, owned by the widget tree.
    AnchorPanel* Panel_Top = nullptr;
    QLabel* Label_Cameras = nullptr;
    QComboBox* ComboBox_Cams = nullptr;
    QToolButton* SpeedButton_RunVideo = nullptr;
    QToolButton* SpeedButton_Pause = nullptr;
    QToolButton* SpeedButton_Stop = nullptr;
    QToolButton* SpeedButton_VidSettings = nullptr;
    QToolButton* SpeedButton_VidSize = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* ComboBox_DisplayMode = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QLabel* Label4 = nullptr;
    QFrame* Bevel1 = nullptr;
    AnchorPanel* Panel_Bottom = nullptr;
    QLabel* Label_VideoSize = nullptr;
    ElidedLabel* Label_fps = nullptr;
    ElidedLabel* Label2 = nullptr;
    PaintBox* PaintBox_Video = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Updatelistofcameras1 = nullptr;

    // The generated rows, created by InitFrame.
    std::array<TImageControlRow, 10> FControlRows;

    bool FInitialised = false;
    // The pane's frame facade; created by InitFrame, gone after ReleaseVideo.
    std::unique_ptr<frames::TVideoImage> FVideoImage;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateTopControls();
    void CreateCameraBox();
    void CreateButtons();
    void CreateModeAndSizeBoxes();
    void CreateSettingsToggle();
    void CreateBottomControls();
    void CreateControlRows();
    QLabel* AddLabel(AnchorPanel& panel, const char* name, const QString& text, QPoint place);
    QToolButton* AddButton(const char* name, QRect place, const QString& hint, ButtonPicture picture);
    void ShowCamerasMenu(QWidget& widget, QPoint place);

    // Lays out the rate and the ratio captions on their shared line.
    void PlaceCaptions();
    void OnVideoFrame(frames::TVideoImage& sender);
    // The camera's stream ended on its own: back to Idle, and the user is told why.
    void OnStreamEnded(const QString& reason);
    void ShowVideoSize();
    void ShowRunningButtons();
    void ShowIdleButtons();
    void FillControlRows();
    void ShowError(const QString& message);
    // Chooses the remembered video size once the started camera lists its
    // sizes, if it offers it.
    void ChoosePreferredVideoSize();
    void NotifyChoiceChanged();
    // A device came or went: a pane that is not running lists the cameras again.
    void DevicesChanged();
    QString AppFolder() const;

    Services services_;
    FrameHandler handler_;
    // Set while SpeedButton_StopClick runs.
    bool FStopping = false;
    // The video size line last chosen, by the user or remembered.
    QString FPreferredVideoSize;
    // Lives from InitFrame to ReleaseVideo.
    std::unique_ptr<DeviceFolderWatcher> deviceWatcher_;
};

} // namespace kamsel::pane
