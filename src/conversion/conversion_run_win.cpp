// The conversion run behind "Convert": every row of the list, one after the other, with the
// window usable between the jobs.
#include <windowsx.h>

#include "app/main_win.h"
#include "conversion/console_runner_win.h"
#include "conversion/ffmpeg_command.h"
#include "win/system_win.h"

namespace corvana {

void TAppForm::Button1Click() {
    if (FileList.Empty()) {
        MessageBoxW(hwnd_, L"Please add files!", L"WARNING", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    {
        Application::SetBusyCursor(true);
        ShowWindow(ProgressBar1, SW_SHOW);
        Layout();
        SendMessageW(ProgressBar1, PBM_SETRANGE32, 0, static_cast<LPARAM>(FileList.Count()));
        SendMessageW(ProgressBar1, PBM_SETPOS, 0, 0);
        EnableWindow(Button1, FALSE);
        // Whatever ends the run (also a failure that reaches the standard error box), the window
        // goes back to idle.
        ScopeExit idle([this] {
            EnableWindow(Button1, TRUE);
            SetWindowLongPtrW(ProgressBar1, GWL_STYLE, GetWindowLongPtrW(ProgressBar1, GWL_STYLE) & ~PBS_MARQUEE);
            ShowWindow(ProgressBar1, SW_HIDE);
            Layout();
            Application::SetBusyCursor(false);
        });

        FileList.ClearResults();
        InvalidateRect(ListView1, nullptr, FALSE);
        Application::ProcessMessages();

        if (Button_GetCheck(CheckBoxSource) != BST_CHECKED) {
            const std::wstring target = GetWindowTextString(Edit1);
            if (!DirectoryExists(target)) ForceDirectories(target);
        }

        for (size_t i = 0; i < FileList.Count(); ++i) {
            // The row is remembered by its id: while messages run it may be removed or moved, and
            // its result must not land on another row.
            const uint64_t id = FileList.At(i).id;
            const std::wstring path = FileList.At(i).caption;
            const std::wstring sourceFolder = SourceFolder(path);
            const std::wstring extension = OutputExtension(GetWindowTextString(ComboBox1));
            SetStatusText(L"Processing " + path + L"...");
            Application::ProcessMessages();

            std::wstring output;
            if (Button_GetCheck(CheckBoxSource) == BST_CHECKED) {
                if (!sourceFolder.empty() && !DirectoryExists(sourceFolder)) ForceDirectories(sourceFolder);
                output = ComposeOutputPath(sourceFolder, BaseName(path), extension);
            } else {
                output = ComposeOutputPath(GetWindowTextString(Edit1), BaseName(path), extension);
            }
            output = UniqueOutputName(output, [](const std::wstring& p) { return FileExists(p); });

            const std::wstring result = FFmpegIleDonustur(path, output);
            if (FileList.SetResult(id, result)) {
                if (const auto position = FileList.PositionOf(id))
                    ListView_RedrawItems(ListView1, static_cast<int>(*position), static_cast<int>(*position));
            }
            SendMessageW(ProgressBar1, PBM_SETPOS, static_cast<WPARAM>(i + 2), 0);
            Application::ProcessMessages();
            SendMessageW(ProgressBar1, PBM_SETPOS, static_cast<WPARAM>(i + 1), 0);
            Application::ProcessMessages();
        }
    }
    SetStatusText(L"Completed");
    MessageBeep(0);
}

}  // namespace corvana
