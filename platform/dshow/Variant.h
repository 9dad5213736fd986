#pragma once
// The wide strings (BSTR) and variants through which property bags hand out
// values. A BSTR is length-prefixed task memory, may contain zero characters
// and is freed with SysFreeString. VARIANT here holds nothing or one BSTR; it
// owns its string and frees it on VariantClear or destruction, so a variant
// that goes out of scope never leaks.

#include "WinTypes.h"

#include <string>

namespace kamsel::dshow {

using BSTR = WCHAR*;
using VARTYPE = std::uint16_t;

constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_BSTR = 8;

// A copy of length characters of text (which may be null: then the characters
// are left zero), terminated; null when out of memory.
BSTR SysAllocStringLen(const WCHAR* text, UINT length);
// A copy of a zero-terminated text; null for a null text.
BSTR SysAllocString(LPCOLESTR text);
void SysFreeString(BSTR text);
// Characters in the string, zeros included; 0 for null.
UINT SysStringLen(BSTR text);

struct VARIANT {
    VARTYPE vt = VT_EMPTY;
    BSTR bstrVal = nullptr; // owned while vt is VT_BSTR

    VARIANT() = default;
    VARIANT(const VARIANT&) = delete;
    VARIANT& operator=(const VARIANT&) = delete;
    ~VARIANT();
};

void VariantInit(VARIANT* variant);
// Frees what the variant holds and makes it VT_EMPTY. E_POINTER for null.
HRESULT VariantClear(VARIANT* variant);

} // namespace kamsel::dshow
