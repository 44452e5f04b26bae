#include "maker/about.h"

#include <algorithm>

#include "common/text.h"

namespace corvana {

std::wstring HelpSlug(std::wstring_view productName) {
    std::wstring slug = AsciiLowerCase(productName);
    std::replace(slug.begin(), slug.end(), L' ', L'-');
    return slug;
}

std::wstring HelpAddress(std::wstring_view host, std::wstring_view productName) {
    return L"http://" + std::wstring(host) + L"/help/" + HelpSlug(productName) + L"/";
}

RainAnimation::RainAnimation(std::function<int(int)> random, std::wstring charset)
    : random_(std::move(random)), charset_(std::move(charset)) {}

void RainAnimation::Start(int bitmapWidth, int bitmapHeight) {
    tick_ = 0;
    bitmapWidth_ = bitmapWidth;
    bitmapHeight_ = bitmapHeight;
    SetupGrid();
}

void RainAnimation::SetupGrid() {
    matrixWidth_ = bitmapWidth_ / kCharWidth;
    matrixHeight_ = bitmapHeight_ / kCharHeight;
    drops_.clear();
    if (matrixWidth_ <= 0 || matrixHeight_ <= 0) return;
    const size_t count = std::min(static_cast<size_t>(2 * matrixWidth_), kMaxDrops);
    drops_.reserve(count);
    for (size_t k = 0; k < count; ++k)
        drops_.push_back(Drop{static_cast<int>(k % static_cast<size_t>(matrixWidth_)), random_(matrixHeight_),
                              1 + random_(3), random_(100)});
}

RainColour RainAnimation::BrightColour(int brightness) {
    const int b = brightness * 255 / 100;
    return {b * 150 / 255, b, b * 100 / 255};
}

RainColour RainAnimation::DimColour(int brightness) {
    const int d = brightness * 255 / 100 / 3;
    return {d * 150 / 255, d, d * 100 / 255};
}

int RainAnimation::EraseRow(int row) const {
    int r = row - kEraseDistance;
    while (r < 0) r += matrixHeight_ + 1;
    return r;
}

void RainAnimation::DrawDrop(RainCanvas& canvas, const Drop& drop, wchar_t c) {
    canvas.EraseCell(drop.column, EraseRow(drop.row));
    if (drop.row > 0) canvas.DrawCharacter(drop.column, drop.row - 1, c, DimColour(drop.brightness));
    canvas.DrawCharacter(drop.column, drop.row, c, BrightColour(drop.brightness));
}

void RainAnimation::Tick(RainCanvas& canvas) {
    for (auto& drop : drops_) {
        DrawDrop(canvas, drop, charset_[static_cast<size_t>(random_(static_cast<int>(charset_.size())))]);
        if (tick_ % drop.speed == 0) {
            ++drop.row;
            if (drop.row > matrixHeight_ + 1) {
                drop.row = 0;
                drop.speed = 1 + random_(3);
                drop.brightness = random_(100);
            }
        }
    }
    ++tick_;
}

bool DropDownGuard::ShouldShow(const void* button, const void* menu, uint32_t now) {
    if (button == lastButton_ && menu == lastMenu_ && now - closedAt_ < 100) {
        lastButton_ = nullptr;
        lastMenu_ = nullptr;
        return false;
    }
    return true;
}

void DropDownGuard::Closed(const void* button, const void* menu, uint32_t now) {
    lastButton_ = button;
    lastMenu_ = menu;
    closedAt_ = now;
}

}  // namespace corvana
