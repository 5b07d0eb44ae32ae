#include "mk/table.h"

#include <cstring>

#include "mk/codec.h"

namespace mk::detail {

namespace {
uint64_t NextVersion() {
    static uint64_t counter = 0;
    return ++counter;
}
}  // namespace

Column::Column(Type type, uint32_t rows) : type_(type), rows_(rows) {
    if (IsString()) {
        off_.assign(rows, 0);
        len_.assign(rows, 0);
    } else if (type_ == Type::View) {
        subs_.resize(rows);
    }
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
    std::vector<uint8_t> mem(elem * rows_);
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

std::string_view Column::Item(uint32_t r) const {
    if (r >= rows_ || !IsString() || len_[r] == 0) return {};
    uint32_t o = off_[r];
    if (o & kBlob) return std::string_view(blob_).substr(o & ~kBlob, len_[r]);
    return std::string_view(reinterpret_cast<const char*>(img_->data()) + o, len_[r]);
}

std::string_view Column::Text(uint32_t r) const {
    std::string_view raw = Item(r);
    if (type_ != Type::String || raw.empty()) return raw;
    const void* z = std::memchr(raw.data(), 0, raw.size());
    return z ? raw.substr(0, static_cast<const char*>(z) - raw.data()) : raw;
}

void Column::SetItem(uint32_t r, std::string_view raw) {
    if (r >= rows_ || !IsString()) return;
    if ((off_[r] & kBlob) && len_[r]) garbage_ += len_[r];
    off_[r] = static_cast<uint32_t>(blob_.size()) | kBlob;
    len_[r] = static_cast<uint32_t>(raw.size());
    blob_.append(raw);
    dirty = true;
    if (garbage_ > 65536 && garbage_ > blob_.size() / 2) CompactBlob();
}

void Column::CompactBlob() {
    std::string fresh;
    fresh.reserve(blob_.size() - garbage_);
    for (uint32_t r = 0; r < rows_; ++r) {
        if (!(off_[r] & kBlob)) continue;
        uint32_t at = static_cast<uint32_t>(fresh.size());
        fresh.append(blob_, off_[r] & ~kBlob, len_[r]);
        off_[r] = at | kBlob;
    }
    blob_ = std::move(fresh);
    garbage_ = 0;
}

void Column::Insert(uint32_t at, uint32_t n) {
    if (at > rows_) at = rows_;
    if (IsString()) {
        off_.insert(off_.begin() + at, n, 0);
        len_.insert(len_.begin() + at, n, 0);
    } else if (type_ == Type::View) {
        subs_.insert(subs_.begin() + at, n, nullptr);
    } else if (lazy_ && width_ == 0) {
        // all zero before and after
    } else {
        Materialize();
        size_t elem = IsWide() ? 8 : 4;
        mem_.insert(mem_.begin() + elem * at, elem * n, 0);
    }
    rows_ += n;
    dirty = true;
}

void Column::Erase(uint32_t at, uint32_t n) {
    if (at >= rows_) return;
    if (n > rows_ - at) n = rows_ - at;
    if (IsString()) {
        for (uint32_t r = at; r < at + n; ++r)
            if (off_[r] & kBlob) garbage_ += len_[r];
        off_.erase(off_.begin() + at, off_.begin() + at + n);
        len_.erase(len_.begin() + at, len_.begin() + at + n);
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

void Table::InsertRows(uint32_t at, uint32_t n) {
    if (n == 0) return;
    if (at > rows) at = rows;
    for (Column& c : cols) c.Insert(at, n);
    rows += n;
}

void Table::RemoveRows(uint32_t at, uint32_t n) {
    if (at >= rows || n == 0) return;
    if (n > rows - at) n = rows - at;
    for (Column& c : cols) c.Erase(at, n);
    rows -= n;
}

void Table::Resize(uint32_t n) {
    if (n > rows) InsertRows(rows, n - rows);
    else RemoveRows(n, rows - n);
}

std::vector<Field> Table::SubLayout(int c) const {
    const Field& f = fields[static_cast<size_t>(c)];
    return f.recursive ? fields : f.subfields;
}

Table& Table::SubAt(uint32_t r, int c) {
    Column& col = cols[static_cast<size_t>(c)];
    if (!col.Sub(r)) {
        col.SetSub(r, std::make_shared<Table>(SubLayout(c)));
        col.dirty = true;
    }
    return *col.Sub(r);
}

}  // namespace mk::detail
