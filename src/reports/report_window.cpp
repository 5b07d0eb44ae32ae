#include "reports/report_window.h"

#include "grid/grid_export.h"
#include "ui/ui_port.h"

namespace reports {

const std::vector<ReportChooserForm::Entry>& ReportChooserForm::Entries() {
    static const std::vector<Entry> entries = {
        {1130, ReportKind::Summary, "Strovan Summary"},
        {1131, ReportKind::Kelvane, "Kelvane Forms"},
        {1132, ReportKind::Mirtel, "Mirtel Forms"},
        {1133, ReportKind::ReconCurrent, "Recon Sample Sizes for Current Design"},
        {1134, ReportKind::ReconAll, "Recon Sample Sizes for All Methods"},
    };
    return entries;
}

grid::PrintOptions ReportPrintOptions(ReportKind kind) {
    grid::PrintOptions o;
    o.column_headings = false;
    o.row_headings = false;
    o.cell_frames = false;
    o.fit_width = kind != ReportKind::Summary;
    return o;
}

bool PrintsLandscape(ReportKind kind) { return kind == ReportKind::Kelvane || kind == ReportKind::Mirtel; }

bool ReportWindowForm::Save() {
    if (!CanSaveText(kind_)) {
        ui_.MessageBox("Information", "This report cannot be saved to a file.", ui::Icon::Information);
        return false;
    }
    ui::FileDialogSpec spec;
    spec.title = "Save As";
    spec.filters = {{"Text Files (*.TXT)", {"*.txt"}}, {"All Files (*.*)", {"*.*"}}};
    spec.default_extension = "txt";
    auto path = ui_.SaveFileName(spec);
    if (!path || path->empty()) return false;
    std::string error;
    if (!SaveReportText(*report_, *path, error)) {
        // Whatever the cause (permission, full disk), the user must not be told it
        // was saved.
        ui_.MessageBox("File Error", "The report could not be saved.\n" + error, ui::Icon::Stop);
        return false;
    }
    ui_.MessageBox("Done", "Report has been saved.", ui::Icon::Information);
    return true;
}

grid::PrintResult ExportReportPdf(ReportGrid& report, ReportKind kind, const std::string& path, ui::UiPort& ui) {
    grid::PdfExportOptions o;
    o.paged = true;
    o.landscape = PrintsLandscape(kind);
    o.print = ReportPrintOptions(kind);
    o.print.document_name = report.DocumentName();
    return grid::SavePdf(report.Grid(), path, ui, o);
}

bool ReportWindowForm::ExportPdf() {
    ui::FileDialogSpec spec;
    spec.title = "Export PDF";
    spec.filters = {{"PDF Files (*.pdf)", {"*.pdf"}}, {"All Files (*.*)", {"*.*"}}};
    spec.default_extension = "pdf";
    auto path = ui_.SaveFileName(spec);
    if (!path || path->empty()) return false;
    if (ExportReportPdf(*report_, kind_, *path, ui_) != grid::PrintResult::Printed) return false;
    ui_.MessageBox("Done", "Report has been saved as PDF.", ui::Icon::Information);
    return true;
}

grid::PrintResult ReportWindowForm::Print(const grid::CanvasChooser& choose) {
    grid::GridModel& g = report_->Grid();
    g.SetPrintMargins(PrintMargins(kind_));
    grid::PrintOptions o = ReportPrintOptions(kind_);
    o.document_name = report_->DocumentName();
    // The pages of Export PDF, page numbers included, so that printing to a file
    // gives the same document.
    return grid::PrintGridJob(g, 0, 0, g.ColumnCount() - 1, g.RowCount() - 1, /*paged=*/true, choose, ui_, o);
}

int RunReports(ui::UiPort& ui, const ReportInputs& in) {
    ReportChooserForm chooser;
    if (!ui.RunForm(chooser)) return 0;
    ui.BeginBusy("Building the report...");
    std::unique_ptr<ReportGrid> report = BuildReport(chooser.choice, in);
    ui.EndBusy();
    if (!report) return -1;
    if (!report->Notice().empty()) ui.MessageBox("Information", report->Notice(), ui::Icon::Information);
    ReportWindowForm window(ui, chooser.choice, std::move(report));
    ui.RunForm(window);
    return 0;
}

}  // namespace reports
