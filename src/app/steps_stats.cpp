// The stats subsystem's steps of the workflow.
#include "app/step_hooks.h"
#include "stats/production.h"
#include "stats/recon_compiler.h"

namespace app {

void RegisterStatsSteps(StepHooks& hooks) {
    hooks.production_stats = [](ui::UiPort&, mk::Storage& storage, const CostFigures& costs,
                                const std::string& uom) {
        return stats::CompileProductionStatistics(storage, uom, costs);
    };
    hooks.recon_stats = [](ui::UiPort& ui, mk::Storage& storage, const CostFigures& costs, const std::string& uom,
                           int unit_changed) {
        return stats::ReconCompiler(storage, ui, uom, costs, unit_changed).Compile();
    };
}

}  // namespace app
