#include "mk/reader.h"

#include <new>

#include "mk/codec.h"

namespace mk::detail {

namespace {

constexpr int kMaxDepth = 64;

int64_t FieldCount(const std::vector<Field>& fields) {
    int64_t n = static_cast<int64_t>(fields.size());
    for (const Field& f : fields) n += FieldCount(f.subfields);
    return n;
}

Error Corrupt(const std::string& what) { return Error{Errc::Corrupt, "damaged file: " + what}; }

struct Tail {
    uint8_t kind;
    uint32_t count;
    uint32_t value;
};

Tail TailAt(const Image& img, size_t at) {
    const uint8_t* p = img.data() + at;
    return Tail{p[0], (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3], LoadBE32(p + 4)};
}

bool IsSkip(const Tail& t) { return t.value > 0 && ((t.kind == 0x80 && t.count == 0) || (t.kind & 0xF0) == 0x90); }
bool IsCommit(const Tail& t) { return t.kind == 0x80 && t.count > 0 && t.value > 0; }

// Where the committed state is: the header base and the walk.
struct Locator {
    size_t base = 0;
    Ref walk;
    uint64_t tailEnd = 0;  // end of the tail pair that points at the walk
};

class Loader {
public:
    Loader(std::shared_ptr<const Image> img, size_t base, bool big)
        : imgp_(std::move(img)), img_(*imgp_), base_(base), big_(big) {}

    Status Columns(Table& t, Cursor& cur, uint32_t rows, int depth) {
        if (depth > kMaxDepth) return Corrupt("subviews nested too deeply");
        if (rows > uint32_t(INT32_MAX)) return Corrupt("row count out of range");
        // Columns of default cells take no memory whatever the row count; only those
        // that keep something per row are charged, before anything is allocated.
        for (const Column& col : t.cols)
            if (col.type() == Type::View && !Charge(rows)) return Corrupt("more rows than the file can hold");
        t.Resize(rows);
        if (rows == 0) return {};
        for (size_t c = 0; c < t.cols.size(); ++c) {
            // Each top-level view has its own allowance: a large one never makes
            // the others unreadable.
            if (depth == 0) budget_ = Allowance();
            Status s = OneColumn(t, static_cast<int>(c), cur, depth);
            if (!s) return s;
            if (cur.failed) return Corrupt("structure walk ends early");
        }
        return {};
    }

private:
    const uint8_t* At(const Ref& r) const { return img_.data() + base_ + r.pos; }

    // What one view may allocate, in row entries: every such entry stands for at least
    // one bit of the file, so a valid file stays far inside while a damaged row count
    // cannot exhaust memory.
    int64_t Allowance() const { return 1'000'000 + 16 * static_cast<int64_t>(img_.size()); }
    bool Charge(int64_t n) {
        budget_ -= n;
        return budget_ >= 0;
    }

    bool ReadRef(Cursor& cur, Ref& r) {
        int64_t size = cur.Varint();
        int64_t pos = size > 0 ? cur.Varint() : 0;
        if (cur.failed || size < 0 || pos < 0) return false;
        r.size = static_cast<uint32_t>(size);
        r.pos = static_cast<uint32_t>(pos);
        return size == 0 || (uint64_t(base_) + uint64_t(pos) + uint64_t(size) <= img_.size());
    }

    Status OneColumn(Table& t, int c, Cursor& cur, int depth) {
        Column& col = t.cols[static_cast<size_t>(c)];
        const std::string& name = t.fields[static_cast<size_t>(c)].name;
        switch (col.type()) {
        case Type::Int:
        case Type::Float:
        case Type::Long:
        case Type::Double: return Number(col, name, cur, t.rows);
        case Type::String:
        case Type::Bytes: return Strings(col, name, cur, t.rows);
        case Type::View: return Views(t, c, cur, depth);
        }
        return {};
    }

    Status Number(Column& col, const std::string& name, Cursor& cur, uint32_t rows) {
        Ref r;
        if (!ReadRef(cur, r)) return Corrupt("column " + name + " lies outside the file");
        int width = WidthFor(r.size, rows);
        if (col.IsWide()) {
            if (r.size != 0 && uint64_t(r.size) != 8ull * rows) return Corrupt("column " + name + " has a wrong size");
            width = r.size ? 64 : 0;
        } else if (width < 0 || (width == 64 && col.type() == Type::Float)) {
            return Corrupt("column " + name + " has a wrong size");
        }
        col.SetNumSource(imgp_, r.size ? At(r) : nullptr, width, big_);
        col.cur.data = r;
        return {};
    }

    Status Strings(Column& col, const std::string& name, Cursor& cur, uint32_t rows) {
        Ref data, sizes, items;
        bool ok = ReadRef(cur, data) && (data.size == 0 || ReadRef(cur, sizes)) && ReadRef(cur, items);
        if (!ok) return Corrupt("column " + name + " lies outside the file");
        col.SetImage(imgp_);
        if (data.size > 0) {
            int width = WidthFor(sizes.size, rows);
            if (width < 0 || width == 64) return Corrupt("sizes of column " + name + " are damaged");
            if (!Charge(rows)) return Corrupt("more rows than the file can hold");
            col.MakeDense();
            uint64_t at = base_ + data.pos;
            for (uint32_t r = 0; r < rows; ++r) {
                int32_t n = GetAdaptive(At(sizes), width, big_, r);
                if (n < 0 || at + uint64_t(n) > base_ + uint64_t(data.pos) + data.size)
                    return Corrupt("sizes of column " + name + " do not match its data");
                col.SetItemSource(r, static_cast<uint32_t>(at), static_cast<uint32_t>(n));
                at += uint32_t(n);
            }
            if (at != base_ + uint64_t(data.pos) + data.size)
                return Corrupt("sizes of column " + name + " do not match its data");
        }
        col.cur.data = data;
        col.cur.sizes = sizes;
        col.cur.items = items;
        return Memos(col, name, items, rows);
    }

    Status Memos(Column& col, const std::string& name, const Ref& items, uint32_t rows) {
        Cursor list(items.size ? At(items) : nullptr, items.size);
        int64_t row = -1;
        while (!list.AtEnd()) {
            int64_t gap = list.Varint();
            Ref m;
            if (list.failed || gap < 0 || !ReadRef(list, m)) return Corrupt("item list of column " + name);
            row += gap + 1;
            if (row >= rows) return Corrupt("item list of column " + name + " names a missing row");
            if (!Charge(1)) return Corrupt("more rows than the file can hold");
            col.SetItemSource(static_cast<uint32_t>(row), static_cast<uint32_t>(base_ + m.pos), m.size);
            if (m.size) col.cur.memos.push_back(m);
        }
        return {};
    }

    Status Views(Table& t, int c, Cursor& cur, int depth) {
        Column& col = t.cols[static_cast<size_t>(c)];
        Ref r;
        if (!ReadRef(cur, r)) return Corrupt("subview " + t.fields[size_t(c)].name + " lies outside the file");
        col.cur.data = r;
        col.vblock.assign(reinterpret_cast<const char*>(r.size ? At(r) : nullptr), r.size);
        Cursor block(r.size ? At(r) : nullptr, r.size);
        const Field& f = t.fields[size_t(c)];
        const std::vector<Field>& layout = f.recursive ? t.fields : f.subfields;
        int64_t layoutCost = -1;
        for (uint32_t row = 0; row < t.rows; ++row) {
            block.Varint();  // reserved
            int64_t n = block.Varint();
            if (block.failed || n < 0 || n > INT32_MAX) return Corrupt("subview block of " + t.fields[size_t(c)].name);
            if (n == 0) continue;
            // Every instance copies its layout: a wide layout shared by many small
            // entries must not cost more than the file can justify.
            if (layoutCost < 0) layoutCost = 1 + FieldCount(layout);
            budget_ -= layoutCost;
            if (budget_ < 0) return Corrupt("more subviews than the file can hold");
            auto sub = std::make_shared<Table>(layout);
            Status s = Columns(*sub, block, static_cast<uint32_t>(n), depth + 1);
            if (!s) return s;
            col.SetSub(row, std::move(sub));
        }
        if (!block.AtEnd()) return Corrupt("subview block of " + t.fields[size_t(c)].name + " has extra bytes");
        return {};
    }

    std::shared_ptr<const Image> imgp_;
    const Image& img_;
    size_t base_;
    bool big_;
    int64_t budget_ = Allowance();
};

bool ValidHeader(const Image& img, size_t base, bool& big) {
    if (base + 8 > img.size()) return false;
    const uint8_t* h = img.data() + base;
    bool le = h[0] == 'J' && h[1] == 'L';
    bool be = h[0] == 'L' && h[1] == 'J';
    big = be;
    return (le || be) && h[2] == 0x1A && (h[3] & 0x40) == 0 && h[3] != 0x80;
}

// The normal search from the end of the file; false when it finds no committed state.
bool LocateFromEnd(const Image& img, Locator& loc) {
    size_t e = img.size();
    for (;;) {
        if (e < 16) return false;
        Tail t = TailAt(img, e - 8);
        if (IsSkip(t)) {
            if (t.value > e - 8) return false;
            e = e - 8 - t.value;
            continue;
        }
        if (!IsCommit(t)) return false;
        Tail s = TailAt(img, e - 16);
        if (!IsSkip(s) || s.value > e - 16) return false;
        loc.base = e - 16 - s.value;
        loc.walk = Ref{t.value, t.count};
        loc.tailEnd = e;
        return true;
    }
}

// A commit that grew the file and was cut short leaves a lone skip tail at the end
// pointing at itself; the pair of the state before it is still further up.
std::vector<Locator> InterruptedCandidates(const Image& img) {
    std::vector<Locator> out;
    size_t n = img.size();
    if (n < 32) return out;
    Tail last = TailAt(img, n - 8);
    if (!(last.kind == 0x80 && last.count == 0 && last.value == n - 8)) return out;
    for (size_t p = n - 16; p >= 8; --p) {
        Tail s = TailAt(img, p);
        Tail c = TailAt(img, p + 8);
        if (s.kind == 0x80 && s.count == 0 && s.value == p && IsCommit(c) && c.value >= 8 &&
            uint64_t(c.value) + c.count <= p)
            out.push_back(Locator{0, Ref{c.value, c.count}, p + 16});
        if (p == 8 || out.size() >= 8) break;
    }
    return out;
}

Result<Loaded> LoadAt(std::shared_ptr<const Image> image, const Locator& loc) {
    const Image& img = *image;
    Loaded out;
    if (!ValidHeader(img, loc.base, out.big)) return Error{Errc::NotMetakit, "not a Metakit file (bad header)"};
    out.base = static_cast<uint32_t>(loc.base);
    if (uint64_t(loc.base) + loc.walk.pos + loc.walk.size > img.size())
        return Corrupt("structure walk lies outside the file");
    const uint8_t* w = img.data() + loc.base + loc.walk.pos;
    out.walk.assign(reinterpret_cast<const char*>(w), loc.walk.size);
    out.walkRef = loc.walk;
    out.tailEnd = loc.tailEnd;
    Cursor cur(w, loc.walk.size);
    cur.Varint();
    int64_t len = cur.Varint();
    const uint8_t* text = len >= 0 ? cur.Take(static_cast<size_t>(len)) : nullptr;
    if (cur.failed || !text) return Corrupt("structure walk is damaged");
    auto fields = ParseFields(std::string_view(reinterpret_cast<const char*>(text), static_cast<size_t>(len)));
    if (!fields) return Corrupt("structure text does not parse");
    int64_t rows = cur.Varint();
    if (cur.failed || rows < 0 || rows > 1) return Corrupt("structure walk is damaged");
    out.root = std::make_shared<Table>(std::move(*fields));
    Loader loader(image, loc.base, out.big);
    Status s = loader.Columns(*out.root, cur, static_cast<uint32_t>(rows), 0);
    if (!s) return s.error();
    if (!cur.AtEnd()) return Corrupt("structure walk has extra bytes");
    out.root->Resize(1);
    out.image = std::move(image);
    out.hasData = true;
    return out;
}

void MarkClean(Table& t) {
    for (Column& c : t.cols) {
        c.dirty = false;
        c.curGen = kLoadedGen;
        if (c.type() != Type::View) continue;
        for (uint32_t r = 0; r < t.rows; ++r)
            if (c.Sub(r)) MarkClean(*c.Sub(r));
    }
}

Result<Loaded> LoadImage(std::shared_ptr<const Image> image) {
    if (image->empty()) {
        Loaded out;
        out.image = std::move(image);
        out.root = std::make_shared<Table>(std::vector<Field>{});
        out.root->Resize(1);
        return out;
    }
    Locator loc;
    Result<Loaded> r = Error{Errc::NotMetakit, "not a Metakit file (no commit tail at its end)"};
    if (LocateFromEnd(*image, loc)) {
        r = LoadAt(image, loc);
    } else {
        for (const Locator& cand : InterruptedCandidates(*image)) {
            Result<Loaded> tryit = LoadAt(image, cand);
            if (tryit) {
                tryit->recovered = true;
                r = std::move(tryit);
                break;
            }
        }
    }
    if (r) MarkClean(*r->root);
    return r;
}

}  // namespace

Result<Loaded> Load(std::shared_ptr<const Image> image) {
    try {
        return LoadImage(std::move(image));
    } catch (const std::bad_alloc&) {
        return Error{Errc::Io, "not enough memory to read the file"};
    }
}

}  // namespace mk::detail
