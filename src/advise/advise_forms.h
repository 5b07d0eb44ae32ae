#pragma once
// The advisor and the design comparison as forms, so both windows run without a
// display: "Advise Strata" (the table of proposals, the cost against k, Apply on a
// chosen row) and "Compare Designs" (designs side by side in a printable, exportable
// grid). The front end shows them, tests script them.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "advise/advice_table.h"
#include "advise/advisor.h"
#include "advise/compare.h"
#include "grid/grid_model.h"
#include "grid/grid_print.h"
#include "store/cruise_store.h"
#include "ui/form.h"
#include "ui/ui_port.h"

namespace advise {

// What both windows' File menus do with their grid.
class GridDocument {
public:
    explicit GridDocument(ui::UiPort& ui) : ui_(ui) {}
    ui::UiPort& Ui() { return ui_; }
    grid::GridModel& Grid() { return grid_; }
    const grid::GridModel& Grid() const { return grid_; }
    // The whole grid on the device `choose` gives (the print dialog in the front end).
    grid::PrintResult Print(const grid::CanvasChooser& choose);
    grid::PrintResult Print() { return Print(grid::PrinterChooser()); }
    // Through a save dialog; true when written (and said so).
    bool ExportCsv();
    bool ExportPdf();

protected:
    ui::UiPort& ui_;
    grid::GridModel grid_;
};

class AdviseForm : public ui::Form, public GridDocument {
public:
    static constexpr const char* kId = "advise.strata";
    // Works on the open cruise file as it stands (changes not yet committed included).
    AdviseForm(ui::UiPort& ui, store::CCruiseStore& store, std::string target = "10");
    std::string FormId() const override { return kId; }
    std::string Title() const override { return "Advise Strata"; }

    std::string target;  // sale error, percent
    int maxStrata = kDefaultMaxStrata;

    // Prices the proposals and fills the grid; false (and said why) without advice.
    bool Compute();
    const Advice& Result() const { return advice_; }
    const std::vector<AdviceLine>& Lines() const { return lines_; }
    // The proposal a grid row belongs to; -1 for the current strata's rows or none.
    int ProposalAt(int64_t row) const;
    // "Apply" on a row of the grid: the question, then the proposal into the file.
    // True when applied; the grid then shows the new current strata.
    bool ApplyRow(int64_t row);
    bool Applied() const { return applied_; }
    // The chart: cost by number of strata for every proposal with numbers, and the
    // current strata's cost (nullopt without).
    std::vector<std::pair<int, double>> CostByStrata() const;
    std::optional<double> CurrentCost() const;

private:
    void Fill();

    store::CCruiseStore& store_;
    Advice advice_;
    std::vector<AdviceLine> lines_;
    bool applied_ = false;
};

class CompareForm : public ui::Form, public GridDocument {
public:
    static constexpr const char* kId = "advise.compare";
    // `target`: the sale error the advisor's proposals are priced for.
    CompareForm(ui::UiPort& ui, store::CCruiseStore& store, std::string target = "10");
    std::string FormId() const override { return kId; }
    std::string Title() const override { return "Compare Designs"; }

    // What can be compared: the current design, the saved designs, and (after
    // AddProposals) the advisor's proposals.
    const std::vector<std::string>& Names() const { return names_; }
    // Prices the advisor's proposals; the best one is then compared beside the
    // current design. False (and said why) when there is no advice.
    bool AddProposals();
    // The designs shown, in order; the first is the one the others are marked against.
    std::vector<std::string> chosen;
    // Builds the table of the chosen designs; false (and said why) when one cannot be shown.
    bool Refresh();
    const ComparisonTable& Table() const { return table_; }

private:
    store::CCruiseStore& store_;
    std::string target_;
    std::optional<Advice> advice_;
    std::vector<std::string> names_;
    ComparisonTable table_;
};

}  // namespace advise
