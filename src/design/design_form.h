#pragma once
// The small dialogs of the design form (method choice, plot size, units) as Qt-free
// forms, and what the form's two grids show: columns by method, read-only cells,
// colours by status mark and the heading hints.
#include <string>
#include <string_view>
#include <vector>

#include "design/rows.h"
#include "mk/mk.h"
#include "ui/form.h"
#include "ui/ui_port.h"

namespace design {

inline constexpr const char* kDesignFormId = "design.form";
inline constexpr const char* kSelectMethodFormId = "design.select_method";
inline constexpr const char* kPlotSizeFormId = "design.plot_size";
inline constexpr const char* kAddUnitFormId = "design.add_unit";
inline constexpr const char* kRemoveUnitFormId = "design.remove_unit";

inline constexpr const char* kDesignFormTitlePrefix = "Strovan Form     ";
inline constexpr const char* kSelectMethodHeading = "Select New Cruise Method From the List Below";
inline constexpr const char* kUnderConstructionText = "Option under construction.";

// --- Colours (Windows colour values: red in the low byte) ---------------------------
inline constexpr unsigned kReadOnlyBackground = 15000804;
inline constexpr unsigned kReviewColour = 255;        // mark "R"
inline constexpr unsigned kTypedColour = 13107200;    // mark "B"
inline constexpr unsigned kNormalTextColour = 0xFFFFFFFFu;  // the window's own text colour

// Text colour of a cell of the sample-group grid: by the row's mark for SgCV, SgCV2,
// Trees/Acre and Vol/Acre, the normal colour otherwise.
unsigned SgCellColour(const SgRow& row, std::string_view column);

// --- Sample-group grid ----------------------------------------------------------------
// The columns of SVDesignSgTable in table order.
const std::vector<std::string>& SgGridColumns();
bool SgColumnShown(std::string_view method, std::string_view column);
bool SgColumnReadOnly(std::string_view method, std::string_view column);
std::string SgColumnHint(std::string_view column, const std::string& uom);
// The cell as the grid shows it ("%g" for numbers).
std::string SgCellText(const SgRow& row, std::string_view column);

// --- Strata grid ----------------------------------------------------------------------
const std::vector<std::string>& StratumGridColumns();
bool StratumColumnShown(std::string_view column);
// Only Description and the Lock check box take input.
bool StratumColumnReadOnly(std::string_view column);
bool StratumColumnRightAligned(std::string_view column);
std::string StratumColumnHint(std::string_view column, const std::string& uom);
std::string StratumCellText(const StratumRow& row, std::string_view column);

// Right-click menu item of the strata grid for the plot size; empty for tree methods.
std::string PlotSizeMenuText(std::string_view method);

// --- Method selection -----------------------------------------------------------------
// The method rows of one stratum; ticking a row clears the others, so exactly the
// chosen method is picked.
class MethodSelectionForm : public ui::Form {
public:
    std::string FormId() const override { return kSelectMethodFormId; }
    std::string Title() const override { return kSelectMethodHeading; }

    std::vector<StratumRow> rows;   // SVMethodsTable rows of the stratum, in table order
    std::vector<bool> selected;

    void Tick(std::size_t row, bool on = true);
    // Ticks the row of a method; false when the stratum has no such row.
    bool TickMethod(std::string_view method);
    int Chosen() const;  // -1 when nothing is ticked
};

// --- Change Plot Size / Change BAF ------------------------------------------------------
class PlotSizeForm : public ui::Form {
public:
    PlotSizeForm(ui::UiPort& ui, bool pointMethod, double current);
    std::string FormId() const override { return kPlotSizeFormId; }
    std::string Title() const override { return "Change Plot Size"; }
    std::string Label() const;

    std::string value;  // the edit box
    // Refuses a value that is not a number above 0 (the dialog stays open).
    bool OnOk();
    double Value() const { return value_; }

private:
    ui::UiPort& ui_;
    bool point_;
    double value_ = 0;
};

inline constexpr const char* kBadPlotSizeText = "Please enter a number greater than 0.";

// --- Units ------------------------------------------------------------------------------
inline constexpr const char* kUnitExistsText =
    "Unit Exists in Unit Table.  Cannot Add the Unit to the Stratum Here.\n\n"
    "Please Return to the Setup Strata Section to Add This Unit.";
inline constexpr const char* kNoUnitCodeText = "Must Provide a Cutting Unit Code.";
inline constexpr const char* kNoUnitAreaText = "Must Provide Unit Area in Acres.";

struct UnitInfo {
    std::string code;
    double area = 0;
    std::string description, logMeth, payUnit;
};

// The cutting units known to the file (SVUnitsTable), looked up by code.
std::vector<UnitInfo> ReadUnits(mk::Storage& storage);
const UnitInfo* FindUnit(const std::vector<UnitInfo>& units, std::string_view code);

class AddUnitForm : public ui::Form {
public:
    AddUnitForm(ui::UiPort& ui, std::vector<UnitInfo> units) : ui_(ui), units_(std::move(units)) {}
    std::string FormId() const override { return kAddUnitFormId; }
    std::string Title() const override { return "Add a Unit "; }
    static constexpr const char* kNote = "Supply Information For Unit to Add to Stratum";

    std::string code, area, logMeth, payUnit, description;  // the edit boxes
    bool addEnabled = false;

    // The code edit lost the focus: a known unit is shown and cannot be added.
    void OnCodeEntered();
    // "Add Unit": true when the dialog may close.
    bool OnOk();
    UnitInfo Result() const;

private:
    ui::UiPort& ui_;
    std::vector<UnitInfo> units_;
    double area_ = 0;
};

class RemoveUnitForm : public ui::Form {
public:
    RemoveUnitForm(ui::UiPort& ui, std::vector<UnitInfo> units, const std::string& stratumUnits);
    std::string FormId() const override { return kRemoveUnitFormId; }
    std::string Title() const override { return "Remove a Unit"; }
    static constexpr const char* kNote = "Select a Unit From the Dropdown List to Remove From This Stratum";

    std::vector<std::string> choices;  // the stratum's units
    std::string chosen;
    std::string areaText, logMeth, payUnit, description;  // read-only fields
    bool removeEnabled = false;

    void Choose(const std::string& code);
    bool OnOk();
    UnitInfo Result() const;

private:
    ui::UiPort& ui_;
    std::vector<UnitInfo> units_;
    double area_ = 0;
};

// Unit lists are codes joined by ",".
std::vector<std::string> SplitUnits(const std::string& units);
std::string JoinUnits(const std::vector<std::string>& codes);

}  // namespace design
