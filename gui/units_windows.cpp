#include "units_windows.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "conventions.h"
#include "form_registry.h"
#include "grid_widget.h"
#include "setup/setup_grid_model.h"

namespace gui {

// ---- Edit Data -------------------------------------------------------------------------

EditDataWindow::EditDataWindow(setup::EditDataForm& form, QWidget* parent)
    : QDialog(parent), form_(form) {
    setWindowTitle(QString::fromStdString(form.Title()));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(form.Note()));
    grid_ = new GridWidget(model_, this);
    setup::BindSetupGrid(model_, form_.Grid());
    if (form.GetKind() == setup::EditDataForm::Kind::LogMethods) {
        for (int c = 0; c < model_.ColumnCount(); ++c)
            if (model_.Heading(c) != "Select") model_.SetColumnReadOnly(c, true);
        // Ticking a method picks it alone.
        model_.OnEdit([this](grid::GridModel& m, const grid::EditEvent& e) {
            if (m.Heading(e.col) != "Select") return;
            if (m.IsChecked(e.col, e.row)) form_.Tick(static_cast<int>(e.row));
            m.NotifyCellsChanged(0, 0, m.ColumnCount() - 1, m.RowCount() - 1);
        });
    } else {
        model_.OnRightClick([this](grid::GridModel&, grid::CellRef cell) {
            return setup::SetupMenu(form_.Grid(), cell, [this](const std::string& item, int row, int) {
                setup::SetupGrid& g = form_.Grid();
                if (item == setup::kMenuAddRow) g.AddRow();
                else if (item == setup::kMenuDeleteRow) g.DeleteRow(row);
                else if (item == setup::kMenuSelectAll) g.SelectAll(true);
                else if (item == setup::kMenuUnselectAll) g.SelectAll(false);
                else if (item == setup::kMenuLogMethodLookup) form_.LookupLogMethod(row);
                Rebind();
            });
        });
    }
    layout->addWidget(grid_, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &EditDataWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &EditDataWindow::reject);
    layout->addWidget(buttons);
    grid_->SizeToContents();
    resize(form.GetKind() == setup::EditDataForm::Kind::LogMethods ? 520 : 600, 420);
}

EditDataWindow::~EditDataWindow() { delete grid_; }

void EditDataWindow::Rebind() {
    setup::BindSetupGrid(model_, form_.Grid());
    grid_->ApplyLayout();
}

void EditDataWindow::accept() {
    if (form_.Accept()) QDialog::accept();
}

void EditDataWindow::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

// ---- Add a Unit ----------------------------------------------------------------------------

AddUnitWindow::AddUnitWindow(setup::AddUnitForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    setWindowTitle(QString::fromStdString(form.Title()));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(form.Note()));
    auto* fields = new QFormLayout;
    code_ = new QLineEdit;
    code_->setMaxLength(static_cast<int>(setup::AddUnitForm::kCodeMax));
    area_ = new QLineEdit;
    log_method_ = new QLineEdit;
    pay_unit_ = new QLineEdit;
    pay_unit_->setMaxLength(static_cast<int>(setup::AddUnitForm::kPayUnitMax));
    description_ = new QLineEdit;
    description_->setMaxLength(static_cast<int>(setup::AddUnitForm::kDescriptionMax));
    fields->addRow("Cutting Unit", code_);
    fields->addRow("Area Size", area_);
    fields->addRow("Logging Method", log_method_);
    fields->addRow("Payment Unit", pay_unit_);
    fields->addRow("Description", description_);
    layout->addLayout(fields);
    auto* buttons = new QDialogButtonBox;
    add_ = buttons->addButton("Add Unit", QDialogButtonBox::AcceptRole);
    add_->setEnabled(false);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &AddUnitWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AddUnitWindow::reject);
    connect(code_, &QLineEdit::editingFinished, this, &AddUnitWindow::CodeLeft);
    layout->addWidget(buttons);
}

void AddUnitWindow::Store() {
    form_.SetCode(code_->text().toStdString());
    form_.SetArea(area_->text().toStdString());
    form_.SetLogMethod(log_method_->text().toStdString());
    form_.SetPayUnit(pay_unit_->text().toStdString());
    form_.SetDescription(description_->text().toStdString());
}

void AddUnitWindow::CodeLeft() {
    Store();
    form_.CodeLeft();
    add_->setEnabled(form_.AddEnabled());
    if (!form_.AddEnabled()) {
        area_->setText(QString::fromStdString(form_.Area()));
        log_method_->setText(QString::fromStdString(form_.LogMethodText()));
        pay_unit_->setText(QString::fromStdString(form_.PayUnit()));
        description_->setText(QString::fromStdString(form_.Description()));
    }
}

void AddUnitWindow::accept() {
    Store();
    if (form_.AddUnit()) QDialog::accept();
}

// ---- Remove a Unit -------------------------------------------------------------------------

RemoveUnitWindow::RemoveUnitWindow(setup::RemoveUnitForm& form, QWidget* parent)
    : QDialog(parent), form_(form) {
    setWindowTitle(QString::fromStdString(form.Title()));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(form.Note()));
    auto* fields = new QFormLayout;
    codes_ = new QComboBox;
    codes_->addItem(QString());
    for (const auto& c : form.Codes()) codes_->addItem(QString::fromStdString(c));
    area_ = new QLineEdit;
    log_method_ = new QLineEdit;
    pay_unit_ = new QLineEdit;
    description_ = new QLineEdit;
    for (QLineEdit* e : {area_, log_method_, pay_unit_, description_}) e->setReadOnly(true);
    fields->addRow("Cutting Unit", codes_);
    fields->addRow("Area Size", area_);
    fields->addRow("Logging Method", log_method_);
    fields->addRow("Payment Unit", pay_unit_);
    fields->addRow("Description", description_);
    layout->addLayout(fields);
    auto* buttons = new QDialogButtonBox;
    remove_ = buttons->addButton("Remove Unit", QDialogButtonBox::AcceptRole);
    remove_->setEnabled(false);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &RemoveUnitWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &RemoveUnitWindow::reject);
    connect(codes_, &QComboBox::currentTextChanged, this, [this](const QString& code) {
        form_.Choose(code.toStdString());
        area_->setText(QString::fromStdString(form_.AreaText()).trimmed());
        log_method_->setText(QString::fromStdString(form_.LogMethodText()));
        pay_unit_->setText(QString::fromStdString(form_.PayUnit()));
        description_->setText(QString::fromStdString(form_.Description()));
        remove_->setEnabled(form_.RemoveEnabled());
    });
    layout->addWidget(buttons);
}

void RemoveUnitWindow::accept() {
    if (form_.RemoveUnit()) QDialog::accept();
}

namespace {

FormRegistrar edit_reg{setup::EditDataForm::kId, [](ui::Form& f, QWidget* parent) {
                           EditDataWindow w(static_cast<setup::EditDataForm&>(f), parent);
                           return RunModalOk(w);
                       }};
FormRegistrar add_reg{setup::AddUnitForm::kId, [](ui::Form& f, QWidget* parent) {
                          AddUnitWindow w(static_cast<setup::AddUnitForm&>(f), parent);
                          return RunModalOk(w);
                      }};
FormRegistrar remove_reg{setup::RemoveUnitForm::kId, [](ui::Form& f, QWidget* parent) {
                             RemoveUnitWindow w(static_cast<setup::RemoveUnitForm&>(f), parent);
                             return RunModalOk(w);
                         }};

}  // namespace

}  // namespace gui
