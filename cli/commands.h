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

struct Command {
    std::string name;
    std::string synopsis;  // "dump FILE"
    std::string summary;   // one line for --help
    std::function<int(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)> run;
    std::string details = {};  // options and arguments for "COMMAND --help"; optional
};

const std::vector<Command>& Commands();
const Command* FindCommand(const std::string& name);
// Runs argv[1..] as the program would; used by main and by tests.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

struct CommandRegistrar {
    explicit CommandRegistrar(Command c);
};

}  // namespace cli
