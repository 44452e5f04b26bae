#include "win/images_win.h"

namespace corvana {

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

HBITMAP CreateMenuBitmap(int resourceId, int size) {
    HICON icon = LoadImageIcon(resourceId, size);
    if (!icon) return nullptr;
    ICONINFO info{};
    GetIconInfo(icon, &info);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = size;
    bi.bmiHeader.biHeight = -size;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && info.hbmColor) {
        // Copy the icon's colour plane with its alpha and premultiply it, as menus expect.
        GetDIBits(dc, info.hbmColor, 0, size, bits, &bi, DIB_RGB_COLORS);
        auto* px = static_cast<unsigned char*>(bits);
        for (int i = 0; i < size * size; ++i, px += 4) {
            const unsigned a = px[3];
            px[0] = static_cast<unsigned char>(px[0] * a / 255);
            px[1] = static_cast<unsigned char>(px[1] * a / 255);
            px[2] = static_cast<unsigned char>(px[2] * a / 255);
        }
    }
    ReleaseDC(nullptr, dc);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    DestroyIcon(icon);
    return bitmap;
}

}  // namespace corvana
