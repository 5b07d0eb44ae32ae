#pragma once
// A stratification made real: its strata written into the setup the way the forester
// defines strata by hand, then compiled, given their cruise methods and optimised for
// a target sale error as the design form does. On a scratch copy of a cruise file
// this gives a proposal's exact numbers; on the file itself it applies the proposal.
#include <map>
#include <string>
#include <vector>

#include "design/rows.h"
#include "mk/mk.h"
#include "store/cruise_store.h"
#include "ui/scripted_ui.h"

namespace advise {

// One stratum as the forester would define it: whole units and the cruise method of
// its design.
struct StratumPlan {
    std::vector<std::string> units;
    std::string method;
};
using Plan = std::vector<StratumPlan>;

struct DesignInputs {
    std::string uom = "03";
    design::CostFigures costs;
    std::string target = "10";  // sale error, percent, as typed into the design form
};

// What the design arithmetic made of a stratification.
struct StratumOutcome {
    std::string code, method, units;
    double acres = 0;
    int groups = 0;  // sample groups
    int sumN = 0, sumN2 = 0;
    double error = 0, cost = 0;
};

struct Outcome {
    bool ok = false;
    std::string failure;  // why there are no numbers
    std::vector<StratumOutcome> strata;
    double saleError = 0, cost = 0;
    std::vector<std::string> notes;  // warnings of the compilation and the optimisation

    int Plots() const;  // plots (or points) of the strata cruised on plots
};

// The setup's strata replaced by the plan's, numbered 1, 2, ... in plan order, on the
// populations form as the forester does it by hand: Delete Strata for all, each unit's
// rows given its stratum's code, Quick SG by species and product, OK (which rebuilds
// the strata table and marks every stratum for recompilation). The work tables are
// prepared first. False, with the reason, when a step refused; the store is then not
// to be kept.
bool DefineStrata(ui::ScriptedUi& ui, store::CCruiseStore& store, const Plan& plan, std::string& failure);

// Compiles every stratum, gives each stratum its method (by stratum code), optimises
// for the target and writes the design back as the design form's Return does.
Outcome DesignStrata(ui::ScriptedUi& ui, store::CCruiseStore& store, const DesignInputs& in,
                     const std::map<std::string, std::string>& methods);

// The codes DefineStrata gives the plan's strata, with their methods.
std::map<std::string, std::string> MethodsByCode(const Plan& plan);

// Both on a scratch copy of a cruise file's bytes; a null plan designs the file's own
// strata. The file is never touched.
Outcome Evaluate(const std::string& image, const DesignInputs& in, const Plan* plan,
                 const std::map<std::string, std::string>& currentMethods = {});

// The setup and design tables a stratification changes.
const std::vector<std::string>& StratificationTables();
// Copies those tables from one storage into another, whole.
void CopyStratification(mk::Storage& from, mk::Storage& to);

}  // namespace advise
