#include "design/sg_rules.h"

#include <cmath>

#include "design/sampling.h"
#include "store/schema.h"
#include "store/value_rules.h"

namespace design {

namespace {

bool IsCountMeasure(std::string_view m) { return IsOneOf(m, {"PCM", "FCM", "PCMTRE"}); }
bool HasBigBaf(std::string_view m) { return IsOneOf(m, {"PCM", "PCMTRE"}); }
bool IsPlot3P(std::string_view m) { return IsOneOf(m, {"F3P", "P3P", "3PPNT"}); }

// The mark of a value the forester typed.
const std::string kTyped = "B";

double VolPerTree(const SgRow& r) { return SafeDiv(r.volAcre, r.treesAcre); }

// Trees on the plots when a count-measure frequency or big BAF is typed; a plot
// without a tree estimate is taken to hold six.
double TreesOnPlots(const SgRow& r) {
    double tp = r.treesPlot <= 0 ? 6.0 : r.treesPlot;
    return std::trunc(r.sgN * tp);
}

int FreqFromSizes(const SgRow& r, const StratumContext& ctx) {
    if (IsCountMeasure(ctx.cruzMeth)) return TruncInt(SafeDiv(r.sgN * r.treesPlot, r.sgN2));
    return TruncInt(SafeDiv(r.treesAcre * ctx.totAcres, r.sgN));
}

int KzFromSizes(const SgRow& r, const StratumContext& ctx) {
    const std::string& m = ctx.cruzMeth;
    if (m == "3P") return TruncInt(SafeDiv(r.volAcre * ctx.totAcres, r.sgN));
    if (m == "S3P") return TruncInt(SafeDiv(r.sgN * VolPerTree(r), r.sgN2));
    if (m == "F3P") return TruncInt(SafeDiv(r.sgN * VolPerTree(r) * r.treesPlot, r.sgN2));
    if (m == "P3P") return TruncInt(SafeDiv(r.sgN * r.treesPlot * r.avgHt, r.sgN2));
    return TruncInt(SafeDiv(r.treesPlot * ctx.plotSize * (r.avgHt / 3) * r.sgN, r.sgN2));
}

double BigBafFromSizes(const SgRow& r, const StratumContext& ctx) {
    return Trunc1(SafeDiv(r.sgN * ctx.plotSize * r.treesPlot, r.sgN2));
}

struct Outputs {
    bool freq = false;
    bool kz = false;
};

Outputs OutputsFor(std::string_view m, Change change) {
    switch (change) {
    case Change::SgN:
        return {IsOneOf(m, {"STR", "S3P"}) || IsCountMeasure(m),
                IsOneOf(m, {"S3P", "3P"}) || IsPlot3P(m)};
    case Change::SgN2:
        return {IsCountMeasure(m), m == "S3P" || IsPlot3P(m)};
    case Change::TreesAcre:
        return {IsOneOf(m, {"STR", "S3P"}) || IsCountMeasure(m), false};
    case Change::VolAcre:
        return {false, IsOneOf(m, {"3P", "S3P", "F3P"})};
    case Change::AvgHt:
        return {false, IsOneOf(m, {"P3P", "3PPNT"})};
    case Change::TreesPlot:
        return {IsCountMeasure(m), IsPlot3P(m)};
    }
    return {};
}

void WarnZeroBaf(Change change, ui::UiPort& ui) {
    if (change == Change::SgN || change == Change::SgN2) ui.Warning(kZeroBafSizeText, "Warning");
    else if (change == Change::VolAcre || change == Change::AvgHt) ui.Warning(kZeroBafKzText, "Warning");
}

}  // namespace

void RecomputeError(SgRow& row, const StratumContext& ctx) {
    const std::string& m = ctx.cruzMeth;
    if (IsTwoStage(m)) {
        row.sgErr = TwoStageError(row.sgCV, row.sgCV2, row.sgN, row.sgN2);
        return;
    }
    row.sgErr = SamplingError(row.sgCV, row.sgN);
    if (IsFinitePopulation(m))
        row.sgErr = CorrectedError(row.sgErr, row.sgN, TruncInt(row.treesAcre * ctx.totAcres));
}

void FreqKzStep(SgRow& row, const StratumContext& ctx, Change change, ui::UiPort& ui) {
    const std::string& m = ctx.cruzMeth;
    if (change == Change::TreesAcre && m == "100") {
        row.sgN = TruncInt(row.treesAcre * ctx.totAcres);
        RecomputeError(row, ctx);
        return;
    }
    Outputs out = OutputsFor(m, change);
    if (out.freq) {
        row.freq = FreqFromSizes(row, ctx);
        if (HasBigBaf(m)) row.bigBaf = BigBafFromSizes(row, ctx);
    }
    if (out.kz) {
        if (m == "3PPNT" && ctx.plotSize == 0) WarnZeroBaf(change, ui);
        row.kz = KzFromSizes(row, ctx);
    }
    if (change == Change::TreesAcre && out.freq) RecomputeError(row, ctx);
}

bool SizesFromFrequency(SgRow& row, const StratumContext& ctx) {
    const std::string& m = ctx.cruzMeth;
    double f = row.freq;
    if (IsOneOf(m, {"STR", "S3P"})) {
        double trees = std::trunc(row.treesAcre * ctx.totAcres);
        row.sgN = TruncInt(SafeDiv(trees, f) + 0.9);
        return true;
    }
    if (!IsCountMeasure(m)) return false;
    row.sgN2 = TruncInt(SafeDiv(TreesOnPlots(row), f) + 0.9);
    if (HasBigBaf(m)) row.bigBaf = Trunc1(f * ctx.plotSize);
    return true;
}

bool SizesFromBigBaf(SgRow& row, const StratumContext& ctx) {
    if (!HasBigBaf(ctx.cruzMeth)) return false;
    row.sgN2 = TruncInt(SafeDiv(TreesOnPlots(row) * ctx.plotSize, row.bigBaf));
    row.freq = TruncInt(SafeDiv(row.bigBaf, ctx.plotSize));
    return true;
}

bool SizesFromKz(SgRow& row, const StratumContext& ctx, ui::UiPort& ui) {
    const std::string& m = ctx.cruzMeth;
    double k = row.kz;
    if (m == "3P") row.sgN = TruncInt(SafeDiv(row.volAcre * ctx.totAcres, k) + 0.9);
    else if (m == "S3P") row.sgN2 = TruncInt(SafeDiv(row.sgN * VolPerTree(row), k) + 0.9);
    else if (m == "F3P") row.sgN2 = TruncInt(SafeDiv(row.sgN * VolPerTree(row) * row.treesPlot, k) + 0.9);
    else if (m == "P3P") row.sgN2 = TruncInt(SafeDiv(row.sgN * row.avgHt * row.treesPlot, k) + 0.9);
    else if (m == "3PPNT") {
        if (ctx.plotSize == 0) ui.Warning(kZeroBafSizeText, "Warning");
        row.sgN2 = TruncInt(SafeDiv(row.treesPlot * ctx.plotSize * (row.avgHt / 3) * row.sgN, k));
    } else {
        return false;
    }
    return true;
}

void ShareSgN(SgRefs& groups, int n, const StratumContext& ctx, ui::UiPort& ui) {
    for (SgRow* g : groups) {
        g->sgN = n;
        RecomputeError(*g, ctx);
        FreqKzStep(*g, ctx, Change::SgN, ui);
    }
}

std::string SgEditRefusal(std::string_view column, const std::string& text) {
    const store::ValueRule* rule = store::RuleFor(schema::kSVDesignSgTable, column);
    return rule ? store::Refusal(*rule, text) : std::string();
}

int SgEditor::Edit(SgRefs& groups, std::size_t row, std::string_view column, const std::string& text,
                   const StratumContext& ctx) {
    refusal_.clear();
    if (busy_ || row >= groups.size() || groups[row] == nullptr) return -1;
    SgColumn col = SgColumnFromName(column);
    switch (col) {
    case SgColumn::Unknown:
    case SgColumn::C:
    case SgColumn::C2:
    case SgColumn::T:
    case SgColumn::V:
    case SgColumn::Stratum:
    case SgColumn::SgCode:
        return -1;
    default:
        break;
    }
    const store::ValueRule* rule = store::RuleFor(schema::kSVDesignSgTable, column);
    if (!rule) return -1;
    store::CheckedValue v = store::Check(*rule, text);
    if (!v.ok()) {
        refusal_ = v.refusal;
        return -1;
    }
    busy_ = true;
    ApplyEdit(groups, *groups[row], col, v.text, v.number, ctx);
    busy_ = false;
    return 0;
}

void SgEditor::ApplyEdit(SgRefs& groups, SgRow& row, SgColumn column, const std::string& text, double number,
                         const StratumContext& ctx) {
    const std::string& m = ctx.cruzMeth;
    // The value rules hold every number within an int's range.
    const int whole = static_cast<int>(number);
    switch (column) {
    case SgColumn::Description:
        row.description = text;
        break;
    case SgColumn::SgCV:
        row.sgCV = number;
        row.c = kTyped;
        // An every-tree (1-in-1) finite sample keeps its error whatever the CV.
        if (!(IsFinitePopulation(m) && row.freq == 1)) RecomputeError(row, ctx);
        break;
    case SgColumn::SgCV2:
        row.sgCV2 = number;
        row.c2 = kTyped;
        RecomputeError(row, ctx);
        break;
    case SgColumn::SgN:
        row.sgN = whole;
        EditSize(groups, row, ctx);
        break;
    case SgColumn::SgN2:
        row.sgN2 = whole;
        RecomputeError(row, ctx);
        FreqKzStep(row, ctx, Change::SgN2, ui_);
        break;
    case SgColumn::SgErr:
        EditError(groups, row, number, ctx);
        break;
    case SgColumn::TreesAcre:
        row.treesAcre = number;
        row.t = kTyped;
        FreqKzStep(row, ctx, Change::TreesAcre, ui_);
        break;
    case SgColumn::VolAcre:
        row.volAcre = number;
        row.v = kTyped;
        FreqKzStep(row, ctx, Change::VolAcre, ui_);
        break;
    case SgColumn::TreesPlot:
        row.treesPlot = number;
        FreqKzStep(row, ctx, Change::TreesPlot, ui_);
        break;
    case SgColumn::AvgHt:
        row.avgHt = number;
        FreqKzStep(row, ctx, Change::AvgHt, ui_);
        break;
    case SgColumn::Freq:
        row.freq = whole;
        if (SizesFromFrequency(row, ctx)) RecomputeError(row, ctx);
        break;
    case SgColumn::BigBaf:
        row.bigBaf = number;
        if (SizesFromBigBaf(row, ctx)) RecomputeError(row, ctx);
        break;
    case SgColumn::KZ:
        row.kz = whole;
        if (SizesFromKz(row, ctx, ui_)) RecomputeError(row, ctx);
        break;
    default:
        break;
    }
}

void SgEditor::EditSize(SgRefs& groups, SgRow& row, const StratumContext& ctx) {
    if (IsPlotMethod(ctx.cruzMeth) && groups.size() >= 2) {
        ShareSgN(groups, row.sgN, ctx, ui_);
        return;
    }
    RecomputeError(row, ctx);
    FreqKzStep(row, ctx, Change::SgN, ui_);
}

void SgEditor::EditError(SgRefs& groups, SgRow& row, double target, const StratumContext& ctx) {
    row.sgErr = target;
    if (IsTwoStage(ctx.cruzMeth)) {
        SampleSizes s = TwoStageSampleSizes(row.sgCV, row.sgCV2, target);
        row.sgN = s.n1;
        row.sgN2 = s.n2;
    } else {
        row.sgN = SampleSize(row.sgCV, target);
        row.sgN2 = 0;
    }
    FreqKzStep(row, ctx, Change::SgN, ui_);
    // A shared plot count recomputes every group, this one included, so its error
    // then follows the shared count rather than the typed target.
    if (IsPlotMethod(ctx.cruzMeth) && groups.size() >= 2) ShareSgN(groups, row.sgN, ctx, ui_);
}

}  // namespace design
