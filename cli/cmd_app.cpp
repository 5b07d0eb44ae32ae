// The shell's commands: a cruise file's summary and settings, creating a cruise file
// from a setup file, and the relative cruising costs. They run the program's own
// workflow with a console UI, so they pass the same checks and say the same things.
#include <cstdio>
#include <map>
#include <ostream>

#include "app/costs_dialog.h"
#include "app/cruise_file.h"
#include "app/main_dialog.h"
#include "app/settings.h"
#include "commands.h"
#include "mk/mk.h"
#include "store/config.h"
#include "store/file_checker.h"
#include "store/schema.h"
#include "ui/console_ui.h"

namespace cli {

namespace {

using Options = std::map<std::string, std::string>;

// "--name value" pairs into `opts` (repeated --set joined by newlines); the rest are
// positional. False on an option without its value or one not in `known`.
bool ParseArgs(const std::vector<std::string>& args, const std::vector<std::string>& known,
               Options& opts, std::vector<std::string>& positional, std::ostream& err) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            positional.push_back(a);
            continue;
        }
        std::string name = a.substr(2);
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

// The file check the program runs on a cruise file given to it.
bool CheckCruise(ui::UiPort& ui, const std::string& path) {
    store::CFileChecker checker(ui, "");
    int result = checker.CheckCruiseFile(path, ".crz");
    if (result == 1) app::ReportNotCruiseFile(ui, path);
    return result == 0;
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

app::CostValues ReadCosts(mk::Storage& storage) {
    if (!storage.HasView(schema::kGlobalConfigurationTable)) return {};
    return app::ReadCostValues(storage.GetView(schema::kGlobalConfigurationTable));
}

int RunInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        err << "usage: strovan-cli info FILE\n";
        return kExitUsage;
    }
    const std::string& path = args[0];
    ui::ConsoleUi ui(out, err);
    if (!CheckCruise(ui, path)) return kExitFailure;
    // Looking is not working on the file: read-only, so the last writer the field and
    // processing programs rely on stays as it is.
    auto storage = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
    if (!storage) {
        app::ReportNotCruiseFile(ui, path);
        return kExitFailure;
    }
    auto setting = [&](const char* block, const char* key) {
        return store::GetSetting(*storage, block, key);
    };
    std::string uom =
        setting(schema::kBlockStrovan, schema::kKeyUOM).value_or(schema::kUomCubicFeet);
    if (storage->GetView(schema::kCruiseTable).RowCount() > 0)
        app::ShowSaleSummary(ui, *storage, uom);
    else
        ui.Warning("Missing Cruise Information.");
    const std::pair<const char*, const char*> shown[] = {
        {schema::kBlockStrovan, schema::kKeyType},
        {schema::kBlockStrovan, schema::kKeyUpdateFlag},
        {schema::kBlockStrovan, schema::kKeyUOM},
        {schema::kBlockGeneral, schema::kKeyMRU},
        {schema::kBlockGeneral, schema::kKeyDirtyFlag},
        {schema::kBlockGeneral, schema::kKeyStructureVersion},
        {schema::kBlockGeneral, schema::kKeySetup}};
    out << "Settings:\n";
    for (const auto& [block, key] : shown)
        out << "  " << block << "/" << key << ": " << setting(block, key).value_or("(none)")
            << '\n';
    out << "Relative cruising costs:\n";
    PrintCosts(ReadCosts(*storage), out);
    return kExitOk;
}

int RunNew(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Options o;
    std::vector<std::string> pos;
    if (!ParseArgs(
            args,
            {"setup", "sale", "cruise", "year", "region", "forest", "district", "name", "uom"}, o,
            pos, err) ||
        pos.size() != 1 || !o.count("setup") || !o.count("sale")) {
        err << "usage: strovan-cli new --setup STP --sale N [--cruise N] [--year Y] [--region R]\n"
               "       [--forest F] [--district D] [--name NAME] [--uom 01|03] OUT\n";
        return kExitUsage;
    }
    if (o.count("uom") && o["uom"] != schema::kUomBoardFeet && o["uom"] != schema::kUomCubicFeet) {
        err << "strovan-cli: --uom must be 01 (board feet) or 03 (cubic feet)\n";
        return kExitUsage;
    }
    ui::ConsoleUi ui(out, err);
    ui.PushFileName(o["setup"]);  // Browse
    ui.PushFileName(pos[0]);      // Save As
    ui.PushNewCruise(ui::ScriptedUi::Submit([&o](ui::NewCruiseForm& form) {
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
    app::CMainDialog dlg(ui);
    dlg.OnCreate();
    if (dlg.FilePath().empty()) return kExitFailure;
    out << "Created " << dlg.FilePath() << '\n';
    return kExitOk;
}

int RunCosts(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Options o;
    std::vector<std::string> pos;
    if (!ParseArgs(args, {"set"}, o, pos, err) || pos.size() != 1) {
        err << "usage: strovan-cli costs FILE [--set KEY=VALUE ...]\n";
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

    ui::ConsoleUi ui(out, err);
    app::CMainDialog dlg(ui);
    dlg.SetFilePath(pos[0]);
    dlg.OnInitDialog();
    if (dlg.FilePath().empty()) return kExitFailure;
    bool saved = changes.empty();
    if (!changes.empty()) {
        ui.PushCosts([&](ui::CostsForm& form) {
            for (const auto& [field, value] : changes) form.Values()[field] = value;
            saved = form.OnOk();
            return saved;
        });
        dlg.OnCosts();
    }
    out << "Relative cruising costs:\n";
    PrintCosts(dlg.ReadCostSettings(), out);
    return saved ? kExitOk : kExitFailure;
}

CommandRegistrar info_reg{
    Command{"info", "info FILE",
            "Check a cruise file and show its sale, workflow settings and costs", RunInfo}};
CommandRegistrar new_reg{Command{"new", "new --setup STP --sale N [...] OUT",
                                 "Create a cruise file from a setup file", RunNew}};
CommandRegistrar costs_reg{Command{"costs", "costs FILE [--set KEY=VALUE ...]",
                                   "Show or change the relative cruising costs of a cruise file",
                                   RunCosts}};

}  // namespace
}  // namespace cli
