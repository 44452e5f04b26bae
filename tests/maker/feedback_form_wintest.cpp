// The feedback form with real windows against the stand-in service.
#include "maker/feedback_win.h"

#include <windowsx.h>

#include <atomic>
#include <thread>

#include "support/app_fixture.h"
#include "support/maker_standin.h"
#include "win/modal_win.h"

namespace corvana::test {
namespace {

class FeedbackForm : public AppFixture {
protected:
    static void SetUpTestSuite() { service = new MakerStandIn(); }
    static void TearDownTestSuite() {
        delete service;
        service = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(service->Running()) << "the stand-in service did not start";
        service->SetBehaviour("");
        service->SetBody("OK");
        service->ClearRequests();
        Start();
        box = std::make_unique<FeedbackDialog>(form->Program());
        box->SetEndpoint(service->Endpoint(L"/php/feedback.php"));
        box->Create(form->Handle());
        ShowWindow(box->Handle(), SW_SHOWNOACTIVATE);
    }
    void TearDown() override {
        box.reset();
        AppFixture::TearDown();
    }
    // Presses "Send" the way the button does; the watcher answers the box that follows.
    std::vector<MessageBoxWatcher::Box> Send() {
        MessageBoxWatcher watcher;
        SendMessageW(box->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box->SendButton()), BN_CLICKED),
                     reinterpret_cast<LPARAM>(box->SendButton()));
        PumpFor(20);
        return watcher.Boxes();
    }
    std::vector<std::wstring> SentLines() {
        for (const auto& r : service->Requests())
            if (r.path == "/php/feedback.php" && r.method == "POST") return DecodeFormBody(r.body);
        return {};
    }
    static MakerStandIn* service;
    std::unique_ptr<FeedbackDialog> box;
};
MakerStandIn* FeedbackForm::service = nullptr;

const std::wstring kFailure = L"Something went wrong. Your feedback could not be delivered.\r\rPlease try again later.";

TEST_F(FeedbackForm, OpensEmptyWithItsTexts) {
    EXPECT_EQ(GetWindowTextString(box->Handle()), L"Corvana feedback");
    EXPECT_EQ(GetWindowTextString(box->LikePanel()), L"I like it!");
    EXPECT_EQ(GetWindowTextString(box->DislikePanel()), L"I dislike it!");
    EXPECT_EQ(GetWindowTextString(box->HeadingLabel()), L"We would really appreciate your feedback.");
    EXPECT_EQ(GetWindowTextString(box->QuestionLabel()), L"What did you like or dislike?");
    EXPECT_EQ(GetWindowTextString(box->MailLabel()), L"Include my e-mail:");
    EXPECT_EQ(GetWindowTextString(box->SendButton()), L"Send");
    EXPECT_EQ(GetNextDlgTabItem(box->Handle(), nullptr, FALSE), box->MessageEdit()) << "the message comes first";
    EXPECT_EQ(box->Choice(), FeedbackChoice::None);
    RECT client;
    GetClientRect(box->Handle(), &client);
    EXPECT_EQ(client.right, MulDiv(525, static_cast<int>(form->Dpi()), 96));
}

TEST_F(FeedbackForm, ChoicesExcludeEachOtherAndOnlyTheLeftButtonCounts) {
    box->OnLikeClick(WM_RBUTTONDOWN);
    EXPECT_EQ(box->Choice(), FeedbackChoice::None);
    SendMessageW(box->LikePanel(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(box->Choice(), FeedbackChoice::Like);
    SendMessageW(box->DislikePanel(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(box->Choice(), FeedbackChoice::Dislike);
    EXPECT_FALSE(box->IsSelected(box->LikePanel()));
    SendMessageW(box->DislikePanel(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(box->Choice(), FeedbackChoice::Dislike);
    SendMessageW(box->DislikePanel(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(box->Choice(), FeedbackChoice::None);
}

// The choices are toggle buttons: Tab reaches them after "Send", Space chooses, and their checked
// state tells a screen reader which one is chosen.
TEST_F(FeedbackForm, ChoicesWorkFromTheKeyboard) {
    EXPECT_EQ(GetNextDlgTabItem(box->Handle(), box->SendButton(), FALSE), box->LikePanel());
    EXPECT_EQ(GetNextDlgTabItem(box->Handle(), box->LikePanel(), FALSE), box->DislikePanel());
    for (HWND choice : {box->LikePanel(), box->DislikePanel()}) {
        wchar_t cls[16]{};
        GetClassNameW(choice, cls, 16);
        EXPECT_STREQ(cls, L"Button");
        EXPECT_TRUE(GetWindowLongPtrW(choice, GWL_STYLE) & BS_PUSHLIKE);
    }
    const auto pressSpace = [](HWND target) {
        SetFocus(target);
        PostMessageW(target, WM_KEYDOWN, VK_SPACE, 0x00390001);
        PostMessageW(target, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001));
    };
    pressSpace(box->LikePanel());
    ASSERT_TRUE(PumpUntil([&] { return box->Choice() == FeedbackChoice::Like; }, 3000));
    EXPECT_EQ(Button_GetCheck(box->LikePanel()), BST_CHECKED);
    pressSpace(box->DislikePanel());
    ASSERT_TRUE(PumpUntil([&] { return box->Choice() == FeedbackChoice::Dislike; }, 3000));
    EXPECT_EQ(Button_GetCheck(box->LikePanel()), BST_UNCHECKED);
    EXPECT_EQ(Button_GetCheck(box->DislikePanel()), BST_CHECKED);
    pressSpace(box->DislikePanel());
    ASSERT_TRUE(PumpUntil([&] { return box->Choice() == FeedbackChoice::None; }, 3000));
    EXPECT_EQ(Button_GetCheck(box->DislikePanel()), BST_UNCHECKED);
}

// Each field comes right after its label in window order, which is where a screen reader looks for
// its name; the e-mail label is as wide as its text, so it never runs into its field.
TEST_F(FeedbackForm, FieldsFollowTheirLabels) {
    EXPECT_EQ(GetWindow(box->MessageEdit(), GW_HWNDPREV), box->QuestionLabel());
    EXPECT_EQ(GetWindow(box->MailEdit(), GW_HWNDPREV), box->MailLabel());
    RECT label, field;
    GetWindowRect(box->MailLabel(), &label);
    GetWindowRect(box->MailEdit(), &field);
    EXPECT_LE(label.right, field.left);
}

TEST_F(FeedbackForm, BlankMessageSendsNothing) {
    SetWindowTextW(box->MessageEdit(), L"  \r\n\t \r\n");
    SetWindowTextW(box->MailEdit(), L"not an address");
    EXPECT_TRUE(Send().empty()) << "no box: a beep, and the e-mail is not looked at";
    EXPECT_EQ(GetFocus(), box->MessageEdit());
    EXPECT_TRUE(service->Requests().empty());
}

TEST_F(FeedbackForm, InvalidEmailIsRefusedBeforeSending) {
    for (const wchar_t* mail : {L"two@@mail.example", L"m\u00FCller@mail.example", L"nopoint@example"}) {
        SetWindowTextW(box->MessageEdit(), L"Works well");
        SetWindowTextW(box->MailEdit(), mail);
        const auto boxes = Send();
        ASSERT_EQ(boxes.size(), 1u) << mail;
        EXPECT_EQ(boxes[0].caption, L"Failure");
        EXPECT_EQ(boxes[0].text, L"Invalid e-mail address!");
        EXPECT_EQ(GetFocus(), box->MailEdit());
    }
    EXPECT_TRUE(service->Requests().empty());
    EXPECT_TRUE(IsWindow(box->Handle()));
}

TEST_F(FeedbackForm, SentIntactAndTheSuccessBoxClosesTheForm) {
    const std::wstring message = L"Fast & simple = good +1\r\n\u00C7ok g\u00FCzel \u2764 100%";
    SetWindowTextW(box->MessageEdit(), (L"  " + message + L"\r\n").c_str());
    SetWindowTextW(box->MailEdit(), L" first.last+x@my-host.mail.example ");
    SendMessageW(box->LikePanel(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    service->SetBody("OK\r\n");
    const auto boxes = Send();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Success");
    EXPECT_EQ(boxes[0].text, L"Your feedback is received.\r\rThank you!");
    EXPECT_FALSE(IsWindow(box->Handle()));
    EXPECT_EQ(SentLines(), (std::vector<std::wstring>{L"cmd=feedback", L"appname=KALDERN - Corvana", L"version=1.7",
                                                      L"feedback=I like it!\r" + message,
                                                      L"email=first.last+x@my-host.mail.example"}));
}

TEST_F(FeedbackForm, NoEmailLineWithoutAnAddress) {
    SetWindowTextW(box->MessageEdit(), L"Hello");
    SetWindowTextW(box->MailEdit(), L"    ");
    service->SetBody("  OK  ");
    const auto boxes = Send();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Success");
    EXPECT_EQ(SentLines(), (std::vector<std::wstring>{L"cmd=feedback", L"appname=KALDERN - Corvana", L"version=1.7",
                                                      L"feedback=Hello"}));
}

TEST_F(FeedbackForm, AnythingButOkKeepsTheFormWithItsText) {
    struct {
        const char* behaviour;
        const char* body;
    } cases[] = {{"", "ok"}, {"", "OK."}, {"status=500\n", "OK"}, {"", ""}, {"mode=reset\n", "OK"}};
    const std::wstring message(10000, L'x');
    SetWindowTextW(box->MessageEdit(), message.c_str());
    for (const auto& c : cases) {
        service->SetBehaviour(c.behaviour);
        service->SetBody(c.body);
        const auto boxes = Send();
        ASSERT_EQ(boxes.size(), 1u) << c.behaviour << c.body;
        EXPECT_EQ(boxes[0].caption, L"Failure");
        EXPECT_EQ(boxes[0].text, kFailure);
        ASSERT_TRUE(IsWindow(box->Handle()));
        EXPECT_EQ(GetWindowTextString(box->MessageEdit()), message) << "nothing typed is lost";
    }
}

TEST_F(FeedbackForm, ServiceDownIsAFailure) {
    box->SetEndpoint(L"127.0.0.1:9/php/feedback.php");  // nothing listens on the discard port
    SetWindowTextW(box->MessageEdit(), L"Hello");
    const auto boxes = Send();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kFailure);
    EXPECT_TRUE(IsWindow(box->Handle()));
    EXPECT_FALSE(Application::IsBusyCursor()) << "the busy cursor is restored";
}

// Escape goes through the form's own modal loop, as a key press would.
TEST_F(FeedbackForm, EscapeClosesFromTheMessageTheAddressAndSend) {
    for (int which = 0; which < 3; ++which) {
        if (!box) {
            box = std::make_unique<FeedbackDialog>(form->Program());
            box->Create(form->Handle());
        }
        const HWND window = box->Handle();
        HWND target = which == 0 ? box->MessageEdit() : which == 1 ? box->MailEdit() : box->SendButton();
        SetWindowTextW(box->MessageEdit(), L"typed");
        SetFocus(target);
        PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        // Should Escape do nothing, the form is closed another way after a while, and the test fails.
        std::atomic<bool> watchdogFired{false};
        std::thread watchdog([&] {
            for (int i = 0; i < 100 && IsWindow(window); ++i) Sleep(50);
            if (IsWindow(window)) {
                watchdogFired = true;
                PostMessageW(window, WM_CLOSE, 0, 0);
            }
        });
        RunModal(window, form->Handle());
        watchdog.join();
        EXPECT_FALSE(watchdogFired.load()) << which;
        EXPECT_FALSE(IsWindow(window)) << which;
        box.reset();
    }
}

}  // namespace
}  // namespace corvana::test
