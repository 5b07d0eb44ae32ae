#pragma once
// What the import, setup, strata and sample-groups commands share: the cruise file
// check, the refusal of a production cruise, the setup work tables opened and written
// out, and writing the update flag back as the main window does.
#include <string>

#include <functional>
#include <ostream>
#include <string_view>
#include <vector>

#include "app/cruise_file.h"
#include "command_line.h"
#include "commands.h"
#include "json_writer.h"
#include "setup/diameter_ranges.h"
#include "setup/setup_session.h"
#include "setup/setup_tables.h"
#include "store/config.h"
#include "store/cruise_store.h"
#include "store/file_checker.h"
#include "store/schema.h"
#include "ui/scripted_ui.h"
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

// The value of --diameter-ranges ("0-11.9,12-99"); `given` is set once there is one.
inline OptionRead ReadRanges(OptionCursor& at, bool& given, std::vector<setup::DiameterRange>& ranges,
                             std::string& error) {
    std::string v;
    if (!at.Value(v)) return OptionRead::Failed;
    given = true;
    std::string why;
    if (!setup::ParseRangeList(v, ranges, why)) {
        error = why;
        return OptionRead::Failed;
    }
    return OptionRead::Read;
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

// Copies of the setup work tables: the store closes before the output is written.
struct SetupTables {
    mk::View units, summary, strata;
};

// Checks and opens a cruise file, prepares its setup work tables, runs `work` on the
// open store and copies the tables out. False, with the tables empty, when the file
// could not be used (reported).
inline bool WithSetupTables(ui::UiPort& ui, const std::string& path,
                            const std::function<void(store::CCruiseStore&)>& work, SetupTables& tables) {
    if (!CheckSetupFile(ui, path)) return false;
    store::CCruiseStore store(ui);
    if (store.Open(path) != 0) {
        ui.MessageBox("File Error", "The File:\n\n'" + path + "'\n\nCannot Be Opened.", ui::Icon::Stop);
        return false;
    }
    mk::Storage& storage = *store.Storage();
    setup::PrepareWorkTables(storage, ui, setup::PrepareVariant::Table);
    work(store);
    tables.units = storage.GetAs(schema::kSVUnitsTableDesc)->Clone();
    tables.summary = storage.GetAs(schema::kSVSummaryTableDesc)->Clone();
    tables.strata = storage.GetAs(schema::kSVStrataTableDesc)->Clone();
    return true;
}

inline void JsonTables(JsonWriter& j, const SetupTables& t) {
    JsonRows(j, "units", t.units);
    JsonRows(j, "summary", t.summary);
    JsonRows(j, "strata", t.strata);
}

// What a strata or sample-group command ended with.
struct PopulationsOutcome : SetupTables {
    bool committed = false;  // the change is in the file
    bool accepted = false;   // the form's OK went through (else its Cancel ran)
};

using PopulationsStep = std::function<bool(ui::ScriptedUi&, setup::PopulationsForm&, store::CCruiseStore&)>;

// Runs a command on the populations form of a checked cruise file and ends with the
// form's OK: product check, missing units, strata rebuild. When the product check
// refuses, the change stays (the command committed it, as in the form) and the
// form's Cancel brings the strata table in line. `step` returns false when it
// refused; nothing is then written.
inline PopulationsOutcome RunOnPopulations(ui::ScriptedUi& ui, const std::string& path, const PopulationsStep& step) {
    PopulationsOutcome out;
    WithSetupTables(
        ui, path,
        [&](store::CCruiseStore& store) {
            setup::PopulationsForm form(ui, store, schema::kSVSummaryTable, true);
            if (step(ui, form, store) && store.Commit() == 0) {
                out.committed = true;
                out.accepted = form.Accept();
                if (!out.accepted) form.Cancel();
            }
        },
        out);
    return out;
}

// The output every strata and sample-group command writes.
inline void WriteOutcome(std::ostream& out, bool json, const std::string& command, const std::string& path,
                         const PopulationsOutcome& o, const std::vector<ui::RecordedMessage>& messages) {
    if (json) {
        JsonWriter j(out);
        j.BeginObject().Field("command", command).Field("file", path);
        j.Field("committed", o.committed).Field("accepted", o.accepted);
        JsonTables(j, o);
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

// The whole of a strata or sample-group command: its arguments read by `parse` (the
// common options taken out first), the step on the populations form, the update
// flag, the output and the exit code.
template <class Args>
int RunPopulationsCommand(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err,
                          const std::string& command, std::string_view usage,
                          bool (*parse)(const std::vector<std::string>&, Args&, std::string&),
                          const std::function<bool(const Args&, ui::ScriptedUi&, setup::PopulationsForm&,
                                                   store::CCruiseStore&)>& step) {
    CommonOptions opts;
    Args s;
    if (!ReadCommandLine(argv, opts, s, parse, err, usage)) return kExitUsage;
    auto ui = MakeCommandUi(opts, out, err);
    auto outcome = RunOnPopulations(*ui, s.file, [&](ui::ScriptedUi& u, setup::PopulationsForm& form,
                                                     store::CCruiseStore& store) { return step(s, u, form, store); });
    if (outcome.committed) WriteUpdateFlag(*ui, s.file, schema::kFlagYes);
    WriteOutcome(out, opts.json, command, s.file, outcome, ui->Messages());
    return outcome.committed ? kExitOk : kExitFailure;
}

}  // namespace cli::setupcmd
