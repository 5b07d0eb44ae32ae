// The design subsystem's steps of the workflow: the design form on the open store,
// its "Make Report" and "Make Kelvane" commands reaching the other subsystems'
// hooks (the design library itself cannot see the application's hooks).
#include "app/step_hooks.h"
#include "design/workspace.h"
#include "store/cruise_store.h"
#include "ui/ui_port.h"

namespace app {

namespace {

design::WorkspaceInputs ToWorkspace(const DesignFormInputs& in) {
    design::WorkspaceInputs w;
    w.cruiseType = in.cruise_type;
    w.costs = in.costs;
    w.uom = in.uom;
    w.targetError = in.target_error;
    w.path = in.path;
    return w;
}

int RunDesignForm(ui::UiPort& ui, store::CCruiseStore& store, const DesignFormInputs& in) {
    design::DesignWorkspace ws(ui, store, ToWorkspace(in));
    if (ws.Open() != 0) return -1;
    const StepHooks& hooks = Hooks();
    if (hooks.reports) ws.SetReportCommand([&ui, &store, &in, &hooks] { return hooks.reports(ui, store, in); });
    if (hooks.field_file)
        ws.SetKelvaneCommand([&ui, &store, &in, &hooks] { return hooks.field_file(ui, store, in); });
    design::DesignForm form(ws);
    // OK is Return (written back and committed inside); anything else is Exit.
    ui.RunForm(form);
    return 0;
}

}  // namespace

void RegisterDesignSteps(StepHooks& hooks) { hooks.design_form = RunDesignForm; }

}  // namespace app
