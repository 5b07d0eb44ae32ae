#include "stats/recon_tables.h"

#include "store/cruise_store.h"

namespace stats {

namespace {

// Column indices of the sample-group columns both SG tables share; -1 when absent.
struct SgCols {
    int c, c2, t, v, stratum, sgCode, description, sgErr, sgN, sgN2, sgCV, sgCV2, treesAcre, volAcre, freq,
        kz, treesPlot, avgHt, bigBaf;
    explicit SgCols(const mk::View& w)
        : c(w.FindColumn("C")), c2(w.FindColumn("C2")), t(w.FindColumn("T")), v(w.FindColumn("V")),
          stratum(w.FindColumn("Stratum")), sgCode(w.FindColumn("SgCode")),
          description(w.FindColumn("Description")), sgErr(w.FindColumn("SgErr")), sgN(w.FindColumn("SgN")),
          sgN2(w.FindColumn("SgN2")), sgCV(w.FindColumn("SgCV")), sgCV2(w.FindColumn("SgCV2")),
          treesAcre(w.FindColumn("Trees/Acre")), volAcre(w.FindColumn("Vol/Acre")), freq(w.FindColumn("Freq")),
          kz(w.FindColumn("KZ")), treesPlot(w.FindColumn("Trees/Plot")), avgHt(w.FindColumn("AvgHt")),
          bigBaf(w.FindColumn("BigBaf")) {}
};

// Column indices of the stratum columns both stratum tables share.
struct StratumCols {
    int totCircum, stratum, description, units, cruzMeth, error, sumN, sumN2, wtCV, wtCV2, treesAcre, volAcre,
        totalVol, totAcres, strCost, treesPlot, plotSpacing, plotSize;
    explicit StratumCols(const mk::View& w)
        : totCircum(w.FindColumn("TotCircum")), stratum(w.FindColumn("Stratum")),
          description(w.FindColumn("Description")), units(w.FindColumn("Units")),
          cruzMeth(w.FindColumn("CruzMeth")), error(w.FindColumn("Error")), sumN(w.FindColumn("SumN")),
          sumN2(w.FindColumn("SumN2")), wtCV(w.FindColumn("WtCV")), wtCV2(w.FindColumn("WtCV2")),
          treesAcre(w.FindColumn("Trees/Acre")), volAcre(w.FindColumn("Vol/Acre")),
          totalVol(w.FindColumn("TotalVol")), totAcres(w.FindColumn("TotAcres")),
          strCost(w.FindColumn("StrCost")), treesPlot(w.FindColumn("Trees/Plot")),
          plotSpacing(w.FindColumn("PlotSpacing")), plotSize(w.FindColumn("PlotSize")) {}
};

std::string S(const mk::View& w, int r, int c) { return c < 0 ? std::string() : w.GetString(r, c); }
double D(const mk::View& w, int r, int c) { return c < 0 ? 0 : w.GetDouble(r, c); }
int I(const mk::View& w, int r, int c) { return c < 0 ? 0 : w.GetInt(r, c); }
void PutS(mk::View& w, int r, int c, const std::string& s) {
    if (c >= 0 && !s.empty()) w.SetString(r, c, s);
}
void PutD(mk::View& w, int r, int c, double d) {
    if (c >= 0 && d != 0) w.SetDouble(r, c, d);
}
void PutI(mk::View& w, int r, int c, int i) {
    if (c >= 0 && i != 0) w.SetInt(r, c, i);
}

design::SgRow ReadSg(const mk::View& w, int r, const SgCols& k) {
    design::SgRow g;
    g.c = S(w, r, k.c);
    g.c2 = S(w, r, k.c2);
    g.t = S(w, r, k.t);
    g.v = S(w, r, k.v);
    g.stratum = S(w, r, k.stratum);
    g.sgCode = S(w, r, k.sgCode);
    g.description = S(w, r, k.description);
    g.sgErr = D(w, r, k.sgErr);
    g.sgN = I(w, r, k.sgN);
    g.sgN2 = I(w, r, k.sgN2);
    g.sgCV = D(w, r, k.sgCV);
    g.sgCV2 = D(w, r, k.sgCV2);
    g.treesAcre = D(w, r, k.treesAcre);
    g.volAcre = D(w, r, k.volAcre);
    g.freq = I(w, r, k.freq);
    g.kz = I(w, r, k.kz);
    g.treesPlot = D(w, r, k.treesPlot);
    g.avgHt = D(w, r, k.avgHt);
    g.bigBaf = D(w, r, k.bigBaf);
    return g;
}

// Rows arrive with default cells, so only values that differ from them are set.
void WriteSg(mk::View& w, int r, const SgCols& k, const design::SgRow& g) {
    PutS(w, r, k.c, g.c);
    PutS(w, r, k.c2, g.c2);
    PutS(w, r, k.t, g.t);
    PutS(w, r, k.v, g.v);
    PutS(w, r, k.stratum, g.stratum);
    PutS(w, r, k.sgCode, g.sgCode);
    PutS(w, r, k.description, g.description);
    PutD(w, r, k.sgErr, g.sgErr);
    PutI(w, r, k.sgN, g.sgN);
    PutI(w, r, k.sgN2, g.sgN2);
    PutD(w, r, k.sgCV, g.sgCV);
    PutD(w, r, k.sgCV2, g.sgCV2);
    PutD(w, r, k.treesAcre, g.treesAcre);
    PutD(w, r, k.volAcre, g.volAcre);
    PutI(w, r, k.freq, g.freq);
    PutI(w, r, k.kz, g.kz);
    PutD(w, r, k.treesPlot, g.treesPlot);
    PutD(w, r, k.avgHt, g.avgHt);
    PutD(w, r, k.bigBaf, g.bigBaf);
}

design::StratumRow ReadStratum(const mk::View& w, int r, const StratumCols& k) {
    design::StratumRow s;
    s.totCircum = D(w, r, k.totCircum);
    s.stratum = S(w, r, k.stratum);
    s.description = S(w, r, k.description);
    s.units = S(w, r, k.units);
    s.cruzMeth = S(w, r, k.cruzMeth);
    s.error = D(w, r, k.error);
    s.sumN = I(w, r, k.sumN);
    s.sumN2 = I(w, r, k.sumN2);
    s.wtCV = D(w, r, k.wtCV);
    s.wtCV2 = D(w, r, k.wtCV2);
    s.treesAcre = D(w, r, k.treesAcre);
    s.volAcre = D(w, r, k.volAcre);
    s.totalVol = D(w, r, k.totalVol);
    s.totAcres = D(w, r, k.totAcres);
    s.strCost = D(w, r, k.strCost);
    s.treesPlot = D(w, r, k.treesPlot);
    s.plotSpacing = I(w, r, k.plotSpacing);
    s.plotSize = D(w, r, k.plotSize);
    return s;
}

void WriteStratum(mk::View& w, int r, const StratumCols& k, const design::StratumRow& s) {
    PutD(w, r, k.totCircum, s.totCircum);
    PutS(w, r, k.stratum, s.stratum);
    PutS(w, r, k.description, s.description);
    PutS(w, r, k.units, s.units);
    PutS(w, r, k.cruzMeth, s.cruzMeth);
    PutD(w, r, k.error, s.error);
    PutI(w, r, k.sumN, s.sumN);
    PutI(w, r, k.sumN2, s.sumN2);
    PutD(w, r, k.wtCV, s.wtCV);
    PutD(w, r, k.wtCV2, s.wtCV2);
    PutD(w, r, k.treesAcre, s.treesAcre);
    PutD(w, r, k.volAcre, s.volAcre);
    PutD(w, r, k.totalVol, s.totalVol);
    PutD(w, r, k.totAcres, s.totAcres);
    PutD(w, r, k.strCost, s.strCost);
    PutD(w, r, k.treesPlot, s.treesPlot);
    PutI(w, r, k.plotSpacing, s.plotSpacing);
    PutD(w, r, k.plotSize, s.plotSize);
}

}  // namespace

bool IsSelected(const std::string& select) { return store::LeadingDouble(select) == 1.0; }

std::vector<MethodRow> ReadMethodRows(const mk::View& w) {
    StratumCols k(w);
    int sel = w.FindColumn("Select");
    std::vector<MethodRow> out(static_cast<size_t>(w.RowCount()));
    for (int r = 0; r < w.RowCount(); ++r) {
        out[r].select = S(w, r, sel);
        out[r].s = ReadStratum(w, r, k);
    }
    return out;
}

std::vector<MethodSgRow> ReadMethodSgRows(const mk::View& w) {
    SgCols k(w);
    int meth = w.FindColumn("CruzMeth"), mTrees = w.FindColumn("MTrees"), mPlots = w.FindColumn("MPlots");
    std::vector<MethodSgRow> out(static_cast<size_t>(w.RowCount()));
    for (int r = 0; r < w.RowCount(); ++r) {
        out[r].cruzMeth = S(w, r, meth);
        out[r].sg = ReadSg(w, r, k);
        out[r].mTrees = I(w, r, mTrees);
        out[r].mPlots = I(w, r, mPlots);
    }
    return out;
}

std::vector<design::StratumRow> ReadDesignRows(const mk::View& w) {
    StratumCols k(w);
    int lock = w.FindColumn("Lock");
    std::vector<design::StratumRow> out;
    for (int r = 0; r < w.RowCount(); ++r) {
        out.push_back(ReadStratum(w, r, k));
        out.back().lock = S(w, r, lock);
    }
    return out;
}

std::vector<design::SgRow> ReadDesignSgRows(const mk::View& w) {
    SgCols k(w);
    std::vector<design::SgRow> out;
    for (int r = 0; r < w.RowCount(); ++r) out.push_back(ReadSg(w, r, k));
    return out;
}

void WriteMethodRows(mk::View& w, const std::vector<MethodRow>& rows) {
    StratumCols k(w);
    int sel = w.FindColumn("Select");
    w.SetRowCount(0);
    w.SetRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        PutS(w, r, sel, rows[r].select);
        WriteStratum(w, r, k, rows[r].s);
    }
}

void WriteMethodSgRows(mk::View& w, const std::vector<MethodSgRow>& rows) {
    SgCols k(w);
    int meth = w.FindColumn("CruzMeth"), mTrees = w.FindColumn("MTrees"), mPlots = w.FindColumn("MPlots");
    w.SetRowCount(0);
    w.SetRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        PutS(w, r, meth, rows[r].cruzMeth);
        WriteSg(w, r, k, rows[r].sg);
        PutI(w, r, mTrees, rows[r].mTrees);
        PutI(w, r, mPlots, rows[r].mPlots);
    }
}

void WriteDesignRows(mk::View& w, const std::vector<design::StratumRow>& rows) {
    StratumCols k(w);
    int lock = w.FindColumn("Lock");
    w.SetRowCount(0);
    w.SetRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        WriteStratum(w, r, k, rows[r]);
        PutS(w, r, lock, rows[r].lock);
    }
}

void WriteDesignSgRows(mk::View& w, const std::vector<const design::SgRow*>& rows) {
    SgCols k(w);
    w.SetRowCount(0);
    w.SetRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) WriteSg(w, r, k, *rows[r]);
}

}  // namespace stats
