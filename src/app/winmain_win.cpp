// Program entry: the named mutex, the main window, the message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/main_win.h"
#include "win/application_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    // Held for the life of the process; nothing waits on it and a second instance runs as well.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, L"KALDERN_Corvana");
    (void)mutex;

    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    corvana::MainWindow form;
    if (!corvana::Application::Guarded([&] { form.Create(); })) return 1;
    form.Show(showCommand);
    corvana::Application::Run();
    return form.ExitStatus();
}
