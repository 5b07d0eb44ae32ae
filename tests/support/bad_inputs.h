#pragma once
// The catalogue of bad inputs every typed value is tried with: for a value rule, the
// texts of the catalogue that the rule must refuse.
#include <string>
#include <vector>

#include "store/value_rules.h"

namespace testsupport {

inline std::vector<std::string> BadInputs(const store::ValueRule& r) {
    std::vector<std::string> out;
    if (r.maxLength > 0) out.push_back(std::string(static_cast<std::size_t>(r.maxLength) + 1, '7'));
    if (!r.mayBeEmpty) out.insert(out.end(), {"", "   "});
    if (r.kind == store::ValueKind::Text) {
        out.push_back("\xC5\x81");  // 'Ł': no byte of Windows-1252 holds it
        if (r.digits) out.push_back("12a");
        return out;
    }
    out.insert(out.end(), {"abc", "nan", "inf", "-inf", "1e400", "-1", "99999999999", "12 units", "0x1A"});
    if (r.min > 0 || r.minOpen) out.push_back("0");
    if (r.kind == store::ValueKind::Whole) out.push_back("2.5");
    return out;
}

}  // namespace testsupport
