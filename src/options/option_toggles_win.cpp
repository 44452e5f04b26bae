// The option toggles of the menus and "Reset to Defaults...".
#include "app/main_win.h"

#include <shellapi.h>

#include "win/application_win.h"
#include "win/message_dialog_win.h"

namespace corvana {

void MainWindow::ToggleRememberAudioSettings() {
    const bool checked = IsMenuChecked(CMD_RememberAudioSettings);
    SetMenuChecked(CMD_RememberAudioSettings, !checked);
    Settings().Write(L"RememberAudioSettings", checked ? L"OFF" : L"ON");
}

void MainWindow::ToggleShowErrorDetails() {
    const bool checked = IsMenuChecked(CMD_ShowErrorDetails);
    SetMenuChecked(CMD_ShowErrorDetails, !checked);
    Settings().Write(L"ShowErrorDetails", checked ? L"OFF" : L"ON");
}

void MainWindow::ResetToDefaults() {
    if (ShowMessageDialog(L"Restart Application?", MessageKind::Confirmation, MessageButtons::YesNo, L"Confirmation",
                          {L"Yes", L"No"}, hwnd_) != IDYES)
        return;
    // From here on the file belongs to the new instance. A conversion run in progress is stopped
    // first, as at any exit, and an option changed meanwhile must not put the old settings back
    // over the new instance's file.
    Settings().HandOver();
    Application::ProcessMessages();
    ShellExecuteW(nullptr, nullptr, ProgramPath.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    RequestExit();
}

}  // namespace corvana
