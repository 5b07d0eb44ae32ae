#pragma once
// The setup step of the workflow: the "Setup Strata Definitions" dialog, which
// prepares the work tables and runs the strata form or the populations grid, or
// imports a recon cruise; and the "Setup Populations" form itself with its commands,
// OK (product check, missing units, strata summary rebuild) and Cancel.
#include <functional>
#include <string>

#include "setup/setup_grid.h"
#include "setup/setup_tables.h"
#include "store/cruise_store.h"
#include "store/unit_of_work.h"
#include "ui/form.h"
#include "ui/ui_port.h"

namespace setup {

class PopulationsForm;

// Commands that the strata and sample-group definition supply. An empty one tells
// the user it is not yet available.
struct DefinitionCommands {
    using GridCommand = std::function<void(PopulationsForm& form, int row)>;
    GridCommand sort_table, quick_strata, quick_sg, delete_strata, delete_sample_groups,
        define_ranges, remove_ranges, recon_strata_table, print;
    // The "Define Strata and Sample Groups" form on a prepared file; 0 when it ran.
    std::function<int(ui::UiPort&, store::CCruiseStore&, const std::string& current_stratum)>
        strata_form;
};
// The commands of this build (filled by their owners at start-up).
DefinitionCommands& Definitions();

inline constexpr const char* kPopulationsTitle = "Setup Populations (Blank Sample Group Codes are Valid)";
inline constexpr const char* kPopulationsNote = "Right Click in tables for menu options.";

class PopulationsForm : public ui::Form {
public:
    static constexpr const char* kId = "setup.populations";

    // The grid shows `table` (SVSummaryTable, or SVFillSGTable from the strata form).
    PopulationsForm(ui::UiPort& ui, store::CCruiseStore& store, const std::string& table,
                    bool show_help);
    std::string FormId() const override { return kId; }
    std::string Title() const override { return kPopulationsTitle; }
    bool HelpShown() const { return show_help_; }

    ui::UiPort& Ui() { return ui_; }
    store::CCruiseStore& Store() { return store_; }
    SetupGrid& Grid() { return grid_; }
    bool OnSummary() const;

    // Menu and right-click commands. `row` is the grid's current row.
    void Remake();
    int AddRow() { return grid_.AddRow(); }
    void DeleteRow(int row) { grid_.DeleteRow(row); }
    void EditUnitTable();
    void SortTable(int row) { Run(Definitions().sort_table, "Sort Table", row); }
    void QuickStrata(int row) { Run(Definitions().quick_strata, "Quick Strata Setup", row); }
    void QuickSg(int row) { Run(Definitions().quick_sg, "Quick SG Setup", row); }
    void DeleteStrata(int row) { Run(Definitions().delete_strata, "Delete Strata", row); }
    void DeleteSampleGroups(int row) {
        Run(Definitions().delete_sample_groups, "Delete Sample Groups", row);
    }
    void DefineRanges(int row) { Run(Definitions().define_ranges, "Define Diameter Ranges", row); }
    void RemoveRanges(int row) {
        Run(Definitions().remove_ranges, "Remove Defined Diameter Ranges", row);
    }
    void ReconStrataTable() { Run(Definitions().recon_strata_table, "Recon Strata Table", 0); }
    void Print() { Run(Definitions().print, "Print", 0); }
    // A right-click menu item by its text; false when the text is no command here.
    bool MenuCommand(const std::string& item, int row, int col);

    // OK and menu "&Exit": true when the form may close (then it has committed).
    bool Accept();
    // Cancel: every table the form touched goes back to what it held when the form
    // opened; then the change flags are cleared and the file committed. False when the
    // commit failed.
    bool Cancel();
    bool Done() const { return done_; }

private:
    void Run(const DefinitionCommands::GridCommand& cmd, const char* name, int row);

    ui::UiPort& ui_;
    store::CCruiseStore& store_;
    SetupGrid grid_;
    store::TableSnapshot opened_;
    bool show_help_;
    bool done_ = false;
};

// Runs the populations form until it closes with OK or Cancel; true for OK.
bool RunPopulations(ui::UiPort& ui, store::CCruiseStore& store, const std::string& table,
                    bool show_help);

// The "Setup Strata Definitions" dialog.
class StrataDefinitionsForm : public ui::Form {
public:
    static constexpr const char* kId = "setup.strata_definitions";

    StrataDefinitionsForm(ui::UiPort& ui, std::string path, std::string update_flag)
        : ui_(ui), path_(std::move(path)), update_flag_(std::move(update_flag)) {}
    std::string FormId() const override { return kId; }
    std::string Title() const override { return "Setup Strata Definitions"; }

    // "STRATA SETUP FORM", "STRATA SETUP TABLE" and File "Import .SVZ File". Each
    // returns 0 when it ran.
    int SetupForm();
    int SetupTable();
    int ImportFile();
    // The import of a given file (what the menu does after its file dialog).
    int ImportFile(const std::string& svz_path);

    const std::string& UpdateFlag() const { return update_flag_; }
    const std::string& Path() const { return path_; }

private:
    bool OpenStore(store::CCruiseStore& store);
    // Prepares the work tables and runs a form on them as one step; the update flag
    // turns "Y" when the setup changed.
    int RunSetupStep(PrepareVariant variant,
                     const std::function<void(store::CCruiseStore&, const PrepareResult&)>& form);

    ui::UiPort& ui_;
    std::string path_;
    std::string update_flag_;
};

// The whole setup step on a closed cruise file; 0 when it ran.
int RunStrataSetup(ui::UiPort& ui, const std::string& path, std::string& update_flag);

}  // namespace setup
