// The reports subsystem's steps of the workflow.
#include "app/step_hooks.h"

namespace app {

void RegisterReportSteps(StepHooks& hooks) { (void)hooks; }

}  // namespace app
