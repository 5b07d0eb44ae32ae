// advise-strata: proposals of how to group a sale's units into strata, each priced by
// the program's own compilation and optimisation, beside the current strata; and
// applying one of them.
#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>

#include "advise/advice_table.h"
#include "advise/advisor.h"
#include "app/cruise_file.h"
#include "command_line.h"
#include "commands.h"
#include "json_writer.h"
#include "store/cruise_store.h"
#include "store/file_checker.h"

namespace cli {

namespace {

constexpr const char* kUsage =
    "usage: strovan-cli advise-strata FILE.crz --error E [--max-strata K] [--apply K] [--yes|--no] [--json]\n";

constexpr const char* kDetails =
    "Proposes stratifications of the sale's cutting units into 1 to K strata, each as cheap as the search\n"
    "can make it for the target sale error, and shows beside them the current strata. A unit is never\n"
    "split, units cruised by different recon methods never share a stratum, and every stratum holds at\n"
    "least two recon plots. The plots, sale error and cost of every line come from the program itself:\n"
    "the strata are defined, compiled (sample groups by species and product), given the method of their\n"
    "recon plots and optimised for the target, on a copy of the file that the file never sees.\n\n"
    "--apply asks first, and only --yes answers yes; the file is then changed in one step.\n";

struct AdviseArgs {
    std::string file, error, maxStrata, apply;
};

bool Parse(const std::vector<std::string>& args, AdviseArgs& a, std::string& error) {
    const bool read = ReadOptionsAndFile(args, a.file, error, [&](OptionCursor& at) {
        const std::string& name = at.Name();
        std::string* into = name == "--error"        ? &a.error
                            : name == "--max-strata" ? &a.maxStrata
                            : name == "--apply"      ? &a.apply
                                                     : nullptr;
        if (!into) return OptionRead::Unknown;
        return at.Value(*into) ? OptionRead::Read : OptionRead::Failed;
    });
    if (!read) return false;
    if (a.file.empty()) error = "no cruise file given";
    else if (a.error.empty()) error = "--error is required";
    return error.empty();
}

// A whole number in [lo, hi], or -1.
int Count(const std::string& text, int lo, int hi) {
    double v = 0;
    if (!store::WholeNumber(text, v) || v != static_cast<int>(v) || v < lo || v > hi) return -1;
    return static_cast<int>(v);
}

void JsonOutcome(JsonWriter& j, const advise::Outcome& o) {
    j.Field("ok", o.ok);
    if (!o.ok) j.Field("failure", o.failure);
    j.Field("plots", o.Plots()).Field("saleError", o.saleError).Field("cost", o.cost);
    j.Key("strata").BeginArray();
    for (const auto& s : o.strata)
        j.BeginObject()
            .Field("stratum", s.code)
            .Field("method", s.method)
            .Field("units", s.units)
            .Field("acres", s.acres)
            .Field("sampleGroups", s.groups)
            .Field("sampleSize", s.sumN)
            .Field("secondStageSize", s.sumN2)
            .Field("error", s.error)
            .Field("cost", s.cost)
            .EndObject();
    j.EndArray();
    j.Key("notes").BeginArray();
    for (const auto& n : o.notes) j.String(n);
    j.EndArray();
}

void WriteJson(std::ostream& out, const AdviseArgs& a, const advise::Advice& advice, int applied,
               const std::vector<ui::RecordedMessage>& messages) {
    JsonWriter j(out);
    j.BeginObject().Field("file", a.file);
    if (!advice.error.empty()) j.Field("error", advice.error);
    j.Field("targetError", advice.inputs.target).Field("maxStrata", advice.maxStrata);
    j.Key("units").BeginArray();
    for (const auto& u : advice.profile.units)
        j.BeginObject()
            .Field("unit", u.code)
            .Field("method", u.method)
            .Field("acres", u.acres)
            .Field("plots", u.plots)
            .Field("volumePerAcre", u.VolumePerAcre())
            .EndObject();
    j.EndArray();
    j.Key("current").BeginObject();
    JsonOutcome(j, advice.current);
    j.EndObject();
    j.Key("proposals").BeginArray();
    for (size_t i = 0; i < advice.proposals.size(); ++i) {
        const advise::Proposal& p = advice.proposals[i];
        j.BeginObject().Field("k", p.k).Field("best", static_cast<int>(i) == advice.best);
        j.Field("searchObjective", p.objective);
        if (auto s = advice.Saving(p)) j.Field("saving", *s);
        JsonOutcome(j, p.outcome);
        j.EndObject();
    }
    j.EndArray();
    j.Key("impossible").BeginArray();
    for (int k : advice.impossible) j.Int(k);
    j.EndArray();
    if (!a.apply.empty()) j.Field("applied", applied == advise::kApplied);
    j.Messages("messages", messages).EndObject();
}

void WriteText(std::ostream& out, const AdviseArgs& a, const advise::Advice& advice) {
    out << "Stratification advice for " << a.file << ": target sale error " << advice.inputs.target << " %, 1 to "
        << advice.maxStrata << " strata, " << advice.profile.units.size() << " units with recon.\n\n";
    char buf[160];
    std::snprintf(buf, sizeof buf, "  %5s  %6s  %12s  %9s  %9s\n", "k", "Plots", "Sale error %", "Cost $", "Saving $");
    out << buf;
    const auto lines = advise::AdviceLines(advice);
    for (const auto& l : lines) {
        if (!l.head) continue;
        const auto c = advise::AdviceCells(l);
        if (!l.note.empty()) {
            out << "  " << (l.current ? "  now" : "    " + c[0]) << "  " << l.note << '\n';
            continue;
        }
        std::snprintf(buf, sizeof buf, "  %5s  %6s  %12s  %9s  %9s%s\n", c[0].c_str(), c[5].c_str(), c[6].c_str(),
                      c[7].c_str(), c[8].c_str(), l.best ? "  best" : "");
        out << buf;
    }
    const std::string impossible = advise::ImpossibleText(advice);
    if (!impossible.empty()) out << impossible << '\n';
    out << "\nStrata (stratum method: units, acres):\n";
    std::string label;
    for (const auto& l : lines) {
        if (l.head) {
            label = l.current ? "now" : std::to_string(l.k);
            continue;
        }
        std::snprintf(buf, sizeof buf, "  %5s  %s %s: ", label.c_str(), l.stratum.c_str(), l.method.c_str());
        out << buf << l.units;
        std::snprintf(buf, sizeof buf, " (%.1f)\n", l.acres);
        out << buf;
        label.clear();
    }
}

int Run(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
    CommonOptions opts;
    AdviseArgs a;
    if (!ReadCommandLine(argv, opts, a, Parse, err, kUsage)) return kExitUsage;
    advise::AdviseOptions options;
    options.target = a.error;
    if (!a.maxStrata.empty() && (options.maxStrata = Count(a.maxStrata, 1, 99)) < 0)
        return UsageError(err, "--max-strata wants a whole number from 1 to 99", kUsage);
    int applyK = 0;
    if (!a.apply.empty() && (applyK = Count(a.apply, 1, 99)) < 0)
        return UsageError(err, "--apply wants a whole number from 1 to 99", kUsage);
    // The proposal to apply is priced even beyond the default number of strata.
    if (a.maxStrata.empty()) options.maxStrata = std::max(options.maxStrata, applyK);

    auto ui = MakeCommandUi(opts, out, err);
    // Nothing is applied unless the answer was given.
    if (!opts.answer) ui->SetDefaultQuestionAnswer(false);
    store::CFileChecker checker(*ui, "");
    const int checked = checker.CheckCruiseFile(a.file, ".crz");
    if (checked == 1) app::ReportNotCruiseFile(*ui, a.file);
    if (checked != 0) {
        if (opts.json) WriteJson(out, a, advise::Advice(), advise::kApplyFailed, ui->Messages());
        return kExitFailure;
    }
    // The file stays locked from the reading to the applying.
    store::CCruiseStore store(*ui);
    if (store.Open(a.file) != 0) {
        ui->Error("The File:\n\n'" + a.file + "'\n\nCannot Be Opened.", "File Error");
        if (opts.json) WriteJson(out, a, advise::Advice(), advise::kApplyFailed, ui->Messages());
        return kExitFailure;
    }
    auto image = store.Storage()->Packed();
    advise::Advice advice;
    if (!image) advice.error = "The cruise file cannot be read: " + image.error().message;
    else advice = advise::Advise(*image, options);
    if (!advice.error.empty()) ui->Error(advice.error, "Error");

    int applied = advise::kApplyFailed;
    if (advice.error.empty() && applyK > 0) {
        const advise::Proposal* p = advice.Find(applyK);
        if (!p || !p->outcome.ok)
            ui->Error("There is no proposal of " + a.apply + " strata to apply.", "Error");
        else {
            applied = advise::Apply(*ui, store, advice, *p);
            if (applied == advise::kApplyDeclined)
                ui->Warning("The proposal was not applied (give --yes to apply it).", "Warning");
        }
    }
    store.Close();
    if (opts.json) WriteJson(out, a, advice, applied, ui->Messages());
    else if (advice.error.empty()) {
        WriteText(out, a, advice);
        if (applied == advise::kApplied)
            out << "The proposal of " << applyK << " strata is now the sale's strata and design.\n";
    }
    const bool ok = advice.error.empty() && (applyK == 0 || applied == advise::kApplied);
    return ok ? kExitOk : kExitFailure;
}

const CommandRegistrar reg{Command{
    .name = "advise-strata",
    .synopsis = "advise-strata FILE.crz --error E [--max-strata K] [--apply K]",
    .summary = "propose strata of whole units that reach a sale error at least cost",
    .run = Run,
    .details = kDetails,
    .arguments = {{"FILE.crz", "", "the cruise file, with its recon imported"}},
    .options = {{"--error", "E", "the target sale error in percent, above 0 and below 100 (required)"},
                {"--max-strata", "K",
                 "the largest number of strata proposed, 1 to 99 (default 6, or K of --apply when that is "
                 "more; never more than the units with recon)"},
                {"--apply", "K", "make the proposal of K strata the sale's strata, after a question"}}}};

}  // namespace

}  // namespace cli
