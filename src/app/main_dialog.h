#pragma once
// The main window's workflow: holds the path of the current cruise file and runs
// each step (open, create, cruise information, strata, costs, design processing) on
// it. Every step opens the file, works, commits and closes it again. Front ends show
// the state (status text, which buttons are enabled) and call the handlers.
#include <array>
#include <optional>
#include <string>

#include "app/settings.h"
#include "app/step_hooks.h"
#include "app/workflow_steps.h"
#include "ui/ui_port.h"

namespace app {

class CruiseFile;
class CNewCruiseDialog;

// Controls of the main window.
enum ControlId {
    kIdExit = 1,
    kIdCreate = 1000,
    kIdOpen = 1001,
    kIdStrata = 1002,
    kIdCosts = 1003,
    kIdDesign = 1004,
    kIdEditInfo = 1117,
    kIdStatus = 1135,
    kIdHelp = 1136,
};

struct ButtonSpec {
    int id;
    const char* text;
    bool file_bound;  // enabled only while a file is current
};

// The buttons in their order on the window.
inline constexpr std::array<ButtonSpec, 8> kMainButtons = {{
    {kIdOpen, "&Open an Existing Cruise File", false},
    {kIdCreate, "&Create a New Cruise File", false},
    {kIdStrata, "Establish Strata and Sample Groups (Add/Edit/Import Data).", true},
    {kIdCosts, "Define Relative Cruising Costs.", true},
    {kIdDesign, "Strovan Processing. Determine Sample Sizes and Frequencies.", true},
    {kIdExit, "E&xit", false},
    {kIdEditInfo, "Edit Cruise Information", true},
    {kIdHelp, "&Help", false},
}};

inline constexpr const char* kMainTitle =
    "Strovan Program                                   Version 2011-04-22";
inline constexpr const char* kStatusPrefix = "Active File:  ";
inline constexpr const char* kAboutMenuItem = "&About Strovan...";

class CMainDialog {
public:
    // `steps` supplies the later workflow steps; none: those this build lacks.
    explicit CMainDialog(ui::UiPort& ui, WorkflowSteps* steps = nullptr);
    ~CMainDialog();

    // The command-line file, before OnInitDialog.
    void SetFilePath(const std::string& path) { path_ = path; }
    void OnInitDialog();

    // Button handlers. Those that change the file say whether the change was
    // committed.
    void OnOpen();
    bool OnCreate();
    bool OnEditCruiseInfo();
    void OnEstablishStrata();
    bool OnCosts();
    void OnDesignProcessing();
    void OnHelp();
    void OnAbout();

    // Configuration operations on the current file.
    std::string GetUpdateFlag();
    void SetUpdateFlag(const std::string& value);
    void SetLastWriter();
    // 0 design or recon cruise, 1 production cruise, -1 refused.
    int GetCruiseType();
    // The nine raw settings; also recomputes the six cost figures.
    CostValues ReadCostSettings();

    // State for the front end.
    const std::string& FilePath() const { return path_; }
    const std::string& StatusText() const { return status_; }
    // "12345_design.crz — Strovan" while a file is current, the program's title
    // otherwise.
    std::string WindowTitle() const;
    bool FileButtonsEnabled() const { return file_buttons_; }
    bool ButtonEnabled(int id) const;
    const std::string& SaleName() const { return sale_name_; }
    const std::string& Uom() const { return uom_; }
    int UnitChanged() const { return unit_changed_; }
    const CostFigures& Costs() const { return costs_; }

private:
    // 0: a file is current (buttons on, path shown); otherwise none.
    void SetFileState(int flag);
    void ClearFile();
    // False when the file could not be opened (then no file is current).
    bool OpenAndSummarise();
    void AskMissingCruiseInfo(CruiseFile& file);
    bool CreateFromSetup(const CNewCruiseDialog& dlg);
    int CompileIfNeeded(int cruise_type, const std::string& update_flag);
    int OpenDesignForm(int cruise_type);
    void NotAvailable(const std::string& what);

    ui::UiPort& ui_;
    HookedSteps default_steps_;
    WorkflowSteps* steps_;
    std::string path_;
    std::string status_ = kStatusPrefix;
    bool file_buttons_ = false;
    std::string sale_name_;
    std::string uom_;
    int unit_changed_ = 0;
    CostFigures costs_;
    // The last writer (General, MRU) the file named when it was opened, before this
    // program wrote itself there; the cruise-type check needs that one.
    std::optional<std::string> opened_mru_;
};

// The cruise-type check of a step on an open file (the caller commits): 0 design or
// recon, 1 production, -1 refused (reported). A file without a type gets one (asking
// whether its trees are recon data); processed data (`processed`) are marked for
// recompilation. `last_writer` is who wrote the file before this program opened it.
int CheckCruiseType(ui::UiPort& ui, mk::Storage& storage, const std::optional<std::string>& last_writer,
                    bool& processed);

// The sale summary of an opened file (row 0 of CruiseTable) and the "No Volumes"
// notice when the processing program has not computed volumes.
void ShowSaleSummary(ui::UiPort& ui, mk::Storage& storage, const std::string& uom);

// The seven sale fields of CruiseTable row 0, to and from the form's fields.
void ReadSaleFields(const mk::View& cruise, ui::SaleFields& fields);
void WriteSaleFields(mk::View& cruise, const ui::SaleFields& fields);

}  // namespace app
