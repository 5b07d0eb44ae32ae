// run: the whole design of a sale from a recon cruise, the way a forester works it
// through the program: a new cruise file, the recon import, strata by groups of
// units, sample groups by species and product, relative costs, the compilation, an
// optimised design for the target sale error, the design summary, the field file.
// Every step is one of the program's own commands, run in-process on the file.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/bundled_files.h"
#include "command_line.h"
#include "commands.h"
#include "design/rows.h"
#include "design/stratum.h"
#include "json_writer.h"
#include "mk/mk.h"
#include "store/config.h"
#include "store/cruise_store.h"
#include "store/schema.h"

namespace fs = std::filesystem;

namespace cli {
namespace {

constexpr const char* kUsage =
    "usage: strovan-cli run [--example | --svz FILE --sale N] [--cruise N] [--year Y] [--region R]\n"
    "                       [--forest F] [--district D] [--name NAME] [--uom 01|03] [--cost KEY=VALUE]...\n"
    "                       [--out DIR] [--error PERCENT] [--setup STP] [--json]\n";

// The example's identity, and the relative costs of a typical two-person crew.
const std::vector<std::pair<std::string, std::string>> kExampleIdentity = {
    {"sale", "54321"}, {"name", "Cedar Flats"}, {"uom", "03"}};
const std::vector<std::pair<std::string, std::string>> kExampleCosts = {
    {"CrewPlot", "90"}, {"CntPlot", "6"},  {"Trav", "12"},      {"CrewTree", "90"}, {"TreeTally", "250"},
    {"Tree3P", "80"},   {"TreeMeas", "15"}, {"Paint", "14.50"}, {"TreePaint", "60"}};

// A bundled file, found beside the program; its name under the data folder when
// missing, so that the message names what is missing.
std::string Bundled(const std::string& rel) {
    std::string found = app::BundledFile(rel);
    return found.empty() ? rel : found;
}

struct StepResult {
    int code = 0;
    std::string out, err;
    double seconds = 0;
};

// Runs one command in-process. A step that runs over a second gets a moving bar on
// a terminal, so the user sees the program is at work.
StepResult RunStep(const std::string& label, const std::vector<std::string>& args, bool show_bar) {
    StepResult r;
    std::ostringstream out, err;
    std::atomic<bool> done{false};
    auto start = std::chrono::steady_clock::now();
    std::thread worker([&] {
        r.code = RunCli(args, out, err);
        done = true;
    });
    bool drew = false;
    if (show_bar) {
        int tick = 0;
        while (!done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (s < 1.0 || done) continue;
            const int width = 24;
            std::string bar(width, ' ');
            for (int i = 0; i < 5; ++i) bar[(tick + i) % width] = '=';
            ++tick;
            std::fprintf(stderr, "\r  %-34s [%s] %5.1f s", label.c_str(), bar.c_str(), s);
            std::fflush(stderr);
            drew = true;
        }
    }
    worker.join();
    if (drew) {
        std::fprintf(stderr, "\r%*s\r", 72, "");
        std::fflush(stderr);
    }
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.out = out.str();
    r.err = err.str();
    return r;
}

struct StratumLine {
    std::string code, method, units;
    double acres = 0, error = 0, cost = 0;
    int n = 0, n2 = 0;
    int groups = 0;
};

struct DesignResult {
    std::vector<StratumLine> strata;
    double sale_error = 0;
    double cost = 0;
    bool ok = false;
};

DesignResult ReadDesign(const std::string& path) {
    DesignResult d;
    auto st = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
    if (!st) return d;
    mk::View strata = st->GetView(schema::kSVDesignTable);
    mk::View groups = st->GetView(schema::kSVDesignSgTable);
    std::map<std::string, int> group_count;
    for (int r = 0; r < groups.RowCount(); ++r) ++group_count[groups.GetString(r, "Stratum")];
    std::vector<design::StratumRow> rows;
    for (int r = 0; r < strata.RowCount(); ++r) {
        StratumLine s;
        s.code = strata.GetString(r, "Stratum");
        s.method = strata.GetString(r, "CruzMeth");
        s.units = strata.GetString(r, "Units");
        s.acres = strata.GetDouble(r, "TotAcres");
        s.error = strata.GetDouble(r, "Error");
        s.cost = strata.GetDouble(r, "StrCost");
        s.n = strata.GetInt(r, "SumN");
        s.n2 = strata.GetInt(r, "SumN2");
        s.groups = group_count[s.code];
        design::StratumRow row;
        row.stratum = s.code;
        row.error = s.error;
        row.strCost = s.cost;
        row.volAcre = strata.GetDouble(r, "Vol/Acre");
        row.totAcres = s.acres;
        rows.push_back(row);
        d.strata.push_back(s);
    }
    design::SaleTotals totals = design::SaleErrorAndCost(rows);
    d.sale_error = totals.error;
    d.cost = totals.cost;
    d.ok = !d.strata.empty();
    return d;
}

// What Optimize At Least Cost makes of the compiled design with the same methods and
// target, beside what Optimize For Error makes of it. Worked on a copy, so that the
// cruise file keeps the design of Optimize For Error.
struct LeastCost {
    bool ok = false;
    double cost = 0, saleError = 0, ruleCost = 0;
    std::string text;
};

// The number of `key` after `from` in the design command's JSON; none when it is
// missing or not a finite number, so that a figure is never shown as 0 in its place.
std::optional<double> NumberAfter(const std::string& json, std::size_t from, const std::string& key) {
    const auto at = json.find("\"" + key + "\": ", from);
    if (at == std::string::npos) return std::nullopt;
    const char* begin = json.c_str() + at + key.size() + 4;
    char* end = nullptr;
    const double v = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(v) || (*end != ',' && *end != '\n' && *end != '}')) return std::nullopt;
    return v;
}

LeastCost LeastCostOf(const std::string& crz, const std::vector<std::string>& methods, const std::string& error) {
    LeastCost r;
    const fs::path copy = fs::path(crz).parent_path() / ".least-cost.crz";
    std::error_code ec;
    fs::copy_file(crz, copy, fs::copy_options::overwrite_existing, ec);
    if (ec) return r;
    std::vector<std::string> cmd = {"design", copy.string()};
    for (const auto& m : methods) {
        cmd.push_back("--method");
        cmd.push_back(m);
    }
    for (const char* a : {"--optimize-cost", error.c_str(), "--exit", "--yes", "--json"}) cmd.push_back(a);
    std::ostringstream out, err;
    const int code = RunCli(cmd, out, err);
    fs::remove(copy, ec);
    const std::string json = out.str();
    const auto at = json.find("\"least_cost\": {");
    if (code != kExitOk || at == std::string::npos) return r;
    const auto cost = NumberAfter(json, at, "cost"), saleError = NumberAfter(json, at, "sale_error"),
               ruleCost = NumberAfter(json, at, "optimize_for_error_cost");
    if (!cost || !saleError || !ruleCost) return r;
    r.ok = true;
    r.cost = *cost;
    r.saleError = *saleError;
    r.ruleCost = *ruleCost;
    const auto text = json.find("\"text\": \"", at);
    if (text != std::string::npos) {
        const auto begin = text + 9;
        r.text = json.substr(begin, json.find('"', begin) - begin);
    }
    return r;
}

std::string MethodName(const std::string& m) {
    static const std::map<std::string, std::string> names = {
        {"100", "100 % cruise"},         {"STR", "sample tree"},          {"3P", "3P"},
        {"S3P", "STR then 3P"},          {"FIX", "fixed plots"},          {"F3P", "fixed plots, 3P"},
        {"FCM", "fixed count/measure"},  {"PNT", "points"},               {"P3P", "points, 3P"},
        {"PCM", "point count/measure"},  {"PCMTRE", "point count/measure"}, {"3PPNT", "3P points"}};
    auto it = names.find(m);
    return it == names.end() ? m : it->second;
}

int Run(const std::vector<std::string>& in, std::ostream& out, std::ostream& err) {
    std::vector<std::string> args = in;
    CommonOptions opts;
    std::string problem;
    if (!CommonOptions::Extract(args, opts, problem)) return UsageError(err, problem, kUsage);
    std::string svz, out_dir = "strovan-run", error = "10", setup = Bundled("setup/default.stp");
    bool example = false;
    // Identification for `new` and relative costs for `costs`, in the order given.
    std::map<std::string, std::string> identity;
    std::vector<std::pair<std::string, std::string>> costs;
    const std::set<std::string> identityOptions = {"sale", "cruise", "year", "region", "forest", "district",
                                                   "name", "uom"};
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        bool ok = true;
        if (a == "--example") example = true;
        else if (a == "--svz") ok = value(svz);
        else if (a == "--out") ok = value(out_dir);
        else if (a == "--error") ok = value(error);
        else if (a == "--setup") ok = value(setup);
        else if (a.rfind("--", 0) == 0 && identityOptions.count(a.substr(2))) ok = value(identity[a.substr(2)]);
        else if (a == "--cost") {
            std::string kv;
            ok = value(kv);
            auto eq = kv.find('=');
            const auto& keys = schema::CostKeys();
            if (ok && (eq == std::string::npos || std::find(keys.begin(), keys.end(), kv.substr(0, eq)) == keys.end())) {
                err << "strovan-cli: run: --cost wants KEY=VALUE with KEY one of CrewPlot, CntPlot, Trav, CrewTree, "
                       "TreeTally, Tree3P, TreeMeas, Paint, TreePaint\n";
                return kExitUsage;
            }
            if (ok) costs.emplace_back(kv.substr(0, eq), kv.substr(eq + 1));
        } else ok = false;
        if (!ok) {
            err << "strovan-cli: run: unexpected '" << a << "'\n" << kUsage;
            return kExitUsage;
        }
    }
    if (example == !svz.empty()) {
        err << "strovan-cli: run: give either --example or --svz FILE\n" << kUsage;
        return kExitUsage;
    }
    // A sale of one's own is never stamped with the example's number and name.
    if (!example && identity["sale"].empty()) {
        err << "strovan-cli: run: --svz needs --sale N, the sale number of the new cruise file\n" << kUsage;
        return kExitUsage;
    }
    if (example) {
        for (const auto& [k, v] : kExampleIdentity) identity.emplace(k, v);
        std::vector<std::pair<std::string, std::string>> given = std::move(costs);
        costs = kExampleCosts;
        for (const auto& [k, v] : given) {
            auto it = std::find_if(costs.begin(), costs.end(), [&](const auto& c) { return c.first == k; });
            it->second = v;
        }
    }
    if (!identity.count("uom")) identity["uom"] = "03";
    if (example) svz = Bundled("examples/sale.svz");
    double target = 0;
    if (!store::WholeNumber(error, target) || !(target > 0 && target < 100)) {
        err << "strovan-cli: run: --error wants a percentage above 0 and below 100\n";
        return kExitUsage;
    }
    if (!fs::exists(svz)) {
        err << "strovan-cli: run: the recon file " << svz << " does not exist\n";
        return kExitFailure;
    }
    std::error_code ec;
    fs::create_directories(out_dir, ec);
    if (ec) {
        err << "strovan-cli: run: cannot make the folder " << out_dir << ": " << ec.message() << '\n';
        return kExitFailure;
    }
    const std::string crz = (fs::path(out_dir) / "sale.crz").string();
    const std::string field = (fs::path(out_dir) / "sale_field.crz").string();
    const std::string text = (fs::path(out_dir) / "summary.txt").string();
    const std::string pdf = (fs::path(out_dir) / "summary.pdf").string();

    const bool bar = !opts.json && isatty(STDERR_FILENO);
    struct Done {
        std::string step, line;
        double seconds;
    };
    std::vector<Done> done;
    int step_no = 0;
    const int steps = 9;
    // One line per step; a failed step ends the run with what the command said.
    auto step = [&](const std::string& label, std::vector<std::string> cmd,
                    const std::function<std::string()>& describe) {
        ++step_no;
        StepResult r = RunStep(label, cmd, bar);
        if (r.code != kExitOk) {
            err << "strovan-cli: run: step " << step_no << " (" << label << ") failed:\n" << r.err << r.out;
            return false;
        }
        std::string line = describe();
        done.push_back({label, line, r.seconds});
        if (!opts.json) {
            char head[64];
            std::snprintf(head, sizeof head, "[%d/%d] ", step_no, steps);
            out << head << line;
            if (r.seconds >= 1.0) {
                char t[32];
                std::snprintf(t, sizeof t, " (%.1f s)", r.seconds);
                out << t;
            }
            out << '\n' << std::flush;
        }
        return true;
    };
    auto count_rows = [&](const char* table) {
        auto st = mk::Storage::Open(crz, mk::OpenMode::ReadOnly);
        return st ? st->GetView(table).RowCount() : 0;
    };

    std::vector<std::string> create = {"new", "--setup", setup};
    for (const auto& [k, v] : identity) {
        create.push_back("--" + k);
        create.push_back(v);
    }
    for (const std::string& a : {std::string("--force"), std::string("--json"), crz}) create.push_back(a);
    if (!step("Create the cruise file", create,
              [&] { return "Cruise file " + crz + " made from " + fs::path(setup).filename().string(); }))
        return kExitFailure;
    if (!step("Import the recon", {"import", crz, svz, "--json"}, [&] {
            return "Recon imported: " + std::to_string(count_rows(schema::kTreeTable)) + " trees on " +
                   std::to_string(count_rows(schema::kPlotTable)) + " plots in " +
                   std::to_string(count_rows(schema::kCuttingUnitTable)) + " units";
        }))
        return kExitFailure;
    if (!step("Prepare the setup tables", {"setup", crz, "--accept", "--yes", "--json"}, [&] {
            return "Setup tables built: " + std::to_string(count_rows(schema::kSVSummaryTable)) +
                   " populations (unit, species, product, live/dead)";
        }))
        return kExitFailure;

    // One stratum per recon stratum: the forester's groups of units of one stand type.
    // The recon's own method is the forester's first choice for the design: points
    // stay points, fixed plots stay fixed plots, a 100 % stratum stays 100 %.
    std::vector<std::pair<std::string, std::string>> groups;
    std::vector<std::string> methods;
    {
        auto st = mk::Storage::Open(crz, mk::OpenMode::ReadOnly);
        if (st) {
            mk::View rs = st->GetView(schema::kStratumTable);
            for (int r = 0; r < rs.RowCount(); ++r) {
                groups.emplace_back(rs.GetString(r, "Stratum"), rs.GetString(r, "Units"));
                std::string m = rs.GetString(r, "CruzMeth");
                if (!m.empty()) methods.push_back(rs.GetString(r, "Stratum") + "=" + m);
            }
        }
    }
    if (groups.empty()) {
        err << "strovan-cli: run: the recon holds no strata\n";
        return kExitFailure;
    }
    ++step_no;
    double strata_seconds = 0;
    for (const auto& [code, units] : groups) {
        // Each stratum gets its sample groups in the same run: its OK refuses groups
        // that mix products.
        StepResult r = RunStep("Define strata",
                               {"strata", crz, "--define", code, "--units", units, "--sample-groups",
                                "tree=species,product", "plot=species,product", "--json"},
                               bar);
        strata_seconds += r.seconds;
        if (r.code != kExitOk) {
            err << "strovan-cli: run: step " << step_no << " (Define strata) failed on stratum " << code << ":\n"
                << r.err << r.out;
            return kExitFailure;
        }
    }
    {
        std::string line = "Strata defined by groups of units:";
        for (const auto& [code, units] : groups) line += " " + code + " (units " + units + ")";
        done.push_back({"Define strata", line, strata_seconds});
        if (!opts.json) out << "[" << step_no << "/" << steps << "] " << line << '\n' << std::flush;
    }
    if (!step("Define sample groups",
              {"sample-groups", crz, "--quick", "tree=species,product", "plot=species,product", "--json"}, [&] {
                  std::set<std::string> sg;
                  auto st = mk::Storage::Open(crz, mk::OpenMode::ReadOnly);
                  if (st) {
                      mk::View s = st->GetView(schema::kSVSummaryTable);
                      for (int r = 0; r < s.RowCount(); ++r)
                          sg.insert(s.GetString(r, "Stratum") + "/" + s.GetString(r, "SgTree"));
                  }
                  return "Sample groups by species and product: " + std::to_string(sg.size()) + " groups in " +
                         std::to_string(groups.size()) + " strata";
              }))
        return kExitFailure;
    std::vector<std::string> costs_cmd = {"costs", crz};
    for (const auto& [k, v] : costs) {
        costs_cmd.push_back("--set");
        costs_cmd.push_back(k + "=" + v);
    }
    costs_cmd.push_back("--json");
    auto costs_line = [&] {
        if (costs.empty()) return std::string("Relative costs: none given, so every cost is 0 (see --cost)");
        std::string line = "Relative costs set:";
        for (const auto& [k, v] : costs) line += " " + k + "=" + v;
        return line;
    };
    if (costs.empty()) {
        ++step_no;
        done.push_back({"Set relative costs", costs_line(), 0});
        if (!opts.json) out << "[" << step_no << "/" << steps << "] " << costs_line() << '\n' << std::flush;
    } else if (!step("Set relative costs", costs_cmd, costs_line)) {
        return kExitFailure;
    }
    if (!step("Compile the recon", {"compile", crz, "--json"}, [&] {
            return "Recon compiled: " + std::to_string(count_rows(schema::kSVMethodsSgTable)) +
                   " method rows for every stratum and sample group";
        }))
        return kExitFailure;
    const LeastCost least = LeastCostOf(crz, methods, error);
    std::vector<std::string> design_cmd = {"design", crz};
    for (const auto& m : methods) {
        design_cmd.push_back("--method");
        design_cmd.push_back(m);
    }
    for (const std::string& a : {std::string("--optimize"), error, std::string("--return"), std::string("--yes"),
                                 std::string("--json")})
        design_cmd.push_back(a);
    if (!step("Optimise the design", design_cmd, [&] {
            std::string chosen;
            for (const auto& m : methods) chosen += (chosen.empty() ? "" : ", ") + m;
            return "Methods chosen (" + chosen + "), sample sizes optimised for a sale error of " + error + " %";
        }))
        return kExitFailure;
    if (!step("Design summary and field file", {"report", crz, "--kind", "summary", "--text", text, "--pdf", pdf, "--json"},
              [&] { return "Design summary written: " + text + ", " + pdf; }))
        return kExitFailure;
    {
        StepResult r = RunStep("Write the field file", {"field-file", crz, field, "--yes", "--json"}, bar);
        if (r.code != kExitOk) {
            err << "strovan-cli: run: writing the field file failed:\n" << r.err << r.out;
            return kExitFailure;
        }
        std::string line = "Field cruise file written: " + field;
        done.push_back({"Write the field file", line, r.seconds});
        if (!opts.json) out << "      " << line << '\n';
    }

    DesignResult d = ReadDesign(crz);
    if (!d.ok) {
        err << "strovan-cli: run: the design tables of " << crz << " are empty\n";
        return kExitFailure;
    }
    if (opts.json) {
        JsonWriter w(out);
        w.BeginObject();
        w.Key("steps").BeginArray();
        for (const auto& s : done) w.BeginObject().Field("step", s.step).Field("result", s.line).Field("seconds", s.seconds).EndObject();
        w.EndArray();
        w.Key("strata").BeginArray();
        for (const auto& s : d.strata)
            w.BeginObject()
                .Field("stratum", s.code)
                .Field("method", s.method)
                .Field("units", s.units)
                .Field("acres", s.acres)
                .Field("sampleGroups", s.groups)
                .Field("sampleSize", s.n)
                .Field("secondStageSize", s.n2)
                .Field("error", s.error)
                .Field("cost", s.cost)
                .EndObject();
        w.EndArray();
        w.Field("saleError", d.sale_error);
        w.Field("targetError", target);
        w.Field("cost", d.cost);
        if (least.ok) {
            w.Key("leastCost").BeginObject().Field("cost", least.cost).Field("saleError", least.saleError);
            w.Field("optimizeForErrorCost", least.ruleCost).Field("text", least.text).EndObject();
        }
        w.Field("cruiseFile", crz).Field("fieldFile", field).Field("summaryText", text).Field("summaryPdf", pdf);
        w.EndObject();
        return kExitOk;
    }
    out << "\nThe design of " << fs::path(crz).filename().string() << ":\n";
    char buf[256];
    std::snprintf(buf, sizeof buf, "  %-7s %-22s %-16s %7s %6s %11s %7s %10s\n", "Stratum", "Method", "Units", "Acres",
                  "Groups", "Sample size", "Error %", "Cost $");
    out << buf;
    for (const auto& s : d.strata) {
        std::string size = std::to_string(s.n) + (s.n2 > 0 ? " + " + std::to_string(s.n2) : "");
        std::string units = s.units.size() > 16 ? s.units.substr(0, 15) + "~" : s.units;
        std::snprintf(buf, sizeof buf, "  %-7s %-22s %-16s %7.1f %6d %11s %7.2f %10.0f\n", s.code.c_str(),
                      (s.method + " " + MethodName(s.method)).c_str(), units.c_str(), s.acres, s.groups,
                      size.c_str(), s.error, s.cost);
        out << buf;
    }
    std::snprintf(buf, sizeof buf, "Sale error %.2f %% (target %s %%), estimated cruise cost $%.0f.\n", d.sale_error,
                  error.c_str(), d.cost);
    out << buf;
    if (least.ok) {
        std::snprintf(buf, sizeof buf, " (sale error %.2f %%)", least.saleError);
        out << least.text << buf << ".\n";
    } else {
        out << "Optimize At Least Cost found no design that reaches " << error << " %.\n";
    }
    return kExitOk;
}

CommandRegistrar run_reg{Command{
    .name = "run",
    .synopsis = "run [--example | --svz FILE --sale N] [--out DIR] [--error 10]",
    .summary = "design a cruise from a recon cruise, start to finish",
    .run = Run,
    .details = "Creates a cruise file from the setup file, imports the recon, defines one stratum per recon\n"
               "stratum (its group of units) and sample groups by species and product, sets relative costs,\n"
               "compiles, optimises the sample sizes for the target sale error, and writes the design\n"
               "summary (text and PDF) and the field cruise file; states what Optimize At Least Cost\n"
               "would cost for the same target.\n",
    .options = {{"--example", "", "the bundled example sale (examples/sale.svz), sale 54321 Cedar Flats, with the "
                                  "relative costs of a typical two-person crew"},
                {"--svz", "FILE", "a recon cruise of your own; --sale is then required"},
                {"--sale", "N", "sale number of the new cruise file"},
                {"--cruise", "N", "cruise number"},
                {"--year", "Y", "year"},
                {"--region", "R", "region"},
                {"--forest", "F", "forest"},
                {"--district", "D", "district"},
                {"--name", "NAME", "sale name"},
                {"--uom", "01|03", "unit of measure: 01 board feet, 03 cubic feet"},
                {"--cost", "KEY=VALUE",
                 "a relative cost, as costs --set takes it (CrewPlot, CntPlot, Trav, CrewTree, TreeTally, Tree3P, "
                 "TreeMeas, Paint, TreePaint); costs not given are the example's with --example and 0 otherwise"},
                {"--out", "DIR", "where the files go (default: strovan-run)"},
                {"--error", "PERCENT", "target sale error (default 10)"},
                {"--setup", "STP", "setup file (default: the bundled default.stp)"}}}};

}  // namespace
}  // namespace cli
