#include "Variant.h"

#include "ComApi.h"

#include <cstring>
#include <limits>

namespace kamsel::dshow {

namespace {
// The string's length in bytes is stored in front of the characters, as the
// platform lays out a BSTR.
constexpr std::size_t kPrefix = sizeof(std::uint32_t);
} // namespace

BSTR SysAllocStringLen(const WCHAR* text, UINT length) {
    if (length > (std::numeric_limits<std::uint32_t>::max() - kPrefix) / sizeof(WCHAR) - 1)
        return nullptr;
    const std::size_t bytes = std::size_t{length} * sizeof(WCHAR);
    auto* block = static_cast<std::uint8_t*>(CoTaskMemAlloc(kPrefix + bytes + sizeof(WCHAR)));
    if (!block)
        return nullptr;
    const auto byteLength = static_cast<std::uint32_t>(bytes);
    std::memcpy(block, &byteLength, kPrefix);
    auto* chars = reinterpret_cast<WCHAR*>(block + kPrefix);
    if (text)
        std::memcpy(chars, text, bytes);
    else
        std::memset(chars, 0, bytes);
    chars[length] = 0;
    return chars;
}

BSTR SysAllocString(LPCOLESTR text) {
    if (!text)
        return nullptr;
    UINT length = 0;
    while (text[length] != 0)
        ++length;
    return SysAllocStringLen(text, length);
}

void SysFreeString(BSTR text) {
    if (text)
        CoTaskMemFree(reinterpret_cast<std::uint8_t*>(text) - kPrefix);
}

UINT SysStringLen(BSTR text) {
    if (!text)
        return 0;
    std::uint32_t byteLength = 0;
    std::memcpy(&byteLength, reinterpret_cast<const std::uint8_t*>(text) - kPrefix, kPrefix);
    return byteLength / sizeof(WCHAR);
}

VARIANT::~VARIANT() {
    VariantClear(this);
}

void VariantInit(VARIANT* variant) {
    if (!variant)
        return;
    variant->vt = VT_EMPTY;
    variant->bstrVal = nullptr;
}

HRESULT VariantClear(VARIANT* variant) {
    if (!variant)
        return E_POINTER;
    if (variant->vt == VT_BSTR)
        SysFreeString(variant->bstrVal);
    VariantInit(variant);
    return S_OK;
}

} // namespace kamsel::dshow
