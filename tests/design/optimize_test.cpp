#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "design/data_warnings.h"
#include "design/optimize.h"
#include "design/sampling.h"
#include "design_builder.h"
#include "ui/scripted_ui.h"

using namespace design;
using namespace design_builder;

namespace {

DesignSettings Settings(bool warnings = true) {
    DesignSettings s;
    s.costs = kCosts;
    s.displayDataWarnings = warnings;
    return s;
}

std::vector<int> Sizes(const Design& d) {
    std::vector<int> n;
    for (const SgRow& g : d.groups) n.push_back(g.sgN);
    return n;
}

}  // namespace

TEST(Optimize, OneSampleTreeStratumHandWorked) {
    Design d;
    AddStratum(d, "1", "STR", 100, {Group(40, 0, 50, 5000)});
    ui::ScriptedUi ui;
    SaleTotals totals;
    ASSERT_EQ(OptimizeForError(d, "10", Settings(), ui, &totals), kOptimized);
    // sale size 64 at t = 2, the stratum's 64 + 1 gives 9.92, of 5001 trees 9.85
    EXPECT_EQ(d.groups[0].sgN, 65);
    EXPECT_DOUBLE_EQ(d.groups[0].sgErr, 9.85);
    EXPECT_EQ(d.groups[0].freq, 76);
    EXPECT_EQ(d.strata[0].sumN, 65);
    EXPECT_DOUBLE_EQ(totals.error, 9.85);
    EXPECT_DOUBLE_EQ(totals.cost, d.strata[0].strCost);
    EXPECT_TRUE(ui.Messages().empty());
}

TEST(Optimize, MixedSaleReachesItsTargetWithSharedPlots) {
    for (double target : {5.0, 10.0, 20.0}) {
        Design d = MixedSale();
        ui::ScriptedUi ui;
        SaleTotals totals;
        ASSERT_EQ(OptimizeForError(d, std::to_string(target), Settings(), ui, &totals), kOptimized);
        EXPECT_LE(totals.error, target + 0.5) << target;
        EXPECT_GE(totals.error, target * 0.6) << target;
        for (const char* code : {"2", "4"}) {
            SgRefs g = GroupsOf(d, code);
            EXPECT_EQ(g[0]->sgN, g[1]->sgN) << code;
            EXPECT_EQ(d.strata[std::stoi(code) - 1].sumN, g[0]->sgN);
        }
        EXPECT_GE(GroupsOf(d, "4")[1]->sgN2, 2);
    }
}

TEST(Optimize, LockedAndEveryTreeStrataKeepTheirDesign) {
    Design d = MixedSale();
    d.strata[0].lock = "1.000000";
    d.strata[0].error = 7.5;
    AddStratum(d, "6", "100", 400, {Group(40, 0, 50, 8000)});
    const Design before = d;
    ui::ScriptedUi ui;
    ASSERT_EQ(OptimizeForError(d, "10", Settings(), ui), kOptimized);
    EXPECT_EQ(d.strata[0].error, 7.5);
    EXPECT_EQ(d.strata[0].sumN, before.strata[0].sumN);
    EXPECT_EQ(d.groups[1].sgErr, before.groups[1].sgErr);
    EXPECT_EQ(d.groups.back().sgN, 10);
    EXPECT_NE(d.groups[2].sgN, before.groups[2].sgN);

    // without the every-tree volume the others must reach the target alone
    Design alone = MixedSale();
    alone.strata[0].lock = "1";
    alone.strata[0].error = 7.5;
    ASSERT_EQ(OptimizeForError(alone, "10", Settings(), ui), kOptimized);
    EXPECT_GT(d.strata[1].error, alone.strata[1].error);
}

TEST(Optimize, DegenerateSalesTerminate) {
    ui::ScriptedUi ui;
    Design locked = MixedSale();
    for (StratumRow& s : locked.strata) s.lock = "1";
    locked.strata[2].error = 0;
    std::vector<int> before = Sizes(locked);
    ASSERT_EQ(OptimizeForError(locked, "10", Settings(), ui), kOptimized);
    EXPECT_EQ(Sizes(locked), before);

    Design everyTree;
    AddStratum(everyTree, "1", "100", 50, {Group(40, 0, 50, 5000)});
    ASSERT_EQ(OptimizeForError(everyTree, "10", Settings(), ui), kOptimized);
    EXPECT_EQ(everyTree.groups[0].sgN, 10);

    Design flat;  // no variation, and a group without volume
    AddStratum(flat, "1", "STR", 50, {Group(0, 0, 50, 5000), Group(0, 0, 5, 500)});
    AddStratum(flat, "2", "F3P", 50, {Group(0, 0, 50, 5000), Group(0, 0, 5, 0)});
    AddStratum(flat, "3", "S3P", 50, {Group(0, 0, 40, 4000)});
    ASSERT_EQ(OptimizeForError(flat, "10", Settings(), ui), kOptimized);
    // Stratum size 1 has t = 0, so every group's target is 0: each group gets the
    // floor of 2 (an unsampled group would have no error at all), and the shared plot
    // count is 1 + 1.
    EXPECT_EQ(Sizes(flat), (std::vector<int>{2, 2, 2, 2, 2}));
    EXPECT_EQ(flat.groups[0].freq, 1250);  // 50 trees an acre on 50 acres, 1 in 1250
    EXPECT_EQ(flat.groups[3].sgN2, 2);
    EXPECT_EQ(flat.groups[4].sgN2, 2);
    for (const SgRow& g : flat.groups) EXPECT_EQ(g.sgErr, 0.0);  // no variation: truly no error
    EXPECT_TRUE(SaleErrorAndCost(flat.strata).ErrorComputable());

    Design empty;
    ASSERT_EQ(OptimizeForError(empty, "10", Settings(), ui), kOptimized);
    Design loose = MixedSale();
    ASSERT_EQ(OptimizeForError(loose, "100", Settings(), ui), kOptimized);
    for (int n : Sizes(loose)) EXPECT_LE(n, 10);
    EXPECT_TRUE(ui.Messages().empty());
    // A target beyond any sale error is no target: refused, naming what the box takes.
    Design huge = MixedSale();
    EXPECT_EQ(OptimizeForError(huge, "1e12", Settings(), ui), kOptimizeNoTarget);
    EXPECT_EQ(ui.Texts().back(),
              "Target sale error: '1e12' is too large. Enter a number greater than 0 and at most 100 percent.");
    EXPECT_EQ(Sizes(huge), Sizes(MixedSale()));
}

TEST(Optimize, RefusesAMissingTarget) {
    for (const char* text : {"0", "-4", "", "abc", "inf", "nan", "infinity"}) {
        Design d = MixedSale();
        ui::ScriptedUi ui;
        EXPECT_EQ(OptimizeForError(d, text, Settings(), ui), kOptimizeNoTarget) << text;
        ASSERT_EQ(ui.Messages().size(), 1u);
        EXPECT_EQ(ui.Last()->title, "Warning");
        EXPECT_EQ(ui.Last()->icon, ui::Icon::Exclamation);
        EXPECT_EQ(ui.Last()->text, "Enter a value in the edit box\nnext to the Optimize For Error button.");
        EXPECT_EQ(Sizes(d), Sizes(MixedSale()));
    }
}

TEST(DataWarnings, ListedPerKindAndStratumAndDecliningStops) {
    Design d = MixedSale();
    d.groups[0].c = d.groups[1].c = d.groups[3].c = d.groups[3].v = "R";
    d.groups[5].t = "B";
    EXPECT_EQ(DataWarningsText(d.groups),
              "Warning:  Invalid Values Found for the Following:\r\n\r\n"
              "Invalid CVs for Strata 1 2 \r\n"
              "Invalid Vol/Acre for Strata 2 \r\n"
              "\r\nDo you wish to continue?");
    d.groups[4].c2 = d.groups[6].t = "R";
    EXPECT_NE(DataWarningsText(d.groups).find("Invalid CV2s for Strata 3 \r\nInvalid Trees/Acre for Strata 4 \r\n"),
              std::string::npos);

    ui::ScriptedUi ui;
    ui.PushQuestionAnswer(false);
    EXPECT_EQ(OptimizeForError(d, "10", Settings(), ui), kOptimizeDeclined);
    EXPECT_EQ(ui.Last()->kind, "question");
    EXPECT_EQ(Sizes(d), Sizes(MixedSale()));
    ui.Clear();
    EXPECT_EQ(OptimizeForError(d, "10", Settings(false), ui), kOptimized);
    EXPECT_TRUE(ui.Messages().empty());
}

TEST(RecalculateStrataError, FromTheCurrentSizes) {
    Design d = MixedSale();
    SgRefs g = GroupsOf(d, "1");
    g[0]->sgN = 40;
    g[1]->sgN = 25;
    SaleTotals t = RecalculateStrataError(d, 0, Settings());
    EXPECT_DOUBLE_EQ(g[0]->sgErr, CorrectedError(SamplingError(45, 40), 40, 7200));
    EXPECT_DOUBLE_EQ(g[1]->sgErr, CorrectedError(SamplingError(70, 25), 25, 2400));
    EXPECT_EQ(d.strata[0].sumN, 65);
    EXPECT_DOUBLE_EQ(t.error, SaleErrorAndCost(d.strata).error);
    EXPECT_EQ(d.groups[2].sgErr, 40);  // other strata untouched
}
