#pragma once
// The "Setup Relative Cruising Costs" form on screen.
#include <array>

#include <QDialog>

#include "ui/forms.h"

class QLineEdit;
class QPushButton;

namespace gui {

class FieldEdit;

class CostsWindow : public QDialog {
    Q_OBJECT
public:
    CostsWindow(ui::CostsForm& form, QWidget* parent = nullptr);

    // The edit of a ui::CostField.
    FieldEdit* Field(int field) const { return edits_[field]; }
    QPushButton* HelpButton() const { return help_; }

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    ui::CostsForm& form_;
    std::array<FieldEdit*, ui::kCostFieldCount> edits_{};
    QPushButton* help_;
};

}  // namespace gui
