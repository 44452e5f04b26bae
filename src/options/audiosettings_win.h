// AudioSettingsDialog: the modeless "Audio Settings" window that composes and saves the FFmpeg
// parameter string. A new one is made at every opening; closing it frees it.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "options/audio_parameters.h"
#include "win/handles_win.h"
#include "win/window_base_win.h"

namespace corvana {

class OutputOptions;

inline constexpr const wchar_t* kAudioSettingsClass = L"TFormAudioSettings";

inline constexpr int kAudioChoiceIdsPerRow = 16;

enum AudioSettingsControlId : int {
    IDC_AudioChoiceBase = 300,  // + row * kAudioChoiceIdsPerRow + the choice's place in the row
    IDC_AudioParametersEdit = 400,
    IDC_AudioSaveButton,
    IDC_AudioParametersLabel,
    IDC_AudioRowLabelBase = 410,      // + the row
    IDC_AudioCloseButton = IDCANCEL,  // the cancel button: Escape closes the window
};

class AudioSettingsDialog : public BaseWindow<AudioSettingsDialog> {
public:
    explicit AudioSettingsDialog(OutputOptions& options);
    ~AudioSettingsDialog() override;

    // Creates the window centred over the main window (running OnCreate) and shows it.
    void Create();

    HWND parametersEdit = nullptr, saveButton = nullptr, closeButton = nullptr, parametersLabel = nullptr;
    std::array<HWND, kAudioRowCount> rowLabels{};
    // The radio button of a row's choice, by its place in the row (0 is "Auto"), as AudioRows()
    // lists them.
    HWND ChoiceButton(AudioRow row, int index) const;

    void OnCreate();
    void OnChoiceClick(HWND button);
    void OnParametersChanged();
    void Save();
    void CloseDialog();

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

private:
    friend class BaseWindow<AudioSettingsDialog>;
    void CreateControls();
    void OnDpiChanged();
    void Layout();
    void EnableSave(bool enabled);
    void OnFinalMessage();

    OutputOptions& options_;
    bool deleting_ = false;
    std::array<std::vector<HWND>, kAudioRowCount> choiceButtons_;
    AudioSelection selection_{};
    bool settingTextSilently_ = false;
    UniqueHfont font_;
    UniqueHimagelist saveImage_;
};

}  // namespace corvana
