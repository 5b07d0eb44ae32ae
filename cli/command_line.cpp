#include "command_line.h"

#include <ostream>

#include "commands.h"

namespace cli {

int UsageError(std::ostream& err, const std::string& error, std::string_view usage, std::string_view who) {
    err << who << ": " << error << '\n' << usage;
    return kExitUsage;
}

bool OptionCursor::Value(std::string& out) {
    if (!Peek()) {
        error_ = "missing value for " + Name();
        return false;
    }
    out = Take();
    return true;
}

bool ReadOptionsAndFile(const std::vector<std::string>& args, std::string& file, std::string& error,
                        const std::function<OptionRead(OptionCursor&)>& option) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) == 0) {
            OptionCursor at(args, i, error);
            switch (option(at)) {
            case OptionRead::Read:
                break;
            case OptionRead::Failed:
                return false;
            case OptionRead::Unknown:
                error = "unknown option " + a;
                return false;
            }
        } else if (file.empty()) {
            file = a;
        } else {
            error = "more than one file given";
            return false;
        }
    }
    return true;
}

}  // namespace cli
