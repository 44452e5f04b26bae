// The program's pictures, rendered at build time into icon resources of several sizes; these
// helpers pick the size for a window's DPI.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <initializer_list>

namespace corvana {

HICON LoadImageIcon(int resourceId, int size);
// An image list of 32-bit images of the given size, one entry per resource, in order.
HIMAGELIST CreateImageList(std::initializer_list<int> resourceIds, int size);
// The pictures of a button's six states (normal, hot, pressed, disabled, default, stylus-hot): the
// image, and a greyed one while the button is disabled.
HIMAGELIST CreateButtonImageList(int resourceId, int size);
// A 32-bit premultiplied bitmap for a menu item.
HBITMAP CreateMenuBitmap(int resourceId, int size);

}  // namespace corvana
