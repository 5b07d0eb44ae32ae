#include "setup/diameter_ranges.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "store/cruise_store.h"

namespace setup {

namespace {

bool ReadNumber(const std::string& text, double& value) {
    // Diameters are typed plainly: no exponent.
    return store::Trim(text).find_first_of("eE") == std::string::npos && store::WholeNumber(text, value);
}

std::string OneDecimal(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.1f", v);
    return buf;
}

}  // namespace

bool ValidateRanges(const std::vector<std::pair<std::string, std::string>>& texts,
                    std::vector<DiameterRange>& out, std::string& error) {
    struct R {
        double lo, hi;
        size_t order;
    };
    std::vector<R> list;
    for (const auto& [a, b] : texts) {
        if (store::Trim(a).empty() && store::Trim(b).empty()) continue;
        double lo = 0, hi = 0;
        if (!ReadNumber(a, lo) || !ReadNumber(b, hi)) {
            error = "Diameter range '" + store::Trim(a) + "-" + store::Trim(b) +
                    "' needs a number for DMin and for DMax.";
            return false;
        }
        if (lo < 0 || hi < 0 || lo > hi) {
            error = "Diameter range '" + store::Trim(a) + "-" + store::Trim(b) +
                    "' is not valid: DMin must not be above DMax, and neither below 0.";
            return false;
        }
        // Compared at the one decimal the ranges are kept with.
        lo = std::round(lo * 10) / 10;
        hi = std::round(hi * 10) / 10;
        list.push_back({lo, hi, list.size()});
    }
    if (list.empty()) {
        error = kNoRangesText;
        return false;
    }
    std::vector<R> sorted = list;
    std::sort(sorted.begin(), sorted.end(), [](const R& x, const R& y) { return x.lo < y.lo; });
    for (size_t i = 1; i < sorted.size(); ++i) {
        if (sorted[i].lo <= sorted[i - 1].hi) {
            error = "Diameter ranges " + OneDecimal(sorted[i - 1].lo) + "-" + OneDecimal(sorted[i - 1].hi) +
                    " and " + OneDecimal(sorted[i].lo) + "-" + OneDecimal(sorted[i].hi) + " overlap.";
            return false;
        }
    }
    out.clear();
    for (const R& r : list) out.push_back({OneDecimal(r.lo), OneDecimal(r.hi)});
    return true;
}

bool ParseRangeList(const std::string& text, std::vector<DiameterRange>& out, std::string& error) {
    std::vector<std::pair<std::string, std::string>> texts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        std::string piece = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        start = comma == std::string::npos ? text.size() + 1 : comma + 1;
        if (store::Trim(piece).empty()) continue;
        // The dash that separates the bounds: not a leading sign of DMin.
        const std::string t = store::Trim(piece);
        size_t dash = t.find('-', 1);
        if (dash == std::string::npos) {
            error = "Diameter range '" + t + "' is not of the form DMIN-DMAX.";
            return false;
        }
        texts.emplace_back(t.substr(0, dash), t.substr(dash + 1));
    }
    return ValidateRanges(texts, out, error);
}

bool RangesFromTable(mk::View& table, std::vector<DiameterRange>& out, std::string& error) {
    for (int r = table.RowCount() - 1; r >= 0; --r) {
        bool blank = true;
        for (int c = 0; c < table.ColumnCount() && blank; ++c)
            blank = store::Trim(table.GetString(r, c)).empty();
        if (blank) table.RemoveRows(r, 1);
    }
    std::vector<std::pair<std::string, std::string>> texts;
    for (int r = 0; r < table.RowCount(); ++r)
        texts.emplace_back(table.GetString(r, "DMin"), table.GetString(r, "DMax"));
    return ValidateRanges(texts, out, error);
}

void StoreRanges(mk::View& table, const std::vector<DiameterRange>& ranges) {
    table.SetRowCount(static_cast<int>(ranges.size()));
    for (int r = 0; r < static_cast<int>(ranges.size()); ++r) {
        table.SetString(r, "DMin", ranges[r].dmin);
        table.SetString(r, "DMax", ranges[r].dmax);
    }
}

int SplitRow(std::vector<SumRow>& rows, size_t at, const std::vector<DiameterRange>& ranges,
             SplitLevel level, bool keep_stratum) {
    const SumRow base = rows[at];
    const bool str = level == SplitLevel::Stratum;
    std::vector<SumRow> pieces;
    for (size_t i = 0; i < ranges.size(); ++i) {
        SumRow p;
        for (Col c : {kCutUnit, kSpecies, kProd, kLD, kRecon, kSgTree, kSgPlot}) p[c] = base[c];
        if (!str && keep_stratum) p[kStratum] = base[kStratum];
        p[kDMin] = ranges[i].dmin;
        p[kDMax] = ranges[i].dmax;
        p[kDiaFlag] = str ? (i == 0 ? kFlagStr1 : kFlagStr) : (i == 0 ? kFlagSg1 : kFlagSg);
        p[kModify] = str ? "A" : "Y";
        pieces.push_back(std::move(p));
    }
    rows.erase(rows.begin() + static_cast<long>(at));
    rows.insert(rows.begin() + static_cast<long>(at), pieces.begin(), pieces.end());
    return static_cast<int>(pieces.size());
}

}  // namespace setup
