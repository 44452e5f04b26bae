#include "win/images_win.h"

#include <algorithm>
#include <vector>

#include "win/gdi_win.h"

namespace corvana {

namespace {

BITMAPINFO TopDownBitmapInfo(int size) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = size;
    bi.bmiHeader.biHeight = -size;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

}  // namespace

HICON LoadImageIcon(int resourceId, int size) {
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

HIMAGELIST CreateImageList(std::initializer_list<int> resourceIds, int size) {
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, static_cast<int>(resourceIds.size()), 1);
    for (int id : resourceIds) {
        HICON icon = LoadImageIcon(id, size);
        ImageList_AddIcon(list, icon);
        if (icon) DestroyIcon(icon);
    }
    return list;
}

namespace {

// The icon's colour plane with its alpha, as 32-bit top-down pixels (blue, green, red, alpha).
std::vector<unsigned char> IconPixels(HICON icon, int size, ICONINFO& info) {
    std::vector<unsigned char> pixels;
    if (!icon || !GetIconInfo(icon, &info)) return pixels;
    if (info.hbmColor) {
        BITMAPINFO bi = TopDownBitmapInfo(size);
        pixels.resize(static_cast<size_t>(size) * static_cast<size_t>(size) * 4);
        ScopedGetDC screen(nullptr);
        if (!GetDIBits(screen, info.hbmColor, 0, static_cast<UINT>(size), pixels.data(), &bi, DIB_RGB_COLORS))
            pixels.clear();
    }
    return pixels;
}

HBITMAP BitmapFromPixels(const std::vector<unsigned char>& pixels, int size) {
    BITMAPINFO bi = TopDownBitmapInfo(size);
    void* bits = nullptr;
    ScopedGetDC screen(nullptr);
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) std::copy(pixels.begin(), pixels.end(), static_cast<unsigned char*>(bits));
    return bitmap;
}

void FreeIconInfo(ICONINFO& info) {
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
}

// The picture of a disabled button: grey, and half transparent.
HICON GreyedIcon(HICON icon, int size) {
    ICONINFO info{};
    std::vector<unsigned char> pixels = IconPixels(icon, size, info);
    HICON greyed = nullptr;
    if (!pixels.empty()) {
        for (size_t i = 0; i + 3 < pixels.size(); i += 4) {
            const unsigned grey = (pixels[i] * 11u + pixels[i + 1] * 59u + pixels[i + 2] * 30u) / 100u;
            const auto light = static_cast<unsigned char>(96 + grey * 5 / 8);
            pixels[i] = pixels[i + 1] = pixels[i + 2] = light;
            pixels[i + 3] = static_cast<unsigned char>(pixels[i + 3] / 2);
        }
        const UniqueHbitmap colour(BitmapFromPixels(pixels, size));
        ICONINFO made{TRUE, 0, 0, info.hbmMask, colour.get()};
        greyed = CreateIconIndirect(&made);
    }
    FreeIconInfo(info);
    return greyed;
}

}  // namespace

HIMAGELIST CreateButtonImageList(int resourceId, int size) {
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 6, 1);
    const UniqueHicon icon(LoadImageIcon(resourceId, size));
    const UniqueHicon greyed(GreyedIcon(icon.get(), size));
    for (HICON state : {icon.get(), icon.get(), icon.get(), greyed ? greyed.get() : icon.get(), icon.get(), icon.get()})
        ImageList_AddIcon(list, state);
    return list;
}

HBITMAP CreateMenuBitmap(int resourceId, int size) {
    const UniqueHicon icon(LoadImageIcon(resourceId, size));
    ICONINFO info{};
    std::vector<unsigned char> pixels = IconPixels(icon.get(), size, info);
    FreeIconInfo(info);
    if (pixels.empty()) return nullptr;
    // Premultiplied by the alpha, as menus expect.
    for (size_t i = 0; i + 3 < pixels.size(); i += 4) {
        const unsigned a = pixels[i + 3];
        for (size_t c = 0; c < 3; ++c) pixels[i + c] = static_cast<unsigned char>(pixels[i + c] * a / 255);
    }
    return BitmapFromPixels(pixels, size);
}

}  // namespace corvana
