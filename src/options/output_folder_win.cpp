// Where converted files go: the target-folder field, its split button and "Use Source Folder".
#include "app/main_win.h"

#include <versionhelpers.h>
#include <windowsx.h>

#include "common/text.h"
#include "conversion/console_runner_win.h"
#include "options/folder_picker_win.h"
#include "win/system_win.h"

namespace corvana {

void MainWindow::OnTargetFolderChanged() {
    Settings().Write(L"Destination", GetWindowTextString(targetFolderEdit));
}

void MainWindow::OnUseSourceFolderClick() {
    const bool checked = Button_GetCheck(useSourceFolderCheck) == BST_CHECKED;
    ShowWindow(targetFolderEdit, checked ? SW_HIDE : SW_SHOW);
    ShowWindow(targetFolderButton, checked ? SW_HIDE : SW_SHOW);
    Settings().Write(L"UseSourceFolder", checked ? L"ON" : L"OFF");
}

void MainWindow::OnTargetFolderButton() {
    RunCommand(CMD_ChangeTargetFolder);
}

void MainWindow::ChangeTargetFolder() {
    if (!IsWindowsVistaOrGreater()) {
        if (PickFolderClassic(hwnd_, LastFolder) && !LastFolder.empty()) SetTargetFolder(LastFolder);
        return;
    }
    if (const auto chosen = PickFolderWithItemDialog(hwnd_, LastFolder)) {
        LastFolder = *chosen;
        SetTargetFolder(LastFolder);
    }
}

void MainWindow::SetTargetFolder(const std::wstring& foldername) {
    if (TrimControl(foldername).empty()) return;
    LastFolder = foldername;
    // Setting the same text again would still notify; only a real change is stored.
    if (GetWindowTextString(targetFolderEdit) != foldername) SetWindowTextW(targetFolderEdit, foldername.c_str());
}

void MainWindow::ShowTargetFolder() {
    const std::wstring target = GetWindowTextString(targetFolderEdit);
    // A blank but non-empty text would resolve to the current folder; it names no folder.
    if (!target.empty() && TrimControl(target).empty()) {
        MessageBeep(0);
        return;
    }
    if (!ForceDirectories(target)) {
        MessageBeep(0);
        return;
    }
    // The shell would take a relative path from its own idea of the current folder; the folder just
    // created is the one below this process's current folder.
    ShellExecuteW(hwnd_, L"explore", AbsolutePath(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace corvana
