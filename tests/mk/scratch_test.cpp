// A scratch copy of a file: writable, its commits kept in memory, the file untouched;
// and the bytes of a storage as it stands, uncommitted changes included.
#include <gtest/gtest.h>

#include "mk/mk.h"
#include "test_util.h"

namespace {

class Scratch : public mktest::TempDir {};

TEST_F(Scratch, ChangesAndCommitsStayInMemoryAndPackedCarriesThem) {
    const std::string path = Path("f.mk");
    {
        auto s = mk::Storage::Create(path);
        ASSERT_TRUE(s);
        mk::View v = *s->GetAs("t[a:S,n:I]");
        v.SetRowCount(2);
        v.SetString(0, "a", "x");
        v.SetInt(1, "n", 7);
        ASSERT_TRUE(s->Commit());
    }
    const std::string bytes = mktest::Slurp(path);

    auto scratch = mk::Storage::Scratch(bytes);
    ASSERT_TRUE(scratch);
    mk::View v = scratch->GetView("t");
    v.SetString(1, "a", "y");
    v.AddRow();
    EXPECT_TRUE(scratch->Commit());
    EXPECT_EQ(scratch->GetView("t").RowCount(), 3);
    EXPECT_EQ(mktest::Slurp(path), bytes);

    // The bytes of the scratch as it stands read back as a file would.
    auto packed = scratch->Packed();
    ASSERT_TRUE(packed);
    auto again = mk::Storage::FromBytes(*packed);
    ASSERT_TRUE(again);
    mk::View w = again->GetView("t");
    ASSERT_EQ(w.RowCount(), 3);
    EXPECT_EQ(w.GetString(0, "a"), "x");
    EXPECT_EQ(w.GetString(1, "a"), "y");
    EXPECT_EQ(w.GetInt(1, "n"), 7);
    // A storage read from bytes stays read-only.
    EXPECT_FALSE(again->Commit());
    EXPECT_FALSE(mk::Storage::Scratch("not a metakit file"));
}

}  // namespace
