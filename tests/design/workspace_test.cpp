#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "design/data_warnings.h"
#include "design/saved_designs.h"
#include "design/workspace.h"
#include "setup/units_editor.h"
#include "store/cruise_store.h"
#include "store/value_rules.h"
#include "support/bad_inputs.h"
#include "workspace_fixture.h"

using namespace design;
using wstest::DumpAll;

namespace {

class WorkspaceTest : public ::testing::Test {
protected:
    wstest::TempDir dir;
    std::string path = dir.Path("sale.crz");
    ui::ScriptedUi ui;
    std::unique_ptr<store::CCruiseStore> store;
    std::unique_ptr<DesignWorkspace> ws;

    void OpenSale(std::vector<wstest::StratumSpec> sale = wstest::DefaultSale(), int cruiseType = 0,
                  bool withMethods = true) {
        wstest::WriteSale(path, sale, "01", withMethods);
        store = std::make_unique<store::CCruiseStore>(ui);
        ASSERT_EQ(store->Open(path), 0);
        WorkspaceInputs in;
        in.cruiseType = cruiseType;
        in.costs = wstest::kCosts;
        in.uom = "01";
        in.path = path;
        ws = std::make_unique<DesignWorkspace>(ui, *store, in);
        ASSERT_EQ(ws->Open(), 0);
    }
    void TearDown() override {
        ws.reset();
        if (store && store->IsOpen()) store->Close();
    }
    mk::Storage& S() { return *store->Storage(); }
    mk::View Table(const char* name) { return S().GetView(name); }

    void PickMethod(const std::string& m) {
        ui.PushFormAs<MethodSelectionForm>(kSelectMethodFormId, [m](MethodSelectionForm& f) { return f.TickMethod(m); });
    }
    void PlotSize(std::vector<std::string> tries) {
        ui.PushFormAs<PlotSizeForm>(kPlotSizeFormId, [tries](PlotSizeForm& f) {
            for (const std::string& t : tries) {
                f.value = t;
                if (f.OnOk()) return true;
            }
            return false;
        });
    }
    // Row of a method table for (stratum, method[, sample group]).
    int MethodRow(const std::string& stratum, const std::string& method) {
        mk::View v = Table(schema::kSVMethodsTable);
        for (int r = 0; r < v.RowCount(); ++r)
            if (v.GetString(r, "Stratum") == stratum && v.GetString(r, "CruzMeth") == method) return r;
        return -1;
    }
    int MethodSgRow(const std::string& stratum, const std::string& method, const std::string& sg) {
        mk::View v = Table(schema::kSVMethodsSgTable);
        for (int r = 0; r < v.RowCount(); ++r)
            if (v.GetString(r, "Stratum") == stratum && v.GetString(r, "CruzMeth") == method &&
                v.GetString(r, "SgCode") == sg)
                return r;
        return -1;
    }
    // The model must always equal what the design tables hold.
    void ExpectTablesMatchModel() {
        mk::View d = Table(schema::kSVDesignTable), g = Table(schema::kSVDesignSgTable);
        ASSERT_EQ(d.RowCount(), static_cast<int>(ws->Model().strata.size()));
        ASSERT_EQ(g.RowCount(), static_cast<int>(ws->Model().groups.size()));
        StratumColumns dc = StratumColumns::Of(d);
        SgColumns gc = SgColumns::Of(g);
        for (int r = 0; r < d.RowCount(); ++r) EXPECT_TRUE(SameStratum(ReadStratum(d, dc, r), ws->Model().strata[r])) << r;
        for (int r = 0; r < g.RowCount(); ++r) EXPECT_TRUE(SameSg(ReadSg(g, gc, r), ws->Model().groups[r])) << r;
    }
};

TEST_F(WorkspaceTest, OpensOnTheFirstStratumWithTheSaleTotals) {
    OpenSale();
    EXPECT_EQ(ws->Title(), "Strovan Form     " + path);
    ASSERT_EQ(ws->Selected(), 0);
    EXPECT_EQ(ws->SelectedStratum()->stratum, "1");
    ASSERT_EQ(ws->SelectedGroups().size(), 2u);
    EXPECT_EQ(ws->SelectedGroups()[1]->sgCode, "B");
    SaleTotals t = SaleErrorAndCost(ws->Model().strata);
    EXPECT_EQ(ws->Totals().error, t.error);
    EXPECT_EQ(ws->Totals().cost, t.cost);
    EXPECT_EQ(ws->SaleErrorText(), FormatSaleError(t.error));
    EXPECT_EQ(ws->targetError, "10");
    EXPECT_TRUE(ws->CanOptimize());
    EXPECT_EQ(ws->SelectStratum(1), kWsDone);
    EXPECT_EQ(ws->SelectedGroups().size(), 3u);
    EXPECT_EQ(ws->SelectStratum(9), kWsRefused);
    EXPECT_EQ(ws->Selected(), 1);
    ExpectTablesMatchModel();
}

TEST_F(WorkspaceTest, EmptyDesignOpensWithNothingToActOn) {
    OpenSale({});
    EXPECT_EQ(ws->Selected(), -1);
    EXPECT_EQ(ws->SelectedStratum(), nullptr);
    EXPECT_TRUE(ws->SelectedGroups().empty());
    EXPECT_FALSE(ws->CanOptimize());
    EXPECT_FALSE(ws->CanMakeKelvane());
    EXPECT_FALSE(ws->CanMakeReport());
    EXPECT_EQ(ws->EditSgCell(0, "SgCV", "10"), kWsRefused);
    EXPECT_EQ(ws->OptimizeForError(), kWsNotAllowed);
    EXPECT_EQ(ws->MakeReport(), kWsNotAllowed);
    EXPECT_EQ(ws->RecalculateStrataError(), kWsRefused);
    EXPECT_EQ(ws->Totals().error, 0);
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(WorkspaceTest, ProductionCruiseGreysOptimizeKelvaneAndSaveLoad) {
    OpenSale(wstest::DefaultSale(), 1);
    EXPECT_FALSE(ws->CanOptimize());
    EXPECT_FALSE(ws->CanMakeKelvane());
    EXPECT_FALSE(ws->CanSaveLoad());
    EXPECT_TRUE(ws->CanMakeReport());
    auto before = DumpAll(S());
    EXPECT_EQ(ws->OptimizeForError(), kWsNotAllowed);
    EXPECT_EQ(ws->MakeKelvane(), kWsNotAllowed);
    EXPECT_EQ(ws->SaveDesign(), kWsNotAllowed);
    EXPECT_EQ(ws->LoadDesign(), kWsNotAllowed);
    EXPECT_EQ(DumpAll(S()), before);
}

TEST_F(WorkspaceTest, CellEditRecomputesRowStratumAndSaleAndWritesOnlyThatStratum) {
    OpenSale();
    auto before = DumpAll(S());
    SgRow a = *ws->SelectedGroups()[0];
    ASSERT_EQ(ws->EditSgCell(0, "SgCV", "55"), kWsDone);
    const SgRow& g = *ws->SelectedGroups()[0];
    EXPECT_EQ(g.sgCV, 55);
    EXPECT_EQ(g.c, "B");
    double population = std::trunc(a.treesAcre * 120);
    EXPECT_EQ(g.sgErr, CorrectedError(SamplingError(55, a.sgN), a.sgN, static_cast<int>(population)));
    // The stratum is summarised at once, as Recalculate Strata Error would.
    StratumRow expect = ws->Model().strata[0];
    std::vector<SgRow> copy = {*ws->SelectedGroups()[0], *ws->SelectedGroups()[1]};
    SgRefs refs = {&copy[0], &copy[1]};
    SummarizeStratum(expect, refs, SummaryMode::Form, "01", wstest::kCosts);
    EXPECT_TRUE(SameStratum(expect, ws->Model().strata[0]));
    EXPECT_EQ(ws->Totals().error, SaleErrorAndCost(ws->Model().strata).error);
    ExpectTablesMatchModel();
    auto after = DumpAll(S());
    // Other strata and the method tables are untouched.
    for (std::size_t r = 1; r < before[schema::kSVDesignTable].size(); ++r)
        EXPECT_EQ(after[schema::kSVDesignTable][r], before[schema::kSVDesignTable][r]);
    EXPECT_EQ(after[schema::kSVMethodsSgTable], before[schema::kSVMethodsSgTable]);
    EXPECT_EQ(ws->UndoLabel(), "Edit SgCV");

    ASSERT_EQ(ws->Undo(), kWsDone);
    EXPECT_EQ(DumpAll(S()), before);
    EXPECT_EQ(ws->Totals().error, SaleErrorAndCost(ws->Model().strata).error);
    ASSERT_EQ(ws->Redo(), kWsDone);
    EXPECT_EQ(DumpAll(S()), after);
    EXPECT_EQ(ws->Redo(), kWsRefused);
}

TEST_F(WorkspaceTest, ReadOnlyAndHiddenColumnsAreRefused) {
    OpenSale();
    ASSERT_EQ(ws->SelectStratum(3), kWsDone);  // method 100
    auto before = DumpAll(S());
    EXPECT_EQ(ws->EditSgCell(0, "SgN", "5"), kWsRefused);
    EXPECT_EQ(ws->EditSgCell(0, "Freq", "5"), kWsRefused);
    EXPECT_EQ(ws->EditSgCell(0, "KZ", "5"), kWsRefused);
    EXPECT_EQ(ws->EditSgCell(0, "SgCode", "Z"), kWsRefused);
    EXPECT_EQ(ws->EditSgCell(7, "SgCV", "5"), kWsRefused);
    EXPECT_EQ(ws->EditStratumCell(3, "Error", "5"), kWsRefused);
    EXPECT_EQ(DumpAll(S()), before);
    EXPECT_FALSE(ws->CanUndo());
    // Trees/Acre of an every-tree stratum sets the sample size to every tree.
    ASSERT_EQ(ws->EditSgCell(0, "Trees/Acre", "12"), kWsDone);
    EXPECT_EQ(ws->SelectedGroups()[0]->sgN, 12 * 15);
}

TEST_F(WorkspaceTest, PlotStratumSharesAnEditedPlotCount) {
    OpenSale();
    ASSERT_EQ(ws->SelectStratum(1), kWsDone);  // PNT, three groups
    ASSERT_EQ(ws->EditSgCell(1, "SgN", "44"), kWsDone);
    for (const SgRow* g : ws->SelectedGroups()) {
        EXPECT_EQ(g->sgN, 44);
        EXPECT_EQ(g->sgErr, SamplingError(g->sgCV, 44));
    }
    EXPECT_EQ(ws->SelectedStratum()->sumN, 44);
    EXPECT_EQ(ws->SelectedStratum()->plotSpacing, static_cast<int>(std::trunc(std::sqrt(300.0 / 44 * 43560))));
    ExpectTablesMatchModel();
}

TEST_F(WorkspaceTest, StratumDescriptionAndLockAreEditable) {
    OpenSale();
    ASSERT_EQ(ws->EditStratumCell(2, "Description", "  North slope "), kWsDone);
    ASSERT_EQ(ws->EditStratumCell(2, "Lock", "1"), kWsDone);
    EXPECT_EQ(Table(schema::kSVDesignTable).GetString(2, "Description"), "North slope");
    EXPECT_EQ(Table(schema::kSVDesignTable).GetString(2, "Lock"), "1");
    EXPECT_TRUE(IsLocked(ws->Model().strata[2]));
}

TEST_F(WorkspaceTest, ChangeCruiseMethodTakesTheChosenMethodNotTheOldSelection) {
    OpenSale();
    // The compilation left "1.000000" on the 100 row, which comes first.
    ASSERT_EQ(Table(schema::kSVMethodsTable).GetString(MethodRow("1", "100"), "Select"), "1.000000");
    PickMethod("FIX");
    ASSERT_EQ(ws->ChangeCruiseMethod(0), kWsDone);
    const StratumRow& s = ws->Model().strata[0];
    EXPECT_EQ(s.cruzMeth, "FIX");
    EXPECT_EQ(s.plotSize, 0.1);
    mk::View mt = Table(schema::kSVMethodsTable);
    for (const std::string& m : schema::MethodOrder())
        EXPECT_EQ(mt.GetString(MethodRow("1", m), "Select"), m == "FIX" ? "1.000000" : "0") << m;
    // The groups are the FIX rows of the method table, sharing the first plot count.
    auto groups = ws->GroupsOfStratum(0);
    ASSERT_EQ(groups.size(), 2u);
    mk::View ms = Table(schema::kSVMethodsSgTable);
    int first = MethodSgRow("1", "FIX", "A");
    EXPECT_EQ(groups[0]->sgCV, ms.GetDouble(first, "SgCV"));
    EXPECT_EQ(groups[1]->sgCV, ms.GetDouble(MethodSgRow("1", "FIX", "B"), "SgCV"));
    EXPECT_EQ(groups[1]->sgN, groups[0]->sgN);
    EXPECT_EQ(groups[1]->sgErr, SamplingError(groups[1]->sgCV, groups[0]->sgN));
    // The summary follows the shared count.
    EXPECT_EQ(s.sumN, groups[0]->sgN);
    ExpectTablesMatchModel();
    EXPECT_EQ(ws->Totals().cost, SaleErrorAndCost(ws->Model().strata).cost);
}

TEST_F(WorkspaceTest, SeveralMethodsAtOnceAreTheMethodsChosenInTurnAndOneUndo) {
    const std::vector<std::pair<std::size_t, std::string>> wanted = {{0, "S3P"}, {1, "PCM"}, {3, "100"}};
    OpenSale();
    ASSERT_EQ(ws->EditSgCell(0, "SgCV", "61"), kWsDone);
    for (const auto& [s, m] : wanted) {
        PickMethod(m);
        ASSERT_EQ(ws->ChangeCruiseMethod(s), kWsDone);
    }
    ASSERT_EQ(ws->Return(), kWsDone);
    const auto inTurn = DumpAll(S());
    TearDown();

    OpenSale();
    ASSERT_EQ(ws->EditSgCell(0, "SgCV", "61"), kWsDone);
    const auto before = DumpAll(S());
    ASSERT_EQ(ws->ChangeCruiseMethods(wanted), kWsDone);
    EXPECT_EQ(ws->UndoLabel(), "Change Cruise Methods");
    ASSERT_EQ(ws->Undo(), kWsDone);
    EXPECT_EQ(DumpAll(S()), before);
    ASSERT_EQ(ws->Redo(), kWsDone);
    ASSERT_EQ(ws->Return(), kWsDone);
    EXPECT_EQ(DumpAll(S()), inTurn);
    // A method without compiled rows changes nothing.
    TearDown();
    OpenSale();
    EXPECT_EQ(ws->ChangeCruiseMethods({{0, "XYZ"}}), kWsRefused);
    EXPECT_FALSE(ws->CanUndo());
}

TEST_F(WorkspaceTest, ReloadTakesTablesRewrittenElsewhereAndDropsUndo) {
    OpenSale();
    ASSERT_EQ(ws->EditSgCell(0, "SgCV", "61"), kWsDone);
    ASSERT_TRUE(ws->CanUndo());
    // Another step replaces the design: one stratum fewer.
    Table(schema::kSVDesignTable).RemoveRows(3);
    ASSERT_EQ(ws->Reload(), 0);
    EXPECT_EQ(ws->Model().strata.size(), 3u);
    EXPECT_FALSE(ws->CanUndo());
    EXPECT_FALSE(ws->CanRedo());
    EXPECT_EQ(ws->Totals().cost, SaleErrorAndCost(ws->Model().strata).cost);
}

TEST_F(WorkspaceTest, SwitchingAMethodAndBackRestoresTheEditedValues) {
    OpenSale();
    ASSERT_EQ(ws->EditSgCell(1, "SgCV", "77.5"), kWsDone);
    ASSERT_EQ(ws->EditSgCell(0, "Description", "Big firs"), kWsDone);
    SgRow editedB = *ws->SelectedGroups()[1];
    StratumRow edited = ws->Model().strata[0];
    PickMethod("S3P");
    ASSERT_EQ(ws->ChangeCruiseMethod(0), kWsDone);
    EXPECT_EQ(ws->Model().strata[0].cruzMeth, "S3P");
    EXPECT_NE(ws->SelectedGroups()[1]->sgCV, 77.5);
    PickMethod("STR");
    ASSERT_EQ(ws->ChangeCruiseMethod(0), kWsDone);
    EXPECT_TRUE(SameSg(*ws->SelectedGroups()[1], editedB));
    EXPECT_EQ(ws->SelectedGroups()[0]->description, "Big firs");
    EXPECT_EQ(ws->Model().strata[0].wtCV, edited.wtCV);
    EXPECT_EQ(ws->Model().strata[0].error, edited.error);
    EXPECT_EQ(ui.PendingForms(kSelectMethodFormId), 0u);
}

TEST_F(WorkspaceTest, CancelledMethodChangeLeavesEveryTableAsItWas) {
    OpenSale();
    ASSERT_EQ(ws->EditSgCell(0, "SgCV", "61"), kWsDone);
    auto before = DumpAll(S());
    ui.PushFormAs<MethodSelectionForm>(kSelectMethodFormId, [](MethodSelectionForm& f) {
        f.TickMethod("PNT");
        return false;
    });
    EXPECT_EQ(ws->ChangeCruiseMethod(0), kWsCancelled);
    EXPECT_EQ(DumpAll(S()), before);
    EXPECT_EQ(ws->UndoLabel(), "Edit SgCV");
}

TEST_F(WorkspaceTest, MethodSelectionIsSingleChoice) {
    MethodSelectionForm f;
    f.rows.resize(3);
    f.rows[0].cruzMeth = "100";
    f.rows[1].cruzMeth = "STR";
    f.rows[2].cruzMeth = "PNT";
    f.Tick(0);
    f.Tick(2);
    EXPECT_EQ(f.Chosen(), 2);
    EXPECT_EQ(f.selected, (std::vector<bool>{false, false, true}));
    f.Tick(2, false);
    EXPECT_EQ(f.Chosen(), -1);
    EXPECT_FALSE(f.TickMethod("FCM"));
}

TEST_F(WorkspaceTest, ChangeCruiseMethodWithoutMethodTablesSaysSo) {
    OpenSale(wstest::DefaultSale(), 0, false);
    auto before = DumpAll(S());
    EXPECT_EQ(ws->ChangeCruiseMethod(0), kWsRefused);
    EXPECT_EQ(ui.Last()->text, "No cruise methods have been compiled for this stratum.");
    EXPECT_EQ(DumpAll(S()), before);
    EXPECT_EQ(ws->Return(), kWsDone);  // nothing to write back into
}

TEST_F(WorkspaceTest, PlotSizeRefusesNonPositiveValuesAndRecomputesBigBaf) {
    OpenSale();
    ASSERT_EQ(ws->ChangePlotSize(0), kWsRefused);  // STR has no plot size
    PickMethod("PCM");
    ASSERT_EQ(ws->ChangeCruiseMethod(1), kWsDone);
    ASSERT_EQ(ws->SelectStratum(1), kWsDone);
    ASSERT_EQ(ws->Model().strata[1].plotSize, 20);
    ui.Clear();
    PlotSize({"abc", "0", "-5", " 40 "});
    ASSERT_EQ(ws->ChangePlotSize(1), kWsDone);
    std::vector<std::string> warnings = ui.Texts();
    ASSERT_EQ(warnings.size(), 3u);
    for (const std::string& w : warnings)
        EXPECT_EQ(w.substr(w.find(". Enter ")), ". Enter a number greater than 0 and at most 1,000.") << w;
    EXPECT_EQ(ws->Model().strata[1].plotSize, 40);
    EXPECT_EQ(Table(schema::kSVDesignTable).GetDouble(1, "PlotSize"), 40);
    for (const SgRow* g : ws->SelectedGroups())
        EXPECT_EQ(g->bigBaf, std::trunc(SafeDiv(10.0 * g->sgN * 40 * g->treesPlot, g->sgN2)) / 10);
    ExpectTablesMatchModel();
    // Cancel changes nothing.
    auto before = DumpAll(S());
    EXPECT_EQ(ws->ChangePlotSize(1), kWsCancelled);
    EXPECT_EQ(DumpAll(S()), before);
}

TEST_F(WorkspaceTest, PlotSizeDialogLabelsByMethod) {
    ui::ScriptedUi u;
    EXPECT_EQ(PlotSizeForm(u, true, 20).Label(), "Enter New Basal Area Factor");
    PlotSizeForm fixed(u, false, 0.1);
    EXPECT_EQ(fixed.Label(), "Enter New Fixed Plot Size");
    EXPECT_EQ(fixed.value, "0.1");
    EXPECT_EQ(PlotSizeMenuText("FCM"), "Change Fixed Plot Size");
    EXPECT_EQ(PlotSizeMenuText("PCMTRE"), "Change BAF");
    EXPECT_EQ(PlotSizeMenuText("S3P"), "");
}

TEST_F(WorkspaceTest, AddingAUnitRewritesTheRowAndReachesTheUnitTable) {
    OpenSale();
    auto before = DumpAll(S());
    // An existing code is refused, then a new one is added.
    ui.PushFormAs<setup::AddUnitForm>(setup::AddUnitForm::kId, [](setup::AddUnitForm& f) {
        f.SetCode("12");
        f.CodeLeft();
        if (f.AddEnabled()) return false;
        f.SetCode("77");
        f.CodeLeft();
        f.SetArea("");
        if (f.AddUnit()) return false;
        f.SetArea("abc");
        if (f.AddUnit()) return false;
        f.SetArea("25.25");
        f.SetDescription("New unit");
        f.SetLogMethod("420");
        return f.AddEnabled() && f.AddUnit();
    });
    StratumRow old = ws->Model().strata[0];
    ASSERT_EQ(ws->AddUnits(0), kWsDone);
    EXPECT_EQ(ui.Texts(),
              (std::vector<std::string>{
                  "Unit Exists in Unit Table.  Cannot Add the Unit to the Stratum Here.\n\nPlease Return to the "
                  "Setup Strata Section to Add This Unit.",
                  "Must Provide Unit Area in Acres.",
                  "Area: 'abc' is not a number. Enter a number greater than 0 and at most 1,000,000 acres."}));
    const StratumRow& s = ws->Model().strata[0];
    EXPECT_EQ(s.units, "10,11,77");
    EXPECT_DOUBLE_EQ(s.totAcres, 145.2);  // "%7.1f" of 145.25
    double circle = 2 * M_PI * std::sqrt(25.25 * 43560 / M_PI);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%15.1f", old.totCircum + circle);
    EXPECT_EQ(s.totCircum, std::stod(buf));
    std::snprintf(buf, sizeof buf, "%15.1f", s.volAcre * s.totAcres / 1000);
    EXPECT_EQ(s.totalVol, std::stod(buf));
    // Sizes and errors wait for the forester.
    EXPECT_EQ(s.error, old.error);
    EXPECT_EQ(s.strCost, old.strCost);
    mk::View units = Table(schema::kSVUnitsTable);
    ASSERT_EQ(units.GetString(units.RowCount() - 1, "CutUnit"), "77");
    EXPECT_EQ(units.GetDouble(units.RowCount() - 1, "Area"), 25.25);
    EXPECT_EQ(units.GetString(units.RowCount() - 1, "Description"), "New unit");
    ExpectTablesMatchModel();
    ASSERT_EQ(ws->Undo(), kWsDone);
    EXPECT_EQ(DumpAll(S()), before);
}

TEST_F(WorkspaceTest, RemovingAUnitTakesItsAcresAway) {
    OpenSale();
    ui.PushFormAs<setup::RemoveUnitForm>(setup::RemoveUnitForm::kId, [](setup::RemoveUnitForm& f) {
        if (f.Codes() != std::vector<std::string>{"10", "11"}) return false;
        if (f.RemoveUnit()) return false;  // nothing chosen yet
        f.Choose("10");
        return f.RemoveEnabled() && f.RemoveUnit();
    });
    StratumRow old = ws->Model().strata[0];
    ASSERT_EQ(ws->RemoveUnits(0), kWsDone);
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Must Provide a Cutting Unit Code."});
    const StratumRow& s = ws->Model().strata[0];
    EXPECT_EQ(s.units, "11");
    EXPECT_DOUBLE_EQ(s.totAcres, 60);
    EXPECT_LT(s.totCircum, old.totCircum);
    EXPECT_DOUBLE_EQ(s.totalVol, std::trunc(s.volAcre * 60 / 1000 * 10 + 0.5) / 10);
    ExpectTablesMatchModel();
}

TEST_F(WorkspaceTest, RecalculateStrataErrorUsesTheCurrentSizes) {
    OpenSale();
    // A stale error, as a file edited elsewhere may hold.
    Table(schema::kSVDesignSgTable).SetDouble(0, "SgErr", 99);
    ws = std::make_unique<DesignWorkspace>(ui, *store, WorkspaceInputs{0, wstest::kCosts, "01", "10", path});
    ASSERT_EQ(ws->Open(), 0);
    ASSERT_EQ(ws->SelectedGroups()[0]->sgErr, 99);
    ASSERT_EQ(ws->RecalculateStrataError(), kWsDone);
    const SgRow& g = *ws->SelectedGroups()[0];
    EXPECT_EQ(g.sgErr, CorrectedError(SamplingError(g.sgCV, g.sgN), g.sgN, static_cast<int>(g.treesAcre * 120)));
    ExpectTablesMatchModel();
    SaleTotals t = ws->RecalculateSaleError();
    EXPECT_EQ(t.error, SaleErrorAndCost(ws->Model().strata).error);
}

TEST_F(WorkspaceTest, OptimizeKeepsLockedStrataAndUndoes) {
    OpenSale();
    ASSERT_EQ(ws->EditStratumCell(1, "Lock", "1"), kWsDone);
    auto before = DumpAll(S());
    ws->displayDataWarnings = false;
    ws->targetError = "0";
    EXPECT_EQ(ws->OptimizeForError(), kWsRefused);
    EXPECT_EQ(ui.Last()->text, "Enter a value in the edit box\nnext to the Optimize For Error button.");
    EXPECT_EQ(DumpAll(S()), before);
    ws->targetError = "8";
    ASSERT_EQ(ws->OptimizeForError(), kWsDone);
    auto after = DumpAll(S());
    EXPECT_NE(after[schema::kSVDesignSgTable], before[schema::kSVDesignSgTable]);
    EXPECT_EQ(after[schema::kSVDesignTable][1], before[schema::kSVDesignTable][1]);
    ExpectTablesMatchModel();
    EXPECT_EQ(ws->Totals().error, SaleErrorAndCost(ws->Model().strata).error);
    ASSERT_EQ(ws->Undo(), kWsDone);
    EXPECT_EQ(DumpAll(S()), before);
}

TEST_F(WorkspaceTest, LeastCostIsCheaperThanTheRuleKeepsLockedStrataAndUndoes) {
    OpenSale();
    ASSERT_EQ(ws->EditStratumCell(1, "Lock", "1"), kWsDone);
    auto before = DumpAll(S());
    const Design original = ws->Model();
    ws->displayDataWarnings = false;
    ws->targetError = "0";
    EXPECT_EQ(ws->OptimizeAtLeastCost(), kWsRefused);
    EXPECT_EQ(ui.Last()->text, "Enter a value in the edit box\nnext to the Optimize At Least Cost button.");
    EXPECT_EQ(DumpAll(S()), before);
    EXPECT_FALSE(ws->LastLeastCost());

    ws->targetError = "12";
    ASSERT_EQ(ws->OptimizeAtLeastCost(), kWsDone) << ui.Last()->text;
    EXPECT_EQ(ws->UndoLabel(), "Optimize At Least Cost");
    auto after = DumpAll(S());
    EXPECT_NE(after[schema::kSVDesignSgTable], before[schema::kSVDesignSgTable]);
    EXPECT_EQ(after[schema::kSVDesignTable][1], before[schema::kSVDesignTable][1]);
    ExpectTablesMatchModel();
    ASSERT_TRUE(ws->LastLeastCost());
    const CostComparison& c = *ws->LastLeastCost();
    EXPECT_EQ(c.cost, ws->Totals().cost);
    EXPECT_LE(ws->Totals().error, 12.0);
    // The rule's figures are those of Optimize For Error on the design as it was.
    Design rule = original;
    ui::ScriptedUi quiet;
    DesignSettings settings = ws->Settings();
    settings.displayDataWarnings = false;
    SaleTotals ruleTotals;
    ASSERT_EQ(design::OptimizeForError(rule, "12", settings, quiet, &ruleTotals), kOptimized);
    EXPECT_EQ(c.ruleCost, ruleTotals.cost);
    EXPECT_EQ(c.ruleSaleError, ruleTotals.error);
    EXPECT_LE(c.ruleSaleError, 12.0);
    EXPECT_LT(c.cost, c.ruleCost);
    EXPECT_EQ(c.Text().rfind("Least cost: $", 0), 0u) << c.Text();
    EXPECT_NE(c.Text().find(" for 12.0 %; Optimize For Error: $"), std::string::npos) << c.Text();

    ASSERT_EQ(ws->Undo(), kWsDone);
    EXPECT_EQ(DumpAll(S()), before);
    ASSERT_EQ(ws->Redo(), kWsDone);
    EXPECT_EQ(DumpAll(S()), after);
}

TEST(CostComparison, TextGroupsThousandsAndNamesAMissedTarget) {
    CostComparison c;
    c.target = 10;
    c.cost = 7910;
    c.ruleCost = 8790;
    c.ruleSaleError = 9.55;
    EXPECT_EQ(c.Text(), "Least cost: $7,910 for 10.0 %; Optimize For Error: $8,790");
    c.cost = 1234567;
    c.ruleCost = 999;
    c.ruleSaleError = 10.4;
    EXPECT_EQ(c.Text(), "Least cost: $1,234,567 for 10.0 %; Optimize For Error: $999 for 10.4 %");
}

TEST_F(WorkspaceTest, DataWarningsGuardReportsAndKelvane) {
    OpenSale();
    int reports = 0, kelvane = 0;
    // Without the other subsystems the commands say so.
    EXPECT_EQ(ws->MakeReport(), kWsNotAllowed);
    EXPECT_EQ(ui.Last()->text, "Make Report is not available in this version of Strovan.");
    ws->SetReportCommand([&] { return ++reports, 0; });
    ws->SetKelvaneCommand([&] { return ++kelvane, 0; });
    // No "R" mark: no question.
    ui.Clear();
    EXPECT_EQ(ws->MakeReport(), kWsDone);
    EXPECT_TRUE(ui.Messages().empty());
    Table(schema::kSVDesignSgTable).SetString(3, "T", "R");
    ws = std::make_unique<DesignWorkspace>(ui, *store, WorkspaceInputs{0, wstest::kCosts, "01", "10", path});
    ASSERT_EQ(ws->Open(), 0);
    ws->SetReportCommand([&] { return ++reports, 0; });
    ws->SetKelvaneCommand([&] { return ++kelvane, 0; });
    ui.PushQuestionAnswer(false);
    EXPECT_EQ(ws->MakeKelvane(), kWsCancelled);
    EXPECT_EQ(kelvane, 0);
    EXPECT_EQ(ui.Last()->text, DataWarningsText(ws->Model().groups));
    EXPECT_NE(ui.Last()->text.find("Invalid Trees/Acre for Strata 2 "), std::string::npos);
    ui.PushQuestionAnswer(true);
    EXPECT_EQ(ws->MakeKelvane(), kWsDone);
    EXPECT_EQ(kelvane, 1);
    ws->ToggleDataWarnings();
    ui.Clear();
    EXPECT_EQ(ws->MakeReport(), kWsDone);
    EXPECT_EQ(reports, 2);
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(WorkspaceTest, ReturnWritesTheDesignIntoItsMethodRowsOnlyOnce) {
    OpenSale();
    ASSERT_EQ(ws->EditSgCell(0, "SgCV", "66"), kWsDone);
    EXPECT_GT(ws->WriteBackMethods(), 0);
    EXPECT_EQ(ws->WriteBackMethods(), 0);  // nothing changed since
    int r = MethodSgRow("1", "STR", "A");
    EXPECT_EQ(Table(schema::kSVMethodsSgTable).GetDouble(r, "SgCV"), 66);
    EXPECT_EQ(Table(schema::kSVMethodsSgTable).GetString(r, "C"), "B");
    EXPECT_EQ(Table(schema::kSVMethodsTable).GetDouble(MethodRow("1", "STR"), "WtCV"), ws->Model().strata[0].wtCV);
    // Other methods keep their own values.
    EXPECT_NE(Table(schema::kSVMethodsSgTable).GetDouble(MethodSgRow("1", "S3P", "A"), "SgCV"), 66);
    EXPECT_EQ(ws->Return(), kWsDone);
    EXPECT_TRUE(ws->Closed());
    EXPECT_EQ(ws->EditSgCell(0, "SgCV", "1"), kWsRefused);
    // Committed: a fresh read of the file sees the write-back.
    store->Close();
    auto reread = mk::Storage::Open(path);
    ASSERT_TRUE(reread.ok());
    EXPECT_EQ(reread->GetView(schema::kSVMethodsSgTable).GetDouble(r, "SgCV"), 66);
}

TEST_F(WorkspaceTest, UpdateMultipleMethodsCarriesTypedValuesWithinTheFamily) {
    OpenSale();
    ws->ToggleUpdateMultipleMethods();
    ASSERT_EQ(ws->EditSgCell(0, "SgCV", "66"), kWsDone);
    ASSERT_EQ(ws->EditSgCell(0, "Vol/Acre", "5100"), kWsDone);
    ASSERT_EQ(ws->EditSgCell(0, "Description", "Pine"), kWsDone);
    ws->WriteBackMethods();
    mk::View ms = Table(schema::kSVMethodsSgTable);
    for (const char* m : {"100", "S3P"}) {
        int r = MethodSgRow("1", m, "A");
        EXPECT_EQ(ms.GetDouble(r, "SgCV"), 66) << m;
        EXPECT_EQ(ms.GetString(r, "C"), "B") << m;
        EXPECT_EQ(ms.GetDouble(r, "Vol/Acre"), 5100) << m;
        EXPECT_EQ(ms.GetString(r, "Description"), "Pine") << m;
    }
    // A 3P CV is another thing; volume and description still go.
    int r3p = MethodSgRow("1", "3P", "A");
    EXPECT_NE(ms.GetDouble(r3p, "SgCV"), 66);
    EXPECT_EQ(ms.GetString(r3p, "C"), "N");
    EXPECT_EQ(ms.GetDouble(r3p, "Vol/Acre"), 5100);
    // Trees/Acre was not typed: not carried. Other families: untouched.
    EXPECT_NE(ms.GetDouble(MethodSgRow("1", "FIX", "A"), "Vol/Acre"), 5100);
    EXPECT_NE(ms.GetString(MethodSgRow("1", "FIX", "A"), "Description"), "Pine");
    EXPECT_TRUE(SameMethodFamily("PNT", "3PPNT"));
    EXPECT_FALSE(SameMethodFamily("FIX", "PNT"));
    EXPECT_FALSE(CarriesCv("PNT", "PCM"));
    EXPECT_TRUE(CarriesCv("PNT", "3PPNT"));
}

TEST_F(WorkspaceTest, UndoAfterAnySequenceRestoresTheFileTablesExactly) {
    OpenSale();
    auto original = DumpAll(S());
    ws->displayDataWarnings = false;
    ASSERT_EQ(ws->EditSgCell(1, "SgErr", "12"), kWsDone);
    PickMethod("PCM");
    ASSERT_EQ(ws->ChangeCruiseMethod(1), kWsDone);
    PlotSize({"30"});
    ASSERT_EQ(ws->ChangePlotSize(1), kWsDone);
    ui.PushFormAs<setup::AddUnitForm>(setup::AddUnitForm::kId, [](setup::AddUnitForm& f) {
        f.SetCode("90");
        f.SetArea("12");
        return f.AddUnit();
    });
    ASSERT_EQ(ws->AddUnits(2), kWsDone);
    ASSERT_EQ(ws->OptimizeForError(), kWsDone);
    ASSERT_EQ(ws->EditStratumCell(0, "Lock", "1"), kWsDone);
    auto end = DumpAll(S());
    int steps = 0;
    while (ws->CanUndo()) {
        ASSERT_EQ(ws->Undo(), kWsDone);
        ++steps;
    }
    EXPECT_EQ(steps, 6);
    EXPECT_EQ(DumpAll(S()), original);
    ExpectTablesMatchModel();
    while (ws->CanRedo()) ASSERT_EQ(ws->Redo(), kWsDone);
    EXPECT_EQ(DumpAll(S()), end);
    ExpectTablesMatchModel();
    EXPECT_EQ(ws->Totals().cost, SaleErrorAndCost(ws->Model().strata).cost);
    // A new change after an undo drops what could be redone.
    ASSERT_EQ(ws->Undo(), kWsDone);
    ASSERT_EQ(ws->EditSgCell(0, "SgCV", "30"), kWsDone);
    EXPECT_FALSE(ws->CanRedo());
}

TEST_F(WorkspaceTest, AGroupOfEditsIsOneStepOfUndoOrIsTakenBackWhole) {
    OpenSale();
    auto original = DumpAll(S());
    ASSERT_EQ(ws->EditSgCell(0, "SgCV", "44"), kWsDone);
    auto before = DumpAll(S());
    ws->BeginUndoGroup("Paste");
    ASSERT_EQ(ws->EditSgCell(0, "SgCV", "31"), kWsDone);
    ASSERT_EQ(ws->EditSgCell(1, "SgCV", "62"), kWsDone);
    ASSERT_EQ(ws->EditStratumCell(0, "Description", "pasted"), kWsDone);
    ws->EndUndoGroup();
    auto pasted = DumpAll(S());
    EXPECT_EQ(ws->UndoLabel(), "Paste");
    ASSERT_EQ(ws->Undo(), kWsDone);
    EXPECT_EQ(DumpAll(S()), before);
    ExpectTablesMatchModel();
    EXPECT_EQ(ws->UndoLabel(), "Edit SgCV");  // the edit before the group
    ASSERT_EQ(ws->Redo(), kWsDone);
    EXPECT_EQ(DumpAll(S()), pasted);

    // Ended without keeping: back to where it began, with nothing new to undo or redo.
    ws->BeginUndoGroup("Paste");
    ASSERT_EQ(ws->EditSgCell(1, "SgCV", "90"), kWsDone);
    ws->EndUndoGroup(false);
    EXPECT_EQ(DumpAll(S()), pasted);
    ExpectTablesMatchModel();
    EXPECT_EQ(ws->UndoLabel(), "Paste");
    EXPECT_FALSE(ws->CanRedo());
    // A group that changed nothing leaves no step.
    ws->BeginUndoGroup("Paste");
    ws->EndUndoGroup();
    while (ws->CanUndo()) ASSERT_EQ(ws->Undo(), kWsDone);
    EXPECT_EQ(DumpAll(S()), original);
}

TEST_F(WorkspaceTest, MenuCommandsOfTheForm) {
    OpenSale();
    ws->PrintTable();
    EXPECT_EQ(ui.Last()->text, "Option under construction.");
    EXPECT_EQ(ui.Last()->title, "Information");
    ws->Help();
    EXPECT_EQ(ui.Last()->kind, "help");
    EXPECT_EQ(ui.Last()->text, "7");
    EXPECT_TRUE(ws->hints);
    ws->ToggleHints();
    EXPECT_FALSE(ws->hints);
    EXPECT_TRUE(ws->displayDataWarnings);
    EXPECT_FALSE(ws->updateMultipleMethods);
    ws->Exit();
    EXPECT_TRUE(ws->Closed());
    EXPECT_EQ(ws->Return(), kWsRefused);
}

TEST_F(WorkspaceTest, TradeoffCurveLeavesTheDesignAlone) {
    OpenSale();
    auto before = DumpAll(S());
    Design copy = ws->Model();
    std::vector<TradeoffPoint> curve = ws->TradeoffCurve();
    ASSERT_EQ(curve.size(), 29u);
    EXPECT_EQ(curve.front().target, 2);
    EXPECT_EQ(curve.back().target, 30);
    EXPECT_EQ(DumpAll(S()), before);
    EXPECT_TRUE(ui.Messages().empty());
    // Each point is what Optimize For Error makes of the design at that target.
    ui::ScriptedUi quiet;
    DesignSettings settings = ws->Settings();
    settings.displayDataWarnings = false;
    SaleTotals at10;
    ASSERT_EQ(design::OptimizeForError(copy, "10", settings, quiet, &at10), kOptimized);
    EXPECT_EQ(curve[8].target, 10);
    EXPECT_EQ(curve[8].saleError, at10.error);
    EXPECT_EQ(curve[8].cost, at10.cost);
    // Less precision never costs more.
    EXPECT_GT(curve.front().cost, curve.back().cost);
    EXPECT_LT(curve.front().saleError, curve.back().saleError);

    // The least-cost curve meets every target, never above the rule where the rule meets it.
    std::vector<TradeoffPoint> least = ws->LeastCostCurve();
    ASSERT_EQ(least.size(), 29u);
    for (std::size_t i = 0; i < least.size(); ++i) {
        EXPECT_EQ(least[i].target, curve[i].target);
        EXPECT_LE(least[i].saleError, least[i].target);
        if (curve[i].saleError <= curve[i].target) EXPECT_LE(least[i].cost, curve[i].cost) << least[i].target;
        if (i > 0) EXPECT_LE(least[i].cost, least[i - 1].cost);
    }
    EXPECT_EQ(DumpAll(S()), before);
}

}  // namespace

#include "app/step_hooks.h"

namespace {

TEST(DesignStep, TheMainWindowHookRunsTheFormOnTheOpenStore) {
    wstest::TempDir dir;
    std::string path = dir.Path("hook.crz");
    wstest::WriteSale(path, wstest::DefaultSale());
    ui::ScriptedUi ui;
    store::CCruiseStore store(ui);
    ASSERT_EQ(store.Open(path), 0);
    std::string title;
    ui.PushFormAs<DesignForm>(kDesignFormId, [&title](DesignForm& f) {
        title = f.Title();
        DesignWorkspace& ws = f.Workspace();
        if (ws.EditSgCell(0, "SgCV", "44") != kWsDone) return false;
        return ws.Return() == kWsDone;
    });
    app::DesignFormInputs in;
    in.uom = "01";
    in.path = path;
    in.costs = wstest::kCosts;
    ASSERT_TRUE(app::Hooks().design_form);
    EXPECT_EQ(app::Hooks().design_form(ui, store, in), 0);
    EXPECT_EQ(ui.PendingForms(kDesignFormId), 0u);
    EXPECT_EQ(title, "Strovan Form     " + path);
    mk::View ms = store.Storage()->GetView(schema::kSVMethodsSgTable);
    bool found = false;
    for (int r = 0; r < ms.RowCount(); ++r)
        if (ms.GetString(r, "Stratum") == "1" && ms.GetString(r, "CruzMeth") == "STR" && ms.GetString(r, "SgCode") == "A") {
            EXPECT_EQ(ms.GetDouble(r, "SgCV"), 44);
            found = true;
        }
    EXPECT_TRUE(found);
    store.Close();
}

// Every editable cell of the design form, under every method, against the catalogue of
// bad inputs: each is refused with its rule's words, and neither the model nor a
// table changes.
TEST_F(WorkspaceTest, EveryCellRefusesTheBadInputsOfItsRuleAndNothingChanges) {
    OpenSale();
    std::set<std::string> tried;
    for (const std::string& m : schema::MethodOrder()) {
        PickMethod(m);
        ASSERT_EQ(ws->ChangeCruiseMethod(1), kWsDone) << m;
        ASSERT_EQ(ws->SelectStratum(1), kWsDone);
        const auto before = DumpAll(S());
        const std::vector<SgRow> groups = ws->Model().groups;
        const bool undo = ws->CanUndo();
        for (const std::string& col : SgGridColumns()) {
            if (!SgColumnShown(m, col) || SgColumnReadOnly(m, col)) continue;
            const store::ValueRule* rule = store::RuleFor(schema::kSVDesignSgTable, col);
            ASSERT_NE(rule, nullptr) << col;
            tried.insert(col);
            for (const std::string& bad : testsupport::BadInputs(*rule)) {
                EXPECT_EQ(ws->CheckSgCell(1, col, bad), store::Refusal(*rule, bad));
                EXPECT_EQ(ws->EditSgCell(1, col, bad), kWsRefused) << m << " " << col << " '" << bad << "'";
                EXPECT_EQ(ws->Refusal(), store::Refusal(*rule, bad));
                EXPECT_EQ(ws->Refusal().rfind(rule->name, 0), 0u) << ws->Refusal();
            }
        }
        EXPECT_EQ(DumpAll(S()), before) << m;
        ASSERT_EQ(ws->Model().groups.size(), groups.size());
        for (std::size_t i = 0; i < groups.size(); ++i) EXPECT_TRUE(SameSg(ws->Model().groups[i], groups[i])) << m;
        EXPECT_EQ(ws->CanUndo(), undo);
    }
    EXPECT_EQ(tried.size(), 13u);  // every column but the two keys
    // The stratum row's two cells.
    const auto before = DumpAll(S());
    for (const char* col : {"Description", "Lock"}) {
        const store::ValueRule& rule = *store::RuleFor(schema::kSVDesignTable, col);
        for (const std::string& bad : testsupport::BadInputs(rule)) {
            EXPECT_EQ(ws->EditStratumCell(0, col, bad), kWsRefused) << col << " '" << bad << "'";
            EXPECT_EQ(ws->Refusal(), store::Refusal(rule, bad));
        }
    }
    EXPECT_EQ(DumpAll(S()), before);
    // A value the rule takes is taken, trimmed and whole.
    ASSERT_EQ(ws->EditSgCell(0, "SgN", " 1e2 "), kWsDone);
    EXPECT_EQ(ws->SelectedGroups()[0]->sgN, 100);
    EXPECT_EQ(ws->Refusal(), "");
}

// After a change of method every error is the one its sizes give, not the value the
// method's rows were sized for.
TEST_F(WorkspaceTest, AChangeOfMethodShowsTheErrorsTheSizesGive) {
    OpenSale();
    mk::View ms = Table(schema::kSVMethodsSgTable);
    for (const char* sg : {"A", "B"}) ms.SetDouble(MethodSgRow("1", "S3P", sg), "SgErr", 40);
    PickMethod("S3P");
    ASSERT_EQ(ws->ChangeCruiseMethod(0), kWsDone);
    for (const SgRow* g : ws->GroupsOfStratum(0)) {
        EXPECT_NE(g->sgErr, 40);
        EXPECT_EQ(g->sgErr, TwoStageError(g->sgCV, g->sgCV2, g->sgN, g->sgN2)) << g->sgCode;
    }
    ExpectTablesMatchModel();
}

// A group without its sample size (an older file) has no error, and neither has its
// stratum nor the sale, until the size is there.
TEST_F(WorkspaceTest, AGroupWithoutASampleSizeMakesTheSaleErrorNotComputable) {
    wstest::WriteSale(path, wstest::DefaultSale());
    {
        auto s = mk::Storage::Open(path, mk::OpenMode::ReadWrite);
        ASSERT_TRUE(s.ok());
        mk::View g = s->GetView(schema::kSVDesignSgTable);
        for (int r = 0; r < g.RowCount(); ++r)
            if (g.GetString(r, "Stratum") == "2") g.SetInt(r, "SgN", 0);
        ASSERT_TRUE(s->Commit().ok());
    }
    store = std::make_unique<store::CCruiseStore>(ui);
    ASSERT_EQ(store->Open(path), 0);
    WorkspaceInputs in;
    in.costs = wstest::kCosts;
    in.path = path;
    ws = std::make_unique<DesignWorkspace>(ui, *store, in);
    ASSERT_EQ(ws->Open(), 0);
    EXPECT_EQ(ws->Totals().uncomputable, std::vector<std::string>{"2"});
    EXPECT_EQ(ws->SaleErrorText(), "not computable");
    EXPECT_NE(ws->UncomputableText().find("stratum 2 has a sample group without a sample size"), std::string::npos)
        << ws->UncomputableText();
    EXPECT_EQ(StratumCellText(ws->Model().strata[1], "Error"), kNoError);
    EXPECT_NE(StratumCellText(ws->Model().strata[0], "Error"), kNoError);
    ASSERT_EQ(ws->SelectStratum(1), kWsDone);
    EXPECT_EQ(SgCellText(*ws->SelectedGroups()[0], "SgErr", "PNT"), kNoError);
    // Refused sizes keep it so; a size makes the stratum whole again (the plots are shared).
    EXPECT_EQ(ws->EditSgCell(0, "SgN", "0"), kWsRefused);
    EXPECT_EQ(ws->SaleErrorText(), "not computable");
    ASSERT_EQ(ws->EditSgCell(0, "SgN", "30"), kWsDone);
    EXPECT_TRUE(ws->Totals().ErrorComputable());
    EXPECT_NE(ws->SaleErrorText(), "not computable");
    EXPECT_EQ(ws->UncomputableText(), "");
    EXPECT_GT(ws->Model().strata[1].error, 0);
}

TEST_F(WorkspaceTest, MissingCostsAreNamedAndANoCostSaleIsNotSet) {
    OpenSale();
    EXPECT_EQ(ws->CostWarning(), "");
    EXPECT_NE(ws->CostText(), "not set");
    // No tally rate: the STR and S3P strata leave out the tallied trees.
    CostFigures noTally = wstest::kCosts;
    noTally.tally = 0;
    EXPECT_EQ(CostWarning(ws->Model().strata, noTally),
              "Warning:  The estimated costs are incomplete.\nThe cost per tallied tree (tree crew cost and trees "
              "tallied per hour) is 0 or not set; the costs of strata 1, 3 leave it out.\nEnter the missing values "
              "under Setup Relative Cruising Costs.");
    EXPECT_EQ(CostWarning(ws->Model().strata, CostFigures{}), "");  // nothing set: the cost says so
    EXPECT_EQ(FormatSaleCost(0), "not set");
    EXPECT_EQ(FormatSaleCost(1234.5), "         1234.5");

    // New costs reach the stored design at once.
    CostFigures dear = wstest::kCosts;
    dear.measure *= 3;
    ws.reset();
    EXPECT_GT(RecostDesignTables(S(), dear), 0);
    mk::View d = Table(schema::kSVDesignTable);
    StratumColumns dc = StratumColumns::Of(d);
    for (int r = 0; r < d.RowCount(); ++r)
        EXPECT_EQ(d.GetDouble(r, "StrCost"), Trunc1(StratumCost(ReadStratum(d, dc, r), dear))) << r;
    EXPECT_EQ(RecostDesignTables(S(), dear), 0);  // the same costs change nothing
}

}  // namespace
