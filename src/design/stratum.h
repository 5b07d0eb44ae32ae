#pragma once
// Stratum roll-up of its sample groups, stratum cost, and the sale error and cost.
#include <string>
#include <vector>

#include "design/rows.h"

namespace design {

// Fill: when the compilation fills the tables (cost to one decimal, nothing else
// truncated). Form: when the design form recomputes a stratum (error to two and CVs
// to three decimals, cost as computed).
enum class SummaryMode { Fill, Form };

// Cost of the stratum's cruise from its summary; 0 for an unknown method.
double StratumCost(const StratumRow& s, const CostFigures& costs);

// Recomputes the stratum's summary columns, StrCost included, from its groups.
// uom "01" is a board-foot sale (TotalVol in MBF), anything else cubic (CCF).
void SummarizeStratum(StratumRow& s, const SgRefs& groups, SummaryMode mode, const std::string& uom,
                      const CostFigures& costs);

// Whether any cost figure is set: without one the sale's cost is "not set", not 0.
bool CostsSet(const CostFigures& costs);
// The cost figures the strata's methods need that are 0 (not set, or an input of 0):
// a warning naming each figure and the strata whose cost leaves it out; empty when
// every needed figure is there or no cost is set at all.
std::string CostWarning(const std::vector<StratumRow>& strata, const CostFigures& costs);

// Sets errorComputable of every stratum from its groups (a design read from the tables).
void MarkErrorComputable(std::vector<StratumRow>& strata, const std::vector<SgRow>& groups);

struct SaleTotals {
    double error = 0;  // percent, two decimals; means nothing while a stratum has none
    double cost = 0;
    // Strata whose error cannot be computed (a sample group without its size), in
    // table order. While there is one, the sale has no error either.
    std::vector<std::string> uncomputable;
    bool ErrorComputable() const { return uncomputable.empty(); }
};
SaleTotals SaleErrorAndCost(const std::vector<StratumRow>& strata);

// Texts for the "Sale Error" and "Cost" boxes.
std::string FormatSaleError(double error);
std::string FormatCost(double cost);
// The sale's cost as the form and the reports show it: "not set" when no cost the
// methods need is set (the cost is then 0), never "0.0".
std::string FormatSaleCost(double cost);
inline constexpr const char* kCostNotSet = "not set";
// The sale error as the form shows it: "not computable" while a stratum has no error.
std::string FormatSaleError(const SaleTotals& totals);
inline constexpr const char* kNotComputable = "not computable";
// Why the sale error cannot be computed, naming the strata; empty when it can.
std::string UncomputableText(const SaleTotals& totals);

}  // namespace design
