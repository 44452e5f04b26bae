#include "maker/feedback.h"

#include <gtest/gtest.h>

using namespace corvana;

namespace {

TEST(Feedback, EmailPattern) {
    struct {
        const wchar_t* text;
        bool valid;
    } cases[] = {
        {L"someone@mail.example", true},
        {L"first.last+tag-x@my-host.mail.example", true},
        {L"a@b.c", true},
        {L"a_b@x-y.z9", true},
        {L"nopoint@example", false},
        {L"two@@mail.example", false},
        {L"a@b@mail.example", false},
        {L"inner space@mail.example", false},
        {L"m\u00FCller@mail.example", false},
        {L"name@mail.example.", false},
        {L"name@.example", false},
        {L"@mail.example", false},
        {L"", false},
        {L"   ", false},
        {L"UPPER@MAIL.EXAMPLE", true},
        {L"x@y.example\nz@w.example", false},  // single-line: no match across a break
    };
    for (const auto& c : cases) EXPECT_EQ(IsValidEmail(c.text), c.valid) << c.text;
    EXPECT_TRUE(IsValidEmail(std::wstring(88, L'a') + L"@mail.example")) << "100 characters";
}

TEST(Feedback, ValueWithEachChoice) {
    EXPECT_EQ(FeedbackValue(FeedbackChoice::None, L"  Nice tool\r\n  "), L"Nice tool");
    EXPECT_EQ(FeedbackValue(FeedbackChoice::Like, L"Nice\r\ntool"), L"I like it!\rNice\r\ntool");
    EXPECT_EQ(FeedbackValue(FeedbackChoice::Dislike, L"\tslow "), L"I dislike it!\rslow");
}

TEST(Feedback, RequestLinesInOrderAndEmailOnlyWhenGiven) {
    EXPECT_EQ(FeedbackRequest(L"KALDERN - Corvana", L"1.7", FeedbackChoice::Like, L"Great", L" me@mail.example "),
              (std::vector<std::wstring>{L"cmd=feedback", L"appname=KALDERN - Corvana", L"version=1.7",
                                         L"feedback=I like it!\rGreat", L"email=me@mail.example"}));
    EXPECT_EQ(FeedbackRequest(L"A", L"1.7", FeedbackChoice::None, L"x", L"   ").size(), 4u);
}

TEST(Feedback, OnlyOkCountsAsReceived) {
    struct {
        const wchar_t* reply;
        bool received;
    } cases[] = {
        {L"OK", true},   {L"OK\r\n", true}, {L"  OK  ", true},  {L"\nOK\n\n", true}, {L"ok", false},
        {L"OK.", false}, {L"", false},      {L"OK\nOK", false}, {L"ERROR", false},   {L"<html>OK</html>", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsFeedbackReceived(c.reply), c.received) << c.reply;
}

}  // namespace
