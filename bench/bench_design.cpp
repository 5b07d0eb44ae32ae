// Optimize For Error and Optimize At Least Cost on a large sale, the trade-off curves,
// and one sample-group cell edit with the roll-up
// of its stratum and the sale.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "../tests/design/design_builder.h"
#include "design/least_cost.h"
#include "design/optimize.h"
#include "design/tradeoff.h"
#include "design/sg_rules.h"
#include "design/stratum.h"
#include "ui/scripted_ui.h"

namespace {

using namespace design;

const CostFigures kCosts{12.5, 40, 0.4, 1.5, 4.0, 0.2};

DesignSettings Settings() {
    DesignSettings s;
    s.costs = kCosts;
    return s;
}

Design LargeSale() { return design_builder::LargeSale(kCosts); }

void BM_OptimizeForError(benchmark::State& state) {
    const Design sale = LargeSale();
    ui::ScriptedUi ui;
    SaleTotals totals;
    for (auto _ : state) {
        state.PauseTiming();
        Design d = sale;
        ui.Clear();
        state.ResumeTiming();
        int rc = OptimizeForError(d, "2", Settings(), ui, &totals);
        benchmark::DoNotOptimize(rc);
        benchmark::DoNotOptimize(totals);
    }
    // Shows that the run reached its target of 2 %.
    state.counters["sale_error"] = totals.error;
    state.counters["messages"] = static_cast<double>(ui.Messages().size());
}
BENCHMARK(BM_OptimizeForError)->Unit(benchmark::kMillisecond);

// The cheapest design for a target (the form's default of 10 %, and 2 %).
void BM_OptimizeAtLeastCost(benchmark::State& state) {
    const Design sale = LargeSale();
    const std::string target = std::to_string(state.range(0));
    ui::ScriptedUi ui;
    LeastCostPlan plan;
    for (auto _ : state) {
        state.PauseTiming();
        Design d = sale;
        state.ResumeTiming();
        int rc = OptimizeAtLeastCost(d, target, Settings(), ui, &plan);
        benchmark::DoNotOptimize(rc);
    }
    // Shows that the design met its target, and whether the search proved it cheapest.
    state.counters["sale_error"] = plan.saleError;
    state.counters["cost"] = plan.cost;
    state.counters["proven"] = plan.proven;
}
BENCHMARK(BM_OptimizeAtLeastCost)->Arg(10)->Arg(2)->Unit(benchmark::kMillisecond);

// The curves of the design form's chart: 29 targets each.
using Curve = std::vector<TradeoffPoint> (*)(const Design&, const DesignSettings&, int, int);
void CurveOf(benchmark::State& state, Curve curve) {
    const Design sale = LargeSale();
    std::size_t points = 0;
    for (auto _ : state) {
        points = curve(sale, Settings(), 2, 30).size();
        benchmark::DoNotOptimize(points);
    }
    state.counters["points"] = static_cast<double>(points);
}
void BM_LeastCostCurve(benchmark::State& state) { CurveOf(state, LeastCostCurve); }
BENCHMARK(BM_LeastCostCurve)->Unit(benchmark::kMillisecond);
void BM_OptimizeForErrorCurve(benchmark::State& state) { CurveOf(state, TradeoffCurve); }
BENCHMARK(BM_OptimizeForErrorCurve)->Unit(benchmark::kMillisecond);

// One edit of the given column in the first group of stratum `stratumIndex`, then the
// stratum summary and the sale totals, as the design form shows them.
void EditAndRollUp(benchmark::State& state, std::size_t stratumIndex, const char* column) {
    Design d = LargeSale();
    StratumRow& s = d.strata[stratumIndex];
    SgRefs groups = GroupsOf(d, s.stratum);
    const StratumContext ctx = StratumContext::Of(s);
    ui::ScriptedUi ui;
    SgEditor editor(ui);
    const std::string values[] = {"9.5", "12", "15.25", "20"};
    std::size_t i = 0;
    for (auto _ : state) {
        editor.Edit(groups, 0, column, values[i++ % 4], ctx);
        SummarizeStratum(s, groups, SummaryMode::Form, "01", kCosts);
        SaleTotals totals = SaleErrorAndCost(d.strata);
        benchmark::DoNotOptimize(totals);
    }
}

// A point stratum: the new plot count goes to all 24 groups.
void BM_EditErrorSharedPlots(benchmark::State& state) { EditAndRollUp(state, 9, "SgErr"); }
BENCHMARK(BM_EditErrorSharedPlots)->Unit(benchmark::kMicrosecond);

void BM_EditTwoStageError(benchmark::State& state) { EditAndRollUp(state, 3, "SgErr"); }
BENCHMARK(BM_EditTwoStageError)->Unit(benchmark::kMicrosecond);

void BM_EditTreesPerAcre(benchmark::State& state) { EditAndRollUp(state, 1, "Trees/Acre"); }
BENCHMARK(BM_EditTreesPerAcre)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
