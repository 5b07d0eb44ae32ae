#include "advise/separable_search.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace advise {

namespace {

constexpr double kNone = std::numeric_limits<double>::infinity();

double Term(const ReconProfile& profile, const StratumSums& s, bool sampled) {
    if (!sampled) return 0;
    return s.acres * s.Spread() * std::sqrt(s.PlotCost(profile.costs));
}

int PlotsOf(const ReconProfile& profile, const std::vector<int>& units) {
    int plots = 0;
    for (int u : units) plots += profile.units[u].plots;
    return plots;
}

// The best partitions of one method's units (in search order) into 1 .. jmax runs:
// cost[j] and, for rebuilding them, where each run starts.
struct GroupSearch {
    std::vector<double> cost;                 // index j (0 unused)
    std::vector<std::vector<int>> from;       // from[j][i]: start of the last of j runs over the first i units
    int n = 0;

    std::vector<std::vector<int>> Runs(const std::vector<int>& units, int j) const {
        std::vector<std::vector<int>> runs(static_cast<size_t>(j));
        int end = n;
        for (int k = j; k >= 1; --k) {
            const int start = from[k][end];
            runs[k - 1].assign(units.begin() + start, units.begin() + end);
            end = start;
        }
        return runs;
    }
};

GroupSearch SearchGroup(const ReconProfile& profile, const std::vector<int>& units, int jmax) {
    const int n = static_cast<int>(units.size());
    const size_t groups = profile.groups.size();
    const bool sampled = SampledMethod(profile.units[units.front()].method);
    const bool fewPlots = PlotsOf(profile, units) < 2;

    // Prefix sums over the sorted units: a run's sums are two look-ups.
    std::vector<StratumSums> prefix(static_cast<size_t>(n) + 1);
    prefix[0].sum.assign(groups, 0);
    prefix[0].sumSq.assign(groups, 0);
    for (int i = 0; i < n; ++i) {
        prefix[i + 1] = prefix[i];
        prefix[i + 1].Add(profile.units[units[i]]);
    }
    // seg[a][b]: the run of units a .. b - 1.
    std::vector<std::vector<double>> seg(static_cast<size_t>(n), std::vector<double>(static_cast<size_t>(n) + 1, kNone));
    StratumSums run;
    run.sum.resize(groups);
    run.sumSq.resize(groups);
    for (int a = 0; a < n; ++a)
        for (int b = a + 1; b <= n; ++b) {
            const StratumSums& hi = prefix[b];
            const StratumSums& lo = prefix[a];
            run.acres = hi.acres - lo.acres;
            run.plots = hi.plots - lo.plots;
            run.trees = hi.trees - lo.trees;
            for (size_t g = 0; g < groups; ++g) {
                run.sum[g] = hi.sum[g] - lo.sum[g];
                run.sumSq[g] = hi.sumSq[g] - lo.sumSq[g];
            }
            const bool allowed = run.plots >= 2 || (fewPlots && a == 0 && b == n);
            if (allowed) seg[a][b] = Term(profile, run, sampled);
        }

    GroupSearch out;
    out.n = n;
    jmax = std::min(jmax, n);
    out.cost.assign(static_cast<size_t>(jmax) + 1, kNone);
    out.from.assign(static_cast<size_t>(jmax) + 1, std::vector<int>(static_cast<size_t>(n) + 1, -1));
    // best[i]: the best split of the first i units into j runs, for the current j.
    std::vector<double> best(static_cast<size_t>(n) + 1, kNone), next(static_cast<size_t>(n) + 1);
    best[0] = 0;
    for (int j = 1; j <= jmax; ++j) {
        std::fill(next.begin(), next.end(), kNone);
        for (int i = j; i <= n; ++i)
            for (int a = j - 1; a < i; ++a) {
                if (best[a] == kNone || seg[a][i] == kNone) continue;
                const double c = best[a] + seg[a][i];
                if (c < next[i]) {
                    next[i] = c;
                    out.from[j][i] = a;
                }
            }
        out.cost[j] = next[n];
        best.swap(next);
    }
    return out;
}

}  // namespace

std::vector<std::vector<int>> MethodGroups(const ReconProfile& profile) {
    std::map<std::pair<bool, std::string>, std::vector<int>> byMethod;  // sampled methods first
    for (int u = 0; u < static_cast<int>(profile.units.size()); ++u) {
        const std::string& m = profile.units[u].method;
        byMethod[{!SampledMethod(m), m}].push_back(u);
    }
    std::vector<std::vector<int>> out;
    for (auto& [key, units] : byMethod) {
        std::stable_sort(units.begin(), units.end(), [&](int a, int b) {
            return profile.units[a].VolumePerAcre() < profile.units[b].VolumePerAcre();
        });
        out.push_back(std::move(units));
    }
    return out;
}

bool AllowedStratum(const ReconProfile& profile, const std::vector<int>& units) {
    if (units.empty()) return false;
    const std::string& method = profile.units[units.front()].method;
    for (int u : units)
        if (profile.units[u].method != method) return false;
    if (PlotsOf(profile, units) >= 2) return true;
    // A method whose units hold fewer than two plots between them: all in one stratum.
    for (int u = 0; u < static_cast<int>(profile.units.size()); ++u)
        if (profile.units[u].method == method && std::find(units.begin(), units.end(), u) == units.end())
            return false;
    return true;
}

double StratumObjective(const ReconProfile& profile, const std::vector<int>& units) {
    if (!AllowedStratum(profile, units)) return kNone;
    StratumSums s;
    s.sum.assign(profile.groups.size(), 0);
    s.sumSq.assign(profile.groups.size(), 0);
    for (int u : units) s.Add(profile.units[u]);
    return Term(profile, s, SampledMethod(profile.units[units.front()].method));
}

std::vector<std::optional<Partition>> SeparableSearch(const ReconProfile& profile, int maxStrata) {
    std::vector<std::optional<Partition>> out(static_cast<size_t>(std::max(maxStrata, 0)));
    const std::vector<std::vector<int>> groups = MethodGroups(profile);
    if (groups.empty() || maxStrata < 1) return out;
    std::vector<GroupSearch> searches;
    for (const auto& g : groups) searches.push_back(SearchGroup(profile, g, maxStrata));

    // total[g][k]: the best k strata over the first g methods; take[g][k]: how many of
    // them the g-th method has. Ties leave strata to the earlier methods, those whose
    // spread more strata can reduce.
    const size_t G = groups.size(), K = static_cast<size_t>(maxStrata);
    std::vector<std::vector<double>> total(G + 1, std::vector<double>(K + 1, kNone));
    std::vector<std::vector<int>> take(G + 1, std::vector<int>(K + 1, 0));
    total[0][0] = 0;
    for (size_t g = 0; g < G; ++g) {
        const GroupSearch& s = searches[g];
        for (size_t k = 1; k <= K; ++k)
            for (size_t j = 1; j < s.cost.size() && j <= k; ++j) {
                if (total[g][k - j] == kNone || s.cost[j] == kNone) continue;
                const double c = total[g][k - j] + s.cost[j];
                if (c < total[g + 1][k]) {
                    total[g + 1][k] = c;
                    take[g + 1][k] = static_cast<int>(j);
                }
            }
    }
    for (size_t k = 1; k <= K; ++k) {
        if (total[G][k] == kNone) continue;
        Partition p;
        p.objective = total[G][k];
        std::vector<std::vector<std::vector<int>>> parts(G);
        size_t left = k;
        for (size_t g = G; g >= 1; --g) {
            const int j = take[g][left];
            parts[g - 1] = searches[g - 1].Runs(groups[g - 1], j);
            left -= static_cast<size_t>(j);
        }
        for (auto& runs : parts)
            for (auto& r : runs) p.strata.push_back(std::move(r));
        out[k - 1] = std::move(p);
    }
    return out;
}

}  // namespace advise
