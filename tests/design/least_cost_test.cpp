#include "design/least_cost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "design/optimize.h"
#include "design/sampling.h"
#include "design_builder.h"
#include "ui/scripted_ui.h"

using namespace design;
using namespace design_builder;

namespace {

DesignSettings Settings(const CostFigures& costs = kCosts, bool warnings = false) {
    DesignSettings s;
    s.costs = costs;
    s.displayDataWarnings = warnings;
    return s;
}

bool Free(const StratumRow& s) { return !IsLocked(s) && s.cruzMeth != "100"; }

// One stratum's design at one size, priced by the distribution and summary rules.
struct Priced {
    double cost = 0;
    double error = 0;
    double volAcre = 0;
};

// Every distinct design of every free stratum for sizes 2 to maxSize, by cost.
std::vector<std::vector<Priced>> PriceEverySize(const Design& d, const DesignSettings& s, int maxSize) {
    std::vector<std::vector<Priced>> out(d.strata.size());
    ui::ScriptedUi quiet;
    for (std::size_t i = 0; i < d.strata.size(); ++i) {
        if (!Free(d.strata[i])) continue;
        for (int n = 2; n <= maxSize; ++n) {
            Design c = d;
            SgRefs groups = GroupsOf(c, c.strata[i].stratum);
            DistributeStratum(c.strata[i], groups, n, StratumCv(d.strata[i]), quiet);
            SummarizeStratum(c.strata[i], groups, SummaryMode::Form, s.uom, s.costs);
            out[i].push_back({c.strata[i].strCost, c.strata[i].error, c.strata[i].volAcre});
        }
        auto& v = out[i];
        std::sort(v.begin(), v.end(), [](const Priced& a, const Priced& b) {
            return a.cost != b.cost ? a.cost < b.cost : a.error < b.error;
        });
        v.erase(std::unique(v.begin(), v.end(),
                            [](const Priced& a, const Priced& b) { return a.cost == b.cost && a.error == b.error; }),
                v.end());
    }
    return out;
}

// The least total cost over every combination of sizes whose sale error, as the form
// computes it, is at or below the target; -1 when none is.
double ExhaustiveLeastCost(const Design& d, const DesignSettings& s, double target, int maxSize) {
    const auto priced = PriceEverySize(d, s, maxSize);
    std::vector<std::size_t> free;
    for (std::size_t i = 0; i < d.strata.size(); ++i)
        if (Free(d.strata[i])) free.push_back(i);
    std::vector<StratumRow> rows = d.strata;
    auto set = [&](std::size_t i, const Priced& p) {
        rows[i].strCost = p.cost;
        rows[i].error = p.error;
        rows[i].volAcre = p.volAcre;
    };
    double best = -1;
    if (free.empty()) {
        SaleTotals t = SaleErrorAndCost(rows);
        return t.error <= target ? t.cost : -1;
    }
    auto walk = [&](auto& self, std::size_t k) -> void {
        const std::size_t i = free[k];
        if (k + 1 == free.size()) {
            // By cost: the first that meets the target is this combination's cheapest.
            for (const Priced& p : priced[i]) {
                set(i, p);
                SaleTotals t = SaleErrorAndCost(rows);
                if (best >= 0 && t.cost >= best) return;
                if (t.error <= target) {
                    best = t.cost;
                    return;
                }
            }
            return;
        }
        for (const Priced& p : priced[i]) {
            set(i, p);
            self(self, k + 1);
        }
    };
    walk(walk, 0);
    return best;
}

const char* const kSampledMethods[] = {"STR", "3P", "S3P", "PNT", "FIX", "F3P",
                                       "P3P", "PCM", "FCM", "PCMTRE", "3PPNT"};

// Small designs of every sampled method, now and then a locked or 100 % stratum.
Design RandomDesign(std::uint32_t seed, const CostFigures& costs) {
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<std::uint32_t>(n)); };
    Design d;
    int strata = 2 + pick(3);
    for (int i = 0; i < strata; ++i) {
        std::vector<SgRow> groups;
        int count = 1 + pick(3);
        for (int j = 0; j < count; ++j)
            groups.push_back(Group(20 + pick(100), 15 + pick(60), 10 + pick(80), 500 + pick(8000), 2 + pick(8)));
        std::string method = kSampledMethods[pick(11)];
        if (pick(8) == 0) method = "100";
        AddStratum(d, std::to_string(i + 1), method, 20 + pick(300), groups, pick(2) ? 20 : 0.1, costs);
        if (method != "100" && pick(8) == 0) d.strata.back().lock = "1";
    }
    return d;
}

double SaleErrorAtSize(const Design& d, const DesignSettings& s, int n) {
    Design c = d;
    LeastCostPlan plan;
    plan.sizes.assign(c.strata.size(), 0);
    for (std::size_t i = 0; i < c.strata.size(); ++i)
        if (Free(c.strata[i])) plan.sizes[i] = n;
    ui::ScriptedUi quiet;
    ApplyLeastCostPlan(c, plan, s, quiet);
    return SaleErrorAndCost(c.strata).error;
}

}  // namespace

TEST(LeastCost, EqualsExhaustiveSearchOnSmallDesigns) {
    const CostFigures costSets[] = {kCosts, {12.5, 40, 0.4, 1.5, 4.0, 0.2}, {3, 80, 1.25, 0, 9, 0}};
    constexpr int kMax = 60;
    int reached = 0, unreachable = 0;
    for (std::uint32_t seed = 1; seed <= 36; ++seed) {
        const CostFigures& costs = costSets[seed % 3];
        Design d = RandomDesign(seed, costs);
        DesignSettings s = Settings(costs);
        double low = SaleErrorAtSize(d, s, kMax), high = SaleErrorAtSize(d, s, 2);
        // Mostly targets between what the largest and the smallest sizes reach, now
        // and then one below what any size reaches.
        double target = seed % 9 == 0 ? low * 0.9 : low + (high - low) * (0.03 + 0.02 * (seed % 12));
        double exhaustive = ExhaustiveLeastCost(d, s, target, kMax);

        LeastCostOptions options;
        options.maxSize = kMax;
        LeastCostSolver solver(d, s, options);
        LeastCostPlan plan = solver.Solve(target);
        SCOPED_TRACE("seed " + std::to_string(seed) + " target " + std::to_string(target));
        ASSERT_EQ(plan.reached, exhaustive >= 0);
        if (!plan.reached) {
            ++unreachable;
            continue;
        }
        ++reached;
        EXPECT_DOUBLE_EQ(plan.cost, exhaustive);
        EXPECT_TRUE(plan.proven);
        EXPECT_LE(plan.lowerBound, plan.cost);

        // The plan, applied with the program's rules, is the design it promised.
        Design applied = d;
        ui::ScriptedUi quiet;
        ApplyLeastCostPlan(applied, plan, s, quiet);
        SaleTotals t = SaleErrorAndCost(applied.strata);
        EXPECT_LE(t.error, target);
        EXPECT_DOUBLE_EQ(t.error, plan.saleError);
        EXPECT_DOUBLE_EQ(t.cost, plan.cost);
    }
    // The seeds cover both outcomes.
    EXPECT_GE(reached, 25);
    EXPECT_GE(unreachable, 2);
}

TEST(LeastCost, NeverDearerThanOptimizeForErrorAndMeetsTheTarget) {
    struct Case {
        Design design;
        CostFigures costs;
    };
    const CostFigures bench{12.5, 40, 0.4, 1.5, 4.0, 0.2};
    std::vector<Case> cases = {{MixedSale(), kCosts}, {LargeSale(bench), bench}};
    for (Case& c : cases) {
        for (double target : {5.0, 10.0, 20.0}) {
            SCOPED_TRACE(std::to_string(c.design.strata.size()) + " strata, target " + std::to_string(target));
            DesignSettings s = Settings(c.costs);
            ui::ScriptedUi ui;
            Design rule = c.design;
            SaleTotals ruleTotals;
            ASSERT_EQ(OptimizeForError(rule, std::to_string(target), s, ui, &ruleTotals), kOptimized);

            Design least = c.design;
            LeastCostPlan plan;
            ASSERT_EQ(OptimizeAtLeastCost(least, std::to_string(target), s, ui, &plan), kLeastCostDone);
            SaleTotals t = SaleErrorAndCost(least.strata);
            EXPECT_LE(t.error, target);
            EXPECT_DOUBLE_EQ(t.cost, plan.cost);
            if (ruleTotals.error <= target) {
                EXPECT_LT(t.cost, ruleTotals.cost);
            }
            EXPECT_TRUE(ui.Messages().empty());
        }
    }
}

TEST(LeastCost, EqualPlotCostsGiveNeymanAllocation) {
    // Point strata whose plots all cost the same: the cheapest allocation for a sale
    // error gives each stratum plots in proportion to its volume times its CV.
    Design d;
    const double cvs[] = {30, 90, 60, 45};
    const double acres[] = {400, 150, 250, 600};
    const double volumes[] = {5000, 3000, 8000, 2000};
    for (int i = 0; i < 4; ++i)
        AddStratum(d, std::to_string(i + 1), "PNT", acres[i], {Group(cvs[i], 0, 50, volumes[i], 5)});
    ui::ScriptedUi ui;
    ASSERT_EQ(OptimizeAtLeastCost(d, "3", Settings(), ui), kLeastCostDone);
    std::vector<double> ratio;
    for (int i = 0; i < 4; ++i) ratio.push_back(d.strata[i].sumN / (cvs[i] * volumes[i] * acres[i]));
    auto [lo, hi] = std::minmax_element(ratio.begin(), ratio.end());
    // Within the steps of whole plots and of errors truncated to hundredths; the
    // CVs alone differ threefold.
    EXPECT_LT(*hi / *lo, 1.06);
    EXPECT_GT(d.strata[1].sumN, 100);  // large enough for the shape to show
    EXPECT_LE(SaleErrorAndCost(d.strata).error, 3.0);
}

TEST(LeastCost, LockedAndEveryTreeStrataStayAndUnreachableTargetsSaySo) {
    Design d = MixedSale();
    d.strata[0].lock = "1";
    d.strata[0].error = 7.5;
    AddStratum(d, "6", "100", 400, {Group(40, 0, 50, 8000)});
    d.strata.back().error = d.groups.back().sgErr = 0;  // every tree measured
    const Design before = d;
    ui::ScriptedUi ui;
    LeastCostPlan plan;
    ASSERT_EQ(OptimizeAtLeastCost(d, "6", Settings(), ui, &plan), kLeastCostDone);
    EXPECT_EQ(plan.sizes[0], 0);
    EXPECT_EQ(plan.sizes[5], 0);
    for (std::size_t i : {0, 5}) {
        EXPECT_EQ(d.strata[i].error, before.strata[i].error);
        EXPECT_EQ(d.strata[i].sumN, before.strata[i].sumN);
        EXPECT_EQ(d.strata[i].strCost, before.strata[i].strCost);
    }
    for (std::size_t g : {std::size_t{0}, std::size_t{1}, d.groups.size() - 1}) EXPECT_EQ(d.groups[g].sgN, before.groups[g].sgN);
    EXPECT_NE(d.groups[2].sgN, before.groups[2].sgN);

    // The locked stratum alone holds the sale above 0.5 %.
    Design stuck = before;
    ui.Clear();
    EXPECT_EQ(OptimizeAtLeastCost(stuck, "0.5", Settings(), ui), kLeastCostUnreachable);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Last()->title, "Warning");
    EXPECT_EQ(ui.Last()->text.rfind("The target sale error of 0.5 % cannot be reached: with 1000000 plots or trees in "
                                    "every stratum that may change, the sale error is still ",
                                    0),
              0u);
    for (std::size_t g = 0; g < stuck.groups.size(); ++g) EXPECT_EQ(stuck.groups[g].sgN, before.groups[g].sgN);
}

TEST(LeastCost, RefusesAMissingTargetAndStopsWhenDeclined) {
    for (const char* text : {"0", "-3", "", "abc", "nan", "inf", "1e400"}) {
        Design d = MixedSale();
        ui::ScriptedUi ui;
        EXPECT_EQ(OptimizeAtLeastCost(d, text, Settings(), ui), kLeastCostNoTarget) << text;
        ASSERT_EQ(ui.Messages().size(), 1u);
        EXPECT_EQ(ui.Last()->text, "Enter a value in the edit box\nnext to the Optimize At Least Cost button.");
        EXPECT_EQ(d.groups[0].sgN, 10);
    }
    // A number out of the target's rule is named by the rule, and nothing changes.
    for (const char* text : {"101", "100.5"}) {
        Design d = MixedSale();
        ui::ScriptedUi ui;
        EXPECT_EQ(OptimizeAtLeastCost(d, text, Settings(), ui), kLeastCostNoTarget) << text;
        ASSERT_EQ(ui.Messages().size(), 1u);
        EXPECT_EQ(ui.Last()->text.rfind("Target sale error: ", 0), 0u) << ui.Last()->text;
        EXPECT_EQ(d.groups[0].sgN, 10);
    }
    Design d = MixedSale();
    d.groups[0].c = "R";
    ui::ScriptedUi ui;
    ui.PushQuestionAnswer(false);
    EXPECT_EQ(OptimizeAtLeastCost(d, "10", Settings(kCosts, true), ui), kLeastCostDeclined);
    EXPECT_EQ(ui.Last()->kind, "question");
    EXPECT_EQ(d.groups[0].sgN, 10);
}

TEST(LeastCost, ASeriesOfTargetsOnOneSolverMatchesFreshSolves) {
    const Design d = MixedSale();
    LeastCostSolver series(d, Settings());
    for (double target : {30.0, 4.0, 7.5, 15.0, 5.0}) {
        LeastCostPlan a = series.Solve(target);
        LeastCostPlan b = LeastCostSolver(d, Settings()).Solve(target);
        // Equal costs; the sizes may differ where designs tie.
        EXPECT_DOUBLE_EQ(a.cost, b.cost) << target;
        EXPECT_TRUE(a.reached && a.proven) << target;
    }
}

TEST(LeastCost, DegenerateDesigns) {
    ui::ScriptedUi ui;
    Design empty;
    EXPECT_EQ(OptimizeAtLeastCost(empty, "10", Settings(), ui), kLeastCostDone);

    // No variation: the smallest sizes already meet any target.
    Design flat;
    AddStratum(flat, "1", "STR", 50, {Group(0, 0, 50, 5000), Group(0, 0, 5, 500)});
    AddStratum(flat, "2", "F3P", 50, {Group(0, 0, 50, 5000), Group(0, 0, 5, 0)});
    LeastCostPlan plan;
    ASSERT_EQ(OptimizeAtLeastCost(flat, "0.5", Settings(), ui, &plan), kLeastCostDone);
    EXPECT_EQ(plan.sizes, (std::vector<int>{2, 2}));
    EXPECT_EQ(SaleErrorAndCost(flat.strata).error, 0);

    // Nothing costs anything: every design is cheapest, the first that meets the target does.
    Design free = MixedSale();
    ASSERT_EQ(OptimizeAtLeastCost(free, "10", Settings(CostFigures{}), ui, &plan), kLeastCostDone);
    EXPECT_EQ(plan.cost, 0);
    EXPECT_TRUE(plan.proven);
    EXPECT_LE(SaleErrorAndCost(free.strata).error, 10);
    EXPECT_TRUE(ui.Messages().empty());
}
