#include "setup/sample_groups_ops.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <tuple>

#include "store/cruise_store.h"

namespace setup {

const std::vector<std::string>& SampleGroupLetters() {
    static const std::vector<std::string> letters = [] {
        std::vector<std::string> v;
        for (char c = 'A'; c <= 'Z'; ++c)
            if (c != 'I' && c != 'O') v.emplace_back(1, c);
        return v;
    }();
    return letters;
}

std::optional<std::string> NextFreeLetter(const std::vector<std::string>& used) {
    for (const std::string& l : SampleGroupLetters())
        if (std::find(used.begin(), used.end(), l) == used.end()) return l;
    return std::nullopt;
}

bool ParseSgKeys(const std::string& text, SgKeys& keys, std::string& error) {
    keys = {};
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        std::string w = store::Trim(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        start = comma == std::string::npos ? text.size() + 1 : comma + 1;
        if (w.empty()) continue;
        if (w == "species") keys.species = true;
        else if (w == "product" || w == "prod") keys.prod = true;
        else if (w == "ld") keys.ld = true;
        else {
            error = "unknown key '" + w + "' (species, product, ld)";
            return false;
        }
    }
    return true;
}

namespace {

using Combo = std::tuple<std::string, std::string, std::string>;

Combo ComboOf(const SumRow& r, const SgKeys& k) {
    return {k.species ? r[kSpecies] : "", k.prod ? r[kProd] : "", k.ld ? r[kLD] : ""};
}

// One side's plan for one stratum: the combinations that get a letter, in order.
struct Plan {
    std::string stratum;
    Col column;
    std::vector<std::vector<size_t>> groups;  // rows per new letter, combination order
    std::set<std::string> used;
};

}  // namespace

bool QuickSampleGroups(ui::UiPort& ui, std::vector<SumRow>& rows, const SgKeys& tree,
                       const SgKeys& plot, bool all_strata, const std::string& stratum) {
    if (!all_strata && stratum.empty()) {
        ui.MessageBox("Information", kNoStratumText, ui::Icon::Information);
        return false;
    }
    // Rows grouped by stratum once.
    std::map<std::string, std::vector<size_t>> by_stratum;
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::string& s = rows[i][kStratum];
        if (s.empty() || (!all_strata && s != stratum)) continue;
        by_stratum[s].push_back(i);
    }
    std::vector<Plan> plans;
    for (auto [keys, col] : {std::pair{tree, kSgTree}, std::pair{plot, kSgPlot}}) {
        if (!keys.Any()) continue;
        for (const auto& [s, members] : by_stratum) {
            Plan p{s, col, {}, {}};
            std::map<Combo, std::vector<size_t>> open;
            for (size_t i : members) {
                p.used.insert(rows[i][col]);
                if (rows[i][col].empty()) open[ComboOf(rows[i], keys)].push_back(i);
            }
            for (auto& [combo, list] : open) p.groups.push_back(std::move(list));
            if (!p.groups.empty()) plans.push_back(std::move(p));
        }
    }
    // Counted before anything changes.
    for (const Plan& p : plans) {
        int free = 0;
        for (const std::string& l : SampleGroupLetters()) free += p.used.count(l) ? 0 : 1;
        if (static_cast<int>(p.groups.size()) > free) {
            ui.MessageBox("Warning",
                          "Stratum " + p.stratum + " needs " + std::to_string(p.groups.size()) + " new " +
                              (p.column == kSgTree ? "tree" : "plot") + " based sample group codes, but only " +
                              std::to_string(free) + " of the 24 letters are free.\n\nNo sample groups were assigned.",
                          ui::Icon::Exclamation);
            return false;
        }
    }
    bool changed = false;
    for (Plan& p : plans) {
        for (const auto& group : p.groups) {
            std::string letter;
            for (const std::string& l : SampleGroupLetters())
                if (!p.used.count(l)) {
                    letter = l;
                    break;
                }
            p.used.insert(letter);
            for (size_t i : group) {
                rows[i][p.column] = letter;
                rows[i][kModify] = "Y";
            }
            changed = true;
        }
    }
    return changed;
}

int DeleteSampleGroups(std::vector<SumRow>& rows, const std::string& stratum, bool all) {
    int touched = 0;
    for (int i = static_cast<int>(rows.size()) - 1; i >= 0; --i) {
        SumRow& r = rows[i];
        if (!all && r[kStratum] != stratum) continue;
        ++touched;
        if (r[kDiaFlag] == kFlagSg) {
            rows.erase(rows.begin() + i);
            continue;
        }
        if (r.StrLevel()) {
            r[kSgTree].clear();
            r[kSgPlot].clear();
        } else {
            for (Col c : {kSgTree, kSgPlot, kDiaFlag, kDMin, kDMax}) r[c].clear();
        }
        r[kModify] = "Y";
    }
    return touched;
}

namespace {

// Splits the rows picked by `pick` at sample-group level in one pass; rows flagged at
// stratum level are never split (the two levels exclude each other). Returns the new
// position of `current`.
bool SplitWhere(std::vector<SumRow>& rows, int& current, const std::vector<DiameterRange>& ranges,
                bool keep_stratum, const std::function<bool(const SumRow&)>& pick) {
    std::vector<SumRow> out;
    out.reserve(rows.size() + ranges.size());
    bool changed = false;
    int new_current = -1;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (static_cast<int>(i) == current) new_current = static_cast<int>(out.size());
        if (!rows[i].StrLevel() && pick(rows[i])) {
            std::vector<SumRow> one{rows[i]};
            SplitRow(one, 0, ranges, SplitLevel::SampleGroup, keep_stratum);
            out.insert(out.end(), one.begin(), one.end());
            changed = true;
        } else {
            out.push_back(rows[i]);
        }
    }
    rows.swap(out);
    if (new_current >= 0) current = new_current;
    return changed;
}

}  // namespace

bool ApplyQuickSgRanges(ui::UiPort& ui, std::vector<SumRow>& rows, int& current, RangeScope scope,
                        const std::vector<DiameterRange>& ranges) {
    if (ranges.empty()) {
        ui.MessageBox("Warning", kNoRangesText, ui::Icon::Exclamation);
        return false;
    }
    if (current < 0 || current >= static_cast<int>(rows.size())) return false;
    if (rows[current][kStratum].empty()) {
        ui.MessageBox("Information", kNoStratumText, ui::Icon::Information);
        return false;
    }
    if (rows[current].StrLevel()) {
        ui.MessageBox("Information", kSgStratumClassText, ui::Icon::Information);
        return false;
    }
    const std::string stratum = rows[current][kStratum];
    switch (scope) {
    case RangeScope::SelectedRow:
        if (rows[current].SgLevel()) current = MergeBackSampleGroupSplit(rows, current);
        SplitRow(rows, current, ranges, SplitLevel::SampleGroup, true);
        return true;
    case RangeScope::Stratum:
        DeleteSampleGroups(rows, stratum, false);
        current = std::min(current, static_cast<int>(rows.size()) - 1);
        SplitWhere(rows, current, ranges, true,
                   [&](const SumRow& r) { return r[kStratum] == stratum && r[kSgTree].empty(); });
        return true;
    case RangeScope::AllRows:
        DeleteSampleGroups(rows, "", true);
        current = std::min(current, static_cast<int>(rows.size()) - 1);
        SplitWhere(rows, current, ranges, true,
                   [&](const SumRow& r) { return !r[kStratum].empty() && r[kSgTree].empty(); });
        return true;
    }
    return false;
}

bool CanDefineSgRanges(ui::UiPort& ui, const std::vector<SumRow>& rows) {
    for (const SumRow& r : rows) {
        if (r.StrLevel()) {
            ui.MessageBox("Warning", kStrataLevelText, ui::Icon::Exclamation);
            return false;
        }
    }
    return true;
}

bool ApplyGridSgRanges(ui::UiPort& ui, std::vector<SumRow>& rows, int& current, RangeScope scope,
                       const std::vector<DiameterRange>& ranges, bool by_stratum) {
    if (ranges.empty()) {
        ui.MessageBox("Warning", kNoRangesText, ui::Icon::Exclamation);
        return false;
    }
    if (current < 0 || current >= static_cast<int>(rows.size())) return false;
    if (scope == RangeScope::SelectedRow) {
        if (rows[current].SgLevel()) {
            ui.MessageBox("Warning", kSgRowDefinedText, ui::Icon::Exclamation);
            return false;
        }
        if (rows[current].StrLevel()) {
            ui.MessageBox("Warning", kStrataLevelText, ui::Icon::Exclamation);
            return false;
        }
        SplitRow(rows, current, ranges, SplitLevel::SampleGroup, true);
        return true;
    }
    const std::string stratum = rows[current][kStratum];
    const bool one_stratum = by_stratum && scope == RangeScope::Stratum;
    return SplitWhere(rows, current, ranges, true, [&](const SumRow& r) {
        return !r.SgLevel() && (!one_stratum || r[kStratum] == stratum);
    });
}

bool HasSgRanges(ui::UiPort& ui, const std::vector<SumRow>& rows) {
    for (const SumRow& r : rows)
        if (r.SgLevel()) return true;
    ui.MessageBox("Warning", kNoSgClassesText, ui::Icon::Exclamation);
    return false;
}

int RemoveSgRanges(std::vector<SumRow>& rows, int current, bool all) {
    if (!all && (current < 0 || current >= static_cast<int>(rows.size()))) return 0;
    const SumRow key = all ? SumRow{} : rows[current];
    int touched = 0;
    for (int i = static_cast<int>(rows.size()) - 1; i >= 0; --i) {
        SumRow& r = rows[i];
        if (!all && (r[kSpecies] != key[kSpecies] || r[kProd] != key[kProd] || r[kLD] != key[kLD])) continue;
        if (r[kDiaFlag] == kFlagSg) {
            rows.erase(rows.begin() + i);
            ++touched;
        } else if (r[kDiaFlag] == kFlagSg1) {
            for (Col c : {kSgTree, kDiaFlag, kDMin, kDMax}) r[c].clear();
            r[kModify] = "Y";
            ++touched;
        }
    }
    return touched;
}

std::vector<std::string> SortChoices(bool summary) {
    std::vector<std::string> v = {"SgTree", "SgPlot", "Species", "Prod", "L/D", "DMin", "DMax"};
    if (summary) v.insert(v.end(), {"Stratum", "CutUnit"});
    return v;
}

void SortRows(std::vector<SumRow>& rows, const std::vector<std::string>& columns) {
    std::vector<Col> cols;
    for (const std::string& name : columns)
        for (int c = 0; c < kColCount; ++c)
            if (name == kColNames[c]) cols.push_back(static_cast<Col>(c));
    if (cols.empty()) return;
    // NaN would break the ordering, so only plain finite numbers sort as numbers.
    auto number = [](const std::string& t, double& v) { return store::WholeNumber(t, v); };
    std::stable_sort(rows.begin(), rows.end(), [&](const SumRow& a, const SumRow& b) {
        for (Col c : cols) {
            if (c == kDMin || c == kDMax) {
                double x = 0, y = 0;
                const bool nx = number(a[c], x), ny = number(b[c], y);
                // Blank (no range) before any number.
                if (nx != ny) return !nx;
                if (nx && x != y) return x < y;
                if (nx) continue;
            }
            if (a[c] != b[c]) return a[c] < b[c];
        }
        return false;
    });
}

}  // namespace setup
