// Writes a large made-up recon cruise (.svz) for trying the import at scale:
//   make_svz OUT.svz [TREES [UNITS [STRATA]]]   (defaults 100000 400 30)
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "testdata/svz.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_svz OUT.svz [TREES [UNITS [STRATA]]]\n");
        return 2;
    }
    int trees = argc > 2 ? std::atoi(argv[2]) : 100000;
    int units = argc > 3 ? std::atoi(argv[3]) : 400;
    int strata = argc > 4 ? std::atoi(argv[4]) : 30;
    if (trees <= 0 || units <= 0 || strata <= 0 || units > 999) {
        std::fprintf(stderr, "make_svz: counts must be positive, at most 999 units\n");
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out << testdata::MakeSvz(trees, units, strata);
    return out ? 0 : 1;
}
