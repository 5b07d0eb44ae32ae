#pragma once
// Optimize For Error: reallocates the sample sizes of the strata and their sample
// groups so that the sale reaches a target sampling error; and Recalculate Strata Error.
#include <cstddef>
#include <optional>
#include <string>

#include "design/rows.h"
#include "design/stratum.h"
#include "ui/ui_port.h"

namespace design {

inline constexpr const char* kNoTargetText =
    "Enter a value in the edit box\nnext to the Optimize For Error button.";

constexpr int kOptimized = 0;
constexpr int kOptimizeDeclined = 1;  // the forester stopped at the invalid-values warning
constexpr int kOptimizeNoTarget = 2;  // target error not above 0

// The CV by which a stratum takes its share of the sale's sample.
double StratumCv(const StratumRow& s);

// Spreads a stratum size over the stratum's sample groups (sizes, errors, frequencies).
void DistributeStratum(const StratumRow& s, SgRefs& groups, int size, double stratumCv, ui::UiPort& ui);

// The target sale error in the box beside an optimisation's button, by its value rule;
// none, after a warning (`noTarget` when the box holds nothing above 0, else the
// rule's refusal), when it is not one.
std::optional<double> TargetInBox(const std::string& targetText, const char* noTarget, ui::UiPort& ui);

// targetText: the contents of the target-error box. On kOptimized, totals (when given)
// receives the new sale error and cost.
int OptimizeForError(Design& design, const std::string& targetText, const DesignSettings& settings,
                     ui::UiPort& ui, SaleTotals* totals = nullptr);

// Errors of the stratum's groups from their current sizes, then its summary; returns
// the sale error and cost afterwards.
SaleTotals RecalculateStrataError(Design& design, std::size_t stratum, const DesignSettings& settings);

}  // namespace design
