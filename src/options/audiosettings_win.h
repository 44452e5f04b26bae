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

    // ---- Controls that tests look at ----
    HWND ParametersEdit() const { return parametersEdit_; }
    HWND SaveButton() const { return saveButton_; }
    HWND CloseButton() const { return closeButton_; }
    HWND ParametersLabel() const { return parametersLabel_; }
    HWND RowLabel(AudioRow row) const;
    // The radio button of a row's choice, by its place in the row (0 is "Auto"), as AudioRows()
    // lists them.
    HWND ChoiceButton(AudioRow row, int index) const;

private:
    friend class BaseWindow<AudioSettingsDialog>;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void OnCreate();
    void OnChoiceClick(HWND button);
    void OnParametersChanged();
    void Save();
    void CloseDialog();
    void CreateControls();
    void OnDpiChanged();
    void Layout();
    void EnableSave(bool enabled);
    void OnFinalMessage();

    OutputOptions& options_;
    bool deleting_ = false;
    HWND parametersEdit_ = nullptr, saveButton_ = nullptr, closeButton_ = nullptr, parametersLabel_ = nullptr;
    std::array<HWND, kAudioRowCount> rowLabels_{};
    std::array<std::vector<HWND>, kAudioRowCount> choiceButtons_;
    AudioSelection selection_{};
    bool settingTextSilently_ = false;
    UniqueHfont font_;
    UniqueHimagelist saveImage_;
};

}  // namespace corvana
