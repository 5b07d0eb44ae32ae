// Writes examples/sale.svz: the recon cruise of a made-up timber sale ("Cedar Flats"),
// for the README's main job. Deterministic: the same file on every machine.
//
// The sale (all distributions drawn from the seeded generator below):
//   - 12 cutting units of 18 to 140 acres in three recon strata:
//       stratum 1, point sampling with BAF 20 (units 1-6: older conifer stands),
//       stratum 2, fixed plots of 1/10 acre (units 7-10: young mixed stands). The
//         fixed plot size is stored as the plot's expansion factor, plots per acre:
//         FPSize 10 means a 1/10-acre plot;
//       stratum 3, 100 % cruise (units 11-12: small high-value cedar patches, every
//         tree measured, one "plot" per unit).
//   - about one plot per 5 acres (at least 4), on a systematic grid; about 8 % of
//     planned plots hold no tree and appear only through the planned plot count.
//   - species with their own diameter (normal, inches, cut at 5 inches) and height
//     (Chapman-Richards curve of diameter with 8 % noise) distributions:
//       DF Douglas-fir 19 +- 6, WH western hemlock 15 +- 5, RC western redcedar
//       22 +- 8, RA red alder 11 +- 3.
//   - volume: net cubic feet = 0.005454 * D^2 (basal area) * H * 0.40 (form factor)
//     * 0.92 .. 1.0 (defect).
//   - products: "01" sawtimber for conifers of 9 inches and more, "02" pulpwood for
//     smaller trees and for all alder.
//   - trees per point ~ Poisson(6) for BAF 20; trees per 1/10-acre plot ~ Poisson(9).
// The recon file format has no live/dead field: every imported tree is live.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "testdata/splitmix.h"

namespace {

struct Rng {
    testdata::SplitMix64 g;
    explicit Rng(uint64_t seed) : g{seed} {}
    double Uniform() { return g.Unit(); }
    double Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
    // Box-Muller on our own uniforms: the standard library's normal distribution
    // differs between library implementations.
    double Normal(double mean, double sd) {
        double u1 = Uniform();
        double u2 = Uniform();
        if (u1 < 1e-300) u1 = 1e-300;
        return mean + sd * std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    }
    int Poisson(double lambda) {
        double l = std::exp(-lambda), p = 1.0;
        int k = 0;
        do {
            ++k;
            p *= Uniform();
        } while (p > l);
        return k - 1;
    }
};

struct Species {
    const char* code;
    double dbh_mean, dbh_sd;
    double h_max, h_rate;  // Chapman-Richards: 4.5 + h_max * (1 - exp(-h_rate * D))^1.2
    bool pulp_only;
};

const Species kSpecies[] = {
    {"DF", 19, 6, 175, 0.060, false},
    {"WH", 15, 5, 150, 0.065, false},
    {"RC", 22, 8, 140, 0.050, false},
    {"RA", 11, 3, 95, 0.090, true},
};

struct Unit {
    const char* code;
    double acres;
    const char* stratum;
    double weights[4];  // species mix
};

const Unit kUnits[] = {
    {"1", 86, "1", {0.60, 0.30, 0.10, 0.00}},   {"2", 140, "1", {0.55, 0.35, 0.10, 0.00}},
    {"3", 64, "1", {0.70, 0.20, 0.05, 0.05}},   {"4", 112, "1", {0.50, 0.40, 0.10, 0.00}},
    {"5", 45, "1", {0.65, 0.25, 0.10, 0.00}},   {"6", 78, "1", {0.45, 0.45, 0.10, 0.00}},
    {"7", 52, "2", {0.35, 0.25, 0.05, 0.35}},   {"8", 38, "2", {0.30, 0.30, 0.00, 0.40}},
    {"9", 71, "2", {0.40, 0.20, 0.05, 0.35}},   {"10", 29, "2", {0.25, 0.25, 0.10, 0.40}},
    {"11", 18, "3", {0.10, 0.10, 0.80, 0.00}},  {"12", 22, "3", {0.15, 0.05, 0.80, 0.00}},
};

int PickSpecies(Rng& rng, const double* w) {
    double x = rng.Uniform(), acc = 0;
    for (int i = 0; i < 4; ++i) {
        acc += w[i];
        if (x < acc) return i;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "examples/sale.svz";
    FILE* f = std::fopen(path, "wb");
    if (!f) {
        std::perror(path);
        return 1;
    }
    Rng rng(20261208);
    long trees_written = 0;
    for (const Unit& u : kUnits) {
        const bool point = std::string(u.stratum) == "1";
        const bool fixed = std::string(u.stratum) == "2";
        const double baf = point ? 20 : 0;
        const double fpsize = fixed ? 10 : 0;
        int planned = (point || fixed) ? std::max(4, static_cast<int>(u.acres / 5)) : 1;
        // A 100 % unit is one "plot" holding every tree of the unit.
        for (int plot = 1; plot <= planned; ++plot) {
            int n;
            if (point) n = rng.Uniform() < 0.08 ? 0 : rng.Poisson(6);
            else if (fixed) n = rng.Uniform() < 0.08 ? 0 : rng.Poisson(9);
            else n = static_cast<int>(u.acres * rng.Uniform(5.5, 7.5));
            for (int t = 1; t <= n; ++t) {
                const Species& sp = kSpecies[PickSpecies(rng, u.weights)];
                double d = rng.Normal(sp.dbh_mean, sp.dbh_sd);
                if (d < 5) d = 5 + rng.Uniform(0, 1.5);
                d = std::round(d * 10) / 10;
                double h = 4.5 + sp.h_max * std::pow(1 - std::exp(-sp.h_rate * d), 1.2);
                h *= rng.Uniform(0.92, 1.08);
                h = std::round(h);
                double v = 0.005454 * d * d * h * 0.40 * rng.Uniform(0.92, 1.0);
                v = std::round(v * 10) / 10;
                const char* prod = (sp.pulp_only || d < 9) ? "02" : "01";
                // Field 1 is not read by the import; it carries the sale number.
                std::fprintf(f, "54321,%s,%s,%d,%d,%s,%.1f,%.0f,%.1f,%s,%.0f,%.0f,%.0f,%d\n", u.stratum, u.code,
                             plot, t, sp.code, d, h, v, prod, u.acres, baf, fpsize, planned);
                ++trees_written;
            }
        }
    }
    if (std::fclose(f) != 0) {
        std::perror(path);
        return 1;
    }
    std::printf("%s: %ld trees in %zu units\n", path, trees_written, sizeof kUnits / sizeof kUnits[0]);
    return 0;
}
