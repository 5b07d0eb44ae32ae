#include "testdata/large_trees.h"

#include "testdata/splitmix.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace testdata {

namespace {

constexpr int kRows = 100000;
constexpr const char* kLayout =
    "Trees[Stratum:S,CutUnit:S,Plot:S,Tree:S,Sp:S,ProdP:S,DBH:F,TotHt:F,NCUFTVolPP:D,NBDFTVolPP:D,"
    "KPI:L,TreeCnt:I]";

}  // namespace

mk::Status WriteLargeTrees(mk::Storage& s) {
    auto v = s.GetAs(kLayout);
    if (!v) return v.error();
    static const char* const kSpecies[] = {"202", "122", "263", "015", "017", "019", "081", "108", "242", ""};
    static const char* const kProducts[] = {"01", "02", "20"};
    const double kUnit = 1.0 / 9007199254740992.0;  // 2^-53
    SplitMix64 rng{20240601};
    v->SetRowCount(kRows);
    for (int r = 0; r < kRows; ++r) {
        uint64_t u[12];
        for (uint64_t& x : u) x = rng.Next();
        char stratum[3];
        std::snprintf(stratum, sizeof stratum, "%02u", unsigned(u[0] % 12 + 1));
        v->SetString(r, 0, stratum);
        v->SetString(r, 1, std::to_string(u[1] % 40 + 1));
        v->SetString(r, 2, std::to_string(u[2] % 500 + 1));
        v->SetString(r, 3, std::to_string(u[3] % 60 + 1));
        v->SetString(r, 4, kSpecies[u[4] % 10]);
        v->SetString(r, 5, kProducts[u[5] % 3]);
        v->SetFloat(r, 6, static_cast<float>(5.0 + double(u[6] % 4000) / 100.0));
        v->SetFloat(r, 7, static_cast<float>(10.0 + double(u[7] % 1900) / 10.0));
        v->SetDouble(r, 8, double(u[8] >> 11) * kUnit * 250.0);
        v->SetDouble(r, 9, double(u[9] >> 11) * kUnit * 1500.0);
        v->SetLong(r, 10, static_cast<int64_t>(u[10] % 2000000000001ull) - 1000000000000ll);
        v->SetInt(r, 11, static_cast<int32_t>(u[11] % 300));
    }
    return s.Commit();
}

}  // namespace testdata
