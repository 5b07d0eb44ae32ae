#include "app/desktop_command_line.h"

namespace app {

const DesktopCommandLine& DesktopCommandLineHelp() {
    static const DesktopCommandLine help{
        "Designs a timber cruise.",
        {"FILE.crz", "cruise file to work on; it is checked and becomes the active file"},
        {{"-h, --help", "show the options and end"}, {"-v, --version", "show the version and end"}}};
    return help;
}

}  // namespace app
