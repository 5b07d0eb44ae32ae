#pragma once
// Summary-style rows (SVSummaryTable, SVFillSGTable) held in memory while a strata or
// sample-group command reshapes them, then written back in one pass. A command
// works on the copy and stores it only when it succeeds, so a refused step leaves
// the table as it was.
#include <array>
#include <string>
#include <vector>

#include "mk/mk.h"

namespace setup {

enum Col { kRecon, kDiaFlag, kModify, kCutUnit, kStratum, kSgTree, kSgPlot, kSpecies, kProd, kLD,
           kDMin, kDMax, kColCount };

inline constexpr const char* kColNames[kColCount] = {"Recon",  "DiaFlag", "Modify", "CutUnit",
                                                     "Stratum", "SgTree", "SgPlot", "Species",
                                                     "Prod",   "LD",      "DMin",   "DMax"};

// Diameter split flags.
inline constexpr const char* kFlagStr = "Str";
inline constexpr const char* kFlagStr1 = "Str1";
inline constexpr const char* kFlagSg = "Sg";
inline constexpr const char* kFlagSg1 = "Sg1";

struct SumRow {
    std::array<std::string, kColCount> f;
    std::string& operator[](Col c) { return f[c]; }
    const std::string& operator[](Col c) const { return f[c]; }
    bool StrLevel() const { return f[kDiaFlag] == kFlagStr || f[kDiaFlag] == kFlagStr1; }
    bool SgLevel() const { return f[kDiaFlag] == kFlagSg || f[kDiaFlag] == kFlagSg1; }
};

class RowSet {
public:
    RowSet() = default;
    // Reads every row; columns the table lacks read as empty.
    explicit RowSet(const mk::View& view);
    // Writes the rows back, replacing the table's rows.
    void Store(mk::View& view) const;
    bool Has(Col c) const { return cols_[c] >= 0; }

    std::vector<SumRow> rows;

private:
    std::array<int, kColCount> cols_{};
};

}  // namespace setup
