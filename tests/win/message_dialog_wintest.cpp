#include "win/message_dialog_win.h"

#include <gtest/gtest.h>

#include "support/dialog_watcher.h"

namespace corvana::test {
namespace {

struct AnswerCase {
    const char* name;
    DialogWatcher::Action action;
    int expected;
};

class ConfirmationAnswer : public testing::TestWithParam<AnswerCase> {};

TEST_P(ConfirmationAnswer, ReturnsTheButtonThatClosedIt) {
    DialogWatcher watcher(GetParam().action);
    const int result = ShowMessageDialog(L"Restart Application?", MessageKind::Confirmation, MessageButtons::YesNo,
                                         L"Confirmation", {L"Yes", L"No"});
    EXPECT_EQ(result, GetParam().expected);
    ASSERT_EQ(watcher.Count(), 1u);
    const DialogSnapshot box = watcher.Seen().front();
    EXPECT_EQ(box.caption, L"Confirmation");
    EXPECT_EQ(box.text, L"Restart Application?");
    ASSERT_EQ(box.buttons.size(), 2u);
    EXPECT_EQ(box.buttons[0].text, L"Yes");
    EXPECT_EQ(box.buttons[0].id, IDYES);
    EXPECT_EQ(box.buttons[1].text, L"No");
    EXPECT_EQ(box.buttons[1].id, IDNO);
    EXPECT_EQ(box.defaultId, IDYES);
    EXPECT_TRUE(box.closeBoxEnabled);
    EXPECT_EQ(box.icon, LoadIconW(nullptr, IDI_QUESTION));
}

INSTANTIATE_TEST_SUITE_P(Answers, ConfirmationAnswer,
                         testing::Values(AnswerCase{"Yes", DialogWatcher::Press(IDYES), IDYES},
                                         AnswerCase{"No", DialogWatcher::Press(IDNO), IDNO},
                                         AnswerCase{"Enter", DialogWatcher::PressKey(VK_RETURN), IDYES},
                                         AnswerCase{"Escape", DialogWatcher::PressEscape(), IDNO},
                                         AnswerCase{"CloseBox", DialogWatcher::UseCloseBox(), IDNO}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MessageDialog, CaptionsReplaceTheButtonsLeftToRightAsFarAsGiven) {
    DialogWatcher watcher(DialogWatcher::Press(IDNO));
    EXPECT_EQ(
        ShowMessageDialog(L"Go on?", MessageKind::Warning, MessageButtons::YesNoCancel, L"Question", {L"Go", L"Stop"}),
        IDNO);
    ASSERT_EQ(watcher.Count(), 1u);
    const DialogSnapshot box = watcher.Seen().front();
    EXPECT_EQ(box.caption, L"Question");
    ASSERT_EQ(box.buttons.size(), 3u);
    EXPECT_EQ(box.buttons[0].text, L"Go");
    EXPECT_EQ(box.buttons[1].text, L"Stop");
    EXPECT_EQ(box.buttons[2].id, IDCANCEL) << "the third keeps its own caption";
    EXPECT_NE(box.buttons[2].text, L"");
    EXPECT_EQ(box.icon, LoadIconW(nullptr, IDI_WARNING));
}

TEST(MessageDialog, EscapeStillCancelsWhereThereIsACancelButton) {
    DialogWatcher watcher(DialogWatcher::PressEscape());
    EXPECT_EQ(ShowMessageDialog(L"Text", MessageKind::Information, MessageButtons::YesNoCancel, L"Title", {}),
              IDCANCEL);
}

}  // namespace
}  // namespace corvana::test
