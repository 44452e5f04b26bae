// The option toggles of the menus and "Reset to Defaults...".
#include "app/main_win.h"

#include <shellapi.h>

#include "win/application_win.h"
#include "win/message_dialog_win.h"

namespace corvana {

void TAppForm::RememberAudioSettings1Click() {
    const bool checked = IsMenuChecked(CMD_RememberAudioSettings1);
    SetMenuChecked(CMD_RememberAudioSettings1, !checked);
    WriteSetting(L"RememberAudioSettings", checked ? L"OFF" : L"ON");
}

void TAppForm::ShowErrorDetails1Click() {
    const bool checked = IsMenuChecked(CMD_ShowErrorDetails1);
    SetMenuChecked(CMD_ShowErrorDetails1, !checked);
    WriteSetting(L"ShowErrorDetails", checked ? L"OFF" : L"ON");
}

void TAppForm::ResettoDefaults1Click() {
    if (ShowMessageDialog(L"Restart Application?", MessageKind::Confirmation, MessageButtons::YesNo, L"Confirmation",
                          {L"Yes", L"No"}, hwnd_) != IDYES)
        return;
    DeleteFileW(SettingsPath().c_str());
    // From here on the file belongs to the new instance. A conversion run in progress is stopped
    // first, as at any exit, and an option changed meanwhile must not put the old settings back
    // over the new instance's file.
    SettingsHandedOver = true;
    Application::ProcessMessages();
    ShellExecuteW(nullptr, nullptr, ProgramPath.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    RequestExit();
}

}  // namespace corvana
