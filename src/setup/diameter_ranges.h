#pragma once
// Lists of diameter ranges and the split of a summary row by them.
#include <string>
#include <vector>

#include "mk/mk.h"
#include "setup/strata_rows.h"

namespace setup {

struct DiameterRange {
    std::string dmin, dmax;  // "%.1f"
};

inline constexpr const char* kNoRangesText = "No diameter ranges defined.";

// Checks a list of (DMin, DMax) texts: at least one range, both bounds numbers of 0
// or more, DMin not above DMax, no two ranges overlapping. Rows whose cells are both
// blank are skipped. On failure `error` says what is wrong and `out` is untouched.
bool ValidateRanges(const std::vector<std::pair<std::string, std::string>>& texts,
                    std::vector<DiameterRange>& out, std::string& error);
// "0-11.9,12-99" (blanks allowed around the numbers).
bool ParseRangeList(const std::string& text, std::vector<DiameterRange>& out, std::string& error);
// The ranges of a diameter table (SVStrDiamTable or SVSGDiamTable): its all-blank rows
// are removed first, as the dialog does on Apply.
bool RangesFromTable(mk::View& table, std::vector<DiameterRange>& out, std::string& error);
// Replaces a range table's rows by the list.
void StoreRanges(mk::View& table, const std::vector<DiameterRange>& ranges);

enum class SplitLevel { Stratum, SampleGroup };

// Replaces rows[at] by one row per range, in list order: the first piece flagged
// "Str1"/"Sg1", the others "Str"/"Sg". Stratum-level pieces carry no stratum code and
// Modify "A"; sample-group pieces keep the stratum when `keep_stratum` and get Modify
// "Y". Returns the number of pieces.
int SplitRow(std::vector<SumRow>& rows, size_t at, const std::vector<DiameterRange>& ranges,
             SplitLevel level, bool keep_stratum);

}  // namespace setup
