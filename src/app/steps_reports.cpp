// The reports subsystem's steps of the workflow: "Make Report" of the design form.
#include "app/step_hooks.h"
#include "mk/mk.h"
#include "reports/report_window.h"
#include "store/cruise_store.h"
#include "ui/ui_port.h"

namespace app {

namespace {

int MakeReport(ui::UiPort& ui, store::CCruiseStore& store, const DesignFormInputs& in) {
    mk::Storage* storage = store.Storage();
    if (!storage) return -1;
    reports::ReportInputs inputs = reports::ReadReportInputs(*storage);
    // The form's own view of the file wins over the settings read back.
    if (!in.uom.empty()) inputs.uom = in.uom;
    inputs.cruiseType = in.cruise_type;
    return reports::RunReports(ui, inputs);
}

}  // namespace

void RegisterReportSteps(StepHooks& hooks) { hooks.reports = MakeReport; }

}  // namespace app
