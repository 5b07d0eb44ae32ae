#pragma once
// The unit dialogs: "Edit Data" (unit table, logging-method pick, or any table shown
// for editing), "Add a Unit " and "Remove a Unit". Logic in setup/units_editor.h.
#include <QDialog>

#include "grid/grid_model.h"
#include "setup/units_editor.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace gui {

class GridWidget;

class EditDataWindow : public QDialog {
    Q_OBJECT
public:
    // The grid widget goes before the model it shows.
    ~EditDataWindow() override;
    EditDataWindow(setup::EditDataForm& form, QWidget* parent = nullptr);
    grid::GridModel& Model() { return model_; }
    void accept() override;

protected:
    void keyPressEvent(QKeyEvent* e) override;  // Esc does not close it

private:
    void Rebind();

    setup::EditDataForm& form_;
    grid::GridModel model_;
    GridWidget* grid_ = nullptr;
};

class AddUnitWindow : public QDialog {
    Q_OBJECT
public:
    AddUnitWindow(setup::AddUnitForm& form, QWidget* parent = nullptr);
    void accept() override;

private:
    void CodeLeft();
    void Store();

    setup::AddUnitForm& form_;
    QLineEdit *code_, *area_, *log_method_, *pay_unit_, *description_;
    QPushButton* add_;
};

class RemoveUnitWindow : public QDialog {
    Q_OBJECT
public:
    RemoveUnitWindow(setup::RemoveUnitForm& form, QWidget* parent = nullptr);
    void accept() override;

private:
    setup::RemoveUnitForm& form_;
    QComboBox* codes_;
    QLineEdit *area_, *log_method_, *pay_unit_, *description_;
    QPushButton* remove_;
};

}  // namespace gui
