#include <cmath>

#include <gtest/gtest.h>

#include "recon_test_util.h"
#include "stats/recon_compiler.h"
#include "stats/recon_tables.h"
#include "ui/scripted_ui.h"

namespace {

using recontest::ReconSale;
using recontest::TempDir;
using stats::MethodRow;
using stats::MethodSgRow;

design::CostFigures Costs() {
    design::CostFigures c;
    c.plot = 10;
    c.traverse = 5;
    c.tally = 1;
    c.threeP = 3;
    c.measure = 2;
    c.paint = 0.5;
    return c;
}

class ReconCompile : public ::testing::Test {
protected:
    int Compile(const std::string& uom = "03", int unitChanged = 0) {
        stats::ReconCompiler c(sale.storage, ui, uom, Costs(), unitChanged);
        int r = c.Compile();
        warnings = c.Warnings();
        return r;
    }
    std::vector<MethodSgRow> Sgs() { return stats::ReadMethodSgRows(sale.storage.GetView("SVMethodsSgTable")); }
    std::vector<MethodRow> Methods() { return stats::ReadMethodRows(sale.storage.GetView("SVMethodsTable")); }
    MethodSgRow Sg(const std::string& stratum, const std::string& method, const std::string& code) {
        for (const MethodSgRow& g : Sgs())
            if (g.sg.stratum == stratum && g.cruzMeth == method && g.sg.sgCode == code) return g;
        ADD_FAILURE() << "no row " << stratum << "/" << method << "/" << code;
        return {};
    }
    MethodRow Method(const std::string& stratum, const std::string& method) {
        for (const MethodRow& m : Methods())
            if (m.s.stratum == stratum && m.s.cruzMeth == method) return m;
        ADD_FAILURE() << "no method row " << stratum << "/" << method;
        return {};
    }
    std::vector<design::StratumRow> Design() {
        return stats::ReadDesignRows(sale.storage.GetView("SVDesignTable"));
    }
    static std::string Marks(const MethodSgRow& g) { return g.sg.c + g.sg.c2 + g.sg.t + g.sg.v; }

    TempDir dir;
    ReconSale sale{dir.Path("sale.crz")};
    ui::ScriptedUi ui;
    std::vector<std::string> warnings;
};

TEST_F(ReconCompile, RefusesWithoutStrataOrWithZeroAcresAndWritesNothing) {
    EXPECT_EQ(Compile(), stats::kReconNoStrata);
    sale.Summary("", "A", "A", "U1", "DF");
    EXPECT_EQ(Compile(), stats::kReconNoStrata);
    sale.Summary("1", "A", "A", "U1", "DF");
    sale.Stratum("1", "0");
    EXPECT_EQ(Compile(), stats::kReconZeroAcres);
    EXPECT_FALSE(sale.storage.HasView("SVMethodsTable"));
    EXPECT_FALSE(sale.storage.HasView("SVDesignTable"));
    EXPECT_TRUE(ui.Messages().empty());
}

// One tree of a 100 % recon stratum on 10 acres: per-acre figures from it, the CV
// the stand-in 100 marked for review; sizes by the method formulas.
TEST_F(ReconCompile, OneTreeInA100Stratum) {
    sale.Recon("R1", "100");
    sale.Stratum("1", "10");
    sale.Summary("1", "A", "A", "U1", "DF");
    sale.Tree("R1", "U1", "1", "DF", 14, 90, 50);
    ASSERT_EQ(Compile(), stats::kReconDone);

    MethodSgRow all = Sg("1", "100", "A");
    EXPECT_DOUBLE_EQ(all.sg.treesAcre, 0.1);
    EXPECT_DOUBLE_EQ(all.sg.volAcre, 5.0);
    EXPECT_EQ(all.sg.sgCV, 100);
    EXPECT_EQ(Marks(all), "RNRR");
    EXPECT_EQ(all.sg.sgN, 1);
    EXPECT_EQ(all.sg.freq, 1);
    EXPECT_EQ(all.sg.sgErr, 0);
    EXPECT_EQ(all.mTrees, 1);

    EXPECT_EQ(Sg("1", "STR", "A").sg.sgN, 26);
    MethodSgRow p3 = Sg("1", "3P", "A");
    EXPECT_EQ(p3.sg.sgCV, 35);
    EXPECT_EQ(p3.sg.sgN, 4);
    EXPECT_EQ(p3.sg.kz, 12);  // 5 * 10 * 0.25
    EXPECT_EQ(p3.sg.c, "B");
    MethodSgRow s3p = Sg("1", "S3P", "A");
    EXPECT_EQ(s3p.sg.sgN2, 34);
    EXPECT_EQ(s3p.sg.sgN, 98);
    EXPECT_EQ(s3p.sg.kz, 144);  // 5 / 0.1 * 98 / 34
    EXPECT_EQ(s3p.sg.c2, "B");

    // No plot trees: the plot families take the stand-ins.
    MethodSgRow fix = Sg("1", "FIX", "A");
    EXPECT_EQ(fix.sg.sgCV, 100);
    EXPECT_EQ(fix.sg.sgN, 26);
    EXPECT_EQ(fix.sg.treesPlot, 6.0);
    EXPECT_EQ(Marks(fix), "RNRR");
    EXPECT_EQ(Sg("1", "P3P", "A").sg.avgHt, 1.0);

    // The first design takes the 100 % cruise.
    auto design = Design();
    ASSERT_EQ(design.size(), 1u);
    EXPECT_EQ(design[0].cruzMeth, "100");
    EXPECT_EQ(design[0].sumN, 1);
    EXPECT_EQ(Method("1", "100").select, "1.000000");
    EXPECT_EQ(Method("1", "STR").select, "0");
    EXPECT_EQ(sale.storage.GetView("SVDesignSgTable").RowCount(), 1);
}

// Fixed plots of 1/10 acre: three plots in the plot table (one without trees), trees
// of 10 and 20 on plot 1 and of 30 on plot 2, on 100 acres.
TEST_F(ReconCompile, FixedPlotsByHand) {
    sale.Recon("R1", "FIX", 10);
    sale.Stratum("1", "100", "6600");
    sale.Summary("1", "A", "P", "U1", "DF");
    for (const char* p : {"1", "2", "3"}) sale.Plot("R1", "U1", p);
    sale.Tree("R1", "U1", "1", "DF", 12, 80, 10);
    sale.Tree("R1", "U1", "1", "DF", 14, 85, 20);
    sale.Tree("R1", "U1", "2", "DF", 16, 90, 30);
    ASSERT_EQ(Compile(), stats::kReconDone);

    MethodSgRow fix = Sg("1", "FIX", "P");
    EXPECT_DOUBLE_EQ(fix.sg.volAcre, 200.0);  // plots 100, 100, 0
    EXPECT_DOUBLE_EQ(fix.sg.treesAcre, 10.0);
    EXPECT_DOUBLE_EQ(fix.sg.treesPlot, 1.0);
    EXPECT_NEAR(fix.sg.sgCV, 86.602, 1e-9);
    EXPECT_EQ(fix.sg.sgN, 19);
    // Sized for about 40 percent with t = 2, the 19 plots give (t = 2.101) 41.74.
    EXPECT_DOUBLE_EQ(fix.sg.sgErr, 41.74);
    EXPECT_EQ(Marks(fix), "NNNN");
    EXPECT_EQ(fix.mPlots, 3);
    EXPECT_EQ(fix.mTrees, 3);
    MethodSgRow f3p = Sg("1", "F3P", "P");
    EXPECT_EQ(f3p.sg.sgN2, 27);
    EXPECT_EQ(f3p.sg.sgN, 67);
    EXPECT_EQ(f3p.sg.kz, 49);
    MethodSgRow fcm = Sg("1", "FCM", "P");
    EXPECT_NEAR(fcm.sg.sgCV, 100, 1e-9);  // counts 2, 1, 0
    EXPECT_NEAR(fcm.sg.sgCV2, 50, 1e-9);  // volumes 10, 20, 30
    EXPECT_EQ(fcm.sg.sgN2, 38);
    EXPECT_EQ(fcm.sg.sgN, 77);
    EXPECT_EQ(fcm.sg.freq, 2);

    // The tree family takes trees and volume per acre from the plots and the CV from
    // the trees; a CV of 50 gives STR 7 trees.
    MethodSgRow str = Sg("1", "STR", "A");
    EXPECT_DOUBLE_EQ(str.sg.treesAcre, 10.0);
    EXPECT_DOUBLE_EQ(str.sg.volAcre, 200.0);
    EXPECT_NEAR(str.sg.sgCV, 50, 1e-9);
    EXPECT_EQ(str.sg.sgN, 7);
    EXPECT_EQ(str.sg.freq, 142);
    EXPECT_EQ(Marks(str), "NNNN");
    EXPECT_EQ(str.mPlots, 3);
    EXPECT_EQ(Sg("1", "100", "A").sg.sgN, 1000);
    EXPECT_EQ(Sg("1", "3P", "A").sg.kz, 5000);
    MethodSgRow s3p = Sg("1", "S3P", "A");
    EXPECT_EQ(s3p.sg.sgN2, 11);
    EXPECT_EQ(s3p.sg.sgN, 16);
    EXPECT_EQ(s3p.sg.freq, 62);
    EXPECT_EQ(s3p.sg.kz, 29);

    // Roll-up of the FIX row: one group, spacing of 100 acres over 19 plots, cost
    // trunc(19 * 1 * 2 + 19 * 10) + 6600 / 660 * 5.
    MethodRow m = Method("1", "FIX");
    EXPECT_EQ(m.s.plotSize, 10);
    EXPECT_EQ(m.s.sumN, 19);
    EXPECT_NEAR(m.s.wtCV, 86.602, 1e-9);
    EXPECT_DOUBLE_EQ(m.s.error, 41.74);
    EXPECT_DOUBLE_EQ(m.s.totalVol, 200.0);  // cubic: hundreds of cubic feet
    EXPECT_EQ(m.s.plotSpacing, 478);
    EXPECT_DOUBLE_EQ(m.s.strCost, 278);
    EXPECT_DOUBLE_EQ(m.s.totCircum, 6600);
    EXPECT_EQ(m.s.description, "Stratum 1");
    EXPECT_EQ(Method("1", "PNT").s.plotSize, 0);
    EXPECT_EQ(Methods().size(), 11u);
}

// Three trees on two points of BAF 20.
TEST_F(ReconCompile, PointsByHand) {
    sale.Recon("R2", "PNT", 0, 20);
    sale.Stratum("2", "50");
    sale.Summary("2", "A", "P", "U2", "DF");
    sale.Plot("R2", "U2", "1");
    sale.Plot("R2", "U2", "2");
    sale.Tree("R2", "U2", "1", "DF", 10, 100, 20);
    sale.Tree("R2", "U2", "2", "DF", 20, 80, 60);
    sale.Tree("R2", "U2", "2", "DF", 12, 90, 30);
    ASSERT_EQ(Compile(), stats::kReconDone);

    MethodSgRow pnt = Sg("2", "PNT", "P");
    EXPECT_DOUBLE_EQ(pnt.sg.treesAcre, 35.6);
    EXPECT_DOUBLE_EQ(pnt.sg.volAcre, 1023.7);
    EXPECT_DOUBLE_EQ(pnt.sg.treesPlot, 1.5);
    EXPECT_NEAR(pnt.sg.sgCV, 40.104, 1e-9);
    EXPECT_EQ(pnt.sg.sgN, 5);
    EXPECT_EQ(pnt.sg.bigBaf, 0);
    MethodSgRow p3p = Sg("2", "P3P", "P");
    EXPECT_NEAR(p3p.sg.sgCV, 36.664, 1e-9);  // point height sums 100, 170
    EXPECT_EQ(p3p.sg.avgHt, 94);
    EXPECT_EQ(p3p.sg.sgN2, 7);
    EXPECT_EQ(p3p.sg.sgN, 8);
    EXPECT_EQ(p3p.sg.kz, 161);
    MethodSgRow pcm = Sg("2", "PCM", "P");
    EXPECT_NEAR(pcm.sg.sgCV, 47.14, 1e-9);
    EXPECT_NEAR(pcm.sg.sgCV2, 16.951, 1e-9);
    EXPECT_EQ(pcm.sg.sgN, 23);
    EXPECT_EQ(pcm.sg.sgN2, 8);
    EXPECT_EQ(pcm.sg.freq, 4);
    EXPECT_DOUBLE_EQ(pcm.sg.bigBaf, 86.2);
    MethodSgRow pp = Sg("2", "3PPNT", "P");
    EXPECT_EQ(pp.sg.sgCV2, 30);
    EXPECT_EQ(pp.sg.sgN, 11);
    EXPECT_EQ(pp.sg.sgN2, 8);
    EXPECT_EQ(pp.sg.kz, 1292);
    EXPECT_EQ(Method("2", "PCM").s.plotSize, 20);
    EXPECT_EQ(Method("2", "FIX").s.plotSize, 0);
    // Point trees do not feed the tree family.
    EXPECT_EQ(Marks(Sg("2", "STR", "A")), "RNRR");
}

TEST_F(ReconCompile, MixedPlotSizesWarnOncePerRunAndDefaultOnlyTheFixedFamily) {
    sale.Recon("R5", "FIX", 5);
    sale.Recon("R10", "FIX", 10);
    for (const char* s : {"1", "2"}) {
        sale.Stratum(s, "40");
        sale.Summary(s, "A", "P", std::string("U") + s, "DF");
        sale.Summary(s, "A", "P", std::string("V") + s, "DF");
        sale.Tree("R5", std::string("U") + s, "1", "DF", 12, 80, 10);
        sale.Tree("R5", std::string("U") + s, "2", "DF", 14, 80, 20);
        sale.Tree("R10", std::string("V") + s, "1", "DF", 16, 80, 40);
    }
    ASSERT_EQ(Compile(), stats::kReconDone);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0],
              "Strata Number: 1\nCombining Recon Plots Sampled With Different Fix Plot Sizes.\nWill Skip Fix "
              "Plot Calculations and Use Default Values.");
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].title, "Warning");
    EXPECT_EQ(ui.Messages()[0].icon, ui::Icon::Exclamation);
    EXPECT_EQ(ui.Messages()[0].text, warnings[0] + "\n\n" + warnings[1]);

    EXPECT_EQ(Marks(Sg("1", "FIX", "P")), "RNRR");
    EXPECT_EQ(Sg("1", "FIX", "P").sg.sgCV, 100);
    EXPECT_EQ(Method("1", "FIX").s.plotSize, 0);
    EXPECT_EQ(Method("1", "FCM").s.plotSize, 0);
    // Tree family: the CV from the trees (10, 20, 40), per-acre values stay stand-ins
    // and say so.
    MethodSgRow str = Sg("1", "STR", "A");
    EXPECT_NEAR(str.sg.sgCV, 65.465, 1e-9);
    EXPECT_EQ(str.sg.treesAcre, 1.0);
    EXPECT_EQ(Marks(str), "NNRR");
    EXPECT_EQ(str.mPlots, 0);
    EXPECT_EQ(str.mTrees, 3);
}

// Two pieces of a diameter split in one sample group: every tree once, each piece
// with its own range; a 6.1-inch tree belongs to the range that starts at 6.1.
TEST_F(ReconCompile, SplitPiecesCountEachTreeOnceWithTheirOwnRanges) {
    sale.Recon("R1", "100");
    sale.Stratum("1", "10");
    sale.Summary("1", "A", "A", "U1", "DF", "Sg1", "0", "6.0");
    sale.Summary("1", "A", "A", "U1", "DF", "Sg", "6.1", "99.9");
    sale.Summary("1", "B", "B", "U1", "WH", "Sg1", "6.1", "10");
    sale.Tree("R1", "U1", "1", "DF", 5, 40, 10);
    sale.Tree("R1", "U1", "1", "DF", 6.1f, 50, 20);
    sale.Tree("R1", "U1", "1", "DF", 15, 90, 30);
    sale.Tree("R1", "U1", "1", "WH", 6.1f, 50, 20);
    sale.Tree("R1", "U1", "1", "WH", 10.0f, 50, 20);
    sale.Tree("R1", "U1", "1", "WH", 10.1f, 50, 20);
    sale.Tree("R1", "U1", "1", "WH", 12, 50, 20);
    ASSERT_EQ(Compile(), stats::kReconDone);
    MethodSgRow a = Sg("1", "100", "A");
    EXPECT_EQ(a.mTrees, 3);
    EXPECT_DOUBLE_EQ(a.sg.treesAcre, 0.3);
    EXPECT_DOUBLE_EQ(a.sg.volAcre, 6.0);
    EXPECT_NEAR(a.sg.sgCV, 50, 1e-9);
    MethodSgRow b = Sg("1", "100", "B");
    EXPECT_EQ(b.mTrees, 2);  // 6.1 and 10.0
}

TEST_F(ReconCompile, ADiameterRangeWithoutTreesTakesTheDefaults) {
    sale.Recon("R1", "100");
    sale.Stratum("1", "10");
    sale.Summary("1", "A", "A", "U1", "DF", "Str1", "0", "19.9");
    sale.Summary("1", "B", "B", "U1", "DF", "Str", "20", "99.9");
    sale.Tree("R1", "U1", "1", "DF", 12, 80, 10);
    sale.Tree("R1", "U1", "1", "DF", 14, 80, 20);
    ASSERT_EQ(Compile(), stats::kReconDone);
    EXPECT_EQ(Marks(Sg("1", "100", "A")), "NNNN");
    MethodSgRow b = Sg("1", "STR", "B");
    EXPECT_EQ(Marks(b), "RNRR");
    EXPECT_EQ(b.sg.sgCV, 100);
    EXPECT_EQ(b.sg.treesAcre, 1.0);
    EXPECT_EQ(b.mTrees, 0);
}

// A user who stops the run finds the file as it was.
TEST_F(ReconCompile, StoppingTheRunChangesNothing) {
    struct StoppingUi : ui::ScriptedUi {
        bool Progress(long long) override { return false; }
    } stopping;
    sale.Recon("R1", "100");
    sale.Stratum("1", "10");
    sale.Summary("1", "A", "A", "U1", "DF");
    sale.Tree("R1", "U1", "1", "DF", 12, 80, 10);
    stats::ReconCompiler c(sale.storage, stopping, "03", Costs());
    EXPECT_EQ(c.Compile(), stats::kReconStopped);
    EXPECT_FALSE(sale.storage.HasView("SVMethodsTable"));
    EXPECT_EQ(sale.strata.GetString(0, "Modified"), "Y");
}

TEST_F(ReconCompile, BoardFootSaleWithOnlyCubicVolumesWarnsAndTakesDefaults) {
    sale.Recon("R1", "FIX", 10);
    sale.Stratum("1", "100");
    sale.Summary("1", "A", "P", "U1", "DF");
    sale.Plot("R1", "U1", "1");
    sale.Tree("R1", "U1", "1", "DF", 12, 80, 10, 0);
    sale.Tree("R1", "U1", "1", "DF", 14, 80, 20, 0);
    ASSERT_EQ(Compile("01"), stats::kReconDone);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0],
              "No board foot volume found for trees.\nWill use default values.\n\nCauses:\n   Not processed "
              "through Dorvex program or\n   Cruise Methods are not PNT, FIX, or 100.");
    EXPECT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(Marks(Sg("1", "FIX", "P")), "RNRR");
    EXPECT_EQ(Marks(Sg("1", "PCM", "P")), "RRRR");
    EXPECT_EQ(Sg("1", "STR", "A").sg.volAcre, 1.0);
    EXPECT_EQ(Method("1", "FIX").s.plotSize, 0);
    EXPECT_EQ(Sgs().size(), 11u);
    // The cubic unit finds the volumes.
    sale.strata.SetString(0, "Modified", "Y");
    ui.Clear();
    ASSERT_EQ(Compile("03"), stats::kReconDone);
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(Marks(Sg("1", "FIX", "P")), "RNRR");  // one plot: CV1 is a stand-in
    EXPECT_EQ(Sg("1", "FIX", "P").sg.volAcre, 300.0);
}

// Volume per acre 5000 on 100 acres from two huge trees: TotalVol in thousands of
// board feet or hundreds of cubic feet; trees per acre cut to 0.0 must not divide.
TEST_F(ReconCompile, TotalVolByUnitAndNoDivisionByATruncatedZero) {
    sale.Recon("R1", "100");
    sale.Stratum("1", "100");
    sale.Summary("1", "A", "A", "U1", "DF");
    sale.Tree("R1", "U1", "1", "DF", 40, 150, 250000, 250000);
    sale.Tree("R1", "U1", "1", "DF", 40, 150, 250000, 250000);
    ASSERT_EQ(Compile("01"), stats::kReconDone);
    MethodSgRow s3p = Sg("1", "S3P", "A");
    EXPECT_EQ(s3p.sg.treesAcre, 0.0);
    EXPECT_EQ(s3p.sg.volAcre, 5000.0);
    EXPECT_EQ(s3p.sg.sgCV, 0);  // equal volumes
    EXPECT_EQ(s3p.sg.kz, 0);
    EXPECT_EQ(s3p.sg.freq, 0);
    EXPECT_DOUBLE_EQ(Method("1", "100").s.totalVol, 500);
    EXPECT_DOUBLE_EQ(Design()[0].totalVol, 500);
    sale.strata.SetString(0, "Modified", "Y");
    ASSERT_EQ(Compile("03"), stats::kReconDone);
    EXPECT_DOUBLE_EQ(Method("1", "100").s.totalVol, 5000);
    for (const MethodSgRow& g : Sgs()) {
        EXPECT_TRUE(std::isfinite(g.sg.sgCV) && std::isfinite(g.sg.sgCV2) && std::isfinite(g.sg.bigBaf));
        EXPECT_GE(g.sg.sgN, 0);
    }
}

// A stratum typed in after the first compile keeps Modified "N" yet must appear; a
// stratum deleted with nothing else changed must go.
TEST_F(ReconCompile, NewStrataAreCompiledAndDeletedStrataLeaveEvenWhenNothingElseChanged) {
    sale.Recon("R1", "100");
    sale.Stratum("1", "10");
    sale.Summary("1", "A", "A", "U1", "DF");
    sale.Tree("R1", "U1", "1", "DF", 14, 90, 50);
    sale.Tree("R1", "U1", "1", "DF", 16, 90, 70);
    ASSERT_EQ(Compile(), stats::kReconDone);
    EXPECT_EQ(sale.strata.GetString(0, "Modified"), "N");

    sale.Stratum("2", "20", "0", "N");
    sale.Summary("2", "A", "A", "U2", "DF");
    ASSERT_EQ(Compile(), stats::kReconDone);
    ASSERT_EQ(Design().size(), 2u);
    EXPECT_EQ(Design()[1].stratum, "2");
    EXPECT_EQ(Methods().size(), 22u);

    sale.strata.RemoveRows(1);
    sale.summary.RemoveRows(1);
    ASSERT_EQ(Compile(), stats::kReconDone);
    EXPECT_EQ(Design().size(), 1u);
    EXPECT_EQ(Methods().size(), 11u);
    EXPECT_EQ(Sgs().size(), 11u);
    for (const MethodSgRow& g : Sgs()) EXPECT_EQ(g.sg.stratum, "1");
}

TEST_F(ReconCompile, UnmodifiedStrataKeepTheirRowsButTakeTheNewCosts) {
    sale.Recon("R1", "100");
    sale.Stratum("1", "10");
    sale.Summary("1", "A", "A", "U1", "DF");
    sale.Tree("R1", "U1", "1", "DF", 14, 90, 50);
    sale.Tree("R1", "U1", "1", "DF", 16, 90, 70);
    ASSERT_EQ(Compile(), stats::kReconDone);
    // The forester's edit in the per-method table survives a run that compiles nothing.
    mk::View sgs = sale.storage.GetView("SVMethodsSgTable");
    for (int r = 0; r < sgs.RowCount(); ++r)
        if (sgs.GetString(r, "CruzMeth") == "STR") sgs.SetDouble(r, "SgCV", 33.3);
    ASSERT_EQ(Compile(), stats::kReconDone);
    EXPECT_DOUBLE_EQ(Sg("1", "STR", "A").sg.sgCV, 33.3);
    EXPECT_DOUBLE_EQ(Method("1", "STR").s.wtCV, 33.3);
    // The unit-changed flag rebuilds it from the trees.
    ASSERT_EQ(Compile("03", 1), stats::kReconDone);
    EXPECT_NEAR(Sg("1", "STR", "A").sg.sgCV, 23.57, 1e-9);
}

// The method the forester chose (Select "1.000000", or "1" as a check box writes it)
// stays chosen when the stratum is rebuilt.
TEST_F(ReconCompile, TheChosenMethodSurvivesARecompile) {
    sale.Recon("R1", "100");
    sale.Stratum("1", "10");
    sale.Stratum("2", "10");
    sale.Summary("1", "A", "A", "U1", "DF");
    sale.Summary("2", "A", "A", "U1", "WH");
    sale.Tree("R1", "U1", "1", "DF", 14, 90, 50);
    sale.Tree("R1", "U1", "1", "WH", 16, 90, 70);
    ASSERT_EQ(Compile(), stats::kReconDone);
    mk::View m = sale.storage.GetView("SVMethodsTable");
    for (int r = 0; r < m.RowCount(); ++r) {
        std::string meth = m.GetString(r, "CruzMeth");
        if (m.GetString(r, "Stratum") == "1") m.SetString(r, "Select", meth == "S3P" ? "1.000000" : "0");
        if (m.GetString(r, "Stratum") == "2") m.SetString(r, "Select", meth == "PCM" ? "1" : "0");
    }
    for (int r = 0; r < 2; ++r) sale.strata.SetString(r, "Modified", "Y");
    ASSERT_EQ(Compile(), stats::kReconDone);
    auto design = Design();
    ASSERT_EQ(design.size(), 2u);
    EXPECT_EQ(design[0].cruzMeth, "S3P");
    EXPECT_EQ(design[1].cruzMeth, "PCM");
    EXPECT_EQ(Method("1", "S3P").select, "1.000000");
    EXPECT_EQ(Method("1", "100").select, "0");
    auto sgs = stats::ReadDesignSgRows(sale.storage.GetView("SVDesignSgTable"));
    ASSERT_EQ(sgs.size(), 2u);
    EXPECT_EQ(sgs[0].sgN2, Sg("1", "S3P", "A").sg.sgN2);
}

// A tree without a diameter on a point stands for no area: no infinity, a warning.
TEST_F(ReconCompile, PointTreesWithoutDiameterAreLeftOutAndCounted) {
    sale.Recon("R2", "PNT", 0, 20);
    sale.Stratum("2", "50");
    sale.Summary("2", "A", "P", "U2", "DF");
    sale.Plot("R2", "U2", "1");
    sale.Plot("R2", "U2", "2");
    sale.Tree("R2", "U2", "1", "DF", 10, 100, 20);
    sale.Tree("R2", "U2", "2", "DF", 20, 80, 60);
    sale.Tree("R2", "U2", "2", "DF", 12, 90, 30);
    sale.Tree("R2", "U2", "2", "DF", 0, 0, 30);
    ASSERT_EQ(Compile(), stats::kReconDone);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("Strata Number: 2\n1 "), std::string::npos);
    MethodSgRow pnt = Sg("2", "PNT", "P");
    EXPECT_DOUBLE_EQ(pnt.sg.treesAcre, 35.6);  // as without the tree
    EXPECT_DOUBLE_EQ(pnt.sg.volAcre, 1023.7);
    EXPECT_DOUBLE_EQ(pnt.sg.treesPlot, 2.0);  // but it was tallied
    EXPECT_NEAR(Sg("2", "PCM", "P").sg.sgCV2, 16.951, 1e-9);
    EXPECT_EQ(pnt.mTrees, 4);
}

// One plot: the spread between plots is unknown, the CVs that need it are stand-ins
// and marked for review; the spread between its trees is known.
TEST_F(ReconCompile, OnePlotMarksThePlotCvsForReview) {
    sale.Recon("R1", "FIX", 10);
    sale.Stratum("1", "100");
    sale.Summary("1", "A", "P", "U1", "DF");
    sale.Summary("1", "A", "Q", "U1", "WH");
    sale.Plot("R1", "U1", "1");
    sale.Tree("R1", "U1", "1", "DF", 12, 80, 10);
    sale.Tree("R1", "U1", "1", "DF", 14, 80, 20);
    sale.Tree("R1", "U1", "1", "WH", 14, 80, 20);
    ASSERT_EQ(Compile(), stats::kReconDone);
    MethodSgRow fcm = Sg("1", "FCM", "P");
    EXPECT_EQ(fcm.sg.sgCV, 100);
    EXPECT_NEAR(fcm.sg.sgCV2, 47.14, 1e-9);
    EXPECT_EQ(Marks(fcm), "RNRR");
    EXPECT_EQ(Marks(Sg("1", "FIX", "P")), "RNRR");
    // One plot and one tree: every CV a stand-in.
    MethodSgRow one = Sg("1", "FCM", "Q");
    EXPECT_EQ(one.sg.sgCV2, 100);
    EXPECT_EQ(Marks(one), "RRRR");
    EXPECT_DOUBLE_EQ(one.sg.volAcre, 200.0);
}

// Several plots, one tree: only the tree CV is a stand-in.
TEST_F(ReconCompile, OneTreeOnSeveralPlotsMarksOnlyTheTreeCv) {
    sale.Recon("R1", "FIX", 10);
    sale.Stratum("1", "100");
    sale.Summary("1", "A", "P", "U1", "DF");
    sale.Plot("R1", "U1", "1");
    sale.Plot("R1", "U1", "2");
    sale.Tree("R1", "U1", "1", "DF", 12, 80, 10);
    ASSERT_EQ(Compile(), stats::kReconDone);
    MethodSgRow fcm = Sg("1", "FCM", "P");
    EXPECT_EQ(fcm.sg.sgCV2, 100);
    EXPECT_EQ(Marks(fcm), "NRNN");
    EXPECT_EQ(Marks(Sg("1", "FIX", "P")), "NNNN");
    EXPECT_NEAR(Sg("1", "FIX", "P").sg.sgCV, 141.421, 1e-9);  // plot values 50, 0
}

// A unit cruised by two recon strata: the design stratum counts the plots of the
// one its trees come from, the same number for the tree and plot families.
TEST_F(ReconCompile, PlotsOfTheReconStratumTheTreesComeFrom) {
    sale.Recon("R1", "FIX", 10);
    sale.Recon("R3", "FIX", 10);
    sale.Stratum("1", "100");
    sale.Summary("1", "A", "P", "U1", "DF");
    for (const char* p : {"1", "2"}) sale.Plot("R1", "U1", p);
    for (const char* p : {"1", "2", "3", "4"}) sale.Plot("R3", "U1", p);
    sale.Tree("R1", "U1", "1", "DF", 12, 80, 10);
    sale.Tree("R1", "U1", "2", "DF", 14, 80, 20);
    sale.Tree("R3", "U1", "3", "WH", 14, 80, 20);
    ASSERT_EQ(Compile(), stats::kReconDone);
    EXPECT_EQ(Sg("1", "FIX", "P").mPlots, 2);
    EXPECT_EQ(Sg("1", "STR", "A").mPlots, 2);
    EXPECT_DOUBLE_EQ(Sg("1", "FIX", "P").sg.volAcre, 150.0);
}

// Without a plot table the plots holding trees are counted; a cut/leave column with
// no value means a cut tree, "L" a leave tree.
TEST(ReconCompileLayouts, EmptyPlotTableAndCutLeaveCodes) {
    TempDir dir;
    std::string desc = recontest::TreeTableDesc();
    desc.insert(desc.size() - 1, ",CL:S");
    ReconSale sale(dir.Path("cl.crz"), desc);
    sale.Recon("R1", "FIX", 10);
    sale.Stratum("1", "100");
    sale.Summary("1", "A", "P", "U1", "DF");
    sale.Tree("R1", "U1", "1", "DF", 12, 80, 10);
    sale.Tree("R1", "U1", "2", "DF", 14, 80, 20);
    int leave = sale.Tree("R1", "U1", "3", "DF", 14, 80, 20);
    sale.trees.SetString(leave, "CL", "L");
    sale.trees.SetString(0, "CL", "C");
    ui::ScriptedUi ui;
    stats::ReconCompiler c(sale.storage, ui, "03", design::CostFigures{});
    ASSERT_EQ(c.Compile(), stats::kReconDone);
    for (const MethodSgRow& g : stats::ReadMethodSgRows(sale.storage.GetView("SVMethodsSgTable")))
        if (g.cruzMeth == "FIX") {
            EXPECT_EQ(g.mTrees, 2);
            EXPECT_EQ(g.mPlots, 3);  // the leave tree's plot is still a plot
            EXPECT_DOUBLE_EQ(g.sg.volAcre, 100.0);
        }
}

}  // namespace
