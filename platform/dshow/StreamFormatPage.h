#pragma once
// The stream format page: the pixel format, frame size and frame rate of a
// capture pin, chosen among its capabilities and applied with
// IAMStreamConfig::SetFormat (while the pin's filter is stopped). The lists
// are named "Format", "Size" and "Rate".

#include "DeviceControlInterfaces.h"
#include "MediaType.h"
#include "PropertyPage.h"

#include "platform/com/ComPtr.h"

#include <vector>

class QComboBox;
class QLabel;

namespace kamsel::dshow {

class StreamFormatPage final : public PropertyPage {
  public:
    explicit StreamFormatPage(com::ComPtr<IAMStreamConfig> config);

    HRESULT Apply() override;

  private:
    struct Capability {
        MediaType type;
        VIDEO_STREAM_CONFIG_CAPS caps;
    };

    void ReadCapabilities();
    void FillFormats(const AM_MEDIA_TYPE* current);
    void FillSizes(const AM_MEDIA_TYPE* current);
    void FillRates(const AM_MEDIA_TYPE* current);

    com::ComPtr<IAMStreamConfig> config_;
    std::vector<Capability> capabilities_;
    std::vector<GUID> subtypes_;
    QComboBox* format_;
    QComboBox* size_;
    QComboBox* rate_;
    QLabel* status_;
};

// The name of a subtype on the page: its FourCC letters, or RGB24.
QString SubtypeName(const GUID& subtype);

} // namespace kamsel::dshow
