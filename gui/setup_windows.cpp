#include "setup_windows.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "advise_window.h"
#include "conventions.h"
#include "form_registry.h"
#include "grid_widget.h"
#include "setup/setup_grid_model.h"
#include "ui/forms.h"

namespace gui {

// ---- Setup Strata Definitions ----------------------------------------------------------

StrataDefinitionsWindow::StrataDefinitionsWindow(setup::StrataDefinitionsForm& form, QWidget* parent)
    : QDialog(parent), form_(form) {
    setWindowTitle(QString::fromStdString(form.Title()));
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QMenuBar(this);
    QMenu* file = bar->addMenu("&File");
    file->addAction("Import .SVZ File", this, [this] { form_.ImportFile(); });
    file->addAction("Return", this, &QDialog::accept);
    layout->setMenuBar(bar);

    auto* setup_form = new QPushButton("STRATA SETUP FORM");
    auto* setup_table = new QPushButton("STRATA SETUP TABLE");
    auto* back = new QPushButton("RETURN");
    for (QPushButton* b : {setup_form, setup_table, back}) {
        b->setMinimumHeight(36);
        b->setAutoDefault(false);
        layout->addWidget(b);
    }
    connect(setup_form, &QPushButton::clicked, this,
            [this] { Run(&setup::StrataDefinitionsForm::SetupForm); });
    connect(setup_table, &QPushButton::clicked, this,
            [this] { Run(&setup::StrataDefinitionsForm::SetupTable); });
    connect(back, &QPushButton::clicked, this, &QDialog::accept);
    setMinimumWidth(300);
}

void StrataDefinitionsWindow::Run(int (setup::StrataDefinitionsForm::*step)()) { (form_.*step)(); }

// ---- Setup Populations -------------------------------------------------------------------

PopulationsWindow::PopulationsWindow(setup::PopulationsForm& form, QWidget* parent)
    : QDialog(parent), form_(form) {
    setWindowTitle(QString::fromStdString(form.Title()));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    auto* layout = new QVBoxLayout(this);

    auto* bar = new QMenuBar(this);
    QMenu* file = bar->addMenu("&File");
    file->addAction("&Sort Table", this, [this] { RunOnRow(&setup::PopulationsForm::SortTable); });
    QAction* remake = file->addAction("&Remake Tables From Recon Data", this, [this] {
        form_.Remake();
        Rebind();
    });
    AddShortcut(file->addAction("&Print", this, [this] { form_.Print(); }), keys::kPrint, *this);
    file->addAction("&Exit", this, &PopulationsWindow::accept);
    QMenu* edit = bar->addMenu("&Edit");
    edit->addAction("&Add Row", this, [this] {
        model_.AddRow();
        Rebind();
    });
    edit->addAction("&Delete Row", this, [this] {
        if (model_.RowCount() > 0) model_.DeleteRow(CurrentRow());
        Rebind();
    });
    edit->addAction("&Edit Unit Table", this, [this] {
        form_.EditUnitTable();
        Rebind();
    });
    QAction* quick_strata = edit->addAction("&Quick Strata Setup", this, [this] { RunOnRow(&setup::PopulationsForm::QuickStrata); });
    QAction* quick_sg = edit->addAction("Q&uick SG Setup", this, [this] { RunOnRow(&setup::PopulationsForm::QuickSg); });
    QAction* delete_strata = edit->addAction("Delete &Strata", this, [this] { RunOnRow(&setup::PopulationsForm::DeleteStrata); });
    QAction* delete_groups =
        edit->addAction("Delete Sample &Groups", this, [this] { RunOnRow(&setup::PopulationsForm::DeleteSampleGroups); });
    // On one stratum's items (the strata form's sample groups) these would wipe the
    // codes being made: offered only on the whole sale's summary.
    if (!form_.OnSummary())
        for (QAction* a : {remake, quick_strata, quick_sg, delete_strata, delete_groups}) {
            a->setEnabled(false);
            a->setToolTip("Works on the whole sale's summary table only");
        }
    file->setToolTipsVisible(true);
    edit->setToolTipsVisible(true);
    if (form_.OnSummary())
        edit->addAction(QString::fromUtf8("Advise Strata\u2026"), this, [this] {
            if (!RunAdvisor(form_.Ui(), form_.Store(), "10")) return;
            form_.Grid().Rebind();
            Rebind();
        });
    QMenu* view = bar->addMenu("&View");
    view->addAction("Recon Strata Table", this, [this] { form_.ReconStrataTable(); });
    layout->setMenuBar(bar);

    grid_ = new GridWidget(model_, this);
    grid_->SetUi(&form_.Ui());
    model_.SetTitle(form.Title());
    setup::BindSetupGrid(model_, form_.Grid());
    model_.OnRightClick([this](grid::GridModel&, grid::CellRef cell) {
        return setup::SetupMenu(form_.Grid(), cell, [this](const std::string& item, int row, int col) {
            Command(item, row, col);
        });
    });
    layout->addWidget(grid_, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(setup::kPopulationsNote), 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    if (form.HelpShown()) {
        QPushButton* help = buttons->addButton("Help", QDialogButtonBox::HelpRole);
        connect(help, &QPushButton::clicked, this, [this] { form_.Ui().ShowHelp(ui::kHelpPopulations); });
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &PopulationsWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PopulationsWindow::reject);
    bottom->addWidget(buttons);
    layout->addLayout(bottom);
    grid_->SizeToContents();
    resize(760, 520);
}

PopulationsWindow::~PopulationsWindow() { delete grid_; }

void PopulationsWindow::RunOnRow(void (setup::PopulationsForm::*command)(int)) {
    (form_.*command)(CurrentRow());
    Rebind();
}

int PopulationsWindow::CurrentRow() const { return static_cast<int>(model_.CurrentRow()); }

void PopulationsWindow::Rebind() {
    const int64_t row = model_.CurrentRow();
    const int col = model_.CurrentColumn();
    setup::BindSetupGrid(model_, form_.Grid());
    if (model_.RowCount() > 0) model_.SetCurrent(col, std::min<int64_t>(row, model_.RowCount() - 1));
    grid_->ApplyLayout();
}

void PopulationsWindow::Command(const std::string& item, int row, int col) {
    form_.MenuCommand(item, row, col);
    Rebind();
}

void PopulationsWindow::accept() {
    if (form_.Accept()) QDialog::accept();
}

void PopulationsWindow::reject() {
    if (!form_.Done()) form_.Cancel();
    QDialog::reject();
}

namespace {

FormRegistrar strata_reg{setup::StrataDefinitionsForm::kId, [](ui::Form& f, QWidget* parent) {
                             StrataDefinitionsWindow w(static_cast<setup::StrataDefinitionsForm&>(f), parent);
                             return RunModalOk(w);
                         }};
FormRegistrar populations_reg{setup::PopulationsForm::kId, [](ui::Form& f, QWidget* parent) {
                                  PopulationsWindow w(static_cast<setup::PopulationsForm&>(f), parent);
                                  return RunModalOk(w);
                              }};

}  // namespace

}  // namespace gui
