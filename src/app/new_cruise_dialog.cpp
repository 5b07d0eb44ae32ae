#include "app/new_cruise_dialog.h"

#include "mk/mk.h"
#include "store/file_checker.h"
#include "store/schema.h"

namespace app {

std::string PurposeCode(const std::string& entry) {
    static const char* const codes[] = {"TS", "CC", "ROW", "OTH"};
    for (size_t i = 0; i < ui::kPurposeEntries.size(); ++i)
        if (entry == ui::kPurposeEntries[i]) return codes[i];
    return "";
}

size_t CharCount(const std::string& text) {
    size_t n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

bool CNewCruiseDialog::DoModal() {
    unit_changed_ = 0;
    setup_loaded_ = 0;
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

bool CNewCruiseDialog::CheckLengths() {
    const struct {
        const std::string& text;
        int max;
    } limits[] = {{fields_.sale_no, ui::kSaleNoMax},
                  {fields_.sale_name, ui::kSaleNameMax},
                  {fields_.region, ui::kCodeMax},
                  {fields_.forest, ui::kCodeMax},
                  {fields_.district, ui::kCodeMax}};
    for (const auto& l : limits) {
        if (CharCount(l.text) <= static_cast<size_t>(l.max)) continue;
        ui_.MessageBox("", "Please enter no more than " + std::to_string(l.max) + " characters.",
                       ui::Icon::Exclamation);
        return false;
    }
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
    if (!CheckLengths()) return false;
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
