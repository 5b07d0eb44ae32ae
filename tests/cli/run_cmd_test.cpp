// run: the README's main job, start to finish, and a recon cruise of one's own.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/cli_fixture.h"
#include "support/scratch.h"

namespace {

class RunCommand : public testsupport::CliTest {
protected:
    RunCommand() : CliTest("strovan_run") {}
    std::string Source(const std::string& rel) const { return std::string(STROVAN_SOURCE_DIR) + "/" + rel; }
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// The lines from `first` on, up to the first line that is empty or closes a code block.
std::vector<std::string> BlockFrom(const std::vector<std::string>& lines, const std::string& first) {
    std::vector<std::string> out;
    bool in = false;
    for (const std::string& l : lines) {
        if (l == first) in = true;
        if (!in) continue;
        if (l.empty() || l == "```") break;
        out.push_back(l);
    }
    return out;
}

TEST_F(RunCommand, TheExampleGivesTheReadmesDesignAndBothCosts) {
    ASSERT_EQ(Run({"run", "--example", "--out", dir_}), cli::kExitOk) << err_.str() << out_.str();
    const std::vector<std::string> printed = BlockFrom(Lines(out_.str()), "The design of sale.crz:");
    const std::vector<std::string> expected = {
        "The design of sale.crz:",
        "  Stratum Method                 Units              Acres Groups Sample size Error %     Cost $",
        "  1       PNT points             1,2,3,4,5,6        525.0      7          66   10.90       4242",
        "  2       FIX fixed plots        10,7,8,9           190.0      6          40   20.30       2876",
        "  3       100 100 % cruise       11,12               40.0      4         268    0.00       1672",
        "Sale error 9.55 % (target 10 %), estimated cruise cost $8790.",
        "Least cost: $8,254 for 10.0 %; Optimize For Error: $8,790 (sale error 9.99 %).",
    };
    EXPECT_EQ(printed, expected);
    // The README shows exactly what the program prints.
    const auto readme = Lines(testsupport::ReadBytes(Source("README.md")));
    EXPECT_EQ(BlockFrom(readme, "The design of sale.crz:"), expected);

    const std::string summary = testsupport::ReadBytes(dir_ + "/summary.txt");
    EXPECT_NE(summary.find("Sale Num              54321"), std::string::npos) << summary.substr(0, 400);
    EXPECT_NE(summary.find("Cedar Flats"), std::string::npos);
    // The comparison works on a copy that it takes away again.
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/.least-cost.crz"));
}

TEST_F(RunCommand, AReconOfOnesOwnTakesItsOwnIdentityAndCosts) {
    ASSERT_EQ(Run({"run", "--svz", Source("examples/sale.svz"), "--sale", "777", "--name", "Own Sale", "--cruise",
                   "3", "--cost", "CrewPlot=80", "--cost", "CntPlot=5", "--cost", "CrewTree=70", "--cost",
                   "TreeMeas=14", "--out", dir_, "--json"}),
              cli::kExitOk)
        << err_.str() << out_.str();
    EXPECT_NE(out_.str().find("\"leastCost\""), std::string::npos) << out_.str();
    const std::string summary = testsupport::ReadBytes(dir_ + "/summary.txt");
    EXPECT_NE(summary.find("Sale Num                777"), std::string::npos) << summary.substr(0, 400);
    EXPECT_NE(summary.find("Own Sale"), std::string::npos);
    EXPECT_EQ(summary.find("54321"), std::string::npos);
    EXPECT_EQ(summary.find("Cedar Flats"), std::string::npos);

    ASSERT_EQ(Run({"costs", dir_ + "/sale.crz"}), cli::kExitOk) << err_.str();
    const std::string costs = out_.str();
    for (const char* line : {"  CrewPlot: 80\n", "  CntPlot: 5\n", "  CrewTree: 70\n", "  TreeMeas: 14\n",
                             "  TreeTally: \n", "  per count plot: 16\n", "  per measured tree: 5\n"})
        EXPECT_NE(costs.find(line), std::string::npos) << line << costs;
}

TEST_F(RunCommand, UsageErrorsNameTheOption) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"run", "--svz", "x.svz"}, "--svz needs --sale N"},
        {{"run", "--example", "--cost", "Crew=90"}, "--cost wants KEY=VALUE with KEY one of CrewPlot"},
        {{"run", "--example", "--cost", "CrewPlot"}, "--cost wants KEY=VALUE"},
        {{"run", "--example", "--sale"}, "unexpected '--sale'"},
        {{"run", "--example", "--svz", "x.svz", "--sale", "1"}, "give either --example or --svz FILE"},
    };
    for (const auto& [args, message] : cases) {
        EXPECT_EQ(Run(args), cli::kExitUsage) << message;
        EXPECT_NE(err_.str().find(message), std::string::npos) << err_.str();
    }
}

}  // namespace
