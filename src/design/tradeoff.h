#pragma once
// The cost of precision: for a range of target sale errors, what Optimize For Error
// and Optimize At Least Cost would make of the current design (its sale error and
// total cost), computed on a copy so that the forester's design stays as it is.
#include <vector>

#include "design/optimize.h"
#include "design/rows.h"

namespace design {

struct TradeoffPoint {
    double target = 0;     // target sale error given to the optimisation, percent
    double saleError = 0;  // sale error the optimised design reaches
    double cost = 0;       // its total cost
};

// One point per whole percent from `from` to `to`. Locked strata stay locked; the
// invalid-values question is not asked (nothing is changed).
std::vector<TradeoffPoint> TradeoffCurve(const Design& design, const DesignSettings& settings,
                                         int from = 2, int to = 30);

// The same for Optimize At Least Cost; a target no sizes reach has no point.
std::vector<TradeoffPoint> LeastCostCurve(const Design& design, const DesignSettings& settings, int from = 2,
                                          int to = 30);

}  // namespace design
