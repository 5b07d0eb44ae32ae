#include "report_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QMenuBar>
#include <QRadioButton>
#include <QVBoxLayout>

#include "conventions.h"
#include "form_registry.h"
#include "grid_print_qt.h"
#include "grid_widget.h"

namespace gui {

ReportChooserWindow::ReportChooserWindow(reports::ReportChooserForm& form, QWidget* parent)
    : QDialog(parent), form_(form), group_(new QButtonGroup(this)) {
    setWindowTitle(QString::fromStdString(form.Title()));
    auto* layout = new QVBoxLayout(this);
    for (const auto& e : reports::ReportChooserForm::Entries()) {
        auto* radio = new QRadioButton(QString::fromUtf8(e.text), this);
        radio->setObjectName(QString::number(e.id));
        group_->addButton(radio, static_cast<int>(e.kind));
        radio->setChecked(e.kind == form.choice);
        layout->addWidget(radio);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ReportChooserWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ReportChooserWindow::reject);
    layout->addWidget(buttons);
}

void ReportChooserWindow::accept() {
    int id = group_->checkedId();
    if (id >= 0) form_.choice = static_cast<reports::ReportKind>(id);
    QDialog::accept();
}

ReportWindow::ReportWindow(reports::ReportWindowForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    setWindowTitle(QString::fromStdString(form.Title()));
    setSizeGripEnabled(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QMenuBar(this);
    QMenu* file = bar->addMenu("&File");
    AddShortcut(file->addAction("&Print", this, &ReportWindow::Print), keys::kPrint, *this);
    AddShortcut(file->addAction("&Save", this, &ReportWindow::Save), keys::kSave, *this);
    file->addAction("&Export PDF", this, &ReportWindow::ExportPdf);
    file->addSeparator();
    file->addAction("E&xit", this, &ReportWindow::reject);
    layout->setMenuBar(bar);
    grid_ = new GridWidget(form.Report().Grid(), this);
    grid_->SetUi(&form.Ui());
    grid_->SetWidenToText(true);
    layout->addWidget(grid_);
    resize(std::min(grid_->ContentWidth() + 40, 1200), 700);
}

void ReportWindow::Print() {
    bool landscape = reports::PrintsLandscape(form_.Kind());
    form_.Print([this, landscape] { return ChoosePrinter(this, landscape); });
}

namespace {

FormRegistrar chooserReg{reports::ReportChooserForm::kId, [](ui::Form& f, QWidget* parent) {
                             ReportChooserWindow w(dynamic_cast<reports::ReportChooserForm&>(f), parent);
                             return RunModalOk(w);
                         }};

FormRegistrar windowReg{reports::ReportWindowForm::kId, [](ui::Form& f, QWidget* parent) {
                            ReportWindow w(dynamic_cast<reports::ReportWindowForm&>(f), parent);
                            RunModal(w);
                            return true;
                        }};

}  // namespace

}  // namespace gui
