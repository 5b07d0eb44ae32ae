// The output subsystem's steps of the workflow: "Make Kelvane" of the design form.
#include "app/new_cruise_dialog.h"
#include "app/step_hooks.h"
#include "output/field_file.h"
#include "store/cruise_store.h"

namespace app {

namespace {

// The one place the field file meets the new-cruise dialog: shown pre-filled in its
// field-file mode, it returns the sale fields and the chosen path.
bool AskFieldFileSale(ui::UiPort& ui, ui::SaleFields& fields) {
    CNewCruiseDialog dialog(ui, ui::kModeFieldCruise);
    dialog.Fields() = fields;
    if (!dialog.DoModal()) return false;
    fields = dialog.Fields();
    return true;
}

// 0 created, 1 refused or failed, 2 cancelled.
int RunFieldFile(ui::UiPort& ui, store::CCruiseStore& store, const DesignFormInputs& inputs) {
    if (!store.IsOpen() || store.Storage() == nullptr) return 1;
    std::string path = store.Path().empty() ? inputs.path : store.Path();
    output::FieldFileStatus status =
        output::MakeFieldFile(ui, *store.Storage(), path, inputs.cost_values, AskFieldFileSale);
    switch (status) {
        case output::FieldFileStatus::Created:
            return 0;
        case output::FieldFileStatus::Cancelled:
            return 2;
        default:
            return 1;
    }
}

}  // namespace

void RegisterOutputSteps(StepHooks& hooks) { hooks.field_file = RunFieldFile; }

}  // namespace app
