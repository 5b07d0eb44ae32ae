// Writes a made-up production cruise file:
//   make_production OUT.crz [--strata N] [--trees N] [--groups N] [--units N]
//                   [--methods M1,M2,...] [--uom 01|03] [--seed N]
// Strata take the methods in turn (every method code by default).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "mk/mk.h"
#include "testdata/production_cruise.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: make_production OUT.crz [--strata N] [--trees N] [--groups N] [--units N]\n"
                 "                       [--methods M1,M2,...] [--uom 01|03] [--seed N]\n");
    return 2;
}

bool ParseCount(const char* text, long long& value) {
    char* end = nullptr;
    value = std::strtoll(text, &end, 10);
    return *text && *end == '\0' && value > 0;
}

}  // namespace

int main(int argc, char** argv) {
    testdata::ProductionCruiseShape shape;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a.rfind("--", 0) != 0) {
            if (!path.empty()) return Usage();
            path = a;
            continue;
        }
        if (i + 1 >= argc) return Usage();
        const char* v = argv[++i];
        long long n = 0;
        if (a == "--methods") {
            shape.methods.clear();
            std::string list = v, cur;
            for (char c : list + ",") {
                if (c != ',') cur += c;
                else if (!cur.empty()) shape.methods.push_back(cur), cur.clear();
            }
        } else if (a == "--uom") {
            shape.uom = v;
        } else if (!ParseCount(v, n)) {
            return Usage();
        } else if (a == "--strata") {
            shape.strata = static_cast<int>(n);
        } else if (a == "--trees") {
            shape.trees = n;
        } else if (a == "--groups") {
            shape.groupsPerStratum = static_cast<int>(n);
        } else if (a == "--units") {
            shape.unitsPerStratum = static_cast<int>(n);
        } else if (a == "--seed") {
            shape.seed = static_cast<uint64_t>(n);
        } else {
            return Usage();
        }
    }
    if (path.empty()) return Usage();
    auto s = mk::Storage::Create(path);
    if (!s) {
        std::fprintf(stderr, "make_production: %s\n", s.error().message.c_str());
        return 1;
    }
    if (!testdata::WriteProductionCruise(*s, shape)) {
        std::fprintf(stderr, "make_production: a table description does not parse\n");
        return 1;
    }
    mk::Status done = s->Commit();
    if (!done) {
        std::fprintf(stderr, "make_production: %s\n", done.error().message.c_str());
        return 1;
    }
    std::printf("wrote %s\n", path.c_str());
    return 0;
}
