#include <sstream>

#include <gtest/gtest.h>

#include "report_test_util.h"
#include "reports/reports.h"

using namespace reports_test;

namespace {

reports::ReportInputs TwoStrata() {
    reports::ReportInputs in = Sale();
    design::StratumRow a = Stratum("1", "STR");
    a.description = "North";
    a.units = "1,2";
    in.strata = {a, Stratum("2", "PNT")};
    // Interleaved as the compilation leaves them: the index must keep table order.
    in.methodGroups = {{"1", "STR", "A", 3, 30},   {"2", "FIX", "A", 1, 1},   {"1", "PNT", "B", 9, 9},
                       {"1", "STR", "", 4, 40},    {"1", "100", "A", 5, 50},  {"1", "PCMTRE", "A", 7, 7},
                       {"1", "3PPNT", "Q", 12345, 2}};
    return in;
}

}  // namespace

TEST(ReconReport, CurrentDesignListsEachStratumsChosenMethod) {
    auto rep = reports::BuildRecon(TwoStrata(), false);
    const grid::GridModel& g = rep->Grid();
    ASSERT_EQ(g.ColumnCount(), 9);
    for (int c = 0; c < 9; ++c) EXPECT_EQ(g.ColumnWidth(c), 60);
    EXPECT_EQ(rep->Raw(0, 0), "Recon Data Used in Current Design for Selected Cruise Methods.");
    EXPECT_EQ(g.SpanAt(0, 0), (grid::Span{0, 0, 8, 0}));
    EXPECT_EQ(g.Format(0, 0).font, reports::kTitleFont);

    // Stratum 1: rows 1-2 empty, headers 3-4, stratum row 5, groups 6-7.
    for (int c = 0; c < 9; ++c) EXPECT_EQ(rep->Raw(c, 1) + rep->Raw(c, 2), "");
    const char* h1[9] = {" ", " ", " ", "", " ", "", "Sample", "# Recon", "# Recon"};
    const char* h2[9] = {"Stratum", "CruzMeth", "Description", "", "Units", "", "Group", "Plots", "Trees"};
    for (int c = 0; c < 9; ++c) {
        EXPECT_EQ(rep->Raw(c, 3), h1[c]) << c;
        EXPECT_EQ(rep->Raw(c, 4), h2[c]) << c;
        EXPECT_EQ(g.Format(c, 3).borders, unsigned(grid::kBorderAll)) << c;
        EXPECT_EQ(g.Format(c, 4).borders, unsigned(grid::kBorderAll)) << c;
    }
    EXPECT_EQ(g.SpanAt(2, 4), (grid::Span{2, 4, 3, 4}));
    EXPECT_EQ(g.SpanAt(4, 3), (grid::Span{4, 3, 5, 3}));
    EXPECT_EQ(rep->Raw(0, 5), "1");
    EXPECT_EQ(rep->Raw(1, 5), "STR");
    EXPECT_EQ(rep->Raw(2, 5), "North");
    EXPECT_EQ(rep->Raw(4, 5), "1,2");
    EXPECT_EQ(rep->Raw(6, 6), "A");
    EXPECT_EQ(rep->Raw(7, 6), "    3");
    EXPECT_EQ(rep->Raw(8, 6), "   30");
    EXPECT_EQ(rep->Raw(6, 7), " ");  // a blank code
    EXPECT_EQ(rep->Raw(7, 7), "    4");
    EXPECT_EQ(g.SpanAt(2, 7), (grid::Span{2, 7, 3, 7}));
    EXPECT_EQ(g.SpanAt(4, 7), (grid::Span{4, 7, 5, 7}));
    // Stratum 2 (PNT) has no rows of its method: header and stratum row only.
    EXPECT_EQ(rep->Raw(0, 11), "Stratum");
    EXPECT_EQ(rep->Raw(1, 12), "PNT");
    EXPECT_EQ(rep->RowCount(), 13);

    // The blank code survives the text save as one blank in its field.
    std::ostringstream out;
    rep->WriteText(out);
    std::istringstream lines(out.str());
    std::vector<std::string> l;
    for (std::string s; std::getline(lines, s);) l.push_back(s);
    ASSERT_EQ(l.size(), 13u);
    // Fields of 11; joins of 120 px: 21 characters after five blanks.
    std::string blanks = std::string(11 + 11, ' ') + "     " + std::string(21, ' ') + "     " + std::string(21, ' ');
    EXPECT_EQ(l[7], blanks + std::string(10, ' ') + " " + std::string(6, ' ') + "    4" + std::string(6, ' ') + "   40");
}

TEST(ReconReport, AllMethodsRepeatsTheBlockForElevenMethodsWithoutPcmtre) {
    reports::ReportInputs in = TwoStrata();
    in.strata.resize(1);
    auto rep = reports::BuildRecon(in, true);
    EXPECT_EQ(rep->Raw(0, 0), "Recon Data Used in Current Design for All Cruise Methods.");
    std::vector<std::string> methods;
    for (int64_t r = 1; r < rep->RowCount(); ++r)
        if (rep->Raw(0, r) == "1") methods.push_back(rep->Raw(1, r));
    EXPECT_EQ(methods, (std::vector<std::string>{"100", "STR", "3P", "S3P", "FIX", "F3P", "FCM", "PNT", "P3P", "PCM",
                                                  "3PPNT"}));
    // 11 blocks of five rows, plus the groups of 100 (1), STR (2), PNT (1), 3PPNT (1).
    EXPECT_EQ(rep->RowCount(), 1 + 11 * 5 + 5);
    int64_t pnt = FindRow(rep->Grid(), 1, "PNT");
    EXPECT_EQ(rep->Raw(6, pnt + 1), "B");
    int64_t ppnt = FindRow(rep->Grid(), 1, "3PPNT");
    EXPECT_EQ(rep->Raw(7, ppnt + 1), "12345");  // wider than "%5d" keeps every digit
    EXPECT_EQ(FindRow(rep->Grid(), 1, "PCMTRE"), -1);
}

TEST(ReconReport, ProductionCruiseSaysThereIsNothingToReport) {
    reports::ReportInputs in = TwoStrata();
    in.cruiseType = 1;
    for (bool all : {false, true}) {
        auto rep = reports::BuildRecon(in, all);
        EXPECT_EQ(rep->Raw(0, 3), "No recon data for a production cruise: the recon sample sizes do not apply.");
        EXPECT_EQ(rep->RowCount(), 4);
        EXPECT_EQ(FindRow(rep->Grid(), 0, "Stratum"), -1);
    }
}
