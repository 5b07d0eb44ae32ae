#pragma once
// The step-by-step strata form "Define Strata and Sample Groups": a code and a
// description (step 1), the picked units (step 2), the picked items of those units
// (step 3), DEFINE SAMPLE GROUPS (step 4, which opens the populations form on the
// stratum's items and then writes the stratum), and the strata grid's Modify, Delete
// and Delete All.
#include <string>
#include <vector>

#include "mk/mk.h"
#include "setup/setup_grid.h"
#include "store/cruise_store.h"
#include "ui/form.h"
#include "ui/ui_port.h"

namespace setup {

inline constexpr const char* kBlankUnitText = "Unit Number (CutUnit) cannot be blank.";
inline constexpr const char* kStratumDefinedText = "Stratum Number Already Defined.";
inline constexpr const char* kNothingSelectedText = "No Information Selected.";
inline constexpr const char* kNoCodeText = "Please enter a Strata Code.";

class StrataForm : public ui::Form {
public:
    static constexpr const char* kId = "setup.define_strata";
    StrataForm(ui::UiPort& ui, store::CCruiseStore& store, std::string current_stratum);
    std::string FormId() const override { return kId; }
    std::string Title() const override { return "Define Strata and Sample Groups"; }

    ui::UiPort& Ui() { return ui_; }
    // Step 1.
    std::string code, description;
    // The spin control: one up or down, kept to 1-99.
    void SpinCode(int step);

    SetupGrid& Units() { return units_; }
    SetupGrid& Items() { return items_; }
    SetupGrid& Strata() { return strata_; }

    // Step 2: picking a unit rebuilds the item list.
    void PickUnit(int row, bool pick);
    // Picks the units of these codes only; false when one is not in the unit table.
    bool PickUnits(const std::vector<std::string>& codes);
    void RebuildItems();
    // Step 3.
    void PickItem(int row, bool pick);
    // Items of a "Sg" piece are not shown.
    bool ItemHidden(int row) const;

    // Step 4 and what follows. With `code_sample_groups` false the stratum is written
    // without opening the populations form (its sample groups left blank). True when
    // the stratum was written.
    bool DefineSampleGroups(bool code_sample_groups = true);
    // The strata grid's commands on one of its rows.
    bool ModifyStrata(int row);
    void DeleteStrata(int row);
    void DeleteAllStrata();
    // "Add Unit To Stratum" / "Remove Unit From Stratum" on a strata grid row: the
    // unit dialogs, then the stratum's units, acres and perimeter. True when changed.
    bool AddUnit(int row);
    bool RemoveUnit(int row);
    // View "Recon Strata Table".
    void ReconStrataTable();
    // Drops the rows of the units table that name no unit: the blank row the form
    // offers for typing one in, left as it was.
    void DropBlankUnits();

private:
    bool StratumExists(const std::string& code);
    void WriteStratum();
    void AdvanceCode();

    ui::UiPort& ui_;
    store::CCruiseStore& store_;
    SetupGrid units_, items_, strata_;
};

// Runs the form on a prepared file (the setup's "STRATA SETUP FORM"); 0 when it ran.
int RunStrataDefinition(ui::UiPort& ui, store::CCruiseStore& store, const std::string& current_stratum);
// The "Edit Data" view of StratumTable. An edit marks every stratum for recompilation.
void ShowReconStrataTable(ui::UiPort& ui, mk::Storage& storage);

}  // namespace setup
