#include "stats/recon_tables.h"

#include <cstdint>
#include <iterator>
#include <string_view>

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

double NoNegativeZero(double d) { return d == 0 ? 0.0 : d; }

// Fills the rows of a view a column at a time (a view rebuilt whole would otherwise
// cost a call a cell); an absent column (-1) is left out.
class Columns {
public:
    Columns(mk::View& w, size_t rows) : w_(w), rows_(rows) {
        w_.SetRowCount(0);
        w_.SetRowCount(static_cast<int>(rows));
    }
    template <class Get>
    void Text(int col, Get get) {
        if (col < 0) return;
        texts_.resize(rows_);
        for (size_t r = 0; r < rows_; ++r) texts_[r] = get(r);
        w_.SetColumn(col, texts_);
    }
    template <class Get>
    void Num(int col, Get get) {
        if (col < 0) return;
        nums_.resize(rows_);
        for (size_t r = 0; r < rows_; ++r) {
            nums_[r] = NoNegativeZero(get(r));
        }
        w_.SetColumn(col, nums_);
    }
    template <class Get>
    void Int(int col, Get get) {
        if (col < 0) return;
        ints_.resize(rows_);
        for (size_t r = 0; r < rows_; ++r) ints_[r] = get(r);
        w_.SetColumn(col, ints_);
    }

private:
    mk::View& w_;
    size_t rows_;
    std::vector<std::string_view> texts_;
    std::vector<double> nums_;
    std::vector<int32_t> ints_;
};

// The sample-group columns of rows [0, rows), sg(r) giving row r's record. The values
// are gathered in one pass over the records, which are large: a pass a column would
// walk all of them once for every column.
template <class Sg>
void WriteSgColumns(mk::View& w, size_t rows, const SgCols& k, Sg sg) {
    const int textCols[] = {k.c, k.c2, k.t, k.v, k.stratum, k.sgCode, k.description};
    const int numCols[] = {k.sgErr, k.sgCV, k.sgCV2, k.treesAcre, k.volAcre, k.treesPlot, k.avgHt, k.bigBaf};
    const int intCols[] = {k.sgN, k.sgN2, k.freq, k.kz};
    std::vector<std::string_view> texts[std::size(textCols)];
    std::vector<double> nums[std::size(numCols)];
    std::vector<int32_t> ints[std::size(intCols)];
    for (auto& v : texts) v.resize(rows);
    for (auto& v : nums) v.resize(rows);
    for (auto& v : ints) v.resize(rows);
    for (size_t r = 0; r < rows; ++r) {
        const design::SgRow& g = sg(r);
        texts[0][r] = g.c;
        texts[1][r] = g.c2;
        texts[2][r] = g.t;
        texts[3][r] = g.v;
        texts[4][r] = g.stratum;
        texts[5][r] = g.sgCode;
        texts[6][r] = g.description;
        nums[0][r] = NoNegativeZero(g.sgErr);
        nums[1][r] = NoNegativeZero(g.sgCV);
        nums[2][r] = NoNegativeZero(g.sgCV2);
        nums[3][r] = NoNegativeZero(g.treesAcre);
        nums[4][r] = NoNegativeZero(g.volAcre);
        nums[5][r] = NoNegativeZero(g.treesPlot);
        nums[6][r] = NoNegativeZero(g.avgHt);
        nums[7][r] = NoNegativeZero(g.bigBaf);
        ints[0][r] = g.sgN;
        ints[1][r] = g.sgN2;
        ints[2][r] = g.freq;
        ints[3][r] = g.kz;
    }
    for (size_t i = 0; i < std::size(textCols); ++i)
        if (textCols[i] >= 0) w.SetColumn(textCols[i], texts[i]);
    for (size_t i = 0; i < std::size(numCols); ++i)
        if (numCols[i] >= 0) w.SetColumn(numCols[i], nums[i]);
    for (size_t i = 0; i < std::size(intCols); ++i)
        if (intCols[i] >= 0) w.SetColumn(intCols[i], ints[i]);
}

template <class Stratum>
void WriteStratumColumns(Columns& out, const StratumCols& k, Stratum st) {
    out.Num(k.totCircum, [&](size_t r) { return st(r).totCircum; });
    out.Text(k.stratum, [&](size_t r) -> std::string_view { return st(r).stratum; });
    out.Text(k.description, [&](size_t r) -> std::string_view { return st(r).description; });
    out.Text(k.units, [&](size_t r) -> std::string_view { return st(r).units; });
    out.Text(k.cruzMeth, [&](size_t r) -> std::string_view { return st(r).cruzMeth; });
    out.Num(k.error, [&](size_t r) { return st(r).error; });
    out.Int(k.sumN, [&](size_t r) { return st(r).sumN; });
    out.Int(k.sumN2, [&](size_t r) { return st(r).sumN2; });
    out.Num(k.wtCV, [&](size_t r) { return st(r).wtCV; });
    out.Num(k.wtCV2, [&](size_t r) { return st(r).wtCV2; });
    out.Num(k.treesAcre, [&](size_t r) { return st(r).treesAcre; });
    out.Num(k.volAcre, [&](size_t r) { return st(r).volAcre; });
    out.Num(k.totalVol, [&](size_t r) { return st(r).totalVol; });
    out.Num(k.totAcres, [&](size_t r) { return st(r).totAcres; });
    out.Num(k.strCost, [&](size_t r) { return st(r).strCost; });
    out.Num(k.treesPlot, [&](size_t r) { return st(r).treesPlot; });
    out.Int(k.plotSpacing, [&](size_t r) { return st(r).plotSpacing; });
    out.Num(k.plotSize, [&](size_t r) { return st(r).plotSize; });
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
    Columns out(w, rows.size());
    out.Text(w.FindColumn("Select"), [&](size_t r) -> std::string_view { return rows[r].select; });
    WriteStratumColumns(out, StratumCols(w), [&](size_t r) -> const design::StratumRow& { return rows[r].s; });
}

void WriteMethodSgRows(mk::View& w, const std::vector<MethodSgRow>& rows) {
    Columns out(w, rows.size());
    WriteSgColumns(w, rows.size(), SgCols(w), [&](size_t r) -> const design::SgRow& { return rows[r].sg; });
    out.Text(w.FindColumn("CruzMeth"), [&](size_t r) -> std::string_view { return rows[r].cruzMeth; });
    out.Int(w.FindColumn("MTrees"), [&](size_t r) { return rows[r].mTrees; });
    out.Int(w.FindColumn("MPlots"), [&](size_t r) { return rows[r].mPlots; });
}

void WriteDesignRows(mk::View& w, const std::vector<design::StratumRow>& rows) {
    Columns out(w, rows.size());
    WriteStratumColumns(out, StratumCols(w), [&](size_t r) -> const design::StratumRow& { return rows[r]; });
    out.Text(w.FindColumn("Lock"), [&](size_t r) -> std::string_view { return rows[r].lock; });
}

void WriteDesignSgRows(mk::View& w, const std::vector<const design::SgRow*>& rows) {
    Columns out(w, rows.size());
    WriteSgColumns(w, rows.size(), SgCols(w), [&](size_t r) -> const design::SgRow& { return *rows[r]; });
}

}  // namespace stats
