// What the engine promises when things go wrong or run large: a failed commit leaves
// the old file, valid files of default rows open, impossible counts and layouts are
// refused, reading changes nothing, and leftovers of killed writers are cleaned up.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <thread>

#include "mk/file_io.h"
#include "test_util.h"

namespace {

using mktest::Content;
using mktest::ContentOf;
using mktest::Slurp;

class Robust : public mktest::TempDir {};

// One more row in every column of basic_types.mk: a commit that has to grow the file.
void AddRowEverywhere(mk::Storage& s) {
    mk::View v = s.GetView("basic");
    int r = v.AddRow();
    v.SetString(r, "s", "grown");
    v.SetInt(r, "i", 123456);
    v.SetLong(r, "l", 1ll << 50);
    v.SetFloat(r, "f", 2.5f);
    v.SetDouble(r, "d", 1e-3);
    v.SetBytes(r, "b", std::string(300, 'q'));
}

TEST_F(Robust, ShortWriteAnywhereInAGrowingCommitLeavesTheOldFile) {
    const std::string original = Slurp(mktest::Vectors() / "basic_types.mk");
    const std::string p = Path("short.mk");
    const std::string oldState = ContentOf((mktest::Vectors() / "basic_types.mk").string());
    int writes = 0;
    {
        mktest::Spit(p, original);
        auto s = mk::Storage::Open(p);
        AddRowEverywhere(*s);
        mk::detail::StopFailingWrites();
        ASSERT_TRUE(s->Commit().ok());
        writes = mk::detail::WritesSinceArmed();
        ASSERT_GT(mktest::fs::file_size(p), original.size());
    }
    ASSERT_GE(writes, 3);
    for (int n = 0; n < writes; ++n) {
        // The first write is the 16-byte tail pair at the new end: cut it at every byte.
        std::vector<size_t> keeps = n == 0 ? std::vector<size_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}
                                           : std::vector<size_t>{1, 7, 100};
        for (size_t keep : keeps) {
            SCOPED_TRACE("write " + std::to_string(n) + " cut after " + std::to_string(keep) + " bytes");
            mktest::Spit(p, original);
            auto s = mk::Storage::Open(p);
            AddRowEverywhere(*s);
            mk::detail::FailWritesAfter(n, keep);
            mk::Status st = s->Commit();
            mk::detail::StopFailingWrites();
            if (st.ok()) continue;  // only the header length may fail after the commit point
            EXPECT_EQ(Slurp(p), original);
            auto again = mk::Storage::Open(p, mk::OpenMode::ReadOnly);
            ASSERT_TRUE(again.ok()) << again.error().message;
            EXPECT_FALSE(again->Recovered());
            EXPECT_EQ(Content(*again), oldState);
        }
    }
}

TEST_F(Robust, FileSizeLimitNeverDestroysTheFile) {
    const std::string original = Slurp(mktest::Vectors() / "basic_types.mk");
    const std::string oldState = ContentOf((mktest::Vectors() / "basic_types.mk").string());
    const std::string p = Path("limited.mk");
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then just fails
    int failed = 0, done = 0;
    for (rlim_t extra = 1; extra <= 1500; extra += extra < 64 ? 1 : 13) {
        SCOPED_TRACE("limit " + std::to_string(extra) + " bytes past the file");
        mktest::Spit(p, original);
        auto s = mk::Storage::Open(p);
        ASSERT_TRUE(s.ok());
        AddRowEverywhere(*s);
        std::string newState = Content(*s);
        rlimit limit = saved;
        limit.rlim_cur = original.size() + extra;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        mk::Status st = s->Commit();
        ::setrlimit(RLIMIT_FSIZE, &saved);
        auto again = mk::Storage::Open(p, mk::OpenMode::ReadOnly);
        ASSERT_TRUE(again.ok()) << again.error().message;
        EXPECT_FALSE(again->Recovered());
        if (st.ok()) {
            ++done;
            EXPECT_EQ(Content(*again), newState);
        } else {
            ++failed;
            EXPECT_EQ(Slurp(p), original);
        }
    }
    ::signal(SIGXFSZ, previous);
    EXPECT_GT(failed, 0);
    EXPECT_GT(done, 0);
}

// Runs fn in a child process with SIGXFSZ at its default action (the kernel kills a
// process that writes past its limit) and the given file-size limit; the child's exit
// code, or -signal when it was killed.
template <class Fn>
int InChildUnderSizeLimit(rlim_t limit, Fn fn) {
    pid_t child = ::fork();
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_DFL);
        rlimit l{};
        ::getrlimit(RLIMIT_FSIZE, &l);
        l.rlim_cur = limit;
        if (::setrlimit(RLIMIT_FSIZE, &l) != 0) ::_exit(90);
        ::_exit(fn());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status) ? -WTERMSIG(status) : WEXITSTATUS(status);
}

TEST_F(Robust, FileSizeLimitWithItsSignalAtDefaultNeverKillsACommit) {
    const std::string original = Slurp(mktest::Vectors() / "basic_types.mk");
    const std::string p = Path("limited.mk");
    const std::string oldState = ContentOf((mktest::Vectors() / "basic_types.mk").string());
    std::string newState;
    uint64_t grown = 0;
    {
        mktest::Spit(p, original);
        auto s = mk::Storage::Open(p);
        AddRowEverywhere(*s);
        ASSERT_TRUE(s->Commit().ok());
        newState = Content(*s);
        grown = mktest::fs::file_size(p);
    }
    // Every byte of the tail pair at the new end, the first write of the commit; then
    // limits inside the new blocks and the limit that lets it through. Also where the
    // file system cannot reserve space, so that nothing fails before the writes.
    std::vector<uint64_t> limits;
    for (uint64_t at = grown - 16; at <= grown; ++at) limits.push_back(at);
    for (uint64_t at = original.size(); at < grown - 16; at += 97) limits.push_back(at);
    for (bool reserve : {true, false}) {
        for (uint64_t limit : limits) {
            SCOPED_TRACE(std::string(reserve ? "" : "no reservations, ") + "limit " + std::to_string(limit));
            mktest::Spit(p, original);
            int code = InChildUnderSizeLimit(limit, [&] {
                mk::detail::ReservationsUnsupported(!reserve);
                auto s = mk::Storage::Open(p);
                if (!s.ok()) return 2;
                AddRowEverywhere(*s);
                mk::Status st = s->Commit();
                if (!st.ok() && st.error().message.find("file size limit") == std::string::npos) return 3;
                return st.ok() ? 0 : 1;
            });
            ASSERT_GE(code, 0) << "killed by signal " << -code;
            ASSERT_LE(code, 1);
            EXPECT_EQ(code == 0, limit >= grown);
            if (code == 1) {
                EXPECT_EQ(Slurp(p), original);
            }
            EXPECT_EQ(ContentOf(p), code == 0 ? newState : oldState);
        }
    }
}

// A write past the limit while a commit holds the signal is an error, and the signal
// the kernel raised is not delivered afterwards either.
TEST_F(Robust, WritePastTheSizeLimitWhileTheSignalIsHeldIsAnError) {
    const std::string p = Path("held.bin");
    int code = InChildUnderSizeLimit(100, [&] {
        auto f = mk::detail::File::Create(p);
        if (!f.ok()) return 2;
        bool failed = false;
        {
            mk::detail::SizeSignalHold hold;
            failed = !(*f)->Write(90, std::string(20, 'x')).ok();
        }
        return failed ? 0 : 1;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(mktest::fs::file_size(p), 100u);
}

TEST_F(Robust, FirstCommitAndSaveAsPastTheSizeLimitLeaveTheOldFiles) {
    const std::string p = Path("first.mk"), copy = Path("copy.mk");
    mktest::Spit(copy, "old");
    int code = InChildUnderSizeLimit(64, [&] {
        auto s = mk::Storage::Create(p);
        if (!s.ok()) return 2;
        mk::View v = *s->GetAs("t[s:S]");
        v.SetString(v.AddRow(), "s", std::string(200, 'x'));
        mk::Status first = s->Commit();
        mk::Status saved = s->SaveAs(copy);
        return !first.ok() && !saved.ok() ? 0 : 1;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(mktest::fs::file_size(p), 0u);
    EXPECT_EQ(Slurp(copy), "old");
    EXPECT_EQ(std::distance(mktest::fs::directory_iterator(dir_), mktest::fs::directory_iterator{}), 2);
}

TEST_F(Robust, ViewsOfDefaultRowsOpenWhateverTheirCount) {
    const std::string p = Path("defaults.mk");
    {
        auto s = mk::Storage::Create(p);
        auto t = s->GetAs("t[a:I,b:I,c:I,d:F,e:S,f:S,g:B,h:I,i:I,j:I,k:I]");
        ASSERT_TRUE(t->SetRowCount(100000));
        auto u = s->GetAs("u[name:S]");
        u->SetString(u->AddRow(), 0, "still here");
        auto w = s->GetAs("w[x:I,s:S]");
        ASSERT_TRUE(w->SetRowCount(INT_MAX));
        w->SetString(7, "s", std::string(20000, 'z'));  // one item stored apart
        ASSERT_TRUE(s->Commit().ok());
    }
    EXPECT_LT(mktest::fs::file_size(p), 21000u);
    auto s = mk::Storage::Open(p);
    ASSERT_TRUE(s.ok()) << s.error().message;
    mk::View t = s->GetView("t");
    EXPECT_EQ(t.RowCount(), 100000);
    EXPECT_EQ(t.GetString(99999, "e"), "");
    EXPECT_EQ(t.GetInt(99999, "k"), 0);
    EXPECT_EQ(s->GetView("u").GetString(0, "name"), "still here");
    mk::View w = s->GetView("w");
    EXPECT_EQ(w.RowCount(), INT_MAX);
    EXPECT_EQ(w.GetString(7, "s").size(), 20000u);
    EXPECT_EQ(w.GetString(INT_MAX - 1, "s"), "");
    // Edits on such a file commit in place and read back.
    t.SetString(5, "e", "five");
    w.RemoveRows(0, 7);
    ASSERT_TRUE(s->Commit().ok());
    auto again = mk::Storage::Open(p, mk::OpenMode::ReadOnly);
    ASSERT_TRUE(again.ok()) << again.error().message;
    EXPECT_EQ(again->GetView("t").GetString(5, "e"), "five");
    EXPECT_EQ(again->GetView("w").RowCount(), INT_MAX - 7);
    EXPECT_EQ(again->GetView("w").GetString(0, "s").size(), 20000u);
}

TEST_F(Robust, RowCountsPastWhatAFileHoldsAreRefused) {
    const std::string p = Path("counts.mk");
    auto s = mk::Storage::Create(p);
    auto t = s->GetAs("t[a:I]");
    EXPECT_TRUE(t->InsertRows(0, INT_MAX));
    EXPECT_FALSE(t->InsertRows(0, INT_MAX));  // would wrap to a negative count
    EXPECT_EQ(t->AddRow(), -1);
    EXPECT_EQ(t->RowCount(), INT_MAX);
    // Counts a subview column cannot take (two bytes a row at least) are refused
    // whole, before any memory is spent on them.
    auto v = s->GetAs("v[s:S,sub[x:I]]");
    v->SetString(v->AddRow(), "s", "kept");
    EXPECT_FALSE(v->SetRowCount(INT_MAX));
    EXPECT_FALSE(v->InsertRows(0, INT_MAX - 1));
    ASSERT_EQ(v->RowCount(), 1);
    EXPECT_EQ(v->GetString(0, "s"), "kept");
    // The same through a derived view.
    mk::View sorted = v->SortOn({"s"});
    EXPECT_FALSE(sorted.InsertRows(0, INT_MAX));
    EXPECT_EQ(sorted.RowCount(), 1);
    ASSERT_TRUE(s->Commit().ok());
    auto again = mk::Storage::Open(p, mk::OpenMode::ReadOnly);
    ASSERT_TRUE(again.ok()) << again.error().message;
    EXPECT_EQ(again->GetView("t").RowCount(), INT_MAX);
    EXPECT_EQ(again->GetView("v").RowCount(), 1);
}

TEST_F(Robust, RecoveredFileGetsACleanCommitEvenWithoutChanges) {
    const std::string p = Path("rec.mk");
    mktest::fs::copy_file(mktest::Vectors() / "interrupted_commit.mk", p);
    std::string before = Slurp(p);
    std::string state;
    {
        auto s = mk::Storage::Open(p);
        ASSERT_TRUE(s.ok());
        ASSERT_TRUE(s->Recovered());
        state = Content(*s);
        ASSERT_TRUE(s->Commit().ok());
        EXPECT_FALSE(s->Recovered());
        // Once clean, an unchanged commit writes nothing again.
        std::string clean = Slurp(p);
        ASSERT_TRUE(s->Commit().ok());
        EXPECT_EQ(Slurp(p), clean);
    }
    EXPECT_NE(Slurp(p), before);
    auto again = mk::Storage::Open(p, mk::OpenMode::ReadOnly);
    ASSERT_TRUE(again.ok());
    EXPECT_FALSE(again->Recovered());
    EXPECT_EQ(Content(*again), state);
    EXPECT_EQ(again->GetView("v").RowCount(), 5);
}

TEST_F(Robust, NamesWithAZeroByteAndTopLevelRecursionAreRefused) {
    EXPECT_FALSE(mk::ParseFields(std::string("a:S,b\0c:I,d:S", 13)).ok());
    EXPECT_FALSE(mk::ParseFields(std::string("v[a:S,\0:I]", 10)).ok());
    const std::string p = Path("refused.mk");
    auto s = mk::Storage::Create(p);
    auto ok = s->GetAs("t[a:S,kids[^]]");  // recursive below the top is fine
    ASSERT_TRUE(ok.ok());
    ok->SetString(ok->AddRow(), "a", "root");
    auto bad = s->GetAs(std::string("t[a:S,b\0x:I]", 12));
    ASSERT_FALSE(bad.ok());
    EXPECT_EQ(bad.error().code, mk::Errc::BadDescription);
    auto rec = s->GetAs("v[^]");
    ASSERT_FALSE(rec.ok());
    EXPECT_EQ(rec.error().code, mk::Errc::BadDescription);
    mk::Status st = s->SetStructure("t[a:S,kids[^]],v[^]");
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().code, mk::Errc::BadDescription);
    EXPECT_EQ(s->Structure(), "t[a:S,kids[^]]");
    // Nothing refused has reached the storage: commits go on working.
    ASSERT_TRUE(s->Commit().ok());
    s->GetView("t").SetString(0, "a", "again");
    ASSERT_TRUE(s->Commit().ok());
    EXPECT_EQ(ContentOf(p), Content(*s));
}

TEST_F(Robust, ReadingEmptyViewsAndSubviewsChangesNothing) {
    for (const char* name : {"zero_rows.mk", "nested.mk", "recursive.mk"}) {
        SCOPED_TRACE(name);
        const std::string p = Path(name);
        mktest::fs::copy_file(mktest::Vectors() / name, p);
        std::string before = Slurp(p);
        auto s = mk::Storage::Open(p);
        ASSERT_TRUE(s.ok());
        for (const std::string& view : s->ViewNames()) {
            mk::View v = s->GetView(view);
            for (int r = 0; r < v.RowCount(); ++r)
                for (int c = 0; c < v.ColumnCount(); ++c)
                    if (v.Column(c).type == mk::Type::View) (void)v.GetSubview(r, c).RowCount();
        }
        (void)mk::DumpJson(*s, {name, before.size()});  // every cell, subviews included
        mk::detail::FailWritesAfter(0);  // any write would fail the commit
        EXPECT_TRUE(s->Commit().ok());
        mk::detail::StopFailingWrites();
        EXPECT_EQ(Slurp(p), before);
    }
}

// A temporary file as a writer killed during a first commit or SaveAs leaves it.
void Leave(const std::string& path, const std::string& bytes, time_t mtime = 0) {
    mktest::Spit(path, bytes);
    if (mtime) {
        timeval times[2] = {{mtime, 0}, {mtime, 0}};
        ::utimes(path.c_str(), times);
    }
}

pid_t DeadPid() {
    pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST_F(Robust, TempFilesOfKilledWritersAreRemovedOnTheNextWriteOpen) {
    const std::string p = Path("sale.mk");
    mktest::fs::copy_file(mktest::Vectors() / "basic_types.mk", p);
    const std::string bulk(100000, 'x');
    const std::string dead = p + ".tmp-" + std::to_string(DeadPid());
    const std::string reused = p + ".tmp-" + std::to_string(::getppid());  // alive, but younger than the file
    const std::string live = Path("other.mk") + ".tmp-" + std::to_string(::getppid());
    const std::string liveOwn = p + ".tmp-" + std::to_string(::getppid());
    Leave(dead, bulk);
    Leave(reused, bulk, 946684800);  // written in 2000
    const std::string notOurs[] = {p + ".tmp-12ab", p + ".tmp-", p + ".tmp-0123", p + ".bak-1", Path("x") + p.substr(p.rfind('/') + 1) + ".tmp-1"};
    for (const std::string& n : notOurs) Leave(n, "keep");
    Leave(live, "keep");

    // Opening to read leaves everything alone.
    ASSERT_TRUE(mk::Storage::Open(p, mk::OpenMode::ReadOnly).ok());
    EXPECT_TRUE(mktest::fs::exists(dead));

    ASSERT_TRUE(mk::Storage::Open(p).ok());
    EXPECT_FALSE(mktest::fs::exists(dead));
    EXPECT_FALSE(mktest::fs::exists(reused));
    for (const std::string& n : notOurs) EXPECT_TRUE(mktest::fs::exists(n)) << n;
    EXPECT_TRUE(mktest::fs::exists(live));

    // A writer that still runs keeps its file; Create cleans up as Open does.
    Leave(liveOwn, bulk);
    const std::string dead2 = p + ".tmp-" + std::to_string(DeadPid());
    Leave(dead2, bulk);
    ASSERT_TRUE(mk::Storage::Create(p).ok());
    EXPECT_TRUE(mktest::fs::exists(liveOwn));
    EXPECT_FALSE(mktest::fs::exists(dead2));
}

TEST_F(Robust, OnlyRegularFilesAreOpened) {
    const std::string fifo = Path("pipe.mk");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // In a child, so that a blocking open fails the test instead of hanging it.
    pid_t child = ::fork();
    if (child == 0) {
        bool refused = !mk::Storage::Open(fifo, mk::OpenMode::ReadOnly).ok() && !mk::Storage::Open(fifo).ok() &&
                       !mk::Storage::Create(fifo).ok();
        ::_exit(refused ? 0 : 1);
    }
    int status = -1;
    for (int i = 0; i < 100 && ::waitpid(child, &status, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (::waitpid(child, &status, WNOHANG) == 0) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        FAIL() << "opening a FIFO blocked";
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    struct stat st{};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));  // never replaced or emptied
    auto dir = mk::Storage::Open(dir_.string());
    ASSERT_FALSE(dir.ok());
}

}  // namespace
