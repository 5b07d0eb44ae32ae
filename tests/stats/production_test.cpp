// The production run over a whole cruise file: tables read, design tables written,
// the roll-up, and generated cruises of every method.
#include <cmath>

#include <gtest/gtest.h>

#include "design/rows.h"
#include "stats/production.h"
#include "testdata/production_cruise.h"
#include "store/schema.h"

namespace {

constexpr const char* kTrees =
    "TreeTable[Stratum:S,CutUnit:S,Plot:S,Tree:S,SG:S,CM:S,CL:S,3Pcode:S,KPI:L,TreeCnt:I,DBH:F,TotHt:F,"
    "NCUFTVolPP:D,NBDFTVolPP:D]";

struct Cruise {
    mk::Storage s;
    mk::View trees = *s.GetAs(kTrees);
    mk::View units = *s.GetAs(schema::kCuttingUnitTableDesc);
    mk::View strata = *s.GetAs(schema::kStratumTableFieldDesc);
    mk::View subpops = *s.GetAs(schema::kSubPopulationTableDesc);
    mk::View counts = *s.GetAs(schema::kCountTableDesc);
    mk::View plots = *s.GetAs(schema::kPlotTableDesc);

    void Unit(const std::string& code, double area) {
        int r = units.AddRow();
        units.SetString(r, "CutUnit", code);
        units.SetDouble(r, "Area", area);
    }
    void Stratum(const std::string& code, const std::string& method, const std::string& unitList, double baf = 0,
                 double fp = 0) {
        int r = strata.AddRow();
        strata.SetString(r, "Stratum", code);
        strata.SetString(r, "CruzMeth", method);
        strata.SetString(r, "Units", unitList);
        strata.SetDouble(r, "BAF", baf);
        strata.SetDouble(r, "FPSize", fp);
        strata.SetString(r, "Description", "d" + code);
    }
    void Group(const std::string& stratum, const std::string& sg) {
        int r = subpops.AddRow();
        subpops.SetString(r, "Stratum", stratum);
        subpops.SetString(r, "SG", sg);
    }
    void Tree(const std::string& stratum, const std::string& sg, const std::string& unit, const std::string& plot,
              double cubic, double dbh = 10, const std::string& cm = "M", int cnt = 1) {
        int r = trees.AddRow();
        trees.SetString(r, "Stratum", stratum);
        trees.SetString(r, "SG", sg);
        trees.SetString(r, "CutUnit", unit);
        trees.SetString(r, "Plot", plot);
        trees.SetString(r, "Tree", "1");
        trees.SetString(r, "CM", cm);
        trees.SetInt(r, "TreeCnt", cnt);
        trees.SetFloat(r, "DBH", static_cast<float>(dbh));
        trees.SetDouble(r, "NCUFTVolPP", cubic);
        trees.SetDouble(r, "NBDFTVolPP", cubic * 5);
    }
    void Plot(const std::string& stratum, const std::string& unit, const std::string& plot) {
        int r = plots.AddRow();
        plots.SetString(r, "Stratum", stratum);
        plots.SetString(r, "CutUnit", unit);
        plots.SetString(r, "Plot", plot);
    }
    void Count(const std::string& stratum, const std::string& sg, int64_t n) {
        int r = counts.AddRow();
        counts.SetString(r, "Stratum", stratum);
        counts.SetString(r, "SG", sg);
        counts.SetLong(r, "Count", n);
    }
};

design::CostFigures Costs() {
    design::CostFigures c;
    c.plot = 10;
    c.traverse = 6.6;
    c.tally = 1;
    c.threeP = 2;
    c.measure = 5;
    c.paint = 0.5;
    return c;
}

TEST(ProductionRun, NoTreesOrNoVolumeWritesNothing) {
    Cruise c;
    c.Unit("1", 10);
    c.Stratum("1", "100", "1");
    EXPECT_EQ(stats::CompileProductionStatistics(c.s, "01", Costs()), 1);
    EXPECT_FALSE(c.s.HasView(schema::kSVDesignTable));
    // Trees with cubic volume only, on a board-foot sale.
    int r = c.trees.AddRow();
    c.trees.SetDouble(r, "NCUFTVolPP", 12);
    EXPECT_EQ(stats::CompileProductionStatistics(c.s, "01", Costs()), 2);
    EXPECT_FALSE(c.s.HasView(schema::kSVDesignTable));
    EXPECT_EQ(stats::CompileProductionStatistics(c.s, "03", Costs()), 0);
    EXPECT_EQ(stats::ProductionResultMessage(1, "01"), "No Trees Found in the Tree Table!");
    EXPECT_EQ(stats::ProductionResultMessage(2, "01"),
              "No board foot volume found for trees.\nPlease Process through Dorvex program.");
    EXPECT_EQ(stats::ProductionResultMessage(2, "03"),
              "No cubic foot volume found for trees.\nPlease Process through Dorvex program.");
}

TEST(ProductionRun, WritesStrataGroupsAndRollUp) {
    Cruise c;
    c.Unit("12", 10);
    c.Unit("14", 20);
    c.Unit("15", 30);
    c.Unit("20", 25);
    // Unit 99 is not in CuttingUnitTable: adds nothing.
    c.Stratum(" 1 ", "100", "12, 14,15,99");
    c.Stratum("2", "PNT", "20", 20);
    c.Stratum("3", "XYZ", "20");  // a method without a routine: stratum row, no groups
    c.Group(" 1 ", "A");
    c.Group(" 1 ", "A");  // a second species row of the same group
    c.Group(" 1 ", "B");
    c.Group("2", "P");
    for (double v : {10, 20, 30}) c.Tree(" 1 ", "A", "12", "", v);
    c.Tree(" 1 ", "B", "14", "", 60);
    c.Tree(" 1 ", "B", "14", "", 60, 10, "C", 4);  // count tree: in N, not measured
    c.Plot("2", "20", "1");
    c.Plot("2", "20", "2");
    c.Tree("2", "P", "20", "1", 20, 10);
    c.Tree("2", "P", "20", "1", 100, 20);

    stats::ProductionReport rep;
    ASSERT_EQ(stats::CompileProductionStatistics(c.s, "03", Costs(), &rep), 0);
    mk::View design = c.s.GetView(schema::kSVDesignTable);
    mk::View sgs = c.s.GetView(schema::kSVDesignSgTable);
    ASSERT_EQ(design.RowCount(), 3);
    ASSERT_EQ(sgs.RowCount(), 3);

    // Stratum 1: 60 acres of three units, perimeter of three circles.
    EXPECT_EQ(design.GetString(0, "Stratum"), "1");
    EXPECT_DOUBLE_EQ(design.GetDouble(0, "TotAcres"), 60);
    EXPECT_NEAR(design.GetDouble(0, "TotCircum"),
                stats::UnitPerimeter(10) + stats::UnitPerimeter(20) + stats::UnitPerimeter(30), 1e-9);
    EXPECT_EQ(design.GetString(0, "Units"), "12, 14,15,99");
    EXPECT_EQ(design.GetString(0, "Description"), "d 1 ");

    // Group A: 3 trees 10, 20, 30 on 60 acres; group B: 1 measured tree.
    EXPECT_EQ(sgs.GetString(0, "Stratum"), "1");
    EXPECT_EQ(sgs.GetString(0, "SgCode"), "A");
    EXPECT_NEAR(sgs.GetDouble(0, "SgCV"), 50, 1e-9);
    EXPECT_EQ(sgs.GetInt(0, "SgN"), 3);
    EXPECT_NEAR(sgs.GetDouble(0, "Vol/Acre"), 1.0, 1e-9);  // 60 / 60
    EXPECT_EQ(sgs.GetString(1, "SgCode"), "B");
    EXPECT_EQ(sgs.GetString(1, "C"), "R");
    ASSERT_EQ(rep.strata.size(), 3u);
    ASSERT_EQ(rep.strata[0].groups.size(), 2u);
    EXPECT_EQ(rep.strata[0].groups[1].tallies.n, 5);
    EXPECT_EQ(rep.strata[0].groups[1].tallies.m, 1);

    // Roll-up of the "100" stratum: sizes add, volume weights the CV.
    EXPECT_EQ(design.GetInt(0, "SumN"), 4);
    EXPECT_NEAR(design.GetDouble(0, "Vol/Acre"), 2.0, 1e-9);
    EXPECT_NEAR(design.GetDouble(0, "WtCV"), 25, 1e-9);  // half the volume at CV 50, half at 0
    EXPECT_NEAR(design.GetDouble(0, "TotalVol"), 2.0 * 60 / 100, 1e-9);
    // Cost of "100": trunc(4 * 5) + trunc(4 * 0.5)
    EXPECT_NEAR(design.GetDouble(0, "StrCost"), 22, 1e-9);

    // The point stratum: one group copied, its BAF kept as the plot size, plot spacing.
    EXPECT_DOUBLE_EQ(design.GetDouble(1, "PlotSize"), 20);
    EXPECT_EQ(design.GetInt(1, "SumN"), 2);
    EXPECT_EQ(design.GetInt(1, "PlotSpacing"), static_cast<int>(std::sqrt(25.0 / 2 * 43560)));
    EXPECT_DOUBLE_EQ(design.GetDouble(1, "Vol/Acre"), sgs.GetDouble(2, "Vol/Acre"));

    // Unknown method: a stratum with nothing to roll up.
    EXPECT_EQ(design.GetString(2, "CruzMeth"), "XYZ");
    EXPECT_EQ(design.GetInt(2, "SumN"), 0);
    EXPECT_EQ(design.GetDouble(2, "Error"), 0);

    // A second run replaces the tables rather than adding to them.
    ASSERT_EQ(stats::CompileProductionStatistics(c.s, "03", Costs()), 0);
    EXPECT_EQ(c.s.GetView(schema::kSVDesignTable).RowCount(), 3);
    EXPECT_EQ(c.s.GetView(schema::kSVDesignSgTable).RowCount(), 3);
}

TEST(ProductionRun, StratumWithoutAcresIsComputedOnOneAcreAndMarked) {
    Cruise c;
    c.Stratum("1", "STR", "7");  // unit 7 does not exist
    c.Group("1", "A");
    c.Tree("1", "A", "7", "", 10);
    c.Tree("1", "A", "7", "", 30);
    c.Count("1", "A", 8);
    stats::ProductionReport rep;
    ASSERT_EQ(stats::CompileProductionStatistics(c.s, "03", Costs(), &rep), 0);
    mk::View design = c.s.GetView(schema::kSVDesignTable);
    mk::View sgs = c.s.GetView(schema::kSVDesignSgTable);
    EXPECT_DOUBLE_EQ(design.GetDouble(0, "TotAcres"), 1.0);
    EXPECT_DOUBLE_EQ(design.GetDouble(0, "TotCircum"), 0);
    EXPECT_TRUE(rep.strata[0].acresMissing);
    EXPECT_NEAR(sgs.GetDouble(0, "Trees/Acre"), 10, 1e-9);  // N = 8 + 2
    EXPECT_NEAR(sgs.GetDouble(0, "Vol/Acre"), 200, 1e-9);   // (10 / 2) * 40
    EXPECT_EQ(sgs.GetString(0, "T"), "R");
    EXPECT_EQ(sgs.GetString(0, "V"), "R");
}

TEST(ProductionRun, ThreePPointStratumGetsOneRowFromAllItsTrees) {
    Cruise c;
    c.Unit("1", 40);
    c.Stratum("1", "3PPNT", "1", 10);
    for (const char* g : {"A", "B", "C"}) c.Group("1", g);
    for (const char* p : {"1", "2", "3"}) c.Plot("1", "1", p);
    auto kpi = [&](const std::string& plot, int64_t k) {
        int r = c.trees.AddRow();
        c.trees.SetString(r, "Stratum", "1");
        c.trees.SetString(r, "CutUnit", "1");
        c.trees.SetString(r, "Plot", plot);
        c.trees.SetString(r, "Tree", "0");
        c.trees.SetLong(r, "KPI", k);
    };
    kpi("1", 8);
    kpi("2", 4);
    kpi("3", 6);
    c.Tree("1", "A", "1", "1", 20);
    c.Tree("1", "B", "1", "1", 40);
    c.Tree("1", "C", "1", "3", 100, 20);
    ASSERT_EQ(stats::CompileProductionStatistics(c.s, "03", Costs()), 0);
    mk::View sgs = c.s.GetView(schema::kSVDesignSgTable);
    ASSERT_EQ(sgs.RowCount(), 1);
    EXPECT_EQ(sgs.GetString(0, "SgCode"), "A");
    EXPECT_EQ(sgs.GetInt(0, "SgN"), 3);
    EXPECT_EQ(sgs.GetInt(0, "SgN2"), 2);
    EXPECT_NEAR(sgs.GetDouble(0, "Vol/Acre"), 641.7, 1e-9);  // as worked in the routine's test
}

// Each method's generated stratum gives a row per group, with finite values and
// computed marks where the data allows.
TEST(ProductionGenerated, EveryMethodComputesFiniteRows) {
    for (const std::string& uom : {std::string("01"), std::string("03")}) {
        mk::Storage s;
        testdata::ProductionCruiseShape shape;
        shape.strata = 12;
        shape.trees = 3000;
        shape.uom = uom;
        ASSERT_TRUE(testdata::WriteProductionCruise(s, shape));
        stats::ProductionReport rep;
        ASSERT_EQ(stats::CompileProductionStatistics(s, uom, Costs(), &rep), 0);
        ASSERT_EQ(rep.strata.size(), 12u);
        for (const auto& st : rep.strata) {
            SCOPED_TRACE(st.row.cruzMeth);
            EXPECT_FALSE(st.acresMissing);
            EXPECT_EQ(st.groups.size(), st.row.cruzMeth == "3PPNT" ? 1u : 3u);
            EXPECT_GT(st.row.volAcre, 0);
            for (const auto& g : st.groups) {
                for (double x : {g.row.sgCV, g.row.sgCV2, g.row.sgErr, g.row.treesAcre, g.row.volAcre})
                    EXPECT_TRUE(std::isfinite(x));
                EXPECT_EQ(g.row.t, "N");
                EXPECT_NE(g.row.c, "R");
                EXPECT_GT(g.tallies.n + g.tallies.m, 0);
            }
            if (st.row.cruzMeth == "100") EXPECT_EQ(st.row.error, 0);
            else EXPECT_GT(st.row.error, 0);
        }
        EXPECT_EQ(s.GetView(schema::kSVDesignSgTable).RowCount(), 11 * 3 + 1);
    }
}

}  // namespace
