// The "Audio Settings" dialog.
#include "options/audiosettings_win.h"

#include <windowsx.h>

#include <algorithm>

#include "options/output_options_win.h"
#include "resource.h"
#include "win/controls_win.h"
#include "win/images_win.h"
#include "common/app_error.h"
#include "win/system_win.h"

namespace corvana {

namespace {

constexpr int kClientWidth = 708, kClientHeight = 346;  // at 96 DPI
constexpr int kMargin = 16;
constexpr int kLabelWidth = 112;
constexpr int kRowTop = 20, kRowPitch = 40, kRowHeight = 20;
constexpr int kButtonWidth = 96, kButtonHeight = 30;

// The program's message loop gives dialog keys (Tab, arrows, Escape) to the main window only. A
// message hook lets every open "Audio Settings" window handle its own keys, whichever loop is
// running: the main one, a conversion run letting messages through, or a modal box.
thread_local HHOOK t_keyHook = nullptr;
thread_local int t_openForms = 0;

bool IsAudioSettingsWindow(HWND hwnd) {
    wchar_t cls[32]{};
    GetClassNameW(hwnd, cls, 32);
    return lstrcmpW(cls, kAudioSettingsClass) == 0;
}

LRESULT CALLBACK KeyHookProc(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && wp == PM_REMOVE) {
        auto* msg = reinterpret_cast<MSG*>(lp);
        if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && msg->hwnd) {
            const HWND top = GetAncestor(msg->hwnd, GA_ROOT);
            if (top && IsAudioSettingsWindow(top) && IsDialogMessageW(top, msg)) {
                msg->message = WM_NULL;
                msg->wParam = 0;
                msg->lParam = 0;
            }
        }
    }
    return CallNextHookEx(t_keyHook, code, wp, lp);
}

}  // namespace

void AudioSettingsDeleter::operator()(AudioSettingsDialog* form) const {
    delete form;
}

AudioSettingsDialog::AudioSettingsDialog(OutputOptions& options) : options_(options) {
    if (t_openForms++ == 0) t_keyHook = SetWindowsHookExW(WH_GETMESSAGE, KeyHookProc, nullptr, GetCurrentThreadId());
}

AudioSettingsDialog::~AudioSettingsDialog() {
    deleting_ = true;
    if (hwnd_) DestroyWindow(hwnd_);
    if (--t_openForms == 0 && t_keyHook) {
        UnhookWindowsHookEx(t_keyHook);
        t_keyHook = nullptr;
    }
}

HWND AudioSettingsDialog::ChoiceButton(AudioRow row, int index) const {
    if (row < 0 || row >= kAudioRowCount) return nullptr;
    const auto& buttons = choiceButtons_[static_cast<size_t>(row)];
    return index >= 0 && static_cast<size_t>(index) < buttons.size() ? buttons[static_cast<size_t>(index)] : nullptr;
}

HWND AudioSettingsDialog::RowLabel(AudioRow row) const {
    return row >= 0 && row < kAudioRowCount ? rowLabels_[static_cast<size_t>(row)] : nullptr;
}

void AudioSettingsDialog::Create() {
    RegisterClassOnce(kAudioSettingsClass, nullptr, GetSysColorBrush(COLOR_BTNFACE));
    CreateCentered(options_.Window(), kAudioSettingsClass, L"Audio Settings",
                   WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
                   {kClientWidth, kClientHeight}, Centring::OverOwner);
    Layout();
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetFocus(parametersEdit_);
}

void AudioSettingsDialog::CreateControls() {
    // Each row is one group: its label starts the group, the buttons follow in screen order.
    const auto& rows = AudioRows();
    for (int row = 0; row < kAudioRowCount; ++row) {
        rowLabels_[static_cast<size_t>(row)] =
            CreateControl({hwnd_, WC_STATICW, rows[static_cast<size_t>(row)].label, WS_VISIBLE | WS_GROUP | SS_LEFT,
                           IDC_AudioRowLabelBase + row});
        auto& buttons = choiceButtons_[static_cast<size_t>(row)];
        for (const auto& choice : rows[static_cast<size_t>(row)].choices) {
            const DWORD style = BS_AUTORADIOBUTTON | (buttons.empty() ? WS_GROUP | WS_TABSTOP : 0);
            const int id = IDC_AudioChoiceBase + row * kAudioChoiceIdsPerRow + static_cast<int>(buttons.size());
            buttons.push_back(CreateControl({hwnd_, WC_BUTTONW, choice.caption, WS_VISIBLE | style, id}));
        }
        Button_SetCheck(buttons.front(), BST_CHECKED);
    }
    parametersLabel_ = CreateControl(
        {hwnd_, WC_STATICW, L"FFmpeg Parameters:", WS_VISIBLE | WS_GROUP | SS_LEFT, IDC_AudioParametersLabel});
    parametersEdit_ = CreateControl({hwnd_, WC_EDITW, L"", WS_VISIBLE | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL,
                                     IDC_AudioParametersEdit, WS_EX_CLIENTEDGE});
    saveButton_ =
        CreateControl({hwnd_, WC_BUTTONW, L"Save", WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON | WS_DISABLED,
                       IDC_AudioSaveButton});
    closeButton_ =
        CreateControl({hwnd_, WC_BUTTONW, L"Close", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, IDC_AudioCloseButton});
}

void AudioSettingsDialog::OnDpiChanged() {
    font_ = MakeFont(11);
    for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SetControlFont(child, font_.get());
}

void AudioSettingsDialog::Layout() {
    {
        ScopedGetDC dc(hwnd_);
        ScopedSelectObject selectFont(dc, font_.get());
        const auto textWidth = [&dc](HWND control) {
            const std::wstring text = GetWindowTextString(control);
            SIZE size{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
            return static_cast<int>(size.cx);
        };

        // A radio button is its circle, a gap and its caption; the buttons of a row run left to right.
        // Every row has the same spacing: the widest (up to 24 pixels at 96 DPI) with which the row of
        // the widest captions still fits.
        const int left = Scale(kMargin + kLabelWidth), right = Scale(kClientWidth - kMargin);
        const int glyph = GetSystemMetricsForDpi(SM_CXMENUCHECK, Dpi()) + Scale(6);
        int gap = Scale(24);
        for (const auto& buttons : choiceButtons_) {
            int total = 0;
            for (HWND button : buttons) total += glyph + textWidth(button);
            const int gaps = static_cast<int>(buttons.size()) - 1;
            if (gaps > 0) gap = std::min(gap, std::max(0, (right - left - total) / gaps));
        }
        for (int row = 0; row < kAudioRowCount; ++row) {
            const int y = Scale(kRowTop + row * kRowPitch);
            MoveWindow(rowLabels_[static_cast<size_t>(row)], Scale(kMargin), y + Scale(3), Scale(kLabelWidth - 4),
                       Scale(kRowHeight - 3), TRUE);
            int x = left;
            for (HWND button : choiceButtons_[static_cast<size_t>(row)]) {
                const int width = glyph + textWidth(button);
                MoveWindow(button, x, y, width, Scale(kRowHeight), TRUE);
                x += width + gap;
            }
        }
    }

    const int editTop = Scale(kRowTop + kAudioRowCount * kRowPitch + 30);
    MoveWindow(parametersLabel_, Scale(kMargin), editTop - Scale(20), Scale(kClientWidth - 2 * kMargin), Scale(17),
               TRUE);
    MoveWindow(parametersEdit_, Scale(kMargin), editTop, Scale(kClientWidth - 2 * kMargin), Scale(24), TRUE);
    const int buttonTop = Scale(kClientHeight - kMargin - kButtonHeight);
    const int closeLeft = Scale(kClientWidth - kMargin - kButtonWidth);
    MoveWindow(closeButton_, closeLeft, buttonTop, Scale(kButtonWidth), Scale(kButtonHeight), TRUE);
    MoveWindow(saveButton_, closeLeft - Scale(8 + kButtonWidth), buttonTop, Scale(kButtonWidth), Scale(kButtonHeight),
               TRUE);
    saveImage_.reset(CreateButtonImageList(IDI_SAVE, Scale(16)));
    SetButtonPicture(saveButton_, saveImage_.get(), BUTTON_IMAGELIST_ALIGN_LEFT, Scale(5));
}

void AudioSettingsDialog::OnCreate() {
    settingTextSilently_ = true;
    SetWindowTextW(parametersEdit_, options_.Parameters().c_str());
    settingTextSilently_ = false;
    EnableSave(!options_.Parameters().empty());
}

void AudioSettingsDialog::OnChoiceClick(HWND button) {
    if (Button_GetCheck(button) != BST_CHECKED) return;
    for (int row = 0; row < kAudioRowCount; ++row) {
        const auto& buttons = choiceButtons_[static_cast<size_t>(row)];
        for (size_t i = 0; i < buttons.size(); ++i) {
            if (buttons[i] != button) continue;
            if (selection_[static_cast<size_t>(row)] == static_cast<int>(i)) return;
            selection_[static_cast<size_t>(row)] = static_cast<int>(i);
            SetWindowTextW(parametersEdit_, ComposeAudioParameters(selection_).c_str());
            EnableSave(true);
            return;
        }
    }
}

void AudioSettingsDialog::OnParametersChanged() {
    if (!settingTextSilently_) EnableSave(true);
}

void AudioSettingsDialog::Save() {
    options_.SaveParameters(GetWindowTextString(parametersEdit_));
    if (GetFocus() == saveButton_) SetFocus(parametersEdit_);
    EnableSave(false);
}

void AudioSettingsDialog::EnableSave(bool enabled) {
    EnableWindow(saveButton_, enabled);
    // The default button while there is something to save: Enter saves.
    SendMessageW(saveButton_, BM_SETSTYLE, enabled ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void AudioSettingsDialog::CloseDialog() {
    // Each opening makes a new window; a closed one is freed with everything it holds.
    DestroyWindow(hwnd_);
}

void AudioSettingsDialog::OnFinalMessage() {
    if (!deleting_) options_.Forget(this);
}

LRESULT AudioSettingsDialog::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            CreateControls();
            OnDpiChanged();
            OnCreate();
            return 0;
        case WM_COMMAND: {
            const int id = LOWORD(wp), code = HIWORD(wp);
            const HWND control = reinterpret_cast<HWND>(lp);
            if (id == IDC_AudioParametersEdit && code == EN_CHANGE) {
                OnParametersChanged();
            } else if (code == BN_CLICKED || control == nullptr) {
                if (id == IDC_AudioSaveButton) {
                    if (IsWindowEnabled(saveButton_)) Save();
                } else if (id == IDC_AudioCloseButton) {
                    CloseDialog();
                } else if (id >= IDC_AudioChoiceBase &&
                           id < IDC_AudioChoiceBase + kAudioRowCount * kAudioChoiceIdsPerRow) {
                    OnChoiceClick(control ? control : GetDlgItem(hwnd_, id));
                }
            }
            return 0;
        }
        case DM_GETDEFID: return IsWindowEnabled(saveButton_) ? MAKELRESULT(IDC_AudioSaveButton, DC_HASDEFID) : 0;
        case WM_CLOSE: CloseDialog(); return 0;
        default: break;
    }
    return DefaultProc(msg, wp, lp);
}

}  // namespace corvana
