// The shell's commands: info, new, costs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/setup_file.h"
#include "commands.h"
#include "mk/file_io.h"
#include "mk/mk.h"
#include "store/config.h"
#include "support/cli_fixture.h"

namespace {
namespace fs = std::filesystem;

class AppCommands : public testsupport::CliTest {
protected:
    void SetUp() override {
        setup_ = dir_ + "/default.stp";
        ASSERT_TRUE(app::WriteSetupFile(setup_));
    }
    std::string setup_;
};
}  // namespace

TEST_F(AppCommands, NewThenInfoThenCosts) {
    std::string crz = dir_ + "/sale.crz";
    ASSERT_EQ(Run({"new", "--setup", setup_, "--sale", "12345", "--name", "Bear Creek", "--uom",
                   "01", crz}),
              cli::kExitOk)
        << err_.str();
    EXPECT_EQ(out_.str(), "Created " + crz + "\n");

    ASSERT_EQ(Run({"info", crz}), cli::kExitOk) << err_.str();
    EXPECT_NE(out_.str().find(
                  "Strovan: Sale Name: Bear Creek   \n\nSale Number: 12345\n\nBoard Foot Sale"),
              std::string::npos);
    EXPECT_NE(out_.str().find("Strovan/UpdateFlag: Y"), std::string::npos);
    EXPECT_NE(out_.str().find("General/DirtyFlag: (none)"), std::string::npos);

    ASSERT_EQ(
        Run({"costs", crz, "--set", "CrewPlot=60", "--set", "CntPlot=4", "--set", "Paint=2.5"}),
        cli::kExitOk)
        << err_.str();
    EXPECT_NE(out_.str().find("per count plot: 15\n"), std::string::npos);
    EXPECT_NE(out_.str().find("Paint: 2.5\n"), std::string::npos);

    // Digit-only fields refuse other text; nothing is written.
    EXPECT_EQ(Run({"costs", crz, "--set", "Trav=ten"}), cli::kExitFailure);
    EXPECT_NE(err_.str().find("You can only type a number here."), std::string::npos);
    EXPECT_EQ(Run({"costs", crz, "--set", "Bogus=1"}), cli::kExitUsage);
    auto s = mk::Storage::Open(crz, mk::OpenMode::ReadOnly);
    EXPECT_EQ(store::GetSetting(*s, "Strovan", "Trav"), "");
}

TEST_F(AppCommands, BadFilesGiveTheProgramsMessages) {
    std::string text = dir_ + "/notes.crz";
    std::ofstream(text) << "hello\n";
    EXPECT_EQ(Run({"info", text}), cli::kExitFailure);
    EXPECT_EQ(err_.str(), "ERROR: The File:\n\n'" + text + "'\n\n Is Not a Valid Cruise Object\n");

    EXPECT_EQ(Run({"costs", dir_ + "/none.crz"}), cli::kExitFailure);
    EXPECT_EQ(err_.str(), "File Error: The File " + dir_ + "/none.crz was not found.\n");

    std::string out = dir_ + "/missing/sale.crz";
    EXPECT_EQ(Run({"new", "--setup", setup_, "--sale", "1", out}), cli::kExitFailure);
    EXPECT_EQ(err_.str(), "File Error: Bad Path.\nThe File " + out + " cannot be saved.\n");
    EXPECT_EQ(Run({"new", "--setup", setup_, "--sale", "123456", dir_ + "/x.crz"}),
              cli::kExitFailure);
    EXPECT_NE(err_.str().find("Please enter no more than 5 characters."), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ + "/x.crz"));
    EXPECT_EQ(Run({"new", "--setup", text, "--sale", "1", dir_ + "/y.crz"}), cli::kExitFailure);
    EXPECT_NE(err_.str().find("Is Not a Valid Setup File"), std::string::npos);
    EXPECT_EQ(Run({"new", "--sale", "1", dir_ + "/z.crz"}), cli::kExitUsage);
}

namespace {
std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
size_t Entries(const std::string& dir) {
    return std::distance(fs::directory_iterator(dir), fs::directory_iterator());
}
}  // namespace

// Looking at a file never changes it: an older structure is reported with the way to
// update it, and no backup appears however often the file is looked at.
TEST_F(AppCommands, InfoNeverChangesAnOlderFile) {
    std::string crz = dir_ + "/old.crz";
    {
        auto s = mk::Storage::Create(crz);
        ASSERT_TRUE(app::BuildSetup(*s));
        store::SetSetting(*s, "General", "StructureVersion", "2008.12.19");
        ASSERT_TRUE(s->Commit());
    }
    fs::permissions(crz, fs::perms::owner_write, fs::perm_options::remove);
    const std::string before = Bytes(crz);
    const size_t entries = Entries(dir_);
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(Run({"info", crz}), cli::kExitOk) << err_.str();
        EXPECT_NE(err_.str().find("needs an update"), std::string::npos);
        EXPECT_NE(err_.str().find("strovan-cli update " + crz), std::string::npos);
        ASSERT_EQ(Run({"costs", crz}), cli::kExitOk) << err_.str();
    }
    EXPECT_EQ(Bytes(crz), before);
    EXPECT_EQ(Entries(dir_), entries);
    EXPECT_EQ(fs::status(crz).permissions() & fs::perms::owner_write, fs::perms::none);

    ASSERT_EQ(Run({"info", crz, "--json"}), cli::kExitOk);
    EXPECT_EQ(err_.str(), "");
    EXPECT_NE(out_.str().find("\"needs_update\": true"), std::string::npos);
    EXPECT_NE(out_.str().find("\"structure_version\": \"2008.12.19\""), std::string::npos);
    EXPECT_NE(out_.str().find("\"icon\": \"exclamation\""), std::string::npos);
}

// new refuses to replace a file unless told to, and lists its options.
TEST_F(AppCommands, NewAsksForForceAndExplainsItself) {
    std::string crz = dir_ + "/sale.crz";
    std::ofstream(crz) << "precious\n";
    EXPECT_EQ(Run({"new", "--setup", setup_, "--sale", "1", crz}), cli::kExitFailure);
    EXPECT_NE(err_.str().find("already exists"), std::string::npos);
    EXPECT_NE(err_.str().find("--force"), std::string::npos);
    EXPECT_EQ(Bytes(crz), "precious\n");
    ASSERT_EQ(Run({"new", "--setup", setup_, "--sale", "1", "--force", crz}), cli::kExitOk)
        << err_.str();
    auto s = mk::Storage::Open(crz, mk::OpenMode::ReadOnly);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->GetView("CruiseTable").GetString(0, "SaleNo"), "1");

    ASSERT_EQ(Run({"new", "--help"}), cli::kExitOk);
    for (const char* option : {"--setup", "--sale", "--cruise", "--year", "--region", "--forest",
                               "--district", "--name", "--uom", "--force", "--json"})
        EXPECT_NE(out_.str().find(option), std::string::npos) << option;

    // JSON: the result and every message, nothing on the error stream.
    std::string out = dir_ + "/j.crz";
    ASSERT_EQ(Run({"new", "--json", "--setup", setup_, "--sale", "123456", out}),
              cli::kExitFailure);
    EXPECT_EQ(err_.str(), "");
    EXPECT_NE(out_.str().find("\"created\": false"), std::string::npos);
    EXPECT_NE(out_.str().find("Please enter no more than 5 characters."), std::string::npos);
    EXPECT_EQ(out_.str().find(".strovan-new"), std::string::npos);
}

// The exit status says whether the change was committed; no cost is ever endless.
TEST_F(AppCommands, CostsExitByWhatWasSaved) {
    std::string crz = dir_ + "/sale.crz";
    ASSERT_EQ(Run({"new", "--setup", setup_, "--sale", "1", crz}), cli::kExitOk);
    const std::string before = Bytes(crz);

    mk::detail::FailWritesAfter(0);
    int rc = Run({"costs", crz, "--set", "CrewPlot=60"});
    mk::detail::StopFailingWrites();
    EXPECT_EQ(rc, cli::kExitFailure);
    EXPECT_NE(err_.str().find("could not be saved"), std::string::npos);
    EXPECT_EQ(err_.str().find(".tmp-"), std::string::npos);
    EXPECT_EQ(Bytes(crz), before);

    EXPECT_EQ(Run({"costs", crz, "--set", "Paint=1e400", "--set", "TreePaint=4"}),
              cli::kExitFailure);
    EXPECT_NE(err_.str().find("Cost of a quart of marker paint: '1e400' is too large."), std::string::npos) << err_.str();
    ASSERT_EQ(Run({"info", crz}), cli::kExitOk);
    EXPECT_NE(out_.str().find("paint per tree: 0\n"), std::string::npos);
    EXPECT_EQ(out_.str().find("inf"), std::string::npos);

    ASSERT_EQ(Run({"costs", crz, "--json", "--set", "Paint=10", "--set", "TreePaint=4"}),
              cli::kExitOk);
    EXPECT_NE(out_.str().find("\"saved\": true"), std::string::npos);
    EXPECT_NE(out_.str().find("\"paint_per_tree\": 2.5"), std::string::npos);
    EXPECT_NE(out_.str().find("\"Paint\": \"10\""), std::string::npos);
}
