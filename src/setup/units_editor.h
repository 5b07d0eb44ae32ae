#pragma once
// Cutting units while strata are set up: the unit table editor with its checks, the
// logging-method lookup, and the dialogs that add a unit to or remove one from an
// existing stratum (also used by the design form, which hands in its own tables).
#include <array>
#include <string>
#include <vector>

#include "mk/mk.h"
#include "setup/setup_grid.h"
#include "ui/form.h"
#include "ui/ui_port.h"

namespace setup {

struct LogMethod {
    const char* code;
    const char* description;
};
// The fixed list of logging methods, in the order offered.
const std::array<LogMethod, 32>& LogMethods();

inline constexpr const char* kZeroAcresWarning =
    "Warning:  One or more units contain zero acres!\nPlease add correct number of acres in the "
    "'Area' column.";
inline constexpr const char* kNeedUnitCode = "Must Provide a Cutting Unit Code.";
inline constexpr const char* kNeedUnitArea = "Must Provide Unit Area in Acres.";
inline constexpr const char* kUnitExistsStrata =
    "Unit Exists in Unit Table.  Cannot Add the Unit to the Stratum.\n\nPlease Select the Modify "
    "Stratum Definition Option to Add This Unit.";
inline constexpr const char* kUnitExistsDesign =
    "Unit Exists in Unit Table.  Cannot Add the Unit to the Stratum Here.\n\nPlease Return to the "
    "Setup Strata Section to Add This Unit.";
inline constexpr const char* kTooLong = "Please enter no more than %1 characters.";

// The refusal of the unit table's OK, or empty when every unit has a code of its own
// and an area greater than 0.
std::string CheckUnitTable(const mk::View& units);

// The "Edit Data" dialog: a setup grid with OK and Cancel. For SVUnitsTable OK checks
// the areas; for the logging methods it is a single pick.
class EditDataForm : public ui::Form {
public:
    static constexpr const char* kId = "setup.edit_data";
    enum class Kind { Units, LogMethods, Plain };

    EditDataForm(ui::UiPort& ui, SetupGrid grid, Kind kind, std::string title = "Edit Data");
    std::string FormId() const override { return kId; }
    std::string Title() const override { return title_; }
    const char* Note() const { return "Right Click in Table for menu options"; }

    Kind GetKind() const { return kind_; }
    SetupGrid& Grid() { return grid_; }

    // OK: true when the dialog may close (the unit check passed).
    bool Accept();
    bool Accepted() const { return accepted_; }

    // Logging methods: ticking a row picks it alone.
    void Tick(int row);
    int Picked() const { return picked_; }

    // Units: the right-click lookup on row `row`; true when a code was written.
    bool LookupLogMethod(int row);

private:
    ui::UiPort& ui_;
    SetupGrid grid_;
    Kind kind_;
    std::string title_;
    bool accepted_ = false;
    int picked_ = -1;
};

// Runs a form that may refuse its OK until the user cancels or the refusal is
// mended: true when it closed with OK.
bool RunUnitEditor(ui::UiPort& ui, mk::View units);

// The logging-method lookup: the list in a temporary table (never stored), a single
// pick; OK with a pick writes its code into `units` at `row`. True when written.
bool LogMethodLookup(ui::UiPort& ui, mk::View& units, int row);

// Where a unit dialog is called from; it chooses the refusal text.
enum class UnitCaller { StrataForm, DesignForm };

struct UnitChoice {
    std::string code;
    double area = 0;
    std::string description, log_method, pay_unit;
};

// "Add a Unit ".
class AddUnitForm : public ui::Form {
public:
    static constexpr const char* kId = "setup.add_unit";
    static constexpr size_t kCodeMax = 3, kPayUnitMax = 3, kDescriptionMax = 25;

    AddUnitForm(ui::UiPort& ui, mk::View units, UnitCaller caller)
        : ui_(ui), units_(std::move(units)), caller_(caller) {}
    std::string FormId() const override { return kId; }
    std::string Title() const override { return "Add a Unit "; }
    const char* Note() const { return "Supply Information For Unit to Add to Stratum"; }

    // Edits; a text over its limit is refused with a message (false).
    bool SetCode(const std::string& v) { return SetLimited(code_, v, kCodeMax); }
    void SetArea(const std::string& v) { area_ = v; }
    void SetLogMethod(const std::string& v) { log_method_ = v; }
    bool SetPayUnit(const std::string& v) { return SetLimited(pay_unit_, v, kPayUnitMax); }
    bool SetDescription(const std::string& v) { return SetLimited(description_, v, kDescriptionMax); }
    const std::string& Code() const { return code_; }
    const std::string& Area() const { return area_; }
    const std::string& LogMethodText() const { return log_method_; }
    const std::string& PayUnit() const { return pay_unit_; }
    const std::string& Description() const { return description_; }

    // The code edit lost the focus: looks the unit up.
    void CodeLeft();
    bool AddEnabled() const { return add_enabled_; }
    // "Add Unit": true when the dialog closes with the choice.
    bool AddUnit();
    const UnitChoice& Choice() const { return choice_; }

private:
    bool SetLimited(std::string& field, const std::string& value, size_t limit);

    ui::UiPort& ui_;
    mk::View units_;
    UnitCaller caller_;
    std::string code_, area_, log_method_, pay_unit_, description_;
    bool add_enabled_ = false;
    UnitChoice choice_;
};

// "Remove a Unit".
class RemoveUnitForm : public ui::Form {
public:
    static constexpr const char* kId = "setup.remove_unit";

    RemoveUnitForm(ui::UiPort& ui, mk::View units, const std::string& stratum_units);
    std::string FormId() const override { return kId; }
    std::string Title() const override { return "Remove a Unit"; }
    const char* Note() const { return "Select a Unit From the Downdown List to Remove From This Stratum"; }

    const std::vector<std::string>& Codes() const { return codes_; }
    // A code chosen in the list fills the read-only fields.
    void Choose(const std::string& code);
    const std::string& Chosen() const { return chosen_; }
    const std::string& AreaText() const { return area_text_; }
    const std::string& LogMethodText() const { return log_method_; }
    const std::string& PayUnit() const { return pay_unit_; }
    const std::string& Description() const { return description_; }
    bool RemoveEnabled() const { return remove_enabled_; }
    bool RemoveUnit();
    const UnitChoice& Choice() const { return choice_; }

private:
    ui::UiPort& ui_;
    mk::View units_;
    std::vector<std::string> codes_;
    std::string chosen_, area_text_, log_method_, pay_unit_, description_;
    double area_ = 0;
    bool remove_enabled_ = false;
    UnitChoice choice_;
};

// The strata form's side of a successful Add: a unit row and the stratum's Units,
// TotAcres, TotCircum and Modified.
void AddUnitToStratum(mk::View& units, mk::View& strata, int strata_row, const UnitChoice& unit);
// The same for Remove: the unit's summary rows in the stratum lose their grouping
// (further pieces of a split are removed), the stratum row loses the unit.
void RemoveUnitFromStratum(mk::View& summary, mk::View& strata, int strata_row,
                           const UnitChoice& unit);

// The dialogs run through the UI port, then applied to the strata form's tables.
// True when a unit was added (removed).
bool AddUnitDialog(ui::UiPort& ui, mk::View& units, mk::View& strata, int strata_row,
                   UnitCaller caller);
bool RemoveUnitDialog(ui::UiPort& ui, mk::View& units, mk::View& summary, mk::View& strata,
                      int strata_row);

}  // namespace setup
