// strovan-cli compile: the recon compilation of a cruise file from the command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/settings.h"
#include "app/setup_file.h"
#include "commands.h"
#include "compile_dispatch.h"
#include "mk/mk.h"
#include "store/config.h"
#include "store/schema.h"
#include "support/cli_fixture.h"

namespace {
namespace fs = std::filesystem;

class CompileCommand : public testsupport::CliTest {
protected:

    // A cruise file of the given type; with strata, one stratum of 40 acres whose
    // sample group holds four 100 % recon trees.
    std::string MakeFile(const std::string& type, bool withStrata, const std::string& uom = "03") {
        std::string path = dir_ + "/sale.crz";
        auto s = mk::Storage::Create(path);
        EXPECT_TRUE(s.ok());
        EXPECT_TRUE(app::BuildSetup(*s));
        mk::View config = *s->GetAs(schema::kGlobalConfigurationTableDesc);
        app::AddSetting(config, "Strovan", "Type", type);
        app::AddSetting(config, "Strovan", "UpdateFlag", "Y");
        app::AddSetting(config, "Strovan", "UOM", uom);
        app::AddSetting(config, "Strovan", "CrewTree", "60");
        app::AddSetting(config, "Strovan", "TreeMeas", "20");
        if (withStrata) {
            mk::View strata = *s->GetAs(schema::kSVStrataTableDesc);
            strata.SetRowCount(1);
            strata.SetString(0, "Stratum", "1");
            strata.SetString(0, "TotAcres", "40");
            strata.SetString(0, "Modified", "Y");
            mk::View summary = *s->GetAs(schema::kSVSummaryTableDesc);
            summary.SetRowCount(1);
            summary.SetString(0, "Stratum", "1");
            summary.SetString(0, "SgTree", "A");
            summary.SetString(0, "SgPlot", "B");
            summary.SetString(0, "CutUnit", "7");
            summary.SetString(0, "Species", "PP");
            mk::View recon = *s->GetAs(schema::kStratumTableSetupDesc);
            recon.SetRowCount(1);
            recon.SetString(0, "Stratum", "01");
            recon.SetString(0, "CruzMeth", "100");
            mk::View trees = s->GetView(schema::kTreeTable);
            const double volumes[] = {10, 20, 30, 40};
            for (double v : volumes) {
                int r = trees.AddRow();
                trees.SetString(r, "Stratum", "01");
                trees.SetString(r, "CutUnit", "7");
                trees.SetString(r, "Sp", "PP");
                trees.SetDouble(r, "NCUFTVolPP", v);
            }
        }
        EXPECT_TRUE(s->Commit().ok());
        return path;
    }
};

TEST_F(CompileCommand, CompilesAReconCruiseCommitsAndListsEveryMethod) {
    std::string path = MakeFile("Recon", true);
    ASSERT_EQ(Run({"compile", path, "--json", "--all-methods"}), cli::kExitOk) << err_.str();
    std::string json = out_.str();
    EXPECT_NE(json.find("\"result\": \"done\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"compiledStrata\": [\n    \"1\"\n  ]"), std::string::npos) << json;
    // 4 trees on 40 acres: 0.1 per acre, a 100 % cruise of 4 trees at 60 / 20 each.
    EXPECT_NE(json.find("\"SumN\": 4"), std::string::npos);
    EXPECT_NE(json.find("\"StrCost\": 12"), std::string::npos);
    EXPECT_NE(json.find("\"CruzMeth\": \"3PPNT\""), std::string::npos);
    EXPECT_NE(json.find("\"MTrees\": 4"), std::string::npos);
    EXPECT_TRUE(err_.str().empty());

    auto s = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
    ASSERT_TRUE(s);
    EXPECT_EQ(store::GetSetting(*s, "Strovan", "UpdateFlag"), "N");
    EXPECT_EQ(s->GetView(schema::kSVDesignTable).RowCount(), 1);
    EXPECT_EQ(s->GetView(schema::kSVMethodsSgTable).RowCount(), 11);
}

TEST_F(CompileCommand, TextOutputAndRefusals) {
    std::string path = MakeFile("Design", true);
    ASSERT_EQ(Run({"compile", path}), cli::kExitOk) << err_.str();
    EXPECT_NE(out_.str().find("Stratum 1 100: 40 acres"), std::string::npos) << out_.str();
    EXPECT_NE(out_.str().find("  SG A: CV 51.639, n 4"), std::string::npos) << out_.str();

    std::string empty = MakeFile("Design", false);
    EXPECT_EQ(Run({"compile", empty}), cli::kExitFailure);
    EXPECT_NE(err_.str().find("No Strata have been established."), std::string::npos) << err_.str();
    EXPECT_EQ(Run({"compile", empty, "--json"}), cli::kExitFailure);
    EXPECT_NE(out_.str().find("\"result\": \"refused\""), std::string::npos);
    EXPECT_NE(out_.str().find("\"code\": 1"), std::string::npos);

    EXPECT_EQ(Run({"compile"}), cli::kExitUsage);
    EXPECT_EQ(Run({"compile", path, "--bogus"}), cli::kExitUsage);
    EXPECT_EQ(Run({"compile", dir_ + "/missing.crz"}), cli::kExitFailure);
}

TEST_F(CompileCommand, ProductionCruiseGoesToTheProductionStatistics) {
    std::string path = MakeFile("Production", true);
    // The production statistics are part of every build; they get the file and the
    // options that apply to them (not --all-methods).
    ASSERT_TRUE(cli::ProductionCompiler());
    std::vector<std::string> seen;
    auto saved = cli::ProductionCompiler();
    cli::ProductionCompiler() = [&](const std::string& p, const std::vector<std::string>& args, std::ostream&,
                                    std::ostream&) {
        seen = args;
        seen.push_back(p);
        return 7;
    };
    EXPECT_EQ(Run({"compile", path, "--json", "--all-methods"}), 7);
    cli::ProductionCompiler() = saved;
    EXPECT_EQ(seen, (std::vector<std::string>{"--json", path}));

    // Run for real, they fill the design tables from the file's strata.
    EXPECT_EQ(Run({"compile", path, "--json"}), cli::kExitOk) << err_.str() << out_.str();
    auto s = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
    ASSERT_TRUE(s);
    ASSERT_TRUE(s->HasView(schema::kSVDesignTable));
    mk::View design = s->GetView(schema::kSVDesignTable);
    ASSERT_EQ(design.RowCount(), 1) << out_.str();
    EXPECT_EQ(design.GetString(0, "Stratum"), "01");
    EXPECT_EQ(design.GetString(0, "CruzMeth"), "100");
    // (the production statistics themselves are tested with the production command)
}

}  // namespace
