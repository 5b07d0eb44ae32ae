#include "output/field_file_forms.h"

namespace output {

bool ReconStrataForm::SelectStrata(const std::vector<std::string>& codes) {
    bool all_found = true;
    for (const auto& code : codes) {
        bool found = false;
        for (auto& r : rows_)
            if (r.stratum == code) r.selected = found = true;
        all_found = all_found && found;
    }
    return all_found;
}

std::vector<std::string> ReconStrataForm::Selected() const {
    std::vector<std::string> out;
    for (const auto& r : rows_)
        if (r.selected) out.push_back(r.stratum);
    return out;
}

bool AutoFillChoiceForm::Choose(int row) {
    if (row < 0 || row >= static_cast<int>(rows.size())) return false;
    chosen_ = row;
    return true;
}

}  // namespace output
