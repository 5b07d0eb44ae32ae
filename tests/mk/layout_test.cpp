// What the writer leaves in the file, decoded here byte by byte without the engine's
// reader: the real library must read our files, and it cannot be run here. The
// library's own vector files serve as the reference for its layout choices.
#include <cstring>

#include "test_util.h"

namespace {

using mktest::Slurp;

struct Ref {
    uint32_t size = 0, pos = 0;
    bool operator==(const Ref&) const = default;
};

struct RawView;
struct RawCol {
    mk::Field field;
    Ref data, sizes, items;  // V: data is the subview block
    std::vector<RawView> subs;
};
struct RawView {
    uint32_t rows = 0;
    std::vector<RawCol> cols;
};

// Strict decoder of a file whose header is at offset 0.
class RawFile {
public:
    explicit RawFile(std::string bytes) : b_(std::move(bytes)) { Parse(); }

    std::string fail;  // empty when the file decoded
    bool big = false;
    std::string text;
    Ref walk;
    RawView root;
    std::vector<Ref> used;  // every block of the state, header and tails included

    std::string Block(Ref r) const { return b_.substr(r.pos, r.size); }
    const RawView& View(const std::string& name) const {
        for (const RawCol& c : root.cols)
            if (c.field.name == name) return c.subs.at(0);
        throw std::runtime_error("no view " + name);
    }

private:
    struct Cur {
        const std::string* s;
        size_t at, end;
    };

    uint32_t Get(Cur& c) {
        if (c.at < c.end && (*c.s)[c.at] == '\0') Fail("a varint starts with 00 (negative or not minimal)");
        uint64_t v = 0;
        for (int n = 0;; ++n) {
            if (c.at >= c.end || n > 4) return Fail("varint runs off its block"), 0;
            auto b = static_cast<uint8_t>((*c.s)[c.at++]);
            v = (v << 7) | (b & 0x7F);
            if (b & 0x80) break;
        }
        if (v > 0x7FFFFFFF) Fail("varint out of range");
        return static_cast<uint32_t>(v);
    }
    Ref GetRef(Cur& c) {
        Ref r;
        r.size = Get(c);
        if (r.size) r.pos = Get(c);
        if (r.size && (r.pos < 8 || uint64_t(r.pos) + r.size > b_.size() - 16)) Fail("block outside the data area");
        if (r.size) used.push_back(r);
        return r;
    }
    void Fail(const std::string& why) {
        if (fail.empty()) fail = why;
    }

    void Columns(RawView& v, const std::vector<mk::Field>& fields, Cur& c, int depth) {
        if (depth > 20) return Fail("too deep");
        if (v.rows == 0) return;  // a view without rows stores no references
        for (const mk::Field& f : fields) {
            RawCol col;
            col.field = f;
            col.data = GetRef(c);
            if (f.type == mk::Type::String || f.type == mk::Type::Bytes) {
                if (col.data.size) col.sizes = GetRef(c);
                col.items = GetRef(c);
            }
            if (f.type == mk::Type::View) {
                if (col.data.size == 0) Fail("empty subview block for a view with rows");
                Cur blk{&b_, col.data.pos, size_t(col.data.pos) + col.data.size};
                for (uint32_t r = 0; r < v.rows && fail.empty(); ++r) {
                    if (Get(blk) != 0) Fail("reserved field of a subview entry is not 0");
                    RawView sub;
                    sub.rows = Get(blk);
                    Columns(sub, f.recursive ? fields : f.subfields, blk, depth + 1);
                    col.subs.push_back(std::move(sub));
                }
                if (blk.at != blk.end) Fail("subview block has extra bytes");
            }
            v.cols.push_back(std::move(col));
        }
    }

    static uint32_t BE(const std::string& s, size_t at, int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i) v = (v << 8) | static_cast<uint8_t>(s[at + size_t(i)]);
        return v;
    }

    void Parse() {
        size_t n = b_.size();
        if (n < 32) return Fail("too short");
        if (b_.compare(0, 4, std::string("JL\x1a\0", 4)) != 0 && b_.compare(0, 4, std::string("LJ\x1a\0", 4)) != 0)
            return Fail("bad header");
        big = b_[0] == 'L';
        if (BE(b_, 4, 4) != n) Fail("header length is not the file length");
        // skip tail then commit tail
        if (BE(b_, n - 16, 4) != 0x80000000u || BE(b_, n - 12, 4) != n - 16) return Fail("bad skip tail");
        if (static_cast<uint8_t>(b_[n - 8]) != 0x80) return Fail("bad commit tail");
        walk = Ref{BE(b_, n - 7, 3), BE(b_, n - 4, 4)};
        if (walk.size == 0 || uint64_t(walk.pos) + walk.size > n - 16) return Fail("walk outside the file");
        used = {Ref{8, 0}, walk, Ref{16, uint32_t(n - 16)}};
        Cur c{&b_, walk.pos, size_t(walk.pos) + walk.size};
        if (Get(c) != 0) Fail("reserved field of the walk is not 0");
        uint32_t len = Get(c);
        if (c.at + len > c.end) return Fail("structure text runs off the walk");
        text = b_.substr(c.at, len);
        c.at += len;
        auto fields = mk::ParseFields(text);
        if (!fields) return Fail("structure text does not parse");
        root.rows = Get(c);
        if (root.rows != 1) Fail("root row count is not 1");
        Columns(root, *fields, c, 0);
        if (c.at != c.end) Fail("walk has extra bytes");
        // blocks never overlap each other
        std::vector<Ref> sorted = used;
        std::sort(sorted.begin(), sorted.end(), [](Ref a, Ref b) { return a.pos < b.pos; });
        for (size_t i = 1; i < sorted.size(); ++i)
            if (sorted[i - 1].pos + sorted[i - 1].size > sorted[i].pos) Fail("blocks overlap");
    }

    std::string b_;
};

// Width of an adaptive vector as the library derives it (0 for an empty block).
int WidthOf(uint32_t size, uint32_t rows) {
    if (size == 0) return 0;
    static const int small[7][6] = {{8, 16, 1, 32, 2, 4}, {4, 8, 1, 16, 2, 0}, {2, 4, 8, 1, 0, 16},
                                    {2, 4, 0, 8, 1, 0},   {1, 2, 4, 0, 8, 0},  {1, 2, 4, 0, 0, 8},
                                    {1, 2, 0, 4, 0, 0}};
    if (rows <= 7 && size <= 6) return small[rows - 1][size - 1];
    return static_cast<int>(size * 8 / rows);
}

std::vector<int64_t> Ints(const RawFile& f, Ref r, uint32_t rows) {
    std::string b = f.Block(r);
    int w = WidthOf(r.size, rows);
    std::vector<int64_t> out;
    for (uint32_t i = 0; i < rows; ++i) {
        auto at = [&](size_t k) { return static_cast<uint8_t>(b.at(k)); };
        int64_t v = 0;
        if (w > 0 && w < 8) v = (at(i * w / 8) >> (i * w % 8)) & ((1 << w) - 1);
        if (w >= 8) {
            size_t n = size_t(w) / 8;
            uint64_t u = 0;
            for (size_t k = 0; k < n; ++k) u |= uint64_t(at(i * n + (f.big ? n - 1 - k : k))) << (8 * k);
            v = w == 64 ? int64_t(u) : int64_t(u << (64 - w)) >> (64 - w);
        }
        out.push_back(v);
    }
    return out;
}

// An item list as (row, size) pairs; positions are the writer's own business.
std::vector<std::pair<uint32_t, uint32_t>> Items(const RawFile& f, Ref r) {
    std::string b = f.Block(r);
    std::vector<std::pair<uint32_t, uint32_t>> out;
    size_t at = 0;
    auto get = [&] {
        uint32_t v = 0;
        for (;;) {
            auto c = static_cast<uint8_t>(b.at(at++));
            v = (v << 7) | (c & 0x7F);
            if (c & 0x80) return v;
        }
    };
    int64_t row = -1;
    while (at < b.size()) {
        row += get() + 1;
        uint32_t size = get();
        if (size) get();
        out.emplace_back(static_cast<uint32_t>(row), size);
    }
    return out;
}

const RawCol& Col(const RawView& v, const std::string& name) {
    for (const RawCol& c : v.cols)
        if (c.field.name == name) return c;
    throw std::runtime_error("no column " + name);
}

// Walks a library file and our packed rewrite of it side by side.
void SameChoices(const RawFile& lib, const RawFile& ours, const RawView& a, const RawView& b, const std::string& at) {
    ASSERT_EQ(a.rows, b.rows) << at;
    ASSERT_EQ(a.cols.size(), b.cols.size()) << at;
    for (size_t i = 0; i < a.cols.size(); ++i) {
        const RawCol& x = a.cols[i];
        const RawCol& y = b.cols[i];
        std::string here = at + "/" + x.field.name;
        mk::Type t = x.field.type;
        if (t == mk::Type::View) {
            for (size_t r = 0; r < x.subs.size(); ++r)
                SameChoices(lib, ours, x.subs[r], y.subs.at(r), here + "#" + std::to_string(r));
            continue;
        }
        EXPECT_EQ(x.data.size, y.data.size) << here << " data";
        EXPECT_EQ(x.sizes.size, y.sizes.size) << here << " sizes";
        if (t == mk::Type::Int || t == mk::Type::Float) {
            EXPECT_EQ(Ints(lib, x.data, a.rows), Ints(ours, y.data, b.rows)) << here;
        } else if (t == mk::Type::String || t == mk::Type::Bytes) {
            EXPECT_EQ(lib.Block(x.data), ours.Block(y.data)) << here;
            EXPECT_EQ(Ints(lib, x.sizes, a.rows), Ints(ours, y.sizes, b.rows)) << here;
            // Item lists agree in rows and sizes; positions differ.
            EXPECT_EQ(Items(lib, x.items), Items(ours, y.items)) << here;
        } else if (!lib.big) {
            EXPECT_EQ(lib.Block(x.data), ours.Block(y.data)) << here;
        }
    }
}

class Layout : public mktest::TempDir {};

// Widths (with the padded sizes of 1-4 rows), float packing, signed widths, L/D
// blocks, empty groups and the items stored apart all as the library chose them.
TEST_F(Layout, PackedRewriteMakesTheLibrarysChoices) {
    for (const char* name :
         {"ints_rows1.mk", "ints_rows2.mk", "ints_rows3.mk", "ints_rows4.mk", "ints_rows5.mk", "ints_rows6.mk",
          "ints_rows7.mk", "ints_rows8.mk", "ints_rows100.mk", "basic_types.mk", "longs.mk", "floats.mk",
          "zero_rows.mk", "strings.mk", "strings_many.mk", "nested.mk", "multi_views.mk", "big_endian.mk",
          "recursive.mk"}) {
        SCOPED_TRACE(name);
        RawFile lib(Slurp(mktest::Vectors() / name));
        ASSERT_EQ(lib.fail, "");
        auto s = mk::Storage::Open((mktest::Vectors() / name).string(), mk::OpenMode::ReadOnly);
        ASSERT_TRUE(s.ok());
        ASSERT_TRUE(s->SaveAs(Path("out.mk")).ok());
        RawFile ours(Slurp(Path("out.mk")));
        ASSERT_EQ(ours.fail, "");
        EXPECT_FALSE(ours.big);
        EXPECT_EQ(ours.text, lib.text);
        SameChoices(lib, ours, lib.root, ours.root, "");
    }
}

// The sub-byte widths put their values in the first bits and zero the padding.
TEST_F(Layout, SmallTablesPadSubByteColumns) {
    const int expected[3][4] = {{3, 3, 4, 5}, {5, 5, 1, 1}, {6, 1, 2, 2}};  // width 1, 2, 4
    for (int rows = 1; rows <= 4; ++rows) {
        for (int wi = 0; wi < 3; ++wi) {
            int top = (1 << (1 << wi)) - 1;  // 1, 3, 15
            auto s = mk::Storage::Create(Path("p.mk"));
            auto v = s->GetAs("t[a:I]");
            for (int r = 0; r < rows; ++r) v->SetInt(v->AddRow(), 0, r == rows - 1 ? top : r % 2);
            ASSERT_TRUE(s->Commit().ok());
            RawFile f(Slurp(Path("p.mk")));
            ASSERT_EQ(f.fail, "");
            Ref a = Col(f.View("t"), "a").data;
            ASSERT_EQ(a.size, uint32_t(expected[wi][rows - 1])) << rows << " rows, width " << (1 << wi);
            std::string b = f.Block(a);
            int bits = rows * (1 << wi);
            uint8_t used = static_cast<uint8_t>(bits >= 8 ? 0xFF : (1 << bits) - 1);
            EXPECT_EQ(static_cast<uint8_t>(b[0]) & ~used, 0);
            EXPECT_EQ(b.substr(size_t(bits + 7) / 8), std::string(b.size() - size_t(bits + 7) / 8, '\0'));
            std::vector<int64_t> want;
            for (int r = 0; r < rows; ++r) want.push_back(r == rows - 1 ? top : r % 2);
            EXPECT_EQ(Ints(f, a, uint32_t(rows)), want);
        }
    }
}

TEST_F(Layout, NegativeAndUnsignedEdgesChooseSignedWidths) {
    struct Case {
        std::vector<int32_t> values;
        uint32_t size;
    };
    // 5 rows: natural sizes. 15 fits 4 bits unsigned, 16 and -1 need 8, 128 needs 16.
    const Case cases[] = {{{0, 15, 1, 2, 3}, 3},     {{0, 16, 1, 2, 3}, 5},         {{0, -1, 1, 2, 3}, 5},
                          {{127, -128, 0, 0, 0}, 5}, {{128, 0, 0, 0, 0}, 10},       {{-129, 0, 0, 0, 0}, 10},
                          {{-32768, 32767, 0, 0, 0}, 10}, {{32768, 0, 0, 0, 0}, 20}, {{INT32_MIN, 0, 0, 0, 0}, 20}};
    for (const Case& c : cases) {
        auto s = mk::Storage::Create(Path("n.mk"));
        auto v = s->GetAs("t[a:I,f:F]");
        for (int32_t x : c.values) v->SetInt(v->AddRow(), "a", x);
        v->SetFloat(0, "f", -0.0f);  // bit pattern 0x80000000: 32 bits
        ASSERT_TRUE(s->Commit().ok());
        RawFile f(Slurp(Path("n.mk")));
        ASSERT_EQ(f.fail, "");
        Ref a = Col(f.View("t"), "a").data;
        EXPECT_EQ(a.size, c.size) << c.values[0] << "," << c.values[1];
        EXPECT_EQ(Ints(f, a, 5), std::vector<int64_t>(c.values.begin(), c.values.end()));
        EXPECT_EQ(Col(f.View("t"), "f").data.size, 20u);
    }
}

// Commits that change the data must keep the walk grammar exact in the empty cases.
TEST_F(Layout, EmptyCasesAcrossCommits) {
    std::string p = Path("e.mk");
    auto s = mk::Storage::Create(p);
    auto v = s->GetAs("t[a:I,l:L,d:D,s:S,b:B,sub[x:I]]");
    for (int r = 0; r < 3; ++r) v->AddRow();
    ASSERT_TRUE(s->Commit().ok());
    {
        RawFile f(Slurp(p));
        ASSERT_EQ(f.fail, "");
        const RawView& t = f.View("t");
        EXPECT_EQ(Col(t, "a").data.size, 0u);
        EXPECT_EQ(Col(t, "l").data.size, 24u);  // L and D never empty
        EXPECT_EQ(f.Block(Col(t, "l").data), std::string(24, '\0'));
        EXPECT_EQ(Col(t, "d").data.size, 24u);
        EXPECT_EQ(Col(t, "s").data.size + Col(t, "s").items.size, 0u);
        EXPECT_EQ(f.Block(Col(t, "sub").data), std::string("\x80\x80\x80\x80\x80\x80"));
    }
    // All zero to non-zero, in place.
    v->SetInt(1, "a", 5);
    v->SetString(2, "s", "x");
    ASSERT_TRUE(s->Commit().ok());
    {
        RawFile f(Slurp(p));
        ASSERT_EQ(f.fail, "");
        const RawView& t = f.View("t");
        EXPECT_EQ(Col(t, "a").data.size, 2u);  // 4 bits, 3 rows
        EXPECT_EQ(Ints(f, Col(t, "a").data, 3), (std::vector<int64_t>{0, 5, 0}));
        EXPECT_EQ(f.Block(Col(t, "s").data), std::string("x\0", 2));
        EXPECT_EQ(Ints(f, Col(t, "s").sizes, 3), (std::vector<int64_t>{0, 0, 2}));
    }
    // Back to all empty strings: the sizes reference disappears again.
    v->SetString(2, "s", "");
    v->SetInt(1, "a", -7);
    ASSERT_TRUE(s->Commit().ok());
    {
        RawFile f(Slurp(p));
        ASSERT_EQ(f.fail, "");
        const RawView& t = f.View("t");
        EXPECT_EQ(Col(t, "s").data.size, 0u);
        EXPECT_EQ(Col(t, "s").sizes.size, 0u);
        EXPECT_EQ(Ints(f, Col(t, "a").data, 3), (std::vector<int64_t>{0, -7, 0}));
    }
    // No rows: the view entry is only 80 80.
    v->RemoveAll();
    ASSERT_TRUE(s->Commit().ok());
    RawFile f(Slurp(p));
    ASSERT_EQ(f.fail, "");
    EXPECT_EQ(f.View("t").rows, 0u);
    EXPECT_EQ(f.Block(f.root.cols[0].data), std::string("\x80\x80"));
    ASSERT_TRUE(s->SetStructure("").ok());
    ASSERT_TRUE(s->Commit().ok());
    RawFile none(Slurp(p));
    ASSERT_EQ(none.fail, "");
    EXPECT_EQ(none.Block(none.walk), std::string("\x80\x80\x81"));
}

TEST_F(Layout, OnlyTheChangedSubviewIsRewritten) {
    std::string p = Path("sub.mk");
    auto s = mk::Storage::Create(p);
    auto v = s->GetAs("u[k:S,sub[x:I,deep[y:S]]]");
    for (int r = 0; r < 3; ++r) {
        v->SetString(v->AddRow(), "k", std::string(1, char('a' + r)));
        mk::View sub = v->GetSubview(r, "sub");
        for (int i = 0; i < 4; ++i) {
            sub.SetInt(sub.AddRow(), "x", 1000 * r + i);
            mk::View deep = sub.GetSubview(i, "deep");
            deep.SetString(deep.AddRow(), "y", "leaf " + std::to_string(i));
        }
    }
    ASSERT_TRUE(s->Commit().ok());
    RawFile before(Slurp(p));
    ASSERT_EQ(before.fail, "");
    v->GetSubview(1, "sub").SetInt(2, "x", -5);
    ASSERT_TRUE(s->Commit().ok());
    RawFile after(Slurp(p));
    ASSERT_EQ(after.fail, "");
    const RawCol& b = Col(before.View("u"), "sub");
    const RawCol& a = Col(after.View("u"), "sub");
    EXPECT_NE(a.data, b.data);
    for (int r : {0, 2}) {
        EXPECT_EQ(Col(a.subs[size_t(r)], "x").data, Col(b.subs[size_t(r)], "x").data);
        EXPECT_EQ(Col(a.subs[size_t(r)], "deep").data, Col(b.subs[size_t(r)], "deep").data);
    }
    EXPECT_NE(Col(a.subs[1], "x").data, Col(b.subs[1], "x").data);
    EXPECT_EQ(Col(a.subs[1], "deep").data, Col(b.subs[1], "deep").data);
    EXPECT_EQ(Ints(after, Col(a.subs[1], "x").data, 4), (std::vector<int64_t>{1000, 1001, -5, 1003}));
    EXPECT_EQ(Col(after.View("u"), "k").data, Col(before.View("u"), "k").data);
}

// A commit never writes over a byte the committed state uses (apart from the commit
// tail, the commit point, and the header length).
void CheckCommitKeepsOldState(mk::Storage& s, const std::string& p) {
    std::string old = Slurp(p);
    RawFile was(old);
    ASSERT_EQ(was.fail, "");
    ASSERT_TRUE(s.Commit().ok());
    std::string now = Slurp(p);
    RawFile is(now);
    ASSERT_EQ(is.fail, "");
    EXPECT_EQ(is.big, was.big);
    ASSERT_GE(now.size(), old.size());
    for (const Ref& r : was.used) {
        for (uint32_t i = r.pos; i < r.pos + r.size; ++i) {
            bool header = i >= 4 && i < 8;
            bool commitTail = i >= old.size() - 8;
            if (!header && !commitTail && old[i] != now[i]) {
                ADD_FAILURE() << "byte " << i << " of a live block [" << r.pos << "+" << r.size << ") changed";
                return;
            }
        }
    }
    EXPECT_EQ(mktest::ContentOf(p), mktest::Content(s));
}

TEST_F(Layout, CommitsNeverOverwriteTheCommittedState) {
    for (const char* name : {"nested.mk", "big_endian.mk", "multi_commit.mk", "strings.mk"}) {
        SCOPED_TRACE(name);
        std::string p = Path(name);
        mktest::fs::copy_file(mktest::Vectors() / name, p);
        auto s = mk::Storage::Open(p);
        ASSERT_TRUE(s.ok());
        uint64_t seed = 7;
        auto next = [&seed](int n) {
            seed = seed * 6364136223846793005ull + 1442695040888963407ull;
            return static_cast<int>((seed >> 33) % static_cast<uint64_t>(std::max(n, 1)));
        };
        std::string view = s->ViewNames()[0];
        for (int round = 0; round < 25; ++round) {
            mk::View v = s->GetView(view);
            for (int op = 0; op < 3; ++op) {
                int rows = v.RowCount();
                int c = next(v.ColumnCount());
                const mk::Field& f = v.Column(c);
                int r = next(rows);
                switch (next(5)) {
                case 0: v.InsertRows(next(rows + 1), 1 + next(2)); break;
                case 1: if (rows > 1) v.RemoveRows(r); break;
                case 2: if (rows && f.type == mk::Type::View) {
                        mk::View sub = v.GetSubview(r, c);
                        if (sub.RowCount() && next(2)) sub.RemoveRows(0);
                        else sub.AddRow();
                    } break;
                case 3: if (rows && f.type != mk::Type::View) v.SetString(r, c, std::to_string(next(70000) - 300)); break;
                default: if (rows && f.type != mk::Type::View) v.SetString(r, c, std::string(size_t(next(3) * 6000), 'w'));
                }
            }
            CheckCommitKeepsOldState(*s, p);
            if (HasFailure()) return;
        }
    }
}

// In a big-endian file every multi-byte value we write is big-endian too.
TEST_F(Layout, BigEndianFileGetsBigEndianBlocks) {
    std::string p = Path("be.mk");
    mktest::fs::copy_file(mktest::Vectors() / "big_endian.mk", p);
    auto s = mk::Storage::Open(p);
    mk::View v = s->GetView("be");
    v.SetInt(0, "i32", 0x12345678);
    v.SetInt(1, "i16", -2);
    v.SetLong(0, "l", 0x0102030405060708ll);
    v.SetFloat(0, "f", 1.0f);
    v.SetDouble(0, "d", -2.0);
    mk::View sub = v.GetSubview(0, "sub");
    sub.SetInt(sub.AddRow(), "x", 0x7F01);
    CheckCommitKeepsOldState(*s, p);
    RawFile f(Slurp(p));
    ASSERT_TRUE(f.big);
    const RawView& be = f.View("be");
    EXPECT_EQ(f.Block(Col(be, "i32").data).substr(0, 4), "\x12\x34\x56\x78");
    EXPECT_EQ(Ints(f, Col(be, "i16").data, be.rows)[1], -2);
    EXPECT_EQ(f.Block(Col(be, "l").data).substr(0, 8), "\x01\x02\x03\x04\x05\x06\x07\x08");
    EXPECT_EQ(f.Block(Col(be, "f").data).substr(0, 4), std::string("\x3F\x80\0\0", 4));
    EXPECT_EQ(f.Block(Col(be, "d").data).substr(0, 8), std::string("\xC0\0\0\0\0\0\0\0", 8));
    const RawView& s0 = Col(be, "sub").subs[0];
    EXPECT_EQ(Ints(f, Col(s0, "x").data, s0.rows).back(), 0x7F01);
}

// A view emptied and committed leaves its old subview block free; when rows come back
// their subview block must be written anew, not pointed at the freed place.
TEST_F(Layout, RowsBackAfterAnEmptyCommitGetAFreshSubviewBlock) {
    std::string p = Path("back.mk");
    auto s = mk::Storage::Create(p);
    auto u = s->GetAs("u[k:I,sub[x:I]]");
    auto t = s->GetAs("t[n:I]");
    u->AddRow();
    u->AddRow();
    t->SetInt(t->AddRow(), 0, 1);
    ASSERT_TRUE(s->Commit().ok());
    u->RemoveAll();
    CheckCommitKeepsOldState(*s, p);
    for (int i = 0; i < 6; ++i) {  // fill the freed space with other blocks
        t->SetInt(0, 0, 0x01010101 * (i + 1));
        CheckCommitKeepsOldState(*s, p);
    }
    u->AddRow();
    u->AddRow();
    CheckCommitKeepsOldState(*s, p);
    RawFile f(Slurp(p));
    EXPECT_EQ(f.Block(Col(f.View("u"), "sub").data), "\x80\x80\x80\x80");
}

// Layout changes mixed with edits: every commit must leave a file that decodes
// strictly, keeps the previous state's bytes, and reads back as the storage.
TEST_F(Layout, RestructuringCommitsStayConsistent) {
    std::string p = Path("r.mk");
    mktest::fs::copy_file(mktest::Vectors() / "nested.mk", p);
    auto s = mk::Storage::Open(p);
    ASSERT_TRUE(s.ok());
    const char* layouts[] = {
        "snapshots[name:S,saved:L,trees[plot:I,tree:I,sp:S,dbh:F,logs[no:I,len:D]],plots[plot:I,area:D]],meta[key:S,value:S]",
        "snapshots[name:S,trees[plot:S,tree:I,sp:S,dbh:D,logs[len:D,no:I,grade:S]],saved:D],meta[value:S,key:S]",
        "meta[key:S,value:S,extra:B],snapshots[name:S,trees[tree:I,logs[len:D]],plots[area:D,plot:I,n:L]]",
        "snapshots[name:S,trees[tree:I,logs[len:D],sp:S]],meta[key:S],added[a:I,sub[b:S,kids[^]]]",
    };
    const char* opens[] = {"snapshots[trees[logs[defect:I]],note:S]", "meta[key:S,hidden_not:I]",
                           "added[a:I,sub[b:S,kids[^],c:F]]", "fresh[x:I,y[z:S]]"};
    uint64_t seed = 99;
    auto next = [&seed](int n) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<int>((seed >> 33) % static_cast<uint64_t>(std::max(n, 1)));
    };
    // Fills cells at random, down through subviews.
    std::function<void(mk::View, int)> edit = [&](mk::View v, int depth) {
        if (depth > 3) return;
        if (v.RowCount() < 3 || next(3) == 0) v.InsertRows(next(v.RowCount() + 1));
        if (v.RowCount() > 4 && next(4) == 0) v.RemoveRows(next(v.RowCount()));
        for (int c = 0; c < v.ColumnCount(); ++c) {
            int r = next(v.RowCount());
            if (v.Column(c).type == mk::Type::View) edit(v.GetSubview(r, c), depth + 1);
            else if (next(2)) v.SetString(r, c, std::to_string(next(1000) - 100) + (next(3) ? "" : ".5"));
        }
    };
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        int what = next(4);
        if (what == 0) {
            ASSERT_TRUE(s->SetStructure(layouts[next(4)]).ok());
        }
        if (what == 1) {
            ASSERT_TRUE(s->GetAs(opens[next(4)]).ok());
        }
        for (const std::string& name : s->ViewNames()) edit(s->GetView(name), 0);
        CheckCommitKeepsOldState(*s, p);
        if (HasFailure()) return;
    }
}

// Another writer may leave an L or D block empty for all zeros, or store an I column
// with 64 bits; the library promises to read neither, so the first commit that
// touches the view rewrites them.
TEST_F(Layout, ForeignBlocksTheLibraryMightMisreadAreRewritten) {
    // t[a:I,l:L,d:D,w:I], 2 rows: a = 5, 6 (8-bit at 8), l and d empty, w 64-bit at 10.
    std::string w64("\x09\0\0\0\0\0\0\0\xF6\xFF\xFF\xFF\0\0\0\0", 16);
    std::string entry = "\x80\x82\x82\x88\x80\x80\x90\x8A";
    std::string file = mktest::Assemble("t[a:I,l:L,d:D,w:I]", "\x88\x9A", "\x05\x06" + w64 + entry);  // entry at 26
    std::string p = Path("z.mk");
    mktest::Spit(p, file);
    auto s = mk::Storage::Open(p);
    ASSERT_TRUE(s.ok()) << s.error().message;
    EXPECT_EQ(s->GetView("t").GetLong(1, "l"), 0);
    EXPECT_EQ(s->GetView("t").GetInt(1, "w"), -10);
    s->GetView("t").SetInt(0, "a", 7);
    CheckCommitKeepsOldState(*s, p);
    RawFile f(Slurp(p));
    const RawView& t = f.View("t");
    EXPECT_EQ(f.Block(Col(t, "l").data), std::string(16, '\0'));
    EXPECT_EQ(f.Block(Col(t, "d").data), std::string(16, '\0'));
    EXPECT_EQ(Col(t, "w").data.size, 2u);
    EXPECT_EQ(Ints(f, Col(t, "w").data, 2), (std::vector<int64_t>{9, -10}));
}

}  // namespace
