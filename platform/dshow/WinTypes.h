#pragma once
// Windowing and basic scalar types that the capture interfaces use, with the
// platform's names. A window handle is our own small type: a guarded reference
// to a toolkit widget, so a handle to a window that has gone reads as empty
// instead of dangling. Handles are used on the user-interface thread only.

#include "platform/com/ComTypes.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>

namespace kamsel::dshow {

using com::BOOL;
using com::DWORD;
using com::GUID;
using com::HRESULT;
using com::LONG;
using com::LONGLONG;
using com::REFERENCE_TIME;
using com::ULONG;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using UINT = std::uint32_t;
using LCID = std::uint32_t;
using LONG_PTR = std::intptr_t;
using WCHAR = char16_t; // the platform's wide text is UTF-16
using LPCWSTR = const WCHAR*;
using LPWSTR = WCHAR*;
using LPCOLESTR = const WCHAR*;
using LPOLESTR = WCHAR*;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

// A window of the toolkit, or none. Default-constructed and nullptr are "no
// window" (the platform's 0).
class HWND {
  public:
    HWND() = default;
    HWND(std::nullptr_t) {}
    explicit HWND(QWidget* widget) : widget_(widget) {}

    QWidget* Widget() const { return widget_.data(); }
    explicit operator bool() const { return !widget_.isNull(); }
    friend bool operator==(const HWND& a, const HWND& b) { return a.widget_.data() == b.widget_.data(); }

  private:
    QPointer<QWidget> widget_;
};
// The framework's automation type for window handles is the same handle here.
using OAHWND = HWND;

struct POINT {
    LONG x;
    LONG y;
};
struct SIZE {
    LONG cx;
    LONG cy;
};
struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

// The window's client area: left and top 0, right and bottom its width and
// height. FALSE for no window.
BOOL GetClientRect(HWND window, RECT* rect);

// Message numbers: private ranges of the platform.
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

// Window styles accepted by IVideoWindow::put_WindowStyle.
constexpr LONG WS_CHILD = 0x40000000;
constexpr LONG WS_CLIPSIBLINGS = 0x04000000;
constexpr LONG WS_CLIPCHILDREN = 0x02000000;

// Automation booleans of the video window interface.
constexpr LONG OATRUE = -1;
constexpr LONG OAFALSE = 0;

} // namespace kamsel::dshow
