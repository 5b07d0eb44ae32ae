// Integer reads of values beyond an int saturate at its limits: they never wrap and
// never reach a conversion whose result is undefined.
#include <climits>
#include <cmath>

#include "store/cruise_store.h"
#include "store/schema.h"
#include "store_fixture.h"
#include "ui/scripted_ui.h"

using namespace store;

namespace {

TEST(IntReads, LargeValuesSaturateInEveryStoredType) {
    storetest::TempDir dir;
    std::string path = dir.Path("BIG.crz");
    storetest::WriteFile(path, {storetest::ConfigTable(schema::kCurrentVersion)});
    {
        // Written here rather than through the fixture, whose text cells cannot be negative.
        auto s = mk::Storage::Open(path);
        ASSERT_TRUE(s.ok());
        auto big = s->GetAs("Big[d:D,f:F,l:L,s:S]");
        ASSERT_TRUE(big.ok());
        const double d[] = {1e12, -1e12, std::nan(""), 2147483646.4};
        const float f[] = {3e10f, -3e10f, INFINITY, 12.5f};
        const int64_t l[] = {1000000000000, -1000000000000, INT64_MAX, INT_MIN};
        const char* t[] = {"99999999999", "-99999999999", "99999999999999999999999", "  -2147483649 trees"};
        for (int r = 0; r < 4; ++r) {
            big->AddRow();
            big->SetDouble(r, "d", d[r]);
            big->SetFloat(r, "f", f[r]);
            big->SetLong(r, "l", l[r]);
            big->SetString(r, "s", t[r]);
        }
        ASSERT_TRUE(s->Commit().ok());
    }
    ui::ScriptedUi ui;
    CCruiseStore store(ui);
    ASSERT_EQ(store.Open(path), 0);
    int slot = store.OpenView("Big");
    ASSERT_GE(slot, 0);
    auto read = [&](int row, const char* col) {
        int v = 12345;
        EXPECT_EQ(store.GetInt(slot, row, col, v), 0) << col;
        return v;
    };
    for (const char* col : {"d", "f", "l", "s"}) {
        SCOPED_TRACE(col);
        EXPECT_EQ(read(0, col), INT_MAX);  // "99999999999" once wrapped to 1215752191
        EXPECT_EQ(read(1, col), INT_MIN);
    }
    EXPECT_EQ(read(2, "d"), 0);        // NaN
    EXPECT_EQ(read(2, "f"), INT_MAX);  // infinity as a float
    EXPECT_EQ(read(2, "l"), INT_MAX);
    EXPECT_EQ(read(2, "s"), INT_MAX);
    // Values inside the range keep their usual reading (reals round half up).
    EXPECT_EQ(read(3, "d"), 2147483646);
    EXPECT_EQ(read(3, "f"), 13);
    EXPECT_EQ(read(3, "l"), INT_MIN);
    EXPECT_EQ(read(3, "s"), INT_MIN);
}

}  // namespace
