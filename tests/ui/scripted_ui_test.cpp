#include "ui/scripted_ui.h"

#include <gtest/gtest.h>

using namespace ui;

TEST(ScriptedUi, RecordsMessagesAndAnswersInOrder) {
    ScriptedUi u;
    u.PushAnswer(Answer::No);
    EXPECT_EQ(u.MessageBox("Warning", "Save?", Icon::Exclamation, Buttons::YesNo), Answer::No);
    // Queue empty: a Yes/No box defaults to Yes, a plain box to Ok.
    EXPECT_EQ(u.MessageBox("Warning", "Again?", Icon::Exclamation, Buttons::YesNo), Answer::Yes);
    EXPECT_EQ(u.MessageBox("", "plain", Icon::Information), Answer::Ok);
    ASSERT_EQ(u.Messages().size(), 3u);
    EXPECT_EQ(u.Messages()[2].title, kAppName);
    EXPECT_EQ(u.Texts(), (std::vector<std::string>{"Save?", "Again?", "plain"}));
}

TEST(ScriptedUi, QuestionsAndFileDialogs) {
    ScriptedUi u;
    u.PushQuestionAnswer(false);
    EXPECT_FALSE(u.Question("Proceed?"));
    u.SetDefaultQuestionAnswer(false);
    EXPECT_FALSE(u.Question("Proceed?"));
    EXPECT_TRUE(u.Texts().empty());  // questions are not message boxes

    u.PushFileName(std::string("/tmp/a.crz"));
    FileDialogSpec spec{"Open", {{"Cruise Files (*.crz)", {"*.crz"}}}, "crz", "", ""};
    EXPECT_EQ(u.OpenFileName(spec), std::optional<std::string>("/tmp/a.crz"));
    EXPECT_EQ(u.SaveFileName(spec), std::nullopt);  // nothing scripted: cancelled
    EXPECT_EQ(u.FileDialogs().size(), 2u);
}
