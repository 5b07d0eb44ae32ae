#pragma once
// The recon data of a cruise file read once for a compilation: the recon strata
// (StratumTable), the cut trees of TreeTable grouped by recon method, unit, species,
// product and live/dead code, and the plots of every recon stratum in every unit.
// Only the columns the rules use are read; every later question is a look-up.
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "mk/mk.h"
#include "stats/recon_accumulate.h"
#include "stats/text_ids.h"

namespace stats {

// The recon methods whose trees the compilation uses.
enum ReconMethod { kReconFix = 0, kReconPnt = 1, kRecon100 = 2, kReconMethodCount = 3 };
// -1 for any other method.
int ReconMethodOf(const std::string& cruzMeth);

struct ReconStratum {
    std::string code;
    std::string cruzMeth;
    double fpSize = 0;
    double baf = 0;
};

class ReconCatalog {
public:
    // volumeColumn: "NBDFTVolPP" or "NCUFTVolPP".
    void Load(mk::Storage& storage, const std::string& volumeColumn);

    const ReconTrees& Trees() const { return trees_; }
    bool Empty() const { return trees_.size() == 0; }
    // At least one tree with a volume above 0.
    bool AnyVolume() const { return any_volume_; }

    // The unit's id, -1 when no tree stands in it.
    int UnitId(const std::string& cutUnit) const;
    // Species, product and live/dead codes as ids (-1 for a code no cut tree has).
    struct Codes {
        int species, prod, ld;
    };
    Codes CodesOf(const std::string& species, const std::string& prod, const std::string& ld) const;
    // Cut trees of a recon method in a unit with these codes, in TreeTable order.
    std::span<const int> Lookup(int method, int unitId, const Codes& codes) const;

    const ReconStratum& Recon(int recon) const { return recon_[recon]; }
    int ReconMethod(int recon) const { return recon_method_[recon]; }
    // Recon strata of the method that have trees in the unit.
    std::vector<int> ReconStrataIn(int unitId, int method) const;
    // Plots of a recon stratum in a unit: PlotTable's rows for them (plots without trees
    // count), never fewer than the distinct plots holding its trees; with an empty
    // PlotTable, those distinct plots.
    int PlotCount(int recon, int unitId) const;

private:
    void LoadTrees(const mk::View& tt, const std::string& volumeColumn);
    void CountPlotsWithTrees(int plotIdCount);

    ReconTrees trees_;
    bool any_volume_ = false;
    std::vector<ReconStratum> recon_;
    std::vector<int> recon_method_;
    std::unordered_map<std::string, int> recon_by_code_;
    TextIds units_, species_ids_, prod_ids_, ld_ids_;
    // Trees by (method, unit, product, live/dead) and species: bucket id b is the
    // range [bucket_start_[b], bucket_start_[b + 1]) of bucket_trees_ (a counting sort,
    // so no list of its own per key). Consecutive trees mostly share all but the
    // species, so a tree costs one look-up by species in its context's list.
    TupleIds<4> contexts_;
    std::vector<std::vector<int>> context_species_;  // [context][species] -> bucket, -1 none
    int buckets_ = 0;
    std::vector<int> bucket_start_;
    std::vector<int> bucket_trees_;
    std::unordered_map<int, std::vector<int>> unit_recon_;   // unit -> recon strata with trees
    std::unordered_map<long long, int> tree_plots_;          // (recon, unit) -> distinct plots
    std::unordered_map<long long, int> listed_plots_;       // (recon, unit) -> PlotTable rows
    bool plot_table_has_rows_ = false;
};

}  // namespace stats
