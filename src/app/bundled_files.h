#pragma once
// The files that come with the program (setup file, example sale, user guide), found
// relative to the program itself: share/strovan beside its bin folder once installed,
// and the build tree's copy of that folder for a program run where it was built. So an
// installed program never depends on the source tree it was made from.
#include <filesystem>
#include <string>
#include <string_view>

namespace app {

// The folder of the bundled files, or empty when none is found. STROVAN_DATA_DIR, when
// set, names it instead (for a relocated install).
std::filesystem::path DataDir();

// The folder searched from `program` (the path of a running executable): the first
// share/strovan found beside it or up to two folders above its own.
std::filesystem::path DataDirFor(const std::filesystem::path& program);

// A bundled file by its path under the data folder ("setup/default.stp"); empty when it
// is missing.
std::string BundledFile(std::string_view relative);

}  // namespace app
