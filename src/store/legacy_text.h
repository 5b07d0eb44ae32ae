#pragma once
// Cruise and setup files that earlier versions of this program wrote keep their text
// as UTF-8, which the Windows programs sharing the files show garbled ("ForÃªt").
// Such a file is recognised when it is opened and, if the forester agrees, its text
// is converted once to Windows-1252, after a backup copy.
//
// A file counts as written that way when every text cell holding a byte >= 0x80 is
// well-formed UTF-8 and at least one of them has a Windows-1252 form. Windows-1252
// text is well-formed UTF-8 only where a letter from C2-EF is followed by signs from
// 80-BF ("Ã©", "ß€"), which names and remarks hardly hold; so one text that is not
// well-formed UTF-8 marks the whole file as Windows-1252, and a file is not offered
// again once converted, or once the forester has declined and stored such a text.
#include <string>
#include <vector>

#include "mk/mk.h"
#include "ui/ui_port.h"

namespace store {

struct Utf8TextFound {
    bool utf8 = false;     // the file's text is UTF-8 by the rule above
    std::string example;   // the first text to convert, as the program shows it after conversion
};

Utf8TextFound FindUtf8Text(mk::Storage& storage);

// Re-encodes every UTF-8 text cell as Windows-1252. A text holding a character that
// Windows-1252 has none for stays as it was and is listed in `kept`. Not committed;
// returns the number of cells converted.
int ConvertUtf8Text(mk::Storage& storage, std::vector<std::string>* kept = nullptr);

// The offer on a file that passed the checks: 0 when it may be used (converted,
// declined or nothing to convert), -1 when the conversion was wanted but failed
// (reported; the file is as it was).
int OfferTextConversion(ui::UiPort& ui, const std::string& path);

}  // namespace store
