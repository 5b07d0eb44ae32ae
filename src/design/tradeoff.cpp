#include "design/tradeoff.h"

#include <string>

#include "design/least_cost.h"
#include "design/silent_ui.h"

namespace design {

std::vector<TradeoffPoint> TradeoffCurve(const Design& design, const DesignSettings& settings, int from,
                                         int to) {
    std::vector<TradeoffPoint> out;
    SilentUi ui;
    DesignSettings quiet = settings;
    quiet.displayDataWarnings = false;
    Design work = design;
    for (int target = from; target <= to; ++target) {
        // Assignment reuses the copy's storage: the rows' texts need no new memory.
        if (target != from) {
            work.strata = design.strata;
            work.groups = design.groups;
        }
        SaleTotals totals;
        if (OptimizeForError(work, std::to_string(target), quiet, ui, &totals) != kOptimized) continue;
        out.push_back({static_cast<double>(target), totals.error, totals.cost});
    }
    return out;
}

std::vector<TradeoffPoint> LeastCostCurve(const Design& design, const DesignSettings& settings, int from, int to) {
    std::vector<TradeoffPoint> out;
    // One solver: the designs it prices for one target serve the next.
    LeastCostSolver solver(design, settings);
    for (int target = from; target <= to; ++target) {
        LeastCostPlan plan = solver.Solve(target);
        if (plan.reached) out.push_back({static_cast<double>(target), plan.saleError, plan.cost});
    }
    return out;
}

}  // namespace design
