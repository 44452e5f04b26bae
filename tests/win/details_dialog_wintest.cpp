// The box for a long text: it fits the screen whatever the text's length, shows the text whole in
// a field that can be selected, and closes with OK, Enter or Escape.
#include "win/details_dialog_win.h"

#include <gtest/gtest.h>

#include "support/dialog_watcher.h"

namespace corvana::test {
namespace {

struct Seen {
    DialogSnapshot snapshot;
    RECT window{};
    RECT work{};
    bool resizable = false;
    bool fieldEnabled = false;
    bool closed = false;  // by the given action, within five seconds
};

// Shows the box without an owner, looks at it and closes it with the given action.
Seen ShowAndLook(const std::wstring& text, DialogWatcher::Action close) {
    Seen seen;
    DialogWatcher watcher([&](const DialogSnapshot& d) {
        seen.snapshot = d;
        GetWindowRect(d.hwnd, &seen.window);
        MONITORINFO mi{};
        mi.cbSize = sizeof(mi);
        GetMonitorInfoW(MonitorFromWindow(d.hwnd, MONITOR_DEFAULTTOPRIMARY), &mi);
        seen.work = mi.rcWork;
        seen.resizable = (GetWindowLongPtrW(d.hwnd, GWL_STYLE) & WS_THICKFRAME) != 0;
        for (const auto& c : d.controls)
            if (c.className == L"Edit") seen.fieldEnabled = IsWindowEnabled(c.hwnd) != FALSE;
        close(d);
        for (int i = 0; i < 100 && IsWindow(d.hwnd); ++i) Sleep(50);
        seen.closed = !IsWindow(d.hwnd);
        if (!seen.closed) PostMessageW(d.hwnd, WM_COMMAND, IDOK, 0);
    });
    ShowDetailsDialog(text, L"ERROR");
    EXPECT_EQ(watcher.Count(), 1u);
    return seen;
}

std::wstring Lines(int count) {
    std::wstring text = L"C:\\music\\damaged.mp3\r\r";
    for (int i = 0; i < count; ++i)
        text += L"[mp3 @ 0x55] Header missing, frame " + std::to_wstring(i) + L" skipped\r\n";
    return text;
}

TEST(DetailsDialog, AVeryLongTextFitsTheWorkAreaWhole) {
    const std::wstring text = Lines(4000);
    const Seen seen = ShowAndLook(text, DialogWatcher::Press(IDOK));
    EXPECT_EQ(seen.snapshot.caption, L"ERROR");
    EXPECT_GE(seen.window.left, seen.work.left);
    EXPECT_GE(seen.window.top, seen.work.top);
    EXPECT_LE(seen.window.right, seen.work.right);
    EXPECT_LE(seen.window.bottom, seen.work.bottom);
    // The whole text, with the blank line after the path, every line its own.
    EXPECT_EQ(seen.snapshot.text.rfind(L"C:\\music\\damaged.mp3\r\n\r\n[mp3 @ 0x55] Header missing, frame 0", 0), 0u);
    EXPECT_NE(seen.snapshot.text.find(L"frame 3999 skipped"), std::wstring::npos);
    EXPECT_TRUE(seen.fieldEnabled) << "the text can be selected and copied";
    EXPECT_TRUE(seen.resizable);
    ASSERT_EQ(seen.snapshot.buttons.size(), 1u);
    EXPECT_EQ(seen.snapshot.buttons.front().text, L"OK");
    EXPECT_EQ(seen.snapshot.defaultId, IDOK);
}

TEST(DetailsDialog, AShortTextGetsAShortBox) {
    const Seen shortBox = ShowAndLook(Lines(3), DialogWatcher::Press(IDOK));
    const Seen longBox = ShowAndLook(Lines(60), DialogWatcher::Press(IDOK));
    EXPECT_LT(shortBox.window.bottom - shortBox.window.top, longBox.window.bottom - longBox.window.top);
}

struct CloseCase {
    const char* name;
    DialogWatcher::Action action;
};

class DetailsDialogClosing : public testing::TestWithParam<CloseCase> {};

TEST_P(DetailsDialogClosing, Closes) {
    const Seen seen = ShowAndLook(Lines(10), GetParam().action);
    EXPECT_TRUE(seen.closed);
}

INSTANTIATE_TEST_SUITE_P(Ways, DetailsDialogClosing,
                         testing::Values(CloseCase{"Enter", DialogWatcher::PressKey(VK_RETURN)},
                                         CloseCase{"Escape", DialogWatcher::PressEscape()},
                                         CloseCase{"CloseBox", DialogWatcher::UseCloseBox()}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvana::test
