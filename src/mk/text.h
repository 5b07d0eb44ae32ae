#pragma once
// Text cells through the installed text codec (see mk::TextCodec).
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "mk/table.h"

namespace mk::detail {

extern const TextCodec* g_textCodec;

// Eight bytes at a time: the text cells of a large table are read by the hundred
// thousand, nearly all of them plain ASCII.
inline bool HasHighByte(std::string_view s) {
    size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
        if (w & 0x8080808080808080ull) return true;
    }
    for (; i < s.size(); ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80) return true;
    return false;
}

// Stored bytes of a text cell as the program's text.
inline std::string ShownText(std::string_view stored) {
    if (g_textCodec && HasHighByte(stored)) return g_textCodec->decode(stored);
    return std::string(stored);
}

// Row r of text column c takes the program's text; a number column converts it.
void StoreText(Table& t, uint32_t r, int c, std::string_view text);
// Rows [0, n) of a column take the texts, as SetTexts does.
void StoreTexts(Column& col, const std::string_view* texts, uint32_t n);

}  // namespace mk::detail
