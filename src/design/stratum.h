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

struct SaleTotals {
    double error = 0;  // percent, two decimals
    double cost = 0;
};
SaleTotals SaleErrorAndCost(const std::vector<StratumRow>& strata);

// Texts for the "Sale Error" and "Cost" boxes.
std::string FormatSaleError(double error);
std::string FormatCost(double cost);

}  // namespace design
