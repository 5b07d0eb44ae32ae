#include "store/text_codec.h"

#include <cstdint>

namespace store {

namespace {

// Code points of the bytes 80..9F; 0 where Windows-1252 assigns none.
constexpr char32_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

char32_t Utf8CharAt(std::string_view utf8, size_t i, size_t& len) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(utf8[i + k]); };
    const unsigned char lead = b(0);
    len = 0;
    if (lead < 0x80) {
        len = 1;
        return lead;
    }
    // Overlong forms and surrogates are not well-formed either.
    size_t n = lead >= 0xF5 ? 0 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (n == 0 || i + n > utf8.size()) return 0;
    char32_t c = lead & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) {
        if ((b(k) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (b(k) & 0x3F);
    }
    if ((n == 3 && c < 0x800) || (n == 4 && (c < 0x10000 || c > 0x10FFFF)) ||
        (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    len = n;
    return c;
}

int Cp1252ByteOf(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
    for (int k = 0; k < 32; ++k)
        if (kHigh[k] != 0 && kHigh[k] == c) return 0x80 + k;
    return -1;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
    size_t ascii = 0;
    while (ascii < bytes.size() && static_cast<unsigned char>(bytes[ascii]) < 0x80) ++ascii;
    if (ascii == bytes.size()) return std::string(bytes);
    std::string out(bytes.substr(0, ascii));
    out.reserve(bytes.size() + 8);
    for (const char ch : bytes.substr(ascii)) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            out += ch;
        } else if (b < 0xA0) {
            AppendUtf8(out, kHigh[b - 0x80] ? kHigh[b - 0x80] : char32_t{0xFFFD});
        } else {
            AppendUtf8(out, b);
        }
    }
    return out;
}

bool WellFormedUtf8(std::string_view bytes) {
    for (size_t i = 0, len = 0; i < bytes.size(); i += len)
        if (Utf8CharAt(bytes, i, len), len == 0) return false;
    return true;
}

bool Utf8ToCp1252(std::string_view utf8, std::string& out, std::string* bad) {
    size_t ascii = 0;
    while (ascii < utf8.size() && static_cast<unsigned char>(utf8[ascii]) < 0x80) ++ascii;
    out.assign(utf8.substr(0, ascii));
    for (size_t i = ascii; i < utf8.size();) {
        size_t len = 0;
        const char32_t c = Utf8CharAt(utf8, i, len);
        const int byte = len ? Cp1252ByteOf(c) : -1;
        if (byte < 0) {
            if (bad) *bad = std::string(utf8.substr(i, len ? len : 1));
            return false;
        }
        out += static_cast<char>(byte);
        i += len;
    }
    return true;
}

std::string PathForFile(std::string_view utf8) {
    std::string out;
    for (size_t i = 0, len = 0; i < utf8.size(); i += len ? len : 1) {
        const char32_t c = Utf8CharAt(utf8, i, len);
        const int byte = len ? Cp1252ByteOf(c) : -1;
        if (byte < 0) out += '?';
        else AppendUtf8(out, c);
    }
    return out;
}

std::string UnstorableTextReason(std::string_view utf8) {
    std::string bytes, bad;
    if (Utf8ToCp1252(utf8, bytes, &bad)) return {};
    size_t len = 0;
    if (bad.empty() || (Utf8CharAt(bad, 0, len), len == 0))
        return "The text is not valid UTF-8 and cannot be stored in a cruise file";
    if (bad == "\xEF\xBF\xBD")  // what a byte without a character was read as
        return "'" + bad + "' (a byte of the file that is no character) cannot be stored in a cruise file";
    return "'" + bad + "' cannot be stored in a cruise file";
}

}  // namespace store
