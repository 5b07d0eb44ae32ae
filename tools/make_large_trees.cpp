// Writes the 100,000-row tree table that the engine's tests and benchmark run on:
//   make_large_trees OUT.mk
// The file is written by our own engine, so its byte layout may differ from the
// library's; its content may not.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "mk/mk.h"
#include "testdata/large_trees.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_large_trees OUT.mk\n");
        return 2;
    }
    // Written aside and renamed, so a failed run never leaves a file that looks finished.
    std::string out = argv[1];
    std::string part = out + ".part";
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(out).parent_path(), ec);
    mk::Status st;
    {
        auto s = mk::Storage::Create(part);
        st = s ? testdata::WriteLargeTrees(*s) : mk::Status(s.error());
    }
    if (st) std::filesystem::rename(part, out, ec);
    if (!st || ec) {
        std::fprintf(stderr, "make_large_trees: %s: %s\n", out.c_str(),
                     st ? ec.message().c_str() : st.error().message.c_str());
        std::filesystem::remove(part, ec);
        return 1;
    }
    return 0;
}
