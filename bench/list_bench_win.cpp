// Figures for the list commands on a list of 100,000 items, through the real handlers of the
// main window: sorting by either column, "Select All", re-sorting a selection, "Remove from List"
// of every second item, and one addition in sorted mode. Each figure includes the list view's
// repaint.
// Usage: corvana_list_bench.exe [ROUNDS] [ITEMS]
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "app/main_win.h"
#include "bench_timing.h"
#include "win/system_win.h"

using namespace corvana;
using corvana::bench::Median;
using corvana::bench::Now;

namespace {

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Paths as a music collection gives them, in a shuffled order, with results of a past run.
void Fill(MainWindow& form, size_t items, unsigned seed) {
    std::vector<std::wstring> paths;
    paths.reserve(items);
    for (size_t i = 0; i < items; ++i)
        paths.push_back(L"C:\\Users\\Listener\\Music\\Artist " + std::to_wstring(i / 1000) + L"\\Album " +
                        std::to_wstring(i / 100 % 10) + L"\\" + std::to_wstring(i % 100) + L" Track_Title.mp3");
    std::mt19937 random(seed);
    std::shuffle(paths.begin(), paths.end(), random);
    form.Files().Rows().BeginBatch();
    form.Files().Rows().Reserve(items);
    for (const auto& p : paths) form.Files().AddFile(p);
    form.Files().Rows().EndBatch();
    static const wchar_t* const kResults[] = {L"", L"OK", L"Error"};
    for (size_t i = 0; i < form.Files().Rows().Count(); ++i)
        form.Files().Rows().SetResult(form.Files().Rows().At(i).id, kResults[random() % 3]);
    form.Files().Refresh();
    UpdateWindow(form.Files().Handle());
}

void ClickColumn(MainWindow& form, int column) {
    NMLISTVIEW info{};
    info.hdr.hwndFrom = form.Files().Handle();
    info.hdr.code = LVN_COLUMNCLICK;
    info.iItem = -1;
    info.iSubItem = column;
    // As the control tells its window of a click on a column's heading.
    SendMessageW(form.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
}

// As many single clicks with Ctrl would leave it: every second item selected.
void SelectEverySecond(MainWindow& form, int count) {
    SendMessageW(form.Files().Handle(), WM_SETREDRAW, FALSE, 0);
    form.Files().ClearSelection();
    for (int i = 1; i < count; i += 2) ListView_SetItemState(form.Files().Handle(), i, LVIS_SELECTED, LVIS_SELECTED);
    SendMessageW(form.Files().Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(form.Files().Handle(), nullptr, TRUE);
}

template <typename F>
double Time(MainWindow& form, F&& f) {
    const double t = Now();
    f();
    UpdateWindow(form.Files().Handle());
    Pump();
    return Now() - t;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 3;
    const size_t items = argc > 2 ? static_cast<size_t>(std::max(2, _wtoi(argv[2]))) : 100000;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    // A program copy in a folder of its own, so that its settings stay there.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring home = std::wstring(temp) + L"corvana-list-bench-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(home.c_str(), nullptr);
    const std::wstring exe = home + L"\\Corvana.exe";
    CopyFileW((FolderOf(ModulePath()) + L"\\Corvana.exe").c_str(), exe.c_str(), FALSE);

    std::vector<double> fill, sortFileDown, sortFileUp, sortResult, selectAll, sortAllSelected, selectHalf,
        sortHalfSelected, remove, append;
    size_t left = 0;
    for (int r = 0; r < rounds; ++r) {
        // Each round starts unsorted, as after a start of the program.
        MainWindow form(exe, L"\"" + exe + L"\"");
        form.Create();
        form.Show(SW_SHOWNOACTIVATE);
        Pump();
        fill.push_back(Time(form, [&] { Fill(form, items, 1234u + static_cast<unsigned>(r)); }));
        const int count = static_cast<int>(form.Files().Rows().Count());

        sortFileDown.push_back(Time(form, [&] { ClickColumn(form, 0); }));  // Z to A
        sortFileUp.push_back(Time(form, [&] { ClickColumn(form, 0); }));    // A to Z
        sortResult.push_back(Time(form, [&] { ClickColumn(form, 1); }));
        selectAll.push_back(Time(form, [&] { form.RunCommand(CMD_SelectAll); }));
        sortAllSelected.push_back(Time(form, [&] { ClickColumn(form, 0); }));
        selectHalf.push_back(Time(form, [&] { SelectEverySecond(form, count); }));
        sortHalfSelected.push_back(Time(form, [&] { ClickColumn(form, 0); }));
        SelectEverySecond(form, count);
        remove.push_back(Time(form, [&] { form.RunCommand(CMD_RemoveFromList); }));
        left = form.Files().Rows().Count();
        append.push_back(Time(form, [&] { form.Files().AddFile(L"C:\\Users\\Listener\\Music\\Added later.mp3"); }));
    }

    wprintf(L"List commands on %zu items, %d rounds (medians, each with the list view's repaint)\n", items, rounds);
    wprintf(L"  filling the list (setup)                           %8.1f ms\n", Median(fill) * 1000);
    wprintf(L"  sort by \"File\", Z to A (first click)               %8.1f ms\n", Median(sortFileDown) * 1000);
    wprintf(L"  sort by \"File\", A to Z (second click)              %8.1f ms\n", Median(sortFileUp) * 1000);
    wprintf(L"  sort by \"Result\"                                   %8.1f ms\n", Median(sortResult) * 1000);
    wprintf(L"  \"Select All\"                                       %8.1f ms\n", Median(selectAll) * 1000);
    wprintf(L"  sort with every item selected                      %8.1f ms\n", Median(sortAllSelected) * 1000);
    wprintf(L"  selecting every second item one by one (setup)     %8.1f ms\n", Median(selectHalf) * 1000);
    wprintf(L"  sort with every second item selected               %8.1f ms\n", Median(sortHalfSelected) * 1000);
    wprintf(L"  \"Remove from List\" of every second item            %8.1f ms  (%zu items left)\n",
            Median(remove) * 1000, left);
    wprintf(L"  one addition in sorted mode                        %8.2f ms\n", Median(append) * 1000);
    fflush(stdout);

    DeleteFileW(exe.c_str());
    DeleteFileW((home + L"\\settings.ini").c_str());
    RemoveDirectoryW(home.c_str());
    return 0;
}
