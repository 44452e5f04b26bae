#include "options/output_options_win.h"

#include <shlobj.h>
#include <windowsx.h>

#include <algorithm>

#include "common/text.h"
#include "options/audiosettings_win.h"
#include "resource.h"
#include "win/command_ids.h"
#include "win/folder_picker_win.h"
#include "win/images_win.h"
#include "win/system_win.h"

namespace corvana {

namespace {

constexpr const wchar_t* kFormats[] = {L"MP3", L"WAV", L"M4A",  L"WMA", L"FLAC", L"WEBM", L"AIFF",
                                       L"AAC", L"OGG", L"OPUS", L"AC3", L"EAC3", L"MP2",  L"WV"};

UniqueHmenu MakeMenu(std::initializer_list<MenuItem> items) {
    UniqueHmenu menu(CreatePopupMenu());
    AppendMenuItems(menu.get(), items);
    return menu;
}

bool MenuItemChecked(HMENU menu, int command) {
    return (GetMenuState(menu, static_cast<UINT>(command), MF_BYCOMMAND) & MF_CHECKED) != 0;
}

}  // namespace

OutputOptions::OutputOptions(HWND window, SettingsFile& settings, std::wstring& lastFolder)
    : window_(window), settings_(settings), lastFolder_(lastFolder) {}

OutputOptions::~OutputOptions() = default;

void OutputOptions::Create() {
    targetFolderMenu_ = MakeMenu(
        {{CMD_ChangeTargetFolder, L"&Change Destination Folder..."}, {CMD_ShowTargetFolder, L"&Show in Explorer"}});
    audioSettingsMenu_ = MakeMenu(
        {{CMD_AudioSettings, L"&Audio Settings..."}, {CMD_RememberAudioSettings, L"&Remember Audio Settings"}});

    formatLabel_.Create(window_, IDC_FormatLabel, L"Output Format:", SS_LEFT | SS_CENTERIMAGE);
    formatBox_.Create(window_, IDC_FormatBox, kFormats);
    hints_ = CreateHintWindow(window_);
    audioSettingsButton_.Create(window_, IDC_AudioSettingsButton, L"Audio Settings", hints_, audioSettingsMenu_.get());
    audioSettingsButton_.onClick = [this] { OpenAudioSettings(); };
    normalizeCheck_.Create(window_, IDC_NormalizeCheck, L"Volume Normalization", WS_TABSTOP | BS_AUTOCHECKBOX);
    // The label right before the field it names (which is where a screen reader looks for the name),
    // though it shows above the check box.
    useSourceFolderCheck_.Create(window_, IDC_UseSourceFolderCheck, L"Use Source Folder", WS_TABSTOP | BS_AUTOCHECKBOX);
    useSourceFolderCheck_.onClick = [this] { OnUseSourceFolderClick(); };
    targetFolderLabel_.Create(window_, IDC_TargetFolderLabel, L"Target Folder:");
    targetFolderEdit_.Create(window_, IDC_TargetFolderEdit);
    targetFolderEdit_.onChange = [this] { OnTargetFolderChanged(); };
    targetFolderButton_.Create(window_, IDC_TargetFolderButton, L"Change Destination Folder", hints_,
                               targetFolderMenu_.get());
    targetFolderButton_.onClick = [this] { ChangeTargetFolder(); };
}

void OutputOptions::SetFont(HFONT font) {
    for (const Control* control : std::initializer_list<const Control*>{
             &formatLabel_, &formatBox_, &audioSettingsButton_, &normalizeCheck_, &targetFolderLabel_,
             &useSourceFolderCheck_, &targetFolderEdit_, &targetFolderButton_})
        control->SetFont(font);
}

void OutputOptions::OnDpiChanged(UINT dpi) {
    const int small = ScaleForDpi(16, dpi);
    toolsImages_.reset(CreateImageList({IDI_SETTING_TOOLS}, small));
    // The folder turns grey while the button is disabled (the list's six entries are normal, hot,
    // pressed, disabled, default and stylus-hot).
    folderImages_.reset(CreateImageList(
        {IDI_FOLDER32, IDI_FOLDER32, IDI_FOLDER32, IDI_FOLDER32_GRAY, IDI_FOLDER32, IDI_FOLDER32}, small));
    audioSettingsButton_.SetImages(toolsImages_.get());
    targetFolderButton_.SetImages(folderImages_.get());
}

int OutputOptions::Layout(int left, int top, int width, UINT dpi) {
    const auto scale = [dpi](int value) { return ScaleForDpi(value, dpi); };
    TEXTMETRICW tm{};
    {
        ScopedGetDC dc(window_);
        ScopedSelectObject selectFont(dc,
                                      reinterpret_cast<HFONT>(SendMessageW(formatLabel_.Handle(), WM_GETFONT, 0, 0)));
        GetTextMetricsW(dc, &tm);
    }
    const int labelHeight = tm.tmHeight;
    const int checkHeight = std::max(scale(17), static_cast<int>(tm.tmHeight));
    const int buttonWidth = scale(41);

    int y = top;
    PlaceWindow(formatLabel_.Handle(), left + scale(4), y, width - scale(4), labelHeight);
    y += labelHeight;
    PlaceWindow(audioSettingsButton_.Handle(), left + width - buttonWidth, y, buttonWidth, scale(25));
    PlaceWindow(formatBox_.Handle(), left, y, width - buttonWidth, scale(300), false);
    // The closed list as tall as the gear button beside it: its selection field grows by what it
    // lacks. The field's height is corrected by what each change did, as the value read back need
    // not be the value set (Wine reads back two pixels more).
    auto field = static_cast<int>(SendMessageW(formatBox_.Handle(), CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT box;
        GetWindowRect(formatBox_.Handle(), &box);
        const int lacking = scale(25) - (box.bottom - box.top);
        if (lacking == 0 || field + lacking <= 0) break;
        field += lacking;
        SendMessageW(formatBox_.Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
    y += scale(26) + scale(10);
    PlaceWindow(normalizeCheck_.Handle(), left + scale(4), y, width - scale(4), checkHeight);
    y += checkHeight + scale(10);
    PlaceWindow(targetFolderLabel_.Handle(), left + scale(4), y, width - scale(4), labelHeight);
    y += labelHeight + scale(10);
    PlaceWindow(useSourceFolderCheck_.Handle(), left + scale(4), y, width - scale(4), checkHeight);
    y += checkHeight;
    PlaceWindow(targetFolderButton_.Handle(), left + width - buttonWidth, y, buttonWidth, scale(25));
    PlaceWindow(targetFolderEdit_.Handle(), left, y, width - buttonWidth, scale(26) - scale(2));
    return y + scale(26) + scale(10);
}

void OutputOptions::ApplyStoredSettings(const std::function<void(const std::function<void()>&)>& keepGoing) {
    defaultDestination_ = ShellFolderPath(CSIDL_DESKTOP);
    const std::wstring destination = settings_.Read(L"Destination", defaultDestination_);
    if (destination != targetFolderEdit_.Text()) {
        targetFolderEdit_.SetText(destination, false);
        keepGoing([this] { OnTargetFolderChanged(); });
    }
    if (settings_.Read(L"RememberAudioSettings", L"") == L"ON") {
        parameters_ = settings_.Read(L"FFmpegParameters", L"");
        CheckMenuItem(audioSettingsMenu_.get(), CMD_RememberAudioSettings, MF_BYCOMMAND | MF_CHECKED);
    }
    if (settings_.Read(L"UseSourceFolder", L"") == L"ON") {
        useSourceFolderCheck_.SetChecked(true);
        keepGoing([this] { OnUseSourceFolderClick(); });
    }
}

bool OutputOptions::RunCommand(int command) {
    switch (command) {
        case CMD_ChangeTargetFolder: ChangeTargetFolder(); return true;
        case CMD_ShowTargetFolder: ShowTargetFolder(); return true;
        case CMD_AudioSettings: OpenAudioSettings(); return true;
        case CMD_RememberAudioSettings: ToggleRememberAudioSettings(); return true;
        default: return false;
    }
}

OutputChoice OutputOptions::Current() const {
    OutputChoice choice;
    choice.format = formatBox_.Text();
    choice.normalize = normalizeCheck_.Checked();
    choice.useSourceFolder = useSourceFolderCheck_.Checked();
    choice.targetFolder = targetFolderEdit_.Text();
    choice.parameters = parameters_;
    return choice;
}

void OutputOptions::SaveParameters(const std::wstring& parameters) {
    parameters_ = parameters;
    settings_.Write(L"FFmpegParameters", parameters);
}

void OutputOptions::OnTargetFolderChanged() {
    settings_.Write(L"Destination", targetFolderEdit_.Text());
}

void OutputOptions::OnUseSourceFolderClick() {
    const bool checked = useSourceFolderCheck_.Checked();
    ShowWindow(targetFolderEdit_.Handle(), checked ? SW_HIDE : SW_SHOW);
    ShowWindow(targetFolderButton_.Handle(), checked ? SW_HIDE : SW_SHOW);
    settings_.Write(L"UseSourceFolder", checked ? L"ON" : L"OFF");
}

void OutputOptions::ChangeTargetFolder() {
    const std::vector<std::wstring> chosen = PickFolders(window_, lastFolder_, false);
    if (chosen.empty()) return;
    lastFolder_ = chosen.front();
    SetTargetFolder(lastFolder_);
}

void OutputOptions::SetTargetFolder(const std::wstring& folder) {
    if (TrimControl(folder).empty()) return;
    lastFolder_ = folder;
    // Setting the same text again would still notify; only a real change is stored.
    if (targetFolderEdit_.Text() != folder) targetFolderEdit_.SetText(folder);
}

void OutputOptions::ShowTargetFolder() {
    const std::wstring target = targetFolderEdit_.Text();
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
    ShellExecuteW(window_, L"explore", AbsolutePath(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void OutputOptions::OpenAudioSettings() {
    std::unique_ptr<AudioSettingsDialog, AudioSettingsDeleter> dialog(new AudioSettingsDialog(*this));
    dialog->Create();
    dialogs_.push_back(std::move(dialog));
}

void OutputOptions::Forget(const AudioSettingsDialog* dialog) {
    std::erase_if(dialogs_, [dialog](const auto& open) { return open.get() == dialog; });
}

void OutputOptions::ToggleRememberAudioSettings() {
    const bool checked = MenuItemChecked(audioSettingsMenu_.get(), CMD_RememberAudioSettings);
    CheckMenuItem(audioSettingsMenu_.get(), CMD_RememberAudioSettings,
                  MF_BYCOMMAND | (checked ? MF_UNCHECKED : MF_CHECKED));
    settings_.Write(L"RememberAudioSettings", checked ? L"OFF" : L"ON");
}

}  // namespace corvana
