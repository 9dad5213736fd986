#pragma once
// The system device enumerator's interfaces. Each interface keeps its published
// name and identifier and declares the published methods that the capture code
// uses, in their published relative order; the other methods of the platform's
// interfaces are not offered by this layer.

#include "Variant.h"

namespace kamsel::dshow {

using com::IID;
using com::IUnknown;
using com::REFCLSID;
using com::REFIID;

struct IBindCtx;  // bind contexts are not used: callers pass null
struct IErrorLog; // error logs are not used: callers pass null

struct IPropertyBag : IUnknown {
    static constexpr IID Iid = {0x55272A00, 0x42CB, 0x11CE, {0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};
    // Reads a property into a VT_EMPTY or VT_BSTR variant (a held string is
    // freed first). Property names are compared exactly.
    virtual HRESULT Read(LPCOLESTR propertyName, VARIANT* value, IErrorLog* errorLog) = 0;

  protected:
    ~IPropertyBag() = default;
};

struct IMoniker : IUnknown {
    static constexpr IID Iid = {0x0000000F, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    // Creates the object the moniker names (a device's capture filter) and
    // returns its riid interface.
    virtual HRESULT BindToObject(IBindCtx* context, IMoniker* left, REFIID riid, void** object) = 0;
    // Returns the storage of the object (a device's property bag).
    virtual HRESULT BindToStorage(IBindCtx* context, IMoniker* left, REFIID riid, void** object) = 0;

  protected:
    ~IMoniker() = default;
};

struct IEnumMoniker : IUnknown {
    static constexpr IID Iid = {0x00000102, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    // Up to count monikers into items (each a reference the caller releases).
    // S_OK when count were returned, S_FALSE when fewer (the end).
    virtual HRESULT Next(ULONG count, IMoniker** items, ULONG* fetched) = 0;

  protected:
    ~IEnumMoniker() = default;
};

struct ICreateDevEnum : IUnknown {
    static constexpr IID Iid = {0x29840822, 0x5B84, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
    // An enumerator over the devices of a category. When the category has no
    // device, S_FALSE and *enumerator null.
    virtual HRESULT CreateClassEnumerator(REFCLSID category, IEnumMoniker** enumerator, DWORD flags) = 0;

  protected:
    ~ICreateDevEnum() = default;
};

inline constexpr const IID& IID_IPropertyBag = IPropertyBag::Iid;
inline constexpr const IID& IID_IMoniker = IMoniker::Iid;
inline constexpr const IID& IID_IEnumMoniker = IEnumMoniker::Iid;
inline constexpr const IID& IID_ICreateDevEnum = ICreateDevEnum::Iid;

} // namespace kamsel::dshow
