#include "app/setup_file.h"

#include <gtest/gtest.h>

#include "app_test_util.h"

TEST(SetupFile, SharedTablesDictionaryAndVersionReproducibly) {
    apptest::TempDir dir;
    std::string a = dir.Path("a.stp");
    apptest::MakeSetup(a);
    EXPECT_TRUE(apptest::ReadBytes(a) ==
                apptest::ReadBytes(STROVAN_SOURCE_DIR "/data/setup/default.stp"))
        << "data/setup/default.stp is stale: run make_setup data/setup/default.stp";

    auto s = mk::Storage::Open(a, mk::OpenMode::ReadOnly);
    ASSERT_TRUE(s);
    EXPECT_EQ(store::GetSetting(*s, "General", "StructureVersion"), "2010.03.18");
    mk::View dict = s->GetView("DataDictionary");
    int expected_rows = 0;
    for (const auto& t : schema::SharedTables()) {
        ASSERT_TRUE(s->HasView(t.name)) << t.name;
        EXPECT_EQ(t.name + "[" + s->Structure(t.name) + "]", t.description);
        auto fields = mk::ParseFields(s->Structure(t.name));
        ASSERT_TRUE(fields);
        for (size_t c = 0; c < fields->size(); ++c) {
            int r = expected_rows + static_cast<int>(c);
            EXPECT_EQ(dict.GetString(r, "TableName"), t.name);
            EXPECT_EQ(dict.GetString(r, "ColumnName"), (*fields)[c].name);
            EXPECT_EQ(dict.GetString(r, "FieldType"),
                      std::string(1, static_cast<char>((*fields)[c].type)));
            EXPECT_EQ(dict.GetInt(r, "Order1"), static_cast<int>(c) + 1);
        }
        expected_rows += static_cast<int>(fields->size());
    }
    EXPECT_EQ(dict.RowCount(), expected_rows);
}
