// The statistics routines of a production cruise on small cruises worked by hand.
#include <cmath>

#include <gtest/gtest.h>

#include "stats/production.h"

namespace {

using stats::CountRow;
using stats::ProdTree;
using stats::SgInput;

constexpr double kEps = 1e-6;

ProdTree Measured(const std::string& unit, const std::string& plot, double v, double dbh = 10,
                  int64_t kpi = 0, int64_t cnt = 1, const std::string& code = "") {
    ProdTree t;
    t.cutUnit = unit;
    t.plot = plot;
    t.treeNo = 1;
    t.measured = true;
    t.volume = v;
    t.dbh = dbh;
    t.kpi = kpi;
    t.treeCnt = cnt;
    t.code3p = code;
    return t;
}

ProdTree Counted(const std::string& unit, const std::string& plot, int64_t kpi, int64_t cnt = 1,
                 const std::string& code = "") {
    ProdTree t;
    t.cutUnit = unit;
    t.plot = plot;
    t.kpi = kpi;
    t.treeCnt = cnt;
    t.code3p = code;
    return t;
}

SgInput Group(const std::string& method, std::vector<ProdTree> trees, std::vector<CountRow> counts = {},
              int64_t plots = 0, double acres = 10) {
    SgInput in;
    in.stratum = "1";
    in.sgCode = "A";
    in.method = method;
    in.acres = acres;
    in.plots = plots;
    in.trees = std::move(trees);
    in.tallies = stats::ComputeTallies(method, in.trees, counts);
    return in;
}

design::SgRow Compute(const SgInput& in) {
    design::SgRow row;
    EXPECT_TRUE(stats::ComputeProductionGroup(in, row)) << in.method;
    return row;
}

// Every stored number is finite: the guards in front of each divisor.
void ExpectFinite(const design::SgRow& r) {
    for (double x : {r.sgCV, r.sgCV2, r.sgErr, r.treesAcre, r.volAcre, r.treesPlot}) EXPECT_TRUE(std::isfinite(x));
}

TEST(ProductionTallies, CountsKpiAndMeasuredTreesByMethod) {
    std::vector<ProdTree> trees = {Measured("1", "1", 10, 10, 7, 0), Counted("1", "1", 5, 3),
                                   Measured("1", "2", 10, 10, 9, 2)};
    std::vector<CountRow> counts = {{4, 100}, {6, 50}};
    // "3P": the counts' KPI sums join the trees' KPI.
    auto t = stats::ComputeTallies("3P", trees, counts);
    EXPECT_EQ(t.n, 10 + 0 + 3 + 2);
    EXPECT_EQ(t.sumKpi, 150 + 21);
    EXPECT_EQ(t.m, 2);
    // Count-and-measure: a measured tree without a count is one tree.
    t = stats::ComputeTallies("PCM", trees, counts);
    EXPECT_EQ(t.n, 16);
    EXPECT_EQ(t.sumKpi, 21);
    // Methods without KPI leave it 0.
    t = stats::ComputeTallies("STR", trees, counts);
    EXPECT_EQ(t.n, 15);
    EXPECT_EQ(t.sumKpi, 0);
}

TEST(ProductionUnits, CommaSeparatedCodesBlanksSkippedAndCirclePerimeter) {
    EXPECT_EQ(stats::SplitUnits("12, 14,15"), (std::vector<std::string>{"12", "14", "15"}));
    EXPECT_EQ(stats::SplitUnits(" 3 "), (std::vector<std::string>{"3"}));
    EXPECT_NEAR(stats::UnitPerimeter(10), 2339.6389, 1e-3);
    EXPECT_EQ(stats::UnitPerimeter(0), 0);
}

TEST(ProductionHundred, MeasuredTreesOnlyAndNoError) {
    auto row = Compute(Group("100", {Measured("1", "", 10), Measured("1", "", 20), Measured("1", "", 30),
                                 Counted("1", "", 0)}));
    EXPECT_NEAR(row.sgCV, 50, kEps);
    EXPECT_EQ(row.sgN, 3);
    EXPECT_NEAR(row.treesAcre, 0.3, kEps);
    EXPECT_NEAR(row.volAcre, 6.0, kEps);
    EXPECT_EQ(row.sgErr, 0);
    EXPECT_EQ(row.c, "N");
    EXPECT_EQ(row.t, "N");
    EXPECT_EQ(row.stratum, "1");
    EXPECT_EQ(row.sgCode, "A");

    // One tree: no CV, marked; no tree at all: zeros, marked.
    row = Compute(Group("100", {Measured("1", "", 10)}));
    EXPECT_EQ(row.sgCV, 0);
    EXPECT_EQ(row.c, "R");
    row = Compute(Group("100", {}));
    EXPECT_EQ(row.sgN, 0);
    EXPECT_EQ(row.c, "R");
    ExpectFinite(row);
}

TEST(ProductionSampleTree, ExpandsByTallyAndCorrectsTheError) {
    std::vector<ProdTree> trees;
    for (double v : {10, 20, 30, 40}) trees.push_back(Measured("1", "", v));
    auto row = Compute(Group("STR", trees, {{16, 0}}));  // N = 16 + 4
    EXPECT_NEAR(row.sgCV, 51.639, kEps);
    EXPECT_EQ(row.sgN, 4);
    EXPECT_NEAR(row.treesAcre, 2.0, kEps);
    EXPECT_NEAR(row.volAcre, 50.0, kEps);  // (20 / 4) * 100 / 10
    EXPECT_NEAR(row.sgErr, 73.47, kEps);   // 82.15 * sqrt(1 - 4/20)

    // Every tallied tree measured: no sampling error.
    row = Compute(Group("STR", trees));
    EXPECT_EQ(row.sgErr, 0);

    // Tallied but none measured: the volume cannot be expanded.
    row = Compute(Group("STR", {}, {{5, 0}}));
    EXPECT_NEAR(row.treesAcre, 0.5, kEps);
    EXPECT_EQ(row.volAcre, 0);
    EXPECT_EQ(row.v, "R");
    EXPECT_EQ(row.c, "R");
    ExpectFinite(row);
}

TEST(ProductionThreeP, RatioToKpiExpandedByTalliedKpi) {
    std::vector<ProdTree> trees = {Measured("1", "", 100, 10, 10), Measured("1", "", 300, 10, 20),
                                   Measured("1", "", 400, 10, 40), Measured("1", "", 900, 10, 100, 1, "3")};
    auto row = Compute(Group("3P", trees, {{47, 600}}));
    EXPECT_NEAR(row.sgCV, 24.743, kEps);
    EXPECT_EQ(row.sgN, 4);                   // every tree row of the group
    EXPECT_NEAR(row.treesAcre, 5.0, kEps);   // (51 - 1) / 10
    EXPECT_NEAR(row.volAcre, 898.3, kEps);   // (35 / 3) * 770 / 10
    EXPECT_NEAR(row.sgErr, 61.46, kEps);
    EXPECT_EQ(row.c, "N");

    // A tree without KPI has no ratio: left out, marked, never inf.
    trees.push_back(Measured("1", "", 50, 10, 0));
    row = Compute(Group("3P", trees, {{47, 600}}));
    EXPECT_NEAR(row.sgCV, 24.743, kEps);
    EXPECT_EQ(row.c, "R");
    EXPECT_EQ(row.v, "R");
    ExpectFinite(row);

    // Only KPI 0 trees: no ratio at all.
    row = Compute(Group("3P", {Measured("1", "", 50, 10, 0)}, {{3, 0}}));
    EXPECT_EQ(row.volAcre, 0);
    ExpectFinite(row);
}

TEST(ProductionSampleTree3P, WholeNumberExpansionAndTwoStageError) {
    std::vector<ProdTree> trees = {Measured("1", "", 50, 10, 10, 1, "1"), Measured("1", "", 120, 10, 20, 1, "1"),
                                   Counted("1", "", 30, 1, "2"), Measured("1", "", 500, 10, 40, 1, "3")};
    auto row = Compute(Group("S3P", trees, {{6, 0}}));
    EXPECT_NEAR(row.sgCV, 50, kEps);
    EXPECT_NEAR(row.sgCV2, 12.856, kEps);
    EXPECT_EQ(row.sgN, 3);
    EXPECT_EQ(row.sgN2, 2);
    EXPECT_NEAR(row.treesAcre, 1.0, kEps);
    // 500 + 50 * (100 / 20) * (10 / 3) + 120 * (100 / 40) * (10 / 3), whole numbers: 1970
    EXPECT_NEAR(row.volAcre, 197.0, kEps);
    EXPECT_NEAR(row.sgErr, 155.37, kEps);
    EXPECT_EQ(row.c, "N");
    EXPECT_EQ(row.c2, "N");

    // Zero first stage (no tree with KPI) and zero tally: the whole-number quotients
    // have zero divisors and must not trap.
    row = Compute(Group("S3P", {Measured("1", "", 50, 10, 0, 0, "1")}));
    EXPECT_EQ(row.sgN, 0);
    EXPECT_EQ(row.volAcre, 0);
    EXPECT_EQ(row.c, "R");
    EXPECT_EQ(row.c2, "R");
    EXPECT_EQ(row.v, "R");
    ExpectFinite(row);

    // More first-stage trees than tallied: the correction would take a root of a
    // negative number.
    row = Compute(Group("S3P", {Counted("1", "", 10, 0), Counted("1", "", 20, 0), Measured("1", "", 5, 10, 5, 1, "1")}));
    ExpectFinite(row);
}

TEST(ProductionFixedPlot, PlotsWithoutTreesCountAsZero) {
    SgInput in = Group("FIX", {Measured("1", "1", 10), Measured("1", "1", 20), Measured("1", "2", 40),
                               Measured("2", "1", 10), Measured("2", "1", 50)},
                       {}, 4);
    in.trees.back().leave = true;  // volume 0
    in.fpSize = 20;                // e = 20 / 4 = 5
    auto row = Compute(in);
    EXPECT_NEAR(row.sgCV, 91.287, kEps);
    EXPECT_EQ(row.sgN, 4);
    EXPECT_NEAR(row.treesAcre, 25, kEps);
    EXPECT_NEAR(row.volAcre, 400, kEps);
    EXPECT_NEAR(row.treesPlot, 1.2, kEps);
    EXPECT_NEAR(row.sgErr, 145.23, kEps);
    EXPECT_EQ(row.c, "");  // set only when it must be reviewed

    // One plot.
    in.plots = 1;
    row = Compute(in);
    EXPECT_EQ(row.c, "R");
    EXPECT_EQ(row.sgCV, 0);
    // No plots in the stratum or no plot size: no expansion.
    in.plots = 0;
    row = Compute(in);
    EXPECT_EQ(row.t, "R");
    EXPECT_EQ(row.treesAcre, 0);
    ExpectFinite(row);
    in.plots = 4;
    in.fpSize = 0;
    row = Compute(in);
    EXPECT_EQ(row.v, "R");
    ExpectFinite(row);
}

TEST(ProductionPoint, LeaveTreeAddsTreesButNoVolume) {
    SgInput in = Group("PNT", {Measured("1", "1", 20, 10), Measured("1", "1", 100, 20), Measured("1", "2", 50, 10)},
                       {}, 2);
    in.trees.back().leave = true;
    in.baf = 20;
    auto row = Compute(in);
    EXPECT_NEAR(row.treesAcre, 41.2, kEps);
    EXPECT_NEAR(row.volAcre, 825.0, kEps);
    EXPECT_NEAR(row.sgCV, 141.421, kEps);
    EXPECT_EQ(row.sgN, 2);
    EXPECT_NEAR(row.treesPlot, 1.5, kEps);
    EXPECT_EQ(row.c, "");

    // A tree without a diameter stands for no trees; no points: nothing expands.
    in.trees.push_back(Measured("1", "2", 30, 0));
    row = Compute(in);
    EXPECT_NEAR(row.treesAcre, 41.2, kEps);
    in.plots = 0;
    row = Compute(in);
    EXPECT_EQ(row.treesAcre, 0);
    EXPECT_EQ(row.c, "R");
    EXPECT_EQ(row.t, "R");
    ExpectFinite(row);
}

std::vector<ProdTree> ThreePPlots() {
    return {Counted("1", "1", 5), Measured("1", "1", 30, 10, 10), Measured("1", "2", 100, 20, 20),
            Counted("1", "2", 15)};
}

TEST(ProductionPoint3P, KpiSumsPerPointAndRatioToBasalArea) {
    SgInput in = Group("P3P", ThreePPlots(), {}, 2);
    in.baf = 10;
    auto row = Compute(in);
    EXPECT_NEAR(row.treesAcre, 25.7, kEps);
    EXPECT_NEAR(row.volAcre, 974.0, kEps);
    EXPECT_NEAR(row.sgCV, 56.568, kEps);
    EXPECT_NEAR(row.sgCV2, 58.232, kEps);
    EXPECT_EQ(row.sgN, 2);
    EXPECT_EQ(row.sgN2, 2);  // the measured trees the error was taken over
    EXPECT_NEAR(row.sgErr, 729.39, kEps);
    EXPECT_NEAR(row.treesPlot, 2.0, kEps);
    EXPECT_EQ(row.c, "N");
    EXPECT_EQ(row.c2, "N");

    // One point; a measured tree of KPI 0 has neither expansion nor ratio.
    in = Group("P3P", {Measured("1", "1", 30, 10, 0)}, {}, 1);
    in.baf = 10;
    row = Compute(in);
    EXPECT_EQ(row.c, "R");
    EXPECT_EQ(row.c2, "R");
    EXPECT_EQ(row.t, "R");
    EXPECT_EQ(row.treesAcre, 0);
    ExpectFinite(row);
}

TEST(ProductionFixed3P, FixedExpansionAndRatioToKpi) {
    SgInput in = Group("F3P", ThreePPlots(), {}, 2);
    in.fpSize = 10;
    auto row = Compute(in);
    EXPECT_NEAR(row.treesAcre, 18.7, kEps);
    EXPECT_NEAR(row.volAcre, 1000.0, kEps);
    EXPECT_NEAR(row.sgCV, 56.568, kEps);
    EXPECT_NEAR(row.sgCV2, 35.355, kEps);
    EXPECT_NEAR(row.sgErr, 599.32, kEps);

    // No measured tree (m = 0): the expansion's divisor.
    in = Group("F3P", {Counted("1", "1", 5), Counted("1", "2", 7)}, {}, 2);
    in.fpSize = 10;
    row = Compute(in);
    EXPECT_EQ(row.volAcre, 0);
    EXPECT_EQ(row.c2, "R");
    ExpectFinite(row);
}

TEST(ProductionCountMeasure, PointCountsAndBasalAreaRatios) {
    std::vector<ProdTree> trees = {Counted("1", "1", 0, 3), Measured("1", "1", 50, 10, 0, 0),
                                   Measured("1", "2", 200, 20, 0, 1)};
    for (const char* method : {"PCM", "PCMTRE"}) {
        SgInput in = Group(method, trees, {{4, 0}}, 3);
        in.baf = 20;
        EXPECT_EQ(in.tallies.n, 9);
        auto row = Compute(in);
        EXPECT_NEAR(row.sgCV, 124.899, kEps);
        EXPECT_NEAR(row.sgCV2, 0, kEps);  // equal ratios
        EXPECT_EQ(row.sgN, 3);
        EXPECT_EQ(row.sgN2, 2);
        EXPECT_NEAR(row.treesAcre, 68.7, kEps);
        EXPECT_NEAR(row.volAcre, 5500.5, kEps);
        EXPECT_NEAR(row.treesPlot, 3.0, kEps);
        EXPECT_NEAR(row.sgErr, 310.29, kEps);
        EXPECT_EQ(row.c, "N");
    }
    // Count trees only: no second stage, nothing divided by m = 0.
    SgInput in = Group("PCM", {Counted("1", "1", 0, 3)}, {}, 1);
    in.baf = 20;
    auto row = Compute(in);
    EXPECT_EQ(row.sgN2, 0);
    EXPECT_EQ(row.c, "R");
    EXPECT_EQ(row.v, "R");
    ExpectFinite(row);
}

TEST(ProductionFixedCountMeasure, PlotCountsAndMeasuredVolumes) {
    SgInput in = Group("FCM", {Counted("1", "1", 0, 2), Measured("1", "1", 10, 12, 0, 1), Measured("1", "2", 30, 12, 0, 0)},
                       {}, 2);
    in.fpSize = 10;
    EXPECT_EQ(in.tallies.n, 4);
    auto row = Compute(in);
    EXPECT_NEAR(row.treesAcre, 20, kEps);  // 2 * (10 / 2) * (4 / 2)
    EXPECT_NEAR(row.volAcre, 400, kEps);
    EXPECT_NEAR(row.sgCV, 70.71, kEps);
    EXPECT_NEAR(row.sgCV2, 70.71, kEps);
    EXPECT_NEAR(row.sgErr, 898.43, kEps);
    EXPECT_NEAR(row.treesPlot, 2.0, kEps);

    // Zero plots in the stratum.
    in.plots = 0;
    row = Compute(in);
    EXPECT_EQ(row.t, "R");
    EXPECT_EQ(row.treesPlot, 0);
    ExpectFinite(row);
}

TEST(Production3PPoint, PointKpiFirstStageMeasuredPointsSecond) {
    auto kpiRow = [](const std::string& plot, int64_t kpi) {
        ProdTree t = Counted("1", plot, kpi, 0);
        t.treeNo = 0;
        return t;
    };
    SgInput in = Group("3PPNT", {kpiRow("1", 8), Measured("1", "1", 20, 10), Measured("1", "1", 40, 10), kpiRow("2", 4),
                                 kpiRow("3", 6), Measured("1", "3", 100, 20)},
                       {}, 3);
    in.baf = 10;
    auto row = Compute(in);
    EXPECT_NEAR(row.sgCV, 33.333, kEps);
    EXPECT_NEAR(row.sgCV2, 40.406, kEps);
    EXPECT_EQ(row.sgN, 3);
    EXPECT_EQ(row.sgN2, 2);
    EXPECT_NEAR(row.treesAcre, 20.6, kEps);
    EXPECT_NEAR(row.volAcre, 641.7, kEps);  // mean ratio * (18 / 3)
    EXPECT_NEAR(row.treesPlot, 1.5, kEps);
    EXPECT_NEAR(row.sgErr, 372.34, kEps);

    // A measured point without its KPI row, and a stratum without plots.
    in = Group("3PPNT", {Measured("1", "1", 20, 10)}, {}, 0);
    in.baf = 10;
    row = Compute(in);
    EXPECT_EQ(row.sgN2, 0);
    EXPECT_EQ(row.v, "R");
    EXPECT_EQ(row.c2, "R");
    ExpectFinite(row);
}

TEST(ProductionGroups, StratumWithoutAcresMarksPerAcreValues) {
    SgInput in = Group("100", {Measured("1", "", 10), Measured("1", "", 30)}, {}, 0, 1.0);
    in.acresMissing = true;
    auto row = Compute(in);
    EXPECT_NEAR(row.volAcre, 40, kEps);  // computed on 1.0 acre
    EXPECT_EQ(row.t, "R");
    EXPECT_EQ(row.v, "R");
    EXPECT_EQ(row.c, "N");

    // A caller that hands no acres at all gets the same.
    in.acres = 0;
    in.acresMissing = false;
    row = Compute(in);
    EXPECT_NEAR(row.volAcre, 40, kEps);
    EXPECT_EQ(row.v, "R");
}

// Tallies and KPI at the limits of their 64-bit columns, negative counts, zero and
// negative diameters: every method still stores finite values (the sanitizer build
// also catches any overflowing integer arithmetic).
TEST(ProductionGroups, HostileValuesStayFinite) {
    const int64_t big = INT64_MAX;
    std::vector<ProdTree> trees = {Measured("1", "1", 1e300, 0, big, big, "1"), Measured("1", "1", -5, -3, -7, -2, "3"),
                                   Counted("1", "2", big, big), Measured("2", "1", 10, 12, 1, 1)};
    trees[2].treeNo = 0;
    std::vector<CountRow> counts = {{big, big}, {big, -big}};
    for (const char* m : {"100", "STR", "3P", "S3P", "FIX", "PNT", "F3P", "P3P", "PCM", "PCMTRE", "FCM", "3PPNT"}) {
        SCOPED_TRACE(m);
        SgInput in = Group(m, trees, counts, 3);
        in.baf = 20;
        in.fpSize = 10;
        ExpectFinite(Compute(in));
        in.plots = INT64_MAX;
        ExpectFinite(Compute(in));
    }
}

const char* const kAllMethods[] = {"100", "STR", "3P",  "S3P",    "FIX", "PNT",
                                   "F3P", "P3P", "PCM", "PCMTRE", "FCM", "3PPNT"};

bool TwoStage(const std::string& m) {
    return m == "S3P" || m == "F3P" || m == "P3P" || m == "PCM" || m == "PCMTRE" || m == "FCM" || m == "3PPNT";
}

// The three degenerate cruises every family must survive: nothing tallied, one unit
// in the stage, KPI of 0 everywhere.
TEST(ProductionGroups, ZeroCountOneUnitAndZeroKpiForEveryMethod) {
    for (const char* method : kAllMethods) {
        const std::string m = method;
        SCOPED_TRACE(m);
        // Nothing tallied in the group although the stratum has plots.
        SgInput in = Group(m, {}, {}, 2);
        in.baf = 20;
        in.fpSize = 10;
        auto row = Compute(in);
        ExpectFinite(row);
        EXPECT_EQ(row.volAcre, 0);
        EXPECT_EQ(row.treesAcre, 0);
        EXPECT_EQ(row.c, "R");

        // One unit: one tree, on one plot of a one-plot stratum.
        ProdTree only = Measured("1", "1", 40, 12, 5, 1, "1");
        std::vector<ProdTree> trees = {only};
        if (m == "3PPNT") {
            ProdTree kpi = Counted("1", "1", 5, 0);
            kpi.treeNo = 0;
            trees.push_back(kpi);
        }
        in = Group(m, trees, {}, 1);
        in.baf = 20;
        in.fpSize = 10;
        row = Compute(in);
        ExpectFinite(row);
        EXPECT_EQ(row.c, "R");
        EXPECT_EQ(row.sgCV, 0);
        if (TwoStage(m)) {
            EXPECT_EQ(row.c2, "R");
            EXPECT_EQ(row.sgCV2, 0);
        }
        EXPECT_GT(row.volAcre, 0) << "one tree still has a volume per acre";

        // KPI 0 on every tree of two plots.
        trees = {Measured("1", "1", 40, 12, 0, 1, "1"), Measured("1", "2", 60, 14, 0, 1, "1"),
                 Counted("1", "2", 0, 1, "2")};
        if (m == "3PPNT") {
            for (const char* plot : {"1", "2"}) {
                ProdTree kpi = Counted("1", plot, 0, 0);
                kpi.treeNo = 0;
                trees.push_back(kpi);
            }
        }
        in = Group(m, trees, {{3, 0}}, 2);
        in.baf = 20;
        in.fpSize = 10;
        row = Compute(in);
        ExpectFinite(row);
        const bool usesKpi = m == "3P" || m == "S3P" || m == "F3P" || m == "P3P" || m == "3PPNT";
        if (usesKpi) {
            EXPECT_EQ(row.v, "R") << "a volume expanded by KPI 0 is not usable";
            EXPECT_EQ(row.c == "N" && row.c2 == "N", false);
        } else {
            EXPECT_EQ(row.v, "N");
        }
    }
}

TEST(ProductionGroups, UnknownMethodHasNoRoutine) {
    design::SgRow row;
    EXPECT_FALSE(stats::ComputeProductionGroup(Group("XYZ", {}), row));
    EXPECT_FALSE(stats::HasProductionRoutine("XYZ"));
    EXPECT_TRUE(stats::HasProductionRoutine("PCMTRE"));
}

}  // namespace
