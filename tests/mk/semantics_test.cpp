// Opening views by name and by description, restructuring, and typed cell access.
#include <cmath>

#include "test_util.h"

namespace {


class Semantics : public mktest::TempDir {
protected:
    // v[a:S,b:I,c:D] with three rows, committed.
    std::string MakeFile() {
        std::string p = Path("s.mk");
        auto s = mk::Storage::Create(p);
        auto v = s->GetAs("v[a:S,b:I,c:D]");
        for (int i = 0; i < 3; ++i) {
            int r = v->AddRow();
            v->SetString(r, 0, "r" + std::to_string(i));
            v->SetInt(r, 1, 10 + i);
            v->SetDouble(r, 2, i + 0.5);
        }
        EXPECT_TRUE(s->Commit().ok());
        return p;
    }
};

TEST_F(Semantics, FewerColumnsHideButNeverDrop) {
    std::string p = MakeFile();
    {
        auto s = mk::Storage::Open(p);
        auto v = s->GetAs("v[a:S,c:D]");
        ASSERT_TRUE(v.ok());
        EXPECT_EQ(v->Description(), "a:S,c:D");
        EXPECT_EQ(v->FindColumn("b"), -1);
        v->SetString(1, "a", "changed");
        v->AddRow();
        ASSERT_TRUE(s->Commit().ok());
    }
    auto s = mk::Storage::Open(p);
    EXPECT_EQ(s->Structure(), "v[a:S,b:I,c:D]");
    mk::View v = s->GetView("v");
    ASSERT_EQ(v.RowCount(), 4);
    EXPECT_EQ(v.GetString(1, "a"), "changed");
    EXPECT_EQ(v.GetInt(2, "b"), 12);
    EXPECT_EQ(v.GetInt(3, "b"), 0);
    EXPECT_DOUBLE_EQ(v.GetDouble(2, "c"), 2.5);
}

TEST_F(Semantics, MoreColumnsAreAppendedWithDefaults) {
    std::string p = MakeFile();
    {
        auto s = mk::Storage::Open(p);
        auto v = s->GetAs("v[e:L,a:S,sub[x:I]]");
        ASSERT_TRUE(v.ok());
        EXPECT_EQ(v->Description(), "e:L,a:S,sub[x:I]");
        EXPECT_EQ(v->GetLong(0, 0), 0);
        EXPECT_EQ(v->GetString(0, 1), "r0");
        v->GetSubview(2, "sub").SetInt(0, "x", 1);  // no row: ignored
        mk::View sub = v->GetSubview(2, "sub");
        sub.SetInt(sub.AddRow(), "x", 42);
        ASSERT_TRUE(s->Commit().ok());
    }
    auto s = mk::Storage::Open(p);
    EXPECT_EQ(s->Structure(), "v[a:S,b:I,c:D,e:L,sub[x:I]]");
    EXPECT_EQ(s->GetView("v").GetSubview(2, "sub").GetInt(0, "x"), 42);
    EXPECT_EQ(s->GetView("v").GetSubview(1, "sub").RowCount(), 0);
    // Missing subview columns are added inside every row's subview too.
    auto again = s->GetAs("v[sub[x:I,y:S]]");
    EXPECT_EQ(again->GetSubview(2, "sub").GetString(0, "y"), "");
    EXPECT_EQ(s->Structure("v"), "a:S,b:I,c:D,e:L,sub[x:I,y:S]");
}

TEST_F(Semantics, OtherTypeKeepsStoredValuesAndConverts) {
    std::string p = MakeFile();
    {
        auto s = mk::Storage::Open(p);
        auto v = s->GetAs("v[a:D,b:S,c:I]");
        ASSERT_TRUE(v.ok());
        EXPECT_EQ(v->Column(1).type, mk::Type::String);
        EXPECT_EQ(v->GetString(1, "b"), "11");
        EXPECT_EQ(v->GetInt(1, "c"), 1);  // 1.5 toward zero
        v->SetString(0, "a", "12.5 trees");
        v->SetString(0, "b", "77abc");
        ASSERT_TRUE(s->Commit().ok());
    }
    auto s = mk::Storage::Open(p);
    EXPECT_EQ(s->Structure(), "v[a:S,b:I,c:D]");
    mk::View v = s->GetView("v");
    EXPECT_EQ(v.GetString(0, "a"), "12.5 trees");
    EXPECT_EQ(v.GetInt(0, "b"), 77);
    EXPECT_DOUBLE_EQ(v.GetDouble(0, "a"), 12.5);
}

TEST_F(Semantics, DescriptionsApplyInsideSubviews) {
    std::string p = Path("nested.mk");
    {
        auto s = mk::Storage::Create(p);
        auto d = s->GetAs("d[ID:S,sv[a:S,b:I]]");
        d->SetString(d->AddRow(), "ID", "one");
        mk::View sv = d->GetSubview(0, "sv");
        sv.SetString(sv.AddRow(), "a", "kept");
        sv.SetInt(0, "b", 7);
        d->AddRow();  // an empty subview
        ASSERT_TRUE(s->Commit().ok());
    }
    {
        auto s = mk::Storage::Open(p);
        auto d = s->GetAs("d[ID:S,sv[b:S,c:D]]");
        mk::View sv = d->GetSubview(0, "sv");
        EXPECT_EQ(sv.Description(), "b:S,c:D");
        EXPECT_EQ(sv.GetString(0, "b"), "7");
        sv.SetString(0, "c", "3.25");
        mk::View later = d->GetSubview(1, "sv");
        later.SetString(later.AddRow(), "b", "12");
        ASSERT_TRUE(s->Commit().ok());
    }
    auto s = mk::Storage::Open(p);
    EXPECT_EQ(s->Structure(), "d[ID:S,sv[a:S,b:I,c:D]]");
    mk::View d = s->GetView("d");
    EXPECT_EQ(d.GetSubview(0, "sv").GetString(0, "a"), "kept");
    EXPECT_EQ(d.GetSubview(0, "sv").GetDouble(0, "c"), 3.25);
    EXPECT_EQ(d.GetSubview(1, "sv").GetInt(0, "b"), 12);
}

TEST_F(Semantics, LetterCaseOnlyChangesNothingOtherwiseSpellingIsStored) {
    std::string p = MakeFile();
    std::string before = mktest::Slurp(p);
    {
        auto s = mk::Storage::Open(p);
        auto v = s->GetAs("V[A:S,B:I,C:D]");
        EXPECT_EQ(v->GetString(0, "A"), "r0");
        EXPECT_EQ(s->Structure(), "v[a:S,b:I,c:D]");
        ASSERT_TRUE(s->Commit().ok());
    }
    EXPECT_EQ(mktest::Slurp(p), before);
    auto s = mk::Storage::Open(p);
    auto v = s->GetAs("V[A:S,B:I,e:I]");
    EXPECT_EQ(s->Structure(), "V[A:S,B:I,c:D,e:I]");
    EXPECT_TRUE(s->HasView("v"));
    EXPECT_EQ(s->GetView("v").GetInt(2, "b"), 12);
}

TEST_F(Semantics, UnknownNameGivesAViewThatIsNeverStored) {
    std::string p = MakeFile();
    std::string before = mktest::Slurp(p);
    auto s = mk::Storage::Open(p);
    mk::View ghost = s->GetView("ghost");
    EXPECT_EQ(ghost.ColumnCount(), 0);
    ghost.AddRow();
    EXPECT_FALSE(s->HasView("ghost"));
    ASSERT_TRUE(s->Commit().ok());
    EXPECT_EQ(mktest::Slurp(p), before);
    EXPECT_FALSE(s->GetAs("bad[a:S").ok());
    EXPECT_FALSE(s->GetAs("").ok());
}

TEST_F(Semantics, SetStructureDropsReordersAndConverts) {
    std::string p = MakeFile();
    {
        auto s = mk::Storage::Open(p);
        auto w = s->GetAs("w[k:S]");
        w->SetString(w->AddRow(), 0, "keep me");
        ASSERT_TRUE(s->SetStructure("w[k:S],v[c:S,a:S,b:D,n:I]").ok());
        EXPECT_EQ(s->GetView("v").GetString(1, "c"), "1.5");
        ASSERT_TRUE(s->Commit().ok());
    }
    EXPECT_EQ(mk::Storage::Open(p)->Structure(), "w[k:S],v[c:S,a:S,b:D,n:I]");
    auto s = mk::Storage::Open(p);
    mk::View v = s->GetView("v");
    EXPECT_EQ(v.GetString(2, "c"), "2.5");
    EXPECT_DOUBLE_EQ(v.GetDouble(2, "b"), 12.0);
    EXPECT_EQ(v.GetString(2, "a"), "r2");
    EXPECT_EQ(s->GetView("w").GetString(0, "k"), "keep me");
    ASSERT_TRUE(s->SetStructure("w[k:S]").ok());
    ASSERT_TRUE(s->Commit().ok());
    EXPECT_EQ(mk::Storage::Open(p)->Structure(), "w[k:S]");
    EXPECT_FALSE(s->SetStructure("w[k:S").ok());
    // Only views at the top: a plain column there is refused and changes nothing.
    EXPECT_EQ(s->SetStructure("w[k:S],loose:I").error().code, mk::Errc::BadDescription);
    EXPECT_EQ(s->Structure(), "w[k:S]");
}

// An integer read of a value beyond the type saturates: never a wrapped number.
TEST_F(Semantics, IntegerReadsOfLargeValuesSaturate) {
    auto v = mk::View::Make("s:S,l:L,f:F,d:D");
    ASSERT_TRUE(v.ok());
    const char* text[] = {"99999999999", "-99999999999"};
    const int64_t longs[] = {1000000000000, -1000000000000};
    const double doubles[] = {1e12, -1e300};
    const float floats[] = {3e10f, -INFINITY};
    for (int r = 0; r < 2; ++r) {
        v->AddRow();
        v->SetString(r, "s", text[r]);
        v->SetLong(r, "l", longs[r]);
        v->SetDouble(r, "d", doubles[r]);
        v->SetFloat(r, "f", floats[r]);
    }
    for (const char* col : {"s", "l", "f", "d"}) {
        SCOPED_TRACE(col);
        EXPECT_EQ(v->GetInt(0, col), INT32_MAX);
        EXPECT_EQ(v->GetInt(1, col), INT32_MIN);
    }
    EXPECT_EQ(v->GetLong(1, "d"), INT64_MIN);
    EXPECT_EQ(v->GetLong(1, "f"), INT64_MIN);
    v->SetDouble(0, "d", std::nan(""));
    EXPECT_EQ(v->GetInt(0, "d"), 0);
    EXPECT_EQ(v->GetLong(0, "d"), 0);
    // Written into an integer column, a large value saturates the same way.
    auto i = mk::View::Make("i:I");
    i->AddRow();
    i->SetDouble(0, 0, 1e12);
    EXPECT_EQ(i->GetInt(0, 0), INT32_MAX);
    i->SetString(0, 0, "-99999999999");
    EXPECT_EQ(i->GetLong(0, 0), INT32_MIN);
}

TEST_F(Semantics, ConversionsBetweenTextAndNumbers) {
    auto v = mk::View::Make("s:S,i:I,l:L,f:F,d:D,b:B");
    ASSERT_TRUE(v.ok());
    v->AddRow();
    v->SetString(0, "s", "  -12.75e1xyz");
    EXPECT_EQ(v->GetInt(0, "s"), -12);
    EXPECT_DOUBLE_EQ(v->GetDouble(0, "s"), -127.5);
    v->SetString(0, "s", "abc");
    EXPECT_EQ(v->GetLong(0, "s"), 0);
    v->SetString(0, "i", "2147483648");
    EXPECT_EQ(v->GetInt(0, "i"), 2147483647);
    for (const char* huge : {"20000000000000000000", "9223372036854775808", "99999999999999999999999"}) {
        v->SetString(0, "s", huge);
        EXPECT_EQ(v->GetLong(0, "s"), INT64_MAX) << huge;
        v->SetString(0, "s", std::string("-") + huge);
        EXPECT_EQ(v->GetLong(0, "s"), INT64_MIN) << huge;
    }
    v->SetString(0, "s", "-9223372036854775807");
    EXPECT_EQ(v->GetLong(0, "s"), -INT64_MAX);
    v->SetDouble(0, "l", -2.9);
    EXPECT_EQ(v->GetLong(0, "l"), -2);
    v->SetDouble(0, "d", 0.1);
    EXPECT_EQ(v->GetString(0, "d"), "0.1");
    v->SetFloat(0, "f", 0.1f);
    EXPECT_EQ(v->GetString(0, "f"), "0.1");
    EXPECT_EQ(v->GetFloat(0, "f"), 0.1f);
    v->SetLong(0, "s", 1234567890123ll);
    EXPECT_EQ(v->GetString(0, "s"), "1234567890123");
    v->SetDouble(0, "s", 2.5);
    EXPECT_EQ(v->GetString(0, "s"), "2.5");
    v->SetString(0, "s", std::string("cut\0here", 8));
    EXPECT_EQ(v->GetString(0, "s"), "cut");
    v->SetBytes(0, "b", std::string("a\0b", 3));
    EXPECT_EQ(v->GetBytes(0, "b"), std::string("a\0b", 3));
    EXPECT_EQ(v->GetString(5, "s"), "");  // no such row
    EXPECT_EQ(v->GetInt(0, "nope"), 0);
}

TEST_F(Semantics, EveryTypeSurvivesACommit) {
    std::string p = Path("types.mk");
    {
        auto s = mk::Storage::Create(p);
        auto v = s->GetAs("t[s:S,i:I,l:L,f:F,d:D,b:B,m:M]");
        EXPECT_EQ(s->Structure(), "t[s:S,i:I,l:L,f:F,d:D,b:B,m:B]");
        for (int r = 0; r < 300; ++r) {
            v->AddRow();
            v->SetString(r, "s", r % 3 ? std::string(static_cast<size_t>(r), 'q') : "");
            v->SetInt(r, "i", r % 2 ? -r * 1000 : r);
            v->SetLong(r, "l", (1ll << 40) * r);
            v->SetFloat(r, "f", r * 0.25f);
            v->SetDouble(r, "d", r / 3.0);
            v->SetBytes(r, "b", std::string(static_cast<size_t>(r % 5), '\0'));
        }
        v->SetString(7, "s", std::string(20000, 'z'));  // stored apart
        ASSERT_TRUE(s->Commit().ok());
    }
    auto s = mk::Storage::Open(p);
    mk::View v = s->GetView("t");
    ASSERT_EQ(v.RowCount(), 300);
    for (int r = 0; r < 300; ++r) {
        if (r != 7) {
            ASSERT_EQ(v.GetString(r, "s"), r % 3 ? std::string(static_cast<size_t>(r), 'q') : "");
        }
        ASSERT_EQ(v.GetInt(r, "i"), r % 2 ? -r * 1000 : r);
        ASSERT_EQ(v.GetLong(r, "l"), (1ll << 40) * r);
        ASSERT_EQ(v.GetFloat(r, "f"), r * 0.25f);
        ASSERT_EQ(v.GetDouble(r, "d"), r / 3.0);
        ASSERT_EQ(v.GetBytes(r, "b"), std::string(static_cast<size_t>(r % 5), '\0'));
    }
    EXPECT_EQ(v.GetString(7, "s"), std::string(20000, 'z'));
}

TEST(Fields, ParseAndFormat) {
    auto f = mk::ParseFields("a, b:I,t[x:M,X:S,y],r[^],e[],g:d");
    ASSERT_TRUE(f.ok());
    EXPECT_EQ(mk::FormatFields(*f), "a:S, b:I,t[x:B,y:S],r[^],e[],g:D");
    EXPECT_TRUE(mk::ParseFields("").ok());
    for (const char* bad : {"a:", "a:Q", "[x]", "a[b", "a]", "a,,b", "a[b:I]]"})
        EXPECT_FALSE(mk::ParseFields(bad).ok()) << bad;
    std::string deep;
    for (int i = 0; i < 200; ++i) deep += "v[";
    EXPECT_FALSE(mk::ParseFields(deep + std::string(200, ']')).ok());
    EXPECT_TRUE(mk::SameName("TreeTable", "treetable"));
    EXPECT_FALSE(mk::SameName("Tree", "Trees"));
}

// A recursive subview has its enclosing view's columns at every depth, so a column
// added to the view must appear in every stored level too.
TEST_F(Semantics, RecursiveSubviewsFollowTheirViewsColumns) {
    std::string p = Path("rec.mk");
    mktest::fs::copy_file(mktest::Vectors() / "recursive.mk", p);
    {
        auto s = mk::Storage::Open(p);
        auto t = s->GetAs("tree[name:S,kids[^],n:I]");
        ASSERT_TRUE(t.ok());
        mk::View right = t->GetSubview(0, "kids");
        ASSERT_EQ(right.GetString(1, "name"), "right");
        mk::View leaf = right.GetSubview(1, "kids");
        leaf.SetInt(0, "n", 3);
        leaf.GetSubview(0, "kids").SetInt(leaf.GetSubview(0, "kids").AddRow(), "n", 4);
        ASSERT_TRUE(s->Commit().ok());
    }
    {
        auto s = mk::Storage::Open(p);
        ASSERT_TRUE(s.ok()) << s.error().message;
        EXPECT_EQ(s->Structure(), "tree[name:S,kids[^],n:I]");
        mk::View leaf = s->GetView("tree").GetSubview(0, "kids").GetSubview(1, "kids");
        EXPECT_EQ(leaf.GetString(0, "name"), "leaf");
        EXPECT_EQ(leaf.GetInt(0, "n"), 3);
        EXPECT_EQ(leaf.GetSubview(0, "kids").GetInt(0, "n"), 4);
        ASSERT_TRUE(s->SetStructure("tree[n:D,name:S,kids[^]]").ok());
        ASSERT_TRUE(s->Commit().ok());
    }
    auto s = mk::Storage::Open(p);
    ASSERT_TRUE(s.ok()) << s.error().message;
    mk::View leaf = s->GetView("tree").GetSubview(0, "kids").GetSubview(1, "kids");
    EXPECT_EQ(leaf.GetDouble(0, "n"), 3.0);
    EXPECT_EQ(leaf.GetString(0, "name"), "leaf");
}

// Nesting that our reader would refuse is refused when committing, not written.
TEST_F(Semantics, NestingDeeperThanTheReaderTakesIsNotCommitted) {
    for (int depth : {60, 70}) {
        SCOPED_TRACE(depth);
        std::string p = Path("deep.mk");
        auto s = mk::Storage::Create(p);
        mk::View v = *s->GetAs("tree[name:S,kids[^]]");
        for (int d = 0; d < depth; ++d) {
            v.SetString(v.AddRow(), "name", "level " + std::to_string(d));
            v = v.GetSubview(0, "kids");
        }
        mk::Status st = s->Commit();
        ASSERT_EQ(st.ok(), depth == 60);
        auto back = mk::Storage::Open(p);
        ASSERT_TRUE(back.ok()) << back.error().message;
        if (depth == 70) {
            EXPECT_EQ(back->Structure(), "");  // still the empty file
            continue;
        }
        mk::View w = back->GetView("tree");
        for (int d = 0; d + 1 < depth; ++d) w = w.GetSubview(0, "kids");
        EXPECT_EQ(w.GetString(0, "name"), "level 59");
    }
}

// Whole-column writes must leave exactly the file that cell-by-cell writes leave,
// conversions and cut-off texts included.
TEST_F(Semantics, ColumnWritesEqualCellWrites) {
    const std::string texts[] = {"alpha", "", std::string("cut\0off", 7), "a longer text than sixteen bytes", "7.5"};
    std::vector<std::string_view> tv(std::begin(texts), std::end(texts));
    const std::vector<int32_t> ints = {-3, 0, 2147483647, 5, -2147483647 - 1, 99};  // one more than rows
    const std::vector<double> nums = {1.25, 0, -7, 1e300};                           // one fewer than rows
    auto build = [&](const std::string& name, bool whole) {
        auto s = mk::Storage::Create(Path(name));
        mk::View v = *s->GetAs("v[s:S,i:I,d:D,si:S,ds:D,id:I,keep:I]");
        v.SetRowCount(5);
        for (int r = 0; r < 5; ++r) v.SetInt(r, "keep", 40 + r);
        v.SetDouble(4, "d", 9.5);  // beyond the values: must stay
        if (whole) {
            v.SetColumn(0, tv);
            v.SetColumn(1, ints);
            v.SetColumn(2, nums);
            v.SetColumn(3, ints);  // numbers into text
            v.SetColumn(4, tv);    // texts into numbers
            v.SetColumn(5, nums);  // fractions into integers
            v.SetColumn(-1, nums); // no such column: nothing
        } else {
            for (int r = 0; r < 5; ++r) {
                v.SetString(r, 0, tv[r]);
                v.SetInt(r, 1, ints[r]);
                v.SetInt(r, 3, ints[r]);
                v.SetString(r, 4, tv[r]);
                if (r < 4) v.SetDouble(r, 2, nums[r]), v.SetDouble(r, 5, nums[r]);
            }
        }
        EXPECT_TRUE(s->Commit().ok());
        return mktest::Slurp(Path(name));
    };
    std::string cells = build("cells.mk", false), whole = build("whole.mk", true);
    EXPECT_EQ(whole, cells);
    auto s = mk::Storage::Open(Path("whole.mk"));
    mk::View v = s->GetView("v");
    EXPECT_EQ(v.GetString(2, "s"), "cut");
    EXPECT_EQ(v.GetString(3, "s"), texts[3]);
    EXPECT_EQ(v.GetInt(4, "i"), -2147483647 - 1);
    EXPECT_DOUBLE_EQ(v.GetDouble(4, "d"), 9.5);
    EXPECT_EQ(v.GetString(2, "si"), "2147483647");
    EXPECT_DOUBLE_EQ(v.GetDouble(4, "ds"), 7.5);
    EXPECT_EQ(v.GetInt(3, "id"), 2147483647);  // 1e300 saturates
    EXPECT_EQ(v.GetInt(4, "keep"), 44);
}

// Nothing to write is a write of nothing: an empty list, or any list on a view without rows.
TEST_F(Semantics, ColumnWritesOfNothingChangeNothing) {
    auto s = mk::Storage::Create(Path("n.mk"));
    mk::View v = *s->GetAs("v[i:I,d:D,s:S]");
    const std::vector<int32_t> ints = {1, 2};
    const std::vector<double> nums = {1.5};
    const std::vector<std::string_view> texts = {"a"};
    v.SetColumn(0, std::span<const int32_t>());
    v.SetColumn(1, std::span<const double>());
    v.SetColumn(0, ints);
    v.SetColumn(1, nums);
    v.SetColumn(2, texts);
    EXPECT_EQ(v.RowCount(), 0);
    v.SetRowCount(2);
    v.SetInt(1, 0, 7);
    v.SetColumn(0, std::span<const int32_t>());
    v.SetColumn(1, std::span<const double>());
    v.SetColumn(2, std::span<const std::string_view>());
    EXPECT_EQ(v.GetInt(1, 0), 7);
    ASSERT_TRUE(s->Commit().ok());
    EXPECT_EQ(mktest::ContentOf(Path("n.mk")), mktest::Content(*s));
}

// On a derived view the values go to the base rows it shows, in its order.
TEST_F(Semantics, ColumnWritesThroughASortedView) {
    auto s = mk::Storage::Create(Path("d.mk"));
    mk::View v = *s->GetAs("v[k:I,t:S]");
    for (int k : {3, 1, 2}) v.SetInt(v.AddRow(), "k", k);
    mk::View sorted = v.SortOn({"k"});
    const std::vector<std::string_view> t = {"one", "two", "three"};
    sorted.SetColumn(1, t);
    EXPECT_EQ(v.GetString(0, "t"), "three");
    EXPECT_EQ(v.GetString(1, "t"), "one");
    EXPECT_EQ(v.GetString(2, "t"), "two");
}

}  // namespace
