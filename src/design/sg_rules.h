#pragma once
// Recomputation of sample-group rows: the error of a row, selection frequency, KZ and
// big BAF from the sample sizes, sample sizes back from an edited frequency, big BAF
// or KZ, and the editor that the sample-group grid runs for every cell edit.
#include <cstddef>
#include <string>
#include <string_view>

#include "design/rows.h"
#include "ui/ui_port.h"

namespace design {

inline constexpr const char* kZeroBafKzText =
    "Warning.\nBAF (PlotSize) for stratum is zero.  KZ cannot be computed.\n"
    "Right click in strata table and select 'Change BAF' option.";
inline constexpr const char* kZeroBafSizeText =
    "Warning.\nBAF (PlotSize) for stratum is zero.  Sample size cannot be computed.\n"
    "Right click in strata table and select 'Change BAF' option.";

// What changed in a row before the frequency/KZ step runs.
enum class Change { SgN, SgN2, TreesAcre, VolAcre, TreesPlot, AvgHt };

// Error of the row from its CVs and sizes (finite-population correction for STR, 100).
void RecomputeError(SgRow& row, const StratumContext& ctx);

// Frequency, KZ and big BAF after a change; `ui` receives the zero-BAF warnings.
void FreqKzStep(SgRow& row, const StratumContext& ctx, Change change, ui::UiPort& ui);

// Sizes from an edited value; each returns false when the method has no such rule.
bool SizesFromFrequency(SgRow& row, const StratumContext& ctx);
bool SizesFromBigBaf(SgRow& row, const StratumContext& ctx);
bool SizesFromKz(SgRow& row, const StratumContext& ctx, ui::UiPort& ui);

// Plot methods share one plot count: writes n into every group and recomputes each.
void ShareSgN(SgRefs& groups, int n, const StratumContext& ctx, ui::UiPort& ui);

// Why a typed text cannot go into a column of a sample-group row (the column's value
// rule, named with its accepted range); empty when it can.
std::string SgEditRefusal(std::string_view column, const std::string& text);

// Runs the rules of one cell edit of the sample-group grid.
class SgEditor {
public:
    explicit SgEditor(ui::UiPort& ui) : ui_(ui) {}

    // groups: every sample group of the stratum; row: the edited one. Returns 0, or -1
    // for an unknown or key column, a bad index, a text the column's rule refuses
    // (Refusal() says why; nothing changed), or a call made while an edit runs (a
    // message box of the running edit must not start another one).
    int Edit(SgRefs& groups, std::size_t row, std::string_view column, const std::string& text,
             const StratumContext& ctx);
    bool Busy() const { return busy_; }
    const std::string& Refusal() const { return refusal_; }

private:
    void ApplyEdit(SgRefs& groups, SgRow& row, SgColumn column, const std::string& text, double number,
                   const StratumContext& ctx);
    void EditSize(SgRefs& groups, SgRow& row, const StratumContext& ctx);
    void EditError(SgRefs& groups, SgRow& row, double target, const StratumContext& ctx);

    ui::UiPort& ui_;
    bool busy_ = false;
    std::string refusal_;
};

}  // namespace design
