#pragma once
// The recon compilation: from the recon plots and trees of a Design or Recon cruise
// to the per-method tables (SVMethodsTable, SVMethodsSgTable) of every stratum and
// sample group, their stratum roll-up, and the design tables (SVDesignTable,
// SVDesignSgTable) with each stratum's chosen method. Made for one run.
#include <string>
#include <vector>

#include "design/rows.h"
#include "mk/mk.h"
#include "ui/ui_port.h"

namespace stats {

inline constexpr int kReconDone = 0;
inline constexpr int kReconNoStrata = 1;      // no summary row names a stratum
inline constexpr int kReconZeroAcres = 2;     // a stratum with TotAcres not above 0
inline constexpr int kReconStopped = 3;       // the user stopped the run; nothing changed
inline constexpr int kReconCommitFailed = 4;  // not written or not committed: the file keeps its last state

inline constexpr const char* kNoStrataText = "No Strata have been established.\n";
inline constexpr const char* kZeroAcresText = "One or more strata definitions have zero total acres.\n";

class ReconCompiler {
public:
    // uom "01": board feet (NBDFTVolPP), anything else cubic feet (NCUFTVolPP).
    // unitChanged 1 recompiles every stratum.
    ReconCompiler(mk::Storage& storage, ui::UiPort& ui, std::string uom, const design::CostFigures& costs,
                  int unitChanged = 0);

    // Compiles, rebuilds the design tables and commits. The run's warnings are shown
    // as one message; the result codes above.
    int Compile();

    // Each warning of the run on its own.
    const std::vector<std::string>& Warnings() const { return warnings_; }
    // Strata whose method rows this run rebuilt.
    const std::vector<std::string>& CompiledStrata() const { return compiled_; }

private:
    mk::Storage& storage_;
    ui::UiPort& ui_;
    std::string uom_;
    design::CostFigures costs_;
    int unit_changed_;
    std::vector<std::string> warnings_;
    std::vector<std::string> compiled_;
};

}  // namespace stats
