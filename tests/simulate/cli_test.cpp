// strovan-cli simulate on a small compiled sale: read-only, repeatable whatever the
// threads, and its options checked before anything runs.
#include <gtest/gtest.h>

#include "simulate/population.h"
#include "stats/recon_compiler.h"
#include "stats/recon_tables.h"
#include "stats/recon_test_util.h"
#include "support/cli_fixture.h"
#include "ui/scripted_ui.h"

namespace {

class SimulateCli : public testsupport::CliTest {
protected:
    SimulateCli() : CliTest("strovan_simulate") {
        {
            recontest::ReconSale sale(file);
            sale.Recon("R1", "FIX", 10);
            sale.Stratum("1", "100");
            sale.Summary("1", "A", "A", "U1", "DF");
            sale.Summary("1", "B", "B", "U1", "WH");
            for (int p = 1; p <= 12; ++p) {
                sale.Plot("R1", "U1", std::to_string(p));
                for (int t = 0; t < p % 4 + 1; ++t)
                    sale.Tree("R1", "U1", std::to_string(p), t % 2 ? "WH" : "DF", 10 + p + t, 80, 10 + 7 * ((p * 5 + t * 3) % 11));
            }
            ui::ScriptedUi ui;
            EXPECT_EQ(stats::ReconCompiler(sale.storage, ui, "03", {}).Compile(), stats::kReconDone);
            // The design: fixed plots.
            design::Design d = simulate::MethodDesign(sale.storage, "FIX");
            mk::View strata = sale.storage.GetView("SVDesignTable"), groups = sale.storage.GetView("SVDesignSgTable");
            stats::WriteDesignRows(strata, d.strata);
            std::vector<const design::SgRow*> refs;
            for (const auto& g : d.groups) refs.push_back(&g);
            stats::WriteDesignSgRows(groups, refs);
            EXPECT_TRUE(sale.storage.Commit().ok());
        }
        bytes = testsupport::ReadBytes(file);
    }

    const std::string file = dir_ + "/sale.crz";
    std::string bytes;
};

TEST_F(SimulateCli, SimulatesWithoutChangingTheFile) {
    ASSERT_EQ(Run({"simulate", file, "--replicates", "300", "--target", "25"}), cli::kExitOk) << err_.str();
    const std::string text = out_.str();
    EXPECT_NE(text.find("simulated cruises the sale error was 25 % or less"), std::string::npos) << text;
    EXPECT_NE(text.find("\n1        FIX"), std::string::npos) << text;
    EXPECT_NE(text.find("\nSale"), std::string::npos);
    EXPECT_EQ(testsupport::ReadBytes(file), bytes);

    const std::string csv = dir_ + "/strata.csv";
    ASSERT_EQ(Run({"simulate", file, "--replicates", "50", "--csv", csv, "--json"}), cli::kExitOk) << err_.str();
    const std::string table = testsupport::ReadBytes(csv);
    EXPECT_EQ(table.rfind("Stratum,Method,", 0), 0u) << table;
    EXPECT_NE(table.find("\nSale,"), std::string::npos) << table;
    EXPECT_NE(out_.str().find("\"sentence\": \"In "), std::string::npos) << out_.str();
    EXPECT_NE(out_.str().find("\"simulated\": true"), std::string::npos);
    EXPECT_EQ(testsupport::ReadBytes(file), bytes);
}

TEST_F(SimulateCli, SameSeedSameOutputWhateverTheThreads) {
    ASSERT_EQ(Run({"simulate", file, "--replicates", "700", "--seed", "9", "--threads", "1", "--json"}), 0);
    const std::string one = out_.str();
    ASSERT_EQ(Run({"simulate", file, "--replicates", "700", "--seed", "9", "--threads", "3", "--json"}), 0);
    EXPECT_EQ(out_.str(), one);
    ASSERT_EQ(Run({"simulate", file, "--replicates", "700", "--seed", "10", "--threads", "3", "--json"}), 0);
    EXPECT_NE(out_.str(), one);
}

TEST_F(SimulateCli, RefusesBadOptionsAndFilesItCannotUse) {
    for (std::vector<std::string> args : {std::vector<std::string>{"simulate"},
                                          {"simulate", file, "--replicates", "0"},
                                          {"simulate", file, "--replicates", "many"},
                                          {"simulate", file, "--target", "-5"},
                                          {"simulate", file, "--threads", "0"},
                                          {"simulate", file, "--seed", "-1"},
                                          {"simulate", file, "--seed"},
                                          {"simulate", file, "--bogus"}}) {
        EXPECT_EQ(Run(args), cli::kExitUsage) << args.back();
        EXPECT_NE(err_.str().find("strovan-cli simulate"), std::string::npos) << err_.str();
    }
    // The target is read by the optimisation target's rule: never taken as 0 or as
    // something above 100 %.
    for (const char* bad : {"inf", "nan", "1e400", "0", "100.5", "", "ten"}) {
        EXPECT_EQ(Run({"simulate", file, "--target", bad}), cli::kExitUsage) << bad;
        EXPECT_NE(err_.str().find("--target: Target sale error"), std::string::npos) << bad << ": " << err_.str();
    }
    EXPECT_EQ(Run({"simulate", dir_ + "/missing.crz"}), cli::kExitFailure);
    EXPECT_NE(err_.str().find("simulate: "), std::string::npos);
    ASSERT_EQ(Run({"simulate", "--help"}), cli::kExitOk);
    EXPECT_NE(out_.str().find("--replicates N"), std::string::npos);
    EXPECT_EQ(testsupport::ReadBytes(file), bytes);
}

}  // namespace
