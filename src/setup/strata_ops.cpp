#include "setup/strata_ops.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "store/cruise_store.h"

namespace setup {

std::optional<int> NextFreeStratum(const std::unordered_set<std::string>& used, int start) {
    int n = start;
    // One pass over 1-99 at most: a full set has no free number.
    for (int tries = 0; tries < kMaxStratum; ++tries) {
        int candidate = n + 1;
        if (candidate >= kMaxStratum + 1) candidate = 1;
        if (!used.count(std::to_string(candidate))) return candidate;
        n = candidate;
    }
    return std::nullopt;
}

int FreeStratumCount(const std::unordered_set<std::string>& used) {
    int free = 0;
    for (int n = 1; n <= kMaxStratum; ++n) free += used.count(std::to_string(n)) ? 0 : 1;
    return free;
}

std::unordered_set<std::string> UsedStrata(const std::vector<SumRow>& rows) {
    std::unordered_set<std::string> used;
    for (const SumRow& r : rows) used.insert(r[kStratum]);
    return used;
}

bool ParseStrataKeys(const std::string& text, StrataKeys& keys, std::string& error) {
    keys = {};
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        std::string w = store::Trim(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        start = comma == std::string::npos ? text.size() + 1 : comma + 1;
        if (w.empty()) continue;
        if (w == "unit" || w == "cutunit") keys.unit = true;
        else if (w == "species") keys.species = true;
        else if (w == "product" || w == "prod") keys.prod = true;
        else if (w == "ld") keys.ld = true;
        else {
            error = "unknown key '" + w + "' (unit, species, product, ld)";
            return false;
        }
    }
    return true;
}

namespace {

void TooFewNumbers(ui::UiPort& ui, int needed, int free) {
    ui.MessageBox("Warning",
                  "Quick Strata Setup needs " + std::to_string(needed) + " new stratum numbers, but only " +
                      std::to_string(free) + " of the numbers 1 to 99 are free.\n\nNo strata were assigned.",
                  ui::Icon::Exclamation);
}

}  // namespace

bool QuickStrata(ui::UiPort& ui, std::vector<SumRow>& rows, const StrataKeys& keys) {
    std::unordered_set<std::string> used = UsedStrata(rows);
    bool missing_unit = false;
    // The rows a number goes to, grouped once by their keys (text order).
    using Key = std::tuple<std::string, std::string, std::string, std::string>;
    std::map<Key, std::vector<size_t>> groups;
    for (size_t i = 0; i < rows.size(); ++i) {
        const SumRow& r = rows[i];
        if (!r[kStratum].empty()) continue;
        if (r[kCutUnit].empty()) {
            missing_unit = true;
            continue;
        }
        Key k{keys.unit ? r[kCutUnit] : "", keys.species ? r[kSpecies] : "", keys.prod ? r[kProd] : "",
              keys.ld ? r[kLD] : ""};
        groups[k].push_back(i);
    }
    bool changed = false;
    const int needed = static_cast<int>(groups.size());
    const int free = FreeStratumCount(used);
    if (needed > free) {
        TooFewNumbers(ui, needed, free);
    } else if (needed > 0) {
        // Without keys the one new stratum is searched from 1, with keys from 0.
        int start = keys.Any() ? 0 : 1;
        for (auto& [key, members] : groups) {
            std::optional<int> n = NextFreeStratum(used, start);
            if (!n) break;  // cannot happen: counted above
            const std::string code = std::to_string(*n);
            used.insert(code);
            start = *n;
            for (size_t i : members) {
                rows[i][kStratum] = code;
                rows[i][kModify] = "A";
            }
            changed = true;
        }
    }
    if (missing_unit) ui.MessageBox("Information", kCutUnitRequiredText, ui::Icon::Exclamation);
    return changed;
}

int DeleteStrata(std::vector<SumRow>& rows, const std::string& stratum, bool all,
                 const std::string& modify) {
    int touched = 0;
    for (int i = static_cast<int>(rows.size()) - 1; i >= 0; --i) {
        SumRow& r = rows[i];
        if (!all && r[kStratum] != stratum) continue;
        if (all && r[kStratum].empty()) continue;
        ++touched;
        if (r[kDiaFlag] == kFlagStr || r[kDiaFlag] == kFlagSg) {
            rows.erase(rows.begin() + i);
            continue;
        }
        for (Col c : {kStratum, kSgTree, kSgPlot, kDiaFlag, kDMin, kDMax}) r[c].clear();
        r[kModify] = modify;
    }
    return touched;
}

int MergeBackSampleGroupSplit(std::vector<SumRow>& rows, int at) {
    const SumRow base = rows[at];
    auto same = [&](const SumRow& r) {
        return r[kStratum] == base[kStratum] && r[kSpecies] == base[kSpecies] && r[kProd] == base[kProd] &&
               r[kLD] == base[kLD] && r[kCutUnit] == base[kCutUnit];
    };
    // The plot-based code survives when every piece carries the same one: the split
    // was a tree-based one.
    std::string plot;
    bool one_plot = true, first = true;
    for (const SumRow& r : rows) {
        if (!same(r)) continue;
        if (first) plot = r[kSgPlot];
        else one_plot = one_plot && r[kSgPlot] == plot;
        first = false;
    }
    std::vector<SumRow> out;
    out.reserve(rows.size());
    int remaining = -1;
    for (SumRow& r : rows) {
        if (same(r)) {
            if (r[kDiaFlag] == kFlagSg || r[kDiaFlag] == kFlagStr) continue;
            for (Col c : {kSgTree, kSgPlot, kDiaFlag, kDMin, kDMax}) r[c].clear();
            if (one_plot) r[kSgPlot] = plot;
            r[kModify] = "Y";
            if (remaining < 0) remaining = static_cast<int>(out.size());
        }
        out.push_back(std::move(r));
    }
    rows.swap(out);
    return remaining < 0 ? std::min(at, static_cast<int>(rows.size()) - 1) : remaining;
}

bool ApplyStrataRanges(ui::UiPort& ui, std::vector<SumRow>& rows, int& current, RangeScope scope,
                       const std::vector<DiameterRange>& ranges) {
    if (ranges.empty()) {
        ui.MessageBox("Warning", kNoRangesText, ui::Icon::Exclamation);
        return false;
    }
    if (current < 0 || current >= static_cast<int>(rows.size())) return false;
    switch (scope) {
    case RangeScope::SelectedRow: {
        SumRow& r = rows[current];
        if (!r[kStratum].empty() || r[kCutUnit].empty()) {
            ui.MessageBox("Warning", kStratumOrUnitText, ui::Icon::Exclamation);
            return false;
        }
        // A piece of an earlier split would overlap its siblings.
        if (r.StrLevel()) {
            ui.MessageBox("Warning", kStratumClassDefinedText, ui::Icon::Exclamation);
            return false;
        }
        if (r.SgLevel()) current = MergeBackSampleGroupSplit(rows, current);
        SplitRow(rows, current, ranges, SplitLevel::Stratum, false);
        return true;
    }
    case RangeScope::Stratum: {
        const std::string stratum = rows[current][kStratum];
        // Every row of the stratum is checked, not only the current one: splitting a
        // piece again would make ranges overlap.
        for (const SumRow& r : rows) {
            if (r[kStratum] == stratum && !r[kCutUnit].empty() && r.StrLevel()) {
                ui.MessageBox("Warning", kStratumClassDefinedText, ui::Icon::Exclamation);
                return false;
            }
        }
        // Sample-group splits of the stratum are merged back first.
        for (int i = static_cast<int>(rows.size()) - 1; i >= 0; --i) {
            if (i < static_cast<int>(rows.size()) && rows[i][kStratum] == stratum && rows[i].SgLevel())
                i = MergeBackSampleGroupSplit(rows, i);
        }
        std::vector<SumRow> out;
        out.reserve(rows.size() * ranges.size());
        int new_current = -1;
        bool changed = false;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i][kStratum] == stratum && !rows[i][kCutUnit].empty()) {
                std::vector<SumRow> one{rows[i]};
                SplitRow(one, 0, ranges, SplitLevel::Stratum, false);
                if (new_current < 0) new_current = static_cast<int>(out.size());
                out.insert(out.end(), one.begin(), one.end());
                changed = true;
            } else {
                out.push_back(rows[i]);
            }
        }
        if (!changed) return false;
        rows.swap(out);
        current = new_current;
        return true;
    }
    case RangeScope::AllRows: {
        DeleteStrata(rows, "", true, "A");
        // The new ranges replace any earlier split: each piece would otherwise be split
        // again and its trees counted once per piece.
        for (int i = static_cast<int>(rows.size()) - 1; i >= 0; --i) {
            SumRow& r = rows[i];
            if (r[kDiaFlag] == kFlagStr || r[kDiaFlag] == kFlagSg) {
                rows.erase(rows.begin() + i);
            } else if (r[kDiaFlag] == kFlagStr1 || r[kDiaFlag] == kFlagSg1) {
                for (Col c : {kDiaFlag, kDMin, kDMax}) r[c].clear();
                r[kModify] = "A";
            }
        }
        std::vector<SumRow> out;
        out.reserve(rows.size() * ranges.size());
        bool missing_unit = false;
        for (const SumRow& r : rows) {
            if (r[kStratum].empty() && !r[kCutUnit].empty()) {
                std::vector<SumRow> one{r};
                SplitRow(one, 0, ranges, SplitLevel::Stratum, false);
                out.insert(out.end(), one.begin(), one.end());
            } else {
                if (r[kCutUnit].empty()) missing_unit = true;
                out.push_back(r);
            }
        }
        rows.swap(out);
        current = rows.empty() ? 0 : std::min(current, static_cast<int>(rows.size()) - 1);
        if (missing_unit) ui.MessageBox("Information", kCutUnitRequiredText, ui::Icon::Exclamation);
        return true;
    }
    }
    return false;
}

}  // namespace setup
