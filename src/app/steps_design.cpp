// The design subsystem's steps of the workflow.
#include "app/step_hooks.h"

namespace app {

void RegisterDesignSteps(StepHooks& hooks) { (void)hooks; }

}  // namespace app
