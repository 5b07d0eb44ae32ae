#include "reports/report_data.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>

#include "design/stratum.h"
#include "mk/mk.h"
#include "setup/units_editor.h"
#include "store/config.h"
#include "store/schema.h"

namespace reports {

namespace {

// A stored table read by column name whatever its stored layout: a column the table
// lacks reads as empty or 0.
class Table {
public:
    Table(mk::Storage& storage, const char* name)
        : view_(storage.HasView(name) ? storage.GetView(name) : mk::View()) {}
    int Rows() const { return view_.RowCount(); }
    int Col(const char* name) const { return view_.FindColumn(name); }
    std::string S(int row, int col) const { return col < 0 ? std::string() : view_.GetString(row, col); }
    double D(int row, int col) const { return col < 0 ? 0.0 : view_.GetDouble(row, col); }
    int I(int row, int col) const { return col < 0 ? 0 : view_.GetInt(row, col); }

private:
    mk::View view_;
};

}  // namespace

std::string Format(const char* fmt, ...) {
    char buf[512];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    return buf;
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string::npos) end = text.size();
        std::string item = text.substr(start, end - start);
        size_t a = item.find_first_not_of(" \t");
        size_t b = item.find_last_not_of(" \t");
        if (a != std::string::npos) out.push_back(item.substr(a, b - a + 1));
        start = end + 1;
    }
    return out;
}

std::string LoggingMethodName(const std::string& code) {
    for (const setup::LogMethod& m : setup::LogMethods())
        if (code == m.code) return m.description;
    return {};
}

ReportInputs ReadReportInputs(mk::Storage& storage) {
    using namespace schema;
    ReportInputs in;
    in.uom = store::GetSetting(storage, kBlockStrovan, kKeyUOM).value_or("01");
    in.cruiseType = store::GetSetting(storage, kBlockStrovan, kKeyType).value_or("") == kTypeProduction ? 1 : 0;

    {
        Table t(storage, kCruiseTable);
        if (t.Rows() > 0) {
            CruiseInfo& c = in.cruise;
            c.present = true;
            c.saleNo = t.S(0, t.Col("SaleNo"));
            c.cruiseNo = t.S(0, t.Col("CruiseNo"));
            c.saleName = t.S(0, t.Col("SaleName"));
            c.region = t.S(0, t.Col("Region"));
            c.forest = t.S(0, t.Col("Forest"));
            c.district = t.S(0, t.Col("District"));
            c.calYear = t.S(0, t.Col("CalYear"));
            c.purpose = t.S(0, t.Col("Purpose"));
        }
    }
    {
        Table t(storage, kSVDesignTable);
        int cCirc = t.Col("TotCircum"), cStr = t.Col("Stratum"), cDesc = t.Col("Description"),
            cUnits = t.Col("Units"), cMeth = t.Col("CruzMeth"), cLock = t.Col("Lock"), cErr = t.Col("Error"),
            cN = t.Col("SumN"), cN2 = t.Col("SumN2"), cCv = t.Col("WtCV"), cCv2 = t.Col("WtCV2"),
            cTpa = t.Col("Trees/Acre"), cVpa = t.Col("Vol/Acre"), cVol = t.Col("TotalVol"),
            cAcres = t.Col("TotAcres"), cCost = t.Col("StrCost"), cTpp = t.Col("Trees/Plot"),
            cSpacing = t.Col("PlotSpacing"), cSize = t.Col("PlotSize");
        in.strata.reserve(t.Rows());
        for (int r = 0; r < t.Rows(); ++r) {
            design::StratumRow s;
            s.totCircum = t.D(r, cCirc);
            s.stratum = t.S(r, cStr);
            s.description = t.S(r, cDesc);
            s.units = t.S(r, cUnits);
            s.cruzMeth = t.S(r, cMeth);
            s.lock = t.S(r, cLock);
            s.error = t.D(r, cErr);
            s.sumN = t.I(r, cN);
            s.sumN2 = t.I(r, cN2);
            s.wtCV = t.D(r, cCv);
            s.wtCV2 = t.D(r, cCv2);
            s.treesAcre = t.D(r, cTpa);
            s.volAcre = t.D(r, cVpa);
            s.totalVol = t.D(r, cVol);
            s.totAcres = t.D(r, cAcres);
            s.strCost = t.D(r, cCost);
            s.treesPlot = t.D(r, cTpp);
            s.plotSpacing = t.I(r, cSpacing);
            s.plotSize = t.D(r, cSize);
            in.strata.push_back(std::move(s));
        }
    }
    {
        Table t(storage, kSVDesignSgTable);
        int cC = t.Col("C"), cC2 = t.Col("C2"), cT = t.Col("T"), cV = t.Col("V"), cStr = t.Col("Stratum"),
            cCode = t.Col("SgCode"), cDesc = t.Col("Description"), cErr = t.Col("SgErr"), cN = t.Col("SgN"),
            cN2 = t.Col("SgN2"), cCv = t.Col("SgCV"), cCv2 = t.Col("SgCV2"), cTpa = t.Col("Trees/Acre"),
            cVpa = t.Col("Vol/Acre"), cFreq = t.Col("Freq"), cKz = t.Col("KZ"), cTpp = t.Col("Trees/Plot"),
            cHt = t.Col("AvgHt"), cBaf = t.Col("BigBaf");
        in.groups.reserve(t.Rows());
        for (int r = 0; r < t.Rows(); ++r) {
            design::SgRow g;
            g.c = t.S(r, cC);
            g.c2 = t.S(r, cC2);
            g.t = t.S(r, cT);
            g.v = t.S(r, cV);
            g.stratum = t.S(r, cStr);
            g.sgCode = t.S(r, cCode);
            g.description = t.S(r, cDesc);
            g.sgErr = t.D(r, cErr);
            g.sgN = t.I(r, cN);
            g.sgN2 = t.I(r, cN2);
            g.sgCV = t.D(r, cCv);
            g.sgCV2 = t.D(r, cCv2);
            g.treesAcre = t.D(r, cTpa);
            g.volAcre = t.D(r, cVpa);
            g.freq = t.I(r, cFreq);
            g.kz = t.I(r, cKz);
            g.treesPlot = t.D(r, cTpp);
            g.avgHt = t.D(r, cHt);
            g.bigBaf = t.D(r, cBaf);
            in.groups.push_back(std::move(g));
        }
    }
    design::MarkErrorComputable(in.strata, in.groups);
    {
        Table t(storage, kSVMethodsSgTable);
        int cStr = t.Col("Stratum"), cMeth = t.Col("CruzMeth"), cCode = t.Col("SgCode"),
            cPlots = t.Col("MPlots"), cTrees = t.Col("MTrees");
        in.methodGroups.reserve(t.Rows());
        for (int r = 0; r < t.Rows(); ++r)
            in.methodGroups.push_back({t.S(r, cStr), t.S(r, cMeth), t.S(r, cCode), t.I(r, cPlots), t.I(r, cTrees)});
    }
    {
        Table t(storage, kSVUnitsTable);
        int cUnit = t.Col("CutUnit"), cArea = t.Col("Area"), cDesc = t.Col("Description"),
            cLog = t.Col("LogMeth"), cPay = t.Col("PayUnit");
        for (int r = 0; r < t.Rows(); ++r)
            in.units.push_back({t.S(r, cUnit), t.D(r, cArea), t.S(r, cDesc), t.S(r, cLog), t.S(r, cPay)});
    }
    {
        Table t(storage, kSVSummaryTable);
        int cStr = t.Col("Stratum"), cTree = t.Col("SgTree"), cPlot = t.Col("SgPlot"), cSp = t.Col("Species"),
            cProd = t.Col("Prod"), cLd = t.Col("LD");
        in.summary.reserve(t.Rows());
        for (int r = 0; r < t.Rows(); ++r)
            in.summary.push_back({t.S(r, cStr), t.S(r, cTree), t.S(r, cPlot), t.S(r, cSp), t.S(r, cProd), t.S(r, cLd)});
    }
    {
        Table t(storage, kSVSelAutoFill);
        int cSp = t.Col("Sp"), cProdP = t.Col("ProdP"), cLd = t.Col("LD"), cUomP = t.Col("UOMP"),
            cProdS = t.Col("ProdS"), cCl = t.Col("CL"), cTopP = t.Col("TopDIBP"), cTopS = t.Col("TopDIBS"),
            cCDefP = t.Col("CDefP"), cHDefP = t.Col("HDefP"), cCDefS = t.Col("CDefS"), cHDefS = t.Col("HDefS"),
            cRec = t.Col("RecDefP"), cYc = t.Col("YC"), cContr = t.Col("ContrSpec"), cGrade = t.Col("TreeGrade"),
            cMht = t.Col("MerchHtT"), cMll = t.Col("MerchHtLL"), cFc = t.Col("FC"), cBtr = t.Col("DBHBTR"),
            cZ = t.Col("AvgZForm"), cUomS = t.Col("UOMS");
        for (int r = 0; r < t.Rows(); ++r) {
            AutoFillRow a;
            a.sp = t.S(r, cSp);
            a.prodP = t.S(r, cProdP);
            a.ld = t.S(r, cLd);
            a.uomP = t.S(r, cUomP);
            a.prodS = t.S(r, cProdS);
            a.cl = t.S(r, cCl);
            a.topDibP = t.D(r, cTopP);
            a.topDibS = t.D(r, cTopS);
            a.cDefP = t.S(r, cCDefP);
            a.hDefP = t.S(r, cHDefP);
            a.cDefS = t.S(r, cCDefS);
            a.hDefS = t.S(r, cHDefS);
            a.recDefP = t.S(r, cRec);
            a.yc = t.S(r, cYc);
            a.contrSpec = t.S(r, cContr);
            a.treeGrade = t.S(r, cGrade);
            a.merchHtT = t.S(r, cMht);
            a.merchHtLL = t.I(r, cMll);
            a.fc = t.I(r, cFc);
            a.dbhBtr = t.D(r, cBtr);
            a.avgZForm = t.D(r, cZ);
            a.uomS = t.S(r, cUomS);
            in.autoFill.push_back(std::move(a));
        }
    }
    return in;
}

std::string SaleErrorText(const ReportInputs& in) {
    if (!in.saleErrorText.empty()) return in.saleErrorText;
    return design::FormatSaleError(design::SaleErrorAndCost(in.strata));
}

std::string CostText(const ReportInputs& in) {
    if (!in.costText.empty()) return in.costText;
    return design::FormatSaleCost(design::SaleErrorAndCost(in.strata).cost);
}

}  // namespace reports
