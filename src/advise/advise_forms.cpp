#include "advise/advise_forms.h"

#include "grid/grid_export.h"

namespace advise {

namespace {

constexpr int kUnitsColumn = 3;  // of AdviceHeadings()

ui::FileDialogSpec SaveSpec(const char* title, const char* filter, const char* pattern, const char* ext) {
    ui::FileDialogSpec spec;
    spec.title = title;
    spec.filters = {{filter, {pattern}}, {"All Files (*.*)", {"*.*"}}};
    spec.default_extension = ext;
    return spec;
}

// Advice on the open file as it stands, under a busy cursor.
Advice AdviceOf(ui::UiPort& ui, store::CCruiseStore& store, const AdviseOptions& options) {
    Advice a;
    ui.BeginBusy("Pricing the proposals...");
    auto image = store.IsOpen() ? store.Storage()->Packed() : mk::Result<std::string>(mk::Error{mk::Errc::NotOpen, ""});
    if (image) a = Advise(*image, options);
    else a.error = "The cruise file cannot be read.";
    ui.EndBusy();
    return a;
}

grid::Font Bold() {
    grid::Font f;
    f.bold = true;
    return f;
}

}  // namespace

grid::PrintResult GridDocument::Print(const grid::CanvasChooser& choose) {
    return grid::PrintGridJob(grid_, 0, 0, grid_.ColumnCount() - 1, grid_.RowCount() - 1, /*paged=*/true, choose,
                              ui_);
}

bool GridDocument::ExportCsv() {
    auto path = ui_.SaveFileName(SaveSpec("Export CSV", "CSV Files (*.csv)", "*.csv", "csv"));
    if (!path || path->empty()) return false;
    std::string error;
    if (!grid::SaveCsv(grid_, *path, error)) {
        ui_.MessageBox("File Error", "The table could not be saved.\n" + error, ui::Icon::Stop);
        return false;
    }
    ui_.MessageBox("Done", "The table has been saved.", ui::Icon::Information);
    return true;
}

bool GridDocument::ExportPdf() {
    auto path = ui_.SaveFileName(SaveSpec("Export PDF", "PDF Files (*.pdf)", "*.pdf", "pdf"));
    if (!path || path->empty()) return false;
    grid::PdfExportOptions o;
    o.landscape = true;
    if (grid::SavePdf(grid_, *path, ui_, o) != grid::PrintResult::Printed) return false;
    ui_.MessageBox("Done", "The table has been saved as PDF.", ui::Icon::Information);
    return true;
}

// --- Advise Strata ----------------------------------------------------------------------------

AdviseForm::AdviseForm(ui::UiPort& ui, store::CCruiseStore& store, std::string target)
    : GridDocument(ui), target(std::move(target)), store_(store) {}

bool AdviseForm::Compute() {
    AdviseOptions options;
    options.maxStrata = maxStrata;
    options.target = target;
    advice_ = AdviceOf(ui_, store_, options);
    lines_ = advice_.error.empty() ? AdviceLines(advice_) : std::vector<AdviceLine>();
    Fill();
    if (!advice_.error.empty()) ui_.MessageBox("Warning", advice_.error, ui::Icon::Exclamation);
    return advice_.error.empty();
}

void AdviseForm::Fill() {
    const auto& headings = AdviceHeadings();
    grid_.Unbind(static_cast<int>(headings.size()), static_cast<int64_t>(lines_.size()));
    grid_.SetTitle(Title());
    for (size_t c = 0; c < headings.size(); ++c) {
        grid_.SetHeading(static_cast<int>(c), headings[c]);
        grid_.SetColumnReadOnly(static_cast<int>(c), true);
        grid_.SetAutoWidth(static_cast<int>(c), true);
        if (c >= 4) grid_.SetColumnAlign(static_cast<int>(c), grid::Align::Right);
    }
    // A stratum of a large sale lists a hundred units: the column keeps a width that
    // leaves the figures in sight.
    grid_.SetAutoWidth(kUnitsColumn, false);
    grid_.SetColumnWidth(kUnitsColumn, 260);
    for (size_t r = 0; r < lines_.size(); ++r) {
        const auto cells = AdviceCells(lines_[r]);
        const auto row = static_cast<int64_t>(r);
        for (size_t c = 0; c < cells.size(); ++c) grid_.SetText(static_cast<int>(c), row, cells[c]);
        if (!lines_[r].head) continue;
        grid::Style head;
        head.font = Bold();
        if (lines_[r].best) head.text_color = grid::colors::kMarkBlue;
        head.shaded = true;
        grid_.SetRowStyle(row, head);
    }
}

int AdviseForm::ProposalAt(int64_t row) const {
    if (row < 0 || row >= static_cast<int64_t>(lines_.size())) return -1;
    return lines_[static_cast<size_t>(row)].proposal;
}

bool AdviseForm::ApplyRow(int64_t row) {
    const int p = ProposalAt(row);
    if (p < 0 || !advice_.proposals[static_cast<size_t>(p)].outcome.ok) {
        ui_.MessageBox("Information", "Choose a row of a proposal to apply.", ui::Icon::Information);
        return false;
    }
    const Proposal chosen = advice_.proposals[static_cast<size_t>(p)];
    if (Apply(ui_, store_, advice_, chosen) != kApplied) return false;
    applied_ = true;
    ui_.MessageBox("Information",
                   "The proposal of " + std::to_string(chosen.k) + " strata is now the sale's strata and design.",
                   ui::Icon::Information);
    Compute();
    return true;
}

std::vector<std::pair<int, double>> AdviseForm::CostByStrata() const {
    std::vector<std::pair<int, double>> out;
    for (const Proposal& p : advice_.proposals)
        if (p.outcome.ok) out.emplace_back(p.k, p.outcome.cost);
    return out;
}

std::optional<double> AdviseForm::CurrentCost() const {
    if (!advice_.current.ok) return std::nullopt;
    return advice_.current.cost;
}

// --- Compare Designs --------------------------------------------------------------------------

CompareForm::CompareForm(ui::UiPort& ui, store::CCruiseStore& store, std::string target)
    : GridDocument(ui), store_(store), target_(std::move(target)) {
    if (store_.IsOpen()) names_ = ComparableNames(*store_.Storage(), nullptr);
    chosen = {"current"};
    if (names_.size() > 1) chosen.push_back(names_[1]);
}

bool CompareForm::AddProposals() {
    if (!store_.IsOpen()) return false;
    AdviseOptions options;
    options.target = target_;
    Advice a = AdviceOf(ui_, store_, options);
    if (!a.error.empty()) {
        ui_.MessageBox("Warning", a.error, ui::Icon::Exclamation);
        return false;
    }
    advice_ = std::move(a);
    names_ = ComparableNames(*store_.Storage(), &*advice_);
    if (advice_->best >= 0) chosen = {"current", ProposalName(advice_->proposals[advice_->best].k)};
    return true;
}

bool CompareForm::Refresh() {
    if (!store_.IsOpen() || chosen.empty()) return false;
    std::vector<ComparedDesign> designs;
    for (const std::string& name : chosen) {
        designs.push_back(DesignByName(*store_.Storage(), name, advice_ ? &*advice_ : nullptr));
        if (!designs.back().failure.empty()) {
            ui_.MessageBox("Warning", "Cannot compare " + name + ": " + designs.back().failure + ".",
                           ui::Icon::Exclamation);
            return false;
        }
    }
    table_ = Compare(designs);
    FillComparisonGrid(grid_, table_);
    grid_.SetTitle(Title());
    for (int c = 0; c < grid_.ColumnCount(); ++c) grid_.SetAutoWidth(c, true);
    return true;
}

}  // namespace advise
