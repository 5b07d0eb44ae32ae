#include "mk/text.h"

#include <deque>

#include "mk/convert.h"

namespace mk {

void SetTextCodec(const TextCodec* codec) { detail::g_textCodec = codec; }

namespace detail {

const TextCodec* g_textCodec = nullptr;

namespace {

std::string_view UpToZero(std::string_view s) { return s.substr(0, s.find('\0')); }

}  // namespace

void StoreText(Table& t, uint32_t r, int c, std::string_view text) {
    Column& col = t.cols[static_cast<size_t>(c)];
    if (!g_textCodec || col.type() != Type::String || !HasHighByte(text)) return SetCellString(t, r, c, text);
    text = UpToZero(text);
    std::string stored, reason;
    if (g_textCodec->encode(text, stored, reason)) return SetCellString(t, r, c, stored);
    // Bytes with no text form (shown as a replacement mark) stay as they are when
    // the text written back is the one shown.
    if (ShownText(col.Text(r)) == text) return;
    if (col.refused.empty()) col.refused = reason;
}

void StoreTexts(Column& col, const std::string_view* texts, uint32_t n) {
    n = std::min(n, col.rows());
    uint32_t first = 0;
    if (g_textCodec && col.type() == Type::String)
        while (first < n && !HasHighByte(texts[first])) ++first;
    if (first >= n || !g_textCodec || col.type() != Type::String) return col.SetTexts(texts, n);
    std::vector<std::string_view> views(texts, texts + n);
    std::deque<std::string> stored;  // stable addresses for the views
    for (uint32_t r = first; r < n; ++r) {
        if (!HasHighByte(views[r])) continue;
        std::string_view text = UpToZero(views[r]);
        std::string bytes, reason;
        if (!g_textCodec->encode(text, bytes, reason)) {
            bytes = col.Text(r);  // the cell keeps its bytes
            if (ShownText(bytes) != text && col.refused.empty()) col.refused = reason;
        }
        views[r] = stored.emplace_back(std::move(bytes));
    }
    col.SetTexts(views.data(), n);
}

}  // namespace detail
}  // namespace mk
