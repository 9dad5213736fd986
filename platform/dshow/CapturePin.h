#pragma once
// The capture pin of a capture filter (category PIN_CATEGORY_CAPTURE): an
// output pin that delivers the device's frames, uncopied, to the connected
// input pin, and the pin's stream configuration (IAMStreamConfig) and stream
// format page.
//
// Threads: IPin, IAMStreamConfig and the pages on the user-interface thread;
// the FrameSink calls on the device's streaming thread, which exists only
// while the filter runs. memInput_ is written while stopped (connection) and
// read by the streaming thread, which starts after and ends before any change.

#include "DeviceControlInterfaces.h"
#include "PinBase.h"

#include "platform/media/VideoDevice.h"

namespace kamsel::dshow {

class CaptureFilter;

class CapturePin final : public PinBase<IAMStreamConfig, IKsPropertySet, ISpecifyPropertyPages>,
                         public media::FrameSink {
  public:
    explicit CapturePin(CaptureFilter& filter);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT Connect(IPin* receiver, const AM_MEDIA_TYPE* type) override;

    // IAMStreamConfig
    HRESULT SetFormat(AM_MEDIA_TYPE* type) override;
    HRESULT GetFormat(AM_MEDIA_TYPE** type) override;
    HRESULT GetNumberOfCapabilities(int* count, int* size) override;
    HRESULT GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps) override;

    // IKsPropertySet: the pin category (AMPROPSETID_Pin), read only.
    HRESULT Set(REFGUID set, DWORD id, void* instanceData, DWORD instanceLength, void* data,
                DWORD dataLength) override;
    HRESULT Get(REFGUID set, DWORD id, void* instanceData, DWORD instanceLength, void* data, DWORD dataLength,
                DWORD* returned) override;
    HRESULT QuerySupported(REFGUID set, DWORD id, DWORD* support) override;

    // ISpecifyPropertyPages: the stream format page.
    HRESULT GetPages(CAUUID* pages) override;

    // media::FrameSink, on the streaming thread.
    void OnFrame(const std::uint8_t* data, std::size_t capacity, std::size_t bytesUsed) override;
    void OnStreamEnded(const media::DeviceStatus& why) override;

  protected:
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& type) override;
    std::vector<MediaType> PreferredTypes() override;
    HRESULT OnConnected() override;
    void OnDisconnected() override;
    bool FilterStopped() const override;

  private:
    MediaType CurrentType() const;

    CaptureFilter& filter_;
    com::ComPtr<IMemInputPin> memInput_;
};

} // namespace kamsel::dshow
