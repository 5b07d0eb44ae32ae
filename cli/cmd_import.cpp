// strovan-cli import: a recon cruise from a .svz file into a cruise file, as the
// setup dialog's "Import .SVZ File" does it.
#include <ostream>

#include "command_line.h"
#include "commands.h"
#include "json_writer.h"
#include "setup/setup_session.h"
#include "setup_cli_common.h"

namespace cli {

namespace {

int RunImport(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
    std::vector<std::string> args = argv;
    CommonOptions opts;
    std::string error;
    if (!CommonOptions::Extract(args, opts, error)) return UsageError(err, error);
    if (args.size() != 2 || args[0].rfind("--", 0) == 0 || args[1].rfind("--", 0) == 0) {
        err << "usage: strovan-cli import FILE.crz RECON.svz [--json]\n";
        return kExitUsage;
    }
    const std::string& crz = args[0];
    const std::string& svz = args[1];
    auto ui = MakeCommandUi(opts, out, err);

    bool imported = false, flag_written = false;
    long long trees = 0;
    if (setupcmd::CheckSetupFile(*ui, crz)) {
        setup::StrataDefinitionsForm dialog(*ui, crz, "N");
        imported = dialog.ImportFile(svz) == 0;
        if (imported) {
            flag_written = true;  // with the imported data, in one commit
            auto s = mk::Storage::Open(crz, mk::OpenMode::ReadOnly);
            if (s) trees = s->GetView(schema::kTreeTable).RowCount();
        }
    }
    if (opts.json) {
        JsonWriter j(out);
        j.BeginObject()
            .Field("command", "import")
            .Field("file", crz)
            .Field("recon", svz)
            .Field("imported", imported)
            .Field("update_flag_written", flag_written)
            .Key("trees")
            .Int(trees)
            .Messages("messages", ui->Messages())
            .EndObject();
    }
    return imported ? kExitOk : kExitFailure;
}

CommandRegistrar reg_import{Command{
    .name = "import",
    .synopsis = "import FILE.crz RECON.svz",
    .summary = "import a recon cruise (.svz) into a cruise file without trees",
    .run = RunImport,
    .arguments = {{"FILE.crz", "", "the cruise file, which must hold no trees yet"},
                  {"RECON.svz", "", "the recon cruise, comma-separated text"}}}};

}  // namespace

}  // namespace cli
