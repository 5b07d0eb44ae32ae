#include "store/config.h"

#include "store/cruise_store.h"
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

// Duplicate rows of a key (a setup file may carry its own) all take a new value, in
// either form, so no reader that takes the first row sees a stale one.
TEST(Settings, SettingUpdatesEveryDuplicateAndListsBothForms) {
    storetest::TempDir dir;
    std::string path = dir.Path("DUP.crz");
    storetest::WriteFile(path, {Table{"GlobalConfigurationTable[sBlock:S,sKey:S,sValue:S,Block:S,"
                                      "Key:S,Value:S]",
                                      {{"Strovan", "UOM", "03", "", "", ""},
                                       {"", "", "", "Strovan", "UOM", "03"},
                                       {"", "", "", "Strovan", "Paint", "4"},
                                       {"", "", "", "Strovan", "UOM", "03"}}}});
    auto s = mk::Storage::Open(path);
    SetSetting(*s, "Strovan", "UOM", "01");
    std::vector<std::string> rows;
    for (const SettingRow& r : AllSettings(*s)) rows.push_back(r.block + "/" + r.key + "=" + r.value);
    EXPECT_EQ(rows, (std::vector<std::string>{"Strovan/UOM=01", "Strovan/UOM=01",
                                              "Strovan/Paint=4", "Strovan/UOM=01"}));
    mk::Storage none;
    EXPECT_TRUE(AllSettings(none).empty());
    EXPECT_FALSE(none.HasView("GlobalConfigurationTable"));
}

// Text cells read as numbers: decimal only, never infinite or NaN.
TEST(Settings, LeadingNumbersAreDecimalAndFinite) {
    EXPECT_EQ(LeadingDouble(" 45.50 $"), 45.5);
    EXPECT_EQ(LeadingDouble("-2e3x"), -2000.0);
    EXPECT_EQ(LeadingDouble("+.5"), 0.5);
    for (const char* t : {"inf", "infinity", "nan", "0x10", "1e400", "-1e999", "", "e5", "."})
        EXPECT_EQ(LeadingDouble(t), 0.0) << t;
    EXPECT_EQ(LeadingDouble("1e-400"), 0.0);
    EXPECT_TRUE(LeadingDoubleInRange("1e-400"));
    EXPECT_TRUE(LeadingDoubleInRange("abc"));
    EXPECT_FALSE(LeadingDoubleInRange("1e400"));
    EXPECT_FALSE(LeadingDoubleInRange(std::string(400, '9')));
}

}  // namespace
