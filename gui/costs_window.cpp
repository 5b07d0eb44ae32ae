#include "costs_window.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/costs_dialog.h"
#include "conventions.h"
#include "form_registry.h"
#include "qt_ui.h"

namespace gui {

namespace {
struct FieldText {
    int field;
    const char* label;
};

// The groups of the form and their fields, top to bottom.
const FieldText kPlotFields[] = {
    {ui::kCrewPlot, "Estimated Hourly Cost of Your Crew (Salary)"},
    {ui::kCntPlot,
     "Number of Count Plots Established in an Hour. (Monument plot center and determine 'in' "
     "trees)"},
    {ui::kTrav, "Time to Traverse a Distance of 10 Chains"},
};
const FieldText kTreeFields[] = {
    {ui::kCrewTree, "Estimated Hourly Cost of Your Crew (Salary)"},
    {ui::kTreeTally, "Number of Trees your crew can tally in an hour (assume no sample trees)"},
    {ui::kTree3P, "Number of Trees your crew can 3P in an hour (assume no sample trees)"},
};
const FieldText kAllFields[] = {
    {ui::kTreeMeas,
     "Number of trees your crew can measure in an hour (take dbh, height, defect, etc...)"},
    {ui::kPaint, "Quart of marker paint"},
    {ui::kTreePaint, "Number of trees marked per can"},
};
}  // namespace

CostsWindow::CostsWindow(ui::CostsForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    setWindowTitle(QString::fromStdString(form_.Title()));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        "Fill the following estimates based on your expected crew. Take into account terrain and "
        "stand densities of the units when making your estimates.");
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto add_group = [&](const char* caption, const auto& fields) {
        auto* box = new QGroupBox(caption);
        auto* grid = new QGridLayout(box);
        int row = 0;
        for (const FieldText& f : fields) {
            auto* label = new QLabel(f.label);
            label->setWordWrap(true);
            auto* edit = new FieldEdit(0, ui::CostFieldDigitsOnly(f.field));
            edit->SetValue(QString::fromStdString(form_.Values()[f.field]));
            // The plausible range of the field.
            edit->setToolTip(QString::fromStdString(app::CostFieldHint(f.field)));
            edit->setMaximumWidth(90);
            label->setBuddy(edit);
            grid->addWidget(label, row, 0);
            grid->addWidget(edit, row, 1);
            auto* unit = new QLabel(ui::kCostFieldUnits[f.field]);
            unit->setFixedWidth(100);  // keeps the edits of all groups in one column
            grid->addWidget(unit, row, 2);
            grid->setColumnStretch(0, 1);
            edits_[f.field] = edit;
            ++row;
        }
        layout->addWidget(box);
    };
    add_group(" Plot Based Methods (Variable and Fixed):", kPlotFields);
    add_group(" Tree Based Methods: ", kTreeFields);
    add_group(" All Methods: ", kAllFields);

    // Spare height goes below the groups, not around the wrapped instruction.
    layout->addStretch(1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    help_ = buttons->addButton("Help", QDialogButtonBox::HelpRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CostsWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CostsWindow::reject);
    connect(help_, &QPushButton::clicked, this, [this] { form_.OnHelp(); });
    layout->addWidget(buttons);
    // The wrapped labels need their height at the width actually given.
    resize(600, layout->hasHeightForWidth() ? layout->totalHeightForWidth(600)
                                            : sizeHint().height());
}

void CostsWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    raise();
    activateWindow();
}

void CostsWindow::accept() {
    for (int f = 0; f < ui::kCostFieldCount; ++f)
        form_.Values()[f] = edits_[f]->text().toStdString();
    if (form_.OnOk()) QDialog::accept();
}

namespace {
const FormRegistrar kRegistrar{ui::kCostsFormId, [](ui::Form& form, QWidget* parent) {
                                   CostsWindow dlg(dynamic_cast<ui::CostsForm&>(form), parent);
                                   return RunModalOk(dlg);
                               }};
}  // namespace

}  // namespace gui
