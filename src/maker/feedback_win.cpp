#include "maker/feedback_win.h"

#include <windowsx.h>

#include "win/message_dialog_win.h"
#include "common/text.h"
#include "resource.h"
#include "maker/web_request.h"
#include "maker/web_request_win.h"
#include "win/controls_win.h"
#include "win/images_win.h"
#include "win/modal_win.h"
#include "win/system_win.h"

namespace corvana {

namespace {

constexpr const wchar_t* kFormClass = L"TFeedbackForm";
constexpr SIZE kClient{525, 326};
enum : int { kMemoId = 101, kMailId, kSendId, kLikeId, kDislikeId };

// Esc in the message, on "Send" or in the e-mail field closes the form; in the e-mail field the
// typed character itself is swallowed.
LRESULT CALLBACK EscapeClosesProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR form) {
    if ((msg == WM_KEYDOWN || msg == WM_CHAR) && wp == VK_ESCAPE) {
        if (msg == WM_KEYDOWN) reinterpret_cast<FeedbackDialog*>(form)->Close();
        return 0;
    }
    if (msg == WM_GETDLGCODE && lp) {
        const auto* key = reinterpret_cast<const MSG*>(lp);
        if (key->message == WM_KEYDOWN && key->wParam == VK_ESCAPE)
            return DefSubclassProc(hwnd, msg, wp, lp) | DLGC_WANTMESSAGE;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

FeedbackDialog::FeedbackDialog(const ProgramInfo& program)
    : program_(program),
      endpoint_(FeedbackEndpoint),
      likeColour_(GetSysColor(COLOR_BTNFACE)),
      dislikeColour_(GetSysColor(COLOR_BTNFACE)) {}

FeedbackDialog::~FeedbackDialog() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void FeedbackDialog::Create(HWND owner) {
    RegisterClassOnce(kFormClass, nullptr, GetSysColorBrush(COLOR_BTNFACE));
    CreateCentered(owner, kFormClass, L"", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
                   WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kClient);
}

void FeedbackDialog::ShowModal(HWND owner) {
    Create(owner);
    SetFocus(messageEdit_);
    RunModal(hwnd_, owner);
}

void FeedbackDialog::Close() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void FeedbackDialog::OnCreate() {
    SetWindowTextW(hwnd_, (program_.productName + L" feedback").c_str());
    SetWindowTextW(likePanel_, L"I like it!");
    SetWindowTextW(dislikePanel_, L"I dislike it!");
    SetWindowTextW(headingLabel_, L"We would really appreciate your feedback.");
    SetWindowTextW(questionLabel_, L"What did you like or dislike?");
    SetWindowTextW(mailLabel_, L"Include my e-mail:");
    SetWindowTextW(sendButton_, L"Send");
}

// ---------------------------------------------------------------------------------------------
// The two choices: a click on a plain one selects it and clears the other; a click on a selected
// one clears it. Only the left button counts.

bool FeedbackDialog::IsSelected(HWND panel) const {
    return (panel == likePanel_ ? likeColour_ : dislikeColour_) != GetSysColor(COLOR_BTNFACE);
}

FeedbackChoice FeedbackDialog::Choice() const {
    if (IsSelected(likePanel_)) return FeedbackChoice::Like;
    if (IsSelected(dislikePanel_)) return FeedbackChoice::Dislike;
    return FeedbackChoice::None;
}

void FeedbackDialog::ToggleChoice(HWND clicked, HWND other) {
    auto colourOf = [this](HWND panel) -> COLORREF& { return panel == likePanel_ ? likeColour_ : dislikeColour_; };
    if (IsSelected(clicked)) {
        colourOf(clicked) = GetSysColor(COLOR_BTNFACE);
    } else {
        colourOf(clicked) = GetSysColor(COLOR_HIGHLIGHT);
        if (IsSelected(other)) colourOf(other) = GetSysColor(COLOR_BTNFACE);
    }
    for (HWND panel : {likePanel_, dislikePanel_}) {
        Button_SetCheck(panel, IsSelected(panel) ? BST_CHECKED : BST_UNCHECKED);
        InvalidateRect(panel, nullptr, TRUE);
    }
}

void FeedbackDialog::OnLikeClick(UINT button) {
    if (button == WM_LBUTTONDOWN) ToggleChoice(likePanel_, dislikePanel_);
}

void FeedbackDialog::OnDislikeClick(UINT button) {
    if (button == WM_LBUTTONDOWN) ToggleChoice(dislikePanel_, likePanel_);
}

// ---------------------------------------------------------------------------------------------

void FeedbackDialog::Send() {
    const std::wstring text = TrimControl(GetWindowTextString(messageEdit_));
    if (text.empty()) {
        SetFocus(messageEdit_);
        MessageBeep(0);
        return;
    }
    const std::wstring mail = TrimControl(GetWindowTextString(mailEdit_));
    if (!mail.empty() && !IsValidEmail(mail)) {
        SetFocus(mailEdit_);
        ShowMessage(L"Invalid e-mail address!", MessageKind::Error, L"Failure", hwnd_);
        return;
    }

    bool received = false;
    try {
        const WebForm form =
            FeedbackRequest(program_.caption, program_.version, Choice(), GetWindowTextString(messageEdit_), mail);
        Application::SetBusyCursor(true);
        ScopeExit restore([] { Application::SetBusyCursor(false); });
        const VendorReply reply = SendVendorRequest(endpoint_, form, kFeedbackTimeoutMs, PostForm);
        received = reply.text && IsFeedbackReceived(*reply.text);
    } catch (const std::exception&) {
        received = false;
    }

    if (received) {
        ShowMessage(L"Your feedback is received.\r\rThank you!", MessageKind::Information, L"Success", hwnd_);
        Close();
    } else {
        ShowMessage(L"Something went wrong. Your feedback could not be delivered.\r\rPlease try again later.",
                    MessageKind::Error, L"Failure", hwnd_);
    }
}

// ---------------------------------------------------------------------------------------------
// Layout and painting

void FeedbackDialog::OnDpiChanged() {
    headingFont_ = MakeFont(16);
    fieldFont_ = MakeFont(13);
    questionFont_ = MakeFont(13, FW_BOLD);
    like_.reset(LoadImageIcon(IDI_LIKE, Scale(32)));
    dislike_.reset(LoadImageIcon(IDI_DISLIKE, Scale(32)));
    sendImage_.reset(CreateImageList({IDI_FEEDBACK}, Scale(16)));
    BUTTON_IMAGELIST bil{sendImage_.get(), {Scale(5), 0, 0, 0}, BUTTON_IMAGELIST_ALIGN_LEFT};
    SendMessageW(sendButton_, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&bil));
    for (HWND h : {headingLabel_, sendButton_}) SetControlFont(h, headingFont_.get());
    for (HWND h : {messageEdit_, mailLabel_, mailEdit_}) SetControlFont(h, fieldFont_.get());
    SetControlFont(questionLabel_, questionFont_.get());
}

void FeedbackDialog::Layout() {
    RECT client;
    GetClientRect(hwnd_, &client);
    const int w = client.right, h = client.bottom, m = Scale(3);
    // Top strip: the two choices.
    const int strip = Scale(46);
    MoveWindow(dislikePanel_, w - Scale(256) + m, m, Scale(256) - 2 * m, strip - 2 * m, TRUE);
    MoveWindow(likePanel_, m, m, w - Scale(256) - 2 * m, strip - 2 * m, TRUE);
    int y = strip;
    MoveWindow(headingLabel_, m, y + m, w - 2 * m, Scale(20), TRUE);
    y += Scale(20) + 2 * m;
    MoveWindow(questionLabel_, Scale(3), y, w - 2 * m, Scale(17), TRUE);
    y += Scale(17);
    // Bottom strips: the button row, and the e-mail row above it.
    const int buttonRow = h - Scale(39);
    MoveWindow(sendButton_, w - Scale(172) - m, buttonRow + (Scale(39) - Scale(33)) / 2, Scale(172), Scale(33), TRUE);
    const int mailRow = buttonRow - Scale(30);
    // The label as wide as its text at this DPI, with a gap before the field.
    SIZE labelText{};
    {
        const std::wstring label = GetWindowTextString(mailLabel_);
        ScopedGetDC dc(mailLabel_);
        ScopedSelectObject selectFont(dc, fieldFont_.get());
        GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &labelText);
    }
    const int labelWidth = labelText.cx + Scale(8);
    MoveWindow(mailLabel_, m, mailRow, labelWidth, Scale(30), TRUE);
    MoveWindow(mailEdit_, m + labelWidth, mailRow + (Scale(30) - Scale(22)) / 2, w - labelWidth - 2 * m, Scale(22),
               TRUE);
    MoveWindow(messageEdit_, m, y + m, w - 2 * m, mailRow - y - 2 * m, TRUE);
}

void FeedbackDialog::PaintChoice(HWND panel, HDC dc, bool focused) {
    RECT r;
    GetClientRect(panel, &r);
    const bool selected = IsSelected(panel);
    const UniqueHbrush fill(CreateSolidBrush(panel == likePanel_ ? likeColour_ : dislikeColour_));
    FillRect(dc, &r, fill.get());
    DrawEdge(dc, &r, selected ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    const int size = Scale(32);
    const int top = (r.bottom - size) / 2;
    DrawIconEx(dc, Scale(6), top, panel == likePanel_ ? like_.get() : dislike_.get(), size, size, 0, nullptr,
               DI_NORMAL);
    RECT text = r;
    text.left = Scale(6) + size + Scale(8);
    ScopedSelectObject selectFont(dc, headingFont_.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::wstring caption = GetWindowTextString(panel);
    DrawTextW(dc, caption.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (focused && !(SendMessageW(panel, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
        RECT focus = r;
        InflateRect(&focus, -Scale(3), -Scale(3));
        DrawFocusRect(dc, &focus);
    }
}

// The choices are toggle buttons (so that the keyboard and a screen reader know them) that act when
// the left button goes down, as the design's panels did; the other buttons do nothing.
LRESULT CALLBACK FeedbackDialog::ChoiceMouseProc(HWND choice, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                                 DWORD_PTR data) {
    auto* self = reinterpret_cast<FeedbackDialog*>(data);
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            if (msg != WM_RBUTTONDOWN && msg != WM_MBUTTONDOWN) SetFocus(choice);
            const UINT button = msg == WM_LBUTTONDBLCLK ? WM_LBUTTONDOWN : msg;
            Application::Guarded([&] {
                if (choice == self->likePanel_)
                    self->OnLikeClick(button);
                else
                    self->OnDislikeClick(button);
            });
            return 0;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: return 0;
        case WM_SETCURSOR: SetCursor(LoadCursorW(nullptr, IDC_HAND)); return TRUE;
        case WM_NCDESTROY: RemoveWindowSubclass(choice, ChoiceMouseProc, 1); break;
        default: break;
    }
    return DefSubclassProc(choice, msg, wp, lp);
}

LRESULT FeedbackDialog::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE: {
            const auto make = [this](const wchar_t* cls, DWORD style, int id = 0, DWORD ex = 0) {
                return CreateControl({hwnd_, cls, L"", WS_VISIBLE | style, id, ex});
            };
            // Creation order is the tab order: the message first, the choices last. Each field follows
            // its label, which names it for a screen reader.
            headingLabel_ = make(WC_STATICW, SS_LEFT | SS_NOPREFIX);
            questionLabel_ = make(WC_STATICW, SS_LEFT | SS_NOPREFIX);
            messageEdit_ = make(WC_EDITW, WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                                kMemoId, WS_EX_CLIENTEDGE);
            mailLabel_ = make(WC_STATICW, SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX);
            mailEdit_ = make(WC_EDITW, WS_TABSTOP | ES_AUTOHSCROLL, kMailId, WS_EX_CLIENTEDGE);
            sendButton_ = make(WC_BUTTONW, WS_TABSTOP | BS_PUSHBUTTON, kSendId);
            likePanel_ = make(WC_BUTTONW, WS_TABSTOP | BS_CHECKBOX | BS_PUSHLIKE, kLikeId);
            dislikePanel_ = make(WC_BUTTONW, WS_TABSTOP | BS_CHECKBOX | BS_PUSHLIKE, kDislikeId);
            for (HWND choice : {likePanel_, dislikePanel_})
                SetWindowSubclass(choice, ChoiceMouseProc, 1, reinterpret_cast<DWORD_PTR>(this));
            SendMessageW(messageEdit_, EM_SETLIMITTEXT, 10000, 0);
            SendMessageW(mailEdit_, EM_SETLIMITTEXT, 100, 0);
            for (HWND h : {messageEdit_, mailEdit_, sendButton_})
                SetWindowSubclass(h, EscapeClosesProc, 1, reinterpret_cast<DWORD_PTR>(this));
            OnDpiChanged();
            OnCreate();
            Layout();
            return 0;
        }
        case WM_COMMAND:
            if (LOWORD(wp) == kSendId && HIWORD(wp) == BN_CLICKED)
                Send();
            else if (LOWORD(wp) == kLikeId && HIWORD(wp) == BN_CLICKED)  // Space on the choice
                OnLikeClick(WM_LBUTTONDOWN);
            else if (LOWORD(wp) == kDislikeId && HIWORD(wp) == BN_CLICKED)
                OnDislikeClick(WM_LBUTTONDOWN);
            else if (LOWORD(wp) == IDCANCEL)
                Close();
            return 0;
        case WM_NOTIFY: {
            auto* draw = reinterpret_cast<NMCUSTOMDRAW*>(lp);
            if (draw->hdr.code == NM_CUSTOMDRAW &&
                (draw->hdr.hwndFrom == likePanel_ || draw->hdr.hwndFrom == dislikePanel_)) {
                if (draw->dwDrawStage != CDDS_PREPAINT) return CDRF_DODEFAULT;
                PaintChoice(draw->hdr.hwndFrom, draw->hdc, (draw->uItemState & CDIS_FOCUS) != 0);
                return CDRF_SKIPDEFAULT;
            }
            return 0;
        }
        case WM_ACTIVATE:
            // Like a dialog: the focus comes back to where it was, for instance to the e-mail field
            // after the box that said it is invalid.
            if (LOWORD(wp) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(hwnd_, focus)) savedFocus_ = focus;
            } else if (savedFocus_ && IsWindow(savedFocus_)) {
                SetFocus(savedFocus_);
            }
            return 0;
        case WM_SETCURSOR:
            if (Application::IsBusyCursor()) {
                SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
                return TRUE;
            }
            break;
        case WM_CLOSE: Close(); return 0;
        case WM_DESTROY:
            for (HWND h : {messageEdit_, mailEdit_, sendButton_}) RemoveWindowSubclass(h, EscapeClosesProc, 1);
            return 0;
        default: break;
    }
    return DefaultProc(msg, wp, lp);
}

// ---------------------------------------------------------------------------------------------

}  // namespace corvana
