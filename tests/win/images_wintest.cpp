// A disabled button shows its picture greyed: the button image lists carry a grey picture for the
// disabled state and the full-colour one for every other state.
#include "win/images_win.h"

#include <gtest/gtest.h>

#include <vector>

#include "resource.h"
#include "win/gdi_win.h"

namespace corvana::test {
namespace {

// The image drawn over white, as 32-bit pixels (blue, green, red, unused).
std::vector<unsigned char> Drawn(HIMAGELIST list, int index, int size) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = size;
    bi.bmiHeader.biHeight = -size;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const UniqueHdc dc(CreateCompatibleDC(nullptr));
    const UniqueHbitmap bitmap(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    const ScopedSelectObject select(dc.get(), bitmap.get());
    RECT all{0, 0, size, size};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(list, index, dc.get(), 0, 0, ILD_NORMAL);
    GdiFlush();
    const auto* px = static_cast<const unsigned char*>(bits);
    return {px, px + size * size * 4};
}

bool AllGrey(const std::vector<unsigned char>& pixels) {
    for (size_t i = 0; i + 3 < pixels.size(); i += 4)
        if (pixels[i] != pixels[i + 1] || pixels[i + 1] != pixels[i + 2]) return false;
    return true;
}

bool AllWhite(const std::vector<unsigned char>& pixels) {
    for (size_t i = 0; i + 3 < pixels.size(); i += 4)
        if (pixels[i] != 255 || pixels[i + 1] != 255 || pixels[i + 2] != 255) return false;
    return true;
}

TEST(ButtonImages, TheDisabledStateIsGreyTheOthersInColour) {
    for (int resource : {IDI_TICK_BUTTON, IDI_SAVE}) {
        const int size = 16;
        const UniqueHimagelist list(CreateButtonImageList(resource, size));
        ASSERT_EQ(ImageList_GetImageCount(list.get()), 6) << resource;
        for (int state = 0; state < 6; ++state) {
            const auto pixels = Drawn(list.get(), state, size);
            EXPECT_FALSE(AllWhite(pixels)) << resource << " state " << state << " shows a picture";
            EXPECT_EQ(AllGrey(pixels), state == 3) << resource << " state " << state;
        }
    }
}

}  // namespace
}  // namespace corvana::test
