// The setup subsystem's steps of the workflow.
#include "app/step_hooks.h"
#include "setup/setup_session.h"

namespace app {

void RegisterSetupSteps(StepHooks& hooks) {
    hooks.strata_setup = [](ui::UiPort& ui, const std::string& path, std::string& update_flag) {
        return setup::RunStrataSetup(ui, path, update_flag);
    };
}

}  // namespace app
