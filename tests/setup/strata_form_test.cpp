// The strata and sample-group commands as the forms run them on a cruise file, with
// the dialogs played by a script.
#include <gtest/gtest.h>

#include "setup/setup_session.h"
#include "setup/setup_tables.h"
#include "setup/strata_definition.h"
#include "setup/strata_forms.h"
#include "setup/strata_rows.h"
#include "setup/units_editor.h"
#include "store/schema.h"
#include "setup_test_util.h"
#include "store/cruise_store.h"
#include "ui/scripted_ui.h"

using namespace setuptest;
using namespace setup;

namespace {

class StrataFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.Path("sale.crz");
        MakeCruise(path,
                   {{"1", "10", "1", "1", "122", "01", "L"},
                    {"1", "10", "1", "2", "202", "01", "L"},
                    {"1", "10", "2", "1", "202", "02", "L"},
                    {"1", "9", "1", "1", "122", "01", "L"},
                    {"1", "9", "1", "2", "122", "01", "D"}},
                   {{"10", 10.0, "ten", "H"}, {"9", 40.0, "nine", "T"}}, {{"1", "PNT"}});
        ASSERT_EQ(store.Open(path), 0);
        PrepareWorkTables(*store.Storage(), ui, PrepareVariant::Form);
        ASSERT_EQ(store.Commit(), 0);
    }
    std::vector<std::string> Summary() {
        return Rows(path, "SVSummaryTable", {"CutUnit", "Species", "Prod", "LD", "Stratum", "SgTree", "DiaFlag", "DMin"});
    }
    TempDir dir;
    std::string path;
    ui::ScriptedUi ui;
    store::CCruiseStore store{ui};
};

TEST_F(StrataFormTest, QuickStrataThenQuickSgThroughThePopulationsForm) {
    ui.PushFormAs<QuickStrataForm>(QuickStrataForm::kId, [](QuickStrataForm& d) {
        EXPECT_EQ(d.Title(), "Quick Strata Setup Form");
        d.keys.unit = true;
        return true;
    });
    ui.PushFormAs<QuickSgForm>(QuickSgForm::kId, [](QuickSgForm& d) {
        d.tree.species = true;
        d.plot.prod = true;
        d.choice = QuickSgForm::Choice::AllStrata;
        return true;
    });
    ui.PushFormAs<PopulationsForm>(PopulationsForm::kId, [](PopulationsForm& f) {
        EXPECT_TRUE(f.MenuCommand("Quick Strata Setup", 0, 0));
        EXPECT_TRUE(f.MenuCommand("Quick SG Setup", 0, 0));
        return true;
    });
    // Products 01 and 02 of unit 10 are in different plot groups, but one tree group
    // of 202 holds both: OK refuses, the script then cancels.
    ui.PushFormAs<PopulationsForm>(PopulationsForm::kId, [this](PopulationsForm& f) {
        EXPECT_NE(ui.Texts().back().find("Sample Group 'B'"), std::string::npos);
        EXPECT_EQ(f.Grid().View().GetString(2, "SgTree"), "B");
        return false;
    });
    EXPECT_FALSE(RunPopulations(ui, store, "SVSummaryTable", true));
    // Cancel takes back what the commands did; the strata table agrees as before.
    EXPECT_EQ(Summary(), (std::vector<std::string>{"10|122|01|L||||", "10|202|01|L||||", "10|202|02|L||||",
                                                   "9|122|01|D||||", "9|122|01|L||||"}));
    EXPECT_TRUE(Rows(path, "SVStrataTable", {"Stratum"}).empty());
}

TEST_F(StrataFormTest, EmptyRangeListInApplyToAllRowsChangesNothing) {
    ui.PushFormAs<QuickStrataForm>(QuickStrataForm::kId, [](QuickStrataForm& d) {
        d.choice = QuickStrataForm::Choice::DiameterRanges;
        return true;
    });
    ui.PushFormAs<DiameterRangesForm>(DiameterRangesForm::kId, [](DiameterRangesForm& d) {
        d.SetRanges({{"", ""}, {" ", ""}});
        d.scope = RangeScope::AllRows;
        return true;
    });
    PopulationsForm form(ui, store, "SVSummaryTable", true);
    form.Grid().SetText(0, "Stratum", "5");
    ASSERT_EQ(store.Commit(), 0);
    const auto before = Summary();
    form.QuickStrata(0);
    EXPECT_EQ(ui.Texts().back(), "No diameter ranges defined.");
    EXPECT_EQ(Summary(), before);
}

TEST_F(StrataFormTest, CancelledRangesDialogKeepsTheRangesItHeld) {
    auto ranges_dialog = [this](const char* dmax, bool ok) {
        ui.PushFormAs<QuickStrataForm>(QuickStrataForm::kId, [](QuickStrataForm& d) {
            d.choice = QuickStrataForm::Choice::DiameterRanges;
            return true;
        });
        ui.PushFormAs<DiameterRangesForm>(DiameterRangesForm::kId, [dmax, ok](DiameterRangesForm& d) {
            d.SetRanges({{"0", dmax}});
            d.scope = RangeScope::AllRows;
            return ok;
        });
    };
    PopulationsForm form(ui, store, "SVSummaryTable", true);
    ranges_dialog("11.9", true);
    form.QuickStrata(0);
    ranges_dialog("55", false);
    form.QuickStrata(0);
    mk::View kept = store.Storage()->GetView("SVStrDiamTable");
    ASSERT_EQ(kept.RowCount(), 1);
    EXPECT_EQ(kept.GetString(0, "DMax"), "11.9");
}

TEST_F(StrataFormTest, DiameterClassesByStratumAndDeleteBringsBackOneRowEach) {
    ui.PushFormAs<QuickStrataForm>(QuickStrataForm::kId, [](QuickStrataForm& d) {
        d.choice = QuickStrataForm::Choice::DiameterRanges;
        return true;
    });
    ui.PushFormAs<DiameterRangesForm>(DiameterRangesForm::kId, [](DiameterRangesForm& d) {
        EXPECT_EQ(d.Title(), "Setup Diameter Ranges");
        d.SetRanges({{"0", "11.9"}, {"12", "99"}});
        d.scope = RangeScope::AllRows;
        return true;
    });
    ui.PushFormAs<QuickStrataForm>(QuickStrataForm::kId, [](QuickStrataForm& d) {
        d.keys.unit = true;
        return true;
    });
    ui.PushFormAs<TwoChoiceForm>(TwoChoiceForm::kId, [](TwoChoiceForm& d) {
        EXPECT_EQ(d.Title(), "Delete Strata");
        EXPECT_EQ(d.first_text, "Delete This Stratum");
        return true;  // the first button
    });
    PopulationsForm form(ui, store, "SVSummaryTable", true);
    form.QuickStrata(0);
    EXPECT_EQ(form.Grid().RowCount(), 10);
    form.QuickStrata(0);
    EXPECT_EQ(Summary()[0], "10|122|01|L|1||Str1|0.0");
    EXPECT_EQ(Summary()[1], "10|122|01|L|1||Str|12.0");
    form.DeleteStrata(0);
    EXPECT_EQ(Summary(), (std::vector<std::string>{"10|122|01|L||||", "10|202|01|L||||", "10|202|02|L||||",
                                                   "9|122|01|D|2||Str1|0.0", "9|122|01|D|2||Str|12.0",
                                                   "9|122|01|L|2||Str1|0.0", "9|122|01|L|2||Str|12.0"}));
    EXPECT_TRUE(form.Accept());
    // The strata summary takes the class of the first row of the smallest flag.
    EXPECT_EQ(Rows(path, "SVStrataTable", {"Stratum", "DClassMin", "DClassMax"}),
              (std::vector<std::string>{"2|12.0|99.0"}));
}

TEST_F(StrataFormTest, DefineModifyCancelAndDeleteInTheStrataForm) {
    ui.PushFormAs<PopulationsForm>(PopulationsForm::kId, [](PopulationsForm& f) {
        EXPECT_FALSE(f.OnSummary());
        EXPECT_FALSE(f.HelpShown());
        // Whole-sale commands leave one stratum's items alone.
        f.DeleteSampleGroups(0);
        EXPECT_EQ(static_cast<ui::ScriptedUi&>(f.Ui()).Texts().back(),
                  "This command works on the whole sale's summary table only.");
        // Code the stratum's items in the SG grid: one tree group per product.
        for (int r = 0; r < f.Grid().RowCount(); ++r) {
            const char* code = f.Grid().View().GetString(r, "Prod") == "01" ? "A" : "B";
            f.Grid().SetText(r, "SgTree", code);
            f.Grid().SetText(r, "SgPlot", code);
        }
        return true;
    });
    ui.PushFormAs<PopulationsForm>(PopulationsForm::kId, [](PopulationsForm& f) {
        EXPECT_EQ(f.Grid().RowCount(), 3);
        f.Grid().SetText(0, "SgTree", "Z");
        return false;  // Cancel of Modify
    });
    ui.PushFormAs<StrataForm>(StrataForm::kId, [this](StrataForm& f) {
        EXPECT_EQ(f.Title(), "Define Strata and Sample Groups");
        EXPECT_EQ(f.code, "1");
        f.PickUnit(0, true);  // unit 10
        EXPECT_EQ(f.Items().RowCount(), 3);
        EXPECT_FALSE(f.DefineSampleGroups());
        EXPECT_EQ(ui.Texts().back(), "No Information Selected.");
        for (int r = 0; r < f.Items().RowCount(); ++r) f.PickItem(r, true);
        f.description = "west";
        EXPECT_TRUE(f.DefineSampleGroups());
        EXPECT_EQ(f.code, "2");
        EXPECT_EQ(f.description, "");
        EXPECT_EQ(f.Strata().RowCount(), 1);
        // The same code again is refused.
        f.code = "1";
        f.PickUnit(1, true);
        EXPECT_FALSE(f.DefineSampleGroups());
        EXPECT_EQ(ui.Texts().back(), "Stratum Number Already Defined.");
        // Modify, then Cancel: the stratum stays as it was.
        EXPECT_FALSE(f.ModifyStrata(0));
        EXPECT_EQ(f.Strata().RowCount(), 1);
        return false;
    });
    EXPECT_EQ(RunStrataDefinition(ui, store, "1"), 0);
    EXPECT_EQ(Summary(), (std::vector<std::string>{"10|122|01|L|1|A||", "10|202|01|L|1|A||", "10|202|02|L|1|B||",
                                                   "9|122|01|D||||", "9|122|01|L||||"}));
    EXPECT_EQ(Rows(path, "SVStrataTable", {"Stratum", "Description", "Units", "TotAcres", "SG_Tree", "Modified"}),
              (std::vector<std::string>{"1|west|10|           10.0|A , B|Y"}));
    EXPECT_FALSE(HasTable(path, "SVFillSGTable"));

    ui.PushFormAs<PopulationsForm>(PopulationsForm::kId, [](PopulationsForm& f) {
        f.Grid().SetText(2, "SgTree", "C");
        return true;  // OK of Modify
    });
    ui.PushFormAs<StrataForm>(StrataForm::kId, [](StrataForm& f) {
        EXPECT_TRUE(f.ModifyStrata(0));
        EXPECT_EQ(f.Strata().RowCount(), 1);
        f.DeleteAllStrata();
        EXPECT_EQ(f.code, "1");
        return false;
    });
    ui.PushFormAs<PopulationsForm>(PopulationsForm::kId, [](PopulationsForm& f) {
        for (int r = 0; r < f.Grid().RowCount(); ++r) {
            f.Grid().SetText(r, "SgTree", f.Grid().View().GetString(r, "Prod"));
            f.Grid().SetText(r, "SgPlot", f.Grid().View().GetString(r, "Prod"));
        }
        return true;
    });
    ui.PushFormAs<StrataForm>(StrataForm::kId, [](StrataForm& f) {
        EXPECT_TRUE(f.PickUnits({"10"}));
        for (int r = 0; r < f.Items().RowCount(); ++r) f.PickItem(r, true);
        EXPECT_TRUE(f.DefineSampleGroups());
        f.DeleteStrata(0);
        return false;
    });
    EXPECT_EQ(RunStrataDefinition(ui, store, "1"), 0);
    EXPECT_EQ(Rows(path, "SVStrataTable", {"Stratum"}).size(), 0u);
    for (const auto& s : Column(path, "SVSummaryTable", "Stratum")) EXPECT_EQ(s, "");
}

TEST_F(StrataFormTest, StrataFormTakesThePieceOfTheItemsRangeAndModifyKeepsPieces) {
    // Every row split in two classes, none in a stratum yet.
    {
        RowSet rs(*store.Storage()->GetAs(schema::kSVSummaryTableDesc));
        int current = 0;
        std::vector<DiameterRange> ranges;
        std::string error;
        ASSERT_TRUE(ParseRangeList("0-11.9,12-99", ranges, error));
        ASSERT_TRUE(ApplyStrataRanges(ui, rs.rows, current, RangeScope::AllRows, ranges));
        mk::View v = *store.Storage()->GetAs(schema::kSVSummaryTableDesc);
        rs.Store(v);
    }
    auto coded = [](PopulationsForm& f) {
        for (int r = 0; r < f.Grid().RowCount(); ++r) {
            f.Grid().SetText(r, "SgTree", f.Grid().View().GetString(r, "Prod"));
            f.Grid().SetText(r, "SgPlot", f.Grid().View().GetString(r, "Prod"));
        }
        return true;
    };
    ui.PushFormAs<PopulationsForm>(PopulationsForm::kId, coded);
    ui.PushFormAs<PopulationsForm>(PopulationsForm::kId, coded);
    ui.PushFormAs<StrataForm>(StrataForm::kId, [](StrataForm& f) {
        EXPECT_TRUE(f.PickUnits({"9"}));
        // Items: 122/01/D and 122/01/L, each in two classes.
        EXPECT_EQ(f.Items().RowCount(), 4);
        for (int r = 0; r < f.Items().RowCount(); ++r)
            if (f.Items().View().GetString(r, "DMin") == "12.0") f.PickItem(r, true);
        EXPECT_TRUE(f.DefineSampleGroups());
        EXPECT_TRUE(f.ModifyStrata(0));
        return false;
    });
    RunStrataDefinition(ui, store, "1");
    auto rows = Rows(path, "SVSummaryTable", {"CutUnit", "LD", "Stratum", "DiaFlag", "DMin", "DMax"});
    // The 12-99 pieces went into stratum 1, the 0-11.9 pieces stayed free; no extra
    // unranged copy was made, before or after Modify.
    EXPECT_EQ(std::vector<std::string>(rows.begin() + 6, rows.end()),
              (std::vector<std::string>{"9|D||Str1|0.0|11.9", "9|D|1|Str|12.0|99.0", "9|L||Str1|0.0|11.9",
                                        "9|L|1|Str|12.0|99.0"}));
    EXPECT_EQ(Rows(path, "SVStrataTable", {"Stratum", "DClassMin", "DClassMax", "SG_Tree"}),
              (std::vector<std::string>{"1|12.0|99.0|01"}));
}

TEST_F(StrataFormTest, EditingTheReconStrataMarksEveryStratumForRecompilation) {
    mk::View summary = *store.Storage()->GetAs(schema::kSVSummaryTableDesc);
    summary.SetString(0, "Stratum", "1");
    RebuildStrataSummary(*store.Storage());
    mk::View strata = *store.Storage()->GetAs(schema::kSVStrataTableDesc);
    strata.SetString(0, "Modified", "N");
    ui.PushFormAs<EditDataForm>(EditDataForm::kId, [](EditDataForm& f) {
        EXPECT_EQ(f.Grid().Table(), "StratumTable");
        EXPECT_TRUE(f.Grid().SetText(0, "CruzMeth", "FIX"));
        return true;
    });
    ShowReconStrataTable(ui, *store.Storage());
    EXPECT_EQ(strata.GetString(0, "Modified"), "Y");
    // The mark outlives the next rebuild.
    RebuildStrataSummary(*store.Storage());
    EXPECT_EQ(store.Storage()->GetAs(schema::kSVStrataTableDesc)->GetString(0, "Modified"), "Y");
    EXPECT_EQ(store.Storage()->GetView("StratumTable").GetString(0, "CruzMeth"), "FIX");
}

TEST_F(StrataFormTest, DeleteRowOfAFirstPiecePromotesTheNextPieceOfItsSplit) {
    ui.PushFormAs<QuickStrataForm>(QuickStrataForm::kId, [](QuickStrataForm& d) {
        d.choice = QuickStrataForm::Choice::DiameterRanges;
        return true;
    });
    ui.PushFormAs<DiameterRangesForm>(DiameterRangesForm::kId, [](DiameterRangesForm& d) {
        d.SetRanges({{"0", "9.9"}, {"10", "19.9"}, {"20", "99"}});
        d.scope = RangeScope::SelectedRow;
        return true;
    });
    PopulationsForm form(ui, store, "SVSummaryTable", true);
    form.QuickStrata(1);
    ASSERT_EQ(form.Grid().RowCount(), 7);
    form.DeleteRow(1);
    store.Commit();
    auto flags = Rows(path, "SVSummaryTable", {"Species", "Prod", "DiaFlag", "DMin"});
    EXPECT_EQ(std::vector<std::string>(flags.begin(), flags.begin() + 4),
              (std::vector<std::string>{"122|01||", "202|01|Str1|10.0", "202|01|Str|20.0", "202|02||"}));
}

TEST_F(StrataFormTest, BlankPickedUnitIsUnpickedWithAMessage) {
    mk::View units = *store.Storage()->GetAs("SVUnitsTable[Select:S,CutUnit:S,Area:D]");
    units.SetString(units.AddRow(), "CutUnit", " ");
    ui.PushFormAs<StrataForm>(StrataForm::kId, [](StrataForm& f) {
        f.PickUnit(2, true);
        EXPECT_EQ(f.Units().View().GetString(2, "Select"), "0");
        EXPECT_EQ(f.Items().RowCount(), 0);
        return false;
    });
    RunStrataDefinition(ui, store, "1");
    EXPECT_EQ(ui.Texts().back(), "Unit Number (CutUnit) cannot be blank.");
}

}  // namespace

TEST_F(StrataFormTest, StrataGridAddsAndRemovesAUnitOfAStratum) {
    ui.PushFormAs<AddUnitForm>(AddUnitForm::kId, [](AddUnitForm& f) {
        f.SetCode("11");
        f.CodeLeft();
        f.SetArea("20");
        return f.AddUnit();
    });
    ui.PushFormAs<RemoveUnitForm>(RemoveUnitForm::kId, [](RemoveUnitForm& f) {
        f.Choose("10");
        return f.RemoveUnit();
    });
    ui.PushFormAs<StrataForm>(StrataForm::kId, [](StrataForm& f) {
        f.code = "5";
        EXPECT_TRUE(f.PickUnits({"10"}));
        for (int r = 0; r < f.Items().RowCount(); ++r) f.PickItem(r, true);
        EXPECT_TRUE(f.DefineSampleGroups(false));
        EXPECT_FALSE(f.AddUnit(-1));  // no row: nothing asked
        mk::View& strata = f.Strata().View();
        int row = -1;
        for (int r = 0; r < strata.RowCount(); ++r)
            if (strata.GetString(r, "Stratum") == "5") row = r;
        EXPECT_GE(row, 0);
        if (row < 0) return false;
        EXPECT_TRUE(f.AddUnit(row));
        EXPECT_EQ(strata.GetString(row, "Units"), "10,11");
        EXPECT_EQ(strata.GetString(row, "TotAcres"), "           30.0");
        EXPECT_TRUE(f.RemoveUnit(row));
        EXPECT_EQ(strata.GetString(row, "Units"), "11");
        EXPECT_EQ(strata.GetString(row, "TotAcres"), "           20.0");
        EXPECT_EQ(strata.GetString(row, "Modified"), "Y");
        return true;
    });
    EXPECT_EQ(RunStrataDefinition(ui, store, "1"), 0);
    ASSERT_EQ(store.Commit(), 0);  // the setup commits when its dialog closes
    // The removed unit's rows belong to no stratum any more.
    auto rows = Rows(path, "SVSummaryTable", {"CutUnit", "Stratum"});
    for (const auto& r : rows)
        if (r.rfind("10|", 0) == 0) EXPECT_EQ(r, "10|");
}
