// strovan-cli update: the file check with the structure updater.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "commands.h"
#include "mk/mk.h"
#include "store/config.h"
#include "store/schema.h"
#include "support/cli_fixture.h"

namespace {
namespace fs = std::filesystem;

class UpdateCommand : public testsupport::CliTest {
protected:
    std::string MakeFile(const std::string& name, const std::string& version) {
        std::string path = dir_ + "/" + name;
        auto s = mk::Storage::Create(path);
        EXPECT_TRUE(s.ok());
        store::SetSetting(*s, schema::kBlockGeneral, schema::kKeyStructureVersion, version);
        EXPECT_TRUE(s->GetAs(schema::kDataDictionaryUpdaterDesc).ok());
        EXPECT_TRUE(s->Commit().ok());
        return path;
    }
};

TEST_F(UpdateCommand, BringsAnOlderFileForwardWithABackupBesideIt) {
    std::string path = MakeFile("SALE.crz", "2008.12.19");
    ASSERT_EQ(Run({"update", path}), cli::kExitOk) << err_.str();
    EXPECT_EQ(out_.str(),
              "INFORMATION: The Cruise Object has been updated to the new structure.\nThe original "
              "has been saved as " +
                  dir_ + "/SALE_v20081219.crz.BAK.\n" + path + ": structure version 2010.03.18\n");
    EXPECT_TRUE(fs::exists(dir_ + "/SALE_v20081219.crz.BAK"));
    EXPECT_EQ(store::ReadStructureVersion(path), "2010.03.18");

    // Current now: no second backup.
    ASSERT_EQ(Run({"update", path}), cli::kExitOk);
    EXPECT_EQ(out_.str(), path + ": structure version 2010.03.18\n");
    EXPECT_FALSE(fs::exists(dir_ + "/SALE_v20100318.crz.BAK"));
}

TEST_F(UpdateCommand, RefusalsGoToTheErrorStream) {
    std::string newer = MakeFile("newer.crz", "03.01.2012");
    EXPECT_EQ(Run({"update", newer}), cli::kExitFailure);
    EXPECT_NE(err_.str().find("New Cruise Object Structure.\nStrovan is out of date."),
              std::string::npos);
    EXPECT_EQ(store::ReadStructureVersion(newer), "03.01.2012");

    std::string text = dir_ + "/notes.crz";
    std::ofstream(text) << "not a cruise file\n";
    EXPECT_EQ(Run({"update", text}), cli::kExitFailure);
    EXPECT_NE(err_.str().find("Is Not a Valid Cruise Object"), std::string::npos);

    EXPECT_EQ(Run({"update", dir_ + "/missing.crz"}), cli::kExitFailure);
    EXPECT_NE(err_.str().find("was not found."), std::string::npos);
    EXPECT_EQ(Run({"update"}), cli::kExitUsage);

    // With --json the refusal and its message are the output; nothing on stderr.
    EXPECT_EQ(Run({"update", "--json", newer}), cli::kExitFailure);
    EXPECT_EQ(err_.str(), "");
    EXPECT_NE(out_.str().find("\"ok\": false"), std::string::npos);
    EXPECT_NE(out_.str().find("\"text\": \"New Cruise Object Structure.\\nStrovan is out of date."),
              std::string::npos)
        << out_.str();
}

}  // namespace
