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
    EXPECT_EQ(u.Messages()[2].title, "Strovan");
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

namespace {
// A form that accepts OK only when a sale number is given.
class CruiseForm : public NewCruiseForm {
public:
    int Mode() const override { return 0; }
    SaleFields& Fields() override { return f; }
    void OnBrowse() override { f.setup_file = "/s.stp"; }
    void OnUnitChosen(const std::string& u) override { f.uom = u; }
    void OnPurposeChosen(const std::string& p) override { f.purpose = p; }
    bool OnOk() override {
        ++oks;
        return !f.sale_no.empty();
    }
    SaleFields f;
    int oks = 0;
};

class Costs : public CostsForm {
public:
    std::array<std::string, kCostFieldCount>& Values() override { return v; }
    void OnHelp() override {}
    bool OnOk() override { return v[kTrav] != "bad"; }
    std::array<std::string, kCostFieldCount> v;
};
}  // namespace

TEST(ScriptedUi, FormsRunTheirScriptsAndCancelWithoutOne) {
    ScriptedUi u;
    CruiseForm form;
    EXPECT_FALSE(u.RunForm(form));  // no script: cancelled
    EXPECT_EQ(form.oks, 0);
    u.PushNewCruise(ScriptedUi::Submit([](NewCruiseForm& f) { f.OnBrowse(); }));
    EXPECT_FALSE(u.RunForm(form));  // OK refused: the script gives up
    EXPECT_EQ(form.f.setup_file, "/s.stp");
    u.PushNewCruise(ScriptedUi::Submit([](NewCruiseForm& f) { f.Fields().sale_no = "1"; }));
    EXPECT_TRUE(u.RunForm(form));
    EXPECT_EQ(form.oks, 2);

    Costs costs;
    u.PushCosts(ScriptedUi::SubmitCosts({"1", "2", "bad", "4", "5", "6", "7", "8", "9"}));
    EXPECT_FALSE(u.RunForm(costs));
    u.PushCosts(ScriptedUi::SubmitCosts({"1", "2", "3", "4", "5", "6", "7", "8", "9"}));
    EXPECT_TRUE(u.RunForm(costs));
    EXPECT_EQ(costs.v[kTreePaint], "9");
    // Both run by id as any form does, recorded under their id with their title.
    EXPECT_EQ(u.Messages()[0].title, kNewCruiseFormId);
    EXPECT_EQ(u.Messages()[0].text, "Create New Cruise");
    EXPECT_EQ(u.Messages()[3].title, kCostsFormId);

    u.MinimizeMain();
    EXPECT_TRUE(u.Minimized());
    u.RestoreMain();
    u.ShowHelp(kHelpCosts);
    u.ShowAbout();
    EXPECT_EQ(u.Kinds(), (std::vector<std::string>{"form", "form", "form", "form", "form", "minimize",
                                                   "restore", "help", "about"}));
    EXPECT_EQ(u.Messages()[7].text, "6");
    EXPECT_TRUE(u.Texts().empty());
}

namespace {
struct CountForm : ui::Form {
    int count = 0;
    std::string FormId() const override { return "test.count"; }
};
}  // namespace

TEST(ScriptedUi, FormsRunTheirOwnScriptsByIdAndCancelWithoutOne) {
    ScriptedUi u;
    u.PushFormAs<CountForm>("test.count", [](CountForm& f) {
        f.count = 3;
        return true;
    });
    u.PushForm("other", [](ui::Form&) { return true; });
    CountForm f;
    EXPECT_TRUE(u.RunForm(f));
    EXPECT_EQ(f.count, 3);
    EXPECT_FALSE(u.RunForm(f));  // no script left for this id: cancelled
    EXPECT_EQ(u.PendingForms("other"), 1u);
    ASSERT_EQ(u.Messages().size(), 2u);
    EXPECT_EQ(u.Messages()[0].kind, "form");
    EXPECT_EQ(u.Messages()[0].title, "test.count");
}
