#pragma once
// What the import and setup commands share: the cruise file check, the refusal of a
// production cruise, and writing the update flag back as the main window does.
#include <string>

#include <functional>
#include <ostream>

#include "app/cruise_file.h"
#include "json_writer.h"
#include "setup/setup_session.h"
#include "setup/setup_tables.h"
#include "store/config.h"
#include "store/cruise_store.h"
#include "store/file_checker.h"
#include "store/schema.h"
#include "ui/ui_port.h"

namespace cli::setupcmd {

// The file check the program runs on a cruise file given to it; a production cruise
// has no setup to change.
inline bool CheckSetupFile(ui::UiPort& ui, const std::string& path) {
    store::CFileChecker checker(ui, "");
    int result = checker.CheckCruiseFile(path, ".crz");
    if (result == 1) app::ReportNotCruiseFile(ui, path);
    if (result != 0) return false;
    auto storage = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
    if (!storage) {
        app::ReportNotCruiseFile(ui, path);
        return false;
    }
    if (store::GetSetting(*storage, schema::kBlockStrovan, schema::kKeyType).value_or("") ==
        schema::kTypeProduction) {
        ui.MessageBox("Warning", "Cannot modify the setup of a production cruise.", ui::Icon::Exclamation);
        return false;
    }
    return true;
}

// The main window's write-back of the setup's update flag.
inline bool WriteUpdateFlag(ui::UiPort& ui, const std::string& path, const std::string& flag) {
    store::CCruiseStore store(ui);
    if (store.Open(path) != 0) return false;
    store::SetSetting(*store.Storage(), schema::kBlockStrovan, schema::kKeyUpdateFlag, flag);
    return store.Commit() == 0;
}

// A work table's rows as a JSON array of objects.
inline void JsonRows(JsonWriter& j, const std::string& key, const mk::View& v) {
    j.Key(key).BeginArray();
    for (int r = 0; r < v.RowCount(); ++r) {
        j.BeginObject();
        for (int c = 0; c < v.ColumnCount(); ++c) {
            const mk::Type t = v.Column(c).type;
            if (t == mk::Type::Double || t == mk::Type::Float) j.Field(v.Column(c).name, v.GetDouble(r, c));
            else if (t == mk::Type::Int || t == mk::Type::Long) j.Key(v.Column(c).name).Int(v.GetLong(r, c));
            else j.Field(v.Column(c).name, v.GetString(r, c));
        }
        j.EndObject();
    }
    j.EndArray();
}

// What a strata or sample-group command ended with.
struct PopulationsOutcome {
    bool committed = false;  // the change is in the file
    bool accepted = false;   // the form's OK went through (else its Cancel ran)
    mk::View units, summary, strata;
};

// Runs a command on the populations form of a checked cruise file and ends with the
// form's OK: product check, missing units, strata rebuild. When the product check
// refuses, the change stays (the command committed it, as in the form) and the
// form's Cancel brings the strata table in line. `step` returns false when it
// refused; nothing is then written.
inline PopulationsOutcome RunOnPopulations(
    ui::UiPort& ui, const std::string& path,
    const std::function<bool(setup::PopulationsForm&, store::CCruiseStore&)>& step) {
    PopulationsOutcome out;
    if (!CheckSetupFile(ui, path)) return out;
    store::CCruiseStore store(ui);
    if (store.Open(path) != 0) {
        ui.MessageBox("File Error", "The File:\n\n'" + path + "'\n\nCannot Be Opened.", ui::Icon::Stop);
        return out;
    }
    mk::Storage& storage = *store.Storage();
    setup::PrepareWorkTables(storage, ui, setup::PrepareVariant::Table);
    {
        setup::PopulationsForm form(ui, store, schema::kSVSummaryTable, true);
        if (step(form, store) && store.Commit() == 0) {
            out.committed = true;
            out.accepted = form.Accept();
            if (!out.accepted) form.Cancel();
        }
    }
    out.units = storage.GetAs(schema::kSVUnitsTableDesc)->Clone();
    out.summary = storage.GetAs(schema::kSVSummaryTableDesc)->Clone();
    out.strata = storage.GetAs(schema::kSVStrataTableDesc)->Clone();
    return out;
}

// The output every strata and sample-group command writes.
inline void WriteOutcome(std::ostream& out, bool json, const std::string& command, const std::string& path,
                         const PopulationsOutcome& o, const std::vector<ui::RecordedMessage>& messages) {
    if (json) {
        JsonWriter j(out);
        j.BeginObject().Field("command", command).Field("file", path);
        j.Field("committed", o.committed).Field("accepted", o.accepted);
        JsonRows(j, "units", o.units);
        JsonRows(j, "summary", o.summary);
        JsonRows(j, "strata", o.strata);
        j.Messages("messages", messages).EndObject();
        return;
    }
    if (!o.committed) return;
    out << "SVStrataTable (" << o.strata.RowCount() << " rows)\n";
    for (int r = 0; r < o.strata.RowCount(); ++r)
        out << "  " << o.strata.GetString(r, "Stratum") << "\t" << o.strata.GetString(r, "Units") << "\t"
            << store::Trim(o.strata.GetString(r, "TotAcres")) << "\t" << o.strata.GetString(r, "SG_Tree") << "\t"
            << o.strata.GetString(r, "SG_Plot") << "\n";
    if (!o.accepted) out << "The strata summary was rebuilt, but OK was refused (see the message).\n";
}

}  // namespace cli::setupcmd
