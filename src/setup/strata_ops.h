#pragma once
// Stratum commands on summary rows: the next free stratum number, Quick Strata Setup
// by keys, stratum-level diameter classes and Delete Strata. Each works on rows read
// into memory; a refused command leaves them unchanged and says why.
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "setup/diameter_ranges.h"
#include "setup/strata_rows.h"
#include "ui/ui_port.h"

namespace setup {

inline constexpr const char* kCutUnitRequiredText = "CutUnit Code Required for Quick Strata Setup.";
inline constexpr const char* kStratumOrUnitText =
    "Stratum Already Defined or Missing Unit Code for Selected Row.";
inline constexpr const char* kStratumClassDefinedText = "Diameter class already defined for Stratum.";
inline constexpr int kMaxStratum = 99;

// Next stratum number after `start` that no code in `used` spells ("%d"), wrapping from
// 99 to 1; nothing when all of 1-99 are in use.
std::optional<int> NextFreeStratum(const std::unordered_set<std::string>& used, int start);
// How many of 1-99 are free.
int FreeStratumCount(const std::unordered_set<std::string>& used);
std::unordered_set<std::string> UsedStrata(const std::vector<SumRow>& rows);

struct StrataKeys {
    bool unit = false, species = false, prod = false, ld = false;
    bool Any() const { return unit || species || prod || ld; }
};
// Parses "unit,species,product,ld" (any subset); false on an unknown word.
bool ParseStrataKeys(const std::string& text, StrataKeys& keys, std::string& error);

// Quick Strata Setup by keys. Numbers are counted before any is given: when 1-99 do
// not hold enough free numbers nothing is assigned and the user is told how many are
// needed. True when rows changed.
bool QuickStrata(ui::UiPort& ui, std::vector<SumRow>& rows, const StrataKeys& keys);

enum class RangeScope { SelectedRow, Stratum, AllRows };

// Stratum-level diameter classes from the "Setup Diameter Ranges" dialog, applied on
// the grid's current row. True when rows changed; `current` follows its row.
bool ApplyStrataRanges(ui::UiPort& ui, std::vector<SumRow>& rows, int& current, RangeScope scope,
                       const std::vector<DiameterRange>& ranges);

// Deletes a stratum (or all when `stratum` is empty): pieces of a split ("Str", "Sg")
// go, every other row of it leaves its stratum, sample groups and range and gets
// `modify`. Returns the number of rows touched.
int DeleteStrata(std::vector<SumRow>& rows, const std::string& stratum, bool all,
                 const std::string& modify);

// Merges back the sample-group-level split of rows[at] (same Stratum, Species, Prod,
// LD and CutUnit); returns the position of the row that remains.
int MergeBackSampleGroupSplit(std::vector<SumRow>& rows, int at);

}  // namespace setup
