#pragma once
// The report chooser and the report window as forms, so the whole "Make Report"
// command runs without a display: the front end shows them, tests script them.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "grid/grid_print.h"
#include "reports/reports.h"
#include "ui/form.h"

namespace ui { class UiPort; }

namespace reports {

// "Select Report From List": one of five reports.
class ReportChooserForm : public ui::Form {
public:
    static constexpr const char* kId = "reports.chooser";
    struct Entry {
        int id;  // the radio button's control id
        ReportKind kind;
        const char* text;
    };
    static const std::vector<Entry>& Entries();

    std::string FormId() const override { return kId; }
    std::string Title() const override { return "Select Report From List"; }

    ReportKind choice = ReportKind::Summary;
};

// How the report windows print: no headings, no frames but the reports' own borders;
// the setup forms and the recon reports shrink to the page width, so that a form
// is never split across two sheets side by side.
grid::PrintOptions ReportPrintOptions(ReportKind kind);
// The setup forms are laid out for landscape paper.
bool PrintsLandscape(ReportKind kind);

// A report in its window with the "&File" menu: "&Print", "&Save", "&Export PDF",
// "E&xit".
class ReportWindowForm : public ui::Form {
public:
    static constexpr const char* kId = "reports.window";
    ReportWindowForm(ui::UiPort& ui, ReportKind kind, std::unique_ptr<ReportGrid> report)
        : ui_(ui), kind_(kind), report_(std::move(report)) {}

    std::string FormId() const override { return kId; }
    std::string Title() const override { return WindowTitle(kind_); }
    ReportKind Kind() const { return kind_; }
    ReportGrid& Report() { return *report_; }
    ui::UiPort& Ui() { return ui_; }

    // File, Save: the text file through a save dialog; true when it was written.
    // The setup forms cannot be saved and say so.
    bool Save();
    // File, Export PDF: the whole report as a paged PDF (page numbers at the foot);
    // the setup forms in landscape.
    bool ExportPdf();
    // File, Print: the pages of Export PDF (page numbers at the foot) with the
    // window's margins, on the device `choose` gives (the print dialog in the front end).
    grid::PrintResult Print(const grid::CanvasChooser& choose);
    // The same on the program's installed printer.
    grid::PrintResult Print() { return Print(grid::PrinterChooser()); }

private:
    ui::UiPort& ui_;
    ReportKind kind_;
    std::unique_ptr<ReportGrid> report_;
};

// The PDF of a report without asking for a path; messages through ui.
grid::PrintResult ExportReportPdf(ReportGrid& report, ReportKind kind, const std::string& path, ui::UiPort& ui);

// "Make Report": the chooser, then the chosen report's window. 0 when done or
// cancelled.
int RunReports(ui::UiPort& ui, const ReportInputs& in);

}  // namespace reports
