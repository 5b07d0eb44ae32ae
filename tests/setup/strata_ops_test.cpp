// Stratum numbers, Quick Strata, stratum-level diameter classes and Delete Strata on
// summary rows held in memory.
#include <gtest/gtest.h>

#include "setup/diameter_ranges.h"
#include "setup/strata_ops.h"
#include "sum_rows_util.h"
#include "ui/scripted_ui.h"

namespace {

using namespace setup;

using setuptest::Col;
using setuptest::Ranges;
using setuptest::Row;

TEST(NextFreeStratum, SkipsUsedCodesWrapsAfter99AndEndsWhenAllAreTaken) {
    std::unordered_set<std::string> used{"1", "2", "4"};
    EXPECT_EQ(NextFreeStratum(used, 0), 3);
    EXPECT_EQ(NextFreeStratum(used, 1), 3);
    EXPECT_EQ(NextFreeStratum({}, 1), 2);  // a search from 1 starts at 2
    EXPECT_EQ(NextFreeStratum({"99", "1"}, 98), 2);
    std::unordered_set<std::string> all;
    for (int n = 1; n <= 99; ++n) all.insert(std::to_string(n));
    EXPECT_EQ(FreeStratumCount(all), 0);
    EXPECT_FALSE(NextFreeStratum(all, 0).has_value());
    all.erase("57");
    EXPECT_EQ(NextFreeStratum(all, 80), 57);
}

TEST(QuickStrata, ByUnitNumbersCodesInTextOrderAndOnlyRowsWithoutStratum) {
    ui::ScriptedUi ui;
    std::vector<SumRow> rows = {Row("9", "122"), Row("10", "122"), Row("10", "202"), Row("11", "122", "01", "L", "7")};
    StrataKeys keys;
    keys.unit = true;
    EXPECT_TRUE(QuickStrata(ui, rows, keys));
    // "10" sorts before "9" as text.
    EXPECT_EQ(Col(rows, kStratum), (std::vector<std::string>{"2", "1", "1", "7"}));
    EXPECT_EQ(Col(rows, kModify), (std::vector<std::string>{"A", "A", "A", "N"}));
    EXPECT_TRUE(ui.Messages().empty());
    // A second run has nothing left to number.
    EXPECT_FALSE(QuickStrata(ui, rows, keys));
}

TEST(QuickStrata, NoKeyMakesOneStratumSearchedFromOneAndMissingUnitsAreReported) {
    ui::ScriptedUi ui;
    std::vector<SumRow> rows = {Row("1", "122"), Row("", "202"), Row("2", "122")};
    EXPECT_TRUE(QuickStrata(ui, rows, StrataKeys{}));
    EXPECT_EQ(Col(rows, kStratum), (std::vector<std::string>{"2", "", "2"}));
    ASSERT_EQ(ui.Texts().size(), 1u);
    EXPECT_EQ(ui.Texts()[0], "CutUnit Code Required for Quick Strata Setup.");
}

TEST(QuickStrata, BySpeciesAndProductCombinations) {
    ui::ScriptedUi ui;
    std::vector<SumRow> rows = {Row("1", "202", "01"), Row("1", "122", "02"), Row("2", "122", "02"),
                                Row("2", "122", "01"), Row("3", "x", "01", "L", "2")};
    StrataKeys keys;
    keys.species = keys.prod = true;
    EXPECT_TRUE(QuickStrata(ui, rows, keys));
    // 122/01 -> 1, 122/02 -> 3 (2 is taken), 202/01 -> 4.
    EXPECT_EQ(Col(rows, kStratum), (std::vector<std::string>{"4", "3", "3", "1", "2"}));
}

TEST(QuickStrata, TooFewFreeNumbersAssignsNothingAndSaysHowManyAreNeeded) {
    ui::ScriptedUi ui;
    std::vector<SumRow> rows;
    for (int u = 0; u < 400; ++u) rows.push_back(Row(std::to_string(u), "122"));
    rows.push_back(Row("x", "122", "01", "L", "5"));
    StrataKeys keys;
    keys.unit = true;
    EXPECT_FALSE(QuickStrata(ui, rows, keys));
    for (size_t i = 0; i + 1 < rows.size(); ++i) EXPECT_EQ(rows[i][kStratum], "");
    ASSERT_EQ(ui.Texts().size(), 1u);
    EXPECT_NE(ui.Texts()[0].find("needs 400 new stratum numbers"), std::string::npos);
    EXPECT_NE(ui.Texts()[0].find("only 98"), std::string::npos);
}

TEST(DiameterRanges, RefusesEmptyNonNumericInvertedAndOverlappingLists) {
    std::vector<DiameterRange> out = {{"1.0", "2.0"}};
    std::string error;
    EXPECT_FALSE(ParseRangeList("", out, error));
    EXPECT_EQ(error, "No diameter ranges defined.");
    EXPECT_FALSE(ParseRangeList("0-abc", out, error));
    EXPECT_FALSE(ParseRangeList("12-6", out, error));
    EXPECT_FALSE(ParseRangeList("0-12,11.9-99", out, error));
    EXPECT_NE(error.find("overlap"), std::string::npos);
    EXPECT_FALSE(ParseRangeList("0-12,12-99", out, error));  // 12 in both
    EXPECT_FALSE(ParseRangeList("5", out, error));
    ASSERT_EQ(out.size(), 1u);  // untouched by refusals
    ASSERT_TRUE(ParseRangeList(" 12 - 99 , 0-11.9", out, error)) << error;
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].dmin, "12.0");  // list order kept
    EXPECT_EQ(out[1].dmax, "11.9");
}

TEST(DiameterRanges, TableRangesDropBlankRowsFirst) {
    auto t = mk::View::Make("Stratum:S,DMin:S,DMax:S");
    ASSERT_TRUE(t);
    mk::View v = *t;
    v.AddRow();
    int r = v.AddRow();
    v.SetString(r, "DMin", "0");
    v.SetString(r, "DMax", "11.9");
    std::vector<DiameterRange> out;
    std::string error;
    ASSERT_TRUE(RangesFromTable(v, out, error)) << error;
    EXPECT_EQ(v.RowCount(), 1);
    ASSERT_EQ(out.size(), 1u);
    v.SetString(0, "DMax", "");
    EXPECT_FALSE(RangesFromTable(v, out, error));
}

TEST(StrataRanges, SelectedRowSplitsIntoFlaggedPiecesWithoutStratum) {
    ui::ScriptedUi ui;
    std::vector<SumRow> rows = {Row("1", "122"), Row("2", "202")};
    rows[1][kSgTree] = "B";
    int current = 1;
    ASSERT_TRUE(ApplyStrataRanges(ui, rows, current, RangeScope::SelectedRow, Ranges("0-11.9,12-99")));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(Col(rows, kDiaFlag), (std::vector<std::string>{"", "Str1", "Str"}));
    EXPECT_EQ(Col(rows, kDMin), (std::vector<std::string>{"", "0.0", "12.0"}));
    EXPECT_EQ(Col(rows, kSgTree), (std::vector<std::string>{"", "B", "B"}));
    EXPECT_EQ(rows[2][kModify], "A");
    EXPECT_EQ(rows[2][kCutUnit], "2");

    // A row already in a stratum, or a piece, is refused and nothing changes.
    rows[0][kStratum] = "3";
    current = 0;
    auto before = rows.size();
    EXPECT_FALSE(ApplyStrataRanges(ui, rows, current, RangeScope::SelectedRow, Ranges("0-5")));
    EXPECT_EQ(ui.Texts().back(), "Stratum Already Defined or Missing Unit Code for Selected Row.");
    current = 1;
    EXPECT_FALSE(ApplyStrataRanges(ui, rows, current, RangeScope::SelectedRow, Ranges("0-5")));
    EXPECT_EQ(rows.size(), before);
}

TEST(StrataRanges, ApplyToStratumRefusesWhenAnyRowOfItIsAlreadySplit) {
    ui::ScriptedUi ui;
    std::vector<SumRow> rows = {Row("1", "122", "01", "L", "1"), Row("1", "202", "01", "L", "1"),
                                Row("2", "122", "01", "L", "2")};
    rows[1][kDiaFlag] = "Str1";
    int current = 0;
    EXPECT_FALSE(ApplyStrataRanges(ui, rows, current, RangeScope::Stratum, Ranges("0-11.9,12-99")));
    EXPECT_EQ(ui.Texts().back(), "Diameter class already defined for Stratum.");
    EXPECT_EQ(rows.size(), 3u);
    current = 2;
    EXPECT_TRUE(ApplyStrataRanges(ui, rows, current, RangeScope::Stratum, Ranges("0-11.9,12-99")));
    EXPECT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[current][kDiaFlag], "Str1");
}

TEST(StrataRanges, ApplyToAllRowsDropsStrataThenSplitsEveryRowWithUnit) {
    ui::ScriptedUi ui;
    std::vector<SumRow> rows = {Row("1", "122", "01", "L", "1"), Row("", "202"), Row("2", "122")};
    rows[0][kSgTree] = "A";
    int current = 0;
    EXPECT_TRUE(ApplyStrataRanges(ui, rows, current, RangeScope::AllRows, Ranges("0-9.9,10-19.9,20-99")));
    EXPECT_EQ(rows.size(), 7u);
    EXPECT_EQ(Col(rows, kStratum), std::vector<std::string>(7, ""));
    EXPECT_EQ(rows[0][kSgTree], "");
    EXPECT_EQ(ui.Texts().back(), "CutUnit Code Required for Quick Strata Setup.");
}

TEST(DeleteStrata, SplitStratumComesBackAsOneRowPerCombination) {
    ui::ScriptedUi ui;
    std::vector<SumRow> rows = {Row("1", "122"), Row("1", "202"), Row("2", "122", "01", "L", "9")};
    int current = 0;
    ASSERT_TRUE(ApplyStrataRanges(ui, rows, current, RangeScope::AllRows, Ranges("0-11.9,12-99")));
    // Rows 1/122 and 1/202 into stratum 1, split in pieces.
    for (SumRow& r : rows)
        if (r[kCutUnit] == "1") {
            r[kStratum] = "1";
            r[kSgTree] = "A";
        }
    EXPECT_EQ(rows.size(), 6u);
    DeleteStrata(rows, "1", false, "A");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(Col(rows, kSpecies), (std::vector<std::string>{"122", "202", "122", "122"}));
    EXPECT_EQ(rows[0][kDiaFlag], "");
    EXPECT_EQ(rows[0][kDMin], "");
    EXPECT_EQ(rows[0][kStratum], "");
    EXPECT_EQ(rows[0][kSgTree], "");
    EXPECT_EQ(rows[0][kModify], "A");
    DeleteStrata(rows, "", true, "N");
    EXPECT_EQ(Col(rows, kStratum), std::vector<std::string>(4, ""));
}

}  // namespace
