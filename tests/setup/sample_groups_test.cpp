// Sample-group letters, Quick SG, sample-group diameter ranges, their removal,
// Delete Sample Groups and sorting, on summary rows held in memory.
#include <gtest/gtest.h>

#include "setup/sample_groups_ops.h"
#include "sum_rows_util.h"
#include "ui/scripted_ui.h"

namespace {

using namespace setup;

using setuptest::Col;
using setuptest::Ranges;

// Rows here are told apart by stratum first.
SumRow Row(const std::string& stratum, const std::string& sp, const std::string& prod = "01",
           const std::string& ld = "L", const std::string& unit = "1") {
    return setuptest::Row(unit, sp, prod, ld, stratum);
}

TEST(SampleGroupLetters, TwentyFourLettersWithoutIAndOAndTheFirstGap) {
    const auto& l = SampleGroupLetters();
    ASSERT_EQ(l.size(), 24u);
    EXPECT_EQ(l.front(), "A");
    EXPECT_EQ(l.back(), "Z");
    for (const auto& x : l) EXPECT_TRUE(x != "I" && x != "O");
    EXPECT_EQ(NextFreeLetter({"A", "C"}), "B");
    EXPECT_EQ(NextFreeLetter({"A", "B", "C", "D", "E", "F", "G", "H"}), "J");
    EXPECT_FALSE(NextFreeLetter(l).has_value());
}

TEST(QuickSg, BySpeciesGivesLettersInTextOrderPerStratumAndASecondRunChangesNothing) {
    ui::ScriptedUi ui;
    std::vector<SumRow> rows = {Row("1", "202"), Row("1", "122"), Row("1", "015"), Row("2", "202"),
                                Row("", "015")};
    SgKeys species;
    species.species = true;
    ASSERT_TRUE(QuickSampleGroups(ui, rows, species, {}, true, ""));
    EXPECT_EQ(Col(rows, kSgTree), (std::vector<std::string>{"C", "B", "A", "A", ""}));
    EXPECT_EQ(Col(rows, kSgPlot), std::vector<std::string>(5, ""));
    EXPECT_EQ(rows[0][kModify], "Y");
    auto before = rows;
    EXPECT_FALSE(QuickSampleGroups(ui, rows, species, species, false, "9"));  // no rows in 9
    EXPECT_FALSE(QuickSampleGroups(ui, rows, species, {}, true, ""));
    for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].f, before[i].f);
}

TEST(QuickSg, UsedLettersAreSkippedAndPlotSideIsCodedSeparately) {
    ui::ScriptedUi ui;
    std::vector<SumRow> rows = {Row("1", "122", "01"), Row("1", "122", "02"), Row("1", "202", "01"),
                                Row("1", "300", "01")};
    rows[0][kSgTree] = "A";
    rows[3][kSgTree] = "C";
    SgKeys species, prod;
    species.species = true;
    prod.prod = true;
    ASSERT_TRUE(QuickSampleGroups(ui, rows, species, prod, false, "1"));
    // 122/02 is the only open row of 122: it gets "B" while 122/01 keeps "A".
    EXPECT_EQ(Col(rows, kSgTree), (std::vector<std::string>{"A", "B", "D", "C"}));
    EXPECT_EQ(Col(rows, kSgPlot), (std::vector<std::string>{"A", "B", "A", "A"}));
}

TEST(QuickSg, RowWithoutStratumStopsBeforeAnythingChanges) {
    ui::ScriptedUi ui;
    std::vector<SumRow> rows = {Row("1", "122")};
    SgKeys k;
    k.species = true;
    EXPECT_FALSE(QuickSampleGroups(ui, rows, k, k, false, ""));
    EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"Stratum has not been defined for this row."}));
    EXPECT_EQ(rows[0][kSgTree], "");
    EXPECT_EQ(rows[0][kSgPlot], "");
}

TEST(QuickSg, RunningOutOfLettersAssignsNothingAnywhere) {
    ui::ScriptedUi ui;
    std::vector<SumRow> rows;
    for (int i = 0; i < 30; ++i) rows.push_back(Row("1", std::to_string(100 + i)));
    rows.push_back(Row("2", "122"));
    SgKeys k;
    k.species = true;
    EXPECT_FALSE(QuickSampleGroups(ui, rows, k, {}, true, ""));
    for (const SumRow& r : rows) EXPECT_EQ(r[kSgTree], "");
    ASSERT_EQ(ui.Texts().size(), 1u);
    EXPECT_NE(ui.Texts()[0].find("Stratum 1 needs 30 new tree based"), std::string::npos);
}

TEST(SgRanges, QuickSgRangesSplitTheStratumAndKeepItsCode) {
    ui::ScriptedUi ui;
    std::vector<SumRow> rows = {Row("1", "122"), Row("1", "202"), Row("2", "122")};
    rows[0][kSgTree] = "A";
    rows[0][kSgPlot] = "P";
    int current = 1;
    ASSERT_TRUE(ApplyQuickSgRanges(ui, rows, current, RangeScope::Stratum, Ranges("0-11.9,12-99")));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(Col(rows, kStratum), (std::vector<std::string>{"1", "1", "1", "1", "2"}));
    EXPECT_EQ(Col(rows, kDiaFlag), (std::vector<std::string>{"Sg1", "Sg", "Sg1", "Sg", ""}));
    // The stratum's sample groups were deleted first.
    EXPECT_EQ(rows[0][kSgTree], "");
    EXPECT_EQ(rows[current][kSpecies], "202");

    // Apply to Selected Row on a piece merges its split back first.
    current = 1;
    ASSERT_TRUE(ApplyQuickSgRanges(ui, rows, current, RangeScope::SelectedRow, Ranges("0-5.9,6-8.9,9-99")));
    EXPECT_EQ(rows.size(), 6u);
    EXPECT_EQ(Col(rows, kDMin), (std::vector<std::string>{"0.0", "6.0", "9.0", "0.0", "12.0", ""}));
}

TEST(SgRanges, RefusedOnRowsWithoutStratumOrWithStratumClass) {
    ui::ScriptedUi ui;
    std::vector<SumRow> rows = {Row("", "122"), Row("1", "202")};
    rows[1][kDiaFlag] = "Str1";
    int current = 0;
    EXPECT_FALSE(ApplyQuickSgRanges(ui, rows, current, RangeScope::AllRows, Ranges("0-9")));
    current = 1;
    EXPECT_FALSE(ApplyQuickSgRanges(ui, rows, current, RangeScope::AllRows, Ranges("0-9")));
    EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"Stratum has not been defined for this row.",
                                                    "A Diameter Class has already been defined for this Stratum."}));
    EXPECT_FALSE(CanDefineSgRanges(ui, rows));
    EXPECT_EQ(ui.Texts().back(), "Diameter Classes Already Defined at Strata Level.");
    EXPECT_EQ(rows.size(), 2u);
}

TEST(SgRanges, GridApplyToStratumOnSummaryStaysInTheStratum) {
    ui::ScriptedUi ui;
    std::vector<SumRow> rows = {Row("1", "122"), Row("2", "122"), Row("2", "202")};
    int current = 1;
    ASSERT_TRUE(ApplyGridSgRanges(ui, rows, current, RangeScope::Stratum, Ranges("0-11.9,12-99"), true));
    EXPECT_EQ(Col(rows, kStratum), (std::vector<std::string>{"1", "2", "2", "2", "2"}));
    EXPECT_EQ(Col(rows, kDiaFlag), (std::vector<std::string>{"", "Sg1", "Sg", "Sg1", "Sg"}));
    // The selected row is now a piece: refused.
    EXPECT_FALSE(ApplyGridSgRanges(ui, rows, current, RangeScope::SelectedRow, Ranges("0-5"), true));
    EXPECT_EQ(ui.Texts().back(), "Sample Group - Tree Based Methods\nAlready Defined for Selected Row.");
    // On a one-stratum table both wide choices split every unsplit row.
    current = 0;
    ASSERT_TRUE(ApplyGridSgRanges(ui, rows, current, RangeScope::Stratum, Ranges("0-5"), false));
    EXPECT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0][kDiaFlag], "Sg1");
}

TEST(SgRanges, RemoveForGroupOrAllKeepsOneRowAndItsPlotCode) {
    ui::ScriptedUi ui;
    std::vector<SumRow> rows = {Row("1", "122"), Row("1", "202")};
    rows[0][kSgPlot] = "P";
    int current = 0;
    ASSERT_TRUE(ApplyGridSgRanges(ui, rows, current, RangeScope::AllRows, Ranges("0-11.9,12-99"), true));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_TRUE(HasSgRanges(ui, rows));
    EXPECT_EQ(RemoveSgRanges(rows, 0, false), 2);
    EXPECT_EQ(Col(rows, kDiaFlag), (std::vector<std::string>{"", "Sg1", "Sg"}));
    EXPECT_EQ(rows[0][kSgPlot], "P");
    RemoveSgRanges(rows, 0, true);
    EXPECT_EQ(rows.size(), 2u);
    EXPECT_FALSE(HasSgRanges(ui, rows));
    EXPECT_EQ(ui.Texts().back(), "No Diameter Classes Defined at Sample Group Level.");
}

TEST(DeleteSampleGroups, RemovesPiecesClearsCodesAndKeepsStratumClasses) {
    std::vector<SumRow> rows = {Row("1", "122"), Row("1", "122"), Row("1", "202"), Row("2", "122")};
    rows[0][kDiaFlag] = "Sg1";
    rows[1][kDiaFlag] = "Sg";
    rows[2][kDiaFlag] = "Str1";
    rows[2][kDMin] = "0.0";
    rows[2][kDMax] = "11.9";
    for (SumRow& r : rows) r[kSgTree] = r[kSgPlot] = "A";
    DeleteSampleGroups(rows, "1", false);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(Col(rows, kSgTree), (std::vector<std::string>{"", "", "A"}));
    EXPECT_EQ(Col(rows, kDiaFlag), (std::vector<std::string>{"", "Str1", ""}));
    EXPECT_EQ(rows[1][kDMax], "11.9");
    EXPECT_EQ(rows[0][kModify], "Y");
    DeleteSampleGroups(rows, "", true);
    EXPECT_EQ(rows[2][kSgPlot], "");
}

TEST(SortRows, ByChosenColumnsWithDiametersAsNumbersAndLDOrderingNothing) {
    std::vector<SumRow> rows = {Row("2", "122"), Row("1", "202"), Row("1", "122"), Row("1", "122")};
    rows[2][kDMin] = "12.0";
    rows[3][kDMin] = "6.0";
    rows[0][kLD] = "D";
    SortRows(rows, {"Stratum", "L/D", "Species", "DMin"});
    EXPECT_EQ(Col(rows, kDMin), (std::vector<std::string>{"6.0", "12.0", "", ""}));
    EXPECT_EQ(Col(rows, kStratum), (std::vector<std::string>{"1", "1", "1", "2"}));
    EXPECT_EQ(SortChoices(false).size(), 7u);
    EXPECT_EQ(SortChoices(true).back(), "CutUnit");
}

}  // namespace
