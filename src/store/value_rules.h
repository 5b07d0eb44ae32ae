#pragma once
// The rule of every value the forester types: what kind of value it is, the range it
// must lie in, whether it may be left empty, how long a text may be and the name that
// messages give it. Forms, grids, dialogs and the command line all check a typed text
// here, so a value is refused (and never stored) in the same words wherever it is typed.
#include <array>
#include <string>
#include <string_view>

namespace store {

enum class ValueKind { Text, Whole, Decimal };

struct ValueRule {
    const char* name = "";  // the column or field as messages name it
    ValueKind kind = ValueKind::Decimal;
    double min = 0, max = 0;
    bool minOpen = false;  // the bound itself lies outside the range
    bool maxOpen = false;
    bool mayBeEmpty = false;
    int maxLength = 0;      // characters; 0: no limit
    const char* unit = "";  // shown after the range: "acres", "minutes"
    bool digits = false;    // text of digits alone (codes that are numbers with their zeros)
};

// A typed text judged by its rule.
struct CheckedValue {
    std::string refusal;  // empty when the value is taken
    std::string text;     // the text trimmed of blanks, as it is stored
    double number = 0;    // the number (numbers only; 0 when empty)
    bool empty = false;
    bool ok() const { return refusal.empty(); }
};

CheckedValue Check(const ValueRule& rule, std::string_view typed);
// Only the refusal: empty when the text may be stored.
std::string Refusal(const ValueRule& rule, std::string_view typed);

// What the rule accepts, for hints and refusals: "a whole number from 1 to 1,000,000",
// "a number greater than 0 and at most 100", "text of at most 3 characters".
std::string RangeText(const ValueRule& rule);
// A number as the messages write it: grouped thousands, no exponent.
std::string PlainNumber(double v);

// Counting characters, not bytes: UTF-8 continuation bytes are no characters.
std::size_t CharCount(std::string_view utf8);

// ---- The catalogue -------------------------------------------------------------------
namespace rules {

// Sample-group rows of the design form.
extern const ValueRule kSgErr, kSgN, kSgN2, kSgCV, kSgCV2, kTreesAcre, kVolAcre, kFreq, kKZ,
    kTreesPlot, kAvgHt, kBigBaf, kSgDescription;
// Stratum rows of the design form and its small dialogs.
extern const ValueRule kStratumDescription, kLock, kPlotSize, kBaf, kTargetError, kDesignId;
// Cutting units.
extern const ValueRule kCutUnit, kUnitArea, kUnitDescription, kLogMeth, kPayUnit;
// Codes and ranges of the setup tables.
extern const ValueRule kStratumCode, kSgCode, kSgTree, kSgPlot, kSpecies, kProduct, kLiveDead, kDMin, kDMax;
// Cruise identification.
extern const ValueRule kSaleNo, kSaleName, kRegion, kForest, kDistrict, kCalYear;

// The nine relative cruising costs in the order of the cost settings (CrewPlot, CntPlot,
// Trav, CrewTree, TreeTally, Tree3P, TreeMeas, Paint, TreePaint).
const std::array<ValueRule, 9>& Costs();

}  // namespace rules

// The rule of a column of a table the forester edits in a grid; nullptr when the column
// takes any text. Design rows answer for SVDesignSgTable and SVDesignTable.
const ValueRule* RuleFor(std::string_view table, std::string_view column);

}  // namespace store
