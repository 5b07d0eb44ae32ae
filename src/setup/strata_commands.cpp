// The strata and sample-group commands of the "Setup Populations" form.
#include "grid/grid_print.h"
#include "setup/setup_grid_model.h"
#include "setup/setup_session.h"
#include "setup/strata_definition.h"
#include "setup/strata_forms.h"
#include "setup/units_editor.h"
#include "store/schema.h"
#include "store/unit_of_work.h"

namespace setup {

void DiameterRangesForm::SetRanges(const std::vector<std::pair<std::string, std::string>>& ranges) {
    mk::View& v = grid.View();
    v.SetRowCount(static_cast<int>(ranges.size()));
    for (int r = 0; r < static_cast<int>(ranges.size()); ++r) {
        for (int c = 0; c < v.ColumnCount(); ++c) v.SetString(r, c, "");
        v.SetString(r, "DMin", ranges[r].first);
        v.SetString(r, "DMax", ranges[r].second);
    }
}

namespace {

// The rows of the form's table, changed by `op` and written back when it says so.
template <class Op>
bool Reshape(PopulationsForm& form, Op op) {
    RowSet rs(form.Grid().View());
    if (!op(rs.rows)) return false;
    rs.Store(form.Grid().View());
    form.Grid().RefreshPresentation();
    return true;
}

// The ranges of the dialog's table, or a message and nothing when they are unusable.
bool DialogRanges(ui::UiPort& ui, DiameterRangesForm& dialog, std::vector<DiameterRange>& ranges) {
    std::string error;
    if (RangesFromTable(dialog.grid.View(), ranges, error)) return true;
    ui.MessageBox("Warning", error, ui::Icon::Exclamation);
    return false;
}

// The ranges dialog; its Cancel takes back what was typed into its grid.
bool RunRangesForm(ui::UiPort& ui, DiameterRangesForm& dialog) {
    const mk::View opened = dialog.grid.View().Clone();
    if (ui.RunForm(dialog)) return true;
    store::PutRows(dialog.grid.View(), opened);
    return false;
}

std::optional<mk::View> RangeTable(PopulationsForm& form, const char* desc) {
    auto v = form.Store().Storage()->GetAs(desc);
    if (!v) return std::nullopt;
    return *v;
}

// These commands work on the whole sale's summary only; on one stratum's items (the
// strata form's sample-group grid) they would wipe its codes.
bool OnWholeSale(PopulationsForm& form) {
    if (form.OnSummary()) return true;
    form.Ui().MessageBox("Information", "This command works on the whole sale's summary table only.",
                         ui::Icon::Information);
    return false;
}

void QuickStrataCommand(PopulationsForm& form, int row) {
    if (!OnWholeSale(form)) return;
    ui::UiPort& ui = form.Ui();
    QuickStrataForm dialog;
    if (!ui.RunForm(dialog)) return;
    if (dialog.choice == QuickStrataForm::Choice::Apply) {
        if (Reshape(form, [&](std::vector<SumRow>& rows) { return QuickStrata(ui, rows, dialog.keys); }))
            form.Grid().SetModified(true);
        form.Store().Commit();
        return;
    }
    auto table = RangeTable(form, schema::kSVStrDiamTableDesc);
    if (!table) return;
    DiameterRangesForm ranges_form(*table, schema::kSVStrDiamTable);
    if (!RunRangesForm(ui, ranges_form)) return;
    std::vector<DiameterRange> ranges;
    if (!DialogRanges(ui, ranges_form, ranges)) return;
    int current = row;
    // A change of ranges changes the strata's classes (and "Apply to All Rows" drops
    // every stratum): the strata table must be rebuilt on OK.
    if (Reshape(form, [&](std::vector<SumRow>& rows) {
            return ApplyStrataRanges(ui, rows, current, ranges_form.scope, ranges);
        }))
        form.Grid().SetModified(true);
    form.Store().Commit();
}

void DeleteStrataCommand(PopulationsForm& form, int row) {
    if (!OnWholeSale(form)) return;
    if (row < 0 || row >= form.Grid().RowCount()) return;
    TwoChoiceForm dialog("Delete Strata", "Delete This Stratum", "Delete All Strata");
    if (!form.Ui().RunForm(dialog)) return;
    const std::string stratum = form.Grid().View().GetString(row, "Stratum");
    Reshape(form, [&](std::vector<SumRow>& rows) {
        DeleteStrata(rows, stratum, dialog.second, "A");
        return true;
    });
    form.Grid().SetModified(true);
    form.Store().Commit();
}

void DeleteSampleGroupsCommand(PopulationsForm& form, int row) {
    if (!OnWholeSale(form)) return;
    if (row < 0 || row >= form.Grid().RowCount()) return;
    TwoChoiceForm dialog("Delete Sample Groups", "Delete Sample Groups For This Stratum", "Delete All Sample Groups");
    if (!form.Ui().RunForm(dialog)) return;
    const std::string stratum = form.Grid().View().GetString(row, "Stratum");
    Reshape(form, [&](std::vector<SumRow>& rows) {
        DeleteSampleGroups(rows, stratum, dialog.second);
        return true;
    });
    form.Grid().SetModified(true);
    form.Store().Commit();
}

void QuickSgCommand(PopulationsForm& form, int row) {
    if (!OnWholeSale(form)) return;
    ui::UiPort& ui = form.Ui();
    if (row < 0 || row >= form.Grid().RowCount()) return;
    QuickSgForm dialog;
    if (!ui.RunForm(dialog)) return;
    const std::string stratum = form.Grid().View().GetString(row, "Stratum");
    if (dialog.choice != QuickSgForm::Choice::DiameterRanges) {
        const bool all = dialog.choice == QuickSgForm::Choice::AllStrata;
        if (Reshape(form, [&](std::vector<SumRow>& rows) {
                return QuickSampleGroups(ui, rows, dialog.tree, dialog.plot, all, stratum);
            }))
            form.Grid().SetModified(true);
        return;
    }
    auto table = RangeTable(form, schema::kSVSGDiamTableDesc);
    if (!table) return;
    DiameterRangesForm ranges_form(*table, schema::kSVSGDiamTable);
    if (!RunRangesForm(ui, ranges_form)) return;
    std::vector<DiameterRange> ranges;
    if (!DialogRanges(ui, ranges_form, ranges)) return;
    int current = row;
    if (Reshape(form, [&](std::vector<SumRow>& rows) {
            return ApplyQuickSgRanges(ui, rows, current, ranges_form.scope, ranges);
        }))
        form.Grid().SetModified(true);
    form.Store().Commit();
}

void DefineRangesCommand(PopulationsForm& form, int row) {
    ui::UiPort& ui = form.Ui();
    if (row < 0 || row >= form.Grid().RowCount()) return;
    if (!CanDefineSgRanges(ui, RowSet(form.Grid().View()).rows)) return;
    auto table = RangeTable(form, schema::kSVSGDiamTableDialogDesc);
    if (!table) return;
    DiameterRangesForm ranges_form(*table, schema::kSVSGDiamTable);
    if (!RunRangesForm(ui, ranges_form)) return;
    std::vector<DiameterRange> ranges;
    if (!DialogRanges(ui, ranges_form, ranges)) return;
    int current = row;
    if (Reshape(form, [&](std::vector<SumRow>& rows) {
            return ApplyGridSgRanges(ui, rows, current, ranges_form.scope, ranges, form.OnSummary());
        }) && form.OnSummary())
        form.Grid().SetModified(true);
    form.Store().Commit();
}

void RemoveRangesCommand(PopulationsForm& form, int row) {
    ui::UiPort& ui = form.Ui();
    if (row < 0 || row >= form.Grid().RowCount()) return;
    if (!HasSgRanges(ui, RowSet(form.Grid().View()).rows)) return;
    TwoChoiceForm dialog("Remove Diameter Classes", "Remove For Selected Species,Prod,LD Group", "Remove For All Rows");
    if (!ui.RunForm(dialog)) return;
    if (Reshape(form, [&](std::vector<SumRow>& rows) { return RemoveSgRanges(rows, row, dialog.second) > 0; }) &&
        form.OnSummary())
        form.Grid().SetModified(true);
}

void SortCommand(PopulationsForm& form, int) {
    SortForm dialog(SortChoices(form.OnSummary()));
    if (!form.Ui().RunForm(dialog)) return;
    std::vector<std::string> cols;
    for (const auto& c : dialog.by)
        if (!c.empty()) cols.push_back(c);
    Reshape(form, [&](std::vector<SumRow>& rows) {
        SortRows(rows, cols);
        return true;
    });
}

void ReconStrataCommand(PopulationsForm& form, int) {
    ShowReconStrataTable(form.Ui(), *form.Store().Storage());
}

// The whole grid as the form shows it, with page numbers, on the printer the user picks.
void PrintCommand(PopulationsForm& form, int) {
    grid::GridModel model;
    BindSetupGrid(model, form.Grid());
    model.SetTitle(kPopulationsTitle);
    model.SetPrintMargins({20, 20, 15, 15});
    grid::PrintGridPaged(model, 0, 0, model.ColumnCount() - 1, model.RowCount() - 1, form.Ui());
}

}  // namespace

void ShowReconStrataTable(ui::UiPort& ui, mk::Storage& storage) {
    if (!storage.HasView(schema::kStratumTable)) {
        ui.MessageBox("Information", "The cruise file has no recon strata.", ui::Icon::Information);
        return;
    }
    // The stored layout, so that no stored column is lost by showing it.
    mk::View recon = storage.GetView(schema::kStratumTable);
    const mk::View opened = recon.Clone();
    EditDataForm dialog(ui, SetupGrid(recon, schema::kStratumTable), EditDataForm::Kind::Plain,
                        "Recon Strata Table");
    if (!ui.RunForm(dialog)) {
        store::PutRows(recon, opened);  // Cancel takes the edits back
        return;
    }
    if (store::SameRows(opened, recon)) return;
    // A changed method or plot size changes what every stratum computes.
    auto strata = storage.GetAs(schema::kSVStrataTableDesc);
    if (strata)
        for (int r = 0; r < strata->RowCount(); ++r) strata->SetString(r, "Modified", "Y");
    // ... and keeps that mark through the next strata rebuild.
    auto summary = storage.GetAs(schema::kSVSummaryTableDesc);
    if (summary)
        for (int r = 0; r < summary->RowCount(); ++r)
            if (!summary->GetString(r, "Stratum").empty()) summary->SetString(r, "Modify", "A");
}

void InstallStrataCommands(DefinitionCommands& d) {
    d.quick_strata = QuickStrataCommand;
    d.delete_strata = DeleteStrataCommand;
    d.delete_sample_groups = DeleteSampleGroupsCommand;
    d.quick_sg = QuickSgCommand;
    d.define_ranges = DefineRangesCommand;
    d.remove_ranges = RemoveRangesCommand;
    d.sort_table = SortCommand;
    d.recon_strata_table = ReconStrataCommand;
    d.print = PrintCommand;
    d.strata_form = RunStrataDefinition;
}

}  // namespace setup
