// The pseudo-population read from a cruise file: its plots and trees stand for the
// same volume the recon compilation finds, and what cannot be simulated says why.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "simulate/population.h"
#include "simulate/simulate.h"
#include "stats/recon_compiler.h"
#include "stats/recon_test_util.h"
#include "store/config.h"
#include "store/schema.h"
#include "ui/scripted_ui.h"

namespace {

using recontest::ReconSale;
using recontest::TempDir;
using simulate::Population;

class PopulationFromFile : public ::testing::Test {
protected:
    void SetUp() override {
        // Stratum 1: fixed plots (1/10 acre), three with trees and one empty one.
        sale.Recon("R1", "FIX", 10);
        for (const char* p : {"1", "2", "3", "4"}) sale.Plot("R1", "U1", p);
        sale.Stratum("1", "100");
        sale.Summary("1", "A", "A", "U1", "DF");
        sale.Summary("1", "B", "B", "U1", "WH");
        const double fix[][3] = {{1, 14, 30}, {1, 20, 80}, {2, 12, 20}, {2, 22, 95}, {2, 16, 40}, {3, 26, 140}};
        for (const auto& t : fix) sale.Tree("R1", "U1", std::to_string(int(t[0])), "DF", t[1], 90, t[2]);
        sale.Tree("R1", "U1", "1", "WH", 10, 60, 15);
        sale.Tree("R1", "U1", "3", "WH", 18, 80, 60);
        // Stratum 2: points of BAF 20, the second group only above 15 inches.
        sale.Recon("R2", "PNT", 0, 20);
        for (const char* p : {"1", "2", "3"}) sale.Plot("R2", "U2", p);
        sale.Stratum("2", "60");
        sale.Summary("2", "A", "A", "U2", "DF");
        sale.Summary("2", "B", "B", "U2", "WH", "Sg", "15.0", "99.9");
        const double pnt[][3] = {{1, 12, 25}, {1, 24, 110}, {2, 18, 60}, {3, 30, 200}, {3, 9, 8}};
        for (const auto& t : pnt) sale.Tree("R2", "U2", std::to_string(int(t[0])), "DF", t[1], 100, t[2]);
        sale.Tree("R2", "U2", "1", "WH", 12, 70, 30);  // below the range
        sale.Tree("R2", "U2", "2", "WH", 19, 90, 70);
        sale.Tree("R2", "U2", "3", "WH", 21, 95, 85);
    }

    void Compile() {
        ui::ScriptedUi ui;
        ASSERT_EQ(stats::ReconCompiler(sale.storage, ui, "03", {}).Compile(), stats::kReconDone);
    }
    Population Build(const std::string& method) {
        return simulate::BuildPopulation(sale.storage, simulate::MethodDesign(sale.storage, method), "03");
    }
    const simulate::Stratum& Of(const Population& p, const std::string& code) {
        for (const auto& s : p.strata)
            if (s.code == code) return s;
        ADD_FAILURE() << "no stratum " << code;
        return p.strata.front();
    }

    TempDir dir;
    ReconSale sale{dir.Path("sale.crz")};
};

// Every group's volume per acre in the pseudo-population is the compilation's (which
// cuts it to one decimal), for plots, points and the tree methods alike.
TEST_F(PopulationFromFile, VolumesAreTheCompilations) {
    Compile();
    for (const std::string method : {"FIX", "PNT", "STR", "FCM", "PCM", "S3P"}) {
        SCOPED_TRACE(method);
        const simulate::Population pop = Build(method);
        const design::Design d = simulate::MethodDesign(sale.storage, method);
        // Groups the compilation gave stand-in volumes (marked for review) have none to compare.
        std::map<std::string, double> compiled;
        for (const auto& g : d.groups)
            if (g.v != "R") compiled[g.stratum + "/" + g.sgCode] = g.volAcre;
        int checked = 0;
        for (const auto& s : pop.strata) {
            if (!s.problem.empty()) continue;
            for (const auto& g : s.groups) {
                if (!compiled.count(s.code + "/" + g.code)) continue;
                EXPECT_NEAR(g.truth, compiled[s.code + "/" + g.code], 0.1) << s.code << "/" << g.code;
                ++checked;
            }
        }
        // Fixed-family methods have no point plots in stratum 2 and the reverse.
        EXPECT_GE(checked, 2);
    }
}

TEST_F(PopulationFromFile, PlotsCountEmptyOnesAndCarryTheirTrees) {
    Compile();
    const Population fix = Build("FCM");
    const simulate::Stratum& s = Of(fix, "1");
    ASSERT_TRUE(s.problem.empty()) << s.problem;
    EXPECT_EQ(s.plots, 4);
    EXPECT_EQ(s.reconTrees, 8);
    EXPECT_EQ(s.plotFactor, 10);
    // Each plot's trees measure up to the plot's volume, and the empty plot has none.
    ASSERT_EQ(s.treeStart.size(), 4u * 2 + 1);
    int empty = 0;
    for (int k = 0; k < s.plots; ++k)
        for (int j = 0; j < 2; ++j) {
            const size_t cell = static_cast<size_t>(k) * 2 + j;
            double sum = 0;
            for (int t = s.treeStart[cell]; t < s.treeStart[cell + 1]; ++t) sum += s.treeValue[t];
            EXPECT_DOUBLE_EQ(sum * s.plotFactor, s.value[cell]);
            EXPECT_EQ(s.treeStart[cell + 1] - s.treeStart[cell], s.count[cell]);
            if (s.count[cell] == 0) ++empty;
        }
    EXPECT_GE(empty, 2);
    EXPECT_EQ(Of(fix, "2").problem, "no fixed-plot recon plots");

    // On points a measured tree gives its volume per basal area; the diameter range
    // keeps the 12-inch tree out of group B.
    const Population pcm = Build("PCM");
    const simulate::Stratum& p = Of(pcm, "2");
    ASSERT_TRUE(p.problem.empty()) << p.problem;
    EXPECT_EQ(p.plots, 3);
    EXPECT_EQ(p.reconTrees, 7);
    EXPECT_NEAR(p.treeValue[static_cast<size_t>(p.treeStart[0])], 25 / (12 * 12 * 0.005454), 1e-9);
}

TEST_F(PopulationFromFile, WhatCannotBeSimulatedSaysWhy) {
    // A stratum with one recon point, one mixing two BAFs, one with no sample size.
    sale.Recon("R3", "PNT", 0, 40);
    sale.Stratum("3", "10");
    sale.Summary("3", "A", "A", "U3", "DF");
    sale.Tree("R3", "U3", "1", "DF", 20, 90, 50);
    sale.Stratum("4", "10");
    sale.Summary("4", "A", "A", "U2", "DF");
    sale.Summary("4", "A", "A", "U3", "DF");
    Compile();
    const Population pnt = Build("PNT");
    EXPECT_EQ(Of(pnt, "3").problem, "fewer than two point recon plots (1)");
    EXPECT_EQ(Of(pnt, "4").problem, "its point recon plots differ in BAF (20, 40)");
    EXPECT_EQ(Of(pnt, "1").problem, "no point recon plots");
    EXPECT_TRUE(Of(pnt, "2").problem.empty());
    for (const auto& s : pnt.strata) EXPECT_EQ(s.draw == simulate::Draw::None, !s.problem.empty());

    design::Design d = simulate::MethodDesign(sale.storage, "PNT");
    for (auto& g : d.groups)
        if (g.stratum == "2") g.sgN = 0;
    EXPECT_EQ(Of(simulate::BuildPopulation(sale.storage, d, "03"), "2").problem, "sample group A has no sample size");

    const Population f3p = Build("F3P");
    EXPECT_NE(Of(f3p, "1").note.find("no 3P predictions"), std::string::npos);

    store::SetSetting(sale.storage, schema::kBlockStrovan, schema::kKeyType, schema::kTypeProduction);
    EXPECT_NE(Build("PNT").problem.find("production cruise"), std::string::npos);
}

// A 100 % stratum is its design's volume, without error, whatever the recon holds.
TEST_F(PopulationFromFile, CompleteStrataTakeTheDesignsVolume) {
    Compile();
    design::Design d = simulate::MethodDesign(sale.storage, "100");
    ASSERT_FALSE(d.groups.empty());
    d.groups[0].volAcre = 1234.5;
    const Population pop = simulate::BuildPopulation(sale.storage, d, "01");
    ASSERT_TRUE(pop.strata[0].problem.empty());
    EXPECT_EQ(pop.strata[0].draw, simulate::Draw::Complete);
    EXPECT_EQ(pop.strata[0].groups[0].truth, 1234.5);
    EXPECT_DOUBLE_EQ(pop.Total(1000, 50), 50);  // MBF in a board-foot sale
}

}  // namespace
