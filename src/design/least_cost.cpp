#include "design/least_cost.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <limits>
#include <map>

#include "design/data_warnings.h"
#include "design/optimize.h"
#include "design/sampling.h"
#include "design/silent_ui.h"
#include "store/value_rules.h"

namespace design {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
// The sale error is truncated at two decimals; comparisons with the target allow for
// the last bit of that arithmetic.
constexpr double kTargetSlack = 1e-9;

// One design of a stratum: its cost and its term in the sale error's sum of squares.
struct Option {
    double cost = 0;
    double term = 0;
    int n = 0;
};

// Hull segments are taken in order of error removed per dollar.
double Efficiency(const Option& from, const Option& to) { return (from.term - to.term) / (to.cost - from.cost); }

// The cheapest designs for each level of error, in order of cost: nothing dominated.
std::vector<Option> Pareto(std::vector<Option> options) {
    std::sort(options.begin(), options.end(), [](const Option& a, const Option& b) {
        if (a.cost != b.cost) return a.cost < b.cost;
        if (a.term != b.term) return a.term < b.term;
        return a.n < b.n;
    });
    std::vector<Option> out;
    for (const Option& o : options)
        if (out.empty() || o.term < out.back().term) out.push_back(o);
    return out;
}

// The lower convex hull of a Pareto list: the designs some price of error picks.
std::vector<Option> Hull(const std::vector<Option>& pareto) {
    std::vector<Option> hull;
    for (const Option& o : pareto) {
        while (hull.size() >= 2 &&
               Efficiency(hull[hull.size() - 2], o) >= Efficiency(hull[hull.size() - 2], hull.back()))
            hull.pop_back();
        hull.push_back(o);
    }
    return hull;
}

// Stratum sizes start where the sample-size rule starts: a size of 1 has no t value,
// so its groups would get no sample and no error at all.
constexpr int kMinSize = 2;

// The designs of one stratum by stratum size, priced on private copies of its rows.
// Only the sizes that might matter are priced: cost grows and error falls with size,
// so between two priced sizes a and b no design costs less than a's or has less
// error than b's, and beyond the last priced size none costs less than it (within
// the steps back that the priced sizes show).
class Menu {
public:
    Menu(const StratumRow& row, std::vector<SgRow> groups, const DesignSettings& settings, int maxSize)
        : row_(row), work_(row), groups_(std::move(groups)), settings_(settings), cv_(StratumCv(row)),
          maxSize_(std::max(maxSize, kMinSize)), twoStage_(IsTwoStage(row.cruzMeth)) {
        for (SgRow& g : groups_) refs_.push_back(&g);
        At(kMinSize);
        volume_ = work_.volAcre * work_.totAcres;
    }
    // refs_ points into groups_.
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;

    double Volume() const { return volume_; }
    int MaxSize() const { return maxSize_; }

    const Option& At(int n) {
        auto it = priced_.find(n);
        if (it != priced_.end()) return it->second;
        pareto_.clear();
        return priced_.emplace(n, Price(n)).first->second;
    }

    // Of the sizes priced so far.
    const std::vector<Option>& ParetoList() {
        if (pareto_.empty()) {
            std::vector<Option> all;
            all.reserve(priced_.size());
            for (const auto& [n, o] : priced_) all.push_back(o);
            pareto_ = Pareto(std::move(all));
            hull_ = Hull(pareto_);
        }
        return pareto_;
    }
    const std::vector<Option>& HullList() {
        ParetoList();
        return hull_;
    }

    // The smallest size whose term is at most `limit`, or 0.
    int SmallestWithin(double limit) {
        int lo = kMinSize;
        if (At(lo).term <= limit) return lo;
        int hi = std::min(2 * lo, maxSize_);
        while (At(hi).term > limit) {
            if (hi == maxSize_) return 0;
            lo = hi;
            hi = hi > maxSize_ / 2 ? maxSize_ : hi * 2;
        }
        while (hi - lo > 1) {
            int mid = lo + (hi - lo) / 2;
            (At(mid).term <= limit ? hi : lo) = mid;
        }
        return hi;
    }

    // Prices sizes until none left unpriced could have a cost plus `lambda` times its
    // term below the least of the priced ones (need < 0), or within `need` of it.
    // True when any was priced.
    bool Refine(double lambda, double need) {
        bool any = false;
        for (;;) {
            double low = kInf;
            for (const Option& o : HullList()) low = std::min(low, o.cost + lambda * o.term);
            auto matters = [&](double bound) { return need < 0 ? bound < low - 1e-9 : bound <= low + need + 1e-9; };
            // The two-stage size rule trades first-stage for second-stage samples as
            // the target tightens, so cost (and error) can step back a little: the
            // bounds allow twice the largest such step seen.
            double drop = 0, rise = 0, most = -kInf, least = kInf, cheapest = kInf;
            for (const auto& [n, o] : priced_) {
                cheapest = std::min(cheapest, o.cost);
                most = std::max(most, o.cost);
                least = std::min(least, o.term);
                drop = std::max(drop, most - o.cost);
                rise = std::max(rise, o.term - least);
            }
            const double slackCost = 2 * drop, slackTerm = 2 * rise;
            // Such steps hide between priced sizes, so a two-stage stratum is priced
            // size by size, where its error might still matter, up to the first size
            // too dear to.
            int dense = 0;
            if (twoStage_) {
                dense = maxSize_;
                for (const auto& [n, o] : priced_)
                    if (!matters(o.cost - slackCost)) {
                        dense = n;
                        break;
                    }
            }
            std::vector<int> wanted;
            for (auto a = priced_.begin(), b = std::next(a); b != priced_.end(); a = b++) {
                const Option &x = a->second, &y = b->second;
                if (b->first - a->first < 2) continue;
                // There only the error is taken to fall: no size costs less than the
                // cheapest priced one (within the steps back).
                if (a->first < dense) {
                    if (matters(cheapest - slackCost + lambda * std::max(y.term - slackTerm, 0.0)))
                        wanted.push_back(a->first + (b->first - a->first) / 2);
                    continue;
                }
                // Between sizes of equal cost (or equal error) nothing beats one of them.
                if (drop == 0 && rise == 0 && (x.cost == y.cost || x.term == y.term)) continue;
                if (matters(x.cost - slackCost + lambda * std::max(y.term - slackTerm, 0.0)))
                    wanted.push_back(a->first + (b->first - a->first) / 2);
            }
            const auto& [last, at] = *priced_.rbegin();
            if (last < maxSize_ && at.term > 0 && matters(at.cost - slackCost))
                wanted.push_back(last > maxSize_ / 2 ? maxSize_ : 2 * last);
            if (wanted.empty()) return any;
            for (int n : wanted) At(n);
            any = true;
        }
    }

private:
    Option Price(int n) {
        DistributeStratum(row_, refs_, n, cv_, silent_);
        SummarizeStratum(work_, refs_, SummaryMode::Form, settings_.uom, settings_.costs);
        double v = work_.volAcre * work_.totAcres;
        return {work_.strCost, (v * work_.error) * (v * work_.error), n};
    }

    const StratumRow row_;
    StratumRow work_;
    std::vector<SgRow> groups_;
    SgRefs refs_;
    DesignSettings settings_;
    double cv_;
    int maxSize_;
    bool twoStage_;
    double volume_ = 0;
    SilentUi silent_;
    std::map<int, Option> priced_;
    std::vector<Option> pareto_, hull_;
};

// The relaxation over hulls: each stratum at a hull point, one of them between two.
struct Relaxation {
    bool feasible = false;
    double cost = 0;    // the bound: no choice within the budget costs less
    double lambda = 0;  // the price of a unit of the sum of squares at the optimum
    std::vector<std::size_t> at;  // per menu, the hull point reached in full
};

struct Segment {
    double efficiency;
    std::size_t menu;
    std::size_t to;  // hull index reached
};

Relaxation Relax(std::deque<Menu>& menus, double budget) {
    Relaxation r;
    r.at.assign(menus.size(), 0);
    double term = 0;
    std::vector<Segment> segments;
    for (std::size_t m = 0; m < menus.size(); ++m) {
        const auto& h = menus[m].HullList();
        r.cost += h.front().cost;
        term += h.front().term;
        for (std::size_t k = 1; k < h.size(); ++k) segments.push_back({Efficiency(h[k - 1], h[k]), m, k});
    }
    if (term <= budget) {
        r.feasible = true;
        return r;
    }
    std::stable_sort(segments.begin(), segments.end(),
                     [](const Segment& a, const Segment& b) { return a.efficiency > b.efficiency; });
    for (const Segment& s : segments) {
        const auto& h = menus[s.menu].HullList();
        const Option& from = h[s.to - 1];
        const Option& to = h[s.to];
        double drop = from.term - to.term;
        if (term - drop <= budget) {
            double part = (term - budget) / drop;
            r.cost += part * (to.cost - from.cost);
            r.lambda = 1 / s.efficiency;
            r.feasible = true;
            return r;
        }
        term -= drop;
        r.cost += to.cost - from.cost;
        r.at[s.menu] = s.to;
    }
    return r;
}

}  // namespace

struct LeastCostSolver::Impl {
    LeastCostOptions options;
    std::size_t strata = 0;
    std::vector<int> menuOf;       // per stratum, its menu or -1 when it stays as it is
    std::vector<std::size_t> stratumOf;  // per menu
    std::deque<Menu> menus;  // not moved once made
    std::vector<double> fixedTerm;  // per stratum that stays
    std::vector<double> volumes;    // per stratum
    double fixedCost = 0;
    double fixedTerms = 0;
    double volume = 0;

    // The sale error of a choice (one size per menu), summed as the form sums it.
    double SaleError(const std::vector<Option>& choice) const {
        double squares = 0, v = 0;
        for (std::size_t i = 0; i < strata; ++i) {
            squares += menuOf[i] < 0 ? fixedTerm[i] : choice[menuOf[i]].term;
            v += volumes[i];
        }
        return Trunc2(SafeDiv(std::sqrt(squares), v));
    }

    double FreeCost(const std::vector<Option>& choice) const {
        double c = 0;
        for (const Option& o : choice) c += o.cost;
        return c;
    }

    std::vector<Option> AtLargest() {
        std::vector<Option> c;
        for (Menu& m : menus) c.push_back(m.At(m.MaxSize()));
        return c;
    }

    // Largest sum of squares of the strata that change that can still meet the
    // target; a sum above it cannot (the check of a choice is SaleError).
    double Budget(double target) const {
        if (volume <= 0) return kInf;
        double limit = (std::floor(target * 100 + 1e-7) + 1) / 100 * volume;
        return limit * limit * (1 + 1e-12) - fixedTerms;
    }

    std::vector<Option> Seed(double target, double budget);
    std::vector<Option> RoundUp(const Relaxation& lp, double budget, double target);
    std::vector<Option> Improve(std::vector<Option> choice, double budget, double target);
    bool Extend(double lambda, double gap);
    LeastCostPlan Solve(double target);
};

LeastCostSolver::LeastCostSolver(const Design& design, const DesignSettings& settings, LeastCostOptions options)
    : impl_(std::make_unique<Impl>()) {
    Impl& s = *impl_;
    s.options = options;
    s.options.maxSize = std::max(options.maxSize, 1);
    s.strata = design.strata.size();
    s.menuOf.assign(s.strata, -1);
    s.fixedTerm.assign(s.strata, 0);
    s.volumes.assign(s.strata, 0);
    Design copy = design;
    std::vector<SgRefs> groups = GroupsByStratum(copy);
    std::vector<bool> seen(copy.groups.size(), false);
    for (std::size_t i = 0; i < s.strata; ++i) {
        const StratumRow& row = design.strata[i];
        // A method the rules do not know has no sizes to choose.
        bool known = IsTreeMethod(row.cruzMeth) || IsPlotMethod(row.cruzMeth);
        // A stratum code given twice shares its groups; the first row sizes them.
        bool shared = false;
        for (const SgRow* g : groups[i]) shared = shared || seen[g - copy.groups.data()];
        if (IsLocked(row) || row.cruzMeth == "100" || !known || shared) {
            double v = row.volAcre * row.totAcres;
            s.fixedTerm[i] = (v * row.error) * (v * row.error);
            s.fixedTerms += s.fixedTerm[i];
            s.fixedCost += row.strCost;
            s.volumes[i] = v;
            continue;
        }
        std::vector<SgRow> rows;
        for (const SgRow* g : groups[i]) {
            rows.push_back(*g);
            seen[g - copy.groups.data()] = true;
        }
        s.menuOf[i] = static_cast<int>(s.menus.size());
        s.stratumOf.push_back(i);
        s.menus.emplace_back(row, std::move(rows), settings, s.options.maxSize);
        s.volumes[i] = s.menus.back().Volume();
    }
    for (double v : s.volumes) s.volume += v;
}

LeastCostSolver::~LeastCostSolver() = default;

LeastCostPlan LeastCostSolver::Solve(double target) { return impl_->Solve(target); }

double LeastCostSolver::BestReachableError() { return impl_->SaleError(impl_->AtLargest()); }

// A first design that meets the target: the budget shared out by each stratum's
// volume, as if every stratum should reach the same error; a stratum that cannot
// reach its share takes the largest size and the others share what it leaves.
std::vector<Option> LeastCostSolver::Impl::Seed(double target, double budget) {
    for (double shrink : {1 - 1e-9, 0.999, 0.99}) {
        std::vector<int> sizes(menus.size(), 0);
        double left = budget * shrink, weights = 0;
        for (std::size_t m = 0; m < menus.size(); ++m) {
            if (menus[m].Volume() <= 0) sizes[m] = kMinSize;
            else weights += menus[m].Volume() * menus[m].Volume();
        }
        bool again = true;
        while (again) {
            again = false;
            for (std::size_t m = 0; m < menus.size(); ++m) {
                if (sizes[m] < 0 || menus[m].Volume() <= 0) continue;
                double w = menus[m].Volume() * menus[m].Volume();
                double share = weights > 0 ? w / weights : 1;
                sizes[m] = menus[m].SmallestWithin(std::max(left, 0.0) * share);
                if (sizes[m] == 0) {
                    left -= menus[m].At(menus[m].MaxSize()).term;
                    weights -= w;
                    sizes[m] = -1;
                    again = true;
                    break;
                }
            }
        }
        std::vector<Option> choice;
        for (std::size_t m = 0; m < menus.size(); ++m)
            choice.push_back(menus[m].At(sizes[m] < 0 ? menus[m].MaxSize() : sizes[m]));
        if (SaleError(choice) <= target + kTargetSlack) return choice;
    }
    return AtLargest();
}

// The relaxation's design rounded up: the hull walk continued by whole points until
// the target is met. Empty when the priced sizes do not reach it.
std::vector<Option> LeastCostSolver::Impl::RoundUp(const Relaxation& lp, double budget, double target) {
    std::vector<std::size_t> at = lp.at;
    double term = 0;
    std::vector<Segment> segments;
    std::vector<Option> choice(menus.size());
    for (std::size_t m = 0; m < menus.size(); ++m) {
        const auto& h = menus[m].HullList();
        choice[m] = h[at[m]];
        term += h[at[m]].term;
        for (std::size_t k = at[m] + 1; k < h.size(); ++k) segments.push_back({Efficiency(h[k - 1], h[k]), m, k});
    }
    std::stable_sort(segments.begin(), segments.end(),
                     [](const Segment& a, const Segment& b) { return a.efficiency > b.efficiency; });
    // A stratum's segments come in hull order, so each one extends its `at`.
    for (const Segment& s : segments) {
        if (term <= budget && SaleError(choice) <= target + kTargetSlack) return choice;
        const auto& h = menus[s.menu].HullList();
        term -= h[at[s.menu]].term - h[s.to].term;
        at[s.menu] = s.to;
        choice[s.menu] = h[s.to];
    }
    if (term <= budget && SaleError(choice) <= target + kTargetSlack) return choice;
    return {};
}

// Each stratum in turn takes the cheapest priced design that the others leave room
// for, until none gets cheaper.
std::vector<Option> LeastCostSolver::Impl::Improve(std::vector<Option> choice, double budget, double target) {
    if (choice.empty()) return choice;
    double term = 0;
    for (const Option& o : choice) term += o.term;
    for (bool changed = true; changed;) {
        changed = false;
        for (std::size_t m = 0; m < menus.size(); ++m) {
            const double room = budget - (term - choice[m].term);
            // Pareto order: cost rising, term falling; the first within room is cheapest.
            for (const Option& o : menus[m].ParetoList()) {
                if (o.cost >= choice[m].cost) break;
                if (o.term > room) continue;
                Option was = choice[m];
                choice[m] = o;
                if (SaleError(choice) <= target + kTargetSlack) {
                    term += o.term - was.term;
                    changed = true;
                } else {
                    choice[m] = was;
                }
                break;
            }
        }
    }
    return choice;
}

// Prices further sizes where the unpriced ones might matter. For the bound at price
// `lambda` to hold, no unpriced size may undercut a stratum's least priced cost plus
// priced error; with gap >= 0, every size within `gap` of that is priced too, so that
// no design cheaper than the best known is left out. True when any was priced.
bool LeastCostSolver::Impl::Extend(double lambda, double gap) {
    bool extended = false;
    for (Menu& m : menus) extended = m.Refine(lambda, gap) || extended;
    return extended;
}

LeastCostPlan LeastCostSolver::Impl::Solve(double target) {
    LeastCostPlan plan;
    plan.sizes.assign(strata, 0);
    auto finish = [&](const std::vector<Option>& choice) {
        plan.saleError = SaleError(choice);
        plan.cost = fixedCost + FreeCost(choice);
        plan.reached = plan.saleError <= target + kTargetSlack;
        for (std::size_t m = 0; m < menus.size(); ++m) plan.sizes[stratumOf[m]] = choice[m].n;
    };
    if (!(target > 0)) return plan;
    std::vector<Option> best = AtLargest();
    finish(best);
    if (!plan.reached) return plan;
    const double budget = Budget(target);
    best = Seed(target, budget);
    double upper = FreeCost(best);

    bool integral = true;
    Relaxation lp;
    auto offer = [&](const std::vector<Option>& choice) {
        if (choice.empty() || SaleError(choice) > target + kTargetSlack || FreeCost(choice) >= upper) return;
        upper = FreeCost(choice);
        best = choice;
    };
    // First the bound is made sound and the best design brought close to it; only
    // then is every stratum priced as far as the remaining gap needs.
    bool forGap = false;
    for (;;) {
        lp = Relax(menus, budget);
        // The first design lies within the priced sizes, so this holds; without it
        // there is no bound to prove anything with.
        if (!lp.feasible) {
            finish(best);
            return plan;
        }
        offer(Improve(RoundUp(lp, budget, target), budget, target));
        offer(Improve(best, budget, target));
        for (Menu& m : menus)
            for (const Option& o : m.ParetoList()) integral = integral && o.cost == std::floor(o.cost);
        const double gap = std::max(upper - lp.cost, 0.0);
        const bool closed = gap < (integral ? 1.0 : 0.0) - 1e-6;
        if (Extend(lp.lambda, forGap && !closed ? gap : -1)) continue;
        if (forGap || closed) break;
        forGap = true;
    }
    plan.lowerBound = fixedCost + std::min(lp.cost, upper);

    const double unit = integral ? 1.0 : 0.0;
    if (upper - lp.cost < unit - 1e-6 || (!integral && upper - lp.cost <= 1e-9 * std::max(1.0, upper))) {
        plan.proven = true;
        finish(best);
        return plan;
    }

    // Branch and bound over the sizes whose reduced cost fits in the gap.
    struct Branch {
        std::size_t menu;
        std::vector<Option> options;  // by reduced cost
        std::vector<Option> hull;
    };
    const double gap = upper - lp.cost;
    std::vector<Branch> branches;
    std::vector<Option> choice(menus.size());
    for (std::size_t m = 0; m < menus.size(); ++m) {
        double low = kInf;
        for (const Option& o : menus[m].HullList()) low = std::min(low, o.cost + lp.lambda * o.term);
        Branch b{m, {}, {}};
        for (const Option& o : menus[m].ParetoList())
            if (o.cost + lp.lambda * o.term - low <= gap + 1e-9) b.options.push_back(o);
        b.hull = Hull(b.options);
        std::sort(b.options.begin(), b.options.end(), [&](const Option& x, const Option& y) {
            return x.cost + lp.lambda * x.term < y.cost + lp.lambda * y.term;
        });
        branches.push_back(std::move(b));
    }
    // The strata whose choice moves the error most are decided first.
    std::sort(branches.begin(), branches.end(), [](const Branch& a, const Branch& b) {
        return a.hull.front().term - a.hull.back().term > b.hull.front().term - b.hull.back().term;
    });
    const std::size_t depth = branches.size();
    std::vector<double> restCost(depth + 1, 0), restTerm(depth + 1, 0);
    for (std::size_t k = depth; k-- > 0;) {
        restCost[k] = restCost[k + 1] + branches[k].hull.front().cost;
        restTerm[k] = restTerm[k + 1] + branches[k].hull.front().term;
    }
    std::vector<Segment> segments;  // menu: the branch's depth
    for (std::size_t k = 0; k < depth; ++k)
        for (std::size_t j = 1; j < branches[k].hull.size(); ++j)
            segments.push_back({Efficiency(branches[k].hull[j - 1], branches[k].hull[j]), k, j});
    std::stable_sort(segments.begin(), segments.end(),
                     [](const Segment& a, const Segment& b) { return a.efficiency > b.efficiency; });

    // Least cost of the branches from k on within `left`, or infinity.
    auto bound = [&](std::size_t k, double left) {
        double cost = restCost[k], term = restTerm[k];
        if (term <= left) return cost;
        for (const Segment& s : segments) {
            if (s.menu < k) continue;
            const Option& from = branches[s.menu].hull[s.to - 1];
            const Option& to = branches[s.menu].hull[s.to];
            double drop = from.term - to.term;
            if (term - drop <= left) return cost + (term - left) / drop * (to.cost - from.cost);
            term -= drop;
            cost += to.cost - from.cost;
        }
        return kInf;
    };
    long long nodes = 0;
    bool stopped = false;
    const double prune = integral ? 1.0 - 1e-6 : 1e-9 * std::max(1.0, upper);
    auto search = [&](auto& self, std::size_t k, double cost, double term) -> void {
        if (stopped) return;
        if (++nodes > options.maxNodes) {
            stopped = true;
            return;
        }
        if (k == depth) {
            if (term <= budget && cost < upper && SaleError(choice) <= target + kTargetSlack) {
                upper = cost;
                best = choice;
            }
            return;
        }
        if (cost + bound(k, budget - term) > upper - prune) return;
        for (const Option& o : branches[k].options) {
            choice[branches[k].menu] = o;
            self(self, k + 1, cost + o.cost, term + o.term);
        }
    };
    search(search, 0, 0.0, 0.0);
    plan.proven = !stopped;
    if (plan.proven) plan.lowerBound = fixedCost + upper;
    finish(best);
    return plan;
}

void ApplyLeastCostPlan(Design& d, const LeastCostPlan& plan, const DesignSettings& settings, ui::UiPort& ui) {
    std::vector<SgRefs> groups = GroupsByStratum(d);
    for (std::size_t i = 0; i < d.strata.size() && i < plan.sizes.size(); ++i) {
        if (plan.sizes[i] <= 0) continue;
        StratumRow& s = d.strata[i];
        DistributeStratum(s, groups[i], plan.sizes[i], StratumCv(s), ui);
        SummarizeStratum(s, groups[i], SummaryMode::Form, settings.uom, settings.costs);
    }
}

namespace {

// Whole dollars with thousands separators.
std::string Dollars(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.0f", std::fabs(v));
    std::string digits = buf, out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return (v < 0 ? "-$" : "$") + out;
}

std::string Percent(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.1f %%", v);
    return buf;
}

}  // namespace

std::string CostComparison::Text() const {
    std::string text = "Least cost: " + Dollars(cost) + " for " + Percent(target) +
                       "; Optimize For Error: " + Dollars(ruleCost);
    if (ruleSaleError > target + kTargetSlack) text += " for " + Percent(ruleSaleError);
    return text;
}

CostComparison CompareWithRule(const Design& before, const std::string& targetText, const LeastCostPlan& plan,
                               const DesignSettings& settings) {
    CostComparison c;
    c.target = store::Check(store::rules::kTargetError, targetText).number;
    c.cost = plan.cost;
    c.saleError = plan.saleError;
    c.proven = plan.proven;
    Design rule = before;
    DesignSettings quiet = settings;
    quiet.displayDataWarnings = false;
    SilentUi silent;
    SaleTotals totals;
    if (OptimizeForError(rule, targetText, quiet, silent, &totals) == kOptimized) {
        c.ruleCost = totals.cost;
        c.ruleSaleError = totals.error;
    }
    return c;
}

std::string UnreachableText(double target, double best, int maxSize) {
    char buf[512];
    std::snprintf(buf, sizeof buf,
                  "The target sale error of %g %% cannot be reached: with %d plots or trees in every stratum "
                  "that may change, the sale error is still %.2f %%.",
                  target, maxSize, best);
    return buf;
}

int OptimizeAtLeastCost(Design& d, const std::string& targetText, const DesignSettings& settings, ui::UiPort& ui,
                        LeastCostPlan* out, LeastCostOptions options) {
    if (settings.displayDataWarnings && !ConfirmDataWarnings(d.groups, ui)) return kLeastCostDeclined;
    const std::optional<double> typed = TargetInBox(targetText, kLeastCostNoTargetText, ui);
    if (!typed) return kLeastCostNoTarget;
    const double target = *typed;
    LeastCostSolver solver(d, settings, options);
    LeastCostPlan plan = solver.Solve(target);
    if (out) *out = plan;
    if (!plan.reached) {
        ui.Warning(UnreachableText(target, plan.saleError, options.maxSize), "Warning");
        return kLeastCostUnreachable;
    }
    ApplyLeastCostPlan(d, plan, settings, ui);
    return kLeastCostDone;
}

}  // namespace design
