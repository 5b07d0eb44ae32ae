#include "app/step_hooks.h"

namespace app {

const StepHooks& Hooks() {
    static const StepHooks hooks = [] {
        StepHooks h;
        RegisterSetupSteps(h);
        RegisterStatsSteps(h);
        RegisterDesignSteps(h);
        RegisterOutputSteps(h);
        RegisterReportSteps(h);
        return h;
    }();
    return hooks;
}

bool HookedSteps::Has(Step step) const {
    switch (step) {
        case kStrataSetup: return static_cast<bool>(hooks_.strata_setup);
        case kProductionStats: return static_cast<bool>(hooks_.production_stats);
        case kReconStats: return static_cast<bool>(hooks_.recon_stats);
        case kDesignForm: return static_cast<bool>(hooks_.design_form);
    }
    return false;
}

int HookedSteps::RunStrataSetup(const std::string& path, std::string& update_flag) {
    return hooks_.strata_setup ? hooks_.strata_setup(ui_, path, update_flag) : kNotAvailable;
}

int HookedSteps::CompileProduction(mk::Storage& storage, const CostFigures& costs,
                                   const std::string& uom) {
    return hooks_.production_stats ? hooks_.production_stats(ui_, storage, costs, uom) : kNotAvailable;
}

int HookedSteps::CompileRecon(mk::Storage& storage, const CostFigures& costs, const std::string& uom,
                              int unit_changed) {
    return hooks_.recon_stats ? hooks_.recon_stats(ui_, storage, costs, uom, unit_changed)
                              : kNotAvailable;
}

int HookedSteps::RunDesignForm(store::CCruiseStore& store, const DesignFormInputs& inputs) {
    return hooks_.design_form ? hooks_.design_form(ui_, store, inputs) : kNotAvailable;
}

}  // namespace app
