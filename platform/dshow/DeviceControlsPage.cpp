#include "DeviceControlsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include <algorithm>

namespace kamsel::dshow {

namespace {
QString StatusText(HRESULT hr) {
    return QString::number(static_cast<quint32>(hr), 16).toUpper().rightJustified(8, '0');
}

bool Editable(const media::DeviceControl& control) {
    return !control.readOnly && !control.inactive;
}
} // namespace

DeviceControlsPage::DeviceControlsPage(com::ComPtr<IDeviceControls> device,
                                       const std::vector<media::DeviceControl>& controls)
    : device_(std::move(device)), status_(new QLabel(this)) {
    setObjectName(QStringLiteral("DeviceControlsPage"));
    auto* layout = new QFormLayout(this);
    for (const media::DeviceControl& control : controls) {
        rows_.push_back(MakeRow(control));
        rows_.back().editor->setEnabled(Editable(control));
        layout->addRow(QString::fromStdString(control.name), rows_.back().editor);
    }
    layout->addRow(status_);
    refresh_.setSingleShot(true);
    refresh_.setInterval(150);
    connect(&refresh_, &QTimer::timeout, this, &DeviceControlsPage::Refresh);
}

DeviceControlsPage::Row DeviceControlsPage::MakeRow(const media::DeviceControl& control) {
    LONG value = control.defaultValue;
    device_->GetControlValue(control.id, &value);
    switch (control.kind) {
    case media::DeviceControl::Kind::Boolean: {
        auto* box = new QCheckBox(this);
        auto show = [box](LONG shown) {
            const QSignalBlocker quiet(box);
            box->setChecked(shown != 0);
        };
        show(value);
        connect(box, &QCheckBox::toggled, this, [this, control](bool on) { Change(control, on ? 1 : 0); });
        return {control.id, box, show};
    }
    case media::DeviceControl::Kind::Menu: {
        auto* box = new QComboBox(this);
        for (const auto& [item, label] : control.menuItems)
            box->addItem(QString::fromStdString(label), item);
        // Only the user's choice sends "activated"; setting the index is quiet.
        auto show = [box](LONG shown) {
            if (const int index = box->findData(static_cast<int>(shown)); index >= 0)
                box->setCurrentIndex(index);
        };
        show(value);
        connect(box, &QComboBox::activated, this,
                [this, control, box](int index) { Change(control, box->itemData(index).toInt()); });
        return {control.id, box, show};
    }
    case media::DeviceControl::Kind::Button: {
        auto* button = new QPushButton(QString::fromStdString(control.name), this);
        connect(button, &QPushButton::clicked, this, [this, control] { Change(control, 1); });
        return {control.id, button, [](LONG) {}};
    }
    case media::DeviceControl::Kind::Integer:
        break;
    }
    auto* row = new QWidget(this);
    auto* slider = new QSlider(Qt::Horizontal, row);
    auto* shown = new QLabel(row);
    slider->setRange(control.min, control.max);
    slider->setSingleStep(std::max(1, control.step));
    auto show = [slider, shown](LONG read) {
        if (slider->isSliderDown())
            return;
        const QSignalBlocker quiet(slider);
        slider->setValue(read);
        shown->setNum(read);
    };
    show(value);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(slider);
    layout->addWidget(shown);
    // A read while the slider was held skipped it.
    connect(slider, &QSlider::sliderReleased, &refresh_, qOverload<>(&QTimer::start));
    connect(slider, &QSlider::valueChanged, this, [this, control, shown](int changed) {
        shown->setNum(changed);
        Change(control, changed);
    });
    return {control.id, row, show};
}

void DeviceControlsPage::Change(const media::DeviceControl& control, LONG value) {
    const HRESULT hr = device_->SetControlValue(control.id, value);
    status_->setText(
        SUCCEEDED(hr)
            ? QString()
            : tr("Could not set %1 (error 0x%2)").arg(QString::fromStdString(control.name), StatusText(hr)));
    refresh_.start();
}

void DeviceControlsPage::Refresh() {
    std::vector<media::DeviceControl> controls;
    if (FAILED(device_->GetControls(&controls)))
        return;
    for (const media::DeviceControl& control : controls) {
        const auto row =
            std::find_if(rows_.begin(), rows_.end(), [&](const Row& each) { return each.id == control.id; });
        if (row == rows_.end())
            continue;
        row->editor->setEnabled(Editable(control));
        LONG value = 0;
        if (control.kind == media::DeviceControl::Kind::Button ||
            FAILED(device_->GetControlValue(control.id, &value)))
            continue;
        row->show(value);
    }
}

} // namespace kamsel::dshow
