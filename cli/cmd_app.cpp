// The shell's commands: a cruise file's summary and settings, creating a cruise file
// from a setup file, and the relative cruising costs. They run the program's own
// workflow with the command's UI port, so they pass the same checks and say the same
// things; with --json every message is in the output instead.
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>

#include "app/costs_dialog.h"
#include "app/cruise_file.h"
#include "app/main_dialog.h"
#include "app/settings.h"
#include "command_line.h"
#include "commands.h"
#include "json_writer.h"
#include "mk/mk.h"
#include "store/config.h"
#include "store/file_lock.h"
#include "store/schema.h"
#include "store/structure_updater.h"

namespace cli {

namespace {

namespace fs = std::filesystem;
using Options = std::map<std::string, std::string>;

// "--name value" pairs into `opts` (repeated --set joined by newlines), flags into
// `flags`; the rest are positional. False on an option without its value or one not
// known.
bool ParseArgs(const std::vector<std::string>& args, const std::vector<std::string>& known,
               Options& opts, std::vector<std::string>& positional, std::ostream& err,
               const std::vector<std::string>& known_flags = {},
               std::vector<std::string>* flags = nullptr) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            positional.push_back(a);
            continue;
        }
        std::string name = a.substr(2);
        bool is_flag = false;
        for (const auto& f : known_flags) is_flag = is_flag || f == name;
        if (is_flag && flags) {
            flags->push_back(name);
            continue;
        }
        bool ok = false;
        for (const auto& k : known) ok = ok || k == name;
        if (!ok || i + 1 >= args.size()) {
            err << "strovan-cli: " << (ok ? "missing value for " : "unknown option ") << a << '\n';
            return false;
        }
        std::string& slot = opts[name];
        slot += (slot.empty() ? "" : "\n") + args[++i];
    }
    return true;
}

// The common options out of the arguments; false (usage reported) when they clash.
bool TakeCommon(std::vector<std::string>& args, CommonOptions& opts, std::ostream& err) {
    std::string error;
    if (CommonOptions::Extract(args, opts, error)) return true;
    UsageError(err, error);
    return false;
}

std::string Num(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

void PrintCosts(const app::CostValues& values, std::ostream& out) {
    const auto& keys = schema::CostKeys();
    for (size_t i = 0; i < keys.size(); ++i) out << "  " << keys[i] << ": " << values[i] << '\n';
    app::CostFigures f = app::ComputeCostFigures(values);
    out << "Cost figures:\n"
        << "  per count plot: " << Num(f.plot) << '\n'
        << "  per 10-chain traverse: " << Num(f.traverse) << '\n'
        << "  per tallied tree: " << Num(f.tally) << '\n'
        << "  per 3P tree: " << Num(f.threeP) << '\n'
        << "  per measured tree: " << Num(f.measure) << '\n'
        << "  paint per tree: " << Num(f.paint) << '\n';
}

void JsonCosts(JsonWriter& j, const app::CostValues& values) {
    const auto& keys = schema::CostKeys();
    j.Key("costs").BeginObject();
    for (size_t i = 0; i < keys.size(); ++i) j.Field(keys[i], values[i]);
    j.EndObject();
    app::CostFigures f = app::ComputeCostFigures(values);
    j.Key("cost_figures").BeginObject();
    j.Field("count_plot", f.plot)
        .Field("traverse_10_chains", f.traverse)
        .Field("tallied_tree", f.tally)
        .Field("tree_3p", f.threeP)
        .Field("measured_tree", f.measure)
        .Field("paint_per_tree", f.paint);
    j.EndObject();
}

// A cruise file opened for looking only: checked without the structure updater and
// read-only, so that neither its content, its last writer nor its permissions change.
// A file of an older structure is reported with the way to update it.
struct Look {
    std::optional<mk::Storage> storage;
    bool needs_update = false;
    std::string version;
};

bool LookAt(ui::UiPort& ui, const std::string& path, Look& look) {
    std::string reason;
    switch (store::FileLock::Probe(path)) {
        case store::FileAccess::Ok: break;
        case store::FileAccess::NotFound: reason = "The File " + path + " was not found."; break;
        case store::FileAccess::InUse:
            reason = "The File " + path + " is in use by another application.\nFile Not Opened.";
            break;
        case store::FileAccess::BadPath: reason = "Bad Path.\nThe File " + path + " was not found."; break;
        case store::FileAccess::Other: reason = "The File " + path + " could not be openned."; break;
    }
    if (!reason.empty()) {
        ui.Error(reason, "File Error");
        return false;
    }
    auto opened = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
    if (!opened || opened->Structure().empty()) {
        app::ReportNotCruiseFile(ui, path);
        return false;
    }
    look.version = store::ReadStructureVersion(*opened);
    store::CStructureUpdater updater(ui);
    int rc = updater.CheckVersion(store::CStructureUpdater::kLatestVersion, look.version,
                                  look.version.empty() ? path : "");
    if (rc == store::kUpdateNeeded) {
        look.needs_update = true;
        ui.Warning("The File " + path + " has an older structure (version " + look.version +
                   ") and needs an update before Strovan can work on it.\nRun: strovan-cli "
                   "update " +
                   path);
    } else if (rc != store::kVersionCurrent) {
        ui.Warning(store::UpdaterMessage(rc, ui::kAppName));
        return false;
    }
    look.storage = std::move(*opened);
    return true;
}

// Settings the info command shows.
const std::pair<const char*, const char*> kShownSettings[] = {
    {schema::kBlockStrovan, schema::kKeyType},
    {schema::kBlockStrovan, schema::kKeyUpdateFlag},
    {schema::kBlockStrovan, schema::kKeyUOM},
    {schema::kBlockGeneral, schema::kKeyMRU},
    {schema::kBlockGeneral, schema::kKeyDirtyFlag},
    {schema::kBlockGeneral, schema::kKeyStructureVersion},
    {schema::kBlockGeneral, schema::kKeySetup}};

int RunInfo(const std::vector<std::string>& raw, std::ostream& out, std::ostream& err) {
    std::vector<std::string> args = raw;
    CommonOptions opts;
    if (!TakeCommon(args, opts, err)) return kExitUsage;
    if (args.size() != 1) {
        err << "usage: strovan-cli info FILE [--json]\n";
        return kExitUsage;
    }
    const std::string& path = args[0];
    auto ui = MakeCommandUi(opts, out, err);
    Look look;
    bool ok = LookAt(*ui, path, look);
    if (!ok) {
        if (opts.json) {
            JsonWriter j(out);
            j.BeginObject().Field("file", path).Field("ok", false);
            j.Messages("messages", ui->Messages()).EndObject();
        }
        return kExitFailure;
    }
    mk::Storage& storage = *look.storage;
    auto setting = [&](const char* block, const char* key) {
        return store::GetSetting(storage, block, key);
    };
    std::string uom =
        setting(schema::kBlockStrovan, schema::kKeyUOM).value_or(schema::kUomCubicFeet);
    mk::View cruise = storage.GetView(schema::kCruiseTable);
    if (cruise.RowCount() > 0)
        app::ShowSaleSummary(*ui, storage, uom);
    else
        ui->Warning("Missing Cruise Information.");
    app::CostValues costs = app::ReadCostValues(storage);

    if (opts.json) {
        JsonWriter j(out);
        j.BeginObject().Field("file", path).Field("ok", true);
        j.Field("structure_version", look.version).Field("needs_update", look.needs_update);
        j.Key("sale");
        if (cruise.RowCount() > 0) {
            ui::SaleFields f;
            app::ReadSaleFields(cruise, f);
            j.BeginObject()
                .Field("SaleNo", f.sale_no)
                .Field("CruiseNo", f.cruise_no)
                .Field("SaleName", f.sale_name)
                .Field("Region", f.region)
                .Field("Forest", f.forest)
                .Field("District", f.district)
                .Field("CalYear", f.cal_year)
                .EndObject();
        } else {
            j.Null();
        }
        j.Key("settings").BeginObject();
        for (const auto& [block, key] : kShownSettings) {
            j.Key(std::string(block) + "/" + key);
            if (auto v = setting(block, key))
                j.String(*v);
            else
                j.Null();
        }
        j.EndObject();
        JsonCosts(j, costs);
        j.Messages("messages", ui->Messages()).EndObject();
        return kExitOk;
    }
    out << "Settings:\n";
    for (const auto& [block, key] : kShownSettings)
        out << "  " << block << "/" << key << ": " << setting(block, key).value_or("(none)")
            << '\n';
    out << "Relative cruising costs:\n";
    PrintCosts(costs, out);
    return kExitOk;
}

constexpr const char* kNewUsage =
    "usage: strovan-cli new --setup STP --sale N [--cruise N] [--year Y] [--region R]\n"
    "       [--forest F] [--district D] [--name NAME] [--uom 01|03] [--force] [--json] OUT\n";

int RunNew(const std::vector<std::string>& raw, std::ostream& out, std::ostream& err) {
    std::vector<std::string> args = raw;
    CommonOptions opts;
    if (!TakeCommon(args, opts, err)) return kExitUsage;
    Options o;
    std::vector<std::string> pos, flags;
    if (!ParseArgs(
            args,
            {"setup", "sale", "cruise", "year", "region", "forest", "district", "name", "uom"}, o,
            pos, err, {"force"}, &flags) ||
        pos.size() != 1 || !o.count("setup") || !o.count("sale")) {
        err << kNewUsage;
        return kExitUsage;
    }
    if (o.count("uom") && o["uom"] != schema::kUomBoardFeet && o["uom"] != schema::kUomCubicFeet) {
        err << "strovan-cli: --uom must be 01 (board feet) or 03 (cubic feet)\n";
        return kExitUsage;
    }
    const bool force = !flags.empty();
    const std::string& target = pos[0];
    auto ui = MakeCommandUi(opts, out, err);
    bool created = false;
    std::error_code ec;
    if (fs::exists(target, ec) && !force) {
        // The desktop's save dialog asks before it replaces a file; here that is --force.
        ui->Error("The File " + target + " already exists.\nUse --force to replace it.",
                  "File Error");
    } else {
        ui->PushFileName(o["setup"]);  // Browse
        ui->PushFileName(target);      // Save As
        ui->PushNewCruise(ui::ScriptedUi::Submit([&o](ui::NewCruiseForm& form) {
            form.OnBrowse();
            ui::SaleFields& f = form.Fields();
            const std::pair<const char*, std::string*> fields[] = {
                {"sale", &f.sale_no},  {"cruise", &f.cruise_no}, {"year", &f.cal_year},
                {"region", &f.region}, {"forest", &f.forest},    {"district", &f.district},
                {"name", &f.sale_name}};
            for (const auto& [name, field] : fields)
                if (o.count(name)) *field = o[name];
            if (o.count("uom")) form.OnUnitChosen(o["uom"]);
        }));
        app::CMainDialog dlg(*ui);
        created = dlg.OnCreate();
    }
    if (opts.json) {
        JsonWriter j(out);
        j.BeginObject().Field("file", target).Field("created", created);
        j.Messages("messages", ui->Messages()).EndObject();
    } else if (created) {
        out << "Created " << target << '\n';
    }
    return created ? kExitOk : kExitFailure;
}

int RunCosts(const std::vector<std::string>& raw, std::ostream& out, std::ostream& err) {
    std::vector<std::string> args = raw;
    CommonOptions opts;
    if (!TakeCommon(args, opts, err)) return kExitUsage;
    Options o;
    std::vector<std::string> pos;
    if (!ParseArgs(args, {"set"}, o, pos, err) || pos.size() != 1) {
        err << "usage: strovan-cli costs FILE [--set KEY=VALUE ...] [--json]\n";
        return kExitUsage;
    }
    // KEY=VALUE lines into the nine fields.
    std::map<int, std::string> changes;
    const auto& keys = schema::CostKeys();
    size_t start = 0;
    const std::string& sets = o["set"];
    while (start < sets.size()) {
        size_t end = sets.find('\n', start);
        std::string item =
            sets.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? sets.size() : end + 1;
        size_t eq = item.find('=');
        int field = -1;
        for (size_t k = 0; eq != std::string::npos && k < keys.size(); ++k)
            if (keys[k] == item.substr(0, eq)) field = static_cast<int>(k);
        if (field < 0) {
            err << "strovan-cli: --set wants KEY=VALUE with KEY one of CrewPlot, CntPlot, Trav, "
                   "CrewTree, "
                   "TreeTally, Tree3P, TreeMeas, Paint, TreePaint\n";
            return kExitUsage;
        }
        changes[field] = item.substr(eq + 1);
    }

    const std::string& path = pos[0];
    auto ui = MakeCommandUi(opts, out, err);
    bool ok = false;
    app::CostValues values;
    if (changes.empty()) {
        // Showing the costs is looking at the file: it stays as it is.
        Look look;
        ok = LookAt(*ui, path, look);
        if (ok) values = app::ReadCostValues(*look.storage);
    } else {
        app::CMainDialog dlg(*ui);
        dlg.SetFilePath(path);
        dlg.OnInitDialog();
        if (!dlg.FilePath().empty()) {
            ui->PushCosts([&](ui::CostsForm& form) {
                for (const auto& [field, value] : changes) form.Values()[field] = value;
                return form.OnOk();
            });
            // Only a commit that landed counts as done.
            ok = dlg.OnCosts();
        }
        Look look;
        ui::ScriptedUi quiet;
        if (LookAt(quiet, path, look)) values = app::ReadCostValues(*look.storage);
    }
    if (opts.json) {
        JsonWriter j(out);
        j.BeginObject().Field("file", path).Field(changes.empty() ? "ok" : "saved", ok);
        JsonCosts(j, values);
        j.Messages("messages", ui->Messages()).EndObject();
    } else if (ok || !changes.empty()) {
        out << "Relative cruising costs:\n";
        PrintCosts(values, out);
    }
    return ok ? kExitOk : kExitFailure;
}

CommandRegistrar info_reg{Command{
    .name = "info",
    .synopsis = "info FILE",
    .summary = "check a cruise file and show its sale, workflow settings and costs (never changes it)",
    .run = RunInfo,
    .details = "A file of an older structure is named with the way to update it (strovan-cli update).\n",
    .arguments = {{"FILE", "", "the cruise file (.crz)"}}}};
CommandRegistrar new_reg{Command{
    .name = "new",
    .synopsis = "new --setup STP --sale N [OPTIONS] OUT",
    .summary = "create a cruise file from a setup file",
    .run = RunNew,
    .arguments = {{"OUT", "", "the cruise file to create (.crz)"}},
    .options = {{"--setup", "STP", "setup file the new cruise file is made from (required)"},
                {"--sale", "N", "sale number, at most 5 characters (required)"},
                {"--cruise", "N", "cruise number"},
                {"--year", "Y", "calendar year"},
                {"--region", "R", "region, at most 2 characters (default: the setup file's)"},
                {"--forest", "F", "forest, at most 2 characters (default: the setup file's)"},
                {"--district", "D", "district, at most 2 characters (default: the setup file's)"},
                {"--name", "NAME", "sale name, at most 25 characters"},
                {"--uom", "01|03", "unit of measure: 01 board feet, 03 cubic feet (default 03)"},
                {"--force", "", "replace OUT when it exists already"}}}};
CommandRegistrar costs_reg{Command{
    .name = "costs",
    .synopsis = "costs FILE [--set KEY=VALUE ...]",
    .summary = "show or change the relative cruising costs of a cruise file",
    .run = RunCosts,
    .details = "Keys: CrewPlot, CntPlot, Trav, CrewTree, TreeTally, Tree3P, TreeMeas (digits only),\n"
               "      Paint, TreePaint (any text; its leading number counts)\n"
               "Exit status 0 only when the change was saved.\n",
    .arguments = {{"FILE", "", "the cruise file (.crz)"}},
    .options = {{"--set", "KEY=VALUE", "change one cost setting (repeat for more)"}}}};

}  // namespace
}  // namespace cli
