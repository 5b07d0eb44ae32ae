#pragma once
// The setup work tables: building SVUnitsTable and SVSummaryTable from the cruise
// file, the product check, units missing from the unit table, and the strata summary
// rebuild that turns the summary rows into one SVStrataTable row per stratum.
//
// Everything here works on an open storage and leaves committing to the caller,
// except where a function says it commits.
#include <string>
#include <unordered_map>
#include <vector>

#include "mk/mk.h"
#include "ui/ui_port.h"

namespace setup {

// Texts the user sees.
inline constexpr const char* kOtherMethodsWarning =
    "Cruise methods other than PNT, FIX, and 100\nhave been detected in the recon cruise.\n\n"
    "No Strovan statistics will be computed for those strata.\nSee documentation for further "
    "details.";
inline constexpr const char* kCannotResetText = "Cannot Reset Data From This Form";
inline constexpr const char* kResetQuestion =
    "\r\n\r\nYou are about to reset your data.\r\n\r\nAll your changes will be lost.\r\n\r\n"
    "Do You Wish to Continue?";
inline constexpr const char* kUnitsAddedText =
    "Units Added.\nPlease Add Unit Acres to Unit Table.";

// Flags of the summary rows and strata.
inline constexpr const char* kModifyNew = "Y";
inline constexpr const char* kModifyAgain = "A";
inline constexpr const char* kModifyNone = "N";

// The tables of the setup whose change means the design must be compiled again.
inline std::vector<std::string> SetupTableNames() {
    return {"SVUnitsTable", "SVSummaryTable", "SVStrataTable", "StratumTable"};
}

enum class PrepareVariant { Form, Table };

struct PrepareResult {
    bool units_built = false;    // SVUnitsTable was filled from CuttingUnitTable
    bool summary_built = false;  // SVSummaryTable was filled from TreeTable
    // Form variant: the stratum code the strata form starts with.
    std::string current_stratum;
};

// Steps 1-4 of preparing the work tables (the caller commits).
PrepareResult PrepareWorkTables(mk::Storage& storage, ui::UiPort& ui, PrepareVariant variant);

// SVUnitsTable rows from CuttingUnitTable (appended; PayUnit stays empty). Row count.
int FillUnitsFromCuttingUnits(mk::Storage& storage);
// SVSummaryTable rows from the distinct (CutUnit, Sp, ProdP, LD) of TreeTable in
// ascending order, species blank skipped, with the given Modify value. Row count.
int FillSummaryFromTrees(mk::Storage& storage, const std::string& modify);
// True when some StratumTable row uses a method other than PNT, FIX and 100.
bool HasOtherCruiseMethods(mk::Storage& storage);

// Empties and rebuilds SVSummaryTable (Modify "A") and SVUnitsTable from the recon
// data; no question asked here.
void RemakeFromRecon(mk::Storage& storage);

// The mixed-products message for a table shown in the populations grid, empty when
// every sample group holds one product. For SVSummaryTable the groups are the
// strata; any other table (SVFillSGTable) is one group.
std::string ProductCheckMessage(const mk::View& table, bool by_stratum);

// Appends an SVUnitsTable row for every distinct non-blank CutUnit of SVSummaryTable
// that has none; returns the codes added in order.
std::vector<std::string> AddMissingUnits(mk::Storage& storage);

// Unit areas by code: the first SVUnitsTable row of each code counts.
class UnitAreas {
public:
    explicit UnitAreas(const mk::View& units);
    // False when the unit table has no such code.
    bool Find(const std::string& code, double& area) const;

private:
    std::unordered_map<std::string, double> area_;
};

// Perimeter in feet of a circle of `acres`.
double UnitCircumference(double acres);
// "%15.1f" and "%20.1f".
std::string FormatAcres(double acres);
std::string FormatCircumference(double feet);

// The three pieces of a stratum row, from a set of summary rows.
struct UnitTotals {
    std::string units;  // distinct codes ascending, joined by ","
    double acres = 0;
    double circumference = 0;
    int found = 0;  // units found in the unit table
};
UnitTotals UnitTotalsOf(const std::vector<std::string>& codes, const UnitAreas& areas);
UnitTotals UnitTotalsOf(const mk::View& summary, const std::vector<int>& rows,
                        const UnitAreas& areas);
// DClassMin/DClassMax: the range of the first row with the smallest DiaFlag when that
// flag is "Str" or "Str1", else empty.
std::pair<std::string, std::string> StratumDiameterClass(const mk::View& summary,
                                                         const std::vector<int>& rows);
// Distinct values of a column (SgTree or SgPlot) ascending, joined by ",".
std::string CodeList(const mk::View& summary, const std::vector<int>& rows,
                     const std::string& column);

// Replaces SVStrataTable from SVSummaryTable and sets every Modify to "N" (the caller
// commits). Units added to a stratum by hand (no summary row, not a unit of the recon
// cruise) stay in their stratum; a stratum still marked for recompilation stays marked.
void RebuildStrataSummary(mk::Storage& storage);

// Sets Modify "N" in every summary row.
void ClearModifyFlags(mk::Storage& storage);

// Splits "a,b,c" at commas (no trimming; empty pieces dropped).
std::vector<std::string> SplitCodes(const std::string& text);
std::string JoinCodes(const std::vector<std::string>& codes);

}  // namespace setup
