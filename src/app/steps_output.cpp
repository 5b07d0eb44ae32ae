// The output subsystem's steps of the workflow.
#include "app/step_hooks.h"

namespace app {

void RegisterOutputSteps(StepHooks& hooks) { (void)hooks; }

}  // namespace app
