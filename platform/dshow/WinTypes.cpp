#include "WinTypes.h"

namespace kamsel::dshow {

BOOL GetClientRect(HWND window, RECT* rect) {
    QWidget* widget = window.Widget();
    if (!widget || !rect)
        return FALSE;
    *rect = {0, 0, widget->width(), widget->height()};
    return TRUE;
}

} // namespace kamsel::dshow
