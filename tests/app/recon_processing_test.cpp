// "Strovan Processing" on a recon cruise runs the recon compilation through the stats
// hook with the file's unit and cost settings.
#include <gtest/gtest.h>

#include "app/step_hooks.h"

#include "app/main_dialog.h"
#include "app_test_util.h"
#include "ui/scripted_ui.h"

namespace {

void AddReconSale(const std::string& path) {
    auto s = mk::Storage::Open(path);
    ASSERT_TRUE(s);
    mk::View strata = *s->GetAs(schema::kSVStrataTableDesc);
    int r = strata.AddRow();
    strata.SetString(r, "Stratum", "1");
    strata.SetString(r, "TotAcres", "10");
    strata.SetString(r, "Modified", "Y");
    mk::View summary = *s->GetAs(schema::kSVSummaryTableDesc);
    for (const char* unit : {"U1", "U2"}) {
        r = summary.AddRow();
        summary.SetString(r, "Stratum", "1");
        summary.SetString(r, "SgTree", "A");
        summary.SetString(r, "SgPlot", "A");
        summary.SetString(r, "CutUnit", unit);
        summary.SetString(r, "Species", "DF");
    }
    mk::View recon = *s->GetAs(schema::kStratumTableSetupDesc);
    const std::pair<const char*, double> fix[] = {{"R1", 5}, {"R2", 10}};
    for (const auto& [code, size] : fix) {
        r = recon.AddRow();
        recon.SetString(r, "Stratum", code);
        recon.SetString(r, "CruzMeth", "FIX");
        recon.SetDouble(r, "FPSize", size);
    }
    mk::View trees = s->GetView(schema::kTreeTable);
    const std::tuple<const char*, const char*, double> rows[] = {{"R1", "U1", 10}, {"R1", "U1", 20}, {"R2", "U2", 40}};
    for (const auto& [code, unit, vol] : rows) {
        r = trees.AddRow();
        trees.SetString(r, "Stratum", code);
        trees.SetString(r, "CutUnit", unit);
        trees.SetString(r, "Plot", "1");
        trees.SetString(r, "Sp", "DF");
        trees.SetFloat(r, "DBH", 12);
        trees.SetDouble(r, "NCUFTVolPP", vol);
    }
    ASSERT_TRUE(s->Commit());
}

TEST(ReconProcessing, CompilesWithTheFilesUnitAndCostsAndShowsOneWarning) {
    apptest::TempDir dir;
    std::string crz = dir.Path("recon.crz");
    apptest::MakeCruise(crz, true,
                        {{"Strovan", "Type", "Recon"},
                         {"Strovan", "UpdateFlag", "Y"},
                         {"Strovan", "UOM", "03"},
                         {"Strovan", "CrewTree", "60"},
                         {"Strovan", "TreeMeas", "30"}});
    AddReconSale(crz);
    ui::ScriptedUi ui;
    app::CMainDialog dlg(ui);
    dlg.SetFilePath(crz);
    dlg.OnInitDialog();
    ui.Clear();
    dlg.OnDesignProcessing();

    std::vector<std::string> texts = ui.Texts();
    // The warning also names the cost the chosen method needs but the file has not set.
    EXPECT_EQ(texts, std::vector<std::string>{
                         "Strata Number: 1\nCombining Recon Plots Sampled With Different Fix Plot Sizes.\nWill Skip "
                         "Fix Plot Calculations and Use Default Values.\n\nWarning:  The estimated costs are "
                         "incomplete.\nThe paint cost per tree (paint cost and trees marked per can) is 0 or not set; "
                         "the cost of stratum 1 leaves it out.\nEnter the missing values under Setup Relative Cruising "
                         "Costs."});
    EXPECT_EQ(ui.Messages()[0].title, "Warning");
    // The design form follows the compilation (the script closes it).
    ASSERT_TRUE(app::Hooks().design_form);
    std::vector<std::string> forms;
    for (const auto& m : ui.Messages())
        if (m.kind == "form") forms.push_back(m.title);
    EXPECT_EQ(forms, std::vector<std::string>{"design.form"});

    auto s = mk::Storage::Open(crz, mk::OpenMode::ReadOnly);
    ASSERT_TRUE(s);
    mk::View design = s->GetView(schema::kSVDesignTable);
    ASSERT_EQ(design.RowCount(), 1);
    EXPECT_EQ(design.GetString(0, "CruzMeth"), "100");
    // Plot sizes that differ leave the stand-in of 1 tree per acre: 10 trees measured
    // at 60 / 30 each.
    EXPECT_EQ(design.GetInt(0, "SumN"), 10);
    EXPECT_DOUBLE_EQ(design.GetDouble(0, "StrCost"), 20);
    EXPECT_EQ(s->GetView(schema::kSVMethodsTable).RowCount(), 11);
    EXPECT_EQ(s->GetView(schema::kSVStrataTable).GetString(0, "Modified"), "N");
}

}  // namespace
