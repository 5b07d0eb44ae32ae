#pragma once
// Made-up production cruises as the field and processing programs leave them: units,
// strata under every cruise method, sample groups, tallies, plots and measured trees
// with volumes. For trying the production statistics, its tests and its benchmark.
#include <cstdint>
#include <string>
#include <vector>

#include "mk/mk.h"

namespace testdata {

struct ProductionCruiseShape {
    int strata = 12;
    // Methods of the strata in turn; empty: every method code.
    std::vector<std::string> methods;
    int groupsPerStratum = 3;
    int unitsPerStratum = 3;
    int64_t trees = 6000;  // tree rows over the whole sale, near enough
    std::string uom = "01";
    uint64_t seed = 1;
};

// The twelve method codes a production stratum can carry.
const std::vector<std::string>& ProductionMethods();

// Writes the cruise into `storage` (tables appended to; nothing committed). False
// when a table cannot be opened.
bool WriteProductionCruise(mk::Storage& storage, const ProductionCruiseShape& shape);

}  // namespace testdata
