#pragma once
// Sample-group commands on summary rows (SVSummaryTable, or SVFillSGTable for one
// stratum): the 24-letter code sequence, Quick SG Setup, sample-group-level diameter
// ranges, Remove Defined Diameter Ranges, Delete Sample Groups and Sort Table.
#include <optional>
#include <string>
#include <vector>

#include "setup/diameter_ranges.h"
#include "setup/strata_ops.h"
#include "setup/strata_rows.h"
#include "ui/ui_port.h"

namespace setup {

inline constexpr const char* kNoStratumText = "Stratum has not been defined for this row.";
inline constexpr const char* kSgStratumClassText =
    "A Diameter Class has already been defined for this Stratum.";
inline constexpr const char* kStrataLevelText = "Diameter Classes Already Defined at Strata Level.";
inline constexpr const char* kSgRowDefinedText =
    "Sample Group - Tree Based Methods\nAlready Defined for Selected Row.";
inline constexpr const char* kNoSgClassesText = "No Diameter Classes Defined at Sample Group Level.";

// A to Z without I and O.
const std::vector<std::string>& SampleGroupLetters();
// First letter of the sequence that `used` does not hold; nothing when all 24 are used.
std::optional<std::string> NextFreeLetter(const std::vector<std::string>& used);

struct SgKeys {
    bool species = false, prod = false, ld = false;
    bool Any() const { return species || prod || ld; }
};
// Parses "species,product,ld" (any subset).
bool ParseSgKeys(const std::string& text, SgKeys& keys, std::string& error);

// Quick SG Setup. `stratum` empty with !all_strata is the "no stratum" refusal.
// Letters are counted for every stratum and column before any is given; when one
// runs short nothing at all is assigned. True when rows changed.
bool QuickSampleGroups(ui::UiPort& ui, std::vector<SumRow>& rows, const SgKeys& tree,
                       const SgKeys& plot, bool all_strata, const std::string& stratum);

// Delete Sample Groups for a stratum or all rows. Stratum-level ranges are kept: only
// the codes of rows flagged "Str"/"Str1" are cleared. Returns the rows touched.
int DeleteSampleGroups(std::vector<SumRow>& rows, const std::string& stratum, bool all);

// "Setup Diameter Ranges" opened from Quick SG: tree-based sample-group ranges on
// the current row's stratum. True when rows changed.
bool ApplyQuickSgRanges(ui::UiPort& ui, std::vector<SumRow>& rows, int& current, RangeScope scope,
                        const std::vector<DiameterRange>& ranges);

// The grid command "Define Diameter Ranges": the check before the dialog opens
// (false: refused and reported).
bool CanDefineSgRanges(ui::UiPort& ui, const std::vector<SumRow>& rows);
// ... and the split after it. On SVSummaryTable (`by_stratum`) "Apply to Stratum"
// works on the current row's stratum only and pieces keep their stratum.
bool ApplyGridSgRanges(ui::UiPort& ui, std::vector<SumRow>& rows, int& current, RangeScope scope,
                       const std::vector<DiameterRange>& ranges, bool by_stratum);

// Remove Defined Diameter Ranges: the check (false: reported) and the removal for
// the current row's Species/Prod/LD group or for all rows.
bool HasSgRanges(ui::UiPort& ui, const std::vector<SumRow>& rows);
int RemoveSgRanges(std::vector<SumRow>& rows, int current, bool all);

// Sort entries of the "Sort" dialog for a table.
std::vector<std::string> SortChoices(bool summary);
// Sorts ascending (stable) by the named columns; "L/D" and unknown names order
// nothing; DMin and DMax order as numbers.
void SortRows(std::vector<SumRow>& rows, const std::vector<std::string>& columns);

}  // namespace setup
