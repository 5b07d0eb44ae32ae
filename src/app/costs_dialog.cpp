#include "app/costs_dialog.h"

#include <algorithm>
#include <cctype>

#include "store/cruise_store.h"
#include "store/value_rules.h"

namespace app {

bool IsDigits(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

std::string CostValueProblem(int field, const std::string& value) {
    return store::Refusal(store::rules::Costs()[field], value);
}

std::string CostFieldHint(int field) {
    return "Enter " + store::RangeText(store::rules::Costs()[field]) + ".";
}

bool CCostsDialog::OnOk() {
    for (int f = 0; f < ui::kCostFieldCount; ++f) {
        if (ui::CostFieldDigitsOnly(f) && !IsDigits(values_[f]) && values_[f] != stored_[f]) {
            ui_.MessageBox("Unacceptable Character",
                           std::string(ui::kCostFieldNames[f]) + ":\nYou can only type a number here.",
                           ui::Icon::Exclamation);
            return false;
        }
        store::CheckedValue v = store::Check(store::rules::Costs()[f], values_[f]);
        if (!v.ok()) {
            ui_.Error(v.refusal, "Error");
            return false;
        }
    }
    // Stored without the blanks around them, as every value the forester types.
    for (int f = 0; f < ui::kCostFieldCount; ++f) values_[f] = store::Trim(values_[f]);
    return true;
}

}  // namespace app
