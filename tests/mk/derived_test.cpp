// Derived views: select, sort, projection write through to their base; group by,
// join and clone give detached copies.
#include "test_util.h"

namespace {

// Trees: stratum, species, dbh.
mk::View Trees() {
    mk::View v = *mk::View::Make("Stratum:S,Sp:S,DBH:D,Cnt:I");
    const struct {
        const char* st;
        const char* sp;
        double dbh;
    } rows[] = {{"2", "202", 14.5}, {"1", "122", 9.0}, {"2", "122", 22.0}, {"1", "202", 9.0}, {"3", "202", 30.5},
                {"1", "202", 12.0}};
    for (const auto& r : rows) {
        int i = v.AddRow();
        v.SetString(i, "Stratum", r.st);
        v.SetString(i, "Sp", r.sp);
        v.SetDouble(i, "DBH", r.dbh);
        v.SetInt(i, "Cnt", i);
    }
    return v;
}

mk::View Key(const char* fields, const std::vector<std::string>& values) {
    mk::View k = *mk::View::Make(fields);
    k.AddRow();
    for (size_t c = 0; c < values.size(); ++c) k.SetString(0, static_cast<int>(c), values[c]);
    return k;
}

std::vector<int> Counts(const mk::View& v) {
    std::vector<int> out;
    for (int r = 0; r < v.RowCount(); ++r) out.push_back(v.GetInt(r, "Cnt"));
    return out;
}

TEST(Derived, SelectMatchesEveryKeyColumnAndWritesThrough) {
    mk::View t = Trees();
    mk::View sel = t.Select(Key("Stratum:S,Sp:S", {"1", "202"}));
    EXPECT_TRUE(sel.IsDerived());
    EXPECT_EQ(Counts(sel), (std::vector<int>{3, 5}));
    EXPECT_EQ(sel.BaseRow(1), 5);
    sel.SetDouble(0, "DBH", 99.0);
    EXPECT_EQ(t.GetDouble(3, "DBH"), 99.0);
    sel.RemoveRows(0);
    EXPECT_EQ(t.RowCount(), 5);
    EXPECT_EQ(Counts(sel), (std::vector<int>{5}));
    EXPECT_EQ(sel.GetString(0, "Sp"), "202");
    int added = sel.AddRow();
    sel.SetString(added, "Stratum", "9");
    EXPECT_EQ(t.GetString(t.RowCount() - 1, "Stratum"), "9");
    // A numeric key column compares as a number.
    mk::View byDbh = t.Select(Key("DBH:S", {"9"}));
    EXPECT_EQ(Counts(byDbh), (std::vector<int>{1}));
    EXPECT_EQ(t.Find(Key("Sp:S", {"202"}), 1), 3);
    EXPECT_EQ(t.Find(Key("Sp:S", {"999"})), -1);
}

TEST(Derived, SortAscendingAndPartlyDescending) {
    mk::View t = Trees();
    EXPECT_EQ(Counts(t.SortOn({"Stratum", "DBH"})), (std::vector<int>{1, 3, 5, 0, 2, 4}));
    EXPECT_EQ(Counts(t.SortOn({"DBH", "Sp"}, {"Sp"})), (std::vector<int>{3, 1, 5, 0, 2, 4}));
    EXPECT_EQ(Counts(t.SortOn({"Stratum"}, {"Stratum"})), (std::vector<int>{4, 0, 2, 1, 3, 5}));
    mk::View sorted = t.SortOn({"Cnt"}, {"Cnt"});
    sorted.RemoveRows(0, 2);  // rows 5 and 4 of the base
    EXPECT_EQ(Counts(t), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(Counts(sorted), (std::vector<int>{3, 2, 1, 0}));
    sorted.SetInt(3, "Cnt", 50);
    EXPECT_EQ(t.GetInt(0, "Cnt"), 50);
    // Derived from derived still lands on the table.
    mk::View both = t.Select(Key("Stratum:S", {"1"})).SortOn({"Cnt"}, {"Cnt"});
    both.SetString(0, "Sp", "015");
    EXPECT_EQ(t.GetString(3, "Sp"), "015");
}

TEST(Derived, ProjectShowsOnlyNamedColumns) {
    mk::View t = Trees();
    mk::View p = t.Project({"DBH", "nope", "Stratum"});
    EXPECT_EQ(p.Description(), "DBH:D,Stratum:S");
    EXPECT_EQ(p.RowCount(), 6);
    p.SetString(2, "Stratum", "7");
    EXPECT_EQ(t.GetString(2, "Stratum"), "7");
    p.RemoveRows(0);
    EXPECT_EQ(t.RowCount(), 5);
    EXPECT_EQ(p.Base().ColumnCount(), 4);
}

TEST(Derived, GroupByCollectsRowsIntoSubviews) {
    mk::View t = Trees();
    mk::View g = t.GroupBy({"Stratum"}, "rows");
    EXPECT_FALSE(g.IsDerived());
    EXPECT_EQ(g.Description(), "Stratum:S,rows[Sp:S,DBH:D,Cnt:I]");
    ASSERT_EQ(g.RowCount(), 3);
    EXPECT_EQ(g.GetString(0, "Stratum"), "1");
    mk::View ones = g.GetSubview(0, "rows");
    EXPECT_EQ(Counts(ones), (std::vector<int>{1, 3, 5}));
    ones.SetInt(0, "Cnt", 77);
    EXPECT_EQ(t.GetInt(1, "Cnt"), 1);  // detached
}

TEST(Derived, JoinAddsTheMatchingRowsColumns) {
    mk::View t = Trees();
    mk::View sp = *mk::View::Make("Sp:S,Name:S,Sub[x:I]");
    sp.SetString(sp.AddRow(), "Sp", "202");
    sp.SetString(0, "Name", "Douglas-fir");
    sp.GetSubview(0, "Sub").SetInt(sp.GetSubview(0, "Sub").AddRow(), "x", 4);
    sp.SetString(sp.AddRow(), "Sp", "202");
    sp.SetString(1, "Name", "second match is ignored");
    mk::View j = t.Join(sp, "Sp");
    EXPECT_EQ(j.Description(), "Stratum:S,Sp:S,DBH:D,Cnt:I,Name:S,Sub[x:I]");
    ASSERT_EQ(j.RowCount(), 6);
    EXPECT_EQ(j.GetString(0, "Name"), "Douglas-fir");
    EXPECT_EQ(j.GetString(1, "Name"), "");
    EXPECT_EQ(j.GetSubview(4, "Sub").GetInt(0, "x"), 4);
}

TEST(Derived, CloneIsDeepAndDetached) {
    mk::View t = *mk::View::Make("a:S,sub[x:I]");
    t.SetString(t.AddRow(), "a", "one");
    mk::View sub = t.GetSubview(0, "sub");
    sub.SetInt(sub.AddRow(), "x", 5);
    mk::View c = t.Clone();
    c.GetSubview(0, "sub").SetInt(0, "x", 6);
    c.SetString(0, "a", "two");
    EXPECT_EQ(t.GetString(0, "a"), "one");
    EXPECT_EQ(t.GetSubview(0, "sub").GetInt(0, "x"), 5);
    EXPECT_EQ(c.GetSubview(0, "sub").GetInt(0, "x"), 6);
}

TEST(Derived, StoredViewsShareRowsBetweenHandles) {
    mk::Storage s;
    auto a = s.GetAs("t[k:S,v:I]");
    mk::View b = s.GetView("t");
    a->SetString(a->AddRow(), "k", "x");
    EXPECT_EQ(b.RowCount(), 1);
    mk::View sel = b.Select(Key("k:S", {"x"}));
    sel.SetInt(0, "v", 3);
    EXPECT_EQ(a->GetInt(0, "v"), 3);
    mk::View copy = *mk::View::Make("k:S,v:I,other:D");
    copy.AddRowFrom(*a, 0);
    EXPECT_EQ(copy.GetInt(0, "v"), 3);
    EXPECT_EQ(copy.GetString(0, "k"), "x");
    EXPECT_FALSE(s.Commit().ok());  // bound to no file
}

}  // namespace
