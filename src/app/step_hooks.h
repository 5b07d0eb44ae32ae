#pragma once
// The later steps of the workflow as hooks. Each subsystem fills its own hooks in its
// own file (src/app/steps_<subsystem>.cpp), so the main window, the design form and
// the command line never need an edit when a step arrives. A hook left empty means
// this build does not have the step.
#include <functional>
#include <string>

#include "app/workflow_steps.h"

namespace ui {
class UiPort;
}

namespace app {

struct StepHooks {
    // The strata setup on a closed file; update_flag comes in with the file's flag
    // and leaves with the one the setup sets. 0 when the setup ran.
    std::function<int(ui::UiPort&, const std::string& path, std::string& update_flag)> strata_setup;
    // 0 done; 1 no trees; 2 trees without volume.
    std::function<int(ui::UiPort&, mk::Storage&, const CostFigures&, const std::string& uom)>
        production_stats;
    // 0 done; 1 no strata; 2 a stratum with zero acres.
    std::function<int(ui::UiPort&, mk::Storage&, const CostFigures&, const std::string& uom,
                      int unit_changed)>
        recon_stats;
    // The design form on the open store; 0 when it ran.
    std::function<int(ui::UiPort&, store::CCruiseStore&, const DesignFormInputs&)> design_form;
    // Commands of the design form: "Make Kelvane" and "Make Report". 0 when done.
    std::function<int(ui::UiPort&, store::CCruiseStore&, const DesignFormInputs&)> field_file;
    std::function<int(ui::UiPort&, store::CCruiseStore&, const DesignFormInputs&)> reports;
};

// The hooks of this build, filled on first use by every subsystem's Register* below.
const StepHooks& Hooks();

// One per subsystem, each defined in its own steps_<subsystem>.cpp.
void RegisterSetupSteps(StepHooks& hooks);
void RegisterStatsSteps(StepHooks& hooks);
void RegisterDesignSteps(StepHooks& hooks);
void RegisterOutputSteps(StepHooks& hooks);
void RegisterReportSteps(StepHooks& hooks);

// WorkflowSteps over the hooks: what the main window uses unless a test gives it
// steps of its own.
class HookedSteps : public WorkflowSteps {
public:
    explicit HookedSteps(ui::UiPort& ui, const StepHooks& hooks = Hooks()) : ui_(ui), hooks_(hooks) {}
    bool Has(Step step) const override;
    int RunStrataSetup(const std::string& path, std::string& update_flag) override;
    int CompileProduction(mk::Storage& storage, const CostFigures& costs,
                          const std::string& uom) override;
    int CompileRecon(mk::Storage& storage, const CostFigures& costs, const std::string& uom,
                     int unit_changed) override;
    int RunDesignForm(store::CCruiseStore& store, const DesignFormInputs& inputs) override;

private:
    ui::UiPort& ui_;
    const StepHooks& hooks_;
};

}  // namespace app
