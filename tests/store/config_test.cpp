#include "store/config.h"

#include "store/schema.h"
#include "store_fixture.h"

using namespace store;
using storetest::Table;

namespace {

// A file at the current version can still hold its settings in the old column form:
// the updater converts only files it updates.
TEST(Settings, OldColumnFormIsReadAndWrittenInPlace) {
    storetest::TempDir dir;
    std::string path = dir.Path("OLD.crz");
    storetest::WriteFile(path, {storetest::ConfigTable(schema::kCurrentVersion, true)});
    {
        auto s = mk::Storage::Open(path);
        ASSERT_TRUE(s.ok());
        SetSetting(*s, "General", "MRU", "Design");
        SetSetting(*s, "Strovan", "Type", "Recon");
        ASSERT_TRUE(s->Commit().ok());
    }
    auto s = mk::Storage::Open(path);
    EXPECT_EQ(s->Structure("GlobalConfigurationTable"), "sBlock:S,sKey:S,sValue:S");
    EXPECT_EQ(GetSetting(*s, "General", "MRU").value_or(""), "Design");
    EXPECT_EQ(GetSetting(*s, "Strovan", "Type").value_or(""), "Recon");
    EXPECT_EQ(ReadStructureVersion(*s), schema::kCurrentVersion);
    EXPECT_EQ(storetest::Column(*s, "GlobalConfigurationTable", "sValue").size(), 3u);
}

// A table that already carries both forms answers from the old one when the new one
// lacks the row, and a new table is made in the current form.
TEST(Settings, MixedFormsAndNewTables) {
    storetest::TempDir dir;
    std::string path = dir.Path("MIX.crz");
    storetest::WriteFile(path, {Table{"GlobalConfigurationTable[sBlock:S,sKey:S,sValue:S,Block:S,"
                                      "Key:S,Value:S]",
                                      {{"Strovan", "UOM", "03", "", "", ""},
                                       {"", "", "", "General", "MRU", "Kelvane"}}}});
    auto s = mk::Storage::Open(path);
    EXPECT_EQ(GetSetting(*s, "Strovan", "UOM").value_or(""), "03");
    SetSetting(*s, "Strovan", "UOM", "01");
    EXPECT_EQ(GetSetting(*s, "Strovan", "UOM").value_or(""), "01");
    EXPECT_EQ(GetSetting(*s, "General", "MRU").value_or(""), "Kelvane");
    EXPECT_FALSE(GetSetting(*s, "General", "Setup").has_value());

    mk::Storage fresh;
    SetSetting(fresh, "General", "MRU", "Design");
    EXPECT_EQ(fresh.Structure("GlobalConfigurationTable"), "Block:S,Key:S,Value:S");
    EXPECT_EQ(GetSetting(fresh, "General", "MRU").value_or(""), "Design");
}

}  // namespace
