// strovan-cli dump and copy: output, messages and exit codes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "commands.h"
#include "../test_util.h"

namespace {

namespace fs = std::filesystem;
const fs::path& kVectors = mktest::Vectors();
using mktest::Slurp;

int RunCmd(const std::vector<std::string>& args, std::string& out, std::string& err) {
    std::ostringstream o, e;
    int rc = cli::RunCli(args, o, e);
    out = o.str();
    err = e.str();
    return rc;
}

TEST(MkCommands, DumpPrintsTheExpectedJson) {
    std::string out, err;
    for (const char* name : {"nested", "big_endian", "empty"}) {
        ASSERT_EQ(RunCmd({"dump", (kVectors / (std::string(name) + ".mk")).string()}, out, err), cli::kExitOk) << err;
        EXPECT_EQ(out, Slurp(kVectors / (std::string(name) + ".json"))) << name;
    }
    // The large table is written by our engine, so only its size may differ from the
    // library's file: the content, checksums included, may not.
    ASSERT_EQ(RunCmd({"dump", mktest::LargeTrees().string()}, out, err), cli::kExitOk) << err;
    std::string want = Slurp(kVectors / "large_trees.json");
    ASSERT_NE(out.find("\"byte_order\""), std::string::npos);
    EXPECT_EQ(out.substr(out.find("\"byte_order\"")), want.substr(want.find("\"byte_order\"")));
}

TEST(MkCommands, CopyWritesAPackedFileWithTheSameContent) {
    fs::path dir = fs::temp_directory_path() / ("strovan_mk_cli_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::string out, err;
    std::string copy = (dir / "copy.mk").string();
    ASSERT_EQ(RunCmd({"copy", (kVectors / "multi_commit.mk").string(), copy}, out, err), cli::kExitOk) << err;
    std::string want, got;
    ASSERT_EQ(RunCmd({"dump", (kVectors / "multi_commit.mk").string()}, want, err), cli::kExitOk);
    ASSERT_EQ(RunCmd({"dump", copy}, got, err), cli::kExitOk);
    EXPECT_EQ(got.substr(got.find("\"byte_order\"")), want.substr(want.find("\"byte_order\"")));
    EXPECT_LT(fs::file_size(copy), fs::file_size(kVectors / "multi_commit.mk"));
    fs::remove_all(dir);
}

TEST(MkCommands, BadFilesAndWrongUsage) {
    std::string out, err;
    EXPECT_EQ(RunCmd({"dump"}, out, err), cli::kExitUsage);
    EXPECT_NE(err.find("usage: strovan-cli dump FILE"), std::string::npos);
    EXPECT_EQ(RunCmd({"copy", "only-one"}, out, err), cli::kExitUsage);
    EXPECT_EQ(RunCmd({"dump", "/nonexistent/x.mk"}, out, err), cli::kExitFailure);
    EXPECT_NE(err.find("/nonexistent/x.mk"), std::string::npos);
    EXPECT_EQ(RunCmd({"dump", (kVectors / "README.md").string()}, out, err), cli::kExitFailure);
    EXPECT_NE(err.find("not a Metakit file"), std::string::npos);
    EXPECT_EQ(RunCmd({"copy", (kVectors / "README.md").string(), "/tmp/never.mk"}, out, err), cli::kExitFailure);
    EXPECT_FALSE(fs::exists("/tmp/never.mk"));
}

}  // namespace
