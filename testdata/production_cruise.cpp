#include "testdata/production_cruise.h"

#include <algorithm>
#include <cmath>

#include "store/schema.h"
#include "testdata/splitmix.h"

namespace testdata {

namespace {

// Deterministic: the same shape always gives the same file.
struct Rng {
    SplitMix64 g;
    explicit Rng(uint64_t seed) : g{seed * 0x2545F4914F6CDD1Dull + 1} {}
    uint64_t Next() { return g.Next(); }
    double Uniform(double lo, double hi) { return lo + (hi - lo) * g.Unit(); }
    int Int(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<uint64_t>(hi - lo + 1)); }
    bool Chance(double p) { return Uniform(0, 1) < p; }
};

constexpr const char* kTreeTableDesc =
    "TreeTable[Stratum:S,CutUnit:S,Plot:S,Tree:S,SG:S,Sp:S,ProdP:S,LD:S,CL:S,CM:S,3Pcode:S,"
    "KPI:L,TreeCnt:I,DBH:F,TotHt:F,NCUFTVolPP:D,NBDFTVolPP:D]";

const char* kSpecies[] = {"202", "122", "263", "015", "108", "242"};

// One tree as the processing program leaves it: diameter, height and volumes.
struct Tree {
    double dbh, height, cubic, board;
};

Tree MakeTree(Rng& rng) {
    Tree t;
    t.dbh = std::trunc(rng.Uniform(6.0, 38.0) * 10) / 10;
    t.height = std::trunc(30 + t.dbh * 3.8 + rng.Uniform(-15, 15));
    t.cubic = std::trunc(0.0024 * t.dbh * t.dbh * t.height * 100) / 100;
    t.board = t.dbh < 9 ? 0.0 : std::trunc(t.cubic * rng.Uniform(4.2, 5.8));
    return t;
}

class Writer {
public:
    Writer(mk::View trees, mk::View counts, mk::View plots, Rng& rng) : t_(trees), c_(counts), p_(plots), rng_(rng) {
        for (const char* name : {"Stratum", "CutUnit", "Plot", "Tree", "SG", "Sp", "ProdP", "LD", "CL", "CM", "3Pcode",
                                 "KPI", "TreeCnt", "DBH", "TotHt", "NCUFTVolPP", "NBDFTVolPP"})
            col_.push_back(t_.FindColumn(name));
    }

    int64_t rows = 0;
    std::string stratum;

    // A tree row. kpi < 0: none recorded.
    void Add(const std::string& unit, const std::string& plot, int treeNo, const std::string& sg, bool measured,
             int64_t kpi, int treeCnt, const std::string& code = "") {
        Tree x = MakeTree(rng_);
        bool leave = rng_.Chance(0.03);
        int r = t_.AddRow();
        t_.SetString(r, col_[0], stratum);
        t_.SetString(r, col_[1], unit);
        t_.SetString(r, col_[2], plot);
        t_.SetString(r, col_[3], std::to_string(treeNo));
        t_.SetString(r, col_[4], sg);
        t_.SetString(r, col_[5], kSpecies[static_cast<size_t>(sg.empty() ? 0 : sg[0] - 'A') % 6]);
        t_.SetString(r, col_[6], "01");
        t_.SetString(r, col_[7], rng_.Chance(0.1) ? "D" : "L");
        t_.SetString(r, col_[8], leave ? "L" : "C");
        t_.SetString(r, col_[9], measured ? "M" : "C");
        t_.SetString(r, col_[10], code);
        t_.SetLong(r, col_[11], kpi < 0 ? 0 : kpi);
        t_.SetInt(r, col_[12], treeCnt);
        if (measured) {
            t_.SetFloat(r, col_[13], static_cast<float>(x.dbh));
            t_.SetFloat(r, col_[14], static_cast<float>(x.height));
            t_.SetDouble(r, col_[15], x.cubic);
            t_.SetDouble(r, col_[16], x.board);
        } else if (treeNo != 0) {
            t_.SetFloat(r, col_[13], static_cast<float>(x.dbh));  // count trees: a diameter only
        }
        ++rows;
    }

    void Count(const std::string& unit, const std::string& sg, int64_t count, int64_t sumKpi) {
        int r = c_.AddRow();
        c_.SetString(r, "CutUnit", unit);
        c_.SetString(r, "Stratum", stratum);
        c_.SetString(r, "SG", sg);
        c_.SetString(r, "Sp", kSpecies[static_cast<size_t>(sg.empty() ? 0 : sg[0] - 'A') % 6]);
        c_.SetLong(r, "Count", count);
        c_.SetLong(r, "SumKPI", sumKpi);
    }

    void PlotRow(const std::string& unit, const std::string& plot) {
        int r = p_.AddRow();
        p_.SetString(r, "Stratum", stratum);
        p_.SetString(r, "CutUnit", unit);
        p_.SetString(r, "Plot", plot);
    }

    Rng& rng() { return rng_; }

private:
    mk::View t_, c_, p_;
    Rng& rng_;
    std::vector<int> col_;
};

std::string GroupCode(int i) {
    static const char* letters = "ABCDEFGHJKLMNPQRSTUVWXYZ";  // no I, no O
    std::string code(1, letters[i % 24]);
    if (i >= 24) code += std::to_string(i / 24);
    return code;
}

// The trees of one stratum under its method until about `target` rows exist.
void WriteStratumTrees(Writer& w, const std::string& method, const std::vector<std::string>& units,
                       const std::vector<std::string>& groups, int64_t target) {
    Rng& rng = w.rng();
    const int64_t start = w.rows;
    auto pick = [&] { return groups[rng.Next() % groups.size()]; };
    const bool plotMethod = method != "100" && method != "STR" && method != "3P" && method != "S3P";
    if (!plotMethod) {
        // Tree methods: no plots; per unit and group the tally of trees not measured.
        const int k = 5;  // sampling interval / frequency
        int treeNo = 0;
        while (w.rows - start < target) {
            for (const std::string& unit : units) {
                for (const std::string& sg : groups) {
                    int64_t count = 0, sumKpi = 0;
                    int measuredHere = rng.Int(2, 12);
                    for (int i = 0; i < measuredHere && w.rows - start < target; ++i) {
                        ++treeNo;
                        if (method == "100") {
                            w.Add(unit, "", treeNo, sg, true, -1, 1);
                        } else if (method == "STR") {
                            w.Add(unit, "", treeNo, sg, true, -1, 1);
                            count += k - 1;
                        } else if (method == "3P") {
                            int64_t kpi = rng.Int(1, 60);
                            w.Add(unit, "", treeNo, sg, true, kpi, 1, rng.Chance(0.05) ? "3" : "");
                            for (int j = 0; j < k; ++j) {
                                ++count;
                                sumKpi += rng.Int(1, 40);
                            }
                        } else {  // S3P: sample trees by KPI, some of them measured
                            int64_t kpi = rng.Int(1, 60);
                            bool measured = rng.Chance(0.4);
                            bool sure = rng.Chance(0.03);
                            w.Add(unit, "", treeNo, sg, measured || sure, kpi, 1, sure ? "3" : (measured ? "1" : "2"));
                            count += k - 1;
                        }
                    }
                    if (count > 0) w.Count(unit, sg, count, sumKpi);
                }
            }
        }
        return;
    }
    // Plot methods: plots in turn over the units, some of them without trees.
    int plotNo = 0;
    while (w.rows - start < target) {
        const std::string& unit = units[static_cast<size_t>(plotNo) % units.size()];
        std::string plot = std::to_string(++plotNo);
        w.PlotRow(unit, plot);
        int onPlot = rng.Chance(0.08) ? 0 : rng.Int(1, 9);
        if (method == "3PPNT") {
            bool measured = rng.Chance(0.3) && onPlot > 0;
            w.Add(unit, plot, 0, groups.front(), false, rng.Int(1, 40), 0);
            if (measured)
                for (int t = 1; t <= onPlot; ++t) w.Add(unit, plot, t, pick(), true, -1, 1);
            continue;
        }
        for (int t = 1; t <= onPlot; ++t) {
            const std::string sg = pick();
            if (method == "FIX" || method == "PNT") {
                w.Add(unit, plot, t, sg, true, -1, 1);
            } else if (method == "F3P" || method == "P3P") {
                bool measured = rng.Chance(0.25);
                w.Add(unit, plot, t, sg, measured, rng.Int(1, 50), 1);
            } else {  // PCM, PCMTRE, FCM: a tally row per species, one tree measured now and then
                bool measured = rng.Chance(0.35);
                w.Add(unit, plot, measured ? t : 0, sg, measured, -1, measured ? rng.Int(0, 1) : rng.Int(1, 4));
            }
        }
    }
}

}  // namespace

const std::vector<std::string>& ProductionMethods() {
    static const std::vector<std::string> m = {"100", "STR", "3P",  "S3P", "FIX", "PNT",
                                               "F3P", "P3P", "PCM", "PCMTRE", "FCM", "3PPNT"};
    return m;
}

bool WriteProductionCruise(mk::Storage& storage, const ProductionCruiseShape& shape) {
    auto cruise = storage.GetAs(schema::kCruiseTableDesc);
    auto units = storage.GetAs(schema::kCuttingUnitTableDesc);
    auto strata = storage.GetAs(schema::kStratumTableFieldDesc);
    auto subpops = storage.GetAs(schema::kSubPopulationTableDesc);
    auto counts = storage.GetAs(schema::kCountTableDesc);
    auto plots = storage.GetAs(schema::kPlotTableDesc);
    auto trees = storage.GetAs(kTreeTableDesc);
    auto config = storage.GetAs(schema::kGlobalConfigurationTableDesc);
    if (!cruise || !units || !strata || !subpops || !counts || !plots || !trees || !config) return false;

    Rng rng(shape.seed);
    const std::vector<std::string>& methods = shape.methods.empty() ? ProductionMethods() : shape.methods;
    const int nStrata = std::max(shape.strata, 1);
    const int nGroups = std::max(shape.groupsPerStratum, 1);
    const int nUnits = std::max(shape.unitsPerStratum, 1);

    const char* sale[] = {"54321", "2", "Cedar Flats", "06", "12", "03", "ST", "2010", "Timber sale", "P", "made-up"};
    int r = cruise->AddRow();
    for (int i = 0; i < 11; ++i) cruise->SetString(r, i, sale[i]);

    Writer w(*trees, *counts, *plots, rng);
    int unitNo = 0;
    for (int s = 0; s < nStrata; ++s) {
        const std::string& method = methods[static_cast<size_t>(s) % methods.size()];
        std::string code = std::to_string(s + 1);
        std::vector<std::string> unitCodes;
        std::string unitsText;
        for (int u = 0; u < nUnits; ++u) {
            std::string cu = std::to_string(++unitNo);
            unitCodes.push_back(cu);
            // Units as the field program lists them: commas, sometimes a blank after one.
            if (u) unitsText += rng.Chance(0.5) ? ", " : ",";
            unitsText += cu;
            int ur = units->AddRow();
            units->SetString(ur, "CutUnit", cu);
            units->SetDouble(ur, "Area", std::trunc(rng.Uniform(15, 140) * 10) / 10);
            units->SetString(ur, "Description", "Unit " + cu);
            units->SetString(ur, "LogMeth", "TRC");
            units->SetString(ur, "PayUnit", "1");
        }
        const bool point = method == "PNT" || method == "P3P" || method == "PCM" || method == "PCMTRE" ||
                           method == "3PPNT";
        const bool fixed = method == "FIX" || method == "F3P" || method == "FCM";
        int sr = strata->AddRow();
        strata->SetString(sr, "Stratum", code);
        strata->SetString(sr, "CruzMeth", method);
        strata->SetString(sr, "Units", unitsText);
        strata->SetDouble(sr, "BAF", point ? (rng.Chance(0.5) ? 20.0 : 40.0) : 0.0);
        strata->SetDouble(sr, "FPSize", fixed ? (rng.Chance(0.5) ? 10.0 : 20.0) : 0.0);
        strata->SetInt(sr, "Month", 6);
        strata->SetInt(sr, "Year", 2010);
        strata->SetString(sr, "Description", method + " stratum " + code);

        std::vector<std::string> groups;
        for (int g = 0; g < nGroups; ++g) {
            groups.push_back(GroupCode(g));
            // Two species rows per sample group, as the field program keeps them.
            for (int k = 0; k < 2; ++k) {
                int pr = subpops->AddRow();
                subpops->SetString(pr, "Stratum", code);
                subpops->SetString(pr, "SG", groups.back());
                subpops->SetString(pr, "Sp", kSpecies[static_cast<size_t>(g + k) % 6]);
                subpops->SetString(pr, "ProdP", "01");
                subpops->SetString(pr, "CL", "C");
                subpops->SetString(pr, "LD", "L");
                subpops->SetInt(pr, "Freq", 5);
            }
        }
        w.stratum = code;
        int64_t target = shape.trees / nStrata + (s < shape.trees % nStrata ? 1 : 0);
        WriteStratumTrees(w, method, unitCodes, groups, std::max<int64_t>(target, 1));
    }

    using namespace schema;
    const char* settings[][3] = {{kBlockGeneral, kKeyStructureVersion, kCurrentVersion},
                                 {kBlockGeneral, kKeyMRU, kMruProcessing},
                                 {kBlockGeneral, kKeyDirtyFlag, kClean},
                                 {kBlockStrovan, kKeyType, kTypeProduction},
                                 {kBlockStrovan, kKeyUOM, shape.uom.c_str()},
                                 {kBlockStrovan, kKeyCrewPlot, "90"},  // crew cost per hour
                                 {kBlockStrovan, kKeyCrewTree, "90"},
                                 {kBlockStrovan, kKeyCntPlot, "4"},  // plots per hour
                                 {kBlockStrovan, kKeyTrav, "20"},    // minutes per 10 chains
                                 {kBlockStrovan, kKeyTreeTally, "300"},
                                 {kBlockStrovan, kKeyTree3P, "60"},
                                 {kBlockStrovan, kKeyTreeMeas, "12"},
                                 {kBlockStrovan, kKeyPaint, "25"},  // per can, trees per can below
                                 {kBlockStrovan, kKeyTreePaint, "400"}};
    for (const auto& row : settings) {
        r = config->AddRow();
        for (int i = 0; i < 3; ++i) config->SetString(r, i, row[i]);
    }
    return true;
}

}  // namespace testdata
