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
    std::wstring Endpoint;
    int TimeoutMs;

    HWND likePanel = nullptr, dislikePanel = nullptr, headingLabel = nullptr, questionLabel = nullptr,
         messageEdit = nullptr, mailLabel = nullptr, mailEdit = nullptr, sendButton = nullptr;

    void OnCreate();
    void OnLikeClick(UINT button);     // "I like it!" and its picture
    void OnDislikeClick(UINT button);  // "I dislike it!" and its picture
    void Send();
    bool IsSelected(HWND panel) const;
    FeedbackChoice Choice() const;

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

private:
    void ToggleChoice(HWND clicked, HWND other);
    friend class BaseWindow<FeedbackDialog>;
    void OnDpiChanged();
    void Layout();
    void PaintChoice(HWND panel, HDC dc, bool focused);
    static LRESULT CALLBACK ChoiceMouseProc(HWND choice, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data);

    const ProgramInfo& program_;
    HWND savedFocus_ = nullptr;            // the control that had the focus when the form was last deactivated
    COLORREF likeColour_, dislikeColour_;  // a panel whose colour is not the button face counts as selected
    UniqueHfont font16_, font13_, bold13_;
    UniqueHicon like_, dislike_;
    UniqueHimagelist sendImage_;
};

}  // namespace corvana
