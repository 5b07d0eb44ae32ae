// The run of the production statistics: strata from StratumTable, acres from their
// units, sample groups from SubPopulationTable, tallies from CountTable and the
// trees, then one routine per method and the stratum roll-up. Trees, tallies and
// plots are indexed once by stratum and sample group.
#include <cmath>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "design/sampling.h"
#include "design/stratum.h"
#include "stats/key_index.h"
#include "stats/production.h"
#include "store/schema.h"

namespace stats {

namespace {

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

const char* VolumeColumn(const std::string& uom) {
    return uom == schema::kUomBoardFeet ? "NBDFTVolPP" : "NCUFTVolPP";
}

bool IsPointMethod(const std::string& m) { return design::IsOneOf(m, {"PNT", "P3P", "PCM", "PCMTRE", "3PPNT"}); }
bool IsFixedMethod(const std::string& m) { return design::IsOneOf(m, {"FIX", "F3P", "FCM"}); }

// Column positions of TreeTable, looked up once.
struct TreeColumns {
    int cutUnit, plot, tree, cm, cl, code3p, kpi, treeCnt, dbh, totHt, vol;
    TreeColumns(const mk::View& v, const std::string& uom)
        : cutUnit(v.FindColumn("CutUnit")),
          plot(v.FindColumn("Plot")),
          tree(v.FindColumn("Tree")),
          cm(v.FindColumn("CM")),
          cl(v.FindColumn("CL")),
          code3p(v.FindColumn("3Pcode")),
          kpi(v.FindColumn("KPI")),
          treeCnt(v.FindColumn("TreeCnt")),
          dbh(v.FindColumn("DBH")),
          totHt(v.FindColumn("TotHt")),
          vol(v.FindColumn(VolumeColumn(uom))) {}
};

double Finite(double x) { return std::isfinite(x) ? x : 0.0; }

ProdTree ReadTree(const mk::View& v, int r, const TreeColumns& c) {
    ProdTree t;
    auto text = [&](int col) { return col >= 0 ? v.GetString(r, col) : std::string(); };
    auto num = [&](int col) { return col >= 0 ? Finite(v.GetDouble(r, col)) : 0.0; };
    t.cutUnit = text(c.cutUnit);
    t.plot = text(c.plot);
    double treeNo = num(c.tree);
    t.treeNo = std::abs(treeNo) < 9.0e18 ? static_cast<int64_t>(treeNo) : 0;
    t.measured = Trim(text(c.cm)) == "M" && t.treeNo > 0;
    t.leave = Trim(text(c.cl)) == "L";
    t.code3p = Trim(text(c.code3p));
    t.kpi = c.kpi >= 0 ? v.GetLong(r, c.kpi) : 0;
    double cnt = num(c.treeCnt);
    t.treeCnt = std::abs(cnt) < 9.0e18 ? static_cast<int64_t>(cnt) : 0;
    t.dbh = num(c.dbh);
    t.totHt = num(c.totHt);
    t.volume = num(c.vol);
    return t;
}

void WriteStratumRow(mk::View& v, int r, const design::StratumRow& s) {
    v.SetDouble(r, "TotCircum", s.totCircum);
    v.SetString(r, "Stratum", s.stratum);
    v.SetString(r, "Description", s.description);
    v.SetString(r, "Units", s.units);
    v.SetString(r, "CruzMeth", s.cruzMeth);
    v.SetDouble(r, "Error", s.error);
    v.SetInt(r, "SumN", s.sumN);
    v.SetInt(r, "SumN2", s.sumN2);
    v.SetDouble(r, "WtCV", s.wtCV);
    v.SetDouble(r, "WtCV2", s.wtCV2);
    v.SetDouble(r, "Trees/Acre", s.treesAcre);
    v.SetDouble(r, "Vol/Acre", s.volAcre);
    v.SetDouble(r, "TotalVol", s.totalVol);
    v.SetDouble(r, "TotAcres", s.totAcres);
    v.SetDouble(r, "StrCost", s.strCost);
    v.SetDouble(r, "Trees/Plot", s.treesPlot);
    v.SetInt(r, "PlotSpacing", s.plotSpacing);
    v.SetDouble(r, "PlotSize", s.plotSize);
}

void WriteSgRow(mk::View& v, int r, const design::SgRow& g) {
    v.SetString(r, "C", g.c);
    v.SetString(r, "C2", g.c2);
    v.SetString(r, "T", g.t);
    v.SetString(r, "V", g.v);
    v.SetString(r, "Stratum", g.stratum);
    v.SetString(r, "SgCode", g.sgCode);
    v.SetString(r, "Description", g.description);
    v.SetDouble(r, "SgErr", g.sgErr);
    v.SetInt(r, "SgN", g.sgN);
    v.SetInt(r, "SgN2", g.sgN2);
    v.SetDouble(r, "SgCV", g.sgCV);
    v.SetDouble(r, "SgCV2", g.sgCV2);
    v.SetDouble(r, "Trees/Acre", g.treesAcre);
    v.SetDouble(r, "Vol/Acre", g.volAcre);
    v.SetInt(r, "Freq", g.freq);
    v.SetInt(r, "KZ", g.kz);
    v.SetDouble(r, "Trees/Plot", g.treesPlot);
    v.SetDouble(r, "AvgHt", g.avgHt);
    v.SetDouble(r, "BigBaf", g.bigBaf);
}

bool AnyVolume(const mk::View& trees, const std::string& uom) {
    int col = trees.FindColumn(VolumeColumn(uom));
    if (col < 0) return false;
    for (int r = 0, n = trees.RowCount(); r < n; ++r)
        if (trees.GetDouble(r, col) > 0) return true;
    return false;
}

}  // namespace

std::vector<std::string> SplitUnits(const std::string& units) {
    std::vector<std::string> codes;
    std::string cur;
    for (char ch : units) {
        if (ch == ',') {
            codes.push_back(cur);
            cur.clear();
        } else if (ch != ' ') {
            cur += ch;
        }
    }
    codes.push_back(cur);
    return codes;
}

double UnitPerimeter(double area) {
    double x = area * 43560 * 0.3183098865475127;
    return x > 0 ? std::sqrt(x) * 6.283185 : 0.0;
}

std::string ProductionResultMessage(int result, const std::string& uom) {
    if (result == 1) return "No Trees Found in the Tree Table!";
    if (result == 2)
        return uom == schema::kUomBoardFeet
                   ? "No board foot volume found for trees.\nPlease Process through Dorvex program."
                   : "No cubic foot volume found for trees.\nPlease Process through Dorvex program.";
    return {};
}

int CompileProductionStatistics(mk::Storage& storage, const std::string& uom,
                                const design::CostFigures& costs, ProductionReport* report) {
    mk::View trees = storage.GetView(schema::kTreeTable);
    if (trees.RowCount() == 0) return 1;
    if (!AnyVolume(trees, uom)) return 2;

    // Shared tables are only read: taken with their stored layouts.
    mk::View units = storage.GetView(schema::kCuttingUnitTable);
    mk::View subpops = storage.GetView(schema::kSubPopulationTable);
    mk::View counts = storage.GetView(schema::kCountTable);
    mk::View plots = storage.GetView(schema::kPlotTable);
    mk::View strata = storage.GetView(schema::kStratumTable);
    // The full design layouts: the production columns plus the plot size the design
    // form's formulas need for the stratum (and the columns it opens them with).
    auto designView = storage.GetAs(schema::kSVDesignTableDesc);
    auto sgView = storage.GetAs(schema::kSVDesignSgTableDesc);
    if (!designView || !sgView) return 1;
    mk::View& strataOut = *designView;
    mk::View& sgs = *sgView;
    strataOut.RemoveAll();
    sgs.RemoveAll();

    std::unordered_map<std::string, double> areaOf;
    {
        int cu = units.FindColumn("CutUnit"), ar = units.FindColumn("Area");
        for (int r = 0, n = units.RowCount(); r < n; ++r)
            areaOf.try_emplace(cu >= 0 ? units.GetString(r, cu) : std::string(),
                               ar >= 0 ? Finite(units.GetDouble(r, ar)) : 0.0);
    }
    const KeyIndex treesBySg(trees, {"Stratum", "SG"});
    const KeyIndex countsBySg(counts, {"Stratum", "SG"});
    const KeyIndex plotsByStratum(plots, {"Stratum"});
    const KeyIndex subpopsByStratum(subpops, {"Stratum"});
    std::unique_ptr<KeyIndex> treesByStratum, countsByStratum;  // only for "3PPNT" strata
    const TreeColumns tc(trees, uom);
    const int sgCol = subpops.FindColumn("SG");
    const int countCol = counts.FindColumn("Count"), sumKpiCol = counts.FindColumn("SumKPI");

    struct Pending {
        design::StratumRow row;
        int designRow;
        std::vector<design::SgRow> groups;
    };
    std::vector<Pending> pending;

    for (int sr = 0, ns = strata.RowCount(); sr < ns; ++sr) {
        const std::string code = strata.GetString(sr, "Stratum");
        const std::string method = Trim(strata.GetString(sr, "CruzMeth"));
        design::StratumRow s;
        s.stratum = Trim(code);
        s.cruzMeth = method;  // the roll-up and the design form compare codes
        s.units = strata.GetString(sr, "Units");
        s.description = strata.GetString(sr, "Description");
        const double baf = Finite(strata.GetDouble(sr, "BAF"));
        const double fpSize = Finite(strata.GetDouble(sr, "FPSize"));
        for (const std::string& u : SplitUnits(s.units)) {
            auto it = areaOf.find(u);
            if (it == areaOf.end()) continue;
            s.totAcres += it->second;
            s.totCircum += UnitPerimeter(it->second);
        }
        const bool acresMissing = !(s.totAcres > 0);
        if (acresMissing) s.totAcres = 1.0;
        if (IsPointMethod(method)) s.plotSize = baf;
        else if (IsFixedMethod(method)) s.plotSize = fpSize;
        int dr = strataOut.AddRow();
        WriteStratumRow(strataOut, dr, s);

        ProductionStratumReport* rep = nullptr;
        if (report) {
            report->strata.emplace_back();
            rep = &report->strata.back();
            rep->acresMissing = acresMissing;
        }
        Pending p{s, dr, {}};
        const int64_t n = static_cast<int64_t>(plotsByStratum.Rows({code}).size());
        // Sample groups in the order of their first SubPopulationTable row.
        std::vector<std::string> groups;
        {
            std::unordered_set<std::string> seen;
            for (int r : subpopsByStratum.Rows({code})) {
                std::string g = sgCol >= 0 ? subpops.GetString(r, sgCol) : std::string();
                if (seen.insert(g).second) groups.push_back(g);
            }
        }
        if (!HasProductionRoutine(method)) groups.clear();
        // One row for the whole stratum: its points carry trees of every group.
        const bool wholeStratum = method == "3PPNT";
        if (wholeStratum && groups.size() > 1) groups.resize(1);
        if (wholeStratum && !groups.empty() && !treesByStratum) {
            treesByStratum = std::make_unique<KeyIndex>(trees, std::vector<std::string>{"Stratum"});
            countsByStratum = std::make_unique<KeyIndex>(counts, std::vector<std::string>{"Stratum"});
        }

        for (const std::string& g : groups) {
            SgInput in;
            in.stratum = s.stratum;
            in.sgCode = g;
            in.method = method;
            in.acres = s.totAcres;
            in.acresMissing = acresMissing;
            in.plots = n;
            in.baf = baf;
            in.fpSize = fpSize;
            const std::vector<int>& rows =
                wholeStratum ? treesByStratum->Rows({code}) : treesBySg.Rows({code, g});
            in.trees.reserve(rows.size());
            for (int r : rows) in.trees.push_back(ReadTree(trees, r, tc));
            std::vector<CountRow> cr;
            for (int r : wholeStratum ? countsByStratum->Rows({code}) : countsBySg.Rows({code, g}))
                cr.push_back({countCol >= 0 ? counts.GetLong(r, countCol) : 0,
                              sumKpiCol >= 0 ? counts.GetLong(r, sumKpiCol) : 0});
            in.tallies = ComputeTallies(method, in.trees, cr);
            design::SgRow row;
            if (!ComputeProductionGroup(in, row)) continue;
            WriteSgRow(sgs, sgs.AddRow(), row);
            p.groups.push_back(row);
            if (rep) rep->groups.push_back({row, in.tallies, n});
        }
        pending.push_back(std::move(p));
    }

    for (size_t i = 0; i < pending.size(); ++i) {
        Pending& p = pending[i];
        design::SgRefs refs;
        for (design::SgRow& g : p.groups) refs.push_back(&g);
        design::SummarizeStratum(p.row, refs, design::SummaryMode::Fill, uom, costs);
        WriteStratumRow(strataOut, p.designRow, p.row);
        if (report) report->strata[i].row = p.row;
    }
    return 0;
}

}  // namespace stats
