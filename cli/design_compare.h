#pragma once
// design --compare: designs of a cruise file side by side (cmd_compare.cpp).
#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

// The arguments of `design` as given; the file is read, never changed.
int RunDesignCompare(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace cli
