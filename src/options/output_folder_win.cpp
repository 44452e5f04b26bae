// Where converted files go: the target-folder field, its split button and "Use Source Folder".
#include <windowsx.h>

#include "app/main_win.h"
#include "win/system_win.h"

namespace corvana {

void TAppForm::Edit1Change() { WriteSetting(L"Destination", GetWindowTextString(Edit1)); }

void TAppForm::CheckBoxSourceClick() {
    const bool checked = Button_GetCheck(CheckBoxSource) == BST_CHECKED;
    ShowWindow(Edit1, checked ? SW_HIDE : SW_SHOW);
    ShowWindow(Button2, checked ? SW_HIDE : SW_SHOW);
    WriteSetting(L"UseSourceFolder", checked ? L"ON" : L"OFF");
}

void TAppForm::Button2Click() { RunCommand(CMD_ChangeDirectory1); }

void TAppForm::ChangeDirectory1Click() {}

void TAppForm::ShowinExplorer2Click() {}

}  // namespace corvana
