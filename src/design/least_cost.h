#pragma once
// Optimize At Least Cost: the cheapest design whose sale error is at or below a target.
//
// Each stratum that may change (not locked, not a 100 % cruise) gets a stratum size n;
// its sample groups are sized from n exactly as Optimize For Error spreads a stratum's
// size, so every candidate is a design the rest of the program takes as it is. The
// cost is a sum over strata and a stratum's error falls as n grows, so the search
// prices each stratum's designs once and then works on (cost, error) pairs: a
// Lagrangian bound over the convex hulls tells which sizes can still pay off, the
// hull walk gives a first design, and a branch and bound over the sizes left proves
// the cheapest or improves on it.
#include <memory>
#include <string>
#include <vector>

#include "design/rows.h"
#include "design/stratum.h"
#include "ui/ui_port.h"

namespace design {

inline constexpr const char* kLeastCostNoTargetText =
    "Enter a value in the edit box\nnext to the Optimize At Least Cost button.";

constexpr int kLeastCostDone = 0;
constexpr int kLeastCostDeclined = 1;     // the forester stopped at the invalid-values warning
constexpr int kLeastCostNoTarget = 2;     // target error not above 0
constexpr int kLeastCostUnreachable = 3;  // no sizes within the limit reach the target

struct LeastCostOptions {
    // Largest stratum size tried: a target that needs more is reported unreachable.
    int maxSize = 1000000;
    // Search nodes before the best design found so far is taken unproven.
    long long maxNodes = 200000;
};

struct LeastCostPlan {
    bool reached = false;
    // Per stratum of the design: its size, or 0 for a stratum left as it is.
    std::vector<int> sizes;
    double saleError = 0;   // of the planned design, as the form shows it
    double cost = 0;        // total cost of the planned design, every stratum counted
    double lowerBound = 0;  // no design that meets the target costs less
    // The search ran to its end: the cost is the least there is, given that a stratum's
    // cost grows and its error falls with its size (two-stage sizes step back a little;
    // those steps are allowed for as far as the priced sizes show them).
    bool proven = false;
};

class LeastCostSolver {
public:
    // The solver keeps copies of what it needs; `design` may change afterwards.
    LeastCostSolver(const Design& design, const DesignSettings& settings, LeastCostOptions options = {});
    ~LeastCostSolver();
    LeastCostSolver(const LeastCostSolver&) = delete;
    LeastCostSolver& operator=(const LeastCostSolver&) = delete;

    // The cheapest sizes for a target (percent). Priced designs are kept, so a series
    // of targets costs little more than the hardest of them.
    LeastCostPlan Solve(double target);
    // The sale error when every stratum that may change takes the largest size.
    double BestReachableError();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Gives each planned stratum its size: the groups sized, the stratum summarised.
// `design` is the one the plan was made for.
void ApplyLeastCostPlan(Design& design, const LeastCostPlan& plan, const DesignSettings& settings, ui::UiPort& ui);

// The command. targetText: the contents of the target-error box. On kLeastCostDone
// the design holds the cheapest sizes and plan (when given) describes them.
int OptimizeAtLeastCost(Design& design, const std::string& targetText, const DesignSettings& settings,
                        ui::UiPort& ui, LeastCostPlan* plan = nullptr, LeastCostOptions options = {});

// The least cost beside what Optimize For Error makes of the same design and target.
struct CostComparison {
    double target = 0;
    double cost = 0;
    double saleError = 0;
    bool proven = false;
    double ruleCost = 0;       // Optimize For Error's
    double ruleSaleError = 0;
    // "Least cost: $7,910 for 10.0 %; Optimize For Error: $8,790", with the rule's sale
    // error added when it misses the target.
    std::string Text() const;
};
// `before`: the design the plan was made for, as it was.
CostComparison CompareWithRule(const Design& before, const std::string& targetText, const LeastCostPlan& plan,
                               const DesignSettings& settings);

// The message for a target no sizes reach.
std::string UnreachableText(double target, double best, int maxSize);

}  // namespace design
