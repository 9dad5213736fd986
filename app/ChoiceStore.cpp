#include "ChoiceStore.h"

#include <QFile>
#include <QSettings>

namespace kamsel::app {

Q_LOGGING_CATEGORY(SettingsLog, "kamsel.settings")

namespace {

QString PaneGroup(std::size_t pane) {
    return QStringLiteral("Pane%1").arg(pane + 1);
}

// Why the settings could not be read: the system's words for a file that
// cannot be opened, else the format's fault.
QString ReadFailure(const QSettings& settings) {
    if (settings.status() == QSettings::AccessError) {
        QFile file(settings.fileName());
        if (!file.open(QIODevice::ReadOnly))
            return file.errorString();
        return QStringLiteral("access denied");
    }
    return QStringLiteral("the file is damaged");
}

pane::PaneChoices ReadPane(QSettings& settings) {
    pane::PaneChoices pane;
    bool ok = false;
    pane.Camera = settings.value(QStringLiteral("Camera")).toString();
    const int cameraIndex = settings.value(QStringLiteral("CameraIndex"), -1).toInt(&ok);
    pane.CameraIndex = ok && cameraIndex >= 0 ? cameraIndex : -1;
    pane.VideoSize = settings.value(QStringLiteral("VideoSize")).toString();
    const int mode = settings.value(QStringLiteral("DisplayMode"), -1).toInt(&ok);
    pane.DisplayMode = ok && mode >= 0 ? mode : -1;
    pane.SettingsOpen = settings.value(QStringLiteral("SettingsOpen"), false).toBool();
    return pane;
}

void WritePane(QSettings& settings, const pane::PaneChoices& pane) {
    settings.setValue(QStringLiteral("Camera"), pane.Camera);
    settings.setValue(QStringLiteral("CameraIndex"), pane.CameraIndex);
    settings.setValue(QStringLiteral("VideoSize"), pane.VideoSize);
    settings.setValue(QStringLiteral("DisplayMode"), pane.DisplayMode);
    settings.setValue(QStringLiteral("SettingsOpen"), pane.SettingsOpen);
}

} // namespace

ChoiceStore::ChoiceStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QStringLiteral("KamselDemo"), QStringLiteral("KamselDemo"))) {}

ChoiceStore::ChoiceStore(const QString& fileName)
    : settings_(std::make_unique<QSettings>(fileName, QSettings::IniFormat)) {}

ChoiceStore::~ChoiceStore() = default;

QString ChoiceStore::FileName() const {
    return settings_->fileName();
}

RememberedChoices ChoiceStore::Read() const {
    RememberedChoices choices;
    if (settings_->status() != QSettings::NoError) {
        qCWarning(SettingsLog).noquote() << "cannot read the settings in" << FileName() << "("
                                         << ReadFailure(*settings_) << "); the defaults are used";
        return choices;
    }
    choices.Geometry = settings_->value(QStringLiteral("Window/Geometry")).toByteArray();
    bool ok = false;
    const double ratio = settings_->value(QStringLiteral("Window/SplitterRatio"), 0.5).toDouble(&ok);
    if (ok && ratio > 0.0 && ratio < 1.0)
        choices.SplitterRatio = ratio;
    choices.FitVideo = settings_->value(QStringLiteral("View/FitVideo"), false).toBool();
    for (std::size_t i = 0; i < choices.Panes.size(); ++i) {
        settings_->beginGroup(PaneGroup(i));
        choices.Panes[i] = ReadPane(*settings_);
        settings_->endGroup();
    }
    return choices;
}

void ChoiceStore::Write(const RememberedChoices& choices) {
    settings_->setValue(QStringLiteral("Window/Geometry"), choices.Geometry);
    settings_->setValue(QStringLiteral("Window/SplitterRatio"), choices.SplitterRatio);
    settings_->setValue(QStringLiteral("View/FitVideo"), choices.FitVideo);
    for (std::size_t i = 0; i < choices.Panes.size(); ++i) {
        settings_->beginGroup(PaneGroup(i));
        WritePane(*settings_, choices.Panes[i]);
        settings_->endGroup();
    }
    settings_->sync();
}

} // namespace kamsel::app
