#pragma once
// A class factory that fails, for making CoCreateInstance of one class fail in
// a test:
//
//     ScopedClassOverride noGrabber(CLSID_SampleGrabber, FailingFactory(E_OUTOFMEMORY));

#include "platform/dshow/ClassRegistry.h"

namespace kamsel::dshow::fake {

ClassFactory FailingFactory(HRESULT status);

} // namespace kamsel::dshow::fake
