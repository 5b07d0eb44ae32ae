// The shell's commands: info, new, costs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/setup_file.h"
#include "commands.h"
#include "mk/mk.h"
#include "store/config.h"

namespace {
namespace fs = std::filesystem;

class AppCommands : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "strovan_cli_XXXXXX").string();
        dir_ = mkdtemp(tmpl.data());
        setup_ = dir_ + "/default.stp";
        ASSERT_TRUE(app::WriteSetupFile(setup_));
    }
    void TearDown() override { fs::remove_all(dir_); }
    int Run(const std::vector<std::string>& args) {
        out_.str("");
        err_.str("");
        return cli::RunCli(args, out_, err_);
    }
    std::string dir_, setup_;
    std::ostringstream out_, err_;
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
