#include <gtest/gtest.h>

#include <sstream>

#include "commands.h"
#include "design/saved_designs.h"
#include "workspace_fixture.h"

namespace {

class DesignCommand : public ::testing::Test {
protected:
    wstest::TempDir dir;
    std::string path = dir.Path("sale.crz");
    std::string out, err;

    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"design", path});
        std::ostringstream o, e;
        int code = cli::RunCli(args, o, e);
        out = o.str();
        err = e.str();
        return code;
    }
    mk::Storage Reopen() {
        auto s = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
        EXPECT_TRUE(s.ok());
        return std::move(*s);
    }
    bool Has(const std::string& text) const { return out.find(text) != std::string::npos; }
};

TEST_F(DesignCommand, EditsInOrderAndCommits) {
    wstest::WriteSale(path, wstest::DefaultSale());
    ASSERT_EQ(Run({"--set", "1/A/SgCV=55", "--set", "1//Description=Ridge", "--method", "2=FIX", "--plot-size",
                   "2=0.2", "--lock", "3", "--add-unit", "1:55:20.5", "--remove-unit", "1:10", "--json"}),
              cli::kExitOk)
        << err << out;
    EXPECT_TRUE(Has("\"committed\": true")) << out;
    EXPECT_TRUE(Has("\"sale_error_text\"")) << out;
    mk::Storage s = Reopen();
    mk::View d = s.GetView(schema::kSVDesignTable);
    EXPECT_EQ(d.GetString(0, "Description"), "Ridge");
    EXPECT_EQ(d.GetString(1, "CruzMeth"), "FIX");
    EXPECT_EQ(d.GetDouble(1, "PlotSize"), 0.2);
    EXPECT_EQ(d.GetString(2, "Lock"), "1");
    EXPECT_EQ(d.GetString(0, "Units"), "11,55");
    EXPECT_DOUBLE_EQ(d.GetDouble(0, "TotAcres"), 80.5);
    mk::View units = s.GetView(schema::kSVUnitsTable);
    EXPECT_EQ(units.GetString(units.RowCount() - 1, "CutUnit"), "55");
    mk::View g = s.GetView(schema::kSVDesignSgTable);
    EXPECT_EQ(g.GetDouble(0, "SgCV"), 55);
    EXPECT_EQ(g.GetString(0, "C"), "B");
}

TEST_F(DesignCommand, AFailingCommandTakesBackWhatRanBefore) {
    wstest::WriteSale(path, wstest::DefaultSale());
    std::vector<std::string> before;
    {
        mk::Storage s = Reopen();
        before = wstest::Dump(s, schema::kSVDesignTable);
    }
    EXPECT_EQ(Run({"--method", "1=PNT", "--set", "1/Z/SgCV=3"}), cli::kExitFailure);
    EXPECT_NE(err.find("no sample group 'Z' in stratum '1'"), std::string::npos) << err;
    mk::Storage s = Reopen();
    EXPECT_EQ(wstest::Dump(s, schema::kSVDesignTable), before);
    // A plot size that is not positive is refused with the dialog's message.
    EXPECT_EQ(Run({"--plot-size", "2=-3", "--json"}), cli::kExitFailure);
    EXPECT_TRUE(Has("'-3' is too small. Enter a number greater than 0")) << out;
    EXPECT_TRUE(Has("\"committed\": false")) << out;
}

TEST_F(DesignCommand, ProductionCruiseRefusesTheGreyedCommands) {
    wstest::WriteSale(path, wstest::DefaultSale(), "01", false, schema::kTypeProduction);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--optimize", "10"}, {"--save-design", "A"}, {"--load-design", "A"}}) {
        EXPECT_EQ(Run(args), cli::kExitFailure) << args[0];
        EXPECT_NE(err.find("not available for a production cruise"), std::string::npos) << err;
    }
    EXPECT_EQ(Run({"--set", "1/A/SgCV=40"}), cli::kExitOk) << err;
}

TEST_F(DesignCommand, OptimizeSaveListTradeoffAndReturn) {
    wstest::WriteSale(path, wstest::DefaultSale());
    ASSERT_EQ(Run({"--optimize", "9", "--save-design", "Nine", "--list-designs", "--tradeoff", "--return", "--json",
                   "--yes"}),
              cli::kExitOk)
        << err << out;
    EXPECT_TRUE(Has("\"designs\": [\n    \"Nine\"\n  ]")) << out;
    EXPECT_TRUE(Has("\"tradeoff\"")) << out;
    EXPECT_TRUE(Has("\"target\": 30")) << out;
    EXPECT_TRUE(Has("Design specifications have been saved.")) << out;
    EXPECT_TRUE(Has("\"returned\": true")) << out;
    mk::Storage s = Reopen();
    EXPECT_EQ(design::SavedDesignIds(s), std::vector<std::string>{"Nine"});
    // Return carried the optimised sizes into the method rows.
    mk::View g = s.GetView(schema::kSVDesignSgTable);
    mk::View ms = s.GetView(schema::kSVMethodsSgTable);
    for (int r = 0; r < ms.RowCount(); ++r)
        if (ms.GetString(r, "Stratum") == "1" && ms.GetString(r, "CruzMeth") == "STR" && ms.GetString(r, "SgCode") == "A")
            EXPECT_EQ(ms.GetInt(r, "SgN"), g.GetInt(0, "SgN"));
    // Replacing asks: --no keeps the saved design.
    EXPECT_EQ(Run({"--save-design", "NINE", "--no"}), cli::kExitFailure);
}

TEST_F(DesignCommand, OptimizeAtLeastCostGivesBothCosts) {
    wstest::WriteSale(path, wstest::DefaultSale());
    ASSERT_EQ(Run({"--lock", "2", "--optimize-cost", "9", "--tradeoff", "--json", "--yes"}), cli::kExitOk)
        << err << out;
    EXPECT_TRUE(Has("\"least_cost\": {")) << out;
    EXPECT_TRUE(Has("\"optimize_for_error_cost\"")) << out;
    EXPECT_TRUE(Has("\"least_cost_points\"")) << out;
    EXPECT_TRUE(Has("\"text\": \"Least cost: $")) << out;
    mk::Storage s = Reopen();
    mk::View d = s.GetView(schema::kSVDesignTable);
    double cost = 0;
    for (int r = 0; r < d.RowCount(); ++r) cost += d.GetDouble(r, "StrCost");
    EXPECT_TRUE(Has("\"cost\": " + std::to_string(static_cast<long long>(cost)))) << out;

    // A target nothing reaches says so and leaves the file as it was.
    std::vector<std::string> before = wstest::Dump(s, schema::kSVDesignTable);
    EXPECT_EQ(Run({"--lock", "1", "--optimize-cost", "0.001"}), cli::kExitFailure);
    EXPECT_NE(err.find("cannot be reached"), std::string::npos) << err << out;
    mk::Storage again = Reopen();
    EXPECT_EQ(wstest::Dump(again, schema::kSVDesignTable), before);
    EXPECT_EQ(Run({"--optimize-cost"}), cli::kExitUsage);
}

TEST_F(DesignCommand, BadCommandLinesAreUsageErrors) {
    wstest::WriteSale(path, wstest::DefaultSale());
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"--set", "1/A/SgCV"}, "--set wants"},
        {{"--set", "1=4"}, "--set wants"},
        {{"--method", "1"}, "--method wants STRATUM=METHOD"},
        {{"--add-unit", "1:7"}, "--add-unit wants"},
        {{"--remove-unit", "1"}, "--remove-unit wants"},
        {{"--optimize"}, "--optimize needs a value"},
        {{"--return", "--exit"}, "exclude each other"},
        {{"--bogus"}, "unknown option --bogus"},
        {{"--yes", "--no"}, "design:"},
    };
    for (const auto& [args, message] : cases) {
        EXPECT_EQ(Run(args), cli::kExitUsage) << message;
        EXPECT_NE(err.find(message), std::string::npos) << err;
    }
}

}  // namespace
