// simulate: how sure the design is. The design is cruised many times over against the
// recon plots and trees of the file; the file is opened read-only and never changed.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <ostream>
#include <string>

#include "command_line.h"
#include "commands.h"
#include "grid/grid_export.h"
#include "json_writer.h"
#include "mk/mk.h"
#include "simulate/population.h"
#include "simulate/result_table.h"
#include "simulate/simulate.h"
#include "stats/recon_tables.h"
#include "store/config.h"
#include "store/schema.h"
#include "store/value_rules.h"

namespace cli {

namespace {

constexpr const char* kUsage =
    "usage: strovan-cli simulate FILE.crz [--replicates 1000] [--seed N] [--target E] [--threads N] [--json] "
    "[--csv OUT]\n";

struct Args {
    std::string file, csv;
    simulate::Options options;
};

bool Integer(const std::string& text, long long lo, long long hi, long long& out) {
    if (text.empty() || text[0] == '-' || text[0] == '+') return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || v < static_cast<unsigned long long>(lo) ||
        v > static_cast<unsigned long long>(hi))
        return false;
    out = static_cast<long long>(v);
    return true;
}

bool Parse(const std::vector<std::string>& args, Args& a, std::string& error) {
    const bool read = ReadOptionsAndFile(args, a.file, error, [&](OptionCursor& at) {
        const std::string& name = at.Name();
        std::string v;
        if (name != "--replicates" && name != "--seed" && name != "--target" && name != "--threads" &&
            name != "--csv")
            return OptionRead::Unknown;
        if (!at.Value(v)) return OptionRead::Failed;
        long long n = 0;
        if (name == "--replicates") {
            if (!Integer(v, 1, 1000000, n)) error = "--replicates wants a whole number from 1 to 1000000";
            a.options.replicates = static_cast<int>(n);
        } else if (name == "--threads") {
            if (!Integer(v, 1, 256, n)) error = "--threads wants a whole number from 1 to 256";
            a.options.threads = static_cast<int>(n);
        } else if (name == "--seed") {
            errno = 0;
            char* end = nullptr;
            a.options.seed = std::strtoull(v.c_str(), &end, 10);
            if (v.empty() || v[0] == '-' || *end != '\0' || errno == ERANGE)
                error = "--seed wants a whole number from 0 to 18446744073709551615";
        } else if (name == "--target") {
            // The target of the design form's optimisation, by the same rule.
            const store::CheckedValue typed = store::Check(store::rules::kTargetError, v);
            if (!typed.ok()) error = "--target: " + typed.refusal;
            else a.options.target = typed.number;
        } else {
            a.csv = v;
        }
        return error.empty() ? OptionRead::Read : OptionRead::Failed;
    });
    if (read && a.file.empty()) error = "no cruise file given";
    return error.empty();
}

void WriteSummary(JsonWriter& j, const simulate::Summary& s) {
    j.Field("true_volume", s.truth).Field("design_error", s.designError).Field("mean_estimate", s.meanEstimate);
    j.Field("relative_bias", s.relativeBias).Field("relative_sd", s.relativeSd).Field("coverage", s.coverage);
    j.Field("mean_error", s.meanError).Field("error_median", s.errorMedian).Field("error_p5", s.errorP5);
    j.Field("error_p95", s.errorP95).Field("meets_design", s.meetsDesign).Field("meets_target", s.meetsTarget);
    j.Field("deviation_p5", s.deviationP5).Field("deviation_p95", s.deviationP95);
}

void WriteJson(std::ostream& out, const Args& a, const simulate::Result& r, const std::string& uom,
               const std::string& failure, const ui::ScriptedUi& ui) {
    JsonWriter j(out);
    j.BeginObject().Field("file", a.file).Field("ok", failure.empty());
    if (!failure.empty()) j.Field("error", failure);
    j.Field("uom", uom).Field("replicates", r.replicates).Field("seed", std::to_string(a.options.seed));
    j.Field("target", a.options.target);
    if (failure.empty()) {
        j.Field("sentence", simulate::MeetsTargetSentence(r));
        j.Key("sale").BeginObject();
        WriteSummary(j, r.sale);
        j.Key("errors").BeginArray();
        for (const auto& [error, count] : r.sale.errors.Values())
            j.BeginArray().Double(error).Int(count).EndArray();
        j.EndArray().EndObject();
        j.Key("left_out").BeginArray();
        for (const std::string& c : r.leftOut) j.String(c);
        j.EndArray();
        j.Key("strata").BeginArray();
        for (const simulate::StratumResult& s : r.strata) {
            j.BeginObject().Field("stratum", s.code).Field("method", s.method).Field("simulated", s.problem.empty());
            if (!s.problem.empty()) j.Field("problem", s.problem);
            if (!s.note.empty()) j.Field("note", s.note);
            j.Field("recon_plots", s.reconPlots).Field("recon_trees", s.reconTrees);
            if (s.problem.empty()) WriteSummary(j, s.summary);
            else j.Field("design_error", s.summary.designError);
            j.EndObject();
        }
        j.EndArray();
        if (!a.csv.empty()) j.Field("csv", a.csv);
    }
    j.Messages("messages", ui.Messages()).EndObject();
}

int Run(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
    CommonOptions opts;
    Args a;
    if (!ReadCommandLine(argv, opts, a, Parse, err, kUsage)) return kExitUsage;
    auto ui = MakeCommandUi(opts, out, err);

    simulate::Result result;
    result.options = a.options;
    std::string uom = schema::kUomCubicFeet, failure;
    auto storage = mk::Storage::Open(a.file, mk::OpenMode::ReadOnly);
    if (!storage) {
        failure = storage.error().message;
    } else {
        uom = store::GetSetting(*storage, schema::kBlockStrovan, schema::kKeyUOM).value_or(schema::kUomCubicFeet);
        design::Design d;
        if (storage->HasView(schema::kSVDesignTable))
            d.strata = stats::ReadDesignRows(storage->GetView(schema::kSVDesignTable));
        if (storage->HasView(schema::kSVDesignSgTable))
            d.groups = stats::ReadDesignSgRows(storage->GetView(schema::kSVDesignSgTable));
        const simulate::Population pop = simulate::BuildPopulation(*storage, d, uom);
        result = simulate::Run(pop, a.options);
        failure = result.problem;
    }
    if (failure.empty() && !a.csv.empty()) {
        grid::GridModel g;
        simulate::FillResultGrid(g, result, uom);
        std::string why;
        if (!grid::SaveCsv(g, a.csv, why)) failure = why;
    }
    if (opts.json) {
        WriteJson(out, a, result, uom, failure, *ui);
    } else if (!failure.empty()) {
        err << "simulate: " << failure << '\n';
    } else {
        simulate::WriteResultText(out, result, uom);
    }
    return failure.empty() ? kExitOk : kExitFailure;
}

const CommandRegistrar reg{Command{
    .name = "simulate",
    .synopsis = "simulate FILE.crz [--replicates 1000] [--seed N] [--target E] [--threads N] [--csv OUT]",
    .summary = "simulate the design's cruise from the recon data: how often it meets the target error",
    .run = Run,
    .details = "Cruises the file's current design many times over against its recon plots and trees\n"
               "and tells how often the sale error meets the target, how far the achieved errors\n"
               "spread, and how often the estimate plus or minus its error holds the recon's volume.\n"
               "The file is only read.\n"
               "\n"
               "Exit status: 0 simulated, 1 the file cannot be read or nothing in it can be\n"
               "simulated, 2 a wrong command line.\n",
    .arguments = {{"FILE.crz", "", "the cruise file, compiled, with its recon plots and trees"}},
    .options = {{"--replicates", "N", "simulated cruises (1 to 1000000; default 1000)"},
                {"--seed", "N", "seed of the random draws (default 1); a seed gives the same numbers whatever the "
                                "number of threads"},
                {"--target", "E", "sale error (percent) the contract asks for (default 10)"},
                {"--threads", "N", "threads to use (1 to 256; default every core)"},
                {"--csv", "OUT", "also write the per-stratum table as comma-separated text"}}}};

}  // namespace

}  // namespace cli
