#include "mk/writer.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "mk/codec.h"

namespace mk::detail {

namespace {

constexpr int kMaxReadDepth = 64;  // the reader's limit on nested subviews
constexpr uint64_t kMaxFile = uint64_t(1) << 31;

class Allocator {
public:
    // Free space is the gaps between `used` inside [lo, hi); past `end` everything is free.
    Allocator(std::vector<Span> used, uint64_t lo, uint64_t hi, uint64_t end) : end_(end), start_(end) {
        std::sort(used.begin(), used.end(), [](const Span& a, const Span& b) { return a.begin < b.begin; });
        uint64_t at = lo;
        for (const Span& s : used) {
            if (s.begin > at && at < hi) holes_.push_back(Span{at, std::min(s.begin, hi)});
            at = std::max(at, s.end);
        }
        if (at < hi) holes_.push_back(Span{at, hi});
    }

    uint64_t Take(uint64_t n) {
        for (Span& h : holes_) {
            if (h.end - h.begin >= n) {
                uint64_t p = h.begin;
                h.begin += n;
                return p;
            }
        }
        uint64_t p = end_;
        end_ += n;
        return p;
    }
    bool Grew() const { return end_ > start_; }
    uint64_t End() const { return end_; }

private:
    std::vector<Span> holes_;
    uint64_t end_, start_;
};

struct Write {
    uint64_t pos;
    std::string bytes;
};

void PutRef(std::string& out, const Ref& r) {
    PutVarint(out, r.size);
    if (r.size) PutVarint(out, r.pos);
}

void PutRefs(std::string& out, Type type, const Blocks& b) {
    PutRef(out, b.data);
    if (type == Type::String || type == Type::Bytes) {
        if (b.data.size) PutRef(out, b.sizes);
        PutRef(out, b.items);
    }
}

bool StoredApart(size_t len, uint32_t rows) {
    return len > 10000 || (len > 100 && len > 1000000 / (uint64_t(rows) + 1));
}

bool SameBytes(File& file, uint64_t pos, const std::string& want);

class Encoder {
public:
    Encoder(Allocator& alloc, uint64_t base, bool big, bool force)
        : alloc_(alloc), base_(base), big_(big), force_(force) {}

    // Lets changed columns whose encoding equals their committed blocks in `file`
    // (state `gen`) keep those blocks: a value set back to what it was writes nothing.
    void CompareWith(File& file, uint64_t gen) {
        committed_ = &file;
        gen_ = gen;
    }

    // The reference groups of t's columns; every visited column gets `pend` set.
    // `layout` is what the structure text says t holds; a table that disagrees would
    // make a walk no reader can parse, so the commit fails instead.
    std::string Refs(Table& t, const std::vector<Field>& layout) {
        std::string refs;
        if (t.rows == 0) return refs;
        if (t.rows > uint32_t(INT32_MAX)) tooLarge = true;
        if (tooLarge) return refs;
        if (layout.size() != t.cols.size()) mismatch = true;
        if (depth_ > kMaxReadDepth) tooDeep = true;
        for (size_t c = 0; c < t.cols.size(); ++c) {
            Column& col = t.cols[c];
            if (c < layout.size() && layout[c].type != col.type()) mismatch = true;
            if (!col.refused.empty()) {
                if (refused.empty()) refused = col.refused;
                col.refused.clear();  // reported once; the cell kept its old text
            }
            if (col.type() == Type::View) {
                const Field& f = c < layout.size() ? layout[c] : t.fields[c];
                ViewColumn(col, t.rows, f.recursive ? layout : f.subfields);
            } else if (force_ || Misread(col, t.rows) || (col.dirty && !AsCommitted(col, t.rows))) {
                Encode(col, t.rows);
            } else {
                col.pend = col.cur;
            }
            PutRefs(refs, col.type(), col.pend);
        }
        return refs;
    }

    Ref Place(std::string bytes) {
        if (bytes.empty()) return Ref{};
        uint64_t p = alloc_.Take(bytes.size());
        Ref r{static_cast<uint32_t>(p - base_), static_cast<uint32_t>(bytes.size())};
        writes.push_back(Write{p, std::move(bytes)});
        return r;
    }

    std::vector<Write> writes;
    bool mismatch = false;
    bool tooDeep = false;   // deeper than our reader accepts
    bool tooLarge = false;  // more than a file can hold
    std::string refused;    // a text set without a stored form

private:
    // Blocks another writer may have left that the library does not promise to read:
    // an empty L/D block, a 64-bit I column (it reads only the low half).
    static bool Misread(const Column& col, uint32_t rows) {
        if (col.IsWide()) return col.cur.data.size == 0;
        return col.type() == Type::Int && WidthFor(col.cur.data.size, rows) == 64;
    }

    // Whether a committed column's blocks hold what encoding it now would give. Columns
    // with items stored apart are taken as changed: their lists name block positions.
    bool AsCommitted(Column& col, uint32_t rows) {
        if (!committed_ || col.curGen != gen_ || !col.cur.memos.empty() || col.cur.items.size) return false;
        std::string data, sizes;
        switch (col.type()) {
        case Type::Int:
        case Type::Float: data = Adaptive(col, rows); break;
        case Type::Long:
        case Type::Double:
            if (uint64_t(rows) * 8 >= kMaxFile) return false;
            data = Wide(col, rows);
            break;
        case Type::String:
        case Type::Bytes:
            if (!InlineStrings(col, rows, data, sizes)) return false;
            break;
        case Type::View: return false;
        }
        auto same = [&](const Ref& r, const std::string& bytes) {
            return r.size == bytes.size() && (bytes.empty() || SameBytes(*committed_, base_ + r.pos, bytes));
        };
        if (!same(col.cur.data, data) || !same(col.cur.sizes, sizes)) return false;
        col.pend = col.cur;
        return true;
    }

    void Encode(Column& col, uint32_t rows) {
        col.pend = Blocks{};
        switch (col.type()) {
        case Type::Int:
        case Type::Float: col.pend.data = Place(Adaptive(col, rows)); break;
        case Type::Long:
        case Type::Double: {
            if (uint64_t(rows) * 8 >= kMaxFile) {
                tooLarge = true;
                break;
            }
            col.pend.data = Place(Wide(col, rows));
            break;
        }
        case Type::String:
        case Type::Bytes: Strings(col, rows); break;
        case Type::View: break;
        }
    }

    std::string Wide(const Column& col, uint32_t rows) const {
        std::string out;
        if (col.Memory() && !big_) {  // host order is little-endian
            out.assign(reinterpret_cast<const char*>(col.Memory()), size_t(8) * rows);
        } else {
            out.resize(size_t(8) * rows);
            auto* p = reinterpret_cast<uint8_t*>(out.data());
            for (uint32_t r = 0; r < rows; ++r) Store64(p + size_t(8) * r, col.Raw(r), big_);
        }
        return out;
    }

    std::string Adaptive(const Column& col, uint32_t rows) {
        if (col.AllZero()) return {};
        const uint8_t* mem = col.Memory();
        auto value = [&](uint32_t r) {
            if (!mem) return static_cast<uint32_t>(col.Raw(r));
            uint32_t v;
            std::memcpy(&v, mem + size_t(4) * r, 4);
            return v;
        };
        int64_t lo = 0, hi = 0;
        for (uint32_t r = 0; r < rows; ++r) {
            int64_t v = static_cast<int32_t>(value(r));
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        std::string out;
        PutAdaptive(out, WidthOfRange(lo, hi), big_, rows, value);
        return out;
    }

    // The data and sizes blocks of a string column none of whose items is stored
    // apart; false when some is. A column of only empty items has no blocks at all.
    bool InlineStrings(const Column& col, uint32_t rows, std::string& data, std::string& sz) const {
        if (col.Sparse() && col.SparseCount() == 0) return true;
        std::vector<uint32_t> sizes(rows, 0);
        size_t inlineBytes = 0;
        bool apart = false;
        col.ForEachItem([&](uint32_t r, std::string_view item) {
            if (StoredApart(item.size(), rows)) apart = true;
            sizes[r] = static_cast<uint32_t>(item.size());
            inlineBytes += item.size();
        });
        if (apart) return false;
        InlineData(col, sizes, inlineBytes, data, sz);
        return true;
    }

    // The inline items into a block of their known size; most are a few bytes, copied
    // without a call each. No blocks when every item is empty.
    void InlineData(const Column& col, const std::vector<uint32_t>& sizes, size_t inlineBytes, std::string& data,
                    std::string& sz) const {
        data.resize(inlineBytes);
        char* out = data.data();
        col.ForEachItem([&](uint32_t r, std::string_view item) {
            const uint32_t n = sizes[r];
            if (n == 0) return;
            if (n <= 16)
                for (uint32_t k = 0; k < n; ++k) out[k] = item[k];
            else
                std::memcpy(out, item.data(), n);
            out += n;
        });
        if (data.empty()) return;
        uint32_t hi = *std::max_element(sizes.begin(), sizes.end());
        PutAdaptive(sz, WidthOfRange(0, hi), big_, static_cast<uint32_t>(sizes.size()),
                    [&](uint32_t r) { return sizes[r]; });
    }

    void Strings(Column& col, uint32_t rows) {
        if (col.Sparse() && col.SparseCount() == 0) return;  // all empty: no blocks at all
        if (col.Sparse() && !SparseStrings(col, rows)) return;
        std::string data, sz, list;
        std::vector<uint32_t> sizes(rows, 0);
        int64_t last = -1;
        size_t inlineBytes = 0;
        col.ForEachItem([&](uint32_t r, std::string_view item) {
            if (!StoredApart(item.size(), rows)) {
                sizes[r] = static_cast<uint32_t>(item.size());
                inlineBytes += item.size();
                return;
            }
            Ref m = Place(std::string(item));
            col.pend.memos.push_back(m);
            PutVarint(list, static_cast<int64_t>(r) - last - 1);
            PutRef(list, m);
            last = r;
        });
        InlineData(col, sizes, inlineBytes, data, sz);
        if (!data.empty()) {
            col.pend.data = Place(std::move(data));
            col.pend.sizes = Place(std::move(sz));
        }
        col.pend.items = Place(std::move(list));
    }

    // A sparse column whose items all go apart needs no per-row sizes; false when
    // some are inline, which the general path then writes.
    bool SparseStrings(Column& col, uint32_t rows) {
        for (size_t i = 0; i < col.SparseCount(); ++i)
            if (!StoredApart(col.Item(col.SparseRow(i)).size(), rows)) {
                if (uint64_t(rows) * 8 >= kMaxFile) tooLarge = true;  // the sizes alone
                return !tooLarge;
            }
        std::string list;
        int64_t last = -1;
        for (size_t i = 0; i < col.SparseCount(); ++i) {
            uint32_t r = col.SparseRow(i);
            Ref m = Place(std::string(col.Item(r)));
            col.pend.memos.push_back(m);
            PutVarint(list, static_cast<int64_t>(r) - last - 1);
            PutRef(list, m);
            last = r;
        }
        col.pend.items = Place(std::move(list));
        return false;
    }

    void ViewColumn(Column& col, uint32_t rows, const std::vector<Field>& layout) {
        if (uint64_t(rows) * 2 >= kMaxFile) {  // at least two bytes per row
            tooLarge = true;
            return;
        }
        std::string block;
        for (uint32_t r = 0; r < rows; ++r) {
            Table* sub = col.Sub(r).get();
            block.push_back(static_cast<char>(0x80));
            PutVarint(block, sub ? sub->rows : 0);
            ++depth_;
            if (sub) block += Refs(*sub, layout);
            --depth_;
        }
        // A column left dirty by a row count change may hold blocks from before its
        // view was emptied; those were freed and possibly reused since.
        if (!force_ && (!col.dirty || (committed_ && col.curGen == gen_)) && col.cur.data.size &&
            block == col.vblock) {
            col.pend = col.cur;
            col.pendV = col.vblock;
            return;
        }
        col.pend = Blocks{};
        col.pendV = block;
        col.pend.data = Place(std::move(block));
    }

    int depth_ = 0;
    File* committed_ = nullptr;
    uint64_t gen_ = 0;
    Allocator& alloc_;
    uint64_t base_;
    bool big_;
    bool force_;
};

std::string WalkBytes(const Table& root, const std::string& refs) {
    std::string walk;
    std::string text = FormatFields(root.fields);
    walk.push_back(static_cast<char>(0x80));
    PutVarint(walk, static_cast<int64_t>(text.size()));
    walk += text;
    PutVarint(walk, 1);
    walk += refs;
    return walk;
}

std::string TailPair(uint64_t skipAt, uint64_t base, const Ref& walk) {
    std::string out(16, '\0');
    auto* p = reinterpret_cast<uint8_t*>(out.data());
    p[0] = 0x80;
    StoreBE32(p + 4, static_cast<uint32_t>(skipAt - base));
    StoreBE32(p + 8, walk.size);  // count in bytes 9-11; byte 8 is overwritten below
    p[8] = 0x80;
    StoreBE32(p + 12, walk.pos);
    return out;
}

template <class Fn>
void ForEachVisited(Table& t, Fn&& fn) {
    if (t.rows == 0) return;
    for (Column& c : t.cols) {
        fn(c);
        if (c.type() != Type::View) continue;
        for (uint32_t r = 0; r < t.rows; ++r)
            if (c.Sub(r)) ForEachVisited(*c.Sub(r), fn);
    }
}

void ApplyPending(Table& root, uint64_t gen) {
    ForEachVisited(root, [gen](Column& c) {
        c.cur = std::move(c.pend);
        c.pend = Blocks{};
        if (c.type() == Type::View) c.vblock = std::move(c.pendV);
        c.dirty = false;
        c.curGen = gen;
    });
}

void AddSpan(std::vector<Span>& out, uint64_t base, const Ref& r) {
    if (r.size) out.push_back(Span{base + r.pos, base + r.pos + r.size});
}

bool SameBytes(File& file, uint64_t pos, const std::string& want) {
    std::string have(want.size(), '\0');
    return file.Read(pos, have.data(), have.size()) && have == want;
}

// Blocks that lie end to end go out as one write: a commit of many columns would
// otherwise cost a system call each.
std::vector<Write> Coalesced(std::vector<Write> writes) {
    std::sort(writes.begin(), writes.end(), [](const Write& a, const Write& b) { return a.pos < b.pos; });
    std::vector<Write> out;
    for (size_t i = 0; i < writes.size();) {
        size_t end = i + 1, bytes = writes[i].bytes.size();
        while (end < writes.size() && writes[end].pos == writes[i].pos + bytes) bytes += writes[end++].bytes.size();
        if (end == i + 1) {
            out.push_back(std::move(writes[i]));
        } else {
            Write run{writes[i].pos, {}};
            run.bytes.reserve(bytes);
            for (size_t k = i; k < end; ++k) run.bytes += writes[k].bytes;
            out.push_back(std::move(run));
        }
        i = end;
    }
    return out;
}

Error Unstorable(const std::string& reason) { return Error{Errc::Unstorable, reason + "; nothing written"}; }

Error TooLarge() { return Error{Errc::Io, "a view has more rows than a file can hold; nothing written"}; }

}  // namespace

void CollectUsed(const Table& root, Committed& state) {
    std::vector<Span> used;
    used.push_back(Span{state.base, uint64_t(state.base) + 8});
    AddSpan(used, state.base, state.walkRef);
    if (state.tailEnd >= 16) used.push_back(Span{state.tailEnd - 16, state.tailEnd});
    ForEachVisited(const_cast<Table&>(root), [&](Column& c) {
        AddSpan(used, state.base, c.cur.data);
        AddSpan(used, state.base, c.cur.sizes);
        AddSpan(used, state.base, c.cur.items);
        for (const Ref& m : c.cur.memos) AddSpan(used, state.base, m);
    });
    state.used = std::move(used);
}

Result<std::string> BuildPackedImpl(Table& root) {
    if (root.fields.empty()) return std::string();
    Allocator alloc({}, 8, 8, 8);
    Encoder enc(alloc, 0, false, true);
    std::string walk = WalkBytes(root, enc.Refs(root, root.fields));
    if (enc.mismatch) return Error{Errc::Corrupt, "a table does not match the structure; nothing written"};
    if (enc.tooDeep) return Error{Errc::Io, "subviews nested too deeply to be read back; nothing written"};
    if (enc.tooLarge) return TooLarge();
    if (!enc.refused.empty()) return Unstorable(enc.refused);
    if (walk.size() >= (1u << 24)) return Error{Errc::Io, "structure walk too large for the format"};
    Ref walkRef = enc.Place(walk);
    uint64_t total = alloc.End() + 16;
    if (total >= (uint64_t(1) << 31)) return Error{Errc::Io, "file would exceed 2 GiB"};
    std::string out(total, '\0');
    std::memcpy(out.data(), "JL\x1a\0", 4);
    StoreBE32(reinterpret_cast<uint8_t*>(out.data()) + 4, static_cast<uint32_t>(total));
    for (const Write& w : enc.writes) std::memcpy(out.data() + w.pos, w.bytes.data(), w.bytes.size());
    std::string tail = TailPair(total - 16, 0, walkRef);
    std::memcpy(out.data() + total - 16, tail.data(), 16);
    return out;
}

void AdoptPacked(Table& root, Committed& state, uint64_t fileSize) {
    const uint64_t gen = state.gen + 1;
    state = Committed{};
    state.gen = gen;
    if (fileSize == 0) return;
    ApplyPending(root, gen);
    // The walk of a packed file is the block just before its tail pair.
    Allocator none({}, 0, 0, 0);
    Encoder enc(none, 0, false, false);
    state.walk = WalkBytes(root, enc.Refs(root, root.fields));
    state.walkRef = Ref{static_cast<uint32_t>(fileSize - 16 - state.walk.size()), static_cast<uint32_t>(state.walk.size())};
    state.hasData = true;
    state.tailEnd = fileSize;
    CollectUsed(root, state);
}

Status CommitInPlaceImpl(File& file, Table& root, Committed& state, bool rewrite) {
    auto sizeOr = file.Size();
    if (!sizeOr) return sizeOr.error();
    const uint64_t F = *sizeOr;
    const uint64_t base = state.base;
    // The tail pair at the end of the file is ours only if it still describes this state.
    bool ourTail = F >= base + 32 && SameBytes(file, F - 16, TailPair(F - 16, base, state.walkRef));
    std::vector<Span> used = state.used;
    if (ourTail) used.push_back(Span{F - 16, F});
    Allocator alloc(used, base + 8, F, F);
    Encoder enc(alloc, base, state.big, false);
    if (!rewrite) enc.CompareWith(file, state.gen);
    std::string walk = WalkBytes(root, enc.Refs(root, root.fields));
    if (enc.mismatch) return Error{Errc::Corrupt, "a table does not match the structure; nothing written"};
    if (enc.tooDeep) return Error{Errc::Io, "subviews nested too deeply to be read back; nothing written"};
    if (enc.tooLarge) return TooLarge();
    if (!enc.refused.empty()) return Unstorable(enc.refused);
    if (!rewrite && walk == state.walk && enc.writes.empty()) {
        ApplyPending(root, state.gen);
        return {};
    }
    if (walk.size() >= (1u << 24)) return Error{Errc::Io, "structure walk too large for the format"};
    Ref walkRef = enc.Place(walk);
    bool grow = alloc.Grew() || !ourTail;
    uint64_t end = grow ? alloc.End() + 16 : F;
    if (end - base >= (uint64_t(1) << 31)) return Error{Errc::Io, "file would exceed 2 GiB"};
    Status s;
    if (grow) {
        // A full disk shows here, before anything is written.
        s = file.Reserve(F, end);
        // Make the longer file open at the old state before any new block lands.
        if (s) s = file.Write(end - 16, TailPair(end - 16, base, state.walkRef));
        if (s) s = file.Sync();
    }
    for (const Write& w : Coalesced(std::move(enc.writes))) {
        if (s) s = file.Write(w.pos, w.bytes);
    }
    if (s) s = file.Sync();
    if (s) s = file.Write(end - 8, TailPair(end - 16, base, walkRef).substr(8));
    if (s) s = file.Sync();
    if (!s) {
        // A write past the old end that came back short (full disk, size limit) can
        // leave a broken tail at the end: going back to the old length restores the
        // old file exactly, since below it only free space was written.
        if (grow) (void)file.Truncate(F);
        return s;
    }
    // The commit is durable; the header length only serves stream loading.
    if (grow) {
        std::string len(4, '\0');
        StoreBE32(reinterpret_cast<uint8_t*>(len.data()), static_cast<uint32_t>(end - base));
        if (file.Write(base + 4, len)) (void)file.Sync();
    }
    ApplyPending(root, ++state.gen);
    state.walk = std::move(walk);
    state.walkRef = walkRef;
    state.tailEnd = end;
    state.hasData = true;
    CollectUsed(root, state);
    return {};
}

// Building a commit allocates as much as the data it writes: running out of memory is
// a failed commit, never an exception.
Result<std::string> BuildPacked(Table& root) {
    try {
        return BuildPackedImpl(root);
    } catch (const std::bad_alloc&) {
        return Error{Errc::Io, "not enough memory to write the file; nothing written"};
    }
}

Status CommitInPlace(File& file, Table& root, Committed& state, bool rewrite) {
    SizeSignalHold hold;
    try {
        return CommitInPlaceImpl(file, root, state, rewrite);
    } catch (const std::bad_alloc&) {
        return Error{Errc::Io, "not enough memory to write the file; the file keeps its previous state"};
    }
}

}  // namespace mk::detail
