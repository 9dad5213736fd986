#include "DeviceControlsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace kamsel::dshow {

namespace {
QString StatusText(HRESULT hr) {
    return QString::number(static_cast<quint32>(hr), 16).toUpper().rightJustified(8, '0');
}
} // namespace

DeviceControlsPage::DeviceControlsPage(com::ComPtr<IDeviceControls> device,
                                       const std::vector<media::DeviceControl>& controls)
    : device_(std::move(device)), status_(new QLabel(this)) {
    setObjectName(QStringLiteral("DeviceControlsPage"));
    auto* layout = new QFormLayout(this);
    for (const media::DeviceControl& control : controls) {
        QWidget* editor = Editor(control);
        editor->setEnabled(!control.readOnly && !control.inactive);
        layout->addRow(QString::fromStdString(control.name), editor);
    }
    layout->addRow(status_);
}

QWidget* DeviceControlsPage::Editor(const media::DeviceControl& control) {
    LONG value = control.defaultValue;
    device_->GetControlValue(control.id, &value);
    switch (control.kind) {
    case media::DeviceControl::Kind::Boolean: {
        auto* box = new QCheckBox(this);
        box->setChecked(value != 0);
        connect(box, &QCheckBox::toggled, this, [this, control](bool on) { Change(control, on ? 1 : 0); });
        return box;
    }
    case media::DeviceControl::Kind::Menu: {
        auto* box = new QComboBox(this);
        for (const auto& [item, label] : control.menuItems) {
            box->addItem(QString::fromStdString(label), item);
            if (item == value)
                box->setCurrentIndex(box->count() - 1);
        }
        connect(box, &QComboBox::activated, this,
                [this, control, box](int index) { Change(control, box->itemData(index).toInt()); });
        return box;
    }
    case media::DeviceControl::Kind::Button: {
        auto* button = new QPushButton(QString::fromStdString(control.name), this);
        connect(button, &QPushButton::clicked, this, [this, control] { Change(control, 1); });
        return button;
    }
    case media::DeviceControl::Kind::Integer:
        break;
    }
    auto* row = new QWidget(this);
    auto* slider = new QSlider(Qt::Horizontal, row);
    auto* shown = new QLabel(QString::number(value), row);
    slider->setRange(control.min, control.max);
    slider->setSingleStep(std::max(1, control.step));
    slider->setValue(value);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(slider);
    layout->addWidget(shown);
    connect(slider, &QSlider::valueChanged, this, [this, control, shown](int changed) {
        shown->setNum(changed);
        Change(control, changed);
    });
    return row;
}

void DeviceControlsPage::Change(const media::DeviceControl& control, LONG value) {
    const HRESULT hr = device_->SetControlValue(control.id, value);
    status_->setText(
        SUCCEEDED(hr)
            ? QString()
            : tr("Could not set %1 (error 0x%2)").arg(QString::fromStdString(control.name), StatusText(hr)));
}

} // namespace kamsel::dshow
