// strovan-cli setup: the setup work tables of a cruise file, shown or edited the way
// the "Setup Populations" form edits them: cells chosen by key, units added, then the
// form's OK (product check, missing units, strata rebuild) or Cancel.
#include <cstdio>
#include <ostream>

#include "command_line.h"
#include "commands.h"
#include "json_writer.h"
#include "setup/setup_grid.h"
#include "setup/setup_session.h"
#include "setup/setup_tables.h"
#include "setup/units_editor.h"
#include "store/cruise_store.h"
#include "store/value_rules.h"
#include "setup_cli_common.h"

namespace cli {

namespace {

struct Edit {
    std::string table, column, value;
    std::vector<std::pair<std::string, std::string>> where;
};
struct NewUnit {
    std::string code, area, log_method;
};
struct SetupArgs {
    std::string file;
    bool show = false, remake = false, accept = false, cancel = false;
    std::vector<Edit> edits;
    std::vector<NewUnit> units;
};

constexpr const char* kUsage =
    "usage: strovan-cli setup FILE.crz --show [--json]\n"
    "       strovan-cli setup FILE.crz [--remake] [--set TABLE:COLUMN=VALUE --where "
    "COLUMN=VALUE[,COLUMN=VALUE...]]...\n"
    "                      [--add-unit CODE:AREA[:LOGMETH]]... [--accept | --cancel] [--json] "
    "[--yes | --no]\n";

bool SplitPair(const std::string& text, char sep, std::string& a, std::string& b) {
    size_t at = text.find(sep);
    if (at == std::string::npos || at == 0) return false;
    a = text.substr(0, at);
    b = text.substr(at + 1);
    return true;
}

bool Parse(const std::vector<std::string>& args, SetupArgs& s, std::string& error) {
    const bool read = ReadOptionsAndFile(args, s.file, error, [&](OptionCursor& at) {
        const std::string& a = at.Name();
        auto fail = [&](const char* why) {
            error = why;
            return OptionRead::Failed;
        };
        std::string v;
        if (a == "--show") s.show = true;
        else if (a == "--remake") s.remake = true;
        else if (a == "--accept") s.accept = true;
        else if (a == "--cancel") s.cancel = true;
        else if (a == "--set") {
            if (!at.Value(v)) return OptionRead::Failed;
            Edit e;
            std::string target;
            if (!SplitPair(v, '=', target, e.value) || !SplitPair(target, ':', e.table, e.column))
                return fail("--set wants TABLE:COLUMN=VALUE");
            if (!at.Peek(2) || *at.Peek() != "--where")
                return fail("each --set needs its --where COLUMN=VALUE[,COLUMN=VALUE...]");
            at.Take();
            if (!at.Value(v)) return OptionRead::Failed;
            for (const auto& piece : setup::SplitCodes(v)) {
                std::string c, val;
                if (!SplitPair(piece, '=', c, val)) return fail("--where wants COLUMN=VALUE[,COLUMN=VALUE...]");
                e.where.emplace_back(c, val);
            }
            if (e.where.empty()) return fail("--where wants COLUMN=VALUE[,COLUMN=VALUE...]");
            s.edits.push_back(std::move(e));
        } else if (a == "--add-unit") {
            if (!at.Value(v)) return OptionRead::Failed;
            NewUnit u;
            std::string rest;
            if (!SplitPair(v, ':', u.code, rest)) return fail("--add-unit wants CODE:AREA[:LOGMETH]");
            if (!SplitPair(rest, ':', u.area, u.log_method)) u.area = rest;
            s.units.push_back(std::move(u));
        } else if (a == "--where") {
            return fail("--where must follow a --set");
        } else {
            return OptionRead::Unknown;
        }
        return OptionRead::Read;
    });
    if (!read) return false;
    if (s.file.empty()) error = "no cruise file given";
    else if (s.accept && s.cancel) error = "--accept and --cancel exclude each other";
    else if (s.show && (s.remake || s.accept || s.cancel || !s.edits.empty() || !s.units.empty()))
        error = "--show only shows; give it alone";
    return error.empty();
}

const char* DescriptionOf(const std::string& table) {
    if (table == schema::kSVSummaryTable) return schema::kSVSummaryTableDesc;
    if (table == schema::kSVUnitsTable) return schema::kSVUnitsTableDesc;
    if (table == schema::kSVStrataTable) return schema::kSVStrataTableDesc;
    return nullptr;
}

std::string CellText(const mk::View& v, int r, int c) {
    const mk::Type t = v.Column(c).type;
    if (t == mk::Type::Double || t == mk::Type::Float) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%g", v.GetDouble(r, c));
        return buf;
    }
    return v.GetString(r, c);
}

void PrintTable(std::ostream& out, const std::string& name, const mk::View& v) {
    out << name << " (" << v.RowCount() << " rows)\n";
    for (int c = 0; c < v.ColumnCount(); ++c) out << (c ? "\t" : "  ") << v.Column(c).name;
    out << '\n';
    for (int r = 0; r < v.RowCount(); ++r) {
        for (int c = 0; c < v.ColumnCount(); ++c) out << (c ? "\t" : "  ") << store::Trim(CellText(v, r, c));
        out << '\n';
    }
}

// Applies the edits through the form; false (reported) on the first that cannot be made.
bool ApplyEdits(ui::UiPort& ui, store::CCruiseStore& store, setup::PopulationsForm& form,
                const SetupArgs& s, int& usage) {
    mk::Storage& storage = *store.Storage();
    if (s.remake) {
        form.Remake();
        if (!form.Grid().Modified()) return false;  // answered No
    }
    for (const Edit& e : s.edits) {
        const char* desc = DescriptionOf(e.table);
        if (!desc) {
            ui.MessageBox("Error", "Unknown table '" + e.table +
                                       "' (SVSummaryTable, SVUnitsTable or SVStrataTable).",
                          ui::Icon::Stop);
            usage = kExitUsage;
            return false;
        }
        setup::SetupGrid other;
        setup::SetupGrid* grid = &form.Grid();
        if (e.table != schema::kSVSummaryTable) {
            other = setup::SetupGrid(*storage.GetAs(desc), e.table);
            grid = &other;
        }
        const int col = grid->FindColumn(e.column);
        bool columns_ok = col >= 0;
        std::vector<int> where_cols;
        for (const auto& [c, v] : e.where) {
            where_cols.push_back(grid->FindColumn(c));
            columns_ok = columns_ok && where_cols.back() >= 0;
        }
        if (!columns_ok) {
            ui.MessageBox("Error", "Unknown column in --set " + e.table + ":" + e.column + ".",
                          ui::Icon::Stop);
            usage = kExitUsage;
            return false;
        }
        // Rows are chosen before any of them changes, so an edit of a key column
        // cannot make a row match or stop matching halfway.
        std::vector<int> rows;
        for (int r = 0; r < grid->RowCount(); ++r) {
            bool match = true;
            for (size_t k = 0; k < e.where.size() && match; ++k)
                match = grid->Text(r, where_cols[k]) == store::Trim(e.where[k].second);
            if (match) rows.push_back(r);
        }
        if (rows.empty()) {
            ui.MessageBox("Error", "No row of " + e.table + " matches the --where of " + e.column + ".",
                          ui::Icon::Stop);
            return false;
        }
        for (int r : rows) {
            if (std::string why = grid->EditRefusal(r, col, e.value); !why.empty()) {
                ui.MessageBox("Error",
                              grid->ReadOnly(r, col) ? "The column " + e.column + " of " + e.table + " cannot be edited."
                                                     : why,
                              ui::Icon::Stop);
                return false;
            }
            grid->SetText(r, col, e.value);
        }
        // An edit of the unit table counts as a change of the grid, as "Edit Unit
        // Table" does.
        if (e.table != schema::kSVStrataTable) form.Grid().SetModified(true);
    }
    if (!s.units.empty()) {
        mk::View units = *storage.GetAs(schema::kSVUnitsTableDesc);
        for (const NewUnit& u : s.units) {
            const std::string code = store::Trim(u.code);
            bool exists = false;
            for (int r = 0; r < units.RowCount(); ++r) exists = exists || store::Trim(units.GetString(r, "CutUnit")) == code;
            store::CheckedValue area = store::Check(store::rules::kUnitArea, u.area);
            std::string why = exists ? "Unit '" + code + "' is already in the unit table."
                              : code.empty() ? std::string(setup::kNeedUnitCode)
                                             : store::Refusal(store::rules::kCutUnit, code);
            if (why.empty()) why = area.empty ? std::string(setup::kNeedUnitArea) : area.refusal;
            if (why.empty()) why = store::Refusal(store::rules::kLogMeth, u.log_method);
            if (!why.empty()) {
                ui.MessageBox("Warning", why, ui::Icon::Exclamation);
                return false;
            }
            int r = units.AddRow();
            units.SetString(r, "Select", "0");
            units.SetString(r, "CutUnit", code);
            units.SetDouble(r, "Area", area.number);
            units.SetString(r, "LogMeth", store::Trim(u.log_method));
        }
        form.Grid().SetModified(true);
    }
    // However a unit changed, it passes the unit editor's check before anything is kept.
    bool units_changed = !s.units.empty();
    for (const Edit& e : s.edits) units_changed = units_changed || e.table == schema::kSVUnitsTable;
    if (units_changed) {
        if (std::string why = setup::CheckUnitTable(*storage.GetAs(schema::kSVUnitsTableDesc)); !why.empty()) {
            ui.MessageBox("Warning", why, ui::Icon::Exclamation);
            return false;
        }
    }
    return true;
}

int RunSetup(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
    CommonOptions opts;
    SetupArgs s;
    if (!ReadCommandLine(argv, opts, s, Parse, err, kUsage)) return kExitUsage;
    auto ui = MakeCommandUi(opts, out, err);
    int code = kExitFailure;
    setupcmd::SetupTables tables;
    const bool committed = setupcmd::WithSetupTables(
        *ui, s.file,
        [&](store::CCruiseStore& store) {
            if (s.show) {
                code = kExitOk;  // shown as the setup would show it; nothing is written
                return setupcmd::StepEnd::Look;
            }
            setup::PopulationsForm form(*ui, store, schema::kSVSummaryTable, true);
            int usage = kExitFailure;
            // Without --cancel the run ends with OK, so the strata table follows the edits.
            bool done = ApplyEdits(*ui, store, form, s, usage);
            if (done) done = s.cancel ? form.Cancel() : form.Accept();
            code = done ? kExitOk : usage;
            return done ? setupcmd::StepEnd::Keep : setupcmd::StepEnd::Drop;
        },
        tables);
    if (!s.show && !committed) code = code == kExitUsage ? kExitUsage : kExitFailure;

    if (opts.json) {
        JsonWriter j(out);
        j.BeginObject().Field("command", "setup").Field("file", s.file);
        if (!s.show) j.Field("committed", committed);
        setupcmd::JsonTables(j, tables);
        j.Messages("messages", ui->Messages()).EndObject();
    } else if (code == kExitOk) {
        if (s.show) {
            PrintTable(out, "SVUnitsTable", tables.units);
            PrintTable(out, "SVSummaryTable", tables.summary);
        }
        PrintTable(out, "SVStrataTable", tables.strata);
    }
    return code;
}

CommandRegistrar reg_setup{Command{
    .name = "setup",
    .synopsis = "setup FILE.crz --show | [--remake] [--set T:C=V --where C=V]... [--add-unit CODE:AREA[:LOGMETH]] "
                "[--accept|--cancel]",
    .summary = "show or edit the strata and sample-group setup tables",
    .run = RunSetup,
    .details = "The edits run as on the populations form, which the run then closes with OK (the\n"
               "default, --accept: product check, missing units, strata rebuild) or with Cancel\n"
               "(--cancel: the edits are taken back). A refused edit or OK leaves the file as it was.\n"
               "--remake asks before it resets the tables: unattended the answer is No and nothing\n"
               "changes; give --yes to reset.\n",
    .arguments = {{"FILE.crz", "", "the cruise file"}},
    .options = {{"--show", "", "show the setup tables (give it alone)"},
                {"--remake", "", "remake the tables from the recon data (asks first)"},
                {"--set", "TABLE:COLUMN=VALUE", "set a cell of the rows chosen by the --where that follows"},
                {"--where", "COLUMN=VALUE[,...]", "the rows the --set before it changes"},
                {"--add-unit", "CODE:AREA[:LOGMETH]", "add a cutting unit to the unit table"},
                {"--accept", "", "end as the form's OK does (the default)"},
                {"--cancel", "", "end as the form's Cancel does: the edits are taken back"}}}};

}  // namespace

}  // namespace cli
