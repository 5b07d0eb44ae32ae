// samplesize: the planning calculator of one- and two-stage sample sizes.
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>

#include "command_line.h"
#include "commands.h"
#include "json_writer.h"
#include "design/sampling.h"

namespace cli {

namespace {

constexpr const char* kUsage =
    "usage: strovan-cli samplesize --cv CV --error E [--cv2 CV2] [--json]\n";

struct Inputs {
    std::optional<double> cv, cv2, error;
};

bool ParseValue(const std::string& option, const std::string& text, double& value, std::ostream& err) {
    const char* begin = text.c_str();
    char* end = nullptr;
    double v = std::strtod(begin, &end);
    if (text.empty() || *end != '\0' || !std::isfinite(v)) {
        err << "samplesize: " << option << ": '" << text << "' is not a number\n";
        return false;
    }
    if (v < 0) {
        err << "samplesize: " << option << " must not be negative\n";
        return false;
    }
    value = v;
    return true;
}

std::optional<double>* Slot(Inputs& in, const std::string& option) {
    if (option == "--cv") return &in.cv;
    if (option == "--cv2") return &in.cv2;
    if (option == "--error") return &in.error;
    return nullptr;
}

bool ParseArgs(const std::vector<std::string>& args, Inputs& in, std::ostream& err) {
    for (std::size_t i = 0; i < args.size(); i += 2) {
        std::optional<double>* slot = Slot(in, args[i]);
        if (!slot) {
            err << "samplesize: unknown argument '" << args[i] << "'\n" << kUsage;
            return false;
        }
        if (i + 1 >= args.size()) {
            err << "samplesize: " << args[i] << " needs a value\n" << kUsage;
            return false;
        }
        if (slot->has_value()) {
            err << "samplesize: " << args[i] << " given twice\n";
            return false;
        }
        double v = 0;
        if (!ParseValue(args[i], args[i + 1], v, err)) return false;
        *slot = v;
    }
    if (!in.cv || !in.error) {
        err << "samplesize: --cv and --error are required\n" << kUsage;
        return false;
    }
    if (*in.error <= 0) {
        err << "samplesize: --error must be greater than 0\n";
        return false;
    }
    return true;
}

std::string Percent(double e) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f %%", e);
    return buf;
}

std::string Plain(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

int Run(const std::vector<std::string>& raw, std::ostream& out, std::ostream& err) {
    std::vector<std::string> args = raw;
    CommonOptions opts;
    std::string error;
    if (!CommonOptions::Extract(args, opts, error)) return UsageError(err, error, {}, "samplesize");
    Inputs in;
    if (!ParseArgs(args, in, err)) return kExitUsage;
    auto ui = MakeCommandUi(opts, out, err);
    const bool two = in.cv2.has_value();
    design::SampleSizes s;
    double achieved = 0;
    if (two) {
        s = design::TwoStageSampleSizes(*in.cv, *in.cv2, *in.error);
        achieved = design::TwoStageError(*in.cv, *in.cv2, s.n1, s.n2);
    } else {
        s.n1 = design::SampleSize(*in.cv, *in.error);
        achieved = design::SamplingError(*in.cv, s.n1);
    }
    // A size held at the largest count the arithmetic allows is no answer when it
    // still misses the target.
    const bool capped = s.n1 == INT_MAX || (two && s.n2 == INT_MAX);
    const bool reached = !(capped && achieved > *in.error);
    if (!reached)
        ui->Error("The target error of " + Plain(*in.error) + " %" +
                      " cannot be reached: even the largest sample size the program can "
                      "count (" +
                      std::to_string(INT_MAX) + ") gives a sampling error of " +
                      Percent(achieved) + ".",
                  "Error");
    if (opts.json) {
        JsonWriter j(out);
        j.BeginObject().Field("cv", *in.cv);
        if (two) j.Field("cv2", *in.cv2);
        j.Field("target_error", *in.error).Field("reached", reached);
        if (two)
            j.Field("first_stage_sample_size", s.n1).Field("second_stage_sample_size", s.n2);
        else
            j.Field("sample_size", s.n1);
        j.Field("sampling_error", achieved);
        j.Messages("messages", ui->Messages()).EndObject();
        return reached ? kExitOk : kExitFailure;
    }
    if (!reached) return kExitFailure;
    if (!two) {
        out << "Sample size: " << s.n1 << '\n'
            << "Sampling error: " << Percent(achieved) << '\n';
        return kExitOk;
    }
    out << "First-stage sample size: " << s.n1 << '\n'
        << "Second-stage sample size: " << s.n2 << '\n'
        << "Sampling error: " << Percent(achieved) << '\n';
    return kExitOk;
}

const CommandRegistrar reg{Command{
    .name = "samplesize",
    .synopsis = "samplesize --cv CV --error E [--cv2 CV2]",
    .summary = "sample sizes that reach a target error (two stages with --cv2)",
    .run = Run,
    .details = "Exit status 1 when no sample size reaches the target.\n",
    .options = {{"--cv", "CV", "coefficient of variation in percent (of the first stage)"},
                {"--error", "E", "target sampling error in percent (95 % level)"},
                {"--cv2", "CV2", "coefficient of variation of the second stage"}}}};

}  // namespace

}  // namespace cli
