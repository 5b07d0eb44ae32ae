#include "setup/setup_session.h"

#include "setup/import_svz.h"
#include "setup/setup_tables.h"
#include "setup/units_editor.h"
#include "store/schema.h"

namespace setup {

DefinitionCommands& Definitions() {
    static DefinitionCommands commands;
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
    // Cancel undoes no cell edit (they were written as made). When the grid changed,
    // the strata table is brought in line with it, so the two never disagree and the
    // strata that changed stay marked for recompilation.
    if (OnSummary() && grid_.Modified()) RebuildStrataSummary(storage);
    else ClearModifyFlags(storage);
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
    store::CCruiseStore store(ui_);
    if (!OpenStore(store)) return 1;
    ui_.BeginBusy("Preparing tables...");
    PrepareResult prepared = PrepareWorkTables(*store.Storage(), ui_, PrepareVariant::Form);
    ui_.EndBusy();
    if (store.Commit() != 0) return 1;
    Definitions().strata_form(ui_, store, prepared.current_stratum);
    store.Commit();
    store.DeleteView(schema::kSVSelTreeTable);
    store.DeleteView(schema::kSVFillSGTable);
    store.Commit();
    update_flag_ = schema::kFlagYes;
    return 0;
}

int StrataDefinitionsForm::SetupTable() {
    store::CCruiseStore store(ui_);
    if (!OpenStore(store)) return 1;
    ui_.BeginBusy("Preparing tables...");
    PrepareWorkTables(*store.Storage(), ui_, PrepareVariant::Table);
    ui_.EndBusy();
    if (store.Commit() != 0) return 1;
    RunPopulations(ui_, store, schema::kSVSummaryTable, true);
    store.Commit();
    update_flag_ = schema::kFlagYes;
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
