#include "DeviceStatusCodes.h"

#include "platform/system/CaptureLog.h"

namespace kamsel::dshow {

com::HRESULT ReportDeviceStatus(const media::DeviceStatus& status) {
    if (status.Ok())
        return com::S_OK;
    // Every device of the program words its failures; a bare code can only
    // come from a device that did not, and is still worth a line.
    const QString text = status.message.empty()
                             ? QStringLiteral("a video device failed with error %1").arg(status.error)
                             : QString::fromStdString(status.message);
    qCWarning(system::CaptureLog).noquote() << text;
    return HresultFromDevice(status);
}

} // namespace kamsel::dshow
