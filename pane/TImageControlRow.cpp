#include "pane/TImageControlRow.h"

#include "frames/TVideoImage.h"
#include "pane/AnchorPanel.h"

#include <QSignalBlocker>

namespace kamsel::pane {

void TImageControlRow::Create(AnchorPanel& panel, int index) {
    const QString number = QString::number(index);
    const int labelTop = LabelTop(index);

    QString name;
    frames::GetVideoPropertyName(index, name);
    NameLabel = new QLabel(name, &panel);
    NameLabel->setObjectName(QStringLiteral("NameLabel") + number);
    panel.Place(*NameLabel, QRect(QPoint(kLabelLeft, labelTop), NameLabel->sizeHint()));

    TrackBar = new QSlider(Qt::Horizontal, &panel);
    TrackBar->setObjectName(QStringLiteral("TrackBar") + number);
    TrackBar->setProperty("tag", index);
    TrackBar->setTickPosition(QSlider::TicksBothSides);
    TrackBar->setEnabled(false);
    panel.Place(*TrackBar, QRect(kSliderLeft, labelTop - 8, kSliderWidth, kSliderHeight),
                Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge);

    CheckBox = new QCheckBox(&panel);
    CheckBox->setObjectName(QStringLiteral("CheckBox") + number);
    CheckBox->setProperty("tag", index);
    CheckBox->setEnabled(false);
    const int boxHeight = CheckBox->sizeHint().height();
    panel.Place(*CheckBox, QRect(kSliderLeft + kSliderWidth + 8, labelTop - 3, boxHeight + 4, boxHeight),
                Qt::TopEdge | Qt::RightEdge);
}

void TImageControlRow::Show(const Reading& reading) {
    if (reading.status != 0) {
        // Whatever the slider and the box still show belongs to an earlier
        // camera; left enabled, moving them would send those values to this one.
        NameLabel->setEnabled(false);
        TrackBar->setEnabled(false);
        CheckBox->setEnabled(false);
        return;
    }
    // The device already holds these values; a write-back with the box's old
    // state could switch an automatic control to manual for a moment.
    const QSignalBlocker quietSlider(TrackBar);
    const QSignalBlocker quietBox(CheckBox);
    NameLabel->setEnabled(true);
    TrackBar->setEnabled(true);
    TrackBar->setRange(reading.min, reading.max);
    TrackBar->setTickInterval(reading.step);
    TrackBar->setValue(reading.value);
    CheckBox->setEnabled(true);
    CheckBox->setChecked(reading.manual);
}

} // namespace kamsel::pane
