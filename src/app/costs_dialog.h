#pragma once
// "Setup Relative Cruising Costs": the nine cost settings as text.
#include "app/settings.h"
#include "ui/forms.h"
#include "ui/ui_port.h"

namespace app {

class CCostsDialog : public ui::CostsForm {
public:
    explicit CCostsDialog(ui::UiPort& ui, CostValues values = {})
        : ui_(ui), values_(values), stored_(std::move(values)) {}

    bool DoModal() { return ui_.RunForm(*this); }

    CostValues& Values() override { return values_; }
    const CostValues& Values() const { return values_; }
    void OnHelp() override { ui_.ShowHelp(ui::kHelpCosts); }
    // The count and rate fields take digits alone; a value as the file holds it is
    // kept as it is, so the form can always be confirmed without retyping what another
    // program stored. Every field must hold a number in its plausible range (or
    // nothing): every cost figure stays finite and meaningful. A refusal names the
    // field and its range, and keeps the form open.
    bool OnOk() override;

private:
    ui::UiPort& ui_;
    CostValues values_;
    CostValues stored_;
};

// True when the text is empty or digits only.
bool IsDigits(const std::string& text);
// Empty when the value can be stored in the field; otherwise why not.
std::string CostValueProblem(int field, const std::string& value);
// The hint of a field: what it takes, its plausible range.
std::string CostFieldHint(int field);

}  // namespace app
