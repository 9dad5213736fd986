#pragma once
// The device page: one row per control the device offers, a slider for an
// integer, a check box for a boolean, a drop-down list for a menu, a button
// for an action. A change reaches the device at once, so its effect shows in
// the running picture; a control the device refuses is named in the page's
// status line.

#include "DeviceControlInterfaces.h"
#include "PropertyPage.h"

#include "platform/com/ComPtr.h"

class QLabel;

namespace kamsel::dshow {

class DeviceControlsPage final : public PropertyPage {
  public:
    // controls: the device's controls as the object lists them.
    DeviceControlsPage(com::ComPtr<IDeviceControls> device,
                       const std::vector<media::DeviceControl>& controls);

    HRESULT Apply() override { return S_OK; }

  private:
    QWidget* Editor(const media::DeviceControl& control);
    void Change(const media::DeviceControl& control, LONG value);

    com::ComPtr<IDeviceControls> device_;
    QLabel* status_;
};

} // namespace kamsel::dshow
