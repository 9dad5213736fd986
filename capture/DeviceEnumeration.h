#pragma once
// Finding the video capture devices the platform lists: their friendly names
// for the camera box, and one device's capture filter by name or position.
//
// Both walk the platform's enumeration of the video input category afresh on
// every call, in its order, so while the devices do not change, line N of the
// list is the device that position "#N" finds. The friendly name arrives as
// wide text and becomes the program's text (QString) unchanged.
//
// User-interface thread. Statuses are platform status codes: 0 success,
// negative failure, 1 (S_FALSE) when nothing was found.

#include "platform/com/ComPtr.h"
#include "platform/dshow/FilterInterfaces.h"

#include <QString>
#include <QStringList>

namespace kamsel::capture {

using com::HRESULT;

// Clears list and adds one line per device, names as the devices give them
// (not trimmed; equal names give equal lines). The walk ends at the first
// device whose properties or name cannot be read. Returns the status of the
// category enumeration: 0 with devices, 1 with none, or the platform's failure.
HRESULT ListCaptureDevices(QStringList& list);

// Finds the device that deviceText names and binds its capture filter into
// *filter. deviceText, trimmed of leading and trailing characters with codes 0
// to 32 (empty means "#1"), matches a device whose trimmed friendly name is
// equal up to the case of the ASCII letters; failing that, "#" followed by
// decimal digits matches the device at that position (1 is the first; "#0"
// matches none), and any other text of exactly two characters, "#" and c,
// the device at position c - 48. On a match foundName receives the trimmed
// friendly name.
// Returns 0 when bound; 1 when no device matched; E_POINTER without filter;
// E_FAIL when there is no device at all; otherwise the failure of the step
// that ended the search (a device that cannot be read or bound ends it).
HRESULT FindCaptureDevice(const QString& deviceText, QString& foundName,
                          com::ComPtr<dshow::IBaseFilter>* filter);

} // namespace kamsel::capture
