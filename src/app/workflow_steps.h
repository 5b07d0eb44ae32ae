#pragma once
// The later steps of the workflow that the main window launches: the strata setup
// form, the two compilations and the design form. The main window runs their
// prerequisites and turns their result codes into messages; a step that this build
// does not have answers kNotAvailable and the main window says so.
#include <string>

#include "app/settings.h"
#include "mk/mk.h"

namespace store {
class CCruiseStore;
}

namespace app {

struct DesignFormInputs {
    int cruise_type = 0;  // 0 design or recon, 1 production
    CostValues cost_values;
    CostFigures costs;
    std::string target_error = "10";
    std::string uom;
    std::string path;
};

class WorkflowSteps {
public:
    static constexpr int kNotAvailable = -100;

    enum Step { kStrataSetup, kProductionStats, kReconStats, kDesignForm };

    virtual ~WorkflowSteps() = default;

    // Whether this build has the step; the main window asks before it runs one.
    virtual bool Has(Step step) const;

    // Runs the strata setup form on the file; `update_flag` comes in with the file's
    // flag and leaves with the one the form sets. 0 when the form ran.
    virtual int RunStrataSetup(const std::string& path, std::string& update_flag);
    // 0 done; 1 no trees; 2 trees without volume.
    virtual int CompileProduction(mk::Storage& storage, const CostFigures& costs,
                                  const std::string& uom);
    // 0 done; 1 no strata; 2 a stratum with zero acres.
    virtual int CompileRecon(mk::Storage& storage, const CostFigures& costs, const std::string& uom,
                             int unit_changed);
    // The design form on the open store; 0 when it ran.
    virtual int RunDesignForm(store::CCruiseStore& store, const DesignFormInputs& inputs);
};

}  // namespace app
