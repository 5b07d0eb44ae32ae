// Writes a generated recon sale (400 units, 99 strata of 24 sample groups) for trying
// the compilation on a sale of realistic size:  make_recon_sale OUT.crz [TREES]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "testdata/recon_sale.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make_recon_sale OUT.crz [TREES]\n");
        return 2;
    }
    int trees = argc == 3 ? std::atoi(argv[2]) : 100000;
    if (trees < testdata::recon::kUnits) {
        std::fprintf(stderr, "make_recon_sale: at least %d trees, one a unit\n", testdata::recon::kUnits);
        return 2;
    }
    if (!testdata::recon::WriteReconSale(argv[1], trees)) {
        std::fprintf(stderr, "make_recon_sale: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("Wrote %s: %d recon trees, %d units, %d strata of 24 sample groups\n", argv[1],
                trees / testdata::recon::kUnits * testdata::recon::kUnits, testdata::recon::kUnits, testdata::recon::kStrata);
    return 0;
}
