// OutputOptions: the option panel's choices of what each job makes and where: the output format,
// volume normalisation, the target folder (its field, its split button with a menu, "Use Source
// Folder"), and the FFmpeg parameters composed in "Audio Settings" (its split button with a menu,
// and the windows). It owns these controls and their behaviour and stores what they change in the
// settings; the main window lays them out.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "options/output_choice.h"
#include "win/controls_win.h"
#include "win/handles_win.h"
#include "win/settings_file_win.h"

namespace corvana {

class AudioSettingsDialog;
// Deletes an "Audio Settings" window; defined beside it so this header needs only its name.
struct AudioSettingsDeleter {
    void operator()(AudioSettingsDialog* dialog) const;
};

class OutputOptions {
public:
    // window: the main window, which holds the controls and owns the dialogs. lastFolder: the
    // folder most recently chosen or loaded, shared with the file list.
    OutputOptions(HWND window, SettingsFile& settings, std::wstring& lastFolder);
    ~OutputOptions();
    OutputOptions(const OutputOptions&) = delete;
    OutputOptions& operator=(const OutputOptions&) = delete;

    // Creates the controls top to bottom (their creation order is their tab order) and the menus of
    // the two split buttons.
    void Create();
    void SetFont(HFONT font);
    // The split buttons' pictures at the window's DPI.
    void OnDpiChanged(UINT dpi);
    // Places the controls in a column at left, top of width (the panel's); returns the y below them.
    int Layout(int left, int top, int width, UINT dpi);
    // Puts the stored target folder, "Use Source Folder" and remembered parameters into force.
    // keepGoing runs each step so that a failed flush stops none of the others.
    void ApplyStoredSettings(const std::function<void(const std::function<void()>&)>& keepGoing);

    // Runs a command of the split buttons' menus; false when the command is not one of them.
    bool RunCommand(int command);
    // Menus whose items the window's menu helpers also look through.
    HMENU TargetFolderMenu() const { return targetFolderMenu_.get(); }
    HMENU AudioSettingsMenu() const { return audioSettingsMenu_.get(); }

    // ---- What the options hold ----
    OutputChoice Current() const;
    const std::wstring& Parameters() const { return parameters_; }
    // Puts a composed parameter string in force and stores it.
    void SaveParameters(const std::wstring& parameters);
    // Shows a folder in the field (and remembers it as the last folder); a blank name is ignored.
    void SetTargetFolder(const std::wstring& folder);
    void ChangeTargetFolder();
    void ShowTargetFolder();
    void OpenAudioSettings();
    void ToggleRememberAudioSettings();
    // The "Audio Settings" windows open now, oldest first.
    const std::vector<std::unique_ptr<AudioSettingsDialog, AudioSettingsDeleter>>& AudioSettingsDialogs() const {
        return dialogs_;
    }
    // A closed "Audio Settings" window is freed.
    void Forget(const AudioSettingsDialog* dialog);
    HWND Window() const { return window_; }

    // ---- The controls, for the layout's neighbours and for tests that click them ----
    HWND FormatLabel() const { return formatLabel_.Handle(); }
    HWND FormatBox() const { return formatBox_.Handle(); }
    HWND AudioSettingsButton() const { return audioSettingsButton_.Handle(); }
    HWND NormalizeCheck() const { return normalizeCheck_.Handle(); }
    HWND TargetFolderLabel() const { return targetFolderLabel_.Handle(); }
    HWND UseSourceFolderCheck() const { return useSourceFolderCheck_.Handle(); }
    HWND TargetFolderEdit() const { return targetFolderEdit_.Handle(); }
    HWND TargetFolderButton() const { return targetFolderButton_.Handle(); }

private:
    void OnTargetFolderChanged();
    void OnUseSourceFolderClick();

    HWND window_;
    SettingsFile& settings_;
    std::wstring& lastFolder_;
    std::wstring parameters_;
    std::wstring defaultDestination_;
    Label formatLabel_, targetFolderLabel_;
    DropDownList formatBox_;
    Button normalizeCheck_, useSourceFolderCheck_;
    EditField targetFolderEdit_;
    SplitButton audioSettingsButton_, targetFolderButton_;
    HWND hints_ = nullptr;
    UniqueHmenu targetFolderMenu_, audioSettingsMenu_;
    UniqueHimagelist toolsImages_, folderImages_;
    std::vector<std::unique_ptr<AudioSettingsDialog, AudioSettingsDeleter>> dialogs_;
};

}  // namespace corvana
