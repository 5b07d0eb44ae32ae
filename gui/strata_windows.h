#pragma once
// Windows of the strata and sample-group forms: "Define Strata and Sample Groups",
// "Quick Strata Setup Form", "Setup Diameter Ranges", "Quick Sample Group Setup",
// the two-choice dialogs and "Sort". Each
// registers itself for its form id; the logic lives in src/setup.
#include <QDialog>

#include "grid/grid_model.h"

class QLineEdit;

namespace setup {
class StrataForm;
}

namespace gui {

class GridWidget;

class StrataFormWindow : public QDialog {
public:
    StrataFormWindow(setup::StrataForm& form, QWidget* parent = nullptr);
    ~StrataFormWindow() override;
    // Esc does not close this form; "Return", File "&Exit" and the close button do.
    void reject() override {}
    void Refresh();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void ShowItems();

    setup::StrataForm& form_;
    grid::GridModel units_model_, items_model_, strata_model_;
    GridWidget* units_ = nullptr;
    GridWidget* items_ = nullptr;
    GridWidget* strata_ = nullptr;
    QLineEdit* code_ = nullptr;
    QLineEdit* description_ = nullptr;
};

}  // namespace gui
