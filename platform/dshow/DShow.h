#pragma once
// Everything the capture code uses of the DirectShow-compatible layer.

#include "ComApi.h"
#include "DeviceControlInterfaces.h"
#include "DeviceEnumInterfaces.h"
#include "FilterInterfaces.h"
#include "GrabberInterfaces.h"
#include "GraphInterfaces.h"
#include "MediaTypes.h"
#include "PropertyFrame.h"
#include "Uuids.h"
#include "Variant.h"
#include "WinTypes.h"
#include "WindowMessage.h"
