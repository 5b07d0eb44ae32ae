#include <gtest/gtest.h>

#include "report_test_util.h"
#include "reports/reports.h"

using namespace reports_test;

namespace {

reports::ReportInputs Forms() {
    reports::ReportInputs in = Sale();
    in.units = {{"1", 12.5, "Upper slope", "420", "P1"}, {"2", 130.25, "Bottom", "999", "P2"}};
    design::StratumRow a = Stratum("1", "STR"), b = Stratum("2", "PNT"), c = Stratum("3", "FIX"),
                       d = Stratum("4", "3P");
    b.plotSize = 20;
    c.plotSize = 10;
    a.units = "1,2";
    b.units = "2, 7";
    in.strata = {a, b, c, d};
    design::SgRow ga = Group("1", "A"), gb = Group("2", "B"), gd = Group("4", "K");
    ga.freq = 8;
    ga.kz = 999;
    gb.freq = 4;
    gd.freq = 1;
    gd.kz = 300;
    in.groups = {ga, gb, gd};
    in.summary = {
        {"1", "A", "", "DF", "01", "L"}, {"1", "A", "", "DF", "01", "L"},  // one line for both
        {"1", "A", "", "DF", "01", "D"}, {"1", "A", "", "WH", "01", "L"},
        {"2", "", "B", "RC", "02", "L"},  // a plot method: by its plot group
        {"2", "B", "", "PP", "01", "L"},  // a tree group code of a plot stratum: not listed
        {"4", "K", "", "LP", "01", "L"},
    };
    reports::AutoFillRow exact;
    exact.sp = "DF", exact.prodP = "01", exact.ld = "L", exact.uomP = "03", exact.cDefP = "10";
    exact.topDibP = 5.5, exact.merchHtLL = 32, exact.avgZForm = 0.75, exact.dbhBtr = 0.9;
    reports::AutoFillRow both = exact;
    both.ld = "L,D", both.uomP = "04";
    reports::AutoFillRow later = exact;
    later.uomP = "99";  // a second exact row: the first one wins
    in.autoFill = {exact, both, later};
    return in;
}

}  // namespace

TEST(KelvaneForms, SectionsHeadersAndValues) {
    auto rep = reports::BuildKelvane(Forms());
    const grid::GridModel& g = rep->Grid();
    ASSERT_EQ(g.ColumnCount(), 32);
    EXPECT_EQ(rep->Raw(0, 0), "Kelvane - Setup Forms");
    EXPECT_EQ(g.Format(0, 0).font, reports::kTitleFont);
    EXPECT_EQ(rep->Raw(20, 0), "Cruise Number: 3");

    EXPECT_EQ(rep->Raw(0, 2), "Cruise Table");
    EXPECT_EQ(g.Format(0, 2).font, reports::kSectionFont);
    const std::vector<std::pair<int, const char*>> head = {{0, "SaleNo"}, {1, "CruiseNo"}, {2, "Sale Name"},
                                                           {5, "Region"}, {6, "Forest"},   {7, "District"},
                                                           {8, "CalYear"}, {9, "Purpose"}};
    for (auto [col, text] : head) {
        EXPECT_EQ(rep->Raw(col, 3), text);
        EXPECT_EQ(g.Format(col, 3).borders, unsigned(grid::kBorderAll));
    }
    EXPECT_EQ(rep->Raw(2, 4), "Cedar Ridge");
    EXPECT_EQ(rep->Raw(8, 4), "2026");

    int64_t units = FindRow(g, 0, "Cutting Unit Table");
    ASSERT_EQ(units, 6);  // two rows below the last
    EXPECT_EQ(rep->Raw(5, units + 1), "LogMeth");
    EXPECT_EQ(rep->Raw(1, units + 2), "  12.5");
    EXPECT_EQ(rep->Raw(5, units + 2), "420");
    EXPECT_EQ(rep->Raw(6, units + 2), "Tractor");
    EXPECT_EQ(rep->Raw(1, units + 3), " 130.2");
    EXPECT_EQ(rep->Raw(6, units + 3), "");  // a code not in the list

    int64_t strata = FindRow(g, 0, "Stratum Table");
    ASSERT_EQ(strata, units + 5);
    EXPECT_EQ(rep->Raw(5, strata + 1), "BAF");
    EXPECT_EQ(rep->Raw(5, strata + 3), " 20.0");  // PNT: BAF
    EXPECT_EQ(rep->Raw(6, strata + 3), "");
    EXPECT_EQ(rep->Raw(5, strata + 4), "");
    EXPECT_EQ(rep->Raw(6, strata + 4), "  10");  // FIX: plot size
    EXPECT_EQ(rep->Raw(7, strata + 2), "1,2");
    EXPECT_EQ(rep->Raw(11, strata + 2), "5");
    EXPECT_EQ(rep->Raw(12, strata + 2), "2026");
}

TEST(KelvaneForms, SubPopulationLinePerSpeciesAndLiveDeadWithTheirDefaults) {
    auto rep = reports::BuildKelvane(Forms());
    const grid::GridModel& g = rep->Grid();
    int64_t sub = FindRow(g, 0, "SubPopulation Table");
    ASSERT_GT(sub, 0);
    EXPECT_EQ(rep->Raw(15, sub + 1), "MerchHtType");
    EXPECT_EQ(rep->Raw(16, sub + 1), "Freq/KZ");
    std::vector<std::string> lines;
    int64_t r = sub + 2;
    for (; !rep->Raw(0, r).empty() && rep->Raw(0, r).find("Mandatory") == std::string::npos; ++r)
        lines.push_back(rep->Raw(0, r) + "|" + rep->Raw(1, r) + "|" + rep->Raw(2, r) + "|" + rep->Raw(5, r) + "|" +
                        rep->Raw(7, r) + "|" + rep->Raw(3, r) + "|" + rep->Raw(16, r));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "1|A|DF|01|L|03|8",  // exact defaults; STR: the frequency
                         "1|A|DF|01|D|04|8",  // the "L,D" defaults
                         "1|A|WH|01|L||8",    // none
                         "2|B|RC|02|L||4",    // plot stratum by SgPlot
                         "4|K|LP|01|L||300",  // 3P: the KZ
                     }));
    EXPECT_EQ(rep->Raw(17, sub + 2), "32");
    EXPECT_EQ(rep->Raw(19, sub + 2), "5.5");
    EXPECT_EQ(g.Format(0, sub + 2).background, grid::Color::FromColorRef(14474460));
    EXPECT_EQ(g.Format(3, sub + 2).background, std::nullopt);

    EXPECT_NE(FindRow(g, 0, "Mandatory"), -1);
    EXPECT_EQ(rep->Raw(0, FindRow(g, 0, "Mandatory")), "               Mandatory");
    EXPECT_NE(FindRow(g, 0, "Rarely Used"), -1);
    EXPECT_NE(FindRow(g, 0, "1:  SG can be blank.  Blank is a valid sample group code in Dorvex."), -1);
    EXPECT_TRUE(rep->Notice().empty());
}

TEST(MirtelForm, SectionsInOrderWithUnitsPerStratumAndFrequencies) {
    auto rep = reports::BuildMirtel(Forms());
    const grid::GridModel& g = rep->Grid();
    EXPECT_EQ(rep->Raw(0, 0), "MIRTEL - Setup Form");
    EXPECT_EQ(rep->Raw(20, 0), "Cruise Number: 3");
    int64_t last = 0;
    for (const char* s : {"Cruise Data", "Strata Data", "Unit Data", "Unit/Strata Data", "Sample Freq/KZ Data",
                          "All-Inclusive Species List", "Species / EtAl Codes"}) {
        int64_t row = FindRow(g, 0, s);
        EXPECT_GT(row, last) << s;
        EXPECT_EQ(rep->Raw(0, row - 1), "") << s;  // two rows below the last
        EXPECT_NE(rep->Raw(0, row - 2), "") << s;
        last = row;
    }
    int64_t cruise = FindRow(g, 0, "Cruise Data");
    EXPECT_EQ(rep->Raw(0, cruise + 2), "3");
    EXPECT_EQ(rep->Raw(1, cruise + 2), "4711");

    int64_t strata = FindRow(g, 0, "Strata Data");
    EXPECT_EQ(rep->Raw(1, strata + 1), "Cruise Method");
    EXPECT_EQ(rep->Raw(3, strata + 3), " 20.0");
    EXPECT_EQ(rep->Raw(4, strata + 4), "  10");

    int64_t us = FindRow(g, 0, "Unit/Strata Data");
    std::vector<std::string> pairs;
    for (int64_t r = us + 2; !rep->Raw(0, r).empty(); ++r)
        pairs.push_back(rep->Raw(0, r) + ":" + rep->Raw(1, r) + ":" + rep->Raw(2, r));
    EXPECT_EQ(pairs, (std::vector<std::string>{"1:1:  12.5", "1:2: 130.2", "2:2: 130.2", "2:7:", "3:1:  12.5",
                                               "3:2: 130.2", "4:1:  12.5", "4:2: 130.2"}));

    int64_t freq = FindRow(g, 0, "Sample Freq/KZ Data");
    EXPECT_EQ(rep->Raw(0, freq + 2) + rep->Raw(1, freq + 2) + "=" + rep->Raw(2, freq + 2), "1A=8");
    EXPECT_EQ(rep->Raw(2, freq + 4), "300");

    int64_t species = FindRow(g, 0, "All-Inclusive Species List");
    std::vector<std::string> names;
    for (int64_t r = species + 2; !rep->Raw(0, r).empty(); ++r) names.push_back(rep->Raw(0, r));
    EXPECT_EQ(names, (std::vector<std::string>{"DF", "WH", "RC", "PP", "LP"}));
}

TEST(MirtelForm, SeveralSpeciesInOneSampleGroupAskForEtAlCodes) {
    auto rep = reports::BuildMirtel(Forms());
    const grid::GridModel& g = rep->Grid();
    int64_t t = FindRow(g, 0, "Species / EtAl Codes");
    EXPECT_EQ(rep->Raw(0, t + 1), "Species");
    EXPECT_EQ(rep->Raw(0, t + 2), "Code");
    EXPECT_EQ(rep->Raw(10, t + 2), "Recov%");
    EXPECT_EQ(rep->Raw(19, t + 2), "Sec");
    int64_t df = FindRow(g, 0, "DF", t + 3), pp = FindRow(g, 0, "PP", t + 3);
    ASSERT_GT(df, 0);
    ASSERT_GT(pp, 0);
    // DF shares group 1/A with WH: its EtAl cell is to be filled; PP stands alone.
    EXPECT_EQ(g.Format(1, df).background, grid::colors::kReadOnlyGrey);
    EXPECT_EQ(g.Format(1, pp).background, std::nullopt);
    EXPECT_EQ(rep->Raw(15, df), "0.750");
    EXPECT_EQ(rep->Raw(18, df), "5.5");
    EXPECT_NE(rep->Notice().find("Multiple species codes require unique EtAl Codes."), std::string::npos);

    reports::ReportInputs single = Forms();
    single.summary = {{"1", "A", "", "DF", "01", "L"}, {"1", "A", "", "DF", "01", "D"}};
    EXPECT_TRUE(reports::BuildMirtel(single)->Notice().empty());
}

TEST(SetupForms, CannotBeSavedAsText) {
    EXPECT_FALSE(reports::CanSaveText(reports::ReportKind::Kelvane));
    EXPECT_FALSE(reports::CanSaveText(reports::ReportKind::Mirtel));
    EXPECT_TRUE(reports::CanSaveText(reports::ReportKind::Summary));
    EXPECT_TRUE(reports::CanSaveText(reports::ReportKind::ReconAll));
}
