#include "design/optimize.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "design/data_warnings.h"
#include "design/sampling.h"
#include "store/cruise_store.h"
#include "store/value_rules.h"
#include "design/sg_rules.h"

namespace design {

namespace {

bool IsEveryTree(const StratumRow& s) { return s.cruzMeth == "100"; }

double GroupCv(const SgRow& g, bool twoStage) { return twoStage ? (g.sgCV + g.sgCV2) / 2 : g.sgCV; }

// Sample size and error of one group for its part of the stratum's target. A group
// without variation has a target of 0; it still keeps the smallest sample, two, since
// a group the crew samples not at all has no error to show (and is no design).
void SizeGroup(SgRow& g, const StratumContext& ctx, double weight, double target) {
    const std::string& m = ctx.cruzMeth;
    if (IsOneOf(m, {"STR", "3P", "PNT", "FIX"})) {
        g.sgN = std::max(SampleSize(g.sgCV, target), 2);
        g.sgErr = SamplingError(g.sgCV, g.sgN);
        if (m == "STR") g.sgErr = CorrectedError(g.sgErr, g.sgN, TruncInt(g.treesAcre * ctx.totAcres + 1));
    } else if (m == "S3P") {
        SampleSizes s = TwoStageSampleSizes(g.sgCV, g.sgCV2, target);
        g.sgN = std::max(s.n1, 2);
        g.sgN2 = std::max(s.n2, 2);
        g.sgErr = TwoStageError(g.sgCV, g.sgCV2, g.sgN, g.sgN2);
    } else if (IsTwoStage(m)) {
        SampleSizes s = TwoStageSampleSizes(weight * g.sgCV, weight * g.sgCV2, target);
        g.sgN = std::max(s.n1, 2);
        g.sgN2 = std::max(s.n2, 2);
        g.sgErr = TwoStageError(g.sgCV, g.sgCV2, g.sgN, g.sgN2);
    }
}

struct Allocation {
    double cvs = 0;     // weighted CV of the strata still to allocate
    double size = 0;    // sale sample size still to allocate
    double t = 0;       // t value of the whole sale's sample
};

// Locked strata keep their error: the sample that error implies is taken out of the
// sale's size, and their share out of the sale's CV.
void DeductLocked(Allocation& a, const Design& d, const std::vector<double>& shares) {
    for (std::size_t i = 0; i < d.strata.size(); ++i) {
        const StratumRow& s = d.strata[i];
        if (!IsLocked(s) || s.error == 0) continue;
        double n = shares[i] * shares[i] * a.t * a.t / (s.error * s.error);
        double whole = std::trunc(n);
        if (std::fmod(std::trunc(n * 10), 10.0) != 0) whole += 1;
        a.size -= whole;
        a.cvs -= shares[i];
    }
}

}  // namespace

double StratumCv(const StratumRow& s) {
    if (IsEveryTree(s)) return 0;
    return IsTwoStage(s.cruzMeth) ? (s.wtCV + s.wtCV2) / 2 : s.wtCV;
}

void DistributeStratum(const StratumRow& s, SgRefs& groups, int size, double stratumCv, ui::UiPort& ui) {
    const StratumContext ctx = StratumContext::Of(s);
    const bool twoStage = IsTwoStage(s.cruzMeth);
    const bool plot = IsPlotMethod(s.cruzMeth);
    const double t = StudentT(size);
    double plots = 0;
    for (SgRow* g : groups) {
        double c = GroupCv(*g, twoStage);
        double w = SafeDiv(g->volAcre, s.volAcre);
        double share = SafeDiv(c * w, stratumCv);
        double n = groups.size() == 1 ? size : std::trunc(share * size) + 1;
        if (n <= 1) n = 2;
        double target = (twoStage && plot ? c * w : c) * t / std::sqrt(n);
        SizeGroup(*g, ctx, w, target);
        FreqKzStep(*g, ctx, Change::SgN, ui);
        if (plot) plots += std::trunc(share * g->sgN) + 1;
    }
    if (plot && groups.size() > 1) ShareSgN(groups, std::max(TruncInt(plots), 1), ctx, ui);
}

std::optional<double> TargetInBox(const std::string& targetText, const char* noTarget, ui::UiPort& ui) {
    const store::CheckedValue typed = store::Check(store::rules::kTargetError, targetText);
    if (typed.ok()) return typed.number;
    // Nothing above 0 is no target at all; anything else names what the box takes.
    double v = 0;
    const bool none = !store::WholeNumber(targetText, v) || !(v > 0);
    ui.Warning(none ? noTarget : typed.refusal, "Warning");
    return std::nullopt;
}

int OptimizeForError(Design& d, const std::string& targetText, const DesignSettings& settings,
                     ui::UiPort& ui, SaleTotals* totals) {
    if (settings.displayDataWarnings && !ConfirmDataWarnings(d.groups, ui)) return kOptimizeDeclined;
    const std::optional<double> typed = TargetInBox(targetText, kNoTargetText, ui);
    if (!typed) return kOptimizeNoTarget;
    double target = *typed;
    double all = 0, everyTree = 0;
    for (const StratumRow& s : d.strata) {
        all += s.totalVol;
        if (IsEveryTree(s)) everyTree += s.totalVol;
    }
    // Every-tree strata have no error, so the others may carry more of it.
    if (everyTree > 0) target *= SafeDiv(everyTree, all) + 1;
    const double sampled = all - everyTree;

    std::vector<double> cvs(d.strata.size()), shares(d.strata.size());
    double weighted = 0;
    for (std::size_t i = 0; i < d.strata.size(); ++i) {
        cvs[i] = StratumCv(d.strata[i]);
        weighted += d.strata[i].totalVol * cvs[i];
        shares[i] = SafeDiv(d.strata[i].totalVol * cvs[i], sampled);
    }
    Allocation a;
    a.cvs = Trunc3(SafeDiv(weighted, sampled));
    int saleSize = SampleSize(a.cvs, target);
    a.size = saleSize;
    a.t = StudentT(saleSize);
    DeductLocked(a, d, shares);

    std::vector<SgRefs> groups = GroupsByStratum(d);
    for (std::size_t i = 0; i < d.strata.size(); ++i) {
        StratumRow& s = d.strata[i];
        if (IsLocked(s) || IsEveryTree(s)) continue;
        int k = std::max(TruncInt(std::trunc(SafeDiv(shares[i], a.cvs) * a.size) + 1), 1);
        double stratumTarget = a.t * cvs[i] / std::sqrt(static_cast<double>(k));
        int size = std::max(SampleSize(cvs[i], stratumTarget), 1);
        DistributeStratum(s, groups[i], size, cvs[i], ui);
        SummarizeStratum(s, groups[i], SummaryMode::Form, settings.uom, settings.costs);
    }
    if (totals) *totals = SaleErrorAndCost(d.strata);
    return kOptimized;
}

SaleTotals RecalculateStrataError(Design& d, std::size_t stratum, const DesignSettings& settings) {
    if (stratum < d.strata.size()) {
        StratumRow& s = d.strata[stratum];
        StratumContext ctx = StratumContext::Of(s);
        SgRefs groups = GroupsOf(d, s.stratum);
        for (SgRow* g : groups) RecomputeError(*g, ctx);
        SummarizeStratum(s, groups, SummaryMode::Form, settings.uom, settings.costs);
    }
    return SaleErrorAndCost(d.strata);
}

}  // namespace design
