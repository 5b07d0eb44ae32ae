#include "strata_windows.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "conventions.h"
#include "form_registry.h"
#include "grid_widget.h"
#include "setup/setup_grid_model.h"
#include "setup/strata_definition.h"
#include "setup/strata_forms.h"
#include "ui/forms.h"

namespace gui {

namespace {

// A setup grid in a widget, with its right-click menu.
GridWidget* MakeGrid(grid::GridModel& model, setup::SetupGrid& grid, ui::UiPort* ui, QWidget* parent,
                     std::function<void(const std::string&, int, int)> command) {
    auto* w = new GridWidget(model, parent);
    w->SetUi(ui);
    setup::BindSetupGrid(model, grid);
    model.OnRightClick([&grid, command](grid::GridModel&, grid::CellRef cell) {
        return setup::SetupMenu(grid, cell, command);
    });
    w->SizeToContents();
    return w;
}

// Add Row, Delete Row, Select All and Unselect All of a plain setup grid.
void PlainCommand(grid::GridModel& model, setup::SetupGrid& grid, GridWidget* w, const std::string& item, int row) {
    if (item == setup::kMenuAddRow) grid.AddRow();
    else if (item == setup::kMenuDeleteRow) grid.DeleteRow(row);
    else if (item == setup::kMenuSelectAll) grid.SelectAll(true);
    else if (item == setup::kMenuUnselectAll) grid.SelectAll(false);
    setup::BindSetupGrid(model, grid);
    w->ApplyLayout();
}

QCheckBox* Check(const char* text, bool& flag, QWidget* parent) {
    auto* c = new QCheckBox(text, parent);
    c->setChecked(flag);
    QObject::connect(c, &QCheckBox::toggled, parent, [&flag](bool on) { flag = on; });
    return c;
}

bool RunQuickStrata(setup::QuickStrataForm& f, QWidget* parent) {
    QDialog d(parent);
    d.setWindowTitle(QString::fromStdString(f.Title()));
    auto* layout = new QVBoxLayout(&d);
    auto* by = new QGroupBox("Define Strata By...", &d);
    auto* by_layout = new QVBoxLayout(by);
    by_layout->addWidget(Check("Cutting Unit", f.keys.unit, &d));
    by_layout->addWidget(Check("Species Code", f.keys.species, &d));
    by_layout->addWidget(Check("Product Number", f.keys.prod, &d));
    by_layout->addWidget(Check("Live/Dead Code", f.keys.ld, &d));
    auto* row = new QHBoxLayout;
    auto* apply = new QPushButton("Apply", &d);
    auto* cancel = new QPushButton("Cancel", &d);
    row->addWidget(apply);
    row->addWidget(cancel);
    by_layout->addLayout(row);
    layout->addWidget(by);
    auto* classes = new QGroupBox("Or By Diameter Classes", &d);
    auto* c_layout = new QVBoxLayout(classes);
    auto* ranges = new QPushButton("Setup Diameter Ranges", &d);
    c_layout->addWidget(ranges);
    layout->addWidget(classes);
    QObject::connect(apply, &QPushButton::clicked, &d, [&] {
        f.choice = setup::QuickStrataForm::Choice::Apply;
        d.accept();
    });
    QObject::connect(ranges, &QPushButton::clicked, &d, [&] {
        f.choice = setup::QuickStrataForm::Choice::DiameterRanges;
        d.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &d, &QDialog::reject);
    return RunModalOk(d);
}

bool RunDiameterRanges(setup::DiameterRangesForm& f, QWidget* parent) {
    QDialog d(parent);
    d.setWindowTitle(QString::fromStdString(f.Title()));
    auto* layout = new QVBoxLayout(&d);
    grid::GridModel model;
    GridWidget* w = nullptr;
    w = MakeGrid(model, f.grid, nullptr, &d, [&](const std::string& item, int row, int) {
        PlainCommand(model, f.grid, w, item, row);
    });
    // An empty list gets a row to type into.
    if (f.grid.RowCount() == 0) {
        f.grid.AddRow();
        setup::BindSetupGrid(model, f.grid);
    }
    layout->addWidget(w, 1);
    auto* row = new QHBoxLayout;
    struct B {
        const char* text;
        setup::RangeScope scope;
    };
    for (B b : {B{"Apply to Selected Row", setup::RangeScope::SelectedRow}, B{"Apply to Stratum", setup::RangeScope::Stratum},
                B{"Apply to All Rows", setup::RangeScope::AllRows}}) {
        auto* p = new QPushButton(b.text, &d);
        QObject::connect(p, &QPushButton::clicked, &d, [&f, &d, b] {
            f.scope = b.scope;
            d.accept();
        });
        row->addWidget(p);
    }
    auto* cancel = new QPushButton("Cancel", &d);
    QObject::connect(cancel, &QPushButton::clicked, &d, &QDialog::reject);
    row->addWidget(cancel);
    layout->addLayout(row);
    d.resize(420, 300);
    const bool ok = RunModalOk(d);
    delete w;
    return ok;
}

bool RunQuickSg(setup::QuickSgForm& f, QWidget* parent) {
    QDialog d(parent);
    d.setWindowTitle(QString::fromStdString(f.Title()));
    auto* layout = new QVBoxLayout(&d);
    auto* sides = new QHBoxLayout;
    auto* tree = new QGroupBox("Define Tree Based Sample Groups...", &d);
    auto* t = new QVBoxLayout(tree);
    t->addWidget(Check("By Species Code", f.tree.species, &d));
    t->addWidget(Check("By Product Number", f.tree.prod, &d));
    t->addWidget(Check("Live/Dead Code", f.tree.ld, &d));
    auto* ranges = new QPushButton("Setup Diameter Ranges", &d);
    t->addWidget(ranges);
    auto* plot = new QGroupBox("Define Plot Based Sample Groups...", &d);
    auto* p = new QVBoxLayout(plot);
    p->addWidget(Check("By Species Code", f.plot.species, &d));
    p->addWidget(Check("By Product Number", f.plot.prod, &d));
    p->addWidget(Check("Live/Dead Code", f.plot.ld, &d));
    sides->addWidget(tree);
    sides->addWidget(plot);
    layout->addLayout(sides);
    auto* row = new QHBoxLayout;
    auto* selected = new QPushButton("Apply to Selected Stratum", &d);
    auto* all = new QPushButton("Apply to All Strata", &d);
    auto* cancel = new QPushButton("Cancel", &d);
    row->addWidget(selected);
    row->addWidget(all);
    row->addWidget(cancel);
    layout->addLayout(row);
    using C = setup::QuickSgForm::Choice;
    auto choose = [&](C c) {
        return [&f, &d, c] {
            f.choice = c;
            d.accept();
        };
    };
    QObject::connect(selected, &QPushButton::clicked, &d, choose(C::SelectedStratum));
    QObject::connect(all, &QPushButton::clicked, &d, choose(C::AllStrata));
    QObject::connect(ranges, &QPushButton::clicked, &d, choose(C::DiameterRanges));
    QObject::connect(cancel, &QPushButton::clicked, &d, &QDialog::reject);
    return RunModalOk(d);
}

bool RunTwoChoice(setup::TwoChoiceForm& f, QWidget* parent) {
    QDialog d(parent);
    d.setWindowTitle(QString::fromStdString(f.Title()));
    auto* layout = new QVBoxLayout(&d);
    auto* first = new QPushButton(QString::fromStdString(f.first_text), &d);
    auto* second = new QPushButton(QString::fromStdString(f.second_text), &d);
    auto* cancel = new QPushButton("Cancel", &d);
    for (auto* b : {first, second, cancel}) layout->addWidget(b);
    QObject::connect(first, &QPushButton::clicked, &d, [&] {
        f.second = false;
        d.accept();
    });
    QObject::connect(second, &QPushButton::clicked, &d, [&] {
        f.second = true;
        d.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &d, &QDialog::reject);
    return RunModalOk(d);
}

bool RunSort(setup::SortForm& f, QWidget* parent) {
    QDialog d(parent);
    d.setWindowTitle(QString::fromStdString(f.Title()));
    auto* layout = new QGridLayout(&d);
    const char* labels[3] = {"Sort By", "Then By", "Then By"};
    QComboBox* boxes[3];
    for (int i = 0; i < 3; ++i) {
        layout->addWidget(new QLabel(labels[i], &d), i, 0);
        boxes[i] = new QComboBox(&d);
        boxes[i]->addItem("");
        for (const auto& c : f.choices) boxes[i]->addItem(QString::fromStdString(c));
        layout->addWidget(boxes[i], i, 1);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    layout->addWidget(buttons, 3, 0, 1, 2);
    if (!RunModalOk(d)) return false;
    for (int i = 0; i < 3; ++i) f.by[i] = boxes[i]->currentText().toStdString();
    return true;
}

}  // namespace

// ---- Define Strata and Sample Groups ---------------------------------------------------

StrataFormWindow::StrataFormWindow(setup::StrataForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    setWindowTitle(QString::fromStdString(form.Title()));
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QMenuBar(this);
    bar->addMenu("&File")->addAction("&Exit", this, &QDialog::accept);
    bar->addMenu("&View")->addAction("Recon Strata Table", this, [this] { form_.ReconStrataTable(); });
    layout->setMenuBar(bar);

    auto* step1 = new QGroupBox("Step 1:", this);
    auto* s1 = new QGridLayout(step1);
    s1->addWidget(new QLabel("Strata Code", step1), 0, 0);
    code_ = new QLineEdit(step1);
    auto* up = new QToolButton(step1);
    up->setArrowType(Qt::UpArrow);
    auto* down = new QToolButton(step1);
    down->setArrowType(Qt::DownArrow);
    s1->addWidget(code_, 0, 1);
    s1->addWidget(up, 0, 2);
    s1->addWidget(down, 0, 3);
    s1->addWidget(new QLabel("Strata Description (optional)", step1), 1, 0);
    description_ = new QLineEdit(step1);
    s1->addWidget(description_, 1, 1, 1, 3);
    connect(code_, &QLineEdit::textEdited, this, [this](const QString& t) { form_.code = t.toStdString(); });
    connect(description_, &QLineEdit::textEdited, this,
            [this](const QString& t) { form_.description = t.toStdString(); });
    connect(up, &QToolButton::clicked, this, [this] {
        form_.SpinCode(1);
        code_->setText(QString::fromStdString(form_.code));
    });
    connect(down, &QToolButton::clicked, this, [this] {
        form_.SpinCode(-1);
        code_->setText(QString::fromStdString(form_.code));
    });

    auto* steps = new QHBoxLayout;
    auto* step2 = new QGroupBox("Step 2:", this);
    auto* s2 = new QVBoxLayout(step2);
    s2->addWidget(new QLabel("Select one or more units", step2));
    units_ = MakeGrid(units_model_, form.Units(), &form.Ui(), step2, [this](const std::string& item, int row, int) {
        PlainCommand(units_model_, form_.Units(), units_, item, row);
        form_.RebuildItems();
        Refresh();
    });
    units_model_.OnEdit([this](grid::GridModel&, const grid::EditEvent&) {
        form_.RebuildItems();
        Refresh();
    });
    s2->addWidget(units_, 1);
    auto* step3 = new QGroupBox("Step 3:", this);
    auto* s3 = new QVBoxLayout(step3);
    s3->addWidget(new QLabel("Select one or more Items below.", step3));
    items_ = MakeGrid(items_model_, form.Items(), &form.Ui(), step3, [this](const std::string& item, int row, int) {
        PlainCommand(items_model_, form_.Items(), items_, item, row);
    });
    s3->addWidget(items_, 1);
    auto* step4 = new QGroupBox("Step 4 ---->", this);
    auto* s4 = new QVBoxLayout(step4);
    auto* define = new QPushButton("DEFINE SAMPLE GROUPS", step4);
    s4->addWidget(define);
    s4->addStretch(1);
    steps->addWidget(step2, 1);
    steps->addWidget(step3, 1);
    steps->addWidget(step4);
    connect(define, &QPushButton::clicked, this, [this] {
        form_.code = code_->text().toStdString();
        form_.description = description_->text().toStdString();
        form_.DefineSampleGroups();
        Refresh();
    });

    auto* defined = new QGroupBox("Defined Strata Definitions", this);
    auto* sd = new QVBoxLayout(defined);
    strata_ = MakeGrid(strata_model_, form.Strata(), &form.Ui(), defined, [this](const std::string& item, int row, int) {
        if (item == setup::kMenuModifyStrata) form_.ModifyStrata(row);
        else if (item == setup::kMenuDeleteStrata) form_.DeleteStrata(row);
        else if (item == setup::kMenuDeleteAllStrata) form_.DeleteAllStrata();
        else if (item == setup::kMenuAddUnit) form_.AddUnit(row);
        else if (item == setup::kMenuRemoveUnit) form_.RemoveUnit(row);
        else
            form_.Ui().MessageBox("Information", "\"" + item + "\" is not yet available.", ui::Icon::Information);
        Refresh();
    });
    sd->addWidget(strata_, 1);

    layout->addWidget(step1);
    layout->addLayout(steps, 2);
    layout->addWidget(defined, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    auto* back = new QPushButton("Return", this);
    auto* help = new QPushButton("Help", this);
    bottom->addWidget(back);
    bottom->addWidget(help);
    layout->addLayout(bottom);
    connect(back, &QPushButton::clicked, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this, [this] { form_.Ui().ShowHelp(ui::kHelpStrataSetup); });
    Refresh();
    resize(900, 640);
}

StrataFormWindow::~StrataFormWindow() {
    delete units_;
    delete items_;
    delete strata_;
}

void StrataFormWindow::closeEvent(QCloseEvent* e) {
    e->accept();
    accept();
}

void StrataFormWindow::ShowItems() {
    for (int r = 0; r < form_.Items().RowCount(); ++r) items_model_.SetRowHeight(r, form_.ItemHidden(r) ? 0 : 20);
}

void StrataFormWindow::Refresh() {
    code_->setText(QString::fromStdString(form_.code));
    description_->setText(QString::fromStdString(form_.description));
    setup::BindSetupGrid(units_model_, form_.Units());
    setup::BindSetupGrid(items_model_, form_.Items());
    setup::BindSetupGrid(strata_model_, form_.Strata());
    ShowItems();
    units_->ApplyLayout();
    items_->ApplyLayout();
    strata_->ApplyLayout();
}

namespace {

FormRegistrar define_reg{setup::StrataForm::kId, [](ui::Form& f, QWidget* parent) {
                             StrataFormWindow w(static_cast<setup::StrataForm&>(f), parent);
                             return RunModalOk(w);
                         }};
FormRegistrar quick_strata_reg{setup::QuickStrataForm::kId, [](ui::Form& f, QWidget* parent) {
                                   return RunQuickStrata(static_cast<setup::QuickStrataForm&>(f), parent);
                               }};
FormRegistrar ranges_reg{setup::DiameterRangesForm::kId, [](ui::Form& f, QWidget* parent) {
                             return RunDiameterRanges(static_cast<setup::DiameterRangesForm&>(f), parent);
                         }};
FormRegistrar quick_sg_reg{setup::QuickSgForm::kId, [](ui::Form& f, QWidget* parent) {
                               return RunQuickSg(static_cast<setup::QuickSgForm&>(f), parent);
                           }};
FormRegistrar two_choice_reg{setup::TwoChoiceForm::kId, [](ui::Form& f, QWidget* parent) {
                                 return RunTwoChoice(static_cast<setup::TwoChoiceForm&>(f), parent);
                             }};
FormRegistrar sort_reg{setup::SortForm::kId, [](ui::Form& f, QWidget* parent) {
                           return RunSort(static_cast<setup::SortForm&>(f), parent);
                       }};
}  // namespace

}  // namespace gui
