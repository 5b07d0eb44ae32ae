#pragma once
// The "Create New Cruise" form on screen; its logic is the ui::NewCruiseForm it shows.
#include <QDialog>

#include "ui/forms.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace gui {

class FieldEdit;

class NewCruiseWindow : public QDialog {
    Q_OBJECT
public:
    NewCruiseWindow(ui::NewCruiseForm& form, QWidget* parent = nullptr);

    // Controls by their resource names, for tests.
    FieldEdit* Edit(int control_id) const;
    QComboBox* Combo(int control_id) const;
    QPushButton* BrowseButton() const { return browse_; }
    QPushButton* OkButton() const { return ok_; }

    void accept() override;

private:
    void Show();  // fields to controls
    void Take();  // controls to fields
    void OnBrowse();

    ui::NewCruiseForm& form_;
    FieldEdit* setup_;
    FieldEdit* sale_no_;
    FieldEdit* cruise_no_;
    FieldEdit* cal_year_;
    FieldEdit* region_;
    FieldEdit* forest_;
    FieldEdit* district_;
    FieldEdit* sale_name_;
    QComboBox* purpose_;
    QComboBox* unit_;
    QComboBox* type_;
    QPushButton* browse_;
    QPushButton* ok_;
};

}  // namespace gui
