// strovan-cli field-file
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "commands.h"
#include "field_fixture.h"

using namespace fieldtest;

namespace {

struct Cli {
    std::ostringstream out, err;
    int Run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        return cli::RunCli(args, out, err);
    }
};

}  // namespace

TEST(FieldFileCli, WritesTheFileAndReportsItAsJson) {
    TempDir dir;
    std::string source = dir.Path("sale.crz"), target = dir.Path("12345.crz");
    WriteDesign(source);
    Cli c;
    ASSERT_EQ(c.Run({"field-file", source, target, "--purpose", "Right of Way", "--recon-strata", "R1,R2",
                     "--autofill", "2", "--sale-name", "Bear Creek II", "--cruise", "7", "--json"}),
              cli::kExitOk)
        << c.err.str() << c.out.str();
    std::string json = c.out.str();
    EXPECT_EQ(c.err.str(), "");
    EXPECT_NE(json.find("\"created\": true"), std::string::npos) << json;
    for (const char* part : {"\"name\": \"StratumTable\",\n      \"rows\": 3", "\"name\": \"SubPopulationTable\",\n      \"rows\": 9",
                             "\"name\": \"PlotTable\",\n      \"rows\": 3", "\"name\": \"TreeTable\",\n      \"rows\": 5",
                             "\"name\": \"LogTable\",\n      \"rows\": 3", "\"CruzMeth\": \"PNT\"", "\"BAF\": 20",
                             "\"key\": \"4\""})
        EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
    EXPECT_NE(json.find("Has Been Created"), std::string::npos);
    EXPECT_NE(json.find("\"Description\": \"Conifer-WH\""), std::string::npos);

    auto out = mk::Storage::Open(target, mk::OpenMode::ReadOnly);
    ASSERT_TRUE(out);
    EXPECT_EQ(Rows(*out, "CruiseTable", {"SaleNo", "CruiseNo", "SaleName", "Purpose"}),
              std::vector<std::string>{"12345|7|Bear Creek II|ROW"});
    // --autofill 2 took the second of the two RA rows.
    auto rows = Rows(*out, "SubPopulationTable", {"Sp", "CDefP"});
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "RA|20"), 2);
}

TEST(FieldFileCli, ExistingTargetNeedsYesAndRefusalsExitWithOne) {
    TempDir dir;
    std::string source = dir.Path("sale.crz"), target = dir.Path("12345.crz");
    WriteDesign(source);
    std::ofstream(target) << "keep me";
    Cli c;
    EXPECT_EQ(c.Run({"field-file", source, target}), cli::kExitFailure);
    EXPECT_NE(c.err.str().find("already exists"), std::string::npos);
    EXPECT_EQ(ReadBytes(target), "keep me");

    // The open file itself is refused with its own message, even with --yes.
    std::string before = ReadBytes(source);
    EXPECT_EQ(c.Run({"field-file", source, source, "--yes"}), cli::kExitFailure);
    EXPECT_NE(c.err.str().find("is the cruise file open in this program"), std::string::npos) << c.err.str();
    EXPECT_EQ(ReadBytes(source), before);

    EXPECT_EQ(c.Run({"field-file", source, target, "--recon-strata", "R9", "--yes"}), cli::kExitFailure);
    EXPECT_NE(c.err.str().find("Recon stratum R9 is not a PNT or FIX stratum"), std::string::npos) << c.err.str();
    EXPECT_EQ(ReadBytes(target), "keep me");

    EXPECT_EQ(c.Run({"field-file", source, target, "--yes"}), cli::kExitOk) << c.err.str();
    EXPECT_NE(c.out.str().find("SubPopulationTable: 9 rows"), std::string::npos) << c.out.str();
    EXPECT_NE(c.out.str().find("No defaults chosen for RA/02/D"), std::string::npos);

    EXPECT_EQ(c.Run({"field-file", source}), cli::kExitUsage);
    EXPECT_EQ(c.Run({"field-file", source, target, "--purpose", "Salvage"}), cli::kExitUsage);
    EXPECT_EQ(c.Run({"field-file", source, target, "--autofill", "0"}), cli::kExitUsage);
    EXPECT_EQ(c.Run({"field-file", source, target, "--yes", "--no"}), cli::kExitUsage);
}

TEST(FieldFileCli, DesignWarningsAndDataWarningsFollowNo) {
    TempDir dir;
    std::string source = dir.Path("sale.crz"), target = dir.Path("out.crz");
    {
        auto s = mk::Storage::Create(source);
        ASSERT_TRUE(s);
        BuildDesign(*s);
        mk::View groups = s->GetView("SVDesignSgTable");
        groups.SetString(0, "C", "R");  // a value the compilation could not compute
        ASSERT_TRUE(s->Commit());
    }
    Cli c;
    EXPECT_EQ(c.Run({"field-file", source, target, "--no", "--json"}), cli::kExitFailure);
    EXPECT_NE(c.out.str().find("\"created\": false"), std::string::npos) << c.out.str();
    EXPECT_FALSE(std::filesystem::exists(target));

    // Missing units: an error, not "Has Been Created".
    {
        auto s = mk::Storage::Open(source);
        ASSERT_TRUE(s);
        s->GetView("SVUnitsTable").RemoveAll();
        ASSERT_TRUE(s->Commit());
    }
    EXPECT_EQ(c.Run({"field-file", source, target, "--yes", "--json"}), cli::kExitFailure);
    EXPECT_NE(c.out.str().find("There are no cutting units"), std::string::npos) << c.out.str();
    EXPECT_EQ(c.out.str().find("Has Been Created"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(target));
}
