#include "mk/codec.h"

namespace mk::detail {

const uint8_t* Cursor::Take(size_t n) {
    if (Left() < n) {
        failed = true;
        p_ = end_;
        return nullptr;
    }
    const uint8_t* at = p_;
    p_ += n;
    return at;
}

int64_t Cursor::Varint() {
    bool negative = false;
    if (p_ < end_ && *p_ == 0) {
        negative = true;
        ++p_;
    }
    uint64_t v = 0;
    for (int n = 0;; ++n) {
        if (p_ == end_ || n > 5) {  // a 32-bit value never needs more than 5 groups
            failed = true;
            return 0;
        }
        uint8_t b = *p_++;
        v = (v << 7) | (b & 0x7Fu);
        if (b & 0x80) break;
    }
    if (v > 0xFFFFFFFFu) {
        failed = true;
        return 0;
    }
    auto s = static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(v)));
    return negative ? ~s : s;
}

void PutVarint(std::string& out, int64_t v) {
    if (v < 0) {
        out.push_back('\0');
        v = ~v;
    }
    uint8_t buf[10];
    int n = 0;
    do {
        buf[n++] = static_cast<uint8_t>(v & 0x7F);
        v >>= 7;
    } while (v > 0);
    buf[0] |= 0x80;
    while (n > 0) out.push_back(static_cast<char>(buf[--n]));
}

int WidthFor(uint32_t size, uint32_t rows) {
    if (size == 0) return 0;
    if (rows == 0) return -1;
    static const signed char kSmall[7][6] = {
        {8, 16, 1, 32, 2, 4}, {4, 8, 1, 16, 2, -1}, {2, 4, 8, 1, -1, 16}, {2, 4, -1, 8, 1, -1},
        {1, 2, 4, -1, 8, -1}, {1, 2, 4, -1, -1, 8},  {1, 2, -1, 4, -1, -1},
    };
    if (rows <= 7 && size <= 6) return kSmall[rows - 1][size - 1];
    uint64_t w = (static_cast<uint64_t>(size) * 8) / rows;
    switch (w) {
    case 1: case 2: case 4: case 8: case 16: case 32: case 64: return static_cast<int>(w);
    default: return -1;
    }
}

int WidthOfRange(int64_t lo, int64_t hi) {
    if (lo >= 0) {
        if (hi == 0) return 0;
        if (hi <= 1) return 1;
        if (hi <= 3) return 2;
        if (hi <= 15) return 4;
    }
    if (lo >= -128 && hi <= 127) return 8;
    if (lo >= -32768 && hi <= 32767) return 16;
    return 32;
}

size_t AdaptiveSize(int width, uint32_t rows) {
    if (width == 0 || rows == 0) return 0;
    if (rows <= 4 && width < 8) {
        static const unsigned char kPadded[3][4] = {{3, 3, 4, 5}, {5, 5, 1, 1}, {6, 1, 2, 2}};
        int idx = width == 1 ? 0 : width == 2 ? 1 : 2;
        return kPadded[idx][rows - 1];
    }
    return (static_cast<size_t>(rows) * static_cast<size_t>(width) + 7) / 8;
}

uint16_t Load16(const uint8_t* p, bool big) {
    return big ? static_cast<uint16_t>((p[0] << 8) | p[1]) : static_cast<uint16_t>((p[1] << 8) | p[0]);
}

uint32_t Load32(const uint8_t* p, bool big) {
    uint32_t v = 0;
    for (int b = 0; b < 4; ++b) v |= static_cast<uint32_t>(p[big ? 3 - b : b]) << (8 * b);
    return v;
}

uint64_t Load64(const uint8_t* p, bool big) {
    uint64_t v = 0;
    for (int b = 0; b < 8; ++b) v |= static_cast<uint64_t>(p[big ? 7 - b : b]) << (8 * b);
    return v;
}

int32_t GetAdaptive(const uint8_t* p, int width, bool big, uint32_t i) {
    switch (width) {
    case 0: return 0;
    case 1: return (p[i >> 3] >> (i & 7)) & 1;
    case 2: return (p[i >> 2] >> (2 * (i & 3))) & 3;
    case 4: return (p[i >> 1] >> (4 * (i & 1))) & 15;
    case 8: return static_cast<int8_t>(p[i]);
    case 16: return static_cast<int16_t>(Load16(p + 2 * i, big));
    case 32: return static_cast<int32_t>(Load32(p + 4 * i, big));
    default:  // 64-bit entries: the low half, as the library reads them
        return static_cast<int32_t>(static_cast<uint32_t>(Load64(p + 8 * i, big)));
    }
}

void Put32(std::string& out, uint32_t v, bool big) {
    char b[4];
    for (int i = 0; i < 4; ++i) b[i] = static_cast<char>(v >> (8 * (big ? 3 - i : i)));
    out.append(b, 4);
}

void Put64(std::string& out, uint64_t v, bool big) {
    char b[8];
    for (int i = 0; i < 8; ++i) b[i] = static_cast<char>(v >> (8 * (big ? 7 - i : i)));
    out.append(b, 8);
}

void Store64(uint8_t* p, uint64_t v, bool big) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * (big ? 7 - i : i)));
}

uint32_t LoadBE32(const uint8_t* p) { return Load32(p, true); }

void StoreBE32(uint8_t* p, uint32_t v) {
    for (int b = 0; b < 4; ++b) p[b] = static_cast<uint8_t>(v >> (8 * (3 - b)));
}

}  // namespace mk::detail
