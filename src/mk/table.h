#pragma once
// In-memory tables. Columns decode lazily from the loaded file image until they are
// changed, so a freshly opened storage costs little more than its file; strings are
// kept as (offset, length) pairs into the image or into one append-only buffer.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mk/mk.h"

namespace mk::detail {

using Image = std::vector<uint8_t>;

// The generation of the state a file is opened at; later commits count up from it.
inline constexpr uint64_t kLoadedGen = 1;

struct Ref {
    uint32_t pos = 0;  // relative to the header
    uint32_t size = 0;
    bool operator==(const Ref&) const = default;
};

// Where a column lives in a committed file.
struct Blocks {
    Ref data, sizes, items;  // V: data is the subview block
    std::vector<Ref> memos;  // items stored apart
};

struct Table;

class Column {
public:
    Column(Type type, uint32_t rows);

    Type type() const { return type_; }
    uint32_t rows() const { return rows_; }

    // Numbers. I and L give the integer, F and D their IEEE bit pattern.
    uint64_t Raw(uint32_t r) const;
    void SetRaw(uint32_t r, uint64_t v);
    void SetNumSource(std::shared_ptr<const Image> img, const uint8_t* p, int width, bool big);

    // S and B: the item as stored (S with its terminating zero).
    std::string_view Item(uint32_t r) const;
    std::string_view Text(uint32_t r) const;  // S without terminator, up to a zero byte
    void SetItem(uint32_t r, std::string_view raw) { Assign(r, raw, false); }
    // S: stores the text with its terminating zero (an empty text takes no bytes).
    void SetText(uint32_t r, std::string_view text) { Assign(r, text, !text.empty()); }
    // Points row r at bytes of the image (loading only).
    void SetItemSource(uint32_t r, uint32_t offset, uint32_t len) {
        if (!dense_) return SetSparseSource(r, offset, len);
        off_[r] = offset;
        len_[r] = len;
    }
    void SetImage(std::shared_ptr<const Image> img) { img_ = std::move(img); }
    // A string column keeps only its non-empty rows until they are many, so a column
    // of empty cells costs nothing however many rows it has.
    bool Sparse() const { return !dense_; }
    size_t SparseCount() const { return sparse_.size(); }
    uint32_t SparseRow(size_t i) const { return sparse_[i].row; }
    void MakeDense();
    // Numbers: true when every row holds zero without any storage.
    bool AllZero() const { return lazy_ && width_ == 0; }
    // Numbers held in memory (4 or 8 bytes a row, host order); null while they are
    // still read from the file image.
    const uint8_t* Memory() const { return lazy_ ? nullptr : mem_.data(); }
    // Numbers: rows [0, n) take n values of the column's width (4 or 8 bytes), host order.
    void SetRawRun(const void* values, uint32_t n);
    // S: rows [0, n) take the texts, each cut at its first zero byte.
    void SetTexts(const std::string_view* texts, uint32_t n);
    // S and B: fn(row, item) for every row in order, empty items included.
    template <class Fn>
    void ForEachItem(Fn fn) const {
        if (dense_) {
            for (uint32_t r = 0; r < rows_; ++r) fn(r, Bytes(off_[r], len_[r]));
            return;
        }
        size_t next = 0;
        for (uint32_t r = 0; r < rows_; ++r) {
            if (next < sparse_.size() && sparse_[next].row == r) {
                fn(r, Bytes(sparse_[next].off, sparse_[next].len));
                ++next;
            } else {
                fn(r, std::string_view());
            }
        }
    }

    // V: one table per row; null reads as an empty subview.
    const std::shared_ptr<Table>& Sub(uint32_t r) const { return subs_[r]; }
    void SetSub(uint32_t r, std::shared_ptr<Table> t) { subs_[r] = std::move(t); }

    void Insert(uint32_t at, uint32_t n);
    void Erase(uint32_t at, uint32_t n);

    bool IsString() const { return type_ == Type::String || type_ == Type::Bytes; }
    bool IsWide() const { return type_ == Type::Long || type_ == Type::Double; }

    Blocks cur, pend;           // committed blocks, and those of a commit in progress
    std::string vblock, pendV;  // V: bytes of the committed subview block
    bool dirty = true;
    // The committed state (Committed::gen) that `cur` belongs to; blocks of an older
    // state may have been freed and reused, so only these are compared with.
    uint64_t curGen = 0;
    std::string refused;  // why a text set since the last commit had no stored form

private:
    void Assign(uint32_t r, std::string_view bytes, bool terminate);
    void Materialize();
    void CompactBlob();

    Type type_;
    uint32_t rows_;
    std::shared_ptr<const Image> img_;
    // numbers: from the image while lazy_, else from mem_ (4 or 8 bytes per row)
    bool lazy_ = true;
    const uint8_t* src_ = nullptr;
    int width_ = 0;
    bool big_ = false;
    std::vector<uint8_t> mem_;
    // strings: kBlob in an offset means the bytes are in blob_
    static constexpr uint32_t kBlob = 0x80000000u;
    struct Entry {
        uint32_t row, off, len;
    };
    Entry* FindSparse(uint32_t r);
    void SetSparseSource(uint32_t r, uint32_t offset, uint32_t len);
    const Entry* FindSparse(uint32_t r) const { return const_cast<Column*>(this)->FindSparse(r); }
    std::string_view Bytes(uint32_t off, uint32_t len) const;
    bool dense_ = false;
    std::vector<uint32_t> off_, len_;  // dense: one per row
    std::vector<Entry> sparse_;        // sparse: the non-empty rows, by row
    std::string blob_;
    size_t garbage_ = 0;
    std::vector<std::shared_ptr<Table>> subs_;
};

struct Table {
    std::vector<Field> fields;  // the stored layout
    std::vector<Column> cols;
    uint32_t rows = 0;
    uint64_t version;  // changes whenever the layout changes

    explicit Table(std::vector<Field> f);
    void Touch();  // a layout change
    int Find(std::string_view name) const;
    void AddColumn(const Field& f);
    // Refused (false, nothing changed) past the rows a file can hold or when memory
    // runs out.
    bool InsertRows(uint32_t at, uint32_t n);
    void RemoveRows(uint32_t at, uint32_t n);
    bool Resize(uint32_t n);
    uint32_t MaxRows() const;
    // The layout of a new subview instance in column c.
    std::vector<Field> SubLayout(int c) const;
    // The subview table of row r, created when absent.
    Table& SubAt(uint32_t r, int c);
};

}  // namespace mk::detail
