#include <sstream>

#include <gtest/gtest.h>

#include "design/sampling.h"
#include "design/stratum.h"
#include "report_test_util.h"
#include "reports/reports.h"

using namespace reports_test;
using reports::ReportGrid;

namespace {

grid::Color Background(const grid::GridModel& g, int col, int64_t row) {
    return g.Format(col, row).background.value_or(grid::colors::kWhite);
}

}  // namespace

TEST(SummaryReport, SaleBlockTotalsStratumRowsAndTwoBandsForFourGroups) {
    reports::ReportInputs in = Sale();
    design::StratumRow s = Stratum("1", "STR");
    s.totAcres = 100;
    s.treesAcre = 12.345;
    s.volAcre = 5.6789;
    s.error = 7.25;
    s.totalVol = 567.89;
    s.units = "1,2,7";
    in.strata.push_back(s);
    for (const char* code : {"A", "B", "C", "D"}) {
        design::SgRow g = Group("1", code, 10 + (code[0] - 'A'));
        g.freq = 5;
        g.sgCV = 33.33333;
        g.sgErr = 12.34;
        g.treesAcre = 1.5;
        g.volAcre = 2.25;
        in.groups.push_back(g);
    }
    in.groups.push_back(Group("2", "Z"));  // another stratum's group stays out
    in.saleErrorText = "  7.2";
    in.costText = "         1234.5";

    auto rep = reports::BuildSummary(in);
    const grid::GridModel& g = rep->Grid();
    ASSERT_EQ(g.ColumnCount(), 9);
    const int widths[9] = {70, 85, 60, 80, 85, 60, 80, 85, 60};
    for (int c = 0; c < 9; ++c) EXPECT_EQ(g.ColumnWidth(c), widths[c]);

    EXPECT_EQ(rep->Raw(1, 0), "Strovan Report - Based on Net Board Foot Volume");
    EXPECT_EQ(g.SpanAt(1, 0), (grid::Span{1, 0, 7, 0}));
    EXPECT_EQ(g.Format(1, 0).font, reports::kTitleFont);

    const char* labels[6] = {"Sale Num    ", "Sale Name   ", "Region      ", "Forest      ", "District    ", "Purpose     "};
    const char* values[6] = {"4711", "Cedar Ridge", "06", "12", "03", "Timber Sale"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(rep->Raw(0, 2 + i), labels[i]);
        EXPECT_EQ(rep->Raw(1, 2 + i), values[i]);
    }
    EXPECT_EQ(rep->Raw(6, 2), "Sale Error  ");
    EXPECT_EQ(rep->Raw(7, 2), "  7.2");
    EXPECT_EQ(rep->Raw(6, 4), "Sum Net MBF ");
    EXPECT_EQ(rep->Raw(7, 4), "   567.890");
    EXPECT_EQ(rep->Raw(6, 6), "Est. Cost ");
    EXPECT_EQ(rep->Raw(7, 6), "         1234.5");
    EXPECT_EQ(rep->Raw(6, 7), "Est. Plots ");
    EXPECT_EQ(rep->Raw(7, 7), "0");
    EXPECT_EQ(rep->Raw(6, 8), "Est. Trees ");
    EXPECT_EQ(rep->Raw(7, 8), "46");  // 10 + 11 + 12 + 13

    // Six stratum rows from row 9, the code row highlighted across the grid.
    EXPECT_EQ(rep->Raw(0, 10), "Strata Code ");
    EXPECT_EQ(rep->Raw(1, 10), "1");
    EXPECT_EQ(rep->Raw(1, 11), "STR");
    EXPECT_EQ(rep->Raw(1, 12), "   100.0");
    EXPECT_EQ(rep->Raw(1, 13), "  12.35");
    EXPECT_EQ(rep->Raw(1, 14), "  5.679");
    EXPECT_EQ(rep->Raw(3, 10), "Description ");
    EXPECT_EQ(g.SpanAt(4, 10), (grid::Span{4, 10, 8, 10}));
    EXPECT_EQ(rep->Raw(4, 11), "    7.2");
    EXPECT_EQ(rep->Raw(4, 12), "1,2,7");
    EXPECT_EQ(rep->Raw(4, 13), "   567.9");
    EXPECT_EQ(rep->Raw(3, 14), "");  // no plot spacing for a tree method
    EXPECT_EQ(rep->Raw(2, 12), "      ");
    for (int c = 0; c < 9; ++c) EXPECT_EQ(Background(g, c, 10), grid::Color::FromColorRef(16770740)) << c;
    EXPECT_EQ(Background(g, 0, 11), grid::colors::kWhite);

    // Two bands of ten rows: A, B, C side by side, then D alone.
    ASSERT_EQ(g.RowCount(), 9 + 6 + 10 + 10);
    const char* block[8] = {"SG Code     ", "Description ", "SG Error    ", "Sample Trees",
                            "Frequency   ", "Est. CV     ", "Trees/Acre  ", "Vol/Acre    "};
    for (int i = 0; i < 8; ++i)
        for (int col : {0, 3, 6}) EXPECT_EQ(rep->Raw(col, 16 + i), block[i]) << i << "," << col;
    EXPECT_EQ(rep->Raw(1, 16), "A");
    EXPECT_EQ(rep->Raw(4, 16), "B");
    EXPECT_EQ(rep->Raw(7, 16), "C");
    EXPECT_EQ(rep->Raw(1, 18), "   12.3");
    EXPECT_EQ(rep->Raw(1, 19), "10");
    EXPECT_EQ(rep->Raw(1, 20), "5");
    EXPECT_EQ(rep->Raw(1, 21), "  33.333");
    EXPECT_EQ(rep->Raw(1, 22), "   1.500");
    EXPECT_EQ(rep->Raw(1, 23), "   2.250");
    EXPECT_EQ(Background(g, 0, 16), grid::Color::FromColorRef(14474460));
    EXPECT_EQ(Background(g, 1, 16), grid::Color::FromColorRef(14474460));
    EXPECT_EQ(rep->Raw(1, 26), "D");
    EXPECT_EQ(rep->Raw(3, 26), "");
    EXPECT_EQ(rep->Raw(5, 30), "      ");
}

TEST(SummaryReport, CubicSaleAndMissingCruiseRow) {
    reports::ReportInputs in;
    in.uom = "03";
    auto rep = reports::BuildSummary(in);
    EXPECT_EQ(rep->Raw(1, 0), "Strovan Report - Based on Net Cubic Volume");
    EXPECT_EQ(rep->Raw(6, 4), "Sum Net CCF ");
    EXPECT_EQ(rep->Raw(7, 4), "     0.000");
    for (int r = 2; r < 8; ++r) {
        EXPECT_FALSE(rep->Raw(0, r).empty());
        EXPECT_EQ(rep->Raw(1, r), "") << r;
    }
    EXPECT_EQ(rep->RowCount(), 9);
}

TEST(SummaryReport, BlockLinesAndBandHeightByMethod) {
    struct Case {
        const char* method;
        int rows;
        std::vector<std::string> labels;  // after "SG Code", "Description", "SG Error"
    };
    const std::vector<Case> cases = {
        {"100", 9, {"Sample Trees", "Est. CV     "}},
        {"PNT", 9, {"Sample Plots", "Est. CV     "}},
        {"FIX", 9, {"Sample Plots", "Est. CV     "}},
        {"3P", 10, {"Sample Trees", "KZ Value    ", "Est. CV     "}},
        {"S3P", 13, {"3P Trees    ", "Sample Trees", "Frequency   ", "KZ Value    ", "Stage 1 CV  ", "Stage 2 CV  "}},
        {"F3P", 12, {"Sample Plots", "Sample Trees", "KZ Value    ", "Stage 1 CV  ", "Stage 2 CV  "}},
        {"P3P", 12, {"Sample Plots", "Sample Trees", "KZ Value    ", "Stage 1 CV  ", "Stage 2 CV  "}},
        {"3PPNT", 12, {"Total Plots ", "Sample Plots", "KZ Value    ", "Stage 1 CV  ", "Stage 2 CV  "}},
        {"PCM", 12, {"Sample Plots", "Sample Trees", "Frequency   ", "BigBaf      ", "Stage 1 CV  ", "Stage 2 CV  "}},
        {"PCMTRE", 12, {"Sample Plots", "Sample Trees", "Frequency   ", "BigBaf      ", "Stage 1 CV  ", "Stage 2 CV  "}},
        {"FCM", 12, {"Sample Plots", "Sample Trees", "Frequency   ", "Stage 1 CV  ", "Stage 2 CV  "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        reports::ReportInputs in = Sale();
        in.strata.push_back(Stratum("1", c.method));
        design::SgRow g = Group("1", "A", 7, 3);
        g.bigBaf = 40;
        g.kz = 250;
        g.sgCV2 = 12.5;
        in.groups.push_back(g);
        auto rep = reports::BuildSummary(in);
        ASSERT_EQ(rep->RowCount(), 9 + 6 + c.rows);
        std::vector<std::string> labels;
        for (int64_t r = 16 + 3; r < rep->RowCount(); ++r)
            if (!rep->Raw(0, r).empty()) labels.push_back(rep->Raw(0, r));
        std::vector<std::string> expected = c.labels;
        expected.push_back("Trees/Acre  ");
        expected.push_back("Vol/Acre    ");
        EXPECT_EQ(labels, expected);
        EXPECT_EQ(rep->Raw(1, 19), "7");  // the first-stage size
        if (c.labels.size() > 1 && c.labels[1] == "Sample Trees") {
            EXPECT_EQ(rep->Raw(1, 20), "3");
        }
        if (std::string(c.method) == "PCM") {
            EXPECT_EQ(rep->Raw(1, 22), "  40.0");
        }
        if (std::string(c.method) == "S3P") {
            EXPECT_EQ(rep->Raw(1, 24), "  12.500");
        }
        bool plot = design::IsPlotMethod(c.method);
        EXPECT_EQ(rep->Raw(3, 14), plot ? "Plot Spacing" : "");
    }
}

TEST(SummaryReport, EstimatedTreesAndPlotsFollowTheMethods) {
    reports::ReportInputs in = Sale();
    for (auto [code, m] : {std::pair{"1", "100"}, {"2", "S3P"}, {"3", "PNT"}, {"4", "F3P"}, {"5", "3P"}})
        in.strata.push_back(Stratum(code, m));
    in.groups = {Group("1", "A", 3, 50), Group("1", "B", 4, 50),  // trees 3 + 4
                 Group("2", "A", 99, 5),                          // trees 5 (second stage)
                 Group("3", "A", 8, 60), Group("3", "B", 9, 60),  // plots 8: the first group only
                 Group("4", "A", 6, 70),                          // plots 6, no trees
                 Group("5", "A", 11, 80)};                        // trees 11
    auto rep = reports::BuildSummary(in);
    EXPECT_EQ(rep->Raw(7, 8), "23");
    EXPECT_EQ(rep->Raw(7, 7), "14");
}

TEST(SummaryReport, SaleErrorAndCostComputedWhenTheFormGivesNone) {
    reports::ReportInputs in = Sale();
    design::StratumRow a = Stratum("1", "100"), b = Stratum("2", "PNT");
    a.volAcre = 10, a.totAcres = 100, a.error = 8, a.strCost = 100;
    b.volAcre = 20, b.totAcres = 50, b.error = 6, b.strCost = 50.5;
    in.strata = {a, b};
    auto rep = reports::BuildSummary(in);
    // Volumes 1000 and 1000 with errors 8 and 6: sqrt(8000^2 + 6000^2) / 2000 = 5.
    EXPECT_EQ(rep->Raw(7, 2), "  5.0");
    EXPECT_EQ(rep->Raw(7, 6), "          150.5");
}

TEST(ReportText, FieldsAreRightAlignedAndJoinedRangesLeftAlignedAfterFiveBlanks) {
    ReportGrid r(3);
    r.Grid().SetColumnWidth(0, 70);  // 12 characters
    r.Grid().SetColumnWidth(1, 85);  // 15
    r.Grid().SetColumnWidth(2, 60);  // 11
    r.Put(0, 0, "Sale Num    ");
    r.Put(1, 0, "42");
    r.PutJoined(0, 1, 1, "Title");  // (70 + 85) / 6 + 1 = 26
    r.Put(2, 1, "x");
    r.Put(2, 2, "a text longer than its field");
    std::ostringstream out;
    r.WriteText(out);
    std::string expected = "Sale Num    " + std::string(13, ' ') + "42" + std::string(11, ' ') + "\n";
    expected += "     Title" + std::string(21, ' ') + std::string(10, ' ') + "x\n";
    expected += std::string(12 + 15, ' ') + "a text longer than its field\n";
    EXPECT_EQ(out.str(), expected);
}

TEST(ReportText, SummaryLinesKeepTheLabelsBlanks) {
    reports::ReportInputs in = Sale();
    in.saleErrorText = "  7.2";
    auto rep = reports::BuildSummary(in);
    std::ostringstream out;
    rep->WriteText(out);
    std::istringstream lines(out.str());
    std::vector<std::string> l;
    for (std::string s; std::getline(lines, s);) l.push_back(s);
    ASSERT_EQ(l.size(), 9u);
    // Title: column 0 blank (12), then the join of columns 1-7: 535 / 6 + 1 = 90.
    std::string title = "Strovan Report - Based on Net Board Foot Volume";
    EXPECT_EQ(l[0], std::string(12, ' ') + "     " + title + std::string(90 - title.size(), ' ') + std::string(11, ' '));
    // Fields 12, 15, 11, 14, 15, 11, 14, 15, 11.
    std::string row2 = "Sale Num    " + std::string(11, ' ') + "4711" + std::string(11 + 14 + 15 + 11, ' ') +
                       "  Sale Error  " + std::string(10, ' ') + "  7.2" + std::string(11, ' ');
    EXPECT_EQ(l[2], row2);
    EXPECT_EQ(l[1], std::string(12 + 15 + 11 + 14 + 15 + 11 + 14 + 15 + 11, ' '));
}
