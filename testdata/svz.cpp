#include "testdata/svz.h"

#include <cstdint>
#include <cstdio>

namespace testdata {

std::string MakeSvz(int trees, int units, int strata) {
    static const char* species[] = {"DF", "WH", "RC", "RA", "PP", "LP", "GF", "SS"};
    uint64_t s = 12345;
    auto next = [&s]() {  // a linear congruential generator is plenty here
        s = s * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(s >> 33);
    };
    std::string out;
    out.reserve(static_cast<size_t>(trees) * 64);
    const int per_unit = trees / units;
    char line[256];
    int written = 0;
    for (int u = 0; u < units && written < trees; ++u) {
        const int stratum = u % strata + 1;
        const int method = stratum % 3;  // 0: 100 %, 1: point, 2: fixed plot
        const double baf = method == 1 ? 20 : 0, fps = method == 2 ? 10 : 0;
        const double area = 10 + next() % 2000 / 10.0;
        const int n = u == units - 1 ? trees - written : per_unit;
        const int plots = n / 10 + 1;
        const int planned = plots + plots / 10;
        for (int t = 0; t < n; ++t) {
            const int plot = t / 10 + 1;
            const char* sp = species[next() % 8];
            const double dbh = 6 + next() % 300 / 10.0;
            const double ht = 40 + next() % 1200 / 10.0;
            const double vol = 0.005454 * dbh * dbh * ht * 0.42;
            std::snprintf(line, sizeof line, "99999,%d,%d,%d,%d,%s,%.1f,%.0f,%.4f,%s,%.1f,%g,%g,%d\n",
                          stratum, u + 1, plot, t % 10 + 1, sp, dbh, ht, vol, dbh < 9 ? "02" : "01",
                          area, baf, fps, planned);
            out += line;
            ++written;
        }
    }
    return out;
}

}  // namespace testdata
