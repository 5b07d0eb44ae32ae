#pragma once
// The design form's workspace: the open cruise file's design tables held as rows in
// memory, every command of the form on them, and undo/redo. Each change is written
// into the work tables at once (only the cells that changed); Return also carries
// the design into the per-method tables. No window-system code: the Qt dialog and
// the command line both drive this class.
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "design/design_form.h"
#include "design/least_cost.h"
#include "design/optimize.h"
#include "design/rows.h"
#include "design/sg_rules.h"
#include "design/stratum.h"
#include "design/tradeoff.h"
#include "design/workspace_rows.h"
#include "mk/mk.h"
#include "store/unit_of_work.h"
#include "ui/form.h"
#include "ui/ui_port.h"

namespace store {
class CCruiseStore;
}

namespace design {

struct WorkspaceInputs {
    int cruiseType = 0;  // 1 production cruise
    CostFigures costs;
    std::string uom = "01";
    std::string targetError = "10";
    std::string path;
};

// Results of the commands.
constexpr int kWsDone = 0;
constexpr int kWsCancelled = 1;     // the forester cancelled or declined
constexpr int kWsRefused = -1;      // bad input, nothing to act on, or the table is missing
constexpr int kWsNotAllowed = -3;   // greyed: production cruise, or no strata

class DesignWorkspace {
public:
    using Command = std::function<int()>;

    DesignWorkspace(ui::UiPort& ui, store::CCruiseStore& store, WorkspaceInputs inputs);
    ~DesignWorkspace();
    DesignWorkspace(const DesignWorkspace&) = delete;
    DesignWorkspace& operator=(const DesignWorkspace&) = delete;

    // Reads the design tables and selects the first stratum (none when empty).
    // 0; -1 when no file is open.
    int Open();

    // --- State --------------------------------------------------------------------------
    const Design& Model() const { return model_; }
    const WorkspaceInputs& Inputs() const { return in_; }
    ui::UiPort& Ui() { return ui_; }
    bool IsProduction() const { return in_.cruiseType == 1; }
    std::string Title() const { return kDesignFormTitlePrefix + in_.path; }
    int Selected() const { return selected_; }
    const StratumRow* SelectedStratum() const;
    // The sample groups of the selected stratum, in table order.
    std::vector<const SgRow*> SelectedGroups() const;
    std::vector<const SgRow*> GroupsOfStratum(std::size_t stratum) const;
    int FindStratum(std::string_view code) const;
    int FindGroup(std::string_view sgCode) const;  // in the selected stratum
    SaleTotals Totals() const { return totals_; }
    // "not computable" while a stratum has no error; UncomputableText() says which.
    std::string SaleErrorText() const { return FormatSaleError(totals_); }
    std::string UncomputableText() const { return design::UncomputableText(totals_); }
    // "not set" while no cost the methods need is set.
    std::string CostText() const { return FormatSaleCost(totals_.cost); }
    // The costs the strata's methods need but do not have; empty when none is missing.
    std::string CostWarning() const { return design::CostWarning(model_.strata, in_.costs); }
    DesignSettings Settings() const;
    // The open cruise file, for readers of more than the design (nullptr when none).
    mk::Storage* OpenStorage();

    // Greyed commands: a production cruise cannot be optimised, written to the field
    // program or saved/loaded; an empty design has nothing to optimise or report.
    bool CanOptimize() const { return !IsProduction() && !model_.strata.empty(); }
    bool CanMakeKelvane() const { return !IsProduction() && !model_.strata.empty(); }
    bool CanMakeReport() const { return !model_.strata.empty(); }
    bool CanSaveLoad() const { return !IsProduction(); }

    // --- Options of the Data menu and the target box ------------------------------------
    bool hints = true;
    bool updateMultipleMethods = false;
    bool displayDataWarnings = true;
    std::string targetError;
    void ToggleHints() { hints = !hints; }
    void ToggleUpdateMultipleMethods() { updateMultipleMethods = !updateMultipleMethods; }
    void ToggleDataWarnings() { displayDataWarnings = !displayDataWarnings; }

    // --- Commands -------------------------------------------------------------------------
    int SelectStratum(int stratum);
    // A sample-group cell of the selected stratum: the recomputation rules, then the
    // stratum's roll-up and the sale totals. A text the column's rule refuses changes
    // nothing: kWsRefused, and Refusal() names the column and what it accepts.
    int EditSgCell(std::size_t row, std::string_view column, const std::string& text);
    // Description or Lock of a stratum row, refused the same way.
    int EditStratumCell(std::size_t stratum, std::string_view column, const std::string& text);
    // Whether an edit would be taken, without making it: empty, or the reason. The
    // grids ask this before they show a typed or pasted text.
    std::string CheckSgCell(std::size_t row, std::string_view column, const std::string& text) const;
    std::string CheckStratumCell(std::size_t stratum, std::string_view column, const std::string& text) const;
    // Why the last edit was refused; empty after one that was taken.
    const std::string& Refusal() const { return refusal_; }
    int ChangeCruiseMethod(std::size_t stratum);
    // Change Cruise Method for several strata at once without the selection dialog,
    // one undo step: the same as choosing each (stratum index, method) in turn. A
    // method without compiled rows leaves its stratum as it was; kWsRefused when none
    // changed.
    int ChangeCruiseMethods(const std::vector<std::pair<std::size_t, std::string>>& methods);
    int ChangePlotSize(std::size_t stratum);
    int AddUnits(std::size_t stratum);
    int RemoveUnits(std::size_t stratum);
    SaleTotals RecalculateSaleError();
    int RecalculateStrataError();
    int OptimizeForError();
    // The cheapest sizes for the target; afterwards LastLeastCost() compares the cost
    // with what Optimize For Error makes of the same design and target.
    int OptimizeAtLeastCost();
    const std::optional<CostComparison>& LastLeastCost() const { return lastLeastCost_; }
    int MakeReport();
    int MakeKelvane();
    int SaveDesign();
    int LoadDesign();
    int RemoveDesign();
    std::vector<std::string> SavedDesignIds() const;
    void PrintTable();
    void Help();
    // Writes the design into the per-method tables and commits; 0 when committed.
    int Return();
    // Leaves without the per-method write-back (the design tables keep the edits).
    void Exit();
    bool Closed() const { return closed_; }
    // Whether a table the form works on differs from when it opened (saved designs
    // aside: saving is a step of its own).
    bool Changed();
    // Puts every table the form touched back as it was when the form opened, commits
    // and closes the form; kWsDone, or kWsRefused when the commit failed.
    int PutBack();
    // The window's close button: a changed design is kept (as Return keeps it) or put
    // back, as the forester answers; kWsCancelled keeps the form open.
    int CloseByWindow();

    // The invalid-values question; true to go on (always when the option is off).
    bool CheckDataWarnings();

    // "Make Report" and "Make Kelvane" belong to other subsystems.
    void SetReportCommand(Command c) { report_ = std::move(c); }
    void SetKelvaneCommand(Command c) { kelvane_ = std::move(c); }

    // --- Undo -----------------------------------------------------------------------------
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    std::string UndoLabel() const;
    std::string RedoLabel() const;
    int Undo();
    int Redo();
    // Several changes as one step of undo (a paste of many cells). Groups nest; the
    // outermost end counts. Ended without `keep`, every change since the beginning
    // is taken back and nothing is left to undo or redo.
    void BeginUndoGroup(std::string label);
    void EndUndoGroup(bool keep = true);

    // The cost of precision for the current design, computed on a copy.
    std::vector<TradeoffPoint> TradeoffCurve(int from = 2, int to = 30) const;
    std::vector<TradeoffPoint> LeastCostCurve(int from = 2, int to = 30) const;

    // The port and the open file, for steps that the form's menus start elsewhere.
    store::CCruiseStore& Store() { return store_; }
    // Reads the design tables again after a step outside the workspace rewrote them
    // (a stratification applied); undo and redo go, as they no longer apply.
    int Reload();

    // The per-method write-back on its own (Return and Change Cruise Method run it).
    // Returns the number of cells written.
    int WriteBackMethods();

private:
    // What a change replaced: one stratum's rows, the whole design, and copies of
    // other tables (nullopt: the table did not exist). Applying a snapshot gives the
    // snapshot that undoes it.
    struct Snapshot {
        std::string label;
        int selected = -1;
        int stratum = -1;
        StratumRow stratumRow;
        std::vector<std::pair<std::size_t, SgRow>> groups;
        bool full = false;
        Design design;
        std::vector<std::pair<std::string, std::optional<mk::View>>> tables;
    };

    mk::Storage& Storage();
    bool HasTable(const char* name);
    void ReadModel();
    void RebuildIndex();
    SgRefs RefsOf(std::size_t stratum);
    StratumContext ContextOf(std::size_t stratum) const;
    void Summarize(std::size_t stratum);
    // The stratum takes the compiled method `picked`: its groups become those rows of
    // the group table `ms`, plot methods share one plot count, the stratum is summarised.
    void TakeMethod(std::size_t stratum, const StratumRow& picked, const mk::View& ms, const std::vector<int>& rows);
    void RefreshTotals();
    int Commit();

    // Tables kept equal to the model: one stratum (its row and groups) or everything.
    void SyncStratum(std::size_t stratum, const Snapshot* before);
    void SyncAll();

    Snapshot StratumSnapshot(std::size_t stratum, std::string label) const;
    Snapshot FullSnapshot(std::string label, const std::vector<std::string>& tables);
    void AddTables(Snapshot& s, const std::vector<std::string>& tables);
    Snapshot Apply(Snapshot& s);
    void PushUndo(Snapshot s);

    ui::UiPort& ui_;
    store::CCruiseStore& store_;
    WorkspaceInputs in_;
    Design model_;
    std::vector<std::vector<std::size_t>> byStratum_;  // group indices per stratum
    int selected_ = -1;
    SaleTotals totals_;
    SgEditor editor_;
    mk::View strataView_, groupsView_;
    StratumColumns strataCols_;
    SgColumns groupCols_;
    Command report_, kelvane_;
    std::deque<Snapshot> undo_, redo_;
    std::optional<CostComparison> lastLeastCost_;
    std::optional<store::TableSnapshot> opened_;
    int groupDepth_ = 0;
    bool groupChanged_ = false;
    std::optional<Snapshot> groupStart_;
    bool closed_ = false;
    std::string refusal_;
};

inline constexpr const char* kKeepDesignChangesText =
    "The design was changed while this form was open.\n\nKeep the changes?\n\nYes keeps them as Return "
    "does; No puts the design back as it was when the form opened.";

// The form the main window runs: the workspace behind the "Strovan Form" dialog.
class DesignForm : public ui::Form {
public:
    explicit DesignForm(DesignWorkspace& ws) : ws_(ws) {}
    std::string FormId() const override { return kDesignFormId; }
    std::string Title() const override { return ws_.Title(); }
    DesignWorkspace& Workspace() { return ws_; }

private:
    DesignWorkspace& ws_;
};

// The method families whose sample groups share values under Update Multiple Methods.
bool SameMethodFamily(std::string_view a, std::string_view b);
// Whether SgCV (and its mark) may be carried between two methods of a family.
bool CarriesCv(std::string_view a, std::string_view b);

}  // namespace design
