#pragma once
// Statistics that a production cruise achieved: per stratum and sample group, under
// the stratum's own cruise method, written as the design of the file
// (SVDesignTable, SVDesignSgTable) and rolled up into the stratum rows.
#include <cstdint>
#include <string>
#include <vector>

#include "design/rows.h"
#include "mk/mk.h"

namespace stats {

// One TreeTable row as the statistics read it.
struct ProdTree {
    std::string cutUnit;
    std::string plot;
    int64_t treeNo = 0;  // `Tree` read as a number
    bool measured = false;  // CM "M" with a tree number above 0
    bool leave = false;     // CL "L": counts as a tree of volume 0
    std::string code3p;     // `3Pcode`, trimmed
    int64_t kpi = 0;
    int64_t treeCnt = 0;  // `TreeCnt` as an integer
    double dbh = 0;
    double totHt = 0;
    double volume = 0;  // in the sale's volume column

    double V() const { return leave ? 0.0 : volume; }
};

// The three tallies of a sample group.
struct Tallies {
    int64_t n = 0;       // trees tallied (N)
    int64_t sumKpi = 0;  // ΣKPI
    int64_t m = 0;       // trees measured
};

struct CountRow {
    int64_t count = 0;
    int64_t sumKpi = 0;
};

// N, ΣKPI and m of a group under `method` from its tree and count rows.
Tallies ComputeTallies(const std::string& method, const std::vector<ProdTree>& trees,
                       const std::vector<CountRow>& counts);

// What one statistics routine is given.
struct SgInput {
    std::string stratum;  // as written into the row (trimmed)
    std::string sgCode;
    std::string method;
    double acres = 1.0;         // A; a stratum without acres comes as 1.0
    bool acresMissing = false;  // then the per-acre values are marked for review
    int64_t plots = 0;          // n: PlotTable rows of the stratum
    double baf = 0;
    double fpSize = 0;
    Tallies tallies;
    std::vector<ProdTree> trees;  // the group's trees (the stratum's for "3PPNT")
};

// Method codes that have a statistics routine ("PCMTRE" included).
bool HasProductionRoutine(const std::string& method);

// The sample-group row of the group under its method; false for a method without a
// routine. Every value is finite; one that cannot be formed is 0 and its mark "R".
bool ComputeProductionGroup(const SgInput& in, design::SgRow& row);

// Codes of a stratum's `Units`: a comma ends a code, blanks are skipped.
std::vector<std::string> SplitUnits(const std::string& units);
// Perimeter in feet of a unit of `area` acres, taken as a circle.
double UnitPerimeter(double area);

// What a run computed, for the command line and the tests.
struct ProductionGroupReport {
    design::SgRow row;
    Tallies tallies;
    int64_t plots = 0;
};
struct ProductionStratumReport {
    design::StratumRow row;
    bool acresMissing = false;
    std::vector<ProductionGroupReport> groups;
};
struct ProductionReport {
    std::vector<ProductionStratumReport> strata;
};

// The run: 0 done; 1 TreeTable has no rows; 2 no tree has a volume in the sale's
// column (nothing is written for 1 and 2). The caller commits.
int CompileProductionStatistics(mk::Storage& storage, const std::string& uom,
                                const design::CostFigures& costs, ProductionReport* report = nullptr);

// The caller's message for a result (empty for 0): title "Error", stop icon.
std::string ProductionResultMessage(int result, const std::string& uom);

}  // namespace stats
