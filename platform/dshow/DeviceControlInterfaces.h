#pragma once
// Stream configuration, image controls, property sets and property pages of a
// capture device (published names, identifiers and the used methods in their
// published relative order), plus IDeviceControls, this layer's own interface
// through which the device property page reaches every control of a device.

#include "FilterInterfaces.h"
#include "platform/media/VideoDevice.h"

#include <vector>

namespace kamsel::dshow {

// On a capture pin. Formats are set while the filter is stopped.
struct IAMStreamConfig : IUnknown {
    static constexpr IID Iid = {0xC6E13340, 0x30AC, 0x11D0, {0xA1, 0x8C, 0x00, 0xA0, 0xC9, 0x11, 0x89, 0x56}};
    // Makes type the pin's format (a connected pin is reconnected with it).
    virtual HRESULT SetFormat(AM_MEDIA_TYPE* type) = 0;
    // The format in force; *type is freed by the caller with DeleteMediaType.
    virtual HRESULT GetFormat(AM_MEDIA_TYPE** type) = 0;
    // Number of capabilities and the size of one capabilities record.
    virtual HRESULT GetNumberOfCapabilities(int* count, int* size) = 0;
    // Capability index: its media type (DeleteMediaType) and its
    // VIDEO_STREAM_CONFIG_CAPS record into caps. S_FALSE for an index too high.
    virtual HRESULT GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps) = 0;

  protected:
    ~IAMStreamConfig() = default;
};

enum VideoProcAmpProperty : LONG {
    VideoProcAmp_Brightness = 0,
    VideoProcAmp_Contrast = 1,
    VideoProcAmp_Hue = 2,
    VideoProcAmp_Saturation = 3,
    VideoProcAmp_Sharpness = 4,
    VideoProcAmp_Gamma = 5,
    VideoProcAmp_ColorEnable = 6,
    VideoProcAmp_WhiteBalance = 7,
    VideoProcAmp_BacklightCompensation = 8,
    VideoProcAmp_Gain = 9,
};
enum VideoProcAmpFlags : LONG {
    VideoProcAmp_Flags_Auto = 0x0001,
    VideoProcAmp_Flags_Manual = 0x0002,
};

// On a capture filter: the image controls.
struct IAMVideoProcAmp : IUnknown {
    static constexpr IID Iid = {0xC6E13360, 0x30AC, 0x11D0, {0xA1, 0x8C, 0x00, 0xA0, 0xC9, 0x11, 0x89, 0x56}};
    virtual HRESULT GetRange(LONG property, LONG* min, LONG* max, LONG* step, LONG* defaultValue,
                             LONG* capsFlags) = 0;
    virtual HRESULT Set(LONG property, LONG value, LONG flags) = 0;
    virtual HRESULT Get(LONG property, LONG* value, LONG* flags) = 0;

  protected:
    ~IAMVideoProcAmp() = default;
};

constexpr DWORD KSPROPERTY_SUPPORT_GET = 1;
constexpr DWORD KSPROPERTY_SUPPORT_SET = 2;

struct KSPROPERTY {
    GUID Set;
    ULONG Id;
    ULONG Flags;
};
// Data of the PROPSETID_VIDCAP_VIDEOPROCAMP properties (ids: VideoProcAmp_*).
struct KSPROPERTY_VIDEOPROCAMP_S {
    KSPROPERTY Property;
    LONG Value;
    ULONG Flags;
    ULONG Capabilities;
};

struct IKsPropertySet : IUnknown {
    static constexpr IID Iid = {0x31EFAC30, 0x515C, 0x11D0, {0xA9, 0xAA, 0x00, 0xAA, 0x00, 0x61, 0xBE, 0x93}};
    virtual HRESULT Set(REFGUID set, DWORD id, void* instanceData, DWORD instanceLength, void* data,
                        DWORD dataLength) = 0;
    virtual HRESULT Get(REFGUID set, DWORD id, void* instanceData, DWORD instanceLength, void* data,
                        DWORD dataLength, DWORD* returned) = 0;
    virtual HRESULT QuerySupported(REFGUID set, DWORD id, DWORD* support) = 0;

  protected:
    ~IKsPropertySet() = default;
};

// A counted array of identifiers; pElems is task memory the receiver frees.
struct CAUUID {
    ULONG cElems;
    GUID* pElems;
};

struct ISpecifyPropertyPages : IUnknown {
    static constexpr IID Iid = {0xB196B28B, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
    // The object's property page classes; an empty list has pElems null.
    virtual HRESULT GetPages(CAUUID* pages) = 0;

  protected:
    ~ISpecifyPropertyPages() = default;
};

// Ours: every control of a device, for the device property page. On a capture
// filter, user-interface thread only.
struct IDeviceControls : IUnknown {
    static constexpr IID Iid = {0x8F0C27D4, 0x1E6B, 0x4A53, {0xB7, 0x92, 0x5C, 0x3E, 0x90, 0x41, 0xAD, 0x17}};
    virtual HRESULT GetControls(std::vector<media::DeviceControl>* controls) = 0;
    virtual HRESULT GetControlValue(ULONG id, LONG* value) = 0;
    virtual HRESULT SetControlValue(ULONG id, LONG value) = 0;

  protected:
    ~IDeviceControls() = default;
};

inline constexpr const IID& IID_IAMStreamConfig = IAMStreamConfig::Iid;
inline constexpr const IID& IID_IAMVideoProcAmp = IAMVideoProcAmp::Iid;
inline constexpr const IID& IID_IKsPropertySet = IKsPropertySet::Iid;
inline constexpr const IID& IID_ISpecifyPropertyPages = ISpecifyPropertyPages::Iid;
inline constexpr const IID& IID_IDeviceControls = IDeviceControls::Iid;

} // namespace kamsel::dshow
