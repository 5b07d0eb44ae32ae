// strovan-cli update: the file check with the structure updater, as the program runs it
// when a file is opened.
#include <filesystem>
#include <ostream>

#include "commands.h"
#include "store/config.h"
#include "store/file_checker.h"
#include "ui/console_ui.h"

namespace {

// The file kind the program would choose the file as, by its extension.
std::string KindOfPath(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    if (ext == ".stp" || ext == ".theft" || ext == ".vst") return ext.substr(1);
    return "CRZ";
}

int RunUpdate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) {
        err << "usage: strovan-cli update FILE\n";
        return cli::kExitUsage;
    }
    const std::string& path = args[0];
    ui::ConsoleUi ui(out, err);
    store::CFileChecker checker(ui);
    int rc = checker.CheckCruiseFile(path, KindOfPath(path));
    if (rc == 1) {
        err << "The File:\n\n'" << path << "'\n\n Is Not a Valid "
            << store::KindOf(KindOfPath(path)).kind_name << '\n';
        return cli::kExitFailure;
    }
    if (rc != 0) return cli::kExitFailure;
    out << path << ": structure version " << store::ReadStructureVersion(path) << '\n';
    return cli::kExitOk;
}

cli::CommandRegistrar reg{cli::Command{
    "update", "update FILE",
    "check a cruise file and bring an older one to the current structure (backup beside it)",
    RunUpdate}};

}  // namespace
