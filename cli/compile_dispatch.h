#pragma once
// `compile` runs the recon compilation on a Design or Recon cruise and the production
// statistics on a Production cruise. The production side registers its runner here
// from its own file, so neither command file needs the other.
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

// Runs the production statistics on `path` with the command's remaining arguments
// (--json, --yes, --no included); returns the exit code.
using ProductionCompileRunner = std::function<int(const std::string& path, const std::vector<std::string>& args,
                                                  std::ostream& out, std::ostream& err)>;

inline ProductionCompileRunner& ProductionCompiler() {
    static ProductionCompileRunner runner;
    return runner;
}

struct ProductionCompilerRegistrar {
    explicit ProductionCompilerRegistrar(ProductionCompileRunner r) { ProductionCompiler() = std::move(r); }
};

}  // namespace cli
