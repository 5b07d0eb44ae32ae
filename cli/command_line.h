#pragma once
// Reading a command's own arguments: the message of a wrong command line, and a walk
// over the options and the one file a command takes.
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "json_writer.h"

namespace cli {

// Writes "WHO: ERROR" and the usage to err; returns the usage exit code.
int UsageError(std::ostream& err, const std::string& error, std::string_view usage = {},
               std::string_view who = "strovan-cli");

// The option being read in a walk over a command's arguments; it takes what follows
// it by moving the walk on.
class OptionCursor {
public:
    OptionCursor(const std::vector<std::string>& args, std::size_t& at, std::string& error)
        : args_(args), at_(at), option_(at), error_(error) {}

    // The option itself, however far the walk has moved on.
    const std::string& Name() const { return args_[option_]; }
    // The argument `ahead` places after the current one, or nullptr past the end.
    const std::string* Peek(std::size_t ahead = 1) const {
        return at_ + ahead < args_.size() ? &args_[at_ + ahead] : nullptr;
    }
    // Moves on to the next argument and returns it; Peek() must have found one.
    const std::string& Take() { return args_[++at_]; }
    // Takes the next argument as the option's value; false ("missing value for
    // OPTION") when there is none.
    bool Value(std::string& out);

private:
    const std::vector<std::string>& args_;
    std::size_t& at_;
    const std::size_t option_;
    std::string& error_;
};

enum class OptionRead { Read, Unknown, Failed };

// Walks args: every "--" argument goes to `option`, which reads it (and its values)
// or says it is unknown or wrong (having set error); anything else is the file,
// given once. False, with error set, on the first fault.
bool ReadOptionsAndFile(const std::vector<std::string>& args, std::string& file, std::string& error,
                        const std::function<OptionRead(OptionCursor&)>& option);

// Takes the common options out of a copy of argv and reads the rest with `parse`.
// False, with the usage message written, on a wrong command line.
template <class Args>
bool ReadCommandLine(const std::vector<std::string>& argv, CommonOptions& opts, Args& parsed,
                     bool (*parse)(const std::vector<std::string>&, Args&, std::string&), std::ostream& err,
                     std::string_view usage) {
    std::vector<std::string> args = argv;
    std::string error;
    if (CommonOptions::Extract(args, opts, error) && parse(args, parsed, error)) return true;
    UsageError(err, error, usage);
    return false;
}

}  // namespace cli
