// The stats subsystem's steps of the workflow.
#include "app/step_hooks.h"

namespace app {

void RegisterStatsSteps(StepHooks& hooks) { (void)hooks; }

}  // namespace app
