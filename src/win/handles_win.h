// Move-only owners for Win32 handles, closed on every path.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdint>
#include <utility>

namespace corvana {

template <typename T, auto Close, intptr_t InvalidValue = 0>
class UniqueHandle {
    static T Invalid() { return reinterpret_cast<T>(InvalidValue); }

public:
    UniqueHandle() = default;
    explicit UniqueHandle(T h) : h_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, Invalid()));
        return *this;
    }
    ~UniqueHandle() { reset(); }

    T get() const { return h_; }
    explicit operator bool() const { return h_ != Invalid(); }
    T release() { return std::exchange(h_, Invalid()); }
    // For a function that hands a handle out through a pointer: the one held now is closed first.
    T* put() {
        reset();
        return &h_;
    }
    // Closing keeps the caller's last error, so that a failure can be read after its handles are gone.
    void reset(T h = Invalid()) {
        if (h_ != Invalid()) {
            const DWORD error = GetLastError();
            Close(h_);
            SetLastError(error);
        }
        h_ = h;
    }

private:
    T h_ = Invalid();
};

inline void CloseKernelHandle(HANDLE h) {
    ::CloseHandle(h);
}
inline void CloseFindHandle(HANDLE h) {
    ::FindClose(h);
}
inline void CloseRegKey(HKEY h) {
    ::RegCloseKey(h);
}
inline void DestroyWindowHandle(HWND h) {
    ::DestroyWindow(h);
}
inline void DeleteGdiObject(HGDIOBJ h) {
    ::DeleteObject(h);
}
inline void DeleteMemoryDC(HDC h) {
    ::DeleteDC(h);
}
inline void DestroyImageList(HIMAGELIST h) {
    ::ImageList_Destroy(h);
}
inline void DestroyMenuHandle(HMENU h) {
    ::DestroyMenu(h);
}
inline void DestroyIconHandle(HICON h) {
    ::DestroyIcon(h);
}
inline void FinishDrop(HDROP h) {
    ::DragFinish(h);
}
inline void DestroyAccelerators(HACCEL h) {
    ::DestroyAcceleratorTable(h);
}

using UniqueKernelHandle = UniqueHandle<HANDLE, CloseKernelHandle>;
using UniqueFileHandle = UniqueHandle<HANDLE, CloseKernelHandle, -1>;
using UniqueFindHandle = UniqueHandle<HANDLE, CloseFindHandle, -1>;
using UniqueHkey = UniqueHandle<HKEY, CloseRegKey>;
using UniqueHwnd = UniqueHandle<HWND, DestroyWindowHandle>;
using UniqueHfont = UniqueHandle<HFONT, DeleteGdiObject>;
using UniqueHbitmap = UniqueHandle<HBITMAP, DeleteGdiObject>;
using UniqueHbrush = UniqueHandle<HBRUSH, DeleteGdiObject>;
using UniqueHpen = UniqueHandle<HPEN, DeleteGdiObject>;
using UniqueHdc = UniqueHandle<HDC, DeleteMemoryDC>;
using UniqueHimagelist = UniqueHandle<HIMAGELIST, DestroyImageList>;
using UniqueHmenu = UniqueHandle<HMENU, DestroyMenuHandle>;
using UniqueHicon = UniqueHandle<HICON, DestroyIconHandle>;
using UniqueHdrop = UniqueHandle<HDROP, FinishDrop>;
using UniqueHaccel = UniqueHandle<HACCEL, DestroyAccelerators>;

// Runs a callable when the scope ends (the busy cursor's restore, for instance).
template <typename F>
class ScopeExit {
public:
    explicit ScopeExit(F f) : f_(std::move(f)) {}
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    ~ScopeExit() { f_(); }

private:
    F f_;
};

}  // namespace corvana
