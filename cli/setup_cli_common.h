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
#include "store/unit_of_work.h"
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

// How a step on the setup tables ends: Keep commits what it changed, Drop leaves the
// file as it was (refused or failed), Look only shows what it prepared.
enum class StepEnd { Keep, Drop, Look };

// Checks and opens a cruise file and runs `work` on its prepared setup work tables as
// one step: all of it reaches the file, with the update flag "Y" when the setup
// changed (the main window's write-back after the setup), or none of it. The tables
// copied out are those the file holds afterwards (for Look, those prepared). True
// when the step's changes are in the file; false, with the tables as the file has
// them, when the file could not be used or the step was dropped (reported).
inline bool WithSetupTables(ui::UiPort& ui, const std::string& path,
                            const std::function<StepEnd(store::CCruiseStore&)>& work, SetupTables& tables) {
    if (!CheckSetupFile(ui, path)) return false;
    store::CCruiseStore store(ui);
    if (store.Open(path) != 0) {
        ui.MessageBox("File Error", "The File:\n\n'" + path + "'\n\nCannot Be Opened.", ui::Icon::Stop);
        return false;
    }
    mk::Storage& storage = *store.Storage();
    auto copy_tables = [&] {
        tables.units = storage.GetAs(schema::kSVUnitsTableDesc)->Clone();
        tables.summary = storage.GetAs(schema::kSVSummaryTableDesc)->Clone();
        tables.strata = storage.GetAs(schema::kSVStrataTableDesc)->Clone();
    };
    const store::TableSnapshot setup_before(storage, setup::SetupTableNames());
    store::UnitOfWork step(store);
    setup::PrepareWorkTables(storage, ui, setup::PrepareVariant::Table);
    const StepEnd end = work(store);
    bool kept = false;
    if (end == StepEnd::Keep) {
        if (setup_before.Changed(storage))
            store::SetSetting(storage, schema::kBlockStrovan, schema::kKeyUpdateFlag, schema::kFlagYes);
        kept = step.Complete();
    } else if (end == StepEnd::Look) {
        copy_tables();
        return false;
    }
    step.Discard();
    copy_tables();
    return kept;
}

inline void JsonTables(JsonWriter& j, const SetupTables& t) {
    JsonRows(j, "units", t.units);
    JsonRows(j, "summary", t.summary);
    JsonRows(j, "strata", t.strata);
}

// What a strata or sample-group command ended with.
struct PopulationsOutcome : SetupTables {
    bool committed = false;  // the change is in the file
    bool accepted = false;   // the form's OK went through
};

using PopulationsStep = std::function<bool(ui::ScriptedUi&, setup::PopulationsForm&, store::CCruiseStore&)>;

// Runs a command on the populations form of a checked cruise file and ends with the
// form's OK: product check, missing units, strata rebuild. `step` returns false when
// it refused; a refused step or OK leaves the file as it was.
inline PopulationsOutcome RunOnPopulations(ui::ScriptedUi& ui, const std::string& path, const PopulationsStep& step) {
    PopulationsOutcome out;
    out.committed = WithSetupTables(
        ui, path,
        [&](store::CCruiseStore& store) {
            setup::PopulationsForm form(ui, store, schema::kSVSummaryTable, true);
            if (!step(ui, form, store)) return StepEnd::Drop;
            out.accepted = form.Accept();
            return out.accepted ? StepEnd::Keep : StepEnd::Drop;
        },
        out);
    out.accepted = out.accepted && out.committed;
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
    WriteOutcome(out, opts.json, command, s.file, outcome, ui->Messages());
    return outcome.committed ? kExitOk : kExitFailure;
}

}  // namespace cli::setupcmd
