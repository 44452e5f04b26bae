// Scoped GDI: a window's device context released, a selected object put back, on every path.
#pragma once

#include <windows.h>

#include "win/handles_win.h"

namespace corvana {

inline constexpr const wchar_t* kUiFontFace = L"Tahoma";

// A font of pixels height (already at the target DPI).
inline UniqueHfont CreateUiFont(int pixels, int weight = FW_NORMAL, bool underline = false,
                                const wchar_t* face = kUiFontFace) {
    return UniqueHfont(CreateFontW(-pixels, 0, 0, 0, weight, FALSE, underline, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, face));
}

inline void SetControlFont(HWND control, HFONT font, bool redraw = true) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
}

// GetDC / ReleaseDC; a null window gives the screen's.
class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    ~ScopedGetDC() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    operator HDC() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// SelectObject, and the previous object selected again at the end of the scope.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;
    ~ScopedSelectObject() {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace corvana
