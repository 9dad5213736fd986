#pragma once
// The device page: one row per control the device offers, a slider for an
// integer, a check box for a boolean, a drop-down list for a menu, a button
// for an action. A change reaches the device at once, so its effect shows in
// the running picture; a control the device refuses is named in the page's
// status line.
//
// Drivers tie controls together: turning an automatic mode off makes its
// manual value active, and the driver may move other values itself. After a
// change the page reads every control's state and value again, once the user
// has paused (a drag sends a change per step, and each read is a request to
// the device), and shows them; the editor under the user's hand keeps its
// place.

#include "DeviceControlInterfaces.h"
#include "PropertyPage.h"

#include "platform/com/ComPtr.h"

#include <QTimer>

#include <functional>
#include <vector>

class QLabel;

namespace kamsel::dshow {

class DeviceControlsPage final : public PropertyPage {
  public:
    // controls: the device's controls as the object lists them.
    DeviceControlsPage(com::ComPtr<IDeviceControls> device,
                       const std::vector<media::DeviceControl>& controls);

    HRESULT Apply() override { return S_OK; }

  private:
    struct Row {
        ULONG id;
        QWidget* editor;
        // Shows a value read from the device without sending it back.
        std::function<void(LONG)> show;
    };

    Row MakeRow(const media::DeviceControl& control);
    void Change(const media::DeviceControl& control, LONG value);
    void Refresh();

    com::ComPtr<IDeviceControls> device_;
    QLabel* status_;
    std::vector<Row> rows_;
    QTimer refresh_;
};

} // namespace kamsel::dshow
