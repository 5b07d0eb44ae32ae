#include "design/data_warnings.h"

#include <algorithm>

namespace design {

namespace {

struct Kind {
    const char* label;
    std::string SgRow::*mark;
};

std::string StrataWithMark(const std::vector<SgRow>& rows, std::string SgRow::*mark) {
    std::vector<const std::string*> seen;
    std::string out;
    for (const SgRow& r : rows) {
        if (r.*mark != "R") continue;
        bool known = std::any_of(seen.begin(), seen.end(), [&](const std::string* s) { return *s == r.stratum; });
        if (known) continue;
        seen.push_back(&r.stratum);
        out += r.stratum + " ";
    }
    return out;
}

}  // namespace

std::string DataWarningsText(const std::vector<SgRow>& rows) {
    static const Kind kKinds[] = {
        {"Invalid CVs for Strata ", &SgRow::c},
        {"Invalid CV2s for Strata ", &SgRow::c2},
        {"Invalid Trees/Acre for Strata ", &SgRow::t},
        {"Invalid Vol/Acre for Strata ", &SgRow::v},
    };
    std::string body;
    for (const Kind& k : kKinds) {
        std::string strata = StrataWithMark(rows, k.mark);
        if (!strata.empty()) body += k.label + strata + "\r\n";
    }
    if (body.empty()) return body;
    return "Warning:  Invalid Values Found for the Following:\r\n\r\n" + body + "\r\nDo you wish to continue?";
}

bool ConfirmDataWarnings(const std::vector<SgRow>& rows, ui::UiPort& ui) {
    std::string text = DataWarningsText(rows);
    return text.empty() || ui.Question(text);
}

}  // namespace design
