#pragma once
// The selection lists of the field cruise file on screen: the recon strata whose plots
// are carried over (check boxes), and the choice among several species default rows.
#include <QDialog>

#include "output/field_file_forms.h"

class QDialogButtonBox;
class QTableWidget;

namespace gui {

class ReconStrataWindow : public QDialog {
    Q_OBJECT
public:
    ReconStrataWindow(output::ReconStrataForm& form, QWidget* parent = nullptr);
    QTableWidget* Table() const { return table_; }
    // Copies the ticks into the form.
    void accept() override;

private:
    output::ReconStrataForm& form_;
    QTableWidget* table_;
};

class AutoFillWindow : public QDialog {
    Q_OBJECT
public:
    AutoFillWindow(output::AutoFillChoiceForm& form, QWidget* parent = nullptr);
    QTableWidget* Table() const { return table_; }
    QDialogButtonBox* Buttons() const { return buttons_; }
    // Closes only with a row chosen.
    void accept() override;

private:
    output::AutoFillChoiceForm& form_;
    QTableWidget* table_;
    QDialogButtonBox* buttons_;
};

}  // namespace gui
