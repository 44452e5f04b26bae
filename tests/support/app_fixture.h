// A main window created in this process from a copy of the built program in a temporary folder,
// so that start-up reads the real version record and keeps its settings in that folder.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "app/main_win.h"
#include "support/win_test_support.h"
#include "win/system_win.h"

namespace corvana::test {

class AppFixture : public testing::Test {
protected:
    TempFolder folder{L"app"};
    std::wstring exe = CopyProgramTo(folder.Path());
    std::wstring ini = folder / L"settings.ini";
    std::unique_ptr<MainWindow> form;

    // Creates and shows the window; extra command-line arguments may follow the program's name.
    void Start(const std::wstring& arguments = L"") {
        form = std::make_unique<MainWindow>(exe, L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments));
        form->Create();
        form->Show(SW_SHOWNOACTIVATE);
        PumpFor(50);
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
