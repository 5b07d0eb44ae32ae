#include "app/costs_dialog.h"

#include <algorithm>
#include <cctype>

#include "store/cruise_store.h"

namespace app {

bool IsDigits(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

std::string CostValueProblem(int field, const std::string& value) {
    const std::string name = ui::kCostFieldNames[field];
    if (!store::LeadingDoubleInRange(value))
        return name + ": \"" + value + "\" is too large a number.\nEnter a number of 0 or more.";
    if (store::LeadingDouble(value) < 0)
        return name + ": \"" + value + "\" is negative.\nEnter a number of 0 or more.";
    return {};
}

bool CCostsDialog::OnOk() {
    for (int f = 0; f < ui::kCostFieldCount; ++f) {
        if (ui::CostFieldDigitsOnly(f) && !IsDigits(values_[f]) && values_[f] != stored_[f]) {
            ui_.MessageBox("Unacceptable Character",
                           std::string(ui::kCostFieldNames[f]) + ":\nYou can only type a number here.",
                           ui::Icon::Exclamation);
            return false;
        }
        std::string problem = CostValueProblem(f, values_[f]);
        if (!problem.empty()) {
            ui_.Error(problem, "Error");
            return false;
        }
    }
    return true;
}

}  // namespace app
