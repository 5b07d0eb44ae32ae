#pragma once
// What the stratification search needs to know of each cutting unit, read once from
// the recon: its recon method, acres, plots and trees, and for every sample group
// (species and product) the sums over its plots of the plot's volume per acre and of
// its square. Units combine into strata by adding these sums.
#include <string>
#include <vector>

#include "design/rows.h"
#include "mk/mk.h"

namespace advise {

struct UnitRecon {
    std::string code;
    // The recon method of the unit's plots ("PNT", "FIX", "100", or another stored
    // code); a unit cruised by several methods joins them with "+".
    std::string method;
    double acres = 0;
    int plots = 0;  // plots without a tree included
    int trees = 0;  // cut trees with a species
    double volume = 0;  // 100 %: the unit's volume; plot methods: the sum of plot volumes per acre
    // By sample group (index into ReconProfile::groups), over the unit's plots.
    std::vector<double> sum, sumSq;

    // Volume per acre: the mean of its plots, or the volume of a 100 % unit over its acres.
    double VolumePerAcre() const;
};

struct ReconProfile {
    std::vector<UnitRecon> units;          // units with recon trees, in unit-table order
    std::vector<std::string> groups;       // "SPECIES/PRODUCT", ascending
    std::vector<std::string> withoutRecon; // units of the unit table without a recon tree
    design::CostFigures costs;
};

// Whether a recon method's plots give the spread of volume per acre (fixed plots and
// points); a 100 % cruise has none to reduce.
bool SampledMethod(const std::string& method);

// Reads the profile from a cruise file whose setup work tables are prepared (acres
// come from the unit table, as the strata take them). uom "01" reads board feet.
ReconProfile LoadProfile(mk::Storage& storage, const std::string& uom, const design::CostFigures& costs);

// The sums of a set of units, as one stratum would hold them.
struct StratumSums {
    double acres = 0;
    int plots = 0;
    int trees = 0;
    std::vector<double> sum, sumSq;

    void Add(const UnitRecon& u);
    // The spread the design arithmetic allocates plots by: the standard deviations of
    // the sample groups' plot volumes per acre, summed (0 with fewer than two plots).
    double Spread() const;
    // Cost of one plot: the count plot and its trees measured.
    double PlotCost(const design::CostFigures& costs) const;
};

}  // namespace advise
