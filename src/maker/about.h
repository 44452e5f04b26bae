// The about box's portable pieces: the falling-characters animation, the rule that keeps a
// closing click from reopening the "Info" menu, and the online help address.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corvana {

// "http://" + host + "/help/" + the product name in lower case with each space as "-" + "/".
std::wstring HelpSlug(std::wstring_view productName);
std::wstring HelpAddress(std::wstring_view host, std::wstring_view productName);

struct RainColour {
    int red, green, blue;
    bool operator==(const RainColour&) const = default;
};

// Where the animation draws; cells are 8 x 12 pixels, columns and rows count from 0.
class RainCanvas {
public:
    virtual ~RainCanvas() = default;
    virtual void EraseCell(int column, int row) = 0;
    virtual void DrawCharacter(int column, int row, wchar_t character, RainColour colour) = 0;
};

class RainAnimation {
public:
    struct Drop {
        int column, row, speed, brightness;
    };
    static constexpr int kCharWidth = 8;
    static constexpr int kCharHeight = 12;
    static constexpr size_t kMaxDrops = 5000;
    static constexpr int kEraseDistance = 40;

    // random(n) returns a number in 0 .. n-1.
    explicit RainAnimation(std::function<int(int)> random, std::wstring charset = L"zoz");

    // Captures the window's outer size at creation; the grid keeps it for good.
    void Start(int bitmapWidth, int bitmapHeight);
    // Lays out the grid from the captured size and seeds two drops a column (at most 5000).
    void SetupGrid();
    void Tick(RainCanvas& canvas);

    static RainColour BrightColour(int brightness);
    static RainColour DimColour(int brightness);
    // The row 40 above a drop, wrapped into the grid.
    int EraseRow(int row) const;

    int MatrixWidth() const { return matrixWidth_; }
    int MatrixHeight() const { return matrixHeight_; }
    int BitmapWidth() const { return bitmapWidth_; }
    int BitmapHeight() const { return bitmapHeight_; }
    const std::vector<Drop>& Drops() const { return drops_; }
    int64_t TickCount() const { return tick_; }

private:
    void DrawDrop(RainCanvas& canvas, const Drop& drop, wchar_t c);

    std::function<int(int)> random_;
    std::wstring charset_;
    int bitmapWidth_ = 0, bitmapHeight_ = 0;
    int matrixWidth_ = 0, matrixHeight_ = 0;
    std::vector<Drop> drops_;
    int64_t tick_ = 0;
};

// The "Info" menu opens on a click, unless that click is the one that just closed it: the same
// button and menu within 100 ms of the close.
class DropDownGuard {
public:
    bool ShouldShow(const void* button, const void* menu, uint32_t now);
    void Closed(const void* button, const void* menu, uint32_t now);

private:
    const void* lastButton_ = nullptr;
    const void* lastMenu_ = nullptr;
    uint32_t closedAt_ = 0;
};

}  // namespace corvana
