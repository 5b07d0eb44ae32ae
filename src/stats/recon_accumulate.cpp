#include "stats/recon_accumulate.h"

#include <algorithm>

#include "stats/cv_rule.h"

namespace stats {

namespace {

// The selection ordered by unit and plot, so that each plot's trees are one run.
std::vector<int> ByPlot(const ReconTrees& trees, const std::vector<int>& selection) {
    std::vector<int> order(selection);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        if (trees.unit[a] != trees.unit[b]) return trees.unit[a] < trees.unit[b];
        if (trees.plot[a] != trees.plot[b]) return trees.plot[a] < trees.plot[b];
        return a < b;
    });
    return order;
}

// Calls visit(first, last) for each run of trees on the same plot.
template <class F>
void ForEachPlot(const ReconTrees& trees, const std::vector<int>& order, F visit) {
    size_t i = 0;
    while (i < order.size()) {
        size_t j = i + 1;
        while (j < order.size() && trees.unit[order[j]] == trees.unit[order[i]] &&
               trees.plot[order[j]] == trees.plot[order[i]])
            ++j;
        visit(i, j);
        i = j;
    }
}

}  // namespace

TreeStats AccumulateTrees(const ReconTrees& trees, const std::vector<int>& selection, double acres) {
    TreeStats out;
    if (selection.empty()) return out;
    Sums sums;
    double total = 0;
    for (int t : selection) {
        double v = trees.volume[t];
        sums.Add(v);
        total += v;
    }
    out.trees = static_cast<int>(selection.size());
    if (!(total > 0)) return out;
    out.vpa = Truncate(SafeDiv(total, acres), 1);
    out.tpa = Truncate(SafeDiv(out.trees, acres), 1);
    if (out.trees < 2) {
        out.code = kSingleUnit;
        return out;
    }
    out.cv = CvFromSums(sums, out.trees);
    out.code = kAccumulated;
    return out;
}

PlotStats AccumulateFixedPlots(const ReconTrees& trees, const std::vector<int>& selection, int plots,
                               double fpSize) {
    PlotStats out;
    if (selection.empty() || plots <= 0) return out;
    const double e = fpSize / plots;
    Sums plotSums, countSums, treeSums;
    double total = 0;
    std::vector<int> order = ByPlot(trees, selection);
    ForEachPlot(trees, order, [&](size_t first, size_t last) {
        double sum = 0;
        for (size_t k = first; k < last; ++k) {
            double v = trees.volume[order[k]];
            treeSums.Add(v);
            sum += v;
        }
        double p = sum * e;
        total += p;
        plotSums.Add(p);
        countSums.Add(static_cast<double>(last - first));
    });
    out.trees = static_cast<int>(selection.size());
    if (!(total > 0)) return out;
    out.tpp = Truncate(static_cast<double>(out.trees) / plots, 1);
    out.tpa = Truncate(out.trees * e, 1);
    out.vpa = Truncate(total, 1);
    // The trees' own spread does not depend on how many plots hold them.
    out.cvTree = CvFromSums(treeSums, out.trees);
    if (plots <= 1) {
        out.code = kSingleUnit;
        return out;
    }
    out.cvPlot = CvFromSums(plotSums, plots);
    out.cvCount = CvFromSums(countSums, plots);
    out.code = kAccumulated;
    return out;
}

PlotStats AccumulatePoints(const ReconTrees& trees, const std::vector<int>& selection, int points,
                           double baf) {
    PlotStats out;
    if (selection.empty() || points <= 0) return out;
    Sums pointSums, countSums, heightSums, ratioSums;
    int ratios = 0;
    double total = 0, tpaTotal = 0, heightTotal = 0;
    std::vector<int> order = ByPlot(trees, selection);
    ForEachPlot(trees, order, [&](size_t first, size_t last) {
        double volume = 0, heights = 0;
        for (size_t k = first; k < last; ++k) {
            int t = order[k];
            double d = trees.dbh[t], h = trees.height[t], v = trees.volume[t];
            // A tree without a diameter stands for no area: it would divide by zero.
            if (d > 0) {
                double f = baf / (d * (points * d) * kBasalAreaFactor);
                tpaTotal += f;
                heightTotal += f * h;
                volume += v * f;
                ratioSums.Add(v / (d * d * kBasalAreaFactor));
                ++ratios;
            } else {
                ++out.noDiameter;
            }
            heights += h;
        }
        total += volume;
        pointSums.Add(volume);
        countSums.Add(static_cast<double>(last - first));
        heightSums.Add(heights);
    });
    out.trees = static_cast<int>(selection.size());
    if (!(total > 0)) return out;
    out.avgHt = RoundHalfUp(SafeDiv(heightTotal, tpaTotal));
    out.tpp = Truncate(static_cast<double>(out.trees) / points, 1);
    out.tpa = Truncate(tpaTotal, 1);
    out.vpa = Truncate(total, 1);
    out.cvTree = CvFromSums(ratioSums, ratios);
    if (points <= 1) {
        out.code = kSingleUnit;
        return out;
    }
    out.cvPlot = CvFromSums(pointSums, points);
    out.cvCount = CvFromSums(countSums, points);
    out.cvHeight = CvFromSums(heightSums, points);
    out.code = kAccumulated;
    return out;
}

}  // namespace stats
