// Designs side by side: strata grouping the same units share a row, and exactly the
// cells that differ from the first design are marked.
#include <gtest/gtest.h>

#include "advise/compare.h"
#include "advise_fixture.h"

namespace {

advise::StratumOutcome Stratum(const std::string& code, const std::string& method, const std::string& units, int n,
                               double error, double cost) {
    advise::StratumOutcome s;
    s.code = code;
    s.method = method;
    s.units = units;
    s.sumN = n;
    s.error = error;
    s.cost = cost;
    return s;
}

TEST(Compare, RowsByUnitsAndOnlyDifferencesMarked) {
    advise::ComparedDesign a{"current", "", {Stratum("1", "PNT", "1,2,3", 40, 9.5, 2000),
                                             Stratum("2", "FIX", "4,5", 30, 12, 1500)}, 8, 3500};
    // The same units as a's stratum 1 (listed otherwise), another grouping of 4 and 5.
    advise::ComparedDesign b{"proposal:3", "", {Stratum("1", "PNT", "3,1,2", 40, 9.5, 2000),
                                                Stratum("2", "FIX", "4", 20, 14, 900),
                                                Stratum("3", "FIX", "5", 18, 15, 850)}, 8.2, 3750};
    const advise::ComparisonTable t = advise::Compare({a, b});
    ASSERT_EQ(t.headings.size(), 12u);
    EXPECT_EQ(t.headings[6], "proposal:3");
    EXPECT_EQ(t.headings[9], "n");
    ASSERT_EQ(t.rows.size(), 5u);  // 1,2,3 | 4,5 | 4 | 5 | totals
    // Row 0: the shared stratum; only its unit list is spelt otherwise.
    for (int c = 0; c < 12; ++c) EXPECT_EQ(t.differs[0][c], c == 8) << c;
    // Row 1: a's 4,5 has no counterpart: all of b's cells are marked.
    EXPECT_TRUE(t.rows[1][6].empty());
    EXPECT_EQ(advise::MarkedCell(t, 1, 7), "-*");
    // Rows 2 and 3: b's own strata; a has none there.
    EXPECT_EQ(t.rows[2][8], "4");
    EXPECT_TRUE(t.rows[2][0].empty());
    EXPECT_EQ(advise::MarkedCell(t, 2, 8), "4*");
    // Totals: strata count, sample size, error and cost.
    const auto& total = t.rows.back();
    EXPECT_EQ(total[2], "2 strata");
    EXPECT_EQ(total[3], "70");
    EXPECT_EQ(total[10], "8.20");
    EXPECT_EQ(total[11], "3750.0");
    EXPECT_TRUE(t.differs.back()[8] && t.differs.back()[9] && t.differs.back()[10] && t.differs.back()[11]);
    EXPECT_FALSE(t.differs.back()[6]);

    grid::GridModel g;
    advise::FillComparisonGrid(g, t);
    EXPECT_EQ(g.ColumnCount(), 12);
    EXPECT_EQ(g.RowCount(), 5);
    EXPECT_EQ(g.Text(8, 0), "3,1,2*");
}

class CompareCli : public advisetest::SaleTest {};

TEST_F(CompareCli, CurrentSavedAndProposalsSideBySideWithoutChangingTheFile) {
    std::vector<advisetest::UnitSpec> units;
    for (int u = 1; u <= 6; ++u) units.push_back({u, 1, 45, u % 2 ? 3.0 : 10.0, 31ull * u});
    const std::string sale = MakeSale("cmp", units);
    ASSERT_EQ(Run({"compile", sale}), 0) << err_.str();
    ASSERT_EQ(Run({"design", sale, "--method", "1=PNT", "--optimize", "10", "--save-design", "Ten", "--return"}), 0)
        << err_.str();
    ASSERT_EQ(Run({"design", sale, "--optimize", "15", "--return"}), 0) << err_.str();
    const std::string before = testsupport::ReadBytes(sale);

    ASSERT_EQ(Run({"design", sale, "--compare", "current,ten,best", "--error", "10", "--json"}), 0) << err_.str();
    const std::string json = out_.str();
    EXPECT_NE(json.find("\"name\": \"ten\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"name\": \"proposal:2\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"differs\""), std::string::npos);

    ASSERT_EQ(Run({"design", sale, "--compare", "current,Ten"}), 0) << err_.str();
    // Same stratum, other target: the sample size, error and cost differ, method and units not.
    const std::string text = out_.str();
    const size_t at = text.find("\n  Ten ");
    ASSERT_NE(at, std::string::npos) << text;
    const std::string line = text.substr(at + 1, text.find('\n', at + 1) - at - 1);
    EXPECT_NE(line.find("Stratum 1  Method PNT  n "), std::string::npos) << line;
    EXPECT_NE(line.find("*  Error % "), std::string::npos) << line;
    EXPECT_EQ(line.back(), '*') << line;

    const std::string csv = scratch_.Path("cmp.csv");
    ASSERT_EQ(Run({"design", sale, "--compare", "current,Ten", "--csv", csv}), 0) << err_.str();
    EXPECT_EQ(testsupport::ReadBytes(csv).rfind("current,Method,Units,n,", 0), 0u);

    EXPECT_EQ(Run({"design", sale, "--compare", "current,nosuch"}), 1);
    EXPECT_NE(err_.str().find("no saved design 'nosuch'"), std::string::npos) << err_.str();
    EXPECT_EQ(Run({"design", sale, "--compare", "current", "--json", "--csv", csv}), 2);
    // A proposal names its number of strata whole, 1 to 99: "3x" is not 3.
    for (const char* bad : {"proposal:3x", "proposal:", "proposal:0", "proposal:100", "proposal:-2"}) {
        EXPECT_EQ(Run({"design", sale, "--compare", std::string("current,") + bad}), 2) << bad;
        EXPECT_NE(err_.str().find("wants a number of strata from 1 to 99"), std::string::npos) << err_.str();
    }
    EXPECT_EQ(testsupport::ReadBytes(sale), before);
}

}  // namespace
