// make_cli_docs SHARE: writes the command line's documents, laid out as an install's
// share folder: man/man1/strovan-cli.1 and strovan.1, the bash completion, and the
// guide's command reference.
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>

#include "cli_docs.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_cli_docs SHARE_DIR\n";
        return 2;
    }
    const fs::path share = argv[1];
    const std::pair<fs::path, std::function<void(std::ostream&)>> docs[] = {
        {"man/man1/strovan-cli.1", [](std::ostream& o) { cli::WriteCliManPage(o, STROVAN_VERSION); }},
        {"man/man1/strovan.1", [](std::ostream& o) { cli::WriteDesktopManPage(o, STROVAN_VERSION); }},
        {"bash-completion/completions/strovan-cli", cli::WriteBashCompletion},
        {"strovan/guide/command-reference.md", cli::WriteCommandReference},
    };
    for (const auto& [rel, write] : docs) {
        const fs::path path = share / rel;
        std::error_code ec;
        fs::create_directories(path.parent_path(), ec);
        std::ofstream out(path, std::ios::binary);
        write(out);
        if (!out.flush()) {
            std::cerr << "make_cli_docs: cannot write " << path << '\n';
            return 1;
        }
    }
    return 0;
}
