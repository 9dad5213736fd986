#pragma once
// Property frames: a modal dialog showing the property pages of an object.
//
// OleCreatePropertyFrame builds one tab per page class for the given objects
// and runs the dialog modally on the user-interface thread; it returns when the
// user closes it. Page classes this layer knows: CLSID_DeviceControlsPropertyPage
// (every control of an IDeviceControls object) and
// CLSID_VideoStreamConfigPropertyPage (format, size and rate of an
// IAMStreamConfig object).

#include "FilterInterfaces.h"

#include <functional>

class QDialog;

namespace kamsel::dshow {

// Shows the frame. S_OK once the user has closed it (with OK or Cancel);
// E_POINTER for missing objects or pages, E_INVALIDARG for no object or no
// page, REGDB_E_CLASSNOTREG for an unknown page class, E_NOINTERFACE when the
// object lacks what a page needs (nothing is shown then).
HRESULT OleCreatePropertyFrame(HWND owner, UINT x, UINT y, LPCOLESTR caption, ULONG objectCount,
                               IUnknown** objects, ULONG pageCount, const CLSID* pages, LCID locale,
                               DWORD reserved, void* reserved2);

// Lets a test see each frame before it runs and close it: the hook receives the
// dialog, built and about to run modally, and typically queues its acceptance
// (QMetaObject::invokeMethod(&dialog, ..., Qt::QueuedConnection)). While an
// object of this class lives, every frame goes through its hook; the previous
// hook (if any) is restored when it goes.
class ScopedPropertyFrameHook {
  public:
    using Hook = std::function<void(QDialog&)>;
    explicit ScopedPropertyFrameHook(Hook hook);
    ~ScopedPropertyFrameHook();
    ScopedPropertyFrameHook(const ScopedPropertyFrameHook&) = delete;
    ScopedPropertyFrameHook& operator=(const ScopedPropertyFrameHook&) = delete;

  private:
    Hook previous_;
};

} // namespace kamsel::dshow
