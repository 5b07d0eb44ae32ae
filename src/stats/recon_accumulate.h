#pragma once
// The recon trees as the compilations read them (each needed TreeTable column once),
// and the three ways a selection of trees becomes statistics: as single trees, on
// fixed plots and on points. Pure functions over the trees, so the production
// statistics can use them too.
#include <cstdint>
#include <vector>

namespace stats {

// One entry per TreeTable row. Units and plots are interned to small integers in the
// order they first appear; recon is the row of StratumTable the tree's stratum names
// (-1 when none does).
struct ReconTrees {
    std::vector<int> unit;
    std::vector<int> plot;
    std::vector<int> recon;
    std::vector<float> dbh;     // inches
    std::vector<float> height;  // feet
    std::vector<double> volume; // in the sale's volume column

    int size() const { return static_cast<int>(unit.size()); }
    void Add(int unit_id, int plot_id, int recon_id, float d, float h, double v) {
        unit.push_back(unit_id);
        plot.push_back(plot_id);
        recon.push_back(recon_id);
        dbh.push_back(d);
        height.push_back(h);
        volume.push_back(v);
    }
};

// Result codes of the accumulations.
inline constexpr int kAccumulated = 0;
inline constexpr int kNoData = 1;      // no trees, no volume, or no plot to spread them over
inline constexpr int kSingleUnit = 2;  // per-acre figures set, the CVs need a second unit

struct TreeStats {
    int code = kNoData;
    double cv = 0;   // of tree volumes
    double tpa = 0;  // trees per acre
    double vpa = 0;  // volume per acre
    int trees = 0;
};

// Trees over the stratum's acres.
TreeStats AccumulateTrees(const ReconTrees& trees, const std::vector<int>& selection, double acres);

struct PlotStats {
    int code = kNoData;
    double cvPlot = 0;    // of plot (point) volumes
    double cvCount = 0;   // of trees per plot
    double cvTree = 0;    // of tree volumes (fixed plots) or volume-to-basal-area ratios (points)
    double cvHeight = 0;  // of point height sums (points only)
    double tpa = 0;
    double vpa = 0;
    double tpp = 0;       // trees per plot
    double avgHt = 0;     // points only
    int trees = 0;
    int noDiameter = 0;   // point trees left out of the per-acre sums for want of a DBH
};

// Fixed plots: `plots` plots of `fpSize` plots to the acre (10 for a 1/10-acre plot).
PlotStats AccumulateFixedPlots(const ReconTrees& trees, const std::vector<int>& selection, int plots,
                               double fpSize);
// Points of basal area factor `baf`.
PlotStats AccumulatePoints(const ReconTrees& trees, const std::vector<int>& selection, int points,
                           double baf);

// Basal area of a tree in square feet per square inch of diameter.
inline constexpr double kBasalAreaFactor = 0.005454;

}  // namespace stats
