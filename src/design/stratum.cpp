#include "design/stratum.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

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
    s.errorComputable = true;
    for (const SgRow* g : groups) s.errorComputable = s.errorComputable && ErrorComputable(*g, s.cruzMeth);
    if (groups.size() == 1) CopySingleGroup(s, *groups.front());
    else CombineGroups(s, groups);
    s.totalVol = s.volAcre * s.totAcres / (uom == "01" ? 1000 : 100);
    if (IsPlotMethod(s.cruzMeth)) s.plotSpacing = PlotSpacing(s.totAcres, s.sumN);
    double cost = StratumCost(s, costs);
    if (mode == SummaryMode::Fill) {
        s.strCost = Trunc1(cost);
        return;
    }
    s.error = Trunc2(s.error);
    s.wtCV = Trunc3(s.wtCV);
    s.wtCV2 = Trunc3(s.wtCV2);
    s.strCost = cost;
}

bool CostsSet(const CostFigures& c) {
    return c.plot > 0 || c.traverse > 0 || c.tally > 0 || c.threeP > 0 || c.measure > 0 || c.paint > 0;
}

std::string CostWarning(const std::vector<StratumRow>& strata, const CostFigures& c) {
    if (!CostsSet(c)) return {};
    struct Figure {
        double value;
        const char* name;
        std::vector<std::string_view> methods;  // whose stratum cost uses the figure
    };
    const Figure figures[] = {
        {c.plot, "cost per count plot (plot crew cost and count plots per hour)",
         {"PNT", "FIX", "P3P", "F3P", "PCM", "FCM", "PCMTRE", "3PPNT"}},
        {c.traverse, "cost of a 10-chain traverse (plot crew cost and traverse time)",
         {"PNT", "FIX", "P3P", "F3P", "PCM", "FCM", "PCMTRE", "3PPNT"}},
        {c.tally, "cost per tallied tree (tree crew cost and trees tallied per hour)", {"STR", "S3P"}},
        {c.threeP, "cost per 3P tree (tree crew cost and trees 3P'd per hour)", {"3P", "S3P", "P3P", "F3P"}},
        {c.measure, "cost per measured tree (tree crew cost and trees measured per hour)",
         {"100", "STR", "3P", "S3P", "PNT", "FIX", "P3P", "F3P", "PCM", "FCM", "PCMTRE", "3PPNT"}},
        {c.paint, "paint cost per tree (paint cost and trees marked per can)", {"100", "STR", "3P", "S3P"}},
    };
    std::string text;
    for (const Figure& f : figures) {
        if (f.value > 0) continue;
        std::string list;
        int count = 0;
        for (const StratumRow& s : strata)
            if (std::find(f.methods.begin(), f.methods.end(), s.cruzMeth) != f.methods.end())
                list += (count++ ? ", " : "") + s.stratum;
        if (count > 0)
            text += std::string("\nThe ") + f.name + " is 0 or not set; " +
                    (count == 1 ? "the cost of stratum " + list + " leaves" : "the costs of strata " + list + " leave") +
                    " it out.";
    }
    return text.empty() ? text
                        : "Warning:  The estimated costs are incomplete." + text +
                              "\nEnter the missing values under Setup Relative Cruising Costs.";
}

void MarkErrorComputable(std::vector<StratumRow>& strata, const std::vector<SgRow>& groups) {
    std::unordered_map<std::string, const StratumRow*> byCode;
    for (StratumRow& s : strata) {
        s.errorComputable = true;
        byCode.emplace(s.stratum, &s);
    }
    std::unordered_set<std::string> lacking;
    for (const SgRow& g : groups) {
        auto it = byCode.find(g.stratum);
        if (it != byCode.end() && !ErrorComputable(g, it->second->cruzMeth)) lacking.insert(g.stratum);
    }
    for (StratumRow& s : strata) s.errorComputable = !lacking.count(s.stratum);
}

SaleTotals SaleErrorAndCost(const std::vector<StratumRow>& strata) {
    SaleTotals t;
    double volume = 0, squares = 0;
    for (const StratumRow& s : strata) {
        double v = s.volAcre * s.totAcres;
        volume += v;
        squares += (v * s.error) * (v * s.error);
        t.cost += s.strCost;
        if (!s.errorComputable) t.uncomputable.push_back(s.stratum);
    }
    t.error = t.uncomputable.empty() ? Trunc2(SafeDiv(std::sqrt(squares), volume)) : 0;
    return t;
}

std::string FormatSaleCost(double cost) { return cost > 0 ? FormatCost(cost) : kCostNotSet; }

std::string FormatSaleError(const SaleTotals& totals) {
    return totals.ErrorComputable() ? FormatSaleError(totals.error) : kNotComputable;
}

std::string UncomputableText(const SaleTotals& totals) {
    if (totals.ErrorComputable()) return {};
    std::string list;
    for (const std::string& code : totals.uncomputable) list += (list.empty() ? "" : ", ") + code;
    return std::string("The sale error cannot be computed: ") +
           (totals.uncomputable.size() == 1 ? "stratum " : "strata ") + list +
           (totals.uncomputable.size() == 1 ? " has" : " have") +
           " a sample group without a sample size (or without a second-stage size). Enter the sizes, "
           "or Optimize For Error.";
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
