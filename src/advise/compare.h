#pragma once
// Designs side by side: the current design, saved designs and the advisor's
// proposals, per stratum the method, units, sample sizes, error and cost, then the
// sale's totals; every cell that differs from the first design's is marked.
#include <string>
#include <vector>

#include "advise/advisor.h"
#include "grid/grid_model.h"
#include "mk/mk.h"

namespace advise {

struct ComparedDesign {
    std::string name;
    std::string failure;  // why it cannot be shown (empty when it can)
    std::vector<StratumOutcome> strata;
    double saleError = 0, cost = 0;
};

// The design tables as they stand.
ComparedDesign CurrentDesign(mk::Storage& storage);
// A saved design by its ID (letter case ignored; the last of equal IDs).
ComparedDesign SavedDesign(mk::Storage& storage, const std::string& id);
ComparedDesign ProposalDesign(const Proposal& p, const std::string& name);

// The names the command line and the window use for the advisor's proposals.
std::string ProposalName(int k);  // "proposal:4"
// K of a name "proposal:K", K a whole number from 1 to 99; else 0.
int ProposalStrata(const std::string& name);

struct ComparisonTable {
    std::vector<std::string> headings;
    std::vector<std::vector<std::string>> rows;
    std::vector<std::vector<bool>> differs;  // per cell: differs from the first design
    int columnsPerDesign = 0;
};

// One row per group of units that some design makes a stratum (designs that group
// the same units share the row), then the sale's totals; per design the columns
// of its name (over its stratum codes), Method, Units, n (the sample size: plots or
// trees, "n1 + n2" in two stages), Error %, Cost $.
ComparisonTable Compare(const std::vector<ComparedDesign>& designs);

// A cell's text with its mark: "*" after a value that differs from the first
// design's ("-*" where the first design has a value and this one none).
std::string MarkedCell(const ComparisonTable& table, size_t row, size_t col);

// The table in a grid (cells as MarkedCell gives them): differences marked in colour and bold, totals row bold.
void FillComparisonGrid(grid::GridModel& grid, const ComparisonTable& table);

// What can be compared in a cruise file: "current", the saved designs' IDs, and the
// advisor's proposals when advice is given.
std::vector<std::string> ComparableNames(mk::Storage& storage, const Advice* advice);
// One of those by name; proposals ("proposal:K", "best") need the advice.
ComparedDesign DesignByName(mk::Storage& storage, const std::string& name, const Advice* advice);

}  // namespace advise
