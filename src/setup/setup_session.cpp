#include "setup/setup_session.h"

#include "setup/import_svz.h"
#include "setup/setup_tables.h"
#include "setup/units_editor.h"
#include "store/schema.h"

namespace setup {

void InstallStrataCommands(DefinitionCommands& commands);

DefinitionCommands& Definitions() {
    static DefinitionCommands commands = [] {
        DefinitionCommands d;
        InstallStrataCommands(d);
        return d;
    }();
    return commands;
}

namespace {

const char* DescriptionOf(const std::string& table) {
    if (table == schema::kSVFillSGTable) return schema::kSVFillSGTableDesc;
    return schema::kSVSummaryTableDesc;
}

mk::View OpenTable(store::CCruiseStore& store, const std::string& table) {
    auto v = store.Storage()->GetAs(DescriptionOf(table));
    return v ? *v : mk::View();
}

}  // namespace

// ---- Setup Populations --------------------------------------------------------------

PopulationsForm::PopulationsForm(ui::UiPort& ui, store::CCruiseStore& store,
                                 const std::string& table, bool show_help)
    : ui_(ui),
      store_(store),
      grid_(OpenTable(store, table), table == schema::kSVFillSGTable ? table : schema::kSVSummaryTable),
      opened_(*store.Storage(), {grid_.Table(), schema::kSVUnitsTable, schema::kSVStrataTable,
                                 schema::kStratumTable, schema::kSVStrDiamTable, schema::kSVSGDiamTable}),
      show_help_(show_help) {}

bool PopulationsForm::OnSummary() const { return grid_.Table() == schema::kSVSummaryTable; }

void PopulationsForm::Run(const DefinitionCommands::GridCommand& cmd, const char* name, int row) {
    if (!cmd) {
        ui_.MessageBox("Information", std::string("\"") + name + "\" is not yet available.",
                       ui::Icon::Information);
        return;
    }
    cmd(*this, row);
}

void PopulationsForm::Remake() {
    if (!OnSummary()) {
        ui_.MessageBox("Warning", kCannotResetText, ui::Icon::Exclamation);
        return;
    }
    if (!ui_.Question(kResetQuestion)) return;
    ui_.BeginBusy("Remaking tables...");
    RemakeFromRecon(*store_.Storage());
    ui_.EndBusy();
    grid_.Rebind();
    grid_.SetModified(true);
}

void PopulationsForm::EditUnitTable() {
    auto units = store_.Storage()->GetAs(schema::kSVUnitsTableDesc);
    if (!units) return;
    RunUnitEditor(ui_, *units);
    grid_.SetModified(true);
}

bool PopulationsForm::MenuCommand(const std::string& item, int row, int col) {
    (void)col;
    if (item == kMenuAddRow) AddRow();
    else if (item == kMenuDeleteRow) DeleteRow(row);
    else if (item == kMenuEditUnitTable) EditUnitTable();
    else if (item == kMenuQuickStrata) QuickStrata(row);
    else if (item == kMenuQuickSg) QuickSg(row);
    else if (item == kMenuDefineRanges) DefineRanges(row);
    else if (item == kMenuRemoveRanges) RemoveRanges(row);
    else if (item == kMenuDeleteStrata) DeleteStrata(row);
    else if (item == kMenuDeleteSampleGroups) DeleteSampleGroups(row);
    else if (item == kMenuSelectAll) grid_.SelectAll(true);
    else if (item == kMenuUnselectAll) grid_.SelectAll(false);
    else return false;
    return true;
}

bool PopulationsForm::Accept() {
    std::string products = ProductCheckMessage(grid_.View(), OnSummary());
    if (!products.empty()) {
        ui_.MessageBox("Warning", products, ui::Icon::Exclamation);
        return false;
    }
    mk::Storage& storage = *store_.Storage();
    if (OnSummary() && grid_.Modified()) {
        if (!AddMissingUnits(storage).empty()) {
            ui_.MessageBox("Information", kUnitsAddedText, ui::Icon::Exclamation);
            auto units = storage.GetAs(schema::kSVUnitsTableDesc);
            if (units) RunUnitEditor(ui_, *units);
        }
        ui_.BeginBusy("Building strata...");
        RebuildStrataSummary(storage);
        ui_.EndBusy();
    }
    if (store_.Commit() != 0) return false;
    done_ = true;
    return true;
}

bool PopulationsForm::Cancel() {
    mk::Storage& storage = *store_.Storage();
    // Edits are written into the tables as they are made: Cancel puts the tables back,
    // so the strata table and the summary rows agree as they did.
    opened_.Restore(storage);
    ClearModifyFlags(storage);
    grid_.Rebind();
    grid_.SetModified(false);
    done_ = true;
    return store_.Commit() == 0;
}

bool RunPopulations(ui::UiPort& ui, store::CCruiseStore& store, const std::string& table,
                    bool show_help) {
    PopulationsForm form(ui, store, table, show_help);
    while (true) {
        if (!ui.RunForm(form)) {
            if (!form.Done()) form.Cancel();
            return false;
        }
        // A refused OK leaves the form open.
        if (form.Done() || form.Accept()) return true;
    }
}

// ---- Setup Strata Definitions -------------------------------------------------------

bool StrataDefinitionsForm::OpenStore(store::CCruiseStore& store) {
    if (store.Open(path_) == 0) return true;
    ui_.MessageBox("File Error", "The File:\n\n'" + path_ + "'\n\nCannot Be Opened.",
                   ui::Icon::Stop);
    return false;
}

int StrataDefinitionsForm::SetupForm() {
    if (!Definitions().strata_form) {
        ui_.MessageBox("Information", "\"Define Strata and Sample Groups\" is not yet available.",
                       ui::Icon::Information);
        return 1;
    }
    return RunSetupStep(PrepareVariant::Form, [this](store::CCruiseStore& store, const PrepareResult& prepared) {
        Definitions().strata_form(ui_, store, prepared.current_stratum);
        store.DeleteView(schema::kSVSelTreeTable);
        store.DeleteView(schema::kSVFillSGTable);
    });
}

int StrataDefinitionsForm::SetupTable() {
    return RunSetupStep(PrepareVariant::Table, [this](store::CCruiseStore& store, const PrepareResult&) {
        RunPopulations(ui_, store, schema::kSVSummaryTable, true);
    });
}

int StrataDefinitionsForm::RunSetupStep(PrepareVariant variant,
                                        const std::function<void(store::CCruiseStore&, const PrepareResult&)>& form) {
    store::CCruiseStore store(ui_);
    if (!OpenStore(store)) return 1;
    mk::Storage& storage = *store.Storage();
    const store::TableSnapshot before(storage, SetupTableNames());
    // The whole visit is one step: what the forms leave is committed at its end.
    store::UnitOfWork step(store);
    ui_.BeginBusy("Preparing tables...");
    const PrepareResult prepared = PrepareWorkTables(storage, ui_, variant);
    ui_.EndBusy();
    // The work tables are made again from the file at every visit: a visit whose forms
    // leave them as prepared (cancelled, or nothing done) keeps none of it, so the file
    // keeps every byte.
    std::vector<std::string> edited = SetupTableNames();
    edited.insert(edited.end(), {schema::kSVSGDiamTable, schema::kSVStrDiamTable, schema::kSVLogMethTable});
    const store::TableSnapshot as_prepared(storage, edited);
    form(store, prepared);
    if (!as_prepared.Changed(storage)) {
        step.Discard();
        return 0;
    }
    const bool changed = before.Changed(storage);
    if (!step.Complete()) return 1;
    // Only a changed setup needs the design compiled again.
    if (changed) update_flag_ = schema::kFlagYes;
    return 0;
}

int StrataDefinitionsForm::ImportFile() {
    auto file = ui_.OpenFileName(SvzDialogSpec());
    if (!file) return 1;
    return ImportFile(*file);
}

int StrataDefinitionsForm::ImportFile(const std::string& svz_path) {
    if (ImportSvz(ui_, path_, svz_path) != 0) return 1;
    // New recon data: the design tables must be built again.
    update_flag_ = schema::kFlagYes;
    return 0;
}

int RunStrataSetup(ui::UiPort& ui, const std::string& path, std::string& update_flag) {
    StrataDefinitionsForm form(ui, path, update_flag);
    ui.RunForm(form);
    update_flag = form.UpdateFlag();
    return 0;
}

}  // namespace setup
