#include "app/bundled_files.h"

#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

namespace app {

namespace {

bool IsDataDir(const fs::path& dir) {
    std::error_code ec;
    return fs::is_directory(dir / "setup", ec);
}

fs::path RunningProgram() {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : self;
}

}  // namespace

fs::path DataDirFor(const fs::path& program) {
    if (program.empty()) return {};
    fs::path dir = program.parent_path();
    // bin/ of an install is one level down; the build tree's programs are one
    // (cli/, gui/) or two (tests/cli/) levels below its share/.
    for (int up = 0; up < 3 && !dir.empty(); ++up) {
        fs::path candidate = dir.parent_path() / "share" / "strovan";
        if (IsDataDir(candidate)) return candidate;
        if (dir == dir.parent_path()) break;
        dir = dir.parent_path();
    }
    return {};
}

fs::path DataDir() {
    if (const char* env = std::getenv("STROVAN_DATA_DIR"); env && *env) return fs::path(env);
    static const fs::path found = DataDirFor(RunningProgram());
    return found;
}

std::string BundledFile(std::string_view relative) {
    fs::path dir = DataDir();
    if (dir.empty()) return {};
    fs::path p = dir / fs::path(relative);
    std::error_code ec;
    return fs::exists(p, ec) ? p.string() : std::string();
}

}  // namespace app
