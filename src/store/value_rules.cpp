#include "store/value_rules.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "store/cruise_store.h"
#include "store/schema.h"
#include "store/text_codec.h"
#include "ui/forms.h"

namespace store {

namespace {

using K = ValueKind;

// Kept in step with the forms that show these fields.
static_assert(ui::kSaleNoMax == schema::kWidthSaleNo);
static_assert(ui::kSaleNameMax == schema::kWidthSaleName);
static_assert(ui::kCodeMax == schema::kWidthAreaCode);

std::string Quoted(std::string_view t) { return "'" + std::string(t) + "'"; }

std::string Refuse(const ValueRule& rule, const std::string& why) {
    return std::string(rule.name) + ": " + why + " Enter " + RangeText(rule) + ".";
}

bool AllDigits(std::string_view t) {
    for (unsigned char c : t)
        if (!std::isdigit(c)) return false;
    return true;
}

std::string TooLong(const ValueRule& rule, const std::string& text) {
    return std::string(rule.name) + ": " + Quoted(text) + " is too long. Please enter no more than " +
           std::to_string(rule.maxLength) + " characters.";
}

CheckedValue CheckText(const ValueRule& rule, CheckedValue v) {
    if (v.empty) {
        if (!rule.mayBeEmpty) v.refusal = std::string(rule.name) + " cannot be blank. Enter " + RangeText(rule) + ".";
        return v;
    }
    if (rule.maxLength > 0 && CharCount(v.text) > static_cast<std::size_t>(rule.maxLength)) {
        v.refusal = TooLong(rule, v.text);
        return v;
    }
    if (rule.digits && !AllDigits(v.text)) {
        v.refusal = Refuse(rule, Quoted(v.text) + " is not made of digits alone.");
        return v;
    }
    if (std::string why = UnstorableTextReason(v.text); !why.empty()) v.refusal = std::string(rule.name) + ": " + why;
    return v;
}

CheckedValue CheckNumber(const ValueRule& rule, CheckedValue v) {
    if (v.empty) {
        if (!rule.mayBeEmpty) v.refusal = std::string(rule.name) + " cannot be empty. Enter " + RangeText(rule) + ".";
        return v;
    }
    if (rule.maxLength > 0 && CharCount(v.text) > static_cast<std::size_t>(rule.maxLength)) {
        v.refusal = TooLong(rule, v.text);
        return v;
    }
    double x = 0;
    if (!WholeNumber(v.text, x)) {
        v.refusal = Refuse(rule, Quoted(v.text) + (LeadingDoubleInRange(v.text) ? " is not a number." : " is too large."));
        return v;
    }
    if (rule.kind == K::Whole && x != std::trunc(x)) {
        v.refusal = Refuse(rule, Quoted(v.text) + " is not a whole number.");
        return v;
    }
    const bool low = rule.minOpen ? !(x > rule.min) : !(x >= rule.min);
    const bool high = rule.maxOpen ? !(x < rule.max) : !(x <= rule.max);
    if (low || high) {
        v.refusal = Refuse(rule, Quoted(v.text) + (low ? " is too small." : " is too large."));
        return v;
    }
    v.number = x == 0 ? 0.0 : x;  // no negative zero
    if (rule.kind == K::Whole) v.text = std::to_string(static_cast<long long>(v.number));
    return v;
}

}  // namespace

std::size_t CharCount(std::string_view utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

std::string PlainNumber(double v) {
    char buf[64];
    if (v == std::trunc(v) && std::fabs(v) < 1e15) {
        std::snprintf(buf, sizeof buf, "%.0f", std::fabs(v));
        std::string digits = buf, out;
        for (std::size_t i = 0; i < digits.size(); ++i) {
            if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
            out += digits[i];
        }
        return (v < 0 ? "-" : "") + out;
    }
    std::snprintf(buf, sizeof buf, "%.10g", v);
    return buf;
}

std::string RangeText(const ValueRule& rule) {
    std::string out;
    if (rule.kind == K::Text) {
        const std::string most = rule.maxLength > 0 ? "at most " + std::to_string(rule.maxLength) + " " : "";
        out = rule.digits ? most + "digits" : "text" + (most.empty() ? "" : " of " + most + "characters");
    } else {
        out = rule.kind == K::Whole ? "a whole number " : "a number ";
        const std::string lo = PlainNumber(rule.min), hi = PlainNumber(rule.max);
        if (!rule.minOpen && !rule.maxOpen) out += "from " + lo + " to " + hi;
        else if (rule.minOpen && !rule.maxOpen) out += "greater than " + lo + " and at most " + hi;
        else if (!rule.minOpen) out += "of at least " + lo + " and below " + hi;
        else out += "between " + lo + " and " + hi;
        if (*rule.unit) out += std::string(" ") + rule.unit;
    }
    if (rule.mayBeEmpty && rule.kind != K::Text) out += ", or leave it empty";
    return out;
}

CheckedValue Check(const ValueRule& rule, std::string_view typed) {
    CheckedValue v;
    v.text = Trim(typed);
    v.empty = v.text.empty();
    return rule.kind == K::Text ? CheckText(rule, std::move(v)) : CheckNumber(rule, std::move(v));
}

std::string Refusal(const ValueRule& rule, std::string_view typed) { return Check(rule, typed).refusal; }

// ---- The catalogue -------------------------------------------------------------------

namespace rules {

namespace {
constexpr ValueRule Whole(const char* name, double min, double max) {
    return {.name = name, .kind = K::Whole, .min = min, .max = max};
}
constexpr ValueRule Decimal(const char* name, double min, double max, bool minOpen = false, const char* unit = "") {
    return {.name = name, .kind = K::Decimal, .min = min, .max = max, .minOpen = minOpen, .unit = unit};
}
constexpr ValueRule Text(const char* name, int width, bool mayBeEmpty = true, bool digits = false) {
    return {.name = name, .kind = K::Text, .mayBeEmpty = mayBeEmpty, .maxLength = width, .digits = digits};
}
// Sizes, frequencies and KZ are counts: a sample of none has no error at all.
constexpr double kMaxCount = 1e6;
}  // namespace

const ValueRule kSgErr = Decimal("SgErr", 0, 100, true, "percent");
const ValueRule kSgN = Whole("SgN", 1, kMaxCount);
const ValueRule kSgN2 = Whole("SgN2", 1, kMaxCount);
const ValueRule kSgCV = Decimal("SgCV", 0, 1000, false, "percent");
const ValueRule kSgCV2 = Decimal("SgCV2", 0, 1000, false, "percent");
const ValueRule kTreesAcre = Decimal("Trees/Acre", 0, 1e5);
const ValueRule kVolAcre = Decimal("Vol/Acre", 0, 1e7);
const ValueRule kFreq = Whole("Freq", 1, kMaxCount);
const ValueRule kKZ = Whole("KZ", 1, 1e9);
const ValueRule kTreesPlot = Decimal("Trees/Plot", 0, 1e4);
const ValueRule kAvgHt = Decimal("AvgHt", 0, 500, false, "feet");
const ValueRule kBigBaf = Decimal("BigBaf", 0, 1e4, true);
const ValueRule kSgDescription = Text("Description", schema::kWidthDescription);

const ValueRule kStratumDescription = Text("Description", schema::kWidthDescription);
const ValueRule kLock = {.name = "Lock", .kind = K::Whole, .min = 0, .max = 1, .mayBeEmpty = true};
const ValueRule kPlotSize = Decimal("Fixed plot size", 0, 1e4, true, "plots per acre");
const ValueRule kBaf = Decimal("Basal area factor", 0, 1e3, true);
const ValueRule kTargetError = Decimal("Target sale error", 0, 100, true, "percent");
const ValueRule kDesignId = Text("Design ID", schema::kWidthDesignId, false);

const ValueRule kCutUnit = Text("CutUnit", schema::kWidthCutUnit, false);
const ValueRule kUnitArea = Decimal("Area", 0, 1e6, true, "acres");
const ValueRule kUnitDescription = Text("Description", schema::kWidthDescription);
const ValueRule kLogMeth = Text("LogMeth", schema::kWidthLogMeth);
const ValueRule kPayUnit = Text("PayUnit", schema::kWidthPayUnit);

const ValueRule kStratumCode = Text("Stratum", schema::kWidthStratum);
const ValueRule kSgCode = Text("Sample group code", schema::kWidthSgCode);
const ValueRule kSpecies = Text("Species", schema::kWidthTreeCode);
const ValueRule kProduct = Text("Prod", schema::kWidthTreeCode);
const ValueRule kLiveDead = Text("LD", schema::kWidthTreeCode);
const ValueRule kSgTree = Text("SgTree", schema::kWidthSgCode);
const ValueRule kSgPlot = Text("SgPlot", schema::kWidthSgCode);
const ValueRule kDMin = {.name = "DMin", .kind = K::Decimal, .min = 0, .max = 999.9, .mayBeEmpty = true, .unit = "inches"};
const ValueRule kDMax = {.name = "DMax", .kind = K::Decimal, .min = 0, .max = 999.9, .mayBeEmpty = true, .unit = "inches"};

const ValueRule kSaleNo = Text("Sale Number", schema::kWidthSaleNo, false, true);
const ValueRule kSaleName = Text("Sale Name", schema::kWidthSaleName);
const ValueRule kRegion = Text("Region", schema::kWidthAreaCode);
const ValueRule kForest = Text("Forest", schema::kWidthAreaCode);
const ValueRule kDistrict = Text("District", schema::kWidthAreaCode);
const ValueRule kCalYear = Text("Calendar Year", 4, true, true);

const std::array<ValueRule, 9>& Costs() {
    // Ranges a crew can plausibly reach; beyond them the figures mean nothing. Empty
    // is "not set".
    static const std::array<ValueRule, 9> costs = [] {
        const double max[9] = {10000, 100, 600, 10000, 10000, 10000, 1000, 1000, 100000};
        std::array<ValueRule, 9> r{};
        for (int f = 0; f < 9; ++f)
            r[f] = {.name = ui::kCostFieldNames[f], .kind = K::Decimal, .min = 0, .max = max[f],
                    .mayBeEmpty = true, .unit = ui::kCostFieldUnits[f]};
        return r;
    }();
    return costs;
}

}  // namespace rules

const ValueRule* RuleFor(std::string_view table, std::string_view column) {
    using namespace rules;
    struct Entry {
        std::string_view column;
        const ValueRule* rule;
    };
    static const Entry kGroups[] = {
        {"SgErr", &kSgErr},   {"SgN", &kSgN},     {"SgN2", &kSgN2},
        {"SgCV", &kSgCV},     {"SgCV2", &kSgCV2}, {"Trees/Acre", &kTreesAcre},
        {"Vol/Acre", &kVolAcre}, {"Freq", &kFreq}, {"KZ", &kKZ},
        {"Trees/Plot", &kTreesPlot}, {"AvgHt", &kAvgHt}, {"BigBaf", &kBigBaf},
        {"Description", &kSgDescription},
    };
    static const Entry kStrata[] = {{"Description", &kStratumDescription}, {"Lock", &kLock}};
    static const Entry kUnits[] = {{"CutUnit", &kCutUnit},   {"Area", &kUnitArea}, {"Description", &kUnitDescription},
                                   {"LogMeth", &kLogMeth},   {"PayUnit", &kPayUnit}};
    static const Entry kSetup[] = {{"Stratum", &kStratumCode}, {"SgTree", &kSgTree},   {"SgPlot", &kSgPlot},
                                   {"SampGroup", &kSgCode},    {"Species", &kSpecies}, {"Prod", &kProduct},
                                   {"LD", &kLiveDead},         {"DMin", &kDMin},       {"DMax", &kDMax},
                                   {"CutUnit", &kCutUnit}};
    static const Entry kStrataSetup[] = {{"Description", &kStratumDescription}, {"Stratum", &kStratumCode}};
    auto find = [&](const auto& entries) -> const ValueRule* {
        for (const Entry& e : entries)
            if (e.column == column) return e.rule;
        return nullptr;
    };
    if (table == schema::kSVDesignSgTable || table == schema::kSVMethodsSgTable) return find(kGroups);
    if (table == schema::kSVDesignTable || table == schema::kSVMethodsTable) return find(kStrata);
    if (table == schema::kSVUnitsTable) return find(kUnits);
    if (table == schema::kSVStrataTable) return find(kStrataSetup);
    if (table == schema::kSVSummaryTable || table == schema::kSVFillSGTable || table == schema::kSVSelTreeTable ||
        table == schema::kSVSGDiamTable || table == schema::kSVStrDiamTable)
        return find(kSetup);
    return nullptr;
}

}  // namespace store
