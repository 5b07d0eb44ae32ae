#pragma once
// The pseudo-population a cruise is simulated against: for every stratum of the
// design, its recon plots with each sample group's volume per acre and trees on
// them (tree lists too where a second stage measures trees), or its recon trees with
// the trees per acre each stands for. Built once from the cruise file; every
// replicate only reads it.
#include <cstdint>
#include <string>
#include <vector>

#include "design/rows.h"
#include "mk/mk.h"

namespace simulate {

// How a stratum's cruise is drawn.
enum class Draw {
    None,         // not simulated (see Stratum::problem)
    Complete,     // 100 %: every tree measured, nothing drawn
    Plots,        // one stage of plots or points
    CountMeasure, // plots counted, a share of their trees measured
    PlotsThreeP,  // plots, then a 3P subsample of trees
    Trees,        // sample trees drawn from the trees of the stratum
    ThreeP,       // 3P trees
    TreesThreeP,  // sample trees, then a 3P subsample of them
};
Draw DrawOf(const std::string& cruzMeth);

// Walker's alias table: a draw proportional to weights in constant time.
struct AliasTable {
    std::vector<double> cut;
    std::vector<uint32_t> other;
    void Build(const std::vector<double>& weights);
    bool Empty() const { return cut.empty(); }
};

// One sample group as the design samples it.
struct GroupPlan {
    std::string code;
    int n = 0;          // plots, or trees for the tree methods
    int n2 = 0;         // second-stage trees
    double cv3p = 0;    // CV (percent) of the 3P stage: the design's own assumption
    double truth = 0;   // the pseudo-population's volume per acre

    // Tree methods: the group's trees, their volume and the trees per acre each is.
    std::vector<double> treeVolume;
    std::vector<double> treeWeight;
    AliasTable alias;
    double treesPerAcre = 0;
};

struct Stratum {
    std::string code;
    std::string method;
    double acres = 0;
    double designError = 0;  // what the design claims (percent)
    double designVolume = 0; // and its volume per acre
    Draw draw = Draw::None;
    std::string problem;     // why it is not simulated
    std::string note;        // what the simulation assumes beyond the data
    std::vector<GroupPlan> groups;

    // Plots: plot-major, one entry per plot and group.
    int plots = 0;
    double plotFactor = 0;          // plots per acre (fixed) or BAF (points)
    std::vector<double> value;      // volume per acre the plot shows for the group
    std::vector<int> count;         // trees of the group on the plot
    std::vector<int> treeStart;     // the plot's trees of the group: [treeStart[k], treeStart[k + 1])
    std::vector<double> treeValue;  // what measuring the tree gives: volume, or volume per basal area on points
    // The same without the empty cells, plot by plot: most groups stand on few plots.
    struct Entry {
        int group;
        int count;
        double value;
    };
    std::vector<int> plotStart;     // entries of plot k: [plotStart[k], plotStart[k + 1])
    std::vector<Entry> entries;
    int reconTrees = 0;

    int Groups() const { return static_cast<int>(groups.size()); }
    // Fills each group's truth from the plots (the mean over all of them) and the
    // entries of the cells that hold something.
    void PreparePlots();
    // Builds each group's alias table and trees per acre, and its truth, from its trees.
    void PrepareTrees();
};

struct Population {
    std::vector<Stratum> strata;  // in the design's order
    std::string problem;          // why nothing can be simulated
    std::string uom = "03";       // "01" board feet (totals in MBF), else cubic (CCF)

    // Volume per acre times acres in the sale's unit of totals.
    double Total(double volumePerAcre, double acres) const;
};

// Sample sizes beyond this are refused: a replicate would draw them all.
constexpr int kMaxDraws = 200000;

// The design the per-method tables hold with every stratum on one method (a stratum
// without rows for it keeps none): what simulating another method starts from.
design::Design MethodDesign(mk::Storage& storage, const std::string& method);

// The pseudo-population of the design from the cruise file's recon plots and trees.
// Reads only.
Population BuildPopulation(mk::Storage& storage, const design::Design& design, const std::string& uom);

}  // namespace simulate
