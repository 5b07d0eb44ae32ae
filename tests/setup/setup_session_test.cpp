// The setup step as the main window runs it, and its commands on the command line.
#include "setup/setup_session.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/setup_file.h"
#include "app/step_hooks.h"
#include "commands.h"
#include "grid/grid_print.h"
#include "setup/import_svz.h"
#include "setup/setup_tables.h"
#include "setup/strata_definition.h"
#include "setup/strata_forms.h"
#include "setup_test_util.h"
#include "store/config.h"
#include "support/borrowed_canvas.h"
#include "support/recording_canvas.h"
#include "ui/scripted_ui.h"

using namespace setuptest;
using setup::PopulationsForm;
using setup::StrataDefinitionsForm;

namespace {

const std::string kExample = std::string(STROVAN_SOURCE_DIR) + "/examples/sale.svz";

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.Path("sale.crz");
        auto s = mk::Storage::Create(path);
        ASSERT_TRUE(s);
        ASSERT_TRUE(app::BuildSetup(*s));
        store::SetSetting(*s, "Strovan", "Type", "Design");
        store::SetSetting(*s, "Strovan", "UpdateFlag", "N");
        ASSERT_TRUE(s->Commit());
    }
    std::string Setting() {
        auto s = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
        return s ? store::GetSetting(*s, "Strovan", "UpdateFlag").value_or("") : "";
    }
    TempDir dir;
    std::string path;
    ui::ScriptedUi ui;
};

TEST_F(SessionTest, TheMainWindowsButtonImportsAndSetsUpThroughTheHook) {
    ASSERT_TRUE(app::Hooks().strata_setup);
    ui.PushFileName(kExample);
    ui.PushFormAs<StrataDefinitionsForm>(StrataDefinitionsForm::kId, [](StrataDefinitionsForm& d) {
        EXPECT_EQ(d.Title(), "Setup Strata Definitions");
        EXPECT_EQ(d.ImportFile(), 0);
        EXPECT_EQ(d.UpdateFlag(), "Y") << "new recon data needs new design tables";
        return d.SetupTable() == 0;
    });
    ui.PushFormAs<PopulationsForm>(PopulationsForm::kId, [](PopulationsForm& f) {
        EXPECT_EQ(f.Title(), "Setup Populations (Blank Sample Group Codes are Valid)");
        EXPECT_TRUE(f.HelpShown());
        auto& g = f.Grid();
        EXPECT_GT(g.RowCount(), 40);
        for (int r = 0; r < g.RowCount(); ++r) {
            g.SetText(r, "Stratum", g.View().GetString(r, "CutUnit") < "7" ? "1" : "2");
            g.SetText(r, "SgTree", g.View().GetString(r, "Prod"));  // codes are two characters at most
            g.SetText(r, "SgPlot", g.View().GetString(r, "Prod"));
        }
        return true;  // OK
    });
    app::HookedSteps steps(ui);
    std::string flag = "N";
    EXPECT_EQ(steps.RunStrataSetup(path, flag), 0);
    EXPECT_EQ(flag, "Y");
    EXPECT_EQ(ui.PendingForms(PopulationsForm::kId), 0u);
    auto strata = Rows(path, "SVStrataTable", {"Stratum", "Units", "TotAcres", "Modified"});
    ASSERT_EQ(strata.size(), 2u);
    EXPECT_EQ(strata[0], "1|1,10,11,12,2,3,4,5,6|          594.0|Y");
    EXPECT_EQ(strata[1], "2|7,8,9|          161.0|Y");
}

TEST_F(SessionTest, AFailedImportLeavesTheFlagAndTheStrataFormRunsOnThePreparedTables) {
    WriteText(dir.Path("bad.svz"), "1,2,3\n");
    StrataDefinitionsForm d(ui, path, "N");
    EXPECT_EQ(d.ImportFile(dir.Path("bad.svz")), 1);
    EXPECT_EQ(d.UpdateFlag(), "N");
    // The strata form is part of every build: it opens on the prepared work tables;
    // cancelled, it leaves no stratum and none of its scratch tables behind.
    ASSERT_TRUE(setup::Definitions().strata_form);
    int shown = 0;
    ui.PushFormAs<setup::StrataForm>(setup::StrataForm::kId, [&](setup::StrataForm& f) {
        ++shown;
        EXPECT_EQ(f.Title(), "Define Strata and Sample Groups");
        return false;
    });
    EXPECT_EQ(d.SetupForm(), 0);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(d.UpdateFlag(), "N");  // nothing was set up, so nothing needs compiling
    auto s = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
    ASSERT_TRUE(s);
    EXPECT_TRUE(!s->HasView("SVStrataTable") || s->GetView("SVStrataTable").RowCount() == 0);
    EXPECT_FALSE(s->HasView("SVSelTreeTable"));
    EXPECT_FALSE(s->HasView("SVFillSGTable"));
}

TEST_F(SessionTest, StrataFormCancelledOnAFileWithoutReconLeavesItsBytes) {
    const std::string before = ReadBytes(path);
    StrataDefinitionsForm d(ui, path, "N");
    ui.PushFormAs<setup::StrataForm>(setup::StrataForm::kId, [](setup::StrataForm&) { return false; });
    EXPECT_EQ(d.SetupForm(), 0);
    EXPECT_TRUE(ReadBytes(path) == before);
    ui.PushFormAs<PopulationsForm>(PopulationsForm::kId, [](PopulationsForm&) { return false; });
    EXPECT_EQ(d.SetupTable(), 0);
    EXPECT_TRUE(ReadBytes(path) == before);
}

TEST_F(SessionTest, CancelledPopulationsFormTakesItsEditsBackAndMenusOfLaterCommandsSaySo) {
    ASSERT_EQ(setup::ImportSvz(ui, path, kExample), 0);
    ui.Clear();
    ASSERT_TRUE(setup::Definitions().quick_strata);
    int quick = 0;
    ui.PushFormAs<PopulationsForm>(PopulationsForm::kId, [&quick](PopulationsForm& f) {
        auto menu = f.Grid().ContextMenu(f.Grid().FindColumn("Species"));
        EXPECT_EQ(menu, (std::vector<std::string>{"Add Row", "Delete Row", "", "Edit Unit Table", "",
                                                  "Quick Strata Setup", "Quick SG Setup", "",
                                                  "Define Diameter Ranges",
                                                  "Remove Defined Diameter Ranges", "", "Delete Strata",
                                                  "Delete Sample Groups"}));
        // Quick Strata Setup opens its form; cancelled, it leaves the grid alone.
        auto& scripted = static_cast<ui::ScriptedUi&>(f.Ui());
        scripted.PushFormAs<setup::QuickStrataForm>(setup::QuickStrataForm::kId, [&quick](setup::QuickStrataForm& q) {
            ++quick;
            EXPECT_EQ(q.Title(), "Quick Strata Setup Form");
            return false;
        });
        EXPECT_TRUE(f.MenuCommand("Quick Strata Setup", 0, 0));
        EXPECT_EQ(f.Grid().View().GetString(0, "Stratum"), "");
        f.Grid().SetText(0, "Stratum", "4");
        return false;  // Cancel
    });
    StrataDefinitionsForm d(ui, path, "N");
    EXPECT_EQ(d.SetupTable(), 0);
    EXPECT_EQ(quick, 1);
    // The tables were built from the recon; the cancelled edit is gone.
    EXPECT_EQ(d.UpdateFlag(), "Y");
    EXPECT_TRUE(Rows(path, "SVStrataTable", {"Stratum"}).empty());
    for (const auto& s : Column(path, "SVSummaryTable", "Stratum")) EXPECT_EQ(s, "");
    for (const auto& m : Column(path, "SVSummaryTable", "Modify")) EXPECT_EQ(m, "N");

    // A second visit that changes nothing writes nothing and asks for no compilation.
    const std::string before = ReadBytes(path);
    StrataDefinitionsForm again(ui, path, "N");
    EXPECT_EQ(again.SetupTable(), 0);
    EXPECT_EQ(again.UpdateFlag(), "N");
    EXPECT_EQ(ReadBytes(path), before);
}

TEST_F(SessionTest, PrintPutsTheWholeShownGridOnNumberedPages) {
    ASSERT_EQ(setup::ImportSvz(ui, path, kExample), 0);
    std::unique_ptr<testsupport::RecordingCanvas> canvas;
    grid::SetPrinterChooser([&]() -> std::unique_ptr<grid::Canvas> {
        canvas = std::make_unique<testsupport::RecordingCanvas>();
        return std::make_unique<testsupport::BorrowedCanvas>(*canvas);
    });
    ui.PushFormAs<PopulationsForm>(PopulationsForm::kId, [](PopulationsForm& f) {
        f.Grid().SetText(f.Grid().RowCount() - 1, "Stratum", "77");
        f.Print();
        return false;
    });
    StrataDefinitionsForm d(ui, path, "N");
    EXPECT_EQ(d.SetupTable(), 0);
    grid::SetPrinterChooser({});
    ASSERT_TRUE(canvas);
    for (const auto& t : ui.Texts()) EXPECT_EQ(t.find("not yet available"), std::string::npos) << t;
    // 63 summary rows of 20 pixels (20.83 units at 100 a inch) on 11-inch paper with
    // 2 x 20 mm of margins, under a heading row: (1100 - 157.5 - 20.8) / 20.83 = 44
    // rows a page.
    const int rows = static_cast<int>(Column(path, "SVSummaryTable", "Stratum").size());
    ASSERT_EQ(rows, 63);
    EXPECT_EQ(canvas->pages, 2);
    EXPECT_TRUE(canvas->ended);
    EXPECT_TRUE(canvas->Has(1, "Page: 1"));
    EXPECT_TRUE(canvas->Has(2, "Page: 2"));
    EXPECT_EQ(canvas->doc_name, "Setup Populations (Blank Sample Group Codes are Valid)");
    // The columns shown, never the hidden ones; every row, the last one edited too.
    EXPECT_TRUE(canvas->Has(1, "CutUnit") && canvas->Has(1, "SgPlot"));
    EXPECT_FALSE(canvas->Has(1, "Modify") || canvas->Has(1, "Recon"));
    EXPECT_TRUE(canvas->Has(2, "77"));
    EXPECT_FALSE(canvas->Has(1, "77"));
}

// ---- the command line -----------------------------------------------------------------

class SetupCli : public SessionTest {
protected:
    int Run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        return cli::RunCli(args, out, err);
    }
    std::ostringstream out, err;
};

TEST_F(SetupCli, ImportRefusesTwiceAndReportsUsage) {
    EXPECT_EQ(Run({"import", path}), cli::kExitUsage);
    ASSERT_EQ(Run({"import", path, kExample, "--json"}), cli::kExitOk) << out.str();
    EXPECT_NE(out.str().find("\"imported\": true"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("Has Been Imported."), std::string::npos);
    EXPECT_EQ(Setting(), "Y");
    const std::string before = ReadBytes(path);
    EXPECT_EQ(Run({"import", path, kExample}), cli::kExitFailure);
    EXPECT_NE(err.str().find("Tree Data Already Exists."), std::string::npos);
    EXPECT_EQ(ReadBytes(path), before);
}

TEST_F(SetupCli, ShowEditAcceptAndCancel) {
    ASSERT_EQ(Run({"import", path, kExample}), cli::kExitOk);
    const std::string imported = ReadBytes(path);
    ASSERT_EQ(Run({"setup", path, "--show"}), cli::kExitOk) << err.str();
    EXPECT_NE(out.str().find("SVUnitsTable (12 rows)"), std::string::npos);
    EXPECT_EQ(ReadBytes(path), imported) << "showing writes nothing";

    // Mixed products in one sample group: refused, nothing committed.
    EXPECT_EQ(Run({"setup", path, "--set", "SVSummaryTable:Stratum=1", "--where", "CutUnit=1", "--accept",
                   "--json"}),
              cli::kExitFailure);
    EXPECT_NE(out.str().find("Products must be in separate sample groups."), std::string::npos);
    EXPECT_EQ(ReadBytes(path), imported);

    ASSERT_EQ(Run({"setup", path, "--set", "SVSummaryTable:Stratum=1", "--where", "CutUnit=1",
                   "--set", "SVSummaryTable:SgTree=S", "--where", "CutUnit=1,Prod=01",
                   "--set", "SVSummaryTable:SgTree=P", "--where", "CutUnit=1,Prod=02",
                   "--set", "SVSummaryTable:SgPlot=P", "--where", "CutUnit=1,Prod=02",
                   "--add-unit", "13:12.5:480", "--accept"}),
              cli::kExitOk)
        << err.str();
    EXPECT_EQ(Rows(path, "SVStrataTable", {"Stratum", "Units", "TotAcres", "SG_Tree", "SG_Plot", "Modified"}),
              (std::vector<std::string>{"1|1|           86.0|P,S|,P|Y"}));
    EXPECT_EQ(Rows(path, "SVUnitsTable", {"CutUnit", "Area", "LogMeth"}).back(), "13|12.5|480");

    // Edits by key, then Cancel: taken back.
    ASSERT_EQ(Run({"setup", path, "--set", "SVStrataTable:Description=Ridge", "--where", "Stratum=1",
                   "--set", "SVSummaryTable:Stratum=2", "--where", "CutUnit=10", "--cancel", "--json"}),
              cli::kExitOk)
        << out.str();
    EXPECT_EQ(Rows(path, "SVStrataTable", {"Stratum", "Description", "Units"}), (std::vector<std::string>{"1||1"}));
    ASSERT_EQ(Run({"setup", path, "--set", "SVStrataTable:Description=Ridge", "--where", "Stratum=1"}),
              cli::kExitOk);
    EXPECT_EQ(Rows(path, "SVStrataTable", {"Stratum", "Description", "Units"}),
              (std::vector<std::string>{"1|Ridge|1"}));

    // Bad edits: a read-only column, no matching row, unknown table, a known unit.
    const std::string before = ReadBytes(path);
    EXPECT_EQ(Run({"setup", path, "--set", "SVStrataTable:Units=9", "--where", "Stratum=1"}), cli::kExitFailure);
    EXPECT_EQ(Run({"setup", path, "--set", "SVSummaryTable:Stratum=3", "--where", "CutUnit=77"}),
              cli::kExitFailure);
    EXPECT_EQ(Run({"setup", path, "--set", "Nope:A=1", "--where", "B=2"}), cli::kExitUsage);
    EXPECT_EQ(Run({"setup", path, "--add-unit", "1:5"}), cli::kExitFailure);
    EXPECT_EQ(Run({"setup", path, "--add-unit", "14:none"}), cli::kExitFailure);
    EXPECT_EQ(Run({"setup", path, "--set", "SVSummaryTable:Stratum=3"}), cli::kExitUsage);
    EXPECT_EQ(Run({"setup", path, "--accept", "--cancel"}), cli::kExitUsage);
    EXPECT_EQ(ReadBytes(path), before);

    // Remake answered No changes nothing; Yes empties the grouping.
    EXPECT_EQ(Run({"setup", path, "--remake", "--accept", "--no"}), cli::kExitFailure);
    EXPECT_EQ(ReadBytes(path), before);
    ASSERT_EQ(Run({"setup", path, "--remake", "--accept", "--yes"}), cli::kExitOk) << err.str();
    EXPECT_TRUE(Rows(path, "SVStrataTable", {"Stratum"}).empty());
}

}  // namespace
