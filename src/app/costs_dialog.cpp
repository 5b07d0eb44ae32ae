#include "app/costs_dialog.h"

#include <algorithm>
#include <cctype>

namespace app {

bool IsDigits(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

bool CCostsDialog::OnOk() {
    for (int f = 0; f < ui::kCostFieldCount; ++f) {
        if (!ui::CostFieldDigitsOnly(f) || IsDigits(values_[f]) || values_[f] == stored_[f])
            continue;
        ui_.MessageBox("Unacceptable Character", "You can only type a number here.",
                       ui::Icon::Exclamation);
        return false;
    }
    return true;
}

}  // namespace app
