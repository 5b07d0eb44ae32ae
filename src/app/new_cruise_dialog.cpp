#include "app/new_cruise_dialog.h"

#include "mk/mk.h"
#include "store/cruise_store.h"
#include "store/file_checker.h"
#include "store/schema.h"
#include "store/value_rules.h"

namespace app {

std::string PurposeCode(const std::string& entry) {
    static const char* const codes[] = {"TS", "CC", "ROW", "OTH"};
    for (size_t i = 0; i < ui::kPurposeEntries.size(); ++i)
        if (entry == ui::kPurposeEntries[i]) return codes[i];
    return "";
}

size_t CharCount(const std::string& text) { return store::CharCount(text); }

bool CNewCruiseDialog::DoModal() {
    unit_changed_ = 0;
    setup_loaded_ = 0;
    shown_ = fields_;
    return ui_.RunForm(*this);
}

void CNewCruiseDialog::OnBrowse() {
    store::CFileChecker checker(ui_, "Strovan");
    std::string path;
    if (checker.SelectCruiseFile(true, path, "stp")) {
        fields_.setup_file.clear();
        return;
    }
    fields_.setup_file = path;
    // Only reading: a read-only storage keeps the setup file as it is.
    auto setup = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
    if (!setup) return;
    mk::View cruise = setup->GetView(schema::kCruiseTable);
    if (cruise.RowCount() > 0) {
        fields_.region = cruise.GetString(0, "Region");
        fields_.forest = cruise.GetString(0, "Forest");
        fields_.district = cruise.GetString(0, "District");
    }
    setup_loaded_ = 1;
}

void CNewCruiseDialog::OnUnitChosen(const std::string& unit) {
    fields_.uom = unit;
    unit_changed_ = 1;
}

void CNewCruiseDialog::OnPurposeChosen(const std::string& entry) {
    fields_.purpose = PurposeCode(entry);
}

std::string CNewCruiseDialog::SuggestedFileName() const {
    return fields_.sale_no + (mode_ == ui::kModeNewDesign ? "_design.crz" : ".crz");
}

bool CNewCruiseDialog::CheckFields() {
    const struct {
        std::string& text;
        const std::string& shown;
        const store::ValueRule& rule;
    } fields[] = {{fields_.sale_no, shown_.sale_no, store::rules::kSaleNo},
                  {fields_.sale_name, shown_.sale_name, store::rules::kSaleName},
                  {fields_.region, shown_.region, store::rules::kRegion},
                  {fields_.forest, shown_.forest, store::rules::kForest},
                  {fields_.district, shown_.district, store::rules::kDistrict},
                  {fields_.cal_year, shown_.cal_year, store::rules::kCalYear}};
    for (const auto& f : fields) {
        // What the file already holds and the forester left alone goes back as it was,
        // even a byte that is no character.
        if (mode_ == ui::kModeEditInfo && f.text == f.shown) continue;
        if (CharCount(store::Trim(f.text)) > static_cast<size_t>(f.rule.maxLength)) {
            ui_.MessageBox("", "Please enter no more than " + std::to_string(f.rule.maxLength) + " characters.",
                           ui::Icon::Exclamation);
            return false;
        }
        // An empty sale number gets its own message below.
        store::CheckedValue v = store::Check(f.rule, f.text);
        if (!v.ok() && !v.empty) {
            ui_.MessageBox("", v.refusal, ui::Icon::Exclamation);
            return false;
        }
    }
    // Stored without the blanks around them: a sale number " 123" is sale 123.
    for (const auto& f : fields)
        if (mode_ != ui::kModeEditInfo || f.text != f.shown) f.text = store::Trim(f.text);
    return true;
}

bool CNewCruiseDialog::ChooseOutputFile() {
    ui::FileDialogSpec spec;
    spec.title = "Save As";
    spec.filters = {{"Cruise Files (*.CRZ)", {"*.crz"}}, {"All Files (*.*)", {"*.*"}}};
    spec.default_extension = "crz";
    spec.initial_name = SuggestedFileName();
    auto chosen = ui_.SaveFileName(spec);
    if (!chosen) return false;
    fields_.output_file = *chosen;
    store::CFileChecker checker(ui_);
    return checker.CheckWritable(*chosen);
}

bool CNewCruiseDialog::OnOk() {
    if (!CheckFields()) return false;
    if (mode_ == ui::kModeNewDesign && fields_.setup_file.empty()) {
        ui_.Error("Need to supply a valid Cruise Object Setup File.");
        return false;
    }
    if (fields_.sale_no.empty()) {
        ui_.Error("Need to supply a Sale Number");
        return false;
    }
    if (mode_ == ui::kModeNewDesign || mode_ == ui::kModeFieldCruise) return ChooseOutputFile();
    return true;
}

}  // namespace app
