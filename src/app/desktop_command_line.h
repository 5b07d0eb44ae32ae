#pragma once
// The desktop program's command line, stated once: its --help and its manual page are
// both written from it.
#include <string>
#include <vector>

namespace app {

struct CommandLineEntry {
    std::string name;   // "-h, --help"; for the argument its placeholder
    std::string text;   // one line
};

struct DesktopCommandLine {
    std::string summary;
    CommandLineEntry argument;
    std::vector<CommandLineEntry> options;
};

const DesktopCommandLine& DesktopCommandLineHelp();

}  // namespace app
