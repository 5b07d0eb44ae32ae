#include "app/workflow_steps.h"

namespace app {

bool WorkflowSteps::Has(Step) const { return false; }

int WorkflowSteps::RunStrataSetup(const std::string&, std::string&) { return kNotAvailable; }

int WorkflowSteps::CompileProduction(mk::Storage&, const CostFigures&, const std::string&) {
    return kNotAvailable;
}

int WorkflowSteps::CompileRecon(mk::Storage&, const CostFigures&, const std::string&, int) {
    return kNotAvailable;
}

int WorkflowSteps::RunDesignForm(store::CCruiseStore&, const DesignFormInputs&) {
    return kNotAvailable;
}

}  // namespace app
