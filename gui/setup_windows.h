#pragma once
// The setup step's windows: "Setup Strata Definitions" and the "Setup Populations"
// form with its grid, menus and right-click menus. The logic is setup::
// StrataDefinitionsForm and setup::PopulationsForm; these only show it.
#include <QDialog>

#include "grid/grid_model.h"
#include "setup/setup_session.h"

class QLabel;
class QPushButton;

namespace gui {

class GridWidget;

class StrataDefinitionsWindow : public QDialog {
    Q_OBJECT
public:
    StrataDefinitionsWindow(setup::StrataDefinitionsForm& form, QWidget* parent = nullptr);

private:
    // Stays shown while a form of the setup runs over it.
    void Run(int (setup::StrataDefinitionsForm::*step)());

    setup::StrataDefinitionsForm& form_;
};

class PopulationsWindow : public QDialog {
    Q_OBJECT
public:
    // The grid widget goes before the model it shows.
    ~PopulationsWindow() override;
    PopulationsWindow(setup::PopulationsForm& form, QWidget* parent = nullptr);
    GridWidget* Grid() { return grid_; }
    grid::GridModel& Model() { return model_; }

    void accept() override;  // OK and "&Exit": the form's checks decide
    void reject() override;  // Cancel, Esc and the close box

private:
    // After a command changed rows behind the grid.
    void Rebind();
    void Command(const std::string& item, int row, int col);
    // A menu command on the grid's current row.
    void RunOnRow(void (setup::PopulationsForm::*command)(int));
    int CurrentRow() const;

    setup::PopulationsForm& form_;
    grid::GridModel model_;
    GridWidget* grid_ = nullptr;
};

}  // namespace gui
