#pragma once
// The capture filter of one video device: the object a device moniker binds
// to. It owns the opened device and its capture pin, streams while it runs
// (the device's streaming thread delivers through the pin), and offers the
// device's image controls (IAMVideoProcAmp and the VIDEOPROCAMP property set
// of IKsPropertySet, both only when the device has at least one of the ten
// controls), every device control (IDeviceControls) and the device page.
//
// States: stopped and paused do not stream; Run starts the device's streaming
// thread (only when the pin is connected); Pause and Stop end it and return
// once it is gone. A device whose stream ends on its own (unplugged) simply
// delivers nothing more; Stop and Pause still work, and the next Run tries the
// device again and reports its failure.
//
// Threads: everything on the user-interface thread but the pin's FrameSink.

#include "CapturePin.h"
#include "DeviceControlInterfaces.h"
#include "DeviceFaults.h"
#include "ImageControls.h"
#include "LiveObject.h"

#include "platform/com/ComObject.h"

#include <memory>
#include <string>

namespace kamsel::dshow {

struct IMediaEventSink;

// Identity of this class (it is not creatable: monikers make it).
inline constexpr CLSID CLSID_DeviceCaptureFilter = {
    0x2E6F4A7C, 0x93B1, 0x4D28, {0x8C, 0x5E, 0x71, 0x0A, 0xF3, 0x64, 0xB9, 0x2D}};

class CaptureFilter final : public com::ComObject<IBaseFilter, IAMVideoProcAmp, IKsPropertySet,
                                                  ISpecifyPropertyPages, IDeviceControls>,
                            private LiveObject {
  public:
    // Opens device and returns the new filter's riid interface; a device that
    // cannot be opened gives its failure.
    static HRESULT Create(std::unique_ptr<media::VideoDevice> device, FaultHook faults, REFIID riid,
                          void** object);

    HRESULT QueryInterface(REFIID riid, void** object) override;

    // IPersist, IMediaFilter, IBaseFilter
    HRESULT GetClassID(CLSID* classId) override;
    HRESULT Stop() override;
    HRESULT Pause() override;
    HRESULT Run(REFERENCE_TIME start) override;
    HRESULT GetState(DWORD timeoutMs, FILTER_STATE* state) override;
    HRESULT EnumPins(IEnumPins** pins) override;
    HRESULT QueryFilterInfo(FILTER_INFO* info) override;
    HRESULT JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;

    // IAMVideoProcAmp
    HRESULT GetRange(LONG property, LONG* min, LONG* max, LONG* step, LONG* defaultValue,
                     LONG* capsFlags) override;
    HRESULT Set(LONG property, LONG value, LONG flags) override;
    HRESULT Get(LONG property, LONG* value, LONG* flags) override;

    // IKsPropertySet: PROPSETID_VIDCAP_VIDEOPROCAMP with KSPROPERTY_VIDEOPROCAMP_S data.
    HRESULT Set(REFGUID set, DWORD id, void* instanceData, DWORD instanceLength, void* data,
                DWORD dataLength) override;
    HRESULT Get(REFGUID set, DWORD id, void* instanceData, DWORD instanceLength, void* data, DWORD dataLength,
                DWORD* returned) override;
    HRESULT QuerySupported(REFGUID set, DWORD id, DWORD* support) override;

    // ISpecifyPropertyPages: the device page, when the device has controls.
    HRESULT GetPages(CAUUID* pages) override;

    // IDeviceControls
    HRESULT GetControls(std::vector<media::DeviceControl>* controls) override;
    HRESULT GetControlValue(ULONG id, LONG* value) override;
    HRESULT SetControlValue(ULONG id, LONG value) override;

    // For the pin.
    media::VideoDevice& Device() const { return *device_; }
    const std::vector<media::VideoMode>& Modes() const { return modes_; }
    const FaultHook& Faults() const { return faults_; }
    FILTER_STATE State() const { return state_; }
    IFilterGraph* Graph() const { return graph_; }
    // Where the pin reports the stream's end; null outside a graph that takes
    // events. Set while stopped, read by the streaming thread.
    IMediaEventSink* EventSink() const { return eventSink_; }

  private:
    CaptureFilter(std::unique_ptr<media::VideoDevice> device, FaultHook faults);
    ~CaptureFilter() override;

    void EndStreaming();

    std::unique_ptr<media::VideoDevice> device_;
    const FaultHook faults_;
    const std::vector<media::VideoMode> modes_; // read once: capability indices stay stable
    ImageControls controls_;
    CapturePin pin_;
    FILTER_STATE state_ = State_Stopped;
    bool streaming_ = false;
    IFilterGraph* graph_ = nullptr;        // not counted: the graph holds the filter
    IMediaEventSink* eventSink_ = nullptr; // the graph's, not counted either
    std::u16string name_;
};

} // namespace kamsel::dshow
