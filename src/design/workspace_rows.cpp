#include "design/workspace_rows.h"

#include <cmath>

#include "design/sampling.h"
#include "design/stratum.h"
#include "store/schema.h"

namespace design {

namespace {

std::string Str(const mk::View& v, int col, int row) { return col < 0 ? std::string() : v.GetString(row, col); }
double Dbl(const mk::View& v, int col, int row) { return col < 0 ? 0.0 : v.GetDouble(row, col); }
int Int(const mk::View& v, int col, int row) { return col < 0 ? 0 : v.GetInt(row, col); }

// One writer for both directions: against a remembered row, or against the table.
class CellWriter {
public:
    CellWriter(mk::View& v, int row) : v_(v), row_(row) {}
    int written = 0;

    void S(int col, const std::string& now, const std::string* before) {
        if (col < 0) return;
        if (before ? *before == now : v_.GetString(row_, col) == now) return;
        v_.SetString(row_, col, now);
        ++written;
    }
    void D(int col, double now, const double* before) {
        if (col < 0) return;
        if (before ? Same(*before, now) : Same(v_.GetDouble(row_, col), now)) return;
        v_.SetDouble(row_, col, now);
        ++written;
    }
    void I(int col, int now, const int* before) {
        if (col < 0) return;
        if (before ? *before == now : v_.GetInt(row_, col) == now) return;
        v_.SetInt(row_, col, now);
        ++written;
    }

private:
    // Bitwise sameness: 0.0 and -0.0 or two NaNs must not hide a change.
    static bool Same(double a, double b) {
        return a == b ? std::signbit(a) == std::signbit(b) : (a != a && b != b);
    }
    mk::View& v_;
    int row_;
};

}  // namespace

SgColumns SgColumns::Of(const mk::View& v) {
    SgColumns c;
    c.c = v.FindColumn("C");
    c.c2 = v.FindColumn("C2");
    c.t = v.FindColumn("T");
    c.v = v.FindColumn("V");
    c.stratum = v.FindColumn("Stratum");
    c.sgCode = v.FindColumn("SgCode");
    c.description = v.FindColumn("Description");
    c.sgErr = v.FindColumn("SgErr");
    c.sgN = v.FindColumn("SgN");
    c.sgN2 = v.FindColumn("SgN2");
    c.sgCV = v.FindColumn("SgCV");
    c.sgCV2 = v.FindColumn("SgCV2");
    c.treesAcre = v.FindColumn("Trees/Acre");
    c.volAcre = v.FindColumn("Vol/Acre");
    c.freq = v.FindColumn("Freq");
    c.kz = v.FindColumn("KZ");
    c.treesPlot = v.FindColumn("Trees/Plot");
    c.avgHt = v.FindColumn("AvgHt");
    c.bigBaf = v.FindColumn("BigBaf");
    c.cruzMeth = v.FindColumn("CruzMeth");
    return c;
}

StratumColumns StratumColumns::Of(const mk::View& v) {
    StratumColumns c;
    c.totCircum = v.FindColumn("TotCircum");
    c.stratum = v.FindColumn("Stratum");
    c.description = v.FindColumn("Description");
    c.units = v.FindColumn("Units");
    c.cruzMeth = v.FindColumn("CruzMeth");
    c.lock = v.FindColumn("Lock");
    c.error = v.FindColumn("Error");
    c.sumN = v.FindColumn("SumN");
    c.sumN2 = v.FindColumn("SumN2");
    c.wtCV = v.FindColumn("WtCV");
    c.wtCV2 = v.FindColumn("WtCV2");
    c.treesAcre = v.FindColumn("Trees/Acre");
    c.volAcre = v.FindColumn("Vol/Acre");
    c.totalVol = v.FindColumn("TotalVol");
    c.totAcres = v.FindColumn("TotAcres");
    c.strCost = v.FindColumn("StrCost");
    c.treesPlot = v.FindColumn("Trees/Plot");
    c.plotSpacing = v.FindColumn("PlotSpacing");
    c.plotSize = v.FindColumn("PlotSize");
    c.select = v.FindColumn("Select");
    return c;
}

SgRow ReadSg(const mk::View& v, const SgColumns& c, int r) {
    SgRow g;
    g.c = Str(v, c.c, r);
    g.c2 = Str(v, c.c2, r);
    g.t = Str(v, c.t, r);
    g.v = Str(v, c.v, r);
    g.stratum = Str(v, c.stratum, r);
    g.sgCode = Str(v, c.sgCode, r);
    g.description = Str(v, c.description, r);
    g.sgErr = Dbl(v, c.sgErr, r);
    g.sgN = Int(v, c.sgN, r);
    g.sgN2 = Int(v, c.sgN2, r);
    g.sgCV = Dbl(v, c.sgCV, r);
    g.sgCV2 = Dbl(v, c.sgCV2, r);
    g.treesAcre = Dbl(v, c.treesAcre, r);
    g.volAcre = Dbl(v, c.volAcre, r);
    g.freq = Int(v, c.freq, r);
    g.kz = Int(v, c.kz, r);
    g.treesPlot = Dbl(v, c.treesPlot, r);
    g.avgHt = Dbl(v, c.avgHt, r);
    g.bigBaf = Dbl(v, c.bigBaf, r);
    return g;
}

StratumRow ReadStratum(const mk::View& v, const StratumColumns& c, int r) {
    StratumRow s;
    s.totCircum = Dbl(v, c.totCircum, r);
    s.stratum = Str(v, c.stratum, r);
    s.description = Str(v, c.description, r);
    s.units = Str(v, c.units, r);
    s.cruzMeth = Str(v, c.cruzMeth, r);
    s.lock = Str(v, c.lock, r);
    s.error = Dbl(v, c.error, r);
    s.sumN = Int(v, c.sumN, r);
    s.sumN2 = Int(v, c.sumN2, r);
    s.wtCV = Dbl(v, c.wtCV, r);
    s.wtCV2 = Dbl(v, c.wtCV2, r);
    s.treesAcre = Dbl(v, c.treesAcre, r);
    s.volAcre = Dbl(v, c.volAcre, r);
    s.totalVol = Dbl(v, c.totalVol, r);
    s.totAcres = Dbl(v, c.totAcres, r);
    s.strCost = Dbl(v, c.strCost, r);
    s.treesPlot = Dbl(v, c.treesPlot, r);
    s.plotSpacing = Int(v, c.plotSpacing, r);
    s.plotSize = Dbl(v, c.plotSize, r);
    return s;
}

int WriteSg(mk::View& v, const SgColumns& c, int r, const SgRow& n, const SgRow* b, const std::string* method) {
    CellWriter w(v, r);
#define B(member) (b ? &b->member : nullptr)
    w.S(c.c, n.c, B(c));
    w.S(c.c2, n.c2, B(c2));
    w.S(c.t, n.t, B(t));
    w.S(c.v, n.v, B(v));
    w.S(c.stratum, n.stratum, B(stratum));
    w.S(c.sgCode, n.sgCode, B(sgCode));
    w.S(c.description, n.description, B(description));
    w.D(c.sgErr, n.sgErr, B(sgErr));
    w.I(c.sgN, n.sgN, B(sgN));
    w.I(c.sgN2, n.sgN2, B(sgN2));
    w.D(c.sgCV, n.sgCV, B(sgCV));
    w.D(c.sgCV2, n.sgCV2, B(sgCV2));
    w.D(c.treesAcre, n.treesAcre, B(treesAcre));
    w.D(c.volAcre, n.volAcre, B(volAcre));
    w.I(c.freq, n.freq, B(freq));
    w.I(c.kz, n.kz, B(kz));
    w.D(c.treesPlot, n.treesPlot, B(treesPlot));
    w.D(c.avgHt, n.avgHt, B(avgHt));
    w.D(c.bigBaf, n.bigBaf, B(bigBaf));
    if (method) w.S(c.cruzMeth, *method, nullptr);
    return w.written;
}

int WriteStratum(mk::View& v, const StratumColumns& c, int r, const StratumRow& n, const StratumRow* b,
                 bool withLock) {
    CellWriter w(v, r);
    w.D(c.totCircum, n.totCircum, B(totCircum));
    w.S(c.stratum, n.stratum, B(stratum));
    w.S(c.description, n.description, B(description));
    w.S(c.units, n.units, B(units));
    w.S(c.cruzMeth, n.cruzMeth, B(cruzMeth));
    if (withLock) w.S(c.lock, n.lock, B(lock));
    w.D(c.error, n.error, B(error));
    w.I(c.sumN, n.sumN, B(sumN));
    w.I(c.sumN2, n.sumN2, B(sumN2));
    w.D(c.wtCV, n.wtCV, B(wtCV));
    w.D(c.wtCV2, n.wtCV2, B(wtCV2));
    w.D(c.treesAcre, n.treesAcre, B(treesAcre));
    w.D(c.volAcre, n.volAcre, B(volAcre));
    w.D(c.totalVol, n.totalVol, B(totalVol));
    w.D(c.totAcres, n.totAcres, B(totAcres));
    w.D(c.strCost, n.strCost, B(strCost));
    w.D(c.treesPlot, n.treesPlot, B(treesPlot));
    w.I(c.plotSpacing, n.plotSpacing, B(plotSpacing));
    w.D(c.plotSize, n.plotSize, B(plotSize));
#undef B
    return w.written;
}

bool SameSg(const SgRow& a, const SgRow& b) {
    return a.c == b.c && a.c2 == b.c2 && a.t == b.t && a.v == b.v && a.stratum == b.stratum &&
           a.sgCode == b.sgCode && a.description == b.description && a.sgErr == b.sgErr && a.sgN == b.sgN &&
           a.sgN2 == b.sgN2 && a.sgCV == b.sgCV && a.sgCV2 == b.sgCV2 && a.treesAcre == b.treesAcre &&
           a.volAcre == b.volAcre && a.freq == b.freq && a.kz == b.kz && a.treesPlot == b.treesPlot &&
           a.avgHt == b.avgHt && a.bigBaf == b.bigBaf;
}

bool SameStratum(const StratumRow& a, const StratumRow& b) {
    return a.totCircum == b.totCircum && a.stratum == b.stratum && a.description == b.description &&
           a.units == b.units && a.cruzMeth == b.cruzMeth && a.lock == b.lock && a.error == b.error &&
           a.sumN == b.sumN && a.sumN2 == b.sumN2 && a.wtCV == b.wtCV && a.wtCV2 == b.wtCV2 &&
           a.treesAcre == b.treesAcre && a.volAcre == b.volAcre && a.totalVol == b.totalVol &&
           a.totAcres == b.totAcres && a.strCost == b.strCost && a.treesPlot == b.treesPlot &&
           a.plotSpacing == b.plotSpacing && a.plotSize == b.plotSize;
}

}  // namespace design

namespace design {

int RecostDesignTables(mk::Storage& storage, const CostFigures& costs) {
    int written = 0;
    for (const char* table : {schema::kSVDesignTable, schema::kSVMethodsTable}) {
        if (!storage.HasView(table)) continue;
        mk::View v = storage.GetView(table);
        StratumColumns cols = StratumColumns::Of(v);
        if (cols.strCost < 0) continue;
        for (int r = 0; r < v.RowCount(); ++r) {
            // The compilation keeps one decimal of a cost; the form keeps it whole.
            double cost = Trunc1(StratumCost(ReadStratum(v, cols, r), costs));
            if (v.GetDouble(r, cols.strCost) == cost) continue;
            v.SetDouble(r, cols.strCost, cost);
            ++written;
        }
    }
    return written;
}

}  // namespace design
