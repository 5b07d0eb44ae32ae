#pragma once
// Byte-level encodings of the file format: varints, adaptive integer vectors and
// fixed-width numbers in either byte order.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace mk::detail {

// Reads varints from a byte range; any read past the end sets `failed` and yields 0,
// so callers check once at the end of a group.
class Cursor {
public:
    Cursor(const uint8_t* p, size_t n) : p_(p), end_(p + n) {}
    int64_t Varint();
    bool AtEnd() const { return p_ == end_; }
    size_t Left() const { return static_cast<size_t>(end_ - p_); }
    const uint8_t* Take(size_t n);  // nullptr when fewer than n bytes are left
    bool failed = false;

private:
    const uint8_t* p_;
    const uint8_t* end_;
};

void PutVarint(std::string& out, int64_t v);

// Width in bits of an adaptive vector of `rows` entries stored in `size` bytes;
// -1 when no valid width fits.
int WidthFor(uint32_t size, uint32_t rows);
// Bits needed for every value seen (0, 1, 2, 4, 8, 16 or 32).
int WidthOfRange(int64_t lo, int64_t hi);
// Bytes an adaptive vector takes, with the padded sizes of 1-4 row sub-byte vectors.
size_t AdaptiveSize(int width, uint32_t rows);
// Entry `i` of an adaptive vector; 8/16/32-bit entries are sign-extended.
int32_t GetAdaptive(const uint8_t* p, int width, bool big, uint32_t i);
// Appends an adaptive vector of `rows` values produced by get(i).
template <class Get>
void PutAdaptive(std::string& out, int width, bool big, uint32_t rows, Get get);

uint32_t Load32(const uint8_t* p, bool big);
uint64_t Load64(const uint8_t* p, bool big);
uint16_t Load16(const uint8_t* p, bool big);
void Put32(std::string& out, uint32_t v, bool big);
void Put64(std::string& out, uint64_t v, bool big);
void Store64(uint8_t* p, uint64_t v, bool big);
uint32_t LoadBE32(const uint8_t* p);
void StoreBE32(uint8_t* p, uint32_t v);

template <class Get>
void PutAdaptive(std::string& out, int width, bool big, uint32_t rows, Get get) {
    size_t start = out.size();
    out.resize(start + AdaptiveSize(width, rows), '\0');
    auto* p = reinterpret_cast<uint8_t*>(out.data() + start);
    for (uint32_t i = 0; i < rows; ++i) {
        uint32_t v = static_cast<uint32_t>(get(i));
        switch (width) {
        case 0: break;
        case 1: p[i >> 3] |= static_cast<uint8_t>((v & 1u) << (i & 7)); break;
        case 2: p[i >> 2] |= static_cast<uint8_t>((v & 3u) << (2 * (i & 3))); break;
        case 4: p[i >> 1] |= static_cast<uint8_t>((v & 15u) << (4 * (i & 1))); break;
        case 8: p[i] = static_cast<uint8_t>(v); break;
        case 16:
            p[2 * i + (big ? 1 : 0)] = static_cast<uint8_t>(v);
            p[2 * i + (big ? 0 : 1)] = static_cast<uint8_t>(v >> 8);
            break;
        default:
            for (int b = 0; b < 4; ++b)
                p[4 * i + (big ? 3 - b : b)] = static_cast<uint8_t>(v >> (8 * b));
        }
    }
}

}  // namespace mk::detail
