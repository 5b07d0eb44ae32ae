// The stats subsystem's steps of the workflow.
#include "app/step_hooks.h"
#include "stats/production.h"

namespace app {

void RegisterStatsSteps(StepHooks& hooks) {
    hooks.production_stats = [](ui::UiPort&, mk::Storage& storage, const CostFigures& costs,
                                const std::string& uom) {
        return stats::CompileProductionStatistics(storage, uom, costs);
    };
}

}  // namespace app
