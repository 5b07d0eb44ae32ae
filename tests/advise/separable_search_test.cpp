// The separable search against every partition of small sales: among the partitions
// that keep the rules and run along each method's volume order, none is better than
// the one the dynamic programme finds, for every number of strata.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>

#include "advise/separable_search.h"
#include "advise_fixture.h"

namespace {

using advise::Partition;
using advise::ReconProfile;

// A sale of n units with random methods, plot counts (some of a single plot) and
// plot volumes per acre in two sample groups.
ReconProfile RandomSale(int n, uint64_t seed) {
    advisetest::Rng rng(seed);
    ReconProfile p;
    p.groups = {"DF/01", "WH/01"};
    p.costs.plot = 6;
    p.costs.measure = 1.5;
    const char* methods[] = {"PNT", "FIX", "100"};
    for (int u = 0; u < n; ++u) {
        advise::UnitRecon unit;
        unit.code = std::to_string(u + 1);
        unit.method = methods[static_cast<int>(rng.Uniform() * (n > 5 ? 3 : 2))];
        unit.acres = 10 + std::floor(rng.Uniform() * 90);
        unit.plots = rng.Uniform() < 0.25 ? 1 : 2 + static_cast<int>(rng.Uniform() * 4);
        unit.sum.assign(2, 0);
        unit.sumSq.assign(2, 0);
        const double level = 500 + 4000 * rng.Uniform();
        for (int plot = 0; plot < unit.plots; ++plot)
            for (int g = 0; g < 2; ++g) {
                const double v = level * (g == 0 ? 0.7 : 0.3) * (0.5 + rng.Uniform());
                unit.sum[g] += v;
                unit.sumSq[g] += v * v;
                unit.volume += v;
                unit.trees += 1 + static_cast<int>(rng.Uniform() * 3);
            }
        p.units.push_back(unit);
    }
    return p;
}

// Every partition of {0..n-1}, as block lists.
void ForEachPartition(int n, const std::function<void(const std::vector<std::vector<int>>&)>& f) {
    std::vector<int> block(static_cast<size_t>(n), 0);
    std::function<void(int, int)> go = [&](int i, int blocks) {
        if (i == n) {
            std::vector<std::vector<int>> parts(static_cast<size_t>(blocks));
            for (int u = 0; u < n; ++u) parts[block[u]].push_back(u);
            f(parts);
            return;
        }
        for (int b = 0; b <= blocks; ++b) {
            block[i] = b;
            go(i + 1, std::max(blocks, b + 1));
        }
    };
    go(0, 0);
}

// Whether each block is a run of consecutive units in its method's search order.
bool RunsOfTheOrder(const ReconProfile& p, const std::vector<std::vector<int>>& parts) {
    std::map<int, std::pair<size_t, size_t>> at;  // unit -> (method group, position)
    const auto groups = advise::MethodGroups(p);
    for (size_t g = 0; g < groups.size(); ++g)
        for (size_t i = 0; i < groups[g].size(); ++i) at[groups[g][i]] = {g, i};
    for (const auto& block : parts) {
        std::vector<size_t> pos;
        for (int u : block) pos.push_back(at[u].second);
        std::sort(pos.begin(), pos.end());
        if (pos.back() - pos.front() + 1 != pos.size()) return false;
    }
    return true;
}

double Near(double a) { return 1e-9 * std::max(1.0, std::fabs(a)); }

TEST(SeparableSearch, MatchesExhaustiveEnumerationOnSmallSales) {
    int compared = 0, impossible = 0;
    for (uint64_t seed = 1; seed <= 160; ++seed) {
        const int n = 2 + static_cast<int>(seed % 7);  // 2 to 8 units
        const ReconProfile p = RandomSale(n, seed * 7919);
        const auto found = advise::SeparableSearch(p, n);
        std::vector<double> best(static_cast<size_t>(n) + 1, std::numeric_limits<double>::infinity());
        ForEachPartition(n, [&](const std::vector<std::vector<int>>& parts) {
            double total = 0;
            for (const auto& b : parts) {
                if (!advise::AllowedStratum(p, b)) return;
                total += advise::StratumObjective(p, b);
            }
            if (RunsOfTheOrder(p, parts)) best[parts.size()] = std::min(best[parts.size()], total);
        });
        for (int k = 1; k <= n; ++k) {
            const auto& part = found[static_cast<size_t>(k - 1)];
            SCOPED_TRACE("seed " + std::to_string(seed) + ", k " + std::to_string(k));
            if (std::isinf(best[k])) {
                EXPECT_FALSE(part.has_value());
                ++impossible;
                continue;
            }
            ASSERT_TRUE(part.has_value());
            EXPECT_NEAR(part->objective, best[k], Near(best[k]));
            // The partition found is one the rules allow, and its objective is its own.
            ASSERT_EQ(part->strata.size(), static_cast<size_t>(k));
            double own = 0;
            std::vector<int> all;
            for (const auto& s : part->strata) {
                EXPECT_TRUE(advise::AllowedStratum(p, s));
                own += advise::StratumObjective(p, s);
                all.insert(all.end(), s.begin(), s.end());
            }
            std::sort(all.begin(), all.end());
            for (int u = 0; u < n; ++u) EXPECT_EQ(all[u], u);  // every unit once
            EXPECT_NEAR(own, part->objective, Near(own));
            EXPECT_TRUE(RunsOfTheOrder(p, part->strata));
            ++compared;
        }
    }
    // Both outcomes were met many times.
    EXPECT_GT(compared, 300);
    EXPECT_GT(impossible, 20);
}

TEST(SeparableSearch, RulesOfAStratum) {
    ReconProfile p = RandomSale(4, 3);
    for (int u = 0; u < 4; ++u) p.units[u].method = u < 3 ? "PNT" : "FIX";
    p.units[0].plots = 1;
    p.units[3].plots = 1;
    EXPECT_FALSE(advise::AllowedStratum(p, {0, 3})) << "methods mixed";
    EXPECT_FALSE(advise::AllowedStratum(p, {0})) << "one plot";
    EXPECT_TRUE(advise::AllowedStratum(p, {0, 1}));
    // A method whose units hold a single plot between them is one stratum.
    EXPECT_TRUE(advise::AllowedStratum(p, {3}));
    // No more strata than the rules allow: 4 units, but unit 1 (one plot) needs company.
    const auto found = advise::SeparableSearch(p, 4);
    EXPECT_TRUE(found[0] == std::nullopt) << "two methods never make one stratum";
    EXPECT_TRUE(found[1].has_value());
    EXPECT_TRUE(found[3] == std::nullopt);
}

TEST(SeparableSearch, SeparatedLevelsAreFoundAndOneStratumCostsMore) {
    // Nine units at three clearly different volumes per acre, interleaved in the
    // unit table.
    ReconProfile p;
    p.groups = {"DF/01"};
    p.costs.plot = 6;
    p.costs.measure = 1.5;
    advisetest::Rng rng(11);
    for (int u = 0; u < 9; ++u) {
        advise::UnitRecon unit;
        unit.code = std::to_string(u + 1);
        unit.method = "PNT";
        unit.acres = 50;
        unit.plots = 6;
        unit.trees = 30;
        unit.sum.assign(1, 0);
        unit.sumSq.assign(1, 0);
        const double level = 1000.0 * (1 + 4 * (u % 3));
        for (int k = 0; k < unit.plots; ++k) {
            const double v = level * (0.9 + 0.2 * rng.Uniform());
            unit.sum[0] += v;
            unit.sumSq[0] += v * v;
            unit.volume += v;
        }
        p.units.push_back(unit);
    }
    const auto found = advise::SeparableSearch(p, 4);
    ASSERT_TRUE(found[2].has_value());
    for (const auto& s : found[2]->strata) {
        ASSERT_EQ(s.size(), 3u);
        for (int u : s) EXPECT_EQ(u % 3, s.front() % 3);
    }
    EXPECT_LT(found[2]->objective, 0.25 * found[0]->objective);
}

}  // namespace
