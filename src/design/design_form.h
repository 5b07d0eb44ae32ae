#pragma once
// The small dialogs of the design form (method choice, plot size) as Qt-free
// forms, and what the form's two grids show: columns by method, read-only cells,
// colours by status mark and the heading hints.
#include <string>
#include <string_view>
#include <vector>

#include "design/rows.h"
#include "ui/form.h"
#include "ui/ui_port.h"

namespace design {

inline constexpr const char* kDesignFormId = "design.form";
inline constexpr const char* kSelectMethodFormId = "design.select_method";
inline constexpr const char* kPlotSizeFormId = "design.plot_size";

inline constexpr const char* kDesignFormTitlePrefix = "Strovan Form     ";
inline constexpr const char* kSelectMethodHeading = "Select New Cruise Method From the List Below";
inline constexpr const char* kUnderConstructionText = "Option under construction.";
// The refusal of an edit of a cell that takes none (read-only, hidden, no such cell).
inline constexpr const char* kCellFixedText = "This cell cannot be changed.";

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
// The cell as the grid shows it ("%g" for numbers). Given the stratum's method, the
// error of a group without the sizes it needs shows as kNoError, never as 0.
std::string SgCellText(const SgRow& row, std::string_view column, std::string_view method = {});
inline constexpr const char* kNoError = "n/c";

// --- Strata grid ----------------------------------------------------------------------
const std::vector<std::string>& StratumGridColumns();
bool StratumColumnShown(std::string_view column);
// Only Description and the Lock check box take input.
bool StratumColumnReadOnly(std::string_view column);
bool StratumColumnRightAligned(std::string_view column);
std::string StratumColumnHint(std::string_view column, const std::string& uom);
// A stratum whose error cannot be computed shows kNoError in Error.
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
    // Refuses a value outside the plot size's (or BAF's) rule (the dialog stays open).
    bool OnOk();
    double Value() const { return value_; }

private:
    ui::UiPort& ui_;
    bool point_;
    double value_ = 0;
};


// Unit lists are codes joined by ",".
std::vector<std::string> SplitUnits(const std::string& units);
std::string JoinUnits(const std::vector<std::string>& codes);

}  // namespace design
