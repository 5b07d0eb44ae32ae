#include "new_cruise_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "conventions.h"
#include "form_registry.h"
#include "qt_ui.h"
#include "store/value_rules.h"

namespace gui {

namespace {
FieldEdit* MakeEdit(int max_length = 0) { return new FieldEdit(max_length); }

template <size_t N>
QComboBox* MakeCombo(const std::array<const char*, N>& entries) {
    auto* c = new QComboBox;
    for (const char* e : entries) c->addItem(QString::fromUtf8(e), QString::fromUtf8(e));
    c->setCurrentIndex(-1);
    return c;
}

// The unit list shows names; its entries carry the codes that are stored.
QComboBox* MakeUnitCombo() {
    auto* c = new QComboBox;
    for (size_t i = 0; i < ui::kUnitEntries.size(); ++i)
        c->addItem(QString::fromUtf8(ui::kUnitNames[i]), QString::fromUtf8(ui::kUnitEntries[i]));
    c->setCurrentIndex(-1);
    return c;
}

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

// Shows a row of a form layout, or hides and disables it.
void ShowRow(QFormLayout* form, QWidget* field, bool shown) {
    field->setEnabled(shown);
    form->setRowVisible(field, shown);
}
}  // namespace

NewCruiseWindow::NewCruiseWindow(ui::NewCruiseForm& form, QWidget* parent)
    : QDialog(parent), form_(form) {
    setWindowTitle(QString::fromStdString(form_.Title()));
    setup_ = MakeEdit();
    // Chosen with Browse, which checks the file; so it also looks as a field that
    // takes no typing does.
    setup_->setReadOnly(true);
    QPalette looks = setup_->palette();
    looks.setColor(QPalette::Base, looks.color(QPalette::Window));
    setup_->setPalette(looks);
    browse_ = new QPushButton("&Browse");
    sale_no_ = new FieldEdit(store::rules::kSaleNo);
    cruise_no_ = MakeEdit();
    cal_year_ = new FieldEdit(store::rules::kCalYear);
    region_ = new FieldEdit(store::rules::kRegion);
    forest_ = new FieldEdit(store::rules::kForest);
    district_ = new FieldEdit(store::rules::kDistrict);
    sale_name_ = new FieldEdit(store::rules::kSaleName);
    purpose_ = MakeCombo(ui::kPurposeEntries);
    unit_ = MakeUnitCombo();
    type_ = MakeCombo(ui::kCruiseTypeEntries);

    auto* setup_row = new QWidget;
    auto* setup_layout = new QHBoxLayout(setup_row);
    setup_layout->setContentsMargins(0, 0, 0, 0);
    setup_layout->addWidget(setup_, 1);
    setup_layout->addWidget(browse_);

    auto* fields = new QFormLayout;
    fields->addRow("Setup File Name", setup_row);
    fields->addRow("Sale Number", sale_no_);
    fields->addRow("Cruise Number", cruise_no_);
    fields->addRow("Calendar Year", cal_year_);
    fields->addRow("Region", region_);
    fields->addRow("Forest", forest_);
    fields->addRow("District", district_);
    fields->addRow("Enter Sale Name", sale_name_);
    fields->addRow("Purpose", purpose_);
    fields->addRow("Unit of Measure for the Sale", unit_);
    fields->addRow("Type of Cruise", type_);

    ui::NewCruiseLayout shown = ui::LayoutForMode(form_.Mode());
    ShowRow(fields, setup_row, shown.setup);
    ShowRow(fields, purpose_, shown.purpose);
    ShowRow(fields, unit_, shown.unit);
    ShowRow(fields, type_, shown.type);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &NewCruiseWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &NewCruiseWindow::reject);
    connect(browse_, &QPushButton::clicked, this, &NewCruiseWindow::OnBrowse);
    // Only a pick in the list counts as the user choosing a unit.
    connect(unit_, &QComboBox::activated, this,
            [this](int index) { form_.OnUnitChosen(S(unit_->itemData(index).toString())); });
    connect(purpose_, &QComboBox::activated, this,
            [this](int index) { form_.OnPurposeChosen(S(purpose_->itemText(index))); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(buttons);
    setMinimumWidth(520);
    Show();
}

FieldEdit* NewCruiseWindow::Edit(int control_id) const {
    switch (control_id) {
        case 1078:
            return setup_;
        case 1080:
            return sale_no_;
        case 1081:
            return sale_name_;
        case 1082:
            return region_;
        case 1083:
            return forest_;
        case 1084:
            return district_;
        case 1085:
            return cruise_no_;
        case 1104:
            return cal_year_;
        default:
            return nullptr;
    }
}

QComboBox* NewCruiseWindow::Combo(int control_id) const {
    switch (control_id) {
        case 1102:
            return purpose_;
        case 1112:
            return unit_;
        case 1113:
            return type_;
        default:
            return nullptr;
    }
}

void NewCruiseWindow::Show() {
    const ui::SaleFields& f = form_.Fields();
    setup_->SetValue(Q(f.setup_file));
    sale_no_->SetValue(Q(f.sale_no));
    cruise_no_->SetValue(Q(f.cruise_no));
    cal_year_->SetValue(Q(f.cal_year));
    region_->SetValue(Q(f.region));
    forest_->SetValue(Q(f.forest));
    district_->SetValue(Q(f.district));
    sale_name_->SetValue(Q(f.sale_name));
    unit_->setCurrentIndex(unit_->findData(Q(f.uom)));
    type_->setCurrentIndex(type_->findText(Q(f.cruise_type)));
}

void NewCruiseWindow::Take() {
    ui::SaleFields& f = form_.Fields();
    f.setup_file = S(setup_->text());
    f.sale_no = S(sale_no_->text());
    f.cruise_no = S(cruise_no_->text());
    f.cal_year = S(cal_year_->text());
    f.region = S(region_->text());
    f.forest = S(forest_->text());
    f.district = S(district_->text());
    f.sale_name = S(sale_name_->text());
    if (unit_->currentIndex() >= 0) f.uom = S(unit_->currentData().toString());
    if (type_->currentIndex() >= 0) f.cruise_type = S(type_->currentText());
}

void NewCruiseWindow::OnBrowse() {
    Take();
    form_.OnBrowse();
    Show();
}

void NewCruiseWindow::accept() {
    Take();
    if (form_.OnOk()) QDialog::accept();
}

namespace {
const FormRegistrar kRegistrar{ui::kNewCruiseFormId, [](ui::Form& form, QWidget* parent) {
                                   NewCruiseWindow dlg(dynamic_cast<ui::NewCruiseForm&>(form),
                                                       parent);
                                   return RunModalOk(dlg);
                               }};
}  // namespace

}  // namespace gui
