#include "mk/table.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "mk/codec.h"

namespace mk::detail {

namespace {
uint64_t NextVersion() {
    static uint64_t counter = 0;
    return ++counter;
}
}  // namespace

Column::Column(Type type, uint32_t rows) : type_(type), rows_(rows) {
    if (type_ == Type::View) subs_.resize(rows);
}

void Column::SetNumSource(std::shared_ptr<const Image> img, const uint8_t* p, int width, bool big) {
    img_ = std::move(img);
    src_ = p;
    width_ = width;
    big_ = big;
    lazy_ = true;
}

uint64_t Column::Raw(uint32_t r) const {
    if (r >= rows_) return 0;
    if (!lazy_) {
        if (IsWide()) {
            uint64_t v;
            std::memcpy(&v, mem_.data() + 8 * size_t(r), 8);
            return v;
        }
        uint32_t v;
        std::memcpy(&v, mem_.data() + 4 * size_t(r), 4);
        return type_ == Type::Int ? static_cast<uint64_t>(static_cast<int64_t>(static_cast<int32_t>(v))) : v;
    }
    if (width_ == 0) return 0;
    if (IsWide()) return Load64(src_ + 8 * size_t(r), big_);
    int32_t v = GetAdaptive(src_, width_, big_, r);
    if (type_ == Type::Int) return static_cast<uint64_t>(static_cast<int64_t>(v));
    return static_cast<uint32_t>(v);
}

void Column::Materialize() {
    if (!lazy_) return;
    size_t elem = IsWide() ? 8 : 4;
    std::vector<uint8_t> mem(elem * rows_);  // zeroed: all an all-zero column needs
    if (width_ != 0)
        for (uint32_t r = 0; r < rows_; ++r) {
            uint64_t v = Raw(r);
            std::memcpy(mem.data() + elem * r, &v, elem);  // little-endian hosts only
        }
    mem_ = std::move(mem);
    lazy_ = false;
    src_ = nullptr;
}

void Column::SetRaw(uint32_t r, uint64_t v) {
    if (r >= rows_ || IsString() || type_ == Type::View) return;
    Materialize();
    size_t elem = IsWide() ? 8 : 4;
    std::memcpy(mem_.data() + elem * r, &v, elem);
    dirty = true;
}

void Column::SetRawRun(const void* values, uint32_t n) {
    n = std::min(n, rows_);
    if (IsString() || type_ == Type::View || n == 0) return;
    Materialize();
    std::memcpy(mem_.data(), values, (IsWide() ? 8 : 4) * size_t(n));
    dirty = true;
}

void Column::SetTexts(const std::string_view* texts, uint32_t n) {
    if (type_ != Type::String) return;
    n = std::min(n, rows_);
    // A text ends at its first zero byte (the texts are short: no call out for it).
    auto cut = [](std::string_view t) {
        size_t len = 0;
        while (len < t.size() && t[len] != '\0') ++len;
        return t.substr(0, len);
    };
    size_t bytes = 0, filled = 0;
    for (uint32_t r = 0; r < n; ++r)
        if (!texts[r].empty()) bytes += texts[r].size() + 1, ++filled;
    // Few texts keep the sparse form; the cell path handles that.
    if (!dense_ && (filled <= 64 || filled <= rows_ / 16)) {
        for (uint32_t r = 0; r < n; ++r) SetText(r, cut(texts[r]));
        return;
    }
    MakeDense();
    dirty = true;
    size_t at = blob_.size();
    blob_.resize(at + bytes);  // room for every text uncut; what the cuts leave is given back
    for (uint32_t r = 0; r < n; ++r) {
        if ((off_[r] & kBlob) && len_[r]) garbage_ += len_[r];
        std::string_view t = cut(texts[r]);
        if (t.empty()) {
            off_[r] = len_[r] = 0;
            continue;
        }
        off_[r] = static_cast<uint32_t>(at) | kBlob;
        len_[r] = static_cast<uint32_t>(t.size() + 1);
        char* p = blob_.data() + at;
        if (t.size() <= 16)  // most are short codes: no call for them
            for (size_t k = 0; k < t.size(); ++k) p[k] = t[k];
        else
            std::memcpy(p, t.data(), t.size());
        p[t.size()] = '\0';
        at += t.size() + 1;
    }
    blob_.resize(at);
    if (garbage_ > 65536 && garbage_ > blob_.size() / 2) CompactBlob();
}

Column::Entry* Column::FindSparse(uint32_t r) {
    auto it = std::lower_bound(sparse_.begin(), sparse_.end(), r, [](const Entry& e, uint32_t row) { return e.row < row; });
    return it != sparse_.end() && it->row == r ? &*it : nullptr;
}

std::string_view Column::Bytes(uint32_t off, uint32_t len) const {
    if (len == 0) return {};
    if (off & kBlob) return std::string_view(blob_).substr(off & ~kBlob, len);
    return std::string_view(reinterpret_cast<const char*>(img_->data()) + off, len);
}

std::string_view Column::Item(uint32_t r) const {
    if (r >= rows_ || !IsString()) return {};
    if (dense_) return Bytes(off_[r], len_[r]);
    const Entry* e = FindSparse(r);
    return e ? Bytes(e->off, e->len) : std::string_view();
}

std::string_view Column::Text(uint32_t r) const {
    std::string_view raw = Item(r);
    if (type_ != Type::String || raw.empty()) return raw;
    const void* z = std::memchr(raw.data(), 0, raw.size());
    return z ? raw.substr(0, static_cast<const char*>(z) - raw.data()) : raw;
}

void Column::MakeDense() {
    if (dense_ || !IsString()) return;
    std::vector<uint32_t> off(rows_, 0), len(rows_, 0);
    for (const Entry& e : sparse_) {
        off[e.row] = e.off;
        len[e.row] = e.len;
    }
    off_ = std::move(off);
    len_ = std::move(len);
    sparse_.clear();
    sparse_.shrink_to_fit();
    dense_ = true;
}

void Column::SetSparseSource(uint32_t r, uint32_t offset, uint32_t len) {
    if (Entry* e = FindSparse(r)) {
        e->off = offset;
        e->len = len;
    } else if (len) {
        auto at = std::lower_bound(sparse_.begin(), sparse_.end(), r, [](const Entry& x, uint32_t row) { return x.row < row; });
        sparse_.insert(at, Entry{r, offset, len});
    }
}

void Column::Assign(uint32_t r, std::string_view raw, bool terminate) {
    if (r >= rows_ || !IsString()) return;
    dirty = true;
    uint32_t off = static_cast<uint32_t>(blob_.size()) | kBlob;
    uint32_t len = static_cast<uint32_t>(raw.size() + (terminate ? 1 : 0));
    if (dense_) {
        if ((off_[r] & kBlob) && len_[r]) garbage_ += len_[r];
        off_[r] = off;
        len_[r] = len;
    } else {
        auto it = std::lower_bound(sparse_.begin(), sparse_.end(), r, [](const Entry& x, uint32_t row) { return x.row < row; });
        bool found = it != sparse_.end() && it->row == r;
        if (found && (it->off & kBlob)) garbage_ += it->len;
        if (len == 0) {
            if (found) sparse_.erase(it);
        } else if (found) {
            it->off = off;
            it->len = len;
        } else {
            sparse_.insert(it, Entry{r, off, len});
        }
    }
    blob_.append(raw);
    if (terminate) blob_.push_back('\0');
    // A list entry costs 12 bytes against 8 per row for the dense form.
    if (!dense_ && sparse_.size() > 64 && sparse_.size() > rows_ / 16) MakeDense();
    if (garbage_ > 65536 && garbage_ > blob_.size() / 2) CompactBlob();
}

void Column::CompactBlob() {
    std::string fresh;
    fresh.reserve(blob_.size() - garbage_);
    auto move = [&](uint32_t& off, uint32_t len) {
        if (!(off & kBlob)) return;
        uint32_t at = static_cast<uint32_t>(fresh.size());
        fresh.append(blob_, off & ~kBlob, len);
        off = at | kBlob;
    };
    if (dense_) {
        for (uint32_t r = 0; r < rows_; ++r) move(off_[r], len_[r]);
    } else {
        for (Entry& e : sparse_) move(e.off, e.len);
    }
    blob_ = std::move(fresh);
    garbage_ = 0;
}

void Column::Insert(uint32_t at, uint32_t n) {
    if (at > rows_) at = rows_;
    if (IsString() && dense_) {
        // Both first, so that running out of memory leaves the column as it was;
        // doubling keeps appending row by row linear.
        size_t want = off_.size() + n;
        if (off_.capacity() < want) {
            size_t room = std::max(want, 2 * off_.capacity());
            off_.reserve(room);
            len_.reserve(room);
        }
        if (at == rows_) {
            off_.resize(want);
            len_.resize(want);
        } else {
            off_.insert(off_.begin() + at, n, 0);
            len_.insert(len_.begin() + at, n, 0);
        }
    } else if (IsString()) {
        for (Entry& e : sparse_)
            if (e.row >= at) e.row += n;
    } else if (type_ == Type::View) {
        subs_.insert(subs_.begin() + at, n, nullptr);
    } else if (lazy_ && width_ == 0) {
        // all zero before and after
    } else {
        Materialize();
        size_t elem = IsWide() ? 8 : 4;
        if (at == rows_) mem_.resize(mem_.size() + elem * n);
        else mem_.insert(mem_.begin() + elem * at, elem * n, 0);
    }
    rows_ += n;
    dirty = true;
}

void Column::Erase(uint32_t at, uint32_t n) {
    if (at >= rows_) return;
    if (n > rows_ - at) n = rows_ - at;
    if (IsString() && dense_) {
        for (uint32_t r = at; r < at + n; ++r)
            if (off_[r] & kBlob) garbage_ += len_[r];
        off_.erase(off_.begin() + at, off_.begin() + at + n);
        len_.erase(len_.begin() + at, len_.begin() + at + n);
    } else if (IsString()) {
        std::vector<Entry> kept;
        kept.reserve(sparse_.size());
        for (Entry e : sparse_) {
            if (e.row >= at && e.row < at + n) {
                if (e.off & kBlob) garbage_ += e.len;
                continue;
            }
            if (e.row >= at + n) e.row -= n;
            kept.push_back(e);
        }
        sparse_ = std::move(kept);
    } else if (type_ == Type::View) {
        subs_.erase(subs_.begin() + at, subs_.begin() + at + n);
    } else if (!(lazy_ && width_ == 0)) {
        Materialize();
        size_t elem = IsWide() ? 8 : 4;
        mem_.erase(mem_.begin() + elem * at, mem_.begin() + elem * (at + n));
    }
    rows_ -= n;
    dirty = true;
}

Table::Table(std::vector<Field> f) : fields(std::move(f)), version(NextVersion()) {
    for (const Field& fd : fields) cols.emplace_back(fd.type, 0);
}

void Table::Touch() { version = NextVersion(); }

int Table::Find(std::string_view name) const {
    for (size_t i = 0; i < fields.size(); ++i)
        if (SameName(fields[i].name, name)) return static_cast<int>(i);
    return -1;
}

void Table::AddColumn(const Field& f) {
    fields.push_back(f);
    cols.emplace_back(f.type, rows);
    Touch();
}

uint32_t Table::MaxRows() const {
    // Counts are 32-bit signed in the file; a subview column takes two bytes a row
    // in a file of at most 2 GiB.
    for (const Column& c : cols)
        if (c.type() == Type::View) return (uint32_t(1) << 30) - 1;
    return uint32_t(INT32_MAX);
}

bool Table::InsertRows(uint32_t at, uint32_t n) {
    if (n == 0) return true;
    if (n > uint32_t(INT32_MAX) - rows || (rows + n > (uint32_t(1) << 30) - 1 && rows + n > MaxRows())) return false;
    if (at > rows) at = rows;
    size_t done = 0;
    try {
        for (; done < cols.size(); ++done) cols[done].Insert(at, n);
    } catch (const std::bad_alloc&) {
        for (size_t c = 0; c < done; ++c) cols[c].Erase(at, n);
        return false;
    }
    rows += n;
    return true;
}

void Table::RemoveRows(uint32_t at, uint32_t n) {
    if (at >= rows || n == 0) return;
    if (n > rows - at) n = rows - at;
    for (Column& c : cols) c.Erase(at, n);
    rows -= n;
}

bool Table::Resize(uint32_t n) {
    if (n > rows) return InsertRows(rows, n - rows);
    RemoveRows(n, rows - n);
    return true;
}

std::vector<Field> Table::SubLayout(int c) const {
    const Field& f = fields[static_cast<size_t>(c)];
    return f.recursive ? fields : f.subfields;
}

Table& Table::SubAt(uint32_t r, int c) {
    Column& col = cols[static_cast<size_t>(c)];
    // An absent and an empty subview are written alike: creating one changes nothing.
    if (!col.Sub(r)) col.SetSub(r, std::make_shared<Table>(SubLayout(c)));
    return *col.Sub(r);
}

}  // namespace mk::detail
