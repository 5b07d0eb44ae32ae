#pragma once
// The report windows and the report chooser: Qt faces of reports::ReportWindowForm
// and reports::ReportChooserForm. The content, the save and the PDF export are the
// library's; the window adds the grid, the "&File" menu and the print dialog.
#include <QDialog>

#include "reports/report_window.h"

class QButtonGroup;

namespace gui {

class GridWidget;

class ReportChooserWindow : public QDialog {
    Q_OBJECT
public:
    ReportChooserWindow(reports::ReportChooserForm& form, QWidget* parent = nullptr);
    void accept() override;

private:
    reports::ReportChooserForm& form_;
    QButtonGroup* group_;
};

class ReportWindow : public QDialog {
    Q_OBJECT
public:
    ReportWindow(reports::ReportWindowForm& form, QWidget* parent = nullptr);
    GridWidget* Grid() { return grid_; }

    void Print();
    void Save() { form_.Save(); }
    void ExportPdf() { form_.ExportPdf(); }

private:
    reports::ReportWindowForm& form_;
    GridWidget* grid_;
};

}  // namespace gui
