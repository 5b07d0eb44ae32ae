#include "design/stratum.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "design/sampling.h"

namespace design {

namespace {

void CopySingleGroup(StratumRow& s, const SgRow& g) {
    s.wtCV = g.sgCV;
    s.wtCV2 = g.sgCV2;
    s.sumN = g.sgN;
    s.sumN2 = g.sgN2;
    s.treesAcre = g.treesAcre;
    s.volAcre = g.volAcre;
    s.treesPlot = g.treesPlot;
    s.error = g.sgErr;
}

double PositiveOrZero(double x) { return x > 0 ? x : 0; }
int AtLeastOneOrZero(long long n) { return n < 1 ? 0 : static_cast<int>(std::min<long long>(n, INT_MAX)); }

void CombineGroups(StratumRow& s, const SgRefs& groups) {
    const bool separate = IsTreeMethod(s.cruzMeth);
    long long sumN = 0, sumN2 = 0;
    double ta = 0, va = 0, tp = 0;
    for (const SgRow* g : groups) {
        sumN = separate ? sumN + g->sgN : std::max<long long>(sumN, g->sgN);
        sumN2 += g->sgN2;
        ta += g->treesAcre;
        va += g->volAcre;
        tp += g->treesPlot;
    }
    // Groups weigh by their share of the volume; without volume there are no weights.
    double cv = 0, cv2 = 0, errSquares = 0;
    for (const SgRow* g : groups) {
        double w = SafeDiv(g->volAcre, va);
        cv += w * g->sgCV;
        cv2 += w * g->sgCV2;
        double e = g->sgErr * g->volAcre;
        errSquares += e * e;
    }
    s.sumN = AtLeastOneOrZero(sumN);
    s.sumN2 = AtLeastOneOrZero(sumN2);
    s.treesAcre = PositiveOrZero(ta);
    s.volAcre = PositiveOrZero(va);
    s.treesPlot = PositiveOrZero(tp);
    s.wtCV = PositiveOrZero(cv);
    s.wtCV2 = PositiveOrZero(cv2);
    s.error = PositiveOrZero(SafeDiv(std::sqrt(errSquares), va));
}

int PlotSpacing(double acres, int plots) {
    double side = std::trunc(std::sqrt(SafeDiv(acres, plots) * 43560));
    return side < 1 ? 0 : TruncInt(side);
}

}  // namespace

double StratumCost(const StratumRow& s, const CostFigures& c) {
    const std::string& m = s.cruzMeth;
    const double n = s.sumN, n2 = s.sumN2, tp = s.treesPlot;
    const double x = std::trunc(s.treesAcre * s.totAcres);
    const double traverse = std::trunc(s.totCircum / 660 * c.traverse);
    if (m == "100") return std::trunc(n * c.measure) + std::trunc(n * c.paint);
    if (m == "STR") return std::trunc(std::trunc(x * c.paint) + n * c.measure + x * c.tally);
    if (m == "3P") return std::trunc(std::trunc(x * c.paint) + n * c.measure + x * c.threeP);
    if (m == "S3P")
        return std::trunc(std::trunc(x * c.paint) + n * c.threeP + n2 * c.measure + x * c.tally);
    if (m == "PNT" || m == "FIX") return std::trunc(n * tp * c.measure + n * c.plot) + traverse;
    if (m == "P3P" || m == "F3P")
        return std::trunc(n * tp * c.threeP + n2 * c.measure + n * c.plot) + traverse;
    if (m == "PCM" || m == "FCM" || m == "PCMTRE") return std::trunc(n * c.plot + n2 * c.measure) + traverse;
    if (m == "3PPNT") return std::trunc(n2 * tp * c.measure + n * c.plot) + traverse;
    return 0;
}

void SummarizeStratum(StratumRow& s, const SgRefs& groups, SummaryMode mode, const std::string& uom,
                      const CostFigures& costs) {
    if (groups.size() == 1) CopySingleGroup(s, *groups.front());
    else CombineGroups(s, groups);
    s.totalVol = s.volAcre * s.totAcres / (uom == "01" ? 1000 : 100);
    if (IsPlotMethod(s.cruzMeth)) s.plotSpacing = PlotSpacing(s.totAcres, s.sumN);
    double cost = StratumCost(s, costs);
    if (mode == SummaryMode::Fill) {
        s.strCost = std::trunc(10 * cost) / 10;
        return;
    }
    s.error = Trunc2(s.error);
    s.wtCV = Trunc3(s.wtCV);
    s.wtCV2 = Trunc3(s.wtCV2);
    s.strCost = cost;
}

SaleTotals SaleErrorAndCost(const std::vector<StratumRow>& strata) {
    double volume = 0, squares = 0, cost = 0;
    for (const StratumRow& s : strata) {
        double v = s.volAcre * s.totAcres;
        volume += v;
        squares += (v * s.error) * (v * s.error);
        cost += s.strCost;
    }
    return {Trunc2(SafeDiv(std::sqrt(squares), volume)), cost};
}

std::string FormatSaleError(double error) {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%5.1f", error);
    return buf;
}

std::string FormatCost(double cost) {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%15.1f", cost);
    return buf;
}

}  // namespace design
