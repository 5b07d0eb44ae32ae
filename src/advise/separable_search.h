#pragma once
// The search for good stratifications of a sale's units. For a target sale error the
// cheapest stratified design costs about (Σ A_h·S_h·√c_h)² / V, with A_h the stratum's
// acres, S_h the spread of its plot volumes per acre and c_h the cost of one of its
// plots; so the search minimises Σ A_h·S_h·√c_h. Units cruised by one recon method
// are sorted by volume per acre, and for every number of strata the best partition
// of each method's units into runs of that order is found exactly by dynamic
// programming. A unit is never split, methods never mix, and a stratum holds at
// least two recon plots (a method whose units have fewer between them is one stratum).
#include <optional>
#include <vector>

#include "advise/recon_profile.h"

namespace advise {

// Strata as indices into ReconProfile::units.
struct Partition {
    std::vector<std::vector<int>> strata;
    double objective = 0;
};

// The units of each recon method, in search order (ascending volume per acre; the
// unit table's order between equals). Methods whose plots measure spread come first.
std::vector<std::vector<int>> MethodGroups(const ReconProfile& profile);

// Whether a set of units may form a stratum, and its term of the objective
// (A·S·√c; 0 for a method without sampling error).
bool AllowedStratum(const ReconProfile& profile, const std::vector<int>& units);
double StratumObjective(const ReconProfile& profile, const std::vector<int>& units);

// Index k - 1 holds the best partition into k strata, for k = 1 .. maxStrata; empty
// where no partition into k strata keeps the rules.
std::vector<std::optional<Partition>> SeparableSearch(const ReconProfile& profile, int maxStrata);

}  // namespace advise
