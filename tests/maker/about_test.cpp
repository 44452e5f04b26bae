#include "maker/about.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

using namespace corvana;

namespace {

TEST(OnlineHelp, AddressFromTheProductName) {
    struct {
        const wchar_t* product;
        const wchar_t* address;
    } cases[] = {
        {L"Corvana", L"http://h.example/help/corvana/"},
        {L"Corvana Audio  Converter", L"http://h.example/help/corvana-audio--converter/"},
        {L" MP3 To WAV ", L"http://h.example/help/-mp3-to-wav-/"},
        {L"\u00C7evir Pro", L"http://h.example/help/\u00C7evir-pro/"},  // only ASCII letters are folded
    };
    for (const auto& c : cases) EXPECT_EQ(HelpAddress(L"h.example", c.product), c.address) << c.product;
}

// A canvas that remembers what was drawn last in each cell.
struct RecordingCanvas : RainCanvas {
    std::map<std::pair<int, int>, std::pair<wchar_t, RainColour>> cells;
    std::vector<std::pair<int, int>> erased;
    void EraseCell(int column, int row) override {
        erased.emplace_back(column, row);
        cells.erase({column, row});
    }
    void DrawCharacter(int column, int row, wchar_t c, RainColour colour) override {
        cells[{column, row}] = {c, colour};
    }
};

TEST(Rain, GridComesFromTheSizeCapturedAtCreation) {
    std::mt19937 engine(7);
    RainAnimation rain([&](int n) { return static_cast<int>(engine() % static_cast<unsigned>(n)); });
    rain.Start(462, 413);
    EXPECT_EQ(rain.MatrixWidth(), 57);
    EXPECT_EQ(rain.MatrixHeight(), 34);
    ASSERT_EQ(rain.Drops().size(), 114u);
    for (size_t k = 0; k < rain.Drops().size(); ++k) {
        const auto& d = rain.Drops()[k];
        EXPECT_EQ(d.column, static_cast<int>(k % 57));
        EXPECT_GE(d.row, 0);
        EXPECT_LT(d.row, 34);
        EXPECT_GE(d.speed, 1);
        EXPECT_LE(d.speed, 3);
        EXPECT_GE(d.brightness, 0);
        EXPECT_LE(d.brightness, 99);
    }
    rain.SetupGrid();  // a resize lays the grid out again from the captured size
    EXPECT_EQ(rain.MatrixWidth(), 57);
    EXPECT_EQ(rain.Drops().size(), 114u);
}

TEST(Rain, NeverMoreThanFiveThousandDrops) {
    RainAnimation rain([](int) { return 0; });
    rain.Start(8 * 3000, 120);
    EXPECT_EQ(rain.MatrixWidth(), 3000);
    EXPECT_EQ(rain.Drops().size(), 5000u);
    rain.Start(7, 11);  // smaller than one cell: no grid, nothing to draw
    EXPECT_TRUE(rain.Drops().empty());
    RecordingCanvas canvas;
    rain.Tick(canvas);
    EXPECT_TRUE(canvas.cells.empty());
}

TEST(Rain, ColoursFollowTheBrightness) {
    EXPECT_EQ(RainAnimation::BrightColour(99), (RainColour{148, 252, 98}));
    EXPECT_EQ(RainAnimation::DimColour(99), (RainColour{49, 84, 32}));
    EXPECT_EQ(RainAnimation::BrightColour(0), (RainColour{0, 0, 0}));
    EXPECT_EQ(RainAnimation::BrightColour(50), (RainColour{74, 127, 49}));
}

TEST(Rain, TickDrawsTrailErasesAboveAndWraps) {
    // Every random choice is 0 except the speeds, which are then 1: each drop falls every tick.
    RainAnimation rain([](int) { return 0; }, L"z");
    rain.Start(16, 24);  // 2 columns, 2 rows
    ASSERT_EQ(rain.Drops().size(), 4u);
    RecordingCanvas canvas;
    rain.Tick(canvas);
    EXPECT_EQ(canvas.cells.at({0, 0}).first, L'z');
    EXPECT_EQ(canvas.erased.front(), std::make_pair(0, rain.EraseRow(0)));
    rain.Tick(canvas);
    EXPECT_EQ(canvas.cells.at({0, 0}).second, RainAnimation::DimColour(0));  // the dim trail one row above
    EXPECT_EQ(canvas.cells.at({0, 1}).second, RainAnimation::BrightColour(0));
    for (int i = 0; i < 3; ++i) rain.Tick(canvas);
    for (const auto& d : rain.Drops()) EXPECT_LE(d.row, rain.MatrixHeight() + 1);
    EXPECT_EQ(rain.TickCount(), 5);
}

TEST(Rain, EraseRowWrapsIntoTheGrid) {
    RainAnimation rain([](int) { return 0; });
    rain.Start(80, 12 * 30);
    EXPECT_EQ(rain.EraseRow(45), 5);
    EXPECT_EQ(rain.EraseRow(40), 0);
    EXPECT_EQ(rain.EraseRow(39), 30);  // -1 + 31
    EXPECT_EQ(rain.EraseRow(0), 22);   // -40 + 31 + 31
}

TEST(InfoMenu, TheClosingClickDoesNotReopenIt) {
    int button = 0, menu = 0, other = 0;
    DropDownGuard guard;
    EXPECT_TRUE(guard.ShouldShow(&button, &menu, 1000));
    guard.Closed(&button, &menu, 1000);
    EXPECT_FALSE(guard.ShouldShow(&button, &menu, 1099)) << "the click that closed it";
    EXPECT_TRUE(guard.ShouldShow(&button, &menu, 1100)) << "forgotten after one refusal";
    guard.Closed(&button, &menu, 2000);
    EXPECT_TRUE(guard.ShouldShow(&button, &menu, 2100)) << "100 ms later it opens";
    guard.Closed(&button, &menu, 3000);
    EXPECT_TRUE(guard.ShouldShow(&other, &menu, 3010)) << "another button";
    guard.Closed(&button, &menu, 0xFFFFFFF0u);
    EXPECT_FALSE(guard.ShouldShow(&button, &menu, 0x10u)) << "across the tick counter's wrap";
}

}  // namespace
