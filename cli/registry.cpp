#include "commands.h"

#include <algorithm>
#include <ostream>

namespace cli {

namespace {
std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}

void PrintHelp(std::ostream& out) {
    out << "Usage: strovan-cli COMMAND [ARGS...]\n"
           "       strovan-cli --help | --version\n\n"
           "Timber cruise design from the command line.\n\nCommands:\n";
    for (const Command& c : Commands()) {
        std::string head = "  " + c.synopsis;
        if (head.size() < 40) head.resize(40, ' ');
        else head += "\n" + std::string(40, ' ');
        out << head << c.summary << '\n';
    }
}
}  // namespace

CommandRegistrar::CommandRegistrar(Command c) {
    auto& reg = Registry();
    reg.push_back(std::move(c));
    std::sort(reg.begin(), reg.end(), [](const Command& a, const Command& b) { return a.name < b.name; });
}

const std::vector<Command>& Commands() { return Registry(); }

const Command* FindCommand(const std::string& name) {
    for (const Command& c : Registry())
        if (c.name == name) return &c;
    return nullptr;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        PrintHelp(err);
        return kExitUsage;
    }
    const std::string& first = args[0];
    if (first == "--help" || first == "-h" || first == "help") {
        PrintHelp(out);
        return kExitOk;
    }
    if (first == "--version" || first == "-V") {
        out << "strovan-cli " << STROVAN_VERSION << '\n';
        return kExitOk;
    }
    const Command* cmd = FindCommand(first);
    if (!cmd) {
        err << "strovan-cli: unknown command '" << first << "' (see strovan-cli --help)\n";
        return kExitUsage;
    }
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (!rest.empty() && (rest[0] == "--help" || rest[0] == "-h")) {
        out << "Usage: strovan-cli " << cmd->synopsis << "\n" << cmd->summary << '\n';
        if (!cmd->details.empty()) out << '\n' << cmd->details;
        return kExitOk;
    }
    return cmd->run(rest, out, err);
}

}  // namespace cli
