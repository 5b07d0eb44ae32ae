// Writes data/examples/sale.crz: a small made-up recon cruise of three cutting units
// and two strata, for trying the program and its command line.
#include <cstdint>
#include <cstdio>
#include <string>

#include "mk/mk.h"
#include "store/schema.h"
#include "testdata/splitmix.h"

namespace {

// Deterministic, so the bundled file only changes when this program does.
struct Rng {
    testdata::SplitMix64 g{20100318};
    uint64_t Next() { return g.Next(); }
    double Uniform(double lo, double hi) { return lo + (hi - lo) * g.Unit(); }
};

bool Fill(mk::Storage& s) {
    auto cruise = s.GetAs(schema::kCruiseTableDesc);
    auto units = s.GetAs(schema::kCuttingUnitTableDesc);
    auto strata = s.GetAs(schema::kStratumTableFieldDesc);
    auto trees = s.GetAs(schema::kTreeTableImportDesc);
    auto config = s.GetAs(schema::kGlobalConfigurationTableDesc);
    if (!cruise || !units || !strata || !trees || !config) return false;

    const char* c[] = {"12345", "1", "Beaver Ridge", "06", "12", "03", "ST", "2010", "Recon", "R", "example sale"};
    int r = cruise->AddRow();
    for (int i = 0; i < 11; ++i) cruise->SetString(r, i, c[i]);

    const struct {
        const char* unit;
        double area;
        const char* desc;
        const char* stratum;
    } u[] = {{"1", 42.5, "North slope", "1"}, {"2", 18.0, "Creek bottom", "1"}, {"3", 63.2, "Ridge top", "2"}};
    for (const auto& x : u) {
        r = units->AddRow();
        units->SetString(r, "CutUnit", x.unit);
        units->SetDouble(r, "Area", x.area);
        units->SetString(r, "Description", x.desc);
        units->SetString(r, "LogMeth", "TRC");
        units->SetString(r, "PayUnit", "1");
    }
    const struct {
        const char* code;
        const char* meth;
        const char* units;
        double baf;
        const char* desc;
    } st[] = {{"1", "PNT", "1,2", 20.0, "Mixed conifer"}, {"2", "PNT", "3", 40.0, "Large sawtimber"}};
    for (const auto& x : st) {
        r = strata->AddRow();
        strata->SetString(r, "Stratum", x.code);
        strata->SetString(r, "CruzMeth", x.meth);
        strata->SetString(r, "Units", x.units);
        strata->SetDouble(r, "BAF", x.baf);
        strata->SetInt(r, "Month", 3);
        strata->SetInt(r, "Year", 2010);
        strata->SetString(r, "Description", x.desc);
    }

    Rng rng;
    const char* species[] = {"202", "122", "263", "015"};
    for (int t = 0; t < 40; ++t) {
        const auto& unit = u[t % 3];
        r = trees->AddRow();
        double dbh = static_cast<double>(static_cast<int>(rng.Uniform(8.0, 36.0) * 10)) / 10;
        trees->SetString(r, "Stratum", unit.stratum);
        trees->SetString(r, "CutUnit", unit.unit);
        trees->SetString(r, "Plot", std::to_string(1 + t / 6));
        trees->SetString(r, "Tree", std::to_string(1 + t % 6));
        trees->SetString(r, "Sp", species[rng.Next() % 4]);
        trees->SetString(r, "ProdP", "01");
        trees->SetFloat(r, "DBH", static_cast<float>(dbh));
        trees->SetFloat(r, "TotHt", static_cast<float>(static_cast<int>(40 + dbh * 3.5 + rng.Uniform(-10, 10))));
        trees->SetDouble(r, "NCUFTVolPP", static_cast<int>(dbh * dbh * 0.35 * 100) / 100.0);
    }

    using namespace schema;
    const char* settings[][3] = {{kBlockGeneral, kKeyStructureVersion, kCurrentVersion},
                                 {kBlockGeneral, kKeyMRU, kMruDesign},
                                 {kBlockGeneral, kKeyDirtyFlag, kClean},
                                 {kBlockStrovan, kKeyType, kTypeRecon},
                                 {kBlockStrovan, kKeyUpdateFlag, kFlagYes},
                                 {kBlockStrovan, kKeyUOM, kUomCubicFeet}};
    for (const auto& row : settings) {
        r = config->AddRow();
        for (int i = 0; i < 3; ++i) config->SetString(r, i, row[i]);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string path = argc > 1 ? argv[1] : "data/examples/sale.crz";
    auto s = mk::Storage::Create(path);
    if (!s) {
        std::fprintf(stderr, "make_example: %s\n", s.error().message.c_str());
        return 1;
    }
    if (!Fill(*s)) {
        std::fprintf(stderr, "make_example: a table description does not parse\n");
        return 1;
    }
    mk::Status done = s->Commit();
    if (!done) {
        std::fprintf(stderr, "make_example: %s\n", done.error().message.c_str());
        return 1;
    }
    std::printf("wrote %s\n", path.c_str());
    return 0;
}
