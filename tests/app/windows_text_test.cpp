// Setup and cruise files with Windows-1252 text, through the main window's steps.
#include <gtest/gtest.h>

#include "app/main_dialog.h"
#include "app_test_util.h"
#include "ui/scripted_ui.h"

using namespace ui;

namespace {

class WindowsTextApp : public ::testing::Test {
protected:
    void SetUp() override {
        setup_ = dir_.Path("region.stp");
        crz_ = dir_.Path("sale.crz");
        apptest::MakeSetup(setup_);
        // As the Windows programs write it: codes "É1" and "ê2", curly-quoted remarks.
        auto s = mk::Storage::Open(setup_);
        ASSERT_TRUE(s);
        auto cruise = s->GetAs(schema::kCruiseTableDesc);
        cruise->SetRowCount(1);
        cruise->SetBytes(0, "Region", "\xC9" "1");
        cruise->SetBytes(0, "Forest", "\xEA" "2");
        cruise->SetBytes(0, "Remarks", "\x93" "Cedar\x94 \x80");
        ASSERT_TRUE(s->Commit());
    }
    std::string Cell(const std::string& column) {
        return mk::Storage::Open(crz_, mk::OpenMode::ReadOnly)->GetView("CruiseTable").GetBytes(0, column);
    }

    apptest::TempDir dir_;
    std::string setup_, crz_;
    ScriptedUi ui_;
};

TEST_F(WindowsTextApp, ACruiseMadeFromAWindowsSetupKeepsItsCharacters) {
    app::CMainDialog dlg(ui_);
    dlg.OnInitDialog();
    ui_.PushFileName(setup_);
    ui_.PushFileName(crz_);
    ui_.PushNewCruise(ScriptedUi::Submit([](NewCruiseForm& f) {
        f.OnBrowse();
        EXPECT_EQ(f.Fields().region, "\xC3\x89" "1");
        EXPECT_EQ(f.Fields().forest, "\xC3\xAA" "2");
        f.Fields().sale_no = "12345";
        f.Fields().sale_name = "Se\xC3\xB1or M\xC3\xBCller \xE2\x82\xAC";
    }));
    dlg.OnCreate();
    ASSERT_EQ(dlg.FilePath(), crz_) << (ui_.Texts().empty() ? "" : ui_.Texts()[0]);
    EXPECT_EQ(Cell("Region"), "\xC9" "1");
    EXPECT_EQ(Cell("Forest"), "\xEA" "2");
    EXPECT_EQ(Cell("Remarks"), "\x93" "Cedar\x94 \x80");
    EXPECT_EQ(Cell("SaleName"), "Se\xF1or M\xFCller \x80");

    // Opened again, the summary names the sale in the program's characters.
    ui_.Clear();
    ui_.PushFileName(crz_);
    dlg.OnOpen();
    ASSERT_FALSE(ui_.Texts().empty());
    EXPECT_EQ(ui_.Texts()[0].rfind("Sale Name: Se\xC3\xB1or M\xC3\xBCller \xE2\x82\xAC   \n", 0), 0u) << ui_.Texts()[0];
}

TEST_F(WindowsTextApp, EditingOtherInformationLeavesTheNameAndRefusesWhatCannotBeStored) {
    apptest::MakeCruise(crz_, true, {{"Strovan", "UOM", "03"}});
    {
        auto s = mk::Storage::Open(crz_);
        s->GetView("CruiseTable").SetBytes(0, "SaleName", "For\xEAt \x81");
        ASSERT_TRUE(s->Commit());
    }
    app::CMainDialog dlg(ui_);
    dlg.SetFilePath(crz_);
    dlg.OnInitDialog();
    ui_.Clear();
    ui_.PushNewCruise(ScriptedUi::Submit([](NewCruiseForm& f) {
        EXPECT_EQ(f.Fields().sale_name, "For\xC3\xAAt \xEF\xBF\xBD");
        f.Fields().district = "03";
    }));
    EXPECT_TRUE(dlg.OnEditCruiseInfo()) << (ui_.Texts().empty() ? "" : ui_.Texts().back());
    EXPECT_EQ(Cell("SaleName"), "For\xEAt \x81");
    EXPECT_EQ(Cell("District"), "03");

    const std::string before = apptest::ReadBytes(crz_);
    ui_.PushNewCruise(ScriptedUi::Submit([](NewCruiseForm& f) {
        f.Fields().sale_name = "\xC5\x81\xC3\xB3" "d\xC5\xBA";
        f.Fields().district = "04";
    }));
    EXPECT_FALSE(dlg.OnEditCruiseInfo());
    ASSERT_FALSE(ui_.Texts().empty());
    EXPECT_NE(ui_.Texts().back().find("'\xC5\x81' cannot be stored in a cruise file"), std::string::npos)
        << ui_.Texts().back();
    EXPECT_EQ(apptest::ReadBytes(crz_), before);
}

}  // namespace
