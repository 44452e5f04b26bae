// A main window created in this process from a copy of the built program in a temporary folder,
// so that start-up reads the real version record and keeps its settings in that folder.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "app/main_win.h"
#include "support/win_test_support.h"
#include "win/system_win.h"

namespace corvana::test {

// Counts the ticks of one of a window's timers that the window has handled to the end, however
// deep the message loop that dispatched them; with a condition, only the ticks that came while it
// held.
class TimerTicks {
public:
    TimerTicks(HWND window, UINT_PTR timer, std::function<bool()> counting = {})
        : window_(window), timer_(timer), counting_(std::move(counting)) {
        EXPECT_TRUE(
            SetWindowSubclass(window_, Watch, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this)));
    }
    ~TimerTicks() {
        if (IsWindow(window_)) RemoveWindowSubclass(window_, Watch, reinterpret_cast<UINT_PTR>(this));
    }
    TimerTicks(const TimerTicks&) = delete;
    TimerTicks& operator=(const TimerTicks&) = delete;

    int Count() const { return count_; }

private:
    static LRESULT CALLBACK Watch(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
        auto& self = *reinterpret_cast<TimerTicks*>(data);
        const bool counts = msg == WM_TIMER && wp == self.timer_ && (!self.counting_ || self.counting_());
        const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
        if (counts) ++self.count_;
        return result;
    }

    HWND window_;
    UINT_PTR timer_;
    std::function<bool()> counting_;
    int count_ = 0;
};

class AppFixture : public testing::Test {
protected:
    TempFolder folder{L"app"};
    std::wstring exe = CopyProgramTo(folder.Path());
    std::wstring ini = folder / L"settings.ini";
    std::unique_ptr<MainWindow> form;

    // Creates and shows the window and returns once it has handled its command line; extra
    // command-line arguments may follow the program's name.
    void Start(const std::wstring& arguments = L"") {
        form = std::make_unique<MainWindow>(exe, L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments));
        form->Create();
        // The command line is handled on a timer once messages run; none have run yet, so the
        // tick cannot come before it is watched for.
        TimerTicks commandLine(form->Handle(), CommandLineTimer);
        form->Show(SW_SHOWNOACTIVATE);
        ASSERT_TRUE(PumpUntil([&] { return commandLine.Count() > 0; })) << "the command line was not handled";
    }

    void TearDown() override {
        form.reset();
        PumpFor(10);
        // A window that ended the program left a quit request; the next test's boxes must not see it.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
};

}  // namespace corvana::test
