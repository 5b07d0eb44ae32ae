#include "commands.h"

#include <algorithm>
#include <ostream>
#include <sstream>

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
    out << "\n\"strovan-cli COMMAND --help\" lists the options of a command.\n";
}

bool IsHelp(const std::string& a) { return a == "--help" || a == "-h"; }

const Option* FindOption(const std::vector<Option>& table, const std::string& name) {
    for (const Option& o : table)
        if (o.name == name) return &o;
    return nullptr;
}

// A value the option must be given; "[...]" marks one it may go without.
bool TakesValue(const Option& o) { return !o.value.empty() && o.value.front() != '['; }

std::string Label(const Option& o) { return o.value.empty() ? o.name : o.name + " " + o.value; }

// One line per entry: the label, then its text in a column.
void PrintTable(std::ostream& out, const char* heading, const std::vector<Option>& rows) {
    if (rows.empty()) return;
    constexpr std::size_t kColumn = 26;
    out << heading << ":\n";
    for (const Option& o : rows) {
        std::string head = "  " + Label(o);
        if (head.size() + 2 <= kColumn) head.resize(kColumn, ' ');
        else head += "\n" + std::string(kColumn, ' ');
        out << head << o.text << '\n';
    }
}
}  // namespace

const std::vector<Option>& CommonOptionTable() {
    static const std::vector<Option> table = {
        {"--json", "", "print the result and every message the step showed as JSON"},
        {"--yes", "", "answer yes to the questions the step asks"},
        {"--no", "", "answer no to the questions the step asks"},
    };
    return table;
}

std::vector<Option> AllOptions(const Command& c) {
    std::vector<Option> all = c.options;
    if (c.common) all.insert(all.end(), CommonOptionTable().begin(), CommonOptionTable().end());
    return all;
}

std::string CommandHelp(const Command& c) {
    std::ostringstream out;
    out << "Usage: strovan-cli " << c.synopsis << '\n' << c.summary << "\n\n";
    PrintTable(out, "Arguments", c.arguments);
    if (!c.arguments.empty()) out << '\n';
    std::vector<Option> options = AllOptions(c);
    options.push_back({"-h, --help", "", "show this help"});
    PrintTable(out, "Options", options);
    if (!c.details.empty()) out << '\n' << c.details;
    std::string text = out.str();
    if (text.back() != '\n') text += '\n';
    return text;
}

bool CheckOptions(const Command& c, const std::vector<std::string>& args, std::string& error) {
    const std::vector<Option> options = AllOptions(c);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() <= 2 || a.rfind("--", 0) != 0) continue;
        const Option* o = FindOption(options, a);
        if (!o) {
            error = "unknown option " + a;
            return false;
        }
        if (TakesValue(*o)) ++i;  // its value, whatever it looks like
    }
    return true;
}

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
    if (IsHelp(first) || first == "help") {
        const Command* about = args.size() > 1 ? FindCommand(args[1]) : nullptr;
        if (about) out << CommandHelp(*about);
        else PrintHelp(out);
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
    const std::vector<Option> options = AllOptions(*cmd);
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (IsHelp(rest[i])) {
            out << CommandHelp(*cmd);
            return kExitOk;
        }
        const Option* o = FindOption(options, rest[i]);
        if (o && TakesValue(*o)) ++i;
    }
    std::string error;
    if (!CheckOptions(*cmd, rest, error)) {
        err << "strovan-cli: " << cmd->name << ": " << error << "\nUsage: strovan-cli " << cmd->synopsis
            << "\n(see strovan-cli " << cmd->name << " --help)\n";
        return kExitUsage;
    }
    return cmd->run(rest, out, err);
}

}  // namespace cli
