#include "app/new_cruise_dialog.h"

#include <gtest/gtest.h>

#include "app_test_util.h"
#include "ui/scripted_ui.h"

using namespace ui;
using app::CNewCruiseDialog;
using apptest::TempDir;

TEST(NewCruiseDialog, ListsAndModes) {
    EXPECT_EQ(app::PurposeCode("Timber Sale"), "TS");
    EXPECT_EQ(app::PurposeCode("Check Cruise"), "CC");
    EXPECT_EQ(app::PurposeCode("Right of Way"), "ROW");
    EXPECT_EQ(app::PurposeCode("Other"), "OTH");
    EXPECT_EQ(app::PurposeCode("timber sale"), "");

    NewCruiseLayout m0 = LayoutForMode(0), m1 = LayoutForMode(1), m2 = LayoutForMode(2),
                    m9 = LayoutForMode(9);
    EXPECT_TRUE(m0.setup && m0.unit && !m0.purpose && !m0.type);
    EXPECT_TRUE(m1.purpose && !m1.setup && !m1.unit && !m1.type);
    EXPECT_TRUE(m2.unit && m2.type && !m2.setup && !m2.purpose);
    EXPECT_TRUE(m9.unit && !m9.type && !m9.setup && !m9.purpose);
    EXPECT_EQ(app::CharCount("Bäreñ"), 5u);
}

TEST(NewCruiseDialog, OkChecksInOrderBeforeAnyFileDialog) {
    ScriptedUi u;
    CNewCruiseDialog dlg(u, kModeNewDesign);
    dlg.Fields().sale_no = "123456";
    dlg.Fields().setup_file = "/x/setup.stp";
    EXPECT_FALSE(dlg.OnOk());
    EXPECT_EQ(u.Texts(), std::vector<std::string>{"Please enter no more than 5 characters."});
    EXPECT_TRUE(u.FileDialogs().empty());

    u.Clear();
    dlg.Fields().sale_no = "12345";
    dlg.Fields().sale_name = std::string(26, 'x');
    EXPECT_FALSE(dlg.OnOk());
    EXPECT_EQ(u.Texts(), std::vector<std::string>{"Please enter no more than 25 characters."});

    u.Clear();
    dlg.Fields().sale_name = std::string(25, 'x');
    dlg.Fields().setup_file.clear();
    dlg.Fields().sale_no.clear();
    EXPECT_FALSE(dlg.OnOk());
    ASSERT_EQ(u.Messages().size(), 1u);
    EXPECT_EQ(u.Last()->text, "Need to supply a valid Cruise Object Setup File.");
    EXPECT_EQ(u.Last()->title, "ERROR");
    EXPECT_EQ(u.Last()->icon, Icon::Stop);

    u.Clear();
    dlg.Fields().setup_file = "/x/setup.stp";
    EXPECT_FALSE(dlg.OnOk());
    EXPECT_EQ(u.Texts(), std::vector<std::string>{"Need to supply a Sale Number"});
    EXPECT_TRUE(u.FileDialogs().empty());

    // Modes 2 and 9 need only the sale number.
    ScriptedUi u2;
    CNewCruiseDialog edit(u2, kModeEditInfo);
    edit.Fields().sale_no = "7";
    EXPECT_TRUE(edit.OnOk());
    EXPECT_TRUE(u2.Messages().empty());
}

TEST(NewCruiseDialog, SaveAsSuggestsNameAndChecksTheTarget) {
    TempDir dir;
    ScriptedUi u;
    CNewCruiseDialog dlg(u, kModeNewDesign);
    dlg.Fields().sale_no = "12345";
    dlg.Fields().setup_file = "/x/setup.stp";
    dlg.Fields().sale_name = "Bear Creek";

    // Cancelled: the form stays open with its fields.
    EXPECT_FALSE(dlg.OnOk());
    ASSERT_EQ(u.FileDialogs().size(), 1u);
    const FileDialogSpec& spec = u.FileDialogs()[0];
    EXPECT_EQ(spec.initial_name, "12345_design.crz");
    ASSERT_EQ(spec.filters.size(), 2u);
    EXPECT_EQ(spec.filters[0].label, "Cruise Files (*.CRZ)");
    EXPECT_EQ(spec.filters[1].label, "All Files (*.*)");
    EXPECT_EQ(dlg.Fields().sale_name, "Bear Creek");

    // A folder that does not exist.
    std::string bad = dir.Path("nowhere/12345_design.crz");
    u.PushFileName(bad);
    EXPECT_FALSE(dlg.OnOk());
    EXPECT_EQ(u.Texts().back(), "Bad Path.\nThe File " + bad + " cannot be saved.");
    EXPECT_EQ(u.Last()->title, "File Error");

    std::string good = dir.Path("12345_design.crz");
    u.PushFileName(good);
    EXPECT_TRUE(dlg.OnOk());
    EXPECT_EQ(dlg.Fields().output_file, good);
    EXPECT_FALSE(apptest::fs::exists(good));  // the form writes nothing

    CNewCruiseDialog field(u, kModeFieldCruise);
    field.Fields().sale_no = "12345";
    EXPECT_FALSE(field.OnOk());
    EXPECT_EQ(u.FileDialogs().back().initial_name, "12345.crz");
}

TEST(NewCruiseDialog, UnitChangedOnlyWhenTheListIsUsed) {
    ScriptedUi u;
    CNewCruiseDialog dlg(u, kModeEditInfo);
    dlg.Fields().uom = "03";
    u.PushNewCruise(ScriptedUi::Submit([](NewCruiseForm& f) { f.Fields().sale_no = "1"; }));
    EXPECT_TRUE(dlg.DoModal());
    EXPECT_EQ(dlg.UnitChanged(), 0);
    u.PushNewCruise(ScriptedUi::Submit([](NewCruiseForm& f) { f.OnUnitChosen("01"); }));
    EXPECT_TRUE(dlg.DoModal());
    EXPECT_EQ(dlg.UnitChanged(), 1);
    EXPECT_EQ(dlg.Fields().uom, "01");
    dlg.OnPurposeChosen("Right of Way");
    EXPECT_EQ(dlg.Fields().purpose, "ROW");
}

TEST(NewCruiseDialog, BrowseReadsTheSetupCodes) {
    TempDir dir;
    std::string setup = dir.Path("region.stp");
    apptest::MakeSetup(setup);
    {
        auto s = mk::Storage::Open(setup);
        ASSERT_TRUE(s);
        auto cruise = s->GetAs(schema::kCruiseTableDesc);
        ASSERT_TRUE(cruise);
        cruise->SetRowCount(1);
        cruise->SetString(0, "Region", "06");
        cruise->SetString(0, "Forest", "12");
        cruise->SetString(0, "District", "03");
        ASSERT_TRUE(s->Commit());
    }
    std::string before = apptest::ReadBytes(setup);

    ScriptedUi u;
    CNewCruiseDialog dlg(u, kModeNewDesign);
    dlg.Fields().region = "01";
    u.PushFileName(setup);
    dlg.OnBrowse();
    EXPECT_TRUE(u.Texts().empty());
    EXPECT_EQ(dlg.Fields().setup_file, setup);
    EXPECT_EQ(dlg.Fields().region, "06");
    EXPECT_EQ(dlg.Fields().forest, "12");
    EXPECT_EQ(dlg.Fields().district, "03");
    EXPECT_EQ(dlg.SetupLoaded(), 1);
    EXPECT_EQ(apptest::ReadBytes(setup), before);

    // A setup without a sale row keeps what was typed; cancel clears the setup path.
    std::string plain = dir.Path("plain.stp");
    apptest::MakeSetup(plain);
    CNewCruiseDialog dlg2(u, kModeNewDesign);
    dlg2.Fields().region = "09";
    u.PushFileName(plain);
    dlg2.OnBrowse();
    EXPECT_EQ(dlg2.Fields().region, "09");
    EXPECT_EQ(dlg2.Fields().setup_file, plain);
    dlg2.OnBrowse();
    EXPECT_EQ(dlg2.Fields().setup_file, "");

    // A text file is no setup file.
    std::string text = dir.Path("notes.stp");
    apptest::WriteText(text, "just some notes\n");
    u.PushFileName(text);
    dlg2.OnBrowse();
    EXPECT_EQ(u.Texts().back(), "The File:\n\n'" + text + "'\n\n Is Not a Valid Setup File");
    EXPECT_EQ(dlg2.Fields().setup_file, "");
}
