#pragma once
// Sub-commands of strovan-cli. Each cmd_*.cpp registers its commands with a static
// CommandRegistrar, so adding a command never touches main.cpp.
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

// Exit codes of the program.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // the operation itself failed (bad file, refused, ...)
constexpr int kExitUsage = 2;    // the command line was wrong

// One option or argument of a command. --help, the manual page and the shell
// completion are all written from these tables, so they cannot drift apart.
struct Option {
    std::string name;        // "--svz"; for an argument its placeholder, "FILE.crz"
    std::string value = {};  // "FILE" when the option takes one; "[KEYS]": may take one
    std::string text = {};   // one line
};

struct Command {
    std::string name;
    std::string synopsis;  // "dump FILE"
    std::string summary;   // one line for --help
    std::function<int(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)> run;
    std::string details = {};  // free text shown after the options by "COMMAND --help"
    std::vector<Option> arguments = {};
    std::vector<Option> options = {};
    bool common = true;  // takes --json, --yes and --no
};

// --json, --yes and --no, which every command but a few takes.
const std::vector<Option>& CommonOptionTable();
// The options a command takes: its own, then the common ones.
std::vector<Option> AllOptions(const Command& c);
// What "strovan-cli COMMAND --help" prints.
std::string CommandHelp(const Command& c);
// Checks the options of a command line against the command's table; false, with the
// message in `error`, for one that is not in it.
bool CheckOptions(const Command& c, const std::vector<std::string>& args, std::string& error);

const std::vector<Command>& Commands();
const Command* FindCommand(const std::string& name);
// Runs argv[1..] as the program would; used by main and by tests.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

struct CommandRegistrar {
    explicit CommandRegistrar(Command c);
};

}  // namespace cli
