// Commits: packed first writes, incremental commits in place, and what a commit cut
// short at any single write leaves behind.
#include <functional>

#include "mk/file_io.h"
#include "test_util.h"

namespace {

using mktest::Content;
using mktest::ContentOf;
using mktest::Slurp;

class Commit : public mktest::TempDir {
protected:
    // A file with two views, committed once.
    std::string MakeBase() {
        std::string p = Path("base.mk");
        auto s = mk::Storage::Create(p);
        EXPECT_TRUE(s.ok());
        auto v = s->GetAs("t[n:I,s:S,d:D]");
        auto w = s->GetAs("u[k:S,sub[x:I]]");
        for (int i = 0; i < 50; ++i) {
            int r = v->AddRow();
            v->SetInt(r, "n", i * 7);
            v->SetString(r, "s", "row " + std::to_string(i));
            v->SetDouble(r, "d", i / 4.0);
        }
        for (int i = 0; i < 3; ++i) {
            int r = w->AddRow();
            w->SetString(r, "k", std::string(1, char('a' + i)));
            mk::View sub = w->GetSubview(r, "sub");
            for (int j = 0; j <= i; ++j) sub.SetInt(sub.AddRow(), "x", j);
        }
        EXPECT_TRUE(s->Commit().ok());
        return p;
    }
};

TEST_F(Commit, WorkedExampleIsWrittenByteForByte) {
    std::string p = Path("ex.mk");
    auto s = mk::Storage::Create(p);
    ASSERT_TRUE(s.ok());
    auto t = s->GetAs("t[n:I,s:S]");
    t->AddRow();
    t->AddRow();
    t->SetInt(0, "n", 1);
    t->SetString(0, "s", "a");
    t->SetInt(1, "n", 300);
    ASSERT_TRUE(s->Commit().ok());
    // 16-bit n; the sizes 2 and 0 need 2 bits, padded to 5 bytes for two rows.
    const unsigned char want[] = {0x4A, 0x4C, 0x1A, 0x00, 0x00, 0x00, 0x00, 0x3B, 0x01, 0x00, 0x2C, 0x01,
                                  0x61, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x80, 0x82, 0x84, 0x88, 0x82,
                                  0x8C, 0x85, 0x8E, 0x80, 0x80, 0x8A, 0x74, 0x5B, 0x6E, 0x3A, 0x49, 0x2C,
                                  0x73, 0x3A, 0x53, 0x5D, 0x81, 0x89, 0x93, 0x80, 0x00, 0x00, 0x00, 0x00,
                                  0x00, 0x00, 0x2B, 0x80, 0x00, 0x00, 0x0F, 0x00, 0x00, 0x00, 0x1C};
    EXPECT_EQ(Slurp(p), std::string(reinterpret_cast<const char*>(want), sizeof want));
}

TEST_F(Commit, NothingDefinedLeavesAnEmptyFile) {
    std::string p = Path("e.mk");
    auto s = mk::Storage::Create(p);
    ASSERT_TRUE(s->Commit().ok());
    EXPECT_EQ(mktest::fs::file_size(p), 0u);
    auto again = mk::Storage::Open(p);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again->Structure(), "");
}

TEST_F(Commit, OneStorageCommitsFirstWholeThenInPlace) {
    std::string p = Path("twice.mk");
    auto s = mk::Storage::Create(p);
    auto v = s->GetAs("t[a:S,n:I]");
    v->SetString(v->AddRow(), "a", "first");
    ASSERT_TRUE(s->Commit().ok());
    auto ino = mktest::Inode(p);
    v->SetString(v->AddRow(), "a", "second");
    v->SetInt(0, "n", 5);
    ASSERT_TRUE(s->Commit().ok());
    EXPECT_EQ(mktest::Inode(p), ino);
    EXPECT_EQ(ContentOf(p), Content(*s));
    s->Close();
    EXPECT_FALSE(s->IsOpen());
    EXPECT_FALSE(s->GetAs("t[a:S]").ok());
    EXPECT_EQ(s->Commit().error().code, mk::Errc::NotOpen);
}

TEST_F(Commit, UnchangedCommitWritesNothing) {
    for (const char* name : {"multi_commit.mk", "big_endian.mk", "nested.mk", "strings.mk"}) {
        SCOPED_TRACE(name);
        std::string p = Path(name);
        mktest::fs::copy_file(mktest::Vectors() / name, p);
        std::string before = Slurp(p);
        auto s = mk::Storage::Open(p);
        ASSERT_TRUE(s.ok());
        (void)s->GetAs(std::string(s->ViewNames()[0]) + "[" + s->Structure(s->ViewNames()[0]) + "]");
        mk::detail::FailWritesAfter(0);  // any write would fail the commit
        EXPECT_TRUE(s->Commit().ok());
        mk::detail::StopFailingWrites();
        EXPECT_EQ(Slurp(p), before);
    }
}

TEST_F(Commit, ValuesSetBackToWhatWasCommittedWriteNothing) {
    std::string p = MakeBase();
    const std::string before = Slurp(p);
    auto s = mk::Storage::Open(p);
    ASSERT_TRUE(s.ok());
    mk::View t = s->GetView("t"), u = s->GetView("u");
    t.SetString(3, "s", "row 3");  // the same text
    t.SetInt(4, "n", 999);
    t.SetInt(4, "n", 28);  // and back
    t.SetDouble(5, "d", 0.5);
    t.SetDouble(5, "d", 1.25);
    u.GetSubview(2, "sub").SetInt(1, "x", 1);
    // A table emptied and filled again with the same rows.
    mk::View copy = t.Clone();
    t.RemoveAll();
    for (int r = 0; r < copy.RowCount(); ++r) t.AddRowFrom(copy, r);
    mk::detail::FailWritesAfter(0);  // any write would fail the commit
    EXPECT_TRUE(s->Commit().ok());
    mk::detail::StopFailingWrites();
    EXPECT_EQ(Slurp(p), before);
    // A real change after that is written, and what compared equal stays readable.
    t.SetString(3, "s", "changed");
    ASSERT_TRUE(s->Commit().ok());
    EXPECT_NE(Slurp(p), before);
    EXPECT_EQ(ContentOf(p), Content(*s));
}

TEST_F(Commit, RowsRefilledAfterACommitOfTheEmptyTableAreWrittenAgain) {
    // The blocks of the emptied table were freed by the commit in between: rows equal
    // to them must not point at space that later commits reuse.
    std::string p = MakeBase();
    auto s = mk::Storage::Open(p);
    ASSERT_TRUE(s.ok());
    mk::View t = s->GetView("t");
    mk::View copy = t.Clone();
    t.RemoveAll();
    ASSERT_TRUE(s->Commit().ok());
    mk::View filler = *s->GetAs("f[x:S]");
    for (int i = 0; i < 200; ++i) filler.SetString(filler.AddRow(), "x", "filler " + std::to_string(i));
    ASSERT_TRUE(s->Commit().ok());
    for (int r = 0; r < copy.RowCount(); ++r) t.AddRowFrom(copy, r);
    ASSERT_TRUE(s->Commit().ok());
    EXPECT_EQ(ContentOf(p), Content(*s));
    for (int i = 0; i < 200; ++i) filler.SetString(i, "x", "other " + std::to_string(i));
    ASSERT_TRUE(s->Commit().ok());
    EXPECT_EQ(ContentOf(p), Content(*s));
}

TEST_F(Commit, ChangesAreCommittedInPlaceAndKeepTheFile) {
    std::string p = MakeBase();
    auto ino = mktest::Inode(p);
    auto s = mk::Storage::Open(p);
    ASSERT_TRUE(s.ok());
    mk::View t = s->GetView("t");
    t.SetString(3, "s", "changed");
    t.RemoveRows(10, 5);
    ASSERT_TRUE(s->Commit().ok());
    std::string once = Content(*s);
    EXPECT_EQ(ContentOf(p), once);
    EXPECT_EQ(mktest::Inode(p), ino);
    // Repeated rewrites reuse freed space instead of growing without end.
    for (int round = 0; round < 20; ++round) {
        for (int r = 0; r < t.RowCount(); ++r) t.SetInt(r, "n", round * 1000 + r);
        ASSERT_TRUE(s->Commit().ok());
    }
    auto size = mktest::fs::file_size(p);
    for (int round = 0; round < 20; ++round) {
        for (int r = 0; r < t.RowCount(); ++r) t.SetInt(r, "n", round * 1000 + r);
        ASSERT_TRUE(s->Commit().ok());
    }
    EXPECT_EQ(mktest::fs::file_size(p), size);
    EXPECT_EQ(ContentOf(p), Content(*s));
    EXPECT_EQ(mktest::Inode(p), ino);
}

TEST_F(Commit, BigEndianFileStaysBigEndian) {
    std::string p = Path("be.mk");
    mktest::fs::copy_file(mktest::Vectors() / "big_endian.mk", p);
    auto s = mk::Storage::Open(p);
    ASSERT_TRUE(s.ok());
    ASSERT_EQ(s->Order(), mk::ByteOrder::Big);
    std::string view = s->ViewNames()[0];
    mk::View v = s->GetView(view);
    int r = v.AddRow();
    for (int c = 0; c < v.ColumnCount(); ++c) {
        if (v.Column(c).type != mk::Type::View) v.SetString(r, c, "4660");
    }
    ASSERT_TRUE(s->Commit().ok());
    auto again = mk::Storage::Open(p, mk::OpenMode::ReadOnly);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again->Order(), mk::ByteOrder::Big);
    EXPECT_EQ(Content(*again), Content(*s));
}

TEST_F(Commit, ReadOnlyStorageRefusesToCommit) {
    std::string p = MakeBase();
    std::string before = Slurp(p);
    auto s = mk::Storage::Open(p, mk::OpenMode::ReadOnly);
    s->GetView("t").SetInt(0, "n", 99);
    mk::Status st = s->Commit();
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().code, mk::Errc::ReadOnly);
    EXPECT_EQ(Slurp(p), before);
}

TEST_F(Commit, SaveAsWritesAPackedCopy) {
    std::string p = Path("multi.mk");
    mktest::fs::copy_file(mktest::Vectors() / "multi_commit.mk", p);
    auto s = mk::Storage::Open(p);
    std::string out = Path("packed.mk");
    ASSERT_TRUE(s->SaveAs(out).ok());
    EXPECT_EQ(ContentOf(out), Content(*s));
    EXPECT_LT(mktest::fs::file_size(out), mktest::fs::file_size(p));
    // Saving over its own file, and committing afterwards, stays on the new file.
    ASSERT_TRUE(s->SaveAs(p).ok());
    EXPECT_EQ(mktest::Slurp(p), mktest::Slurp(out));
    s->GetView(s->ViewNames()[0]).AddRow();
    ASSERT_TRUE(s->Commit().ok());
    EXPECT_EQ(ContentOf(p), Content(*s));
}

struct FaultCase {
    std::string name;
    std::function<void(mk::Storage&)> change;
};

TEST_F(Commit, EveryInterruptedCommitLeavesOldOrNewState) {
    std::string original = MakeBase();
    std::string originalBytes = Slurp(original);
    std::string oldState = ContentOf(original);
    std::vector<FaultCase> cases = {
        {"fits inside", [](mk::Storage& s) { s.GetView("t").SetInt(0, "n", 5); }},
        {"grows", [](mk::Storage& s) {
             mk::View t = s.GetView("t");
             for (int i = 0; i < 200; ++i) t.SetString(t.AddRow(), "s", std::string(40, 'x'));
         }},
        {"subviews and a new view", [](mk::Storage& s) {
             mk::View u = s.GetView("u");
             u.GetSubview(1, "sub").RemoveRows(0, 1);
             u.RemoveRows(0, 1);
             auto v = s.GetAs("added[z:L]");
             v->SetLong(v->AddRow(), "z", 1ll << 40);
         }},
        {"drop a view", [](mk::Storage& s) { ASSERT_TRUE(s.SetStructure("u[k:S,sub[x:I]]").ok()); }},
    };
    for (const FaultCase& fc : cases) {
        SCOPED_TRACE(fc.name);
        std::string p = Path("cut.mk");
        mktest::Spit(p, originalBytes);
        std::string newState;
        int writes = 0;
        {
            auto s = mk::Storage::Open(p);
            fc.change(*s);
            mk::detail::StopFailingWrites();
            ASSERT_TRUE(s->Commit().ok());
            writes = mk::detail::WritesSinceArmed();
            newState = Content(*s);
        }
        ASSERT_NE(newState, oldState);
        ASSERT_GE(writes, 2);
        for (int n = 0; n < writes; ++n) {
            SCOPED_TRACE("cut before write " + std::to_string(n));
            mktest::Spit(p, originalBytes);
            auto s = mk::Storage::Open(p);
            fc.change(*s);
            mk::detail::FailWritesAfter(n);
            mk::Status st = s->Commit();
            mk::detail::StopFailingWrites();
            std::string got = ContentOf(p);
            // Only the final header write may fail after the commit point.
            if (st.ok()) EXPECT_EQ(got, newState);
            else EXPECT_EQ(got, oldState);
            auto reopened = mk::Storage::Open(p, mk::OpenMode::ReadOnly);
            ASSERT_TRUE(reopened.ok());
            EXPECT_FALSE(reopened->Recovered());
        }
    }
}

TEST_F(Commit, InterruptedFirstCommitLeavesTheEmptyFile) {
    std::string p = Path("new.mk");
    for (int n = 0; n < 2; ++n) {
        auto s = mk::Storage::Create(p);
        s->GetAs("t[a:S]")->AddRow();
        mk::detail::FailWritesAfter(n);
        EXPECT_FALSE(s->Commit().ok());
        mk::detail::StopFailingWrites();
        EXPECT_EQ(mktest::fs::file_size(p), 0u);
        EXPECT_EQ(ContentOf(p), ContentOf((mktest::Vectors() / "empty.mk").string()));
    }
    EXPECT_EQ(std::distance(mktest::fs::directory_iterator(dir_), mktest::fs::directory_iterator{}), 1);
}

// Many random edits, each batch committed in place; the file must always reopen as
// exactly what the storage holds, while freed space is reused.
TEST_F(Commit, RandomEditsSurviveManyIncrementalCommits) {
    std::string p = MakeBase();
    auto s = mk::Storage::Open(p);
    uint64_t seed = 42;
    auto next = [&seed](int n) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<int>((seed >> 33) % static_cast<uint64_t>(n));
    };
    for (int commit = 0; commit < 60; ++commit) {
        mk::View t = s->GetView("t");
        mk::View u = s->GetView("u");
        for (int op = 0; op < 8; ++op) {
            int rows = t.RowCount();
            switch (next(6)) {
            case 0: t.InsertRows(next(rows + 1), 1 + next(3)); break;
            case 1: if (rows) t.RemoveRows(next(rows), 1 + next(4)); break;
            case 2: if (rows) t.SetString(next(rows), "s", std::string(static_cast<size_t>(next(300)), 'a' + char(next(26)))); break;
            case 3: if (rows) t.SetInt(next(rows), "n", next(100000) - 50000); break;
            case 4: if (rows) t.SetDouble(next(rows), "d", next(1000) / 7.0); break;
            default: {
                mk::View sub = u.GetSubview(next(u.RowCount()), "sub");
                sub.SetInt(sub.AddRow(), "x", next(20));
                if (next(2)) sub.RemoveRows(0);
            }
            }
        }
        ASSERT_TRUE(s->Commit().ok());
        if (commit % 10 == 9) {
            ASSERT_EQ(ContentOf(p), Content(*s)) << "after commit " << commit;
        }
    }
    // Dead space stays a small multiple of the live data.
    ASSERT_TRUE(s->SaveAs(Path("packed.mk")).ok());
    EXPECT_LT(mktest::fs::file_size(p), 4 * mktest::fs::file_size(Path("packed.mk")) + 4096);
}

TEST_F(Commit, RecoveredFileCommitsOnTopOfThePreviousState) {
    std::string p = Path("rec.mk");
    mktest::fs::copy_file(mktest::Vectors() / "interrupted_commit.mk", p);
    auto s = mk::Storage::Open(p);
    ASSERT_TRUE(s.ok());
    ASSERT_TRUE(s->Recovered());
    mk::View v = s->GetView("v");
    v.SetString(v.AddRow(), "a", "after");
    ASSERT_TRUE(s->Commit().ok());
    auto again = mk::Storage::Open(p, mk::OpenMode::ReadOnly);
    ASSERT_TRUE(again.ok());
    EXPECT_FALSE(again->Recovered());
    EXPECT_EQ(again->GetView("v").RowCount(), 6);
    EXPECT_EQ(Content(*again), Content(*s));
}

}  // namespace
