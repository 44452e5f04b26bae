// The new-version notice: created hidden, shown at the top right without taking the focus,
// closing itself, its link, its colours and dragging.
#include <gtest/gtest.h>

#include "support/browser_log.h"
#include "support/conversion_support.h"
#include "support/maker_standin.h"
#include "maker/newversion_win.h"
#include "maker/web_request.h"
#include "win/system_win.h"

namespace corvana::test {
namespace {

// A plain top-level window standing in for the main window, active before the notice appears.
class MainStandIn {
public:
    MainStandIn() {
        hwnd_ = CreateWindowExW(0, L"STATIC", L"main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 300, 300, 200, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
        SetForegroundWindow(hwnd_);
        SetActiveWindow(hwnd_);
        PumpFor(50);
    }
    ~MainStandIn() { DestroyWindow(hwnd_); }
    HWND Handle() const { return hwnd_; }

private:
    HWND hwnd_;
};

class NewVersionWindow : public testing::Test {
protected:
    std::unique_ptr<UpdateNotice> Open(const std::wstring& url, HWND main, int64_t closeAfterSeconds = 11) {
        auto notice = std::make_unique<UpdateNotice>(L"Corvana", L"1.8", url, main, closeAfterSeconds);
        notice->Create();
        return notice;
    }
    static int Scale(HWND hwnd, int v) { return MulDiv(v, static_cast<int>(GetDpiForWindow(hwnd)), 96); }
};

TEST_F(NewVersionWindow, AppearsTopRightOnTopWithoutTakingTheFocus) {
    MainStandIn main;
    const HWND activeBefore = GetActiveWindow();
    auto notice = Open(L"https://downloads.example/get", main.Handle());
    const HWND hwnd = notice->Handle();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_FALSE(IsWindowVisible(hwnd));  // shown by its start timer, not at creation
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(hwnd) != FALSE; }, 2000));

    RECT rc;
    GetWindowRect(hwnd, &rc);
    EXPECT_EQ(rc.right - rc.left, Scale(hwnd, 320));
    EXPECT_EQ(rc.bottom - rc.top, Scale(hwnd, 68));
    EXPECT_EQ(rc.top, Scale(hwnd, 5));
    EXPECT_EQ(rc.right, GetSystemMetrics(SM_CXSCREEN) - Scale(hwnd, 5));
    const auto style = GetWindowLongPtrW(hwnd, GWL_STYLE), exStyle = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME), 0);
    EXPECT_NE(exStyle & WS_EX_TOPMOST, 0);

    EXPECT_EQ(ControlText(notice->HeadlineLabel()), L"UPDATE AVAILABLE");
    EXPECT_EQ(ControlText(notice->LinkLabel()), L"Click to download Corvana 1.8");
    EXPECT_NE(GetActiveWindow(), hwnd);
    EXPECT_EQ(GetActiveWindow(), activeBefore);
    EXPECT_NE(GetForegroundWindow(), hwnd);
}

TEST_F(NewVersionWindow, ClosesItselfWhenTheCountdownRunsOut) {
    auto notice = Open(L"", nullptr, 2);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(notice->Handle()) != FALSE; }, 2000));
    const DWORD shown = GetTickCount();
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(notice->Handle()); }, 5000));
    EXPECT_GE(GetTickCount() - shown, 500u) << "not before the countdown's ticks";
    EXPECT_TRUE(IsWindow(notice->Handle()));  // only hidden
}

TEST_F(NewVersionWindow, CloseButtonHidesAtOnce) {
    auto notice = Open(L"", nullptr);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(notice->Handle()) != FALSE; }, 2000));
    EXPECT_EQ(GetWindowTextString(notice->CloseButton()), L"Close") << "its name for a screen reader";
    SendMessageW(notice->CloseButton(), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowVisible(notice->Handle()));
    EXPECT_TRUE(IsWindow(notice->Handle()));
}

TEST_F(NewVersionWindow, LinkOpensOnlyWebAddressesElseTheHomePage) {
    const std::wstring home = HomePageFallback;
    // What the browser receives is the shell's canonical form of the address.
    const std::string homeOpened = std::string("http://") + CORVANA_MAKER_HOST + "/";
    struct {
        const wchar_t* url;
        std::wstring link;
        std::string opened;
    } cases[] = {
        {L"https://downloads.example/corvana-1.8.exe", L"https://downloads.example/corvana-1.8.exe",
         "https://downloads.example/corvana-1.8.exe"},
        {L"HTTP://downloads.example/x", L"HTTP://downloads.example/x", "http://downloads.example/x"},
        {L"", home, homeOpened},
        {L"file:///C:/windows/notepad.exe", home, homeOpened},
        {L"C:\\windows\\notepad.exe", home, homeOpened},
        {L"notepad.exe", home, homeOpened},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.url)));
        BrowserLog browser;
        auto notice = Open(c.url, nullptr);
        EXPECT_EQ(notice->LinkAddress(), c.link);
        ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(notice->Handle()) != FALSE; }, 2000));
        notice->OpenLink();
        EXPECT_FALSE(IsWindowVisible(notice->Handle()));
        // The shell starts each hand-over before OpenLink returns; once the address's whole line is in
        // and no hand-over is left running, a second address would have been on its way too. The
        // short pause is for its script to write.
        EXPECT_TRUE(PumpUntil(
            [&] {
                const std::string text = browser.Text();
                return !text.empty() && text.back() == '\n' && RunningProcesses(L"winebrowser.exe").empty();
            },
            10000));
        PumpFor(50);
        EXPECT_EQ(browser.Text(), c.opened + "\n");
    }
}

TEST_F(NewVersionWindow, LinkTakesTheHighlightColourUnderTheMouse) {
    auto notice = Open(L"", nullptr);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(notice->Handle()) != FALSE; }, 2000));
    RECT rc;
    GetWindowRect(notice->LinkLabel(), &rc);
    const COLORREF highlight = GetSysColor(COLOR_MENUHILIGHT), text = GetSysColor(COLOR_WINDOWTEXT);
    ASSERT_NE(highlight, text);
    SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    EXPECT_TRUE(PumpUntil([&] { return notice->LinkColor() == highlight; }, 1000));
    SetCursorPos(rc.left - 200, rc.bottom + 200);
    EXPECT_TRUE(PumpUntil([&] { return notice->LinkColor() == text; }, 1000));
}

// With real mouse input (not messages sent to a control), the notice is dragged by its
// "UPDATE AVAILABLE" text as by its icon.
TEST_F(NewVersionWindow, DraggedByItsHeadlineWithTheRealMouse) {
    auto notice = Open(L"", nullptr, 600);
    const HWND hwnd = notice->Handle();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(hwnd) != FALSE; }, 2000));
    RECT headline, before, after;
    GetWindowRect(notice->HeadlineLabel(), &headline);
    GetWindowRect(hwnd, &before);
    const POINT start{(headline.left + headline.right) / 2, (headline.top + headline.bottom) / 2};
    SendMouseAt(0, start);
    SendMouseAt(MOUSEEVENTF_LEFTDOWN, start);
    SendMouseAt(0, {start.x - 20, start.y + 10});
    SendMouseAt(0, {start.x - 30, start.y + 15});
    SendMouseAt(MOUSEEVENTF_LEFTUP, {start.x - 30, start.y + 15});
    ASSERT_TRUE(PumpUntil([&] { return GetWindowRect(hwnd, &after) && after.left != before.left; }, 3000))
        << "the notice did not move";
    EXPECT_NEAR(after.left - before.left, -30, 1);
    EXPECT_NEAR(after.top - before.top, 15, 1);
    EXPECT_FALSE(notice->Dragging());
}

TEST_F(NewVersionWindow, DraggedWithAnyButtonButTheRight) {
    auto notice = Open(L"", nullptr);
    const HWND hwnd = notice->Handle();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(hwnd) != FALSE; }, 2000));
    struct {
        const char* label;
        UINT down, up;
        WPARAM keys;
        bool moves;
    } buttons[] = {
        {"left", WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, true},
        {"middle", WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON, true},
        {"right", WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, false},
    };
    for (HWND sender : {notice->IconImage(), notice->HeadlineLabel()}) {
        for (const auto& b : buttons) {
            SCOPED_TRACE(b.label);
            // The mouse moves on the screen; each message carries its place in the sender's
            // client coordinates at that moment, as the system would report it.
            const auto sendAt = [&](UINT msg, WPARAM keys, POINT screen) {
                ScreenToClient(sender, &screen);
                SendMessageW(sender, msg, keys, MAKELPARAM(screen.x, screen.y));
            };
            POINT start{5, 5};
            ClientToScreen(sender, &start);
            RECT before, after;
            GetWindowRect(hwnd, &before);
            sendAt(b.down, b.keys, start);
            sendAt(WM_MOUSEMOVE, b.keys, {start.x + 20, start.y + 10});
            sendAt(WM_MOUSEMOVE, b.keys, {start.x + 25, start.y});
            sendAt(b.up, 0, {start.x + 25, start.y});
            GetWindowRect(hwnd, &after);
            EXPECT_EQ(after.left - before.left, b.moves ? 25 : 0);
            EXPECT_EQ(after.top - before.top, 0);
            EXPECT_EQ(after.right - after.left, before.right - before.left);
            EXPECT_FALSE(notice->Dragging());
            // Movement after the button is up moves nothing.
            SendMessageW(sender, WM_MOUSEMOVE, 0, MAKELPARAM(60, 60));
            RECT later;
            GetWindowRect(hwnd, &later);
            EXPECT_EQ(later.left, after.left);
        }
    }
    // Pressing the close button starts no drag.
    SendMessageW(notice->CloseButton(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_FALSE(notice->Dragging());
    SendMessageW(notice->CloseButton(), WM_LBUTTONUP, 0, MAKELPARAM(50, 50));  // released outside: no click
    ReleaseCapture();
}

}  // namespace
}  // namespace corvana::test
