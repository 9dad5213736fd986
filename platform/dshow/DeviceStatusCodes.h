#pragma once
// A device's status as a framework status: success is S_OK, an errno-style
// failure (negative or positive errno) the platform's wrapped system error.

#include "platform/com/ComTypes.h"
#include "platform/media/VideoDevice.h"

namespace kamsel::dshow {

inline com::HRESULT HresultFromDevice(const media::DeviceStatus& status) {
    if (status.Ok())
        return com::S_OK;
    // Unsigned arithmetic: the most negative error has no positive counterpart.
    const auto error = static_cast<std::uint32_t>(status.error);
    const std::uint32_t magnitude = status.error < 0 ? 0u - error : error;
    return com::MakeHresult(0x80070000u | (magnitude & 0xFFFFu));
}

// HresultFromDevice for the steps a user asks for (open, format, start, a
// control's value) and for a stream that ended: a failure's message, which
// names the device or file and the system's reason, is logged once to
// kamsel.capture here, as only the bare code travels on. Queries that probe
// what a device offers use HresultFromDevice and stay quiet.
com::HRESULT ReportDeviceStatus(const media::DeviceStatus& status);

} // namespace kamsel::dshow
