#include <cmath>

#include <gtest/gtest.h>

#include "stats/cv_rule.h"
#include "stats/key_index.h"

namespace {

TEST(CvRule, MatchesTheFormulaAndCutsAtThreeDecimals) {
    // Values 10, 20, 30: mean 20, sd 10, CV 50.
    stats::Sums s;
    for (double x : {10.0, 20.0, 30.0}) s.Add(x);
    EXPECT_DOUBLE_EQ(stats::CvFromSums(s, 3), 50.0);
    // 1, 2: mean 1.5, sd 0.70710678, CV 47.1404520... cut to 47.14
    stats::Sums t;
    t.Add(1);
    t.Add(2);
    EXPECT_NEAR(stats::CvFromSums(t, 2), 47.14, 1e-9);
}

TEST(CvRule, DegenerateSamplesGiveZeroNeverNaN) {
    EXPECT_EQ(stats::CvFromSums(0, 0, 0), 0);
    EXPECT_EQ(stats::CvFromSums(5, 25, 1), 0);    // one unit: n - 1 = 0
    EXPECT_EQ(stats::CvFromSums(0, 0, 4), 0);     // zero mean
    // Equal values whose variance rounds just below zero.
    stats::Sums s;
    for (int i = 0; i < 7; ++i) s.Add(0.1);
    double cv = stats::CvFromSums(s, 7);
    EXPECT_TRUE(std::isfinite(cv));
    EXPECT_GE(cv, 0);
    EXPECT_LT(cv, 1e-3);
}

TEST(Truncate, CutsTowardZeroAndRefusesNonFinite) {
    EXPECT_DOUBLE_EQ(stats::Truncate(12.39, 1), 12.3);
    EXPECT_DOUBLE_EQ(stats::Truncate(-12.39, 1), -12.3);
    EXPECT_EQ(stats::Truncate(INFINITY, 2), 0);
    EXPECT_EQ(stats::Truncate(NAN, 3), 0);
    EXPECT_EQ(stats::RoundHalfUp(2.5), 3);
    EXPECT_EQ(stats::RoundHalfUp(2.49), 2);
    EXPECT_EQ(stats::SafeDiv(1, 0), 0);
}

TEST(KeyIndex, GroupsRowsByKeyColumnsInFirstSeenOrder) {
    auto v = mk::View::Make("Unit:S,Sp:S,Plot:I,Missing:S");
    ASSERT_TRUE(v.ok());
    struct R { const char* u; const char* sp; int plot; };
    for (R r : {R{"1", "DF", 1}, R{"2", "DF", 1}, R{"1", "DF", 2}, R{"1", "WH", 1}}) {
        int row = v->AddRow();
        v->SetString(row, "Unit", r.u);
        v->SetString(row, "Sp", r.sp);
        v->SetInt(row, "Plot", r.plot);
    }
    stats::KeyIndex by_unit_sp(*v, {"Unit", "Sp"});
    EXPECT_EQ(by_unit_sp.Rows({"1", "DF"}), (std::vector<int>{0, 2}));
    EXPECT_EQ(by_unit_sp.Rows({"2", "WH"}), std::vector<int>{});
    ASSERT_EQ(by_unit_sp.size(), 3u);
    EXPECT_EQ(by_unit_sp.Keys()[0], stats::KeyIndex::Join({"1", "DF"}));
    EXPECT_EQ(by_unit_sp.KeyOf(3), stats::KeyIndex::Join({"1", "WH"}));
    // Integer keys read as text; an absent column keys as "".
    stats::KeyIndex by_plot(*v, {"Plot", "Missing"});
    EXPECT_EQ(by_plot.Rows({"1", ""}), (std::vector<int>{0, 1, 3}));
}

}  // namespace
