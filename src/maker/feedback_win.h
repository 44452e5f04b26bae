// FeedbackDialog: the modal form that sends the user's feedback to the maker's service.
#pragma once

#include <windows.h>

#include <string>

#include "common/program_info.h"
#include "maker/feedback.h"
#include "win/handles_win.h"
#include "win/window_base_win.h"

namespace corvana {

class FeedbackDialog : public BaseWindow<FeedbackDialog> {
public:
    explicit FeedbackDialog(const ProgramInfo& program);
    ~FeedbackDialog() override;

    void Create(HWND owner);
    void ShowModal(HWND owner);
    void Close();

    // Where the form goes (host and path, no scheme); tests point it at a stand-in service.
    void SetEndpoint(std::wstring endpoint) { endpoint_ = std::move(endpoint); }

    // A mouse button pressed on "I like it!" or its picture; only the left one counts.
    void OnLikeClick(UINT button);
    bool IsSelected(HWND panel) const;
    FeedbackChoice Choice() const;

    // ---- Controls that tests look at ----
    HWND LikePanel() const { return likePanel_; }
    HWND DislikePanel() const { return dislikePanel_; }
    HWND HeadingLabel() const { return headingLabel_; }
    HWND QuestionLabel() const { return questionLabel_; }
    HWND MessageEdit() const { return messageEdit_; }
    HWND MailLabel() const { return mailLabel_; }
    HWND MailEdit() const { return mailEdit_; }
    HWND SendButton() const { return sendButton_; }

private:
    friend class BaseWindow<FeedbackDialog>;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void OnCreate();
    void OnDislikeClick(UINT button);  // as OnLikeClick, for "I dislike it!"
    void ToggleChoice(HWND clicked, HWND other);
    void Send();
    void OnDpiChanged();
    void Layout();
    void PaintChoice(HWND panel, HDC dc, bool focused);
    static LRESULT CALLBACK ChoiceMouseProc(HWND choice, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data);

    const ProgramInfo& program_;
    std::wstring endpoint_;
    HWND likePanel_ = nullptr, dislikePanel_ = nullptr, headingLabel_ = nullptr, questionLabel_ = nullptr,
         messageEdit_ = nullptr, mailLabel_ = nullptr, mailEdit_ = nullptr, sendButton_ = nullptr;
    HWND savedFocus_ = nullptr;            // the control that had the focus when the form was last deactivated
    COLORREF likeColour_, dislikeColour_;  // a panel whose colour is not the button face counts as selected
    UniqueHfont headingFont_;              // the heading, "Send" and the choices' captions
    UniqueHfont fieldFont_;                // the message, the e-mail field and its label
    UniqueHfont questionFont_;             // the bold question above the message
    UniqueHicon like_, dislike_;
    UniqueHimagelist sendImage_;
};

}  // namespace corvana
