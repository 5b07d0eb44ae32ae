#include "testdata/recon_sale.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "app/settings.h"
#include "app/setup_file.h"
#include "mk/mk.h"
#include "store/schema.h"

namespace testdata::recon {

namespace {

inline constexpr const char* kSpecies[12] = {"DF", "WH", "RC", "PP", "LP", "WL", "ES", "AF", "GF", "SP", "IC", "RA"};
inline constexpr const char* kProds[2] = {"01", "02"};
// Sample-group codes: capital letters without I and O.
inline constexpr const char* kCodes = "ABCDEFGHJKLMNPQRSTUVWXYZ";

class Rng {
public:
    explicit Rng(uint64_t seed) : s_(seed) {}
    uint32_t Next() {
        s_ = s_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<uint32_t>(s_ >> 33);
    }
    double Uniform(double lo, double hi) { return lo + (hi - lo) * (Next() / 2147483648.0); }
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }

private:
    uint64_t s_;
};

}  // namespace

bool WriteReconSale(const std::string& path, int trees) {
    auto created = mk::Storage::Create(path);
    if (!created) return false;
    mk::Storage s = std::move(*created);
    if (!app::BuildSetup(s)) return false;
    mk::View config = *s.GetAs(schema::kGlobalConfigurationTableDesc);
    const std::pair<const char*, const char*> settings[] = {
        {schema::kKeyType, schema::kTypeRecon}, {schema::kKeyUpdateFlag, "Y"}, {schema::kKeyUOM, "03"},
        {"CrewPlot", "60"}, {"CntPlot", "6"},   {"Trav", "15"},                 {"CrewTree", "60"},
        {"TreeTally", "120"}, {"Tree3P", "40"}, {"TreeMeas", "10"},            {"Paint", "2"},
        {"TreePaint", "100"}};
    for (const auto& [k, v] : settings) app::AddSetting(config, schema::kBlockStrovan, k, v);

    mk::View cruise = *s.GetAs(schema::kCruiseTableDesc);
    cruise.SetRowCount(1);
    cruise.SetString(0, "SaleNo", "4711");
    cruise.SetString(0, "SaleName", "Generated Recon");

    mk::View recon = *s.GetAs(schema::kStratumTableSetupDesc);
    const char* methods[3] = {"FIX", "PNT", "100"};
    for (int m = 0; m < 3; ++m) {
        int r = recon.AddRow();
        recon.SetString(r, "Stratum", std::to_string(m + 1));
        recon.SetString(r, "CruzMeth", methods[m]);
        recon.SetDouble(r, "FPSize", m == 0 ? 10 : 0);
        recon.SetDouble(r, "BAF", m == 1 ? 20 : 0);
    }

    // Units: unit u (1-based) lies in stratum u % 99 + 1 and was cruised by recon method
    // (u + u / 99) % 3, so that strata mix the methods.
    mk::View units = *s.GetAs(schema::kCuttingUnitTableDesc);
    mk::View strata = *s.GetAs(schema::kSVStrataTableDesc);
    mk::View summary = *s.GetAs(schema::kSVSummaryTableDesc);
    std::vector<double> acres(kStrata, 0);
    std::vector<std::string> unitList(kStrata);
    Rng rng(20261208);
    for (int u = 1; u <= kUnits; ++u) {
        double area = std::floor(rng.Uniform(20, 120));
        int r = units.AddRow();
        units.SetString(r, "CutUnit", std::to_string(u));
        units.SetDouble(r, "Area", area);
        int st = u % kStrata;
        acres[st] += area;
        if (!unitList[st].empty()) unitList[st] += ',';
        unitList[st] += std::to_string(u);
        for (int sp = 0; sp < 12; ++sp)
            for (int p = 0; p < 2; ++p) {
                int row = summary.AddRow();
                std::string code(1, kCodes[sp * 2 + p]);
                summary.SetString(row, "Recon", "Y");
                summary.SetString(row, "Modify", "N");
                summary.SetString(row, "CutUnit", std::to_string(u));
                summary.SetString(row, "Stratum", std::to_string(st + 1));
                summary.SetString(row, "SgTree", code);
                summary.SetString(row, "SgPlot", code);
                summary.SetString(row, "Species", kSpecies[sp]);
                summary.SetString(row, "Prod", kProds[p]);
                summary.SetString(row, "LD", "L");
            }
    }
    for (int st = 0; st < kStrata; ++st) {
        int r = strata.AddRow();
        strata.SetString(r, "Stratum", std::to_string(st + 1));
        char buf[32];
        std::snprintf(buf, sizeof buf, "%g", acres[st]);
        strata.SetString(r, "TotAcres", buf);
        std::snprintf(buf, sizeof buf, "%.0f", 2 * std::sqrt(M_PI * acres[st] * 43560));
        strata.SetString(r, "TotCircum", buf);
        strata.SetString(r, "Description", "Stratum " + std::to_string(st + 1));
        strata.SetString(r, "Units", unitList[st]);
        strata.SetString(r, "Modified", "Y");
    }

    mk::View plots = *s.GetAs(schema::kPlotTableDesc);
    mk::View tt = s.GetView(schema::kTreeTable);
    const int perUnit = trees / kUnits;
    const int plotsPerUnit = std::max(1, perUnit / 5);
    tt.SetRowCount(perUnit * kUnits);
    const int cStratum = tt.FindColumn("Stratum"), cUnit = tt.FindColumn("CutUnit"), cPlot = tt.FindColumn("Plot"),
              cTree = tt.FindColumn("Tree"), cSp = tt.FindColumn("Sp"), cProd = tt.FindColumn("ProdP"),
              cLd = tt.FindColumn("LD"), cDbh = tt.FindColumn("DBH"), cHt = tt.FindColumn("TotHt"),
              cCu = tt.FindColumn("NCUFTVolPP"), cBd = tt.FindColumn("NBDFTVolPP");
    int row = 0;
    for (int u = 1; u <= kUnits; ++u) {
        std::string recStratum = std::to_string((u + u / kStrata) % 3 + 1), unit = std::to_string(u);
        for (int p = 1; p <= plotsPerUnit; ++p) {
            int r = plots.AddRow();
            plots.SetString(r, "Stratum", recStratum);
            plots.SetString(r, "CutUnit", unit);
            plots.SetString(r, "Plot", std::to_string(p));
        }
        for (int t = 0; t < perUnit; ++t, ++row) {
            double dbh = std::round(rng.Uniform(6, 36) * 10) / 10;
            double ht = std::round(rng.Uniform(40, 160));
            double cuft = 0.0025 * dbh * dbh * ht;
            tt.SetString(row, cStratum, recStratum);
            tt.SetString(row, cUnit, unit);
            // Trees are recorded plot by plot, as they come from the field.
            tt.SetString(row, cPlot, std::to_string(1 + static_cast<int>(static_cast<long long>(t) * plotsPerUnit / perUnit)));
            tt.SetString(row, cTree, std::to_string(t + 1));
            tt.SetString(row, cSp, kSpecies[rng.Below(12)]);
            tt.SetString(row, cProd, kProds[rng.Below(2)]);
            tt.SetString(row, cLd, "L");
            tt.SetFloat(row, cDbh, static_cast<float>(dbh));
            tt.SetFloat(row, cHt, static_cast<float>(ht));
            tt.SetDouble(row, cCu, cuft);
            tt.SetDouble(row, cBd, cuft * 5.5);
        }
    }
    return s.Commit().ok();
}

}  // namespace testdata::recon
