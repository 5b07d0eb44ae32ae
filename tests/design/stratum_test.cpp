#include <gtest/gtest.h>

#include <vector>

#include "design/stratum.h"

using namespace design;

namespace {

SgRow Group(double cv, int n, double err, double ta, double va, double tp = 0) {
    SgRow g;
    g.sgCV = cv;
    g.sgCV2 = cv / 2;
    g.sgN = n;
    g.sgErr = err;
    g.treesAcre = ta;
    g.volAcre = va;
    g.treesPlot = tp;
    return g;
}

StratumRow Summary(const char* method, double acres, std::vector<SgRow> rows, SummaryMode mode,
                   const char* uom = "01") {
    StratumRow s;
    s.cruzMeth = method;
    s.totAcres = acres;
    SgRefs refs;
    for (SgRow& g : rows) refs.push_back(&g);
    SummarizeStratum(s, refs, mode, uom, {});
    return s;
}

}  // namespace

TEST(StratumSummary, OneGroupIsCopiedAndTruncatedInTheForm) {
    StratumRow s = Summary("STR", 100, {Group(45.6789, 30, 9.876, 55, 4321)}, SummaryMode::Fill);
    EXPECT_DOUBLE_EQ(s.wtCV, 45.6789);
    EXPECT_DOUBLE_EQ(s.error, 9.876);
    EXPECT_EQ(s.sumN, 30);
    EXPECT_DOUBLE_EQ(s.totalVol, 432.1);  // thousands of board feet
    s = Summary("STR", 100, {Group(45.6789, 30, 9.876, 55, 4321)}, SummaryMode::Form, "03");
    EXPECT_DOUBLE_EQ(s.wtCV, 45.678);
    EXPECT_DOUBLE_EQ(s.error, 9.87);
    EXPECT_DOUBLE_EQ(s.totalVol, 4321);  // hundreds of cubic feet
}

TEST(StratumSummary, GroupsWeighByVolumeAndPlotsAreShared) {
    std::vector<SgRow> rows{Group(40, 40, 10, 40, 3000, 5), Group(80, 35, 20, 10, 1000, 2)};
    StratumRow s = Summary("STR", 100, rows, SummaryMode::Form);
    EXPECT_EQ(s.sumN, 75);  // tree samples add up
    EXPECT_DOUBLE_EQ(s.wtCV, 50.0);
    EXPECT_DOUBLE_EQ(s.wtCV2, 25.0);
    EXPECT_DOUBLE_EQ(s.error, 9.01);  // sqrt(30000^2 + 20000^2) / 4000
    EXPECT_DOUBLE_EQ(s.volAcre, 4000);
    s = Summary("PNT", 100, rows, SummaryMode::Form);
    EXPECT_EQ(s.sumN, 40);           // plots are shared: the largest count
    EXPECT_EQ(s.plotSpacing, 330);   // 2.5 acres a plot
    EXPECT_DOUBLE_EQ(s.treesPlot, 7);
}

TEST(StratumSummary, NoVolumeOrPlotsStoreZero) {
    StratumRow s = Summary("FIX", 50, {Group(40, 0, 10, 0, 0), Group(80, 0, 20, 0, 0)}, SummaryMode::Form);
    EXPECT_EQ(s.wtCV, 0.0);
    EXPECT_EQ(s.error, 0.0);
    EXPECT_EQ(s.totalVol, 0.0);
    EXPECT_EQ(s.plotSpacing, 0);
    EXPECT_EQ(Summary("FIX", 50, {}, SummaryMode::Form).sumN, 0);
}

TEST(StratumCost, ByMethod) {
    // plot 10, traverse 30, tally 0.5, 3P 2, measure 5, paint 0.25; traverse of 6600 ft: 300
    const CostFigures costs{10, 30, 0.5, 2, 5, 0.25};
    StratumRow s;
    s.totAcres = 100;
    s.totCircum = 6600;
    s.sumN = 201;
    s.sumN2 = 40;
    s.treesAcre = 50.5;  // 5050 trees; paint trunc(1262.5)
    s.treesPlot = 6.5;
    struct Case { const char* method; double cost; } cases[] = {
        {"100", 1005 + 50},      {"STR", 1262 + 1005 + 2525}, {"3P", 1262 + 1005 + 10100},
        {"S3P", 1262 + 402 + 200 + 2525},  {"PNT", 8542 + 300}, {"FIX", 8542 + 300},
        {"F3P", 4823 + 300},     {"P3P", 4823 + 300},         {"PCM", 2210 + 300},
        {"FCM", 2210 + 300},     {"PCMTRE", 2210 + 300},      {"3PPNT", 3310 + 300},
        {"XYZ", 0},
    };
    for (const Case& c : cases) {
        s.cruzMeth = c.method;
        EXPECT_DOUBLE_EQ(StratumCost(s, costs), c.cost) << c.method;
    }
}

TEST(SaleTotals, VolumeWeightedErrorAndCostSum) {
    auto stratum = [](double volAcre, double error, double cost) {
        StratumRow s;
        s.volAcre = volAcre;
        s.totAcres = 100;
        s.error = error;
        s.strCost = cost;
        return s;
    };
    std::vector<StratumRow> strata{stratum(1000, 10, 1500.5), stratum(3000, 5, 99.25)};
    SaleTotals t = SaleErrorAndCost(strata);
    EXPECT_DOUBLE_EQ(t.error, 4.5);  // sqrt(1e12 + 2.25e12) / 4e5 = 4.5069
    EXPECT_DOUBLE_EQ(t.cost, 1599.75);
    EXPECT_EQ(FormatSaleError(t.error), "  4.5");
    EXPECT_EQ(FormatCost(t.cost), "         1599.8");
    strata[0].volAcre = strata[1].volAcre = 0;
    EXPECT_EQ(SaleErrorAndCost(strata).error, 0.0);
}
