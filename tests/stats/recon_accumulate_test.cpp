#include <array>
#include <cmath>

#include <gtest/gtest.h>

#include "stats/recon_accumulate.h"
#include "stats/recon_methods.h"

namespace {

using stats::ReconTrees;

// Trees as (unit, plot, dbh, height, volume).
ReconTrees Trees(std::initializer_list<std::array<double, 5>> rows) {
    ReconTrees t;
    for (const auto& r : rows)
        t.Add(static_cast<int>(r[0]), static_cast<int>(r[1]), 0, static_cast<float>(r[2]),
              static_cast<float>(r[3]), r[4]);
    return t;
}

std::vector<int> All(const ReconTrees& t) {
    std::vector<int> v;
    for (int i = 0; i < t.size(); ++i) v.push_back(i);
    return v;
}

TEST(ReconAccumulate, NothingToSpreadGivesNoData) {
    ReconTrees t = Trees({{0, 0, 10, 50, 20}, {0, 1, 12, 60, 30}});
    EXPECT_EQ(stats::AccumulateFixedPlots(t, All(t), 0, 10).code, stats::kNoData);  // no plot counted
    EXPECT_EQ(stats::AccumulatePoints(t, All(t), 0, 20).code, stats::kNoData);
    EXPECT_EQ(stats::AccumulateTrees(t, {}, 10).code, stats::kNoData);
    ReconTrees zero = Trees({{0, 0, 10, 50, 0}, {0, 1, 12, 60, 0}});
    EXPECT_EQ(stats::AccumulateTrees(zero, All(zero), 10).code, stats::kNoData);
    EXPECT_EQ(stats::AccumulateFixedPlots(zero, All(zero), 2, 10).code, stats::kNoData);
}

// Plots are grouped by unit and plot, wherever their trees stand in the selection;
// the same plot code in two units is two plots.
TEST(ReconAccumulate, FixedPlotsGroupByUnitAndPlot) {
    ReconTrees t = Trees({{0, 1, 10, 50, 10}, {1, 1, 10, 50, 30}, {0, 1, 10, 50, 20}, {0, 2, 10, 50, 40}});
    stats::PlotStats p = stats::AccumulateFixedPlots(t, All(t), 4, 20);
    ASSERT_EQ(p.code, stats::kAccumulated);
    // e = 5: plots 150, 150, 200 and an empty one.
    EXPECT_DOUBLE_EQ(p.vpa, 500);
    EXPECT_DOUBLE_EQ(p.tpa, 20);
    EXPECT_DOUBLE_EQ(p.tpp, 1);
    EXPECT_NEAR(p.cvPlot, 69.282, 1e-9);
    EXPECT_NEAR(p.cvCount, 81.649, 1e-9);
}

TEST(ReconAccumulate, PointsWithoutHeightsOrDiametersStayFinite) {
    ReconTrees t = Trees({{0, 1, 10, 0, 20}, {0, 2, 0, 0, 30}, {0, 2, 14, 0, 25}});
    stats::PlotStats p = stats::AccumulatePoints(t, All(t), 2, 20);
    ASSERT_EQ(p.code, stats::kAccumulated);
    EXPECT_EQ(p.noDiameter, 1);
    EXPECT_EQ(p.cvHeight, 0);
    EXPECT_EQ(p.avgHt, 0);
    for (double v : {p.cvPlot, p.cvCount, p.cvTree, p.tpa, p.vpa}) EXPECT_TRUE(std::isfinite(v));
    // One point: per-acre values, and the CV of the trees, which needs no second point.
    stats::PlotStats one = stats::AccumulatePoints(t, {0, 2}, 1, 20);
    EXPECT_EQ(one.code, stats::kSingleUnit);
    EXPECT_GT(one.cvTree, 0);
}

// Stand-in CVs of 0 (one repeated volume) must not divide: FCM's ratio becomes 0.
TEST(ReconMethods, ZeroCvsAndZeroTreesPerAcreDoNotDivide) {
    stats::FamilyStats st;
    st.cvCount = 40;
    st.cvTree = 0;
    st.tpa = 0;
    st.vpa = 12;
    st.tpp = 3;
    std::vector<stats::MethodSgRow> rows;
    stats::AppendFixedRows({"1", "A", 10}, st, rows);
    stats::AppendTreeRows({"1", "A", 10}, st, rows);
    ASSERT_EQ(rows.size(), 7u);
    const stats::MethodSgRow& fcm = rows[2];
    EXPECT_EQ(fcm.cruzMeth, "FCM");
    EXPECT_EQ(fcm.sg.sgN, 1);
    EXPECT_EQ(fcm.sg.sgN2, 1 + static_cast<int>(4 * 1600 * 0.000625));
    EXPECT_EQ(rows[1].sg.kz, 0);  // F3P: VPA / TPA with TPA 0
    EXPECT_EQ(rows[6].sg.kz, 0);  // S3P
    EXPECT_EQ(rows[6].sg.freq, 0);
    for (const auto& r : rows) EXPECT_GE(r.sg.sgN, r.cruzMeth == "100" ? 0 : 1);
}

}  // namespace
