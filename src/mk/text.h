#pragma once
// Text cells through the installed text codec (see mk::TextCodec).
#include <string>
#include <string_view>

#include "mk/table.h"

namespace mk::detail {

// Stored bytes of a text cell as the program's text.
std::string ShownText(std::string stored);
// Row r of text column c takes the program's text; a number column converts it.
void StoreText(Table& t, uint32_t r, int c, std::string_view text);
// Rows [0, n) of a column take the texts, as SetTexts does.
void StoreTexts(Column& col, const std::string_view* texts, uint32_t n);

}  // namespace mk::detail
