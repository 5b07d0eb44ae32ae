#include "field_file_window.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "conventions.h"
#include "form_registry.h"

namespace gui {

namespace {

QTableWidgetItem* ReadOnly(const std::string& text) {
    auto* item = new QTableWidgetItem(QString::fromStdString(text));
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

QDialogButtonBox* OkCancel(QDialog* dialog) {
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return box;
}

FormRegistrar recon_reg{output::ReconStrataForm::kId, [](ui::Form& f, QWidget* parent) {
                            ReconStrataWindow w(dynamic_cast<output::ReconStrataForm&>(f), parent);
                            return RunModalOk(w);
                        }};
FormRegistrar autofill_reg{output::AutoFillChoiceForm::kId, [](ui::Form& f, QWidget* parent) {
                               AutoFillWindow w(dynamic_cast<output::AutoFillChoiceForm&>(f), parent);
                               return RunModalOk(w);
                           }};

}  // namespace

ReconStrataWindow::ReconStrataWindow(output::ReconStrataForm& form, QWidget* parent)
    : QDialog(parent), form_(form) {
    setWindowTitle(QString::fromStdString(form.Title()));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(output::ReconStrataForm::kHeading));
    const auto& rows = form.Rows();
    table_ = new QTableWidget(static_cast<int>(rows.size()), 4, this);
    table_->setHorizontalHeaderLabels({"Select", "Stratum", "CruzMeth", "Units"});
    table_->verticalHeader()->hide();
    for (int r = 0; r < table_->rowCount(); ++r) {
        const auto& row = rows[static_cast<size_t>(r)];
        auto* tick = new QTableWidgetItem();
        tick->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        tick->setCheckState(row.selected ? Qt::Checked : Qt::Unchecked);
        table_->setItem(r, 0, tick);
        table_->setItem(r, 1, ReadOnly(row.stratum));
        table_->setItem(r, 2, ReadOnly(row.cruz_meth));
        table_->setItem(r, 3, ReadOnly(row.units));
    }
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table_);
    layout->addWidget(OkCancel(this));
    resize(420, 320);
}

void ReconStrataWindow::accept() {
    auto& rows = form_.Rows();
    for (int r = 0; r < table_->rowCount(); ++r)
        rows[static_cast<size_t>(r)].selected = table_->item(r, 0)->checkState() == Qt::Checked;
    QDialog::accept();
}

AutoFillWindow::AutoFillWindow(output::AutoFillChoiceForm& form, QWidget* parent)
    : QDialog(parent), form_(form) {
    setWindowTitle(QString::fromStdString(form.Title()));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromStdString("Species " + form.species + ", product " +
                                                        form.prod + ", live/dead " + form.ld)));
    table_ = new QTableWidget(static_cast<int>(form.rows.size()),
                              static_cast<int>(form.columns.size()), this);
    QStringList headers;
    for (const auto& c : form.columns) headers << QString::fromStdString(c);
    table_->setHorizontalHeaderLabels(headers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int r = 0; r < table_->rowCount(); ++r)
        for (int c = 0; c < table_->columnCount(); ++c) {
            const auto& cells = form.rows[static_cast<size_t>(r)];
            table_->setItem(r, c, ReadOnly(c < static_cast<int>(cells.size()) ? cells[static_cast<size_t>(c)] : ""));
        }
    table_->resizeColumnsToContents();
    layout->addWidget(table_);
    buttons_ = OkCancel(this);
    layout->addWidget(buttons_);
    QPushButton* ok = buttons_->button(QDialogButtonBox::Ok);
    ok->setEnabled(false);
    connect(table_, &QTableWidget::itemSelectionChanged, this,
            [this, ok] { ok->setEnabled(!table_->selectedItems().isEmpty()); });
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int, int) { accept(); });
    resize(640, 280);
}

void AutoFillWindow::accept() {
    if (!form_.Choose(table_->currentRow()) || !form_.OnOk()) return;
    QDialog::accept();
}

}  // namespace gui
