#include "reports/report_sample.h"

#include <random>

#include "mk/mk.h"
#include "reports/report_data.h"
#include "store/config.h"
#include "store/schema.h"

namespace reports {

void WriteSampleDesign(mk::Storage& storage, const SampleShape& shape) {
    using namespace schema;
    static const char* const kMethods[] = {"100", "STR", "3P", "S3P", "FIX", "F3P",
                                           "FCM", "PNT", "P3P", "PCM", "PCMTRE", "3PPNT"};
    static const char* const kAll[] = {"100", "STR", "3P", "S3P", "FIX", "F3P",
                                       "FCM", "PNT", "P3P", "PCM", "3PPNT"};
    static const char* const kSpecies[] = {"DF", "WH", "RC", "PP", "LP", "SS", "GF", "WL"};
    std::mt19937 rng(shape.seed);
    std::uniform_real_distribution<double> u(0, 1);

    mk::View cruise = *storage.GetAs(kCruiseTableDesc);
    cruise.SetRowCount(0);
    int c = cruise.AddRow();
    cruise.SetString(c, "SaleNo", "12345");
    cruise.SetString(c, "CruiseNo", "7");
    cruise.SetString(c, "SaleName", "Cedar Ridge");
    cruise.SetString(c, "Region", "06");
    cruise.SetString(c, "Forest", "12");
    cruise.SetString(c, "District", "03");
    cruise.SetString(c, "CalYear", "2026");
    cruise.SetString(c, "Purpose", "Timber Sale");

    mk::View units = *storage.GetAs(kSVUnitsTableDesc);
    units.SetRowCount(0);
    for (int i = 0; i < shape.units; ++i) {
        int r = units.AddRow();
        units.SetString(r, "CutUnit", std::to_string(i + 1));
        units.SetDouble(r, "Area", 5 + 95 * u(rng));
        units.SetString(r, "Description", "Unit " + std::to_string(i + 1));
        units.SetString(r, "LogMeth", i % 3 == 0 ? "420" : i % 3 == 1 ? "450" : "480");
        units.SetString(r, "PayUnit", std::to_string(i / 10 + 1));
    }

    mk::View design = *storage.GetAs(kSVDesignTableDesc);
    mk::View sg = *storage.GetAs(kSVDesignSgTableDesc);
    mk::View msg = *storage.GetAs(kSVMethodsSgTableDesc);
    mk::View sum = *storage.GetAs(kSVSummaryTableDesc);
    for (mk::View* v : {&design, &sg, &msg, &sum}) v->SetRowCount(0);
    int unit = 0;
    for (int s = 0; s < shape.strata; ++s) {
        const std::string code = std::to_string(s + 1);
        const std::string method = kMethods[s % 12];
        std::string unitList;
        for (int k = 0; k < 4; ++k) unitList += (k ? "," : "") + std::to_string(unit++ % shape.units + 1);
        int r = design.AddRow();
        double acres = 40 + 400 * u(rng);
        double vpa = 5 + 40 * u(rng);
        design.SetString(r, "Stratum", code);
        design.SetString(r, "Description", "Stratum " + code + " mixed conifer");
        design.SetString(r, "Units", unitList);
        design.SetString(r, "CruzMeth", method);
        design.SetDouble(r, "Error", 5 + 10 * u(rng));
        design.SetDouble(r, "Trees/Acre", 50 + 200 * u(rng));
        design.SetDouble(r, "Vol/Acre", vpa);
        design.SetDouble(r, "TotAcres", acres);
        design.SetDouble(r, "TotalVol", acres * vpa);
        design.SetDouble(r, "StrCost", 1000 + 9000 * u(rng));
        design.SetInt(r, "PlotSpacing", 200 + 10 * (s % 20));
        design.SetDouble(r, "PlotSize", method == "FIX" || method == "F3P" || method == "FCM" ? 10 : 20);
        for (int gi = 0; gi < shape.groups; ++gi) {
            std::string g(1, static_cast<char>('A' + gi % 26));
            if (gi >= 26) g += std::to_string(gi / 26);
            int q = sg.AddRow();
            sg.SetString(q, "Stratum", code);
            sg.SetString(q, "SgCode", g);
            sg.SetString(q, "Description", "Group " + g);
            sg.SetDouble(q, "SgErr", 10 + 20 * u(rng));
            sg.SetInt(q, "SgN", 5 + static_cast<int>(60 * u(rng)));
            sg.SetInt(q, "SgN2", 2 + static_cast<int>(20 * u(rng)));
            sg.SetDouble(q, "SgCV", 20 + 80 * u(rng));
            sg.SetDouble(q, "SgCV2", 10 + 40 * u(rng));
            sg.SetDouble(q, "Trees/Acre", 5 + 50 * u(rng));
            sg.SetDouble(q, "Vol/Acre", 1 + 10 * u(rng));
            sg.SetInt(q, "Freq", 5 + gi);
            sg.SetInt(q, "KZ", 100 + 10 * gi);
            sg.SetDouble(q, "BigBaf", 40);
            const std::string sp = kSpecies[gi % shape.species % 8];
            const bool plot = method == "FIX" || method == "F3P" || method == "FCM" || method == "PNT" ||
                              method == "P3P" || method == "PCM" || method == "PCMTRE" || method == "3PPNT";
            for (int k = 0; k < 2; ++k) {
                int w = sum.AddRow();
                sum.SetString(w, "Stratum", code);
                sum.SetString(w, plot ? "SgPlot" : "SgTree", g);
                sum.SetString(w, "CutUnit", SplitList(unitList)[k % 4]);
                sum.SetString(w, "Species", sp);
                sum.SetString(w, "Prod", "01");
                sum.SetString(w, "LD", k == 0 ? "L" : "D");
            }
        }
        for (const char* m : kAll) {
            for (int gi = 0; gi < shape.groups; ++gi) {
                int q = msg.AddRow();
                msg.SetString(q, "Stratum", code);
                msg.SetString(q, "CruzMeth", m);
                msg.SetString(q, "SgCode", std::string(1, static_cast<char>('A' + gi % 26)));
                msg.SetInt(q, "MPlots", static_cast<int>(40 * u(rng)));
                msg.SetInt(q, "MTrees", static_cast<int>(400 * u(rng)));
            }
        }
    }
    mk::View fill = *storage.GetAs(kSVSelAutoFillDesc);
    fill.SetRowCount(0);
    for (int i = 0; i < shape.species && i < 8; ++i) {
        int r = fill.AddRow();
        fill.SetString(r, "Sp", kSpecies[i]);
        fill.SetString(r, "ProdP", "01");
        fill.SetString(r, "LD", "L,D");
        fill.SetString(r, "UOMP", "03");
        fill.SetString(r, "ProdS", "02");
        fill.SetString(r, "CDefP", "10");
        fill.SetString(r, "HDefP", "5");
        fill.SetString(r, "ContrSpec", kSpecies[i]);
        fill.SetFloat(r, "TopDIBP", 5.5f);
        fill.SetFloat(r, "TopDIBS", 3.0f);
        fill.SetDouble(r, "AvgZForm", 0.75);
        fill.SetFloat(r, "DBHBTR", 0.9f);
    }
    store::SetSetting(storage, kBlockStrovan, kKeyUOM, shape.uom);
    store::SetSetting(storage, kBlockStrovan, kKeyType, kTypeDesign);
}

}  // namespace reports
