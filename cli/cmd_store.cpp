// strovan-cli update: the file check with the structure updater, as the program runs it
// when a file is opened.
#include <filesystem>
#include <ostream>

#include "command_line.h"
#include "commands.h"
#include "json_writer.h"
#include "store/config.h"
#include "store/file_checker.h"

namespace {

// The file kind the program would choose the file as, by its extension.
std::string KindOfPath(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    if (ext == ".stp" || ext == ".theft" || ext == ".vst") return ext.substr(1);
    return "CRZ";
}

int RunUpdate(const std::vector<std::string>& raw, std::ostream& out, std::ostream& err) {
    std::vector<std::string> args = raw;
    cli::CommonOptions opts;
    std::string error;
    if (!cli::CommonOptions::Extract(args, opts, error)) return cli::UsageError(err, error);
    if (args.size() != 1) {
        err << "usage: strovan-cli update FILE [--json]\n";
        return cli::kExitUsage;
    }
    const std::string& path = args[0];
    auto ui = cli::MakeCommandUi(opts, out, err);
    store::CFileChecker checker(*ui);
    const std::string kind = KindOfPath(path);
    int rc = checker.CheckCruiseFile(path, kind);
    if (rc == 1)
        ui->Error("The File:\n\n'" + path + "'\n\n Is Not a Valid " + store::KindOf(kind).kind_name);
    const std::string version = rc == 0 ? store::ReadStructureVersion(path) : "";
    if (opts.json) {
        cli::JsonWriter j(out);
        j.BeginObject().Field("file", path).Field("ok", rc == 0);
        j.Key("structure_version");
        if (rc == 0)
            j.String(version);
        else
            j.Null();
        j.Messages("messages", ui->Messages()).EndObject();
    } else if (rc == 0) {
        out << path << ": structure version " << version << '\n';
    }
    return rc == 0 ? cli::kExitOk : cli::kExitFailure;
}

cli::CommandRegistrar reg{cli::Command{
    .name = "update",
    .synopsis = "update FILE",
    .summary = "check a cruise file and bring an older one to the current structure (backup beside it)",
    .run = RunUpdate,
    .arguments = {{"FILE", "", "the cruise file (.crz)"}}}};

}  // namespace
