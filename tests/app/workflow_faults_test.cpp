// The main window's steps on awkward files: files last written by the other programs,
// setup files with settings of their own, settings in the old column form, targets
// that cannot be written, and cost values no figure can be computed from.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>

#include "app/costs_dialog.h"
#include "app/cruise_file.h"
#include "app/main_dialog.h"
#include "app_test_util.h"
#include "mk/file_io.h"
#include "store/config.h"
#include "ui/scripted_ui.h"

using namespace ui;
using app::CMainDialog;
using apptest::ConfigRows;
using apptest::Setting;

namespace {

class WorkflowFaults : public ::testing::Test {
protected:
    void SetUp() override {
        setup_ = dir_.Path("default.stp");
        crz_ = dir_.Path("sale.crz");
        apptest::MakeSetup(setup_);
    }
    // A cruise file with one recon tree and the given settings.
    void MakeReconFile(const std::string& path, std::vector<std::array<std::string, 3>> settings) {
        settings.push_back({"Strovan", "Type", "Recon"});
        apptest::MakeCruise(path, true, settings);
        auto s = mk::Storage::Open(path);
        s->GetView("TreeTable").AddRow();
        ASSERT_TRUE(s->Commit());
    }
    void Open(CMainDialog& dlg, const std::string& path) {
        ui_.PushFileName(path);
        dlg.OnOpen();
        ASSERT_EQ(dlg.FilePath(), path);
        ui_.Clear();
    }
    // No message may show the names of the working files a save goes through.
    void ExpectNoWorkingNames() {
        for (const auto& m : ui_.Messages()) {
            EXPECT_EQ(m.text.find(".strovan-new"), std::string::npos) << m.text;
            EXPECT_EQ(m.text.find(".tmp-"), std::string::npos) << m.text;
        }
    }

    apptest::TempDir dir_;
    std::string setup_, crz_;
    ScriptedUi ui_;
};

// Opening writes this program as the last writer; the cruise-type check must still see
// who wrote the file before: data the processing program wrote are recompiled once.
TEST_F(WorkflowFaults, OpenKeepsTheLastWriterForTheCruiseType) {
    MakeReconFile(crz_, {{"General", "MRU", "Processing"}, {"Strovan", "UpdateFlag", "N"}});
    CMainDialog dlg(ui_);
    Open(dlg, crz_);
    EXPECT_EQ(Setting(crz_, "General", "MRU"), "Design");  // written on open, as before
    EXPECT_EQ(dlg.GetCruiseType(), 0);
    EXPECT_EQ(Setting(crz_, "Strovan", "UpdateFlag"), "Y");
    // Once recompiled, the design made from the data is kept by later steps.
    dlg.SetUpdateFlag("N");
    EXPECT_EQ(dlg.GetCruiseType(), 0);
    EXPECT_EQ(Setting(crz_, "Strovan", "UpdateFlag"), "N");

    // Data the field program wrote are refused until processed, however often asked.
    std::string field = dir_.Path("field.crz");
    MakeReconFile(field, {{"General", "MRU", "Kelvane"}});
    CMainDialog f(ui_);
    Open(f, field);
    EXPECT_EQ(f.GetCruiseType(), -1);
    EXPECT_EQ(f.GetCruiseType(), -1);
    EXPECT_EQ(ui_.Texts(), std::vector<std::string>(
                               2, "This data has not been processed yet.\nPlease exit this "
                                  "program and execute the Dorvex program."));
    // Strata setup is one of the steps it refuses.
    ui_.Clear();
    f.OnEstablishStrata();
    EXPECT_EQ(ui_.Texts().size(), 1u);
}

// A setup file may hold its own rows for the keys a new file gets: the user's choice
// wins in every one of them, and no row is added beside them.
TEST_F(WorkflowFaults, NewFileReplacesTheSetupFilesOwnSettings) {
    const std::string setup = dir_.Path("mine.stp");
    apptest::MakeCruise(setup, false,
                        {{"Strovan", "UOM", "03"},
                         {"Strovan", "UpdateFlag", "N"},
                         {"Strovan", "UOM", "03"},
                         {"General", "MRU", "Kelvane"}});
    CMainDialog dlg(ui_);
    ui_.PushFileName(setup);
    ui_.PushFileName(crz_);
    ui_.PushNewCruise(ScriptedUi::Submit([](NewCruiseForm& f) {
        f.OnBrowse();
        f.Fields().sale_no = "12345";
        f.OnUnitChosen("01");
    }));
    ASSERT_TRUE(dlg.OnCreate());
    EXPECT_EQ(ConfigRows(crz_),
              (std::vector<std::string>{"General/StructureVersion=2010.03.18",
                                        "Strovan/UOM=01", "Strovan/UpdateFlag=Y",
                                        "Strovan/UOM=01", "General/MRU=Design",
                                        "General/Setup=" + setup, "Strovan/Type=Design"}));
    EXPECT_EQ(Setting(crz_, "Strovan", "UOM"), "01");
}

// Settings still in the old column form (sBlock, sKey, sValue) are read by every step
// and written in that form; the table never grows columns that would hide them.
TEST_F(WorkflowFaults, OldColumnFormSettingsAreReadAndKept) {
    {
        auto s = mk::Storage::Create(crz_);
        ASSERT_TRUE(s);
        ASSERT_TRUE(app::BuildSetup(*s));
        auto cruise = s->GetAs(schema::kCruiseTableDesc);
        cruise->SetRowCount(1);
        cruise->SetString(0, "SaleNo", "12345");
        cruise->SetString(0, "SaleName", "Bear Creek");
        ASSERT_TRUE(s->Commit());
    }
    {
        // The same settings, moved into the old columns.
        auto s = mk::Storage::Open(crz_);
        std::vector<store::SettingRow> rows = store::AllSettings(*s);
        s->GetView("GlobalConfigurationTable").SetRowCount(0);
        std::string structure = s->Structure();
        const std::string now = "GlobalConfigurationTable[Block:S,Key:S,Value:S]";
        ASSERT_NE(structure.find(now), std::string::npos);
        structure.replace(structure.find(now), now.size(),
                          "GlobalConfigurationTable[sBlock:S,sKey:S,sValue:S]");
        ASSERT_TRUE(s->SetStructure(structure));
        auto old = s->GetAs("GlobalConfigurationTable[sBlock:S,sKey:S,sValue:S]");
        ASSERT_TRUE(old);
        rows.push_back({"Strovan", "CrewPlot", "60"});
        rows.push_back({"Strovan", "CntPlot", "4"});
        rows.push_back({"Strovan", "UOM", "01"});
        for (const auto& r : rows) {
            int i = old->AddRow();
            old->SetString(i, "sBlock", r.block);
            old->SetString(i, "sKey", r.key);
            old->SetString(i, "sValue", r.value);
        }
        ASSERT_TRUE(s->Commit());
    }
    const std::string layout = "sBlock:S,sKey:S,sValue:S";
    CMainDialog dlg(ui_);
    Open(dlg, crz_);
    EXPECT_EQ(dlg.Uom(), "01");
    EXPECT_EQ(dlg.ReadCostSettings()[kCrewPlot], "60");
    EXPECT_DOUBLE_EQ(dlg.Costs().plot, 15.0);

    ui_.PushCosts([](CostsForm& f) {
        EXPECT_EQ(f.Values()[kCntPlot], "4");
        f.Values()[kCntPlot] = "5";
        return f.OnOk();
    });
    EXPECT_TRUE(dlg.OnCosts());
    ui_.PushNewCruise(ScriptedUi::Submit([](NewCruiseForm& f) {
        EXPECT_EQ(f.Fields().uom, "01");
        f.Fields().cruise_type = "Recon";
    }));
    EXPECT_TRUE(dlg.OnEditCruiseInfo());
    EXPECT_EQ(dlg.GetUpdateFlag(), "N");

    auto s = mk::Storage::Open(crz_, mk::OpenMode::ReadOnly);
    EXPECT_EQ(s->Structure("GlobalConfigurationTable"), layout);
    EXPECT_EQ(store::GetSetting(*s, "Strovan", "CntPlot"), "5");
    EXPECT_EQ(store::GetSetting(*s, "Strovan", "Type"), "Recon");
    EXPECT_EQ(store::GetSetting(*s, "General", "MRU"), "Design");
    EXPECT_EQ(app::ReadCostValues(*s)[kCrewPlot], "60");
    EXPECT_EQ(app::ReadCostValues(s->GetView("GlobalConfigurationTable"))[kCntPlot], "5");
}

// A file that cannot be made is named with the cause, and the form comes back with
// everything typed so that the user can choose another place.
TEST_F(WorkflowFaults, FailedCreateNamesTheFileAndBringsTheFormBack) {
    const std::string taken = dir_.Path("taken.crz");
    apptest::fs::create_directory(taken);  // a folder where the file should go
    CMainDialog dlg(ui_);
    ui_.PushFileName(setup_);
    ui_.PushFileName(taken);
    ui_.PushNewCruise(ScriptedUi::Submit([](NewCruiseForm& f) {
        f.OnBrowse();
        f.Fields().sale_no = "12345";
        f.Fields().sale_name = "Bear Creek";
        f.OnUnitChosen("01");
    }));
    ui_.PushFileName(crz_);
    ui_.PushNewCruise(ScriptedUi::Submit([this](NewCruiseForm& f) {
        EXPECT_EQ(f.Fields().sale_no, "12345");
        EXPECT_EQ(f.Fields().sale_name, "Bear Creek");
        EXPECT_EQ(f.Fields().setup_file, setup_);
        EXPECT_EQ(f.Fields().uom, "01");
    }));
    ASSERT_TRUE(dlg.OnCreate());
    ASSERT_EQ(ui_.Texts().size(), 1u);
    EXPECT_EQ(ui_.Texts()[0].rfind("The File " + taken + " could not be saved.\n", 0), 0u)
        << ui_.Texts()[0];
    EXPECT_GT(ui_.Texts()[0].size(), ("The File " + taken + " could not be saved.\n").size());
    EXPECT_EQ(dlg.FilePath(), crz_);
    EXPECT_EQ(Setting(crz_, "Strovan", "UOM"), "01");
    EXPECT_TRUE(apptest::fs::is_directory(taken));
    EXPECT_FALSE(apptest::fs::exists(taken + ".strovan-new"));
    ExpectNoWorkingNames();

    // A setup file gone since it was chosen is blamed as such; cancelling the form
    // that comes back leaves no file current.
    const std::string gone = dir_.Path("gone.stp");
    apptest::fs::copy_file(setup_, gone);
    ui_.Clear();
    ui_.PushFileName(gone);
    ui_.PushFileName(dir_.Path("other.crz"));
    ui_.PushNewCruise(ScriptedUi::Submit([&gone](NewCruiseForm& f) {
        f.OnBrowse();
        f.Fields().sale_no = "7";
        apptest::fs::remove(gone);
    }));
    EXPECT_FALSE(dlg.OnCreate());
    ASSERT_EQ(ui_.Texts().size(), 1u);
    EXPECT_EQ(ui_.Texts()[0].rfind("The setup file " + gone + " could not be read.\n", 0), 0u);
    EXPECT_EQ(dlg.FilePath(), "");
    EXPECT_FALSE(apptest::fs::exists(dir_.Path("other.crz")));
    EXPECT_EQ(ui_.Kinds().back(), "form");  // the form came back, then was cancelled
    ExpectNoWorkingNames();
}

// A new cruise file that cannot be written (a folder without write permission, a full
// disk): the message names the file being made, not the setup file it came from.
TEST_F(WorkflowFaults, UnwritableFolderIsNamedNotTheSetupFile) {
    const std::string target = dir_.Path("new.crz");
    CMainDialog dlg(ui_);
    ui_.PushFileName(setup_);
    ui_.PushFileName(target);
    ui_.PushNewCruise(ScriptedUi::Submit([](NewCruiseForm& f) {
        f.OnBrowse();
        f.Fields().sale_no = "1";
    }));
    mk::detail::FailWritesAfter(0);
    const bool created = dlg.OnCreate();
    const int writes = mk::detail::WritesSinceArmed();
    mk::detail::StopFailingWrites();
    EXPECT_FALSE(created);
    EXPECT_GE(writes, 1);
    ASSERT_FALSE(ui_.Texts().empty());
    EXPECT_NE(ui_.Texts()[0].find(target), std::string::npos) << ui_.Texts()[0];
    EXPECT_EQ(ui_.Texts()[0].find("default.stp"), std::string::npos) << ui_.Texts()[0];
    EXPECT_FALSE(apptest::fs::exists(target));
    ExpectNoWorkingNames();
}

// The costs step tells whether its change landed: a refused write is no save.
TEST_F(WorkflowFaults, CostsReportWhetherTheyWereSaved) {
    apptest::MakeCruise(crz_);
    CMainDialog dlg(ui_);
    Open(dlg, crz_);
    const std::string before = apptest::ReadBytes(crz_);
    ui_.PushCosts(ScriptedUi::SubmitCosts({"60", "4", "", "", "", "", "", "", ""}));
    mk::detail::FailWritesAfter(0);
    bool saved = dlg.OnCosts();
    mk::detail::StopFailingWrites();
    EXPECT_FALSE(saved);
    ASSERT_EQ(ui_.Texts().size(), 1u);
    EXPECT_EQ(ui_.Texts()[0].rfind("The File " + crz_ + " could not be saved.\n", 0), 0u);
    EXPECT_EQ(apptest::ReadBytes(crz_), before);
    ExpectNoWorkingNames();

    ui_.PushCosts(ScriptedUi::SubmitCosts({"60", "4", "", "", "", "", "", "", ""}));
    EXPECT_TRUE(dlg.OnCosts());
    EXPECT_DOUBLE_EQ(dlg.Costs().plot, 15.0);
    // Cancel saves nothing and says so.
    EXPECT_FALSE(dlg.OnCosts());
}

// No cost figure may be infinite or NaN: values too large to compute with, or below
// zero, are refused with the field named; stored ones never make a figure endless.
TEST_F(WorkflowFaults, CostValuesThatGiveNoFiniteFigureAreRefused) {
    ScriptedUi u;
    const struct {
        int field;
        std::string value;
        const char* name;
    } bad[] = {{kPaint, "1e400", "Cost of a quart of marker paint"},
               {kTreePaint, "-3", "Trees marked per can"},
               {kCrewPlot, std::string(400, '9'), "Hourly cost of the plot crew"}};
    for (const auto& b : bad) {
        app::CCostsDialog dlg(u, {"60", "4", "10", "30", "100", "50", "6", "12.5", "50"});
        dlg.Values()[b.field] = b.value;
        EXPECT_FALSE(dlg.OnOk()) << b.value;
        ASSERT_NE(u.Last(), nullptr);
        EXPECT_EQ(u.Last()->text.rfind(b.name, 0), 0u) << u.Last()->text;
        EXPECT_EQ(u.Last()->icon, Icon::Stop);
    }
    // Stored before the check existed: still no endless figure.
    app::CostValues stored{"1e308", "1e-300", "1e308", "1e308", "1e-300", "", "", "1e400", "1"};
    app::CostFigures f = app::ComputeCostFigures(stored);
    for (double v : {f.plot, f.traverse, f.tally, f.threeP, f.measure, f.paint}) {
        EXPECT_TRUE(std::isfinite(v)) << v;
        EXPECT_GE(v, 0.0);
    }
}

TEST(PlainReason, WorkingFileNamesBecomeTheUsersFile) {
    EXPECT_EQ(app::PlainReason("cannot create /a b/x.crz.tmp-1234: No space left on device"),
              "cannot create /a b/x.crz: No space left on device");
    EXPECT_EQ(app::PlainReason("write to /d/x.crz.strovan-new stopped"), "write to /d/x.crz stopped");
    EXPECT_EQ(app::PlainReason("Is a directory"), "Is a directory");
}

}  // namespace
