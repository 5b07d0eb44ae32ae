// The setup subsystem's steps of the workflow.
#include "app/step_hooks.h"

namespace app {

void RegisterSetupSteps(StepHooks& hooks) { (void)hooks; }

}  // namespace app
