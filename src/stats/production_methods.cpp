// One statistics routine per cruise-method family of a production cruise. Each
// divisor is guarded: a quotient whose divisor is 0 is 0 and the value it feeds is
// marked "R" for review, so nothing stored is NaN or infinite and no integer
// division can trap.
#include <algorithm>
#include <climits>
#include <cmath>
#include <numeric>
#include <string>

#include "design/sampling.h"
#include "stats/cv_rule.h"
#include "stats/production.h"

namespace stats {

namespace {

constexpr double kBasalArea = 0.005454;  // square feet per inch of diameter squared

// Marks as letters; 0 leaves the mark empty.
constexpr char kComputed = 'N';
constexpr char kReview = 'R';

// One stage: (value, square) rows; the count of units is given separately.
struct Stage {
    Sums sums;
    int64_t rows = 0;
    void Add(double x) {
        sums.Add(x);
        ++rows;
    }
    double Cv(int64_t count) const { return CvFromSums(sums, count); }
    // A CV that means something: at least two units and a mean that is not zero.
    bool Usable(int64_t count) const { return count >= 2 && sums.s != 0 && std::isfinite(sums.q); }
};

int ToInt(int64_t x) { return static_cast<int>(std::clamp<int64_t>(x, INT_MIN, INT_MAX)); }

// Tallies come from files other programs wrote: sums saturate rather than overflow.
int64_t SatAdd(int64_t a, int64_t b) {
    int64_t r;
    if (!__builtin_add_overflow(a, b, &r)) return r;
    return b > 0 ? INT64_MAX : INT64_MIN;
}

int64_t WholeOf(double x) {
    if (!(x == x)) return 0;
    if (x >= 9.2e18) return INT64_MAX;
    if (x <= -9.2e18) return INT64_MIN;
    return static_cast<int64_t>(x);
}

double Trunc1(double x) { return Truncate(x, 1); }

double Combine(double e1, double e2) {
    double e = std::sqrt(e1 * e1 + e2 * e2);
    return Truncate(e, 2);
}

// Point expansion: trees per acre a tree of diameter d stands for on one of n points.
double PointFactor(double baf, double d, int64_t n) {
    if (!(d > 0) || n <= 0) return 0;
    return SafeDiv(baf, d * (d * static_cast<double>(n)) * kBasalArea);
}

// Fixed-plot expansion: 1 / ((1 / FPSize) * n).
double PlotFactor(double fpSize, int64_t n) {
    if (!(fpSize > 0) || n <= 0) return 0;
    return SafeDiv(1.0, (1.0 / fpSize) * static_cast<double>(n));
}

// The group's trees in runs of one plot (one cutting unit's plot), in the order of the
// units and plots as codes.
std::vector<std::vector<const ProdTree*>> Plots(const std::vector<ProdTree>& trees) {
    std::vector<const ProdTree*> order;
    order.reserve(trees.size());
    for (const ProdTree& t : trees) order.push_back(&t);
    std::stable_sort(order.begin(), order.end(), [](const ProdTree* a, const ProdTree* b) {
        if (a->cutUnit != b->cutUnit) return a->cutUnit < b->cutUnit;
        return a->plot < b->plot;
    });
    std::vector<std::vector<const ProdTree*>> plots;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i == 0 || order[i]->cutUnit != order[i - 1]->cutUnit || order[i]->plot != order[i - 1]->plot)
            plots.emplace_back();
        plots.back().push_back(order[i]);
    }
    return plots;
}

// What every routine leaves in the row: per-acre figures to one decimal, CVs to three,
// the marks of the per-acre values.
struct Outcome {
    double cv1 = 0, cv2 = 0;
    int64_t n1 = 0, n2 = 0;
    double err = 0;
    double tpa = 0, vpa = 0, tpp = 0;
    bool perAcreBad = false;  // a per-acre value needed a divisor that was 0
    char c = kComputed;
    char c2 = 0;
};

void Fill(const SgInput& in, const Outcome& o, design::SgRow& row) {
    row = design::SgRow{};
    row.stratum = in.stratum;
    row.sgCode = in.sgCode;
    // CVs and errors come cut already; cutting them again could lose a last digit.
    row.sgCV = o.cv1;
    row.sgCV2 = o.cv2;
    row.sgN = ToInt(o.n1);
    row.sgN2 = ToInt(o.n2);
    row.sgErr = std::isfinite(o.err) ? o.err : 0.0;
    row.treesAcre = Trunc1(o.tpa);
    row.volAcre = Trunc1(o.vpa);
    row.treesPlot = Trunc1(o.tpp);
    auto text = [](char mark) { return mark ? std::string(1, mark) : std::string(); };
    row.c = text(o.c);
    row.c2 = text(o.c2);
    row.t = text(in.acresMissing || o.perAcreBad ? kReview : kComputed);
    row.v = row.t;
}

char Mark(bool ok) { return ok ? kComputed : kReview; }

// "100": every tree measured; no sampling error.
Outcome Hundred(const SgInput& in) {
    Outcome o;
    Stage s;
    double sumV = 0;
    for (const ProdTree& t : in.trees) {
        if (!t.measured) continue;
        s.Add(t.V());
        sumV += t.V();
    }
    o.n1 = s.rows;
    o.cv1 = s.Cv(o.n1);
    o.tpa = static_cast<double>(o.n1) / in.acres;
    o.vpa = sumV / in.acres;
    o.c = Mark(s.Usable(o.n1));
    return o;
}

// "STR": every k-th tree measured; the error corrected for the finite tally.
Outcome SampleTree(const SgInput& in) {
    Outcome o;
    Stage s;
    double sumV = 0;
    for (const ProdTree& t : in.trees) {
        if (!t.measured) continue;
        s.Add(t.V());
        sumV += t.V();
    }
    const int64_t m = s.rows, N = in.tallies.n;
    o.n1 = m;
    o.cv1 = s.Cv(m);
    o.tpa = static_cast<double>(N) / in.acres;
    o.vpa = SafeDiv(static_cast<double>(N), static_cast<double>(m)) * sumV / in.acres;
    o.perAcreBad = m == 0;
    o.err = design::CorrectedError(design::SamplingError(o.cv1, ToInt(m)), ToInt(m), ToInt(N));
    o.c = Mark(s.Usable(m));
    return o;
}

// "3P": volume to KPI ratio of the trees, expanded by the tallied KPI.
Outcome ThreeP(const SgInput& in) {
    Outcome o;
    Stage s;
    int64_t coded3 = 0;
    bool skipped = false;
    for (const ProdTree& t : in.trees) {
        if (t.code3p == "3") {
            ++coded3;
        } else if (t.kpi > 0) {
            s.Add(t.V() / static_cast<double>(t.kpi));
        } else {
            skipped = true;  // a ratio to a KPI of 0 has no value
        }
    }
    const int64_t c = s.rows;
    o.n1 = static_cast<int64_t>(in.trees.size());
    o.cv1 = s.Cv(c);
    double tallied = static_cast<double>(in.tallies.n) - static_cast<double>(coded3);
    o.tpa = std::max(tallied, 0.0) / in.acres;
    o.vpa = SafeDiv(s.sums.s, static_cast<double>(c)) * static_cast<double>(in.tallies.sumKpi) / in.acres;
    o.perAcreBad = c == 0 || tallied < 0 || skipped;
    o.err = design::SamplingError(o.cv1, ToInt(c));
    o.c = Mark(s.Usable(c) && !skipped);
    return o;
}

// "S3P": sample trees by KPI, 3P subsample of measured trees coded "1".
Outcome SampleTree3P(const SgInput& in) {
    Outcome o;
    Stage s1, s2;
    double vol3 = 0;
    bool skipped2 = false;
    std::vector<const ProdTree*> second;
    for (const ProdTree& t : in.trees) {
        if (t.code3p == "3") vol3 += t.V();
        else if (t.kpi >= 1) s1.Add(static_cast<double>(t.kpi));
        if (t.measured && t.code3p == "1") {
            if (t.kpi >= 1) {
                s2.Add(t.V() / static_cast<double>(t.kpi));
                second.push_back(&t);
            } else {
                skipped2 = true;
            }
        }
    }
    const int64_t c = s1.rows, i = s2.rows, N = in.tallies.n;
    // Whole-number quotients, as the cruise's own expansion takes them.
    const int64_t q = c > 0 ? N / c : 0;
    double vol = vol3;
    for (const ProdTree* t : second) {
        int64_t den = 0;
        if (__builtin_mul_overflow(i, t->kpi, &den)) den = 0;
        int64_t g = den > 0 ? in.tallies.sumKpi / den : 0;
        vol += t->V() * static_cast<double>(g) * static_cast<double>(q);
    }
    o.cv1 = s1.Cv(c);
    o.cv2 = s2.Cv(i);
    o.n1 = c;
    o.n2 = i;
    o.tpa = static_cast<double>(N) / in.acres;
    o.vpa = vol / in.acres;
    o.perAcreBad = c == 0 || (i == 0 && N > 0) || skipped2;
    // First-stage correction for the finite tally; without a tally it is unknown.
    double remaining = N > 0 ? 1.0 - static_cast<double>(c) / static_cast<double>(N) : 0.0;
    double e1 = design::SamplingError(o.cv1, ToInt(c)) * std::sqrt(std::max(remaining, 0.0));
    double e2 = design::SamplingError(o.cv2, ToInt(i));
    o.err = Combine(e1, e2);
    o.c = Mark(s1.Usable(c) && i >= 2 && N > 0);
    o.c2 = Mark(s2.Usable(i) && !skipped2);
    return o;
}

// "FIX": fixed plots, every tree measured.
Outcome FixedPlot(const SgInput& in) {
    Outcome o;
    const int64_t n = in.plots;
    const double e = PlotFactor(in.fpSize, n);
    Stage s;
    double total = 0;
    for (const auto& plot : Plots(in.trees)) {
        double sum = 0;
        for (const ProdTree* t : plot) sum += t->V();
        s.Add(sum * e);
        total += sum * e;
    }
    const double trees = static_cast<double>(in.trees.size());
    o.n1 = n;
    o.cv1 = s.Cv(n);
    o.tpa = trees * e;
    o.vpa = total;
    o.tpp = SafeDiv(trees, static_cast<double>(n));
    o.perAcreBad = e == 0;
    o.err = design::SamplingError(o.cv1, ToInt(n));
    o.c = s.Usable(n) ? 0 : kReview;
    return o;
}

// "PNT": variable-radius points, every tree measured.
Outcome Point(const SgInput& in) {
    Outcome o;
    const int64_t n = in.plots;
    Stage s;
    double total = 0, tpa = 0;
    for (const auto& point : Plots(in.trees)) {
        double sum = 0;
        for (const ProdTree* t : point) {
            double f = PointFactor(in.baf, t->dbh, n);
            tpa += f;
            sum += f * t->V();
        }
        s.Add(sum);
        total += sum;
    }
    const double trees = static_cast<double>(in.trees.size());
    o.n1 = n;
    o.cv1 = s.Cv(n);
    o.tpa = tpa;
    o.vpa = total;
    o.tpp = SafeDiv(trees, static_cast<double>(n));
    o.perAcreBad = n <= 0 || !(in.baf > 0);
    o.err = design::SamplingError(o.cv1, ToInt(n));
    o.c = s.Usable(n) ? 0 : kReview;
    return o;
}

// "P3P" and "F3P": KPI of every tree on the plot as first stage, 3P subsample of
// measured trees as second. `point` chooses the point expansion (and the ratio to
// basal area) over the fixed-plot one.
Outcome Plot3P(const SgInput& in, bool point) {
    Outcome o;
    const int64_t n = in.plots, m = in.tallies.m;
    const double e = PlotFactor(in.fpSize, n);
    const double sumKpi = static_cast<double>(in.tallies.sumKpi);
    Stage s1, s2;
    bool skipped = false;
    double tpa = 0, vpa = 0;
    for (const auto& plot : Plots(in.trees)) {
        double kpiSum = 0;
        for (const ProdTree* t : plot) {
            kpiSum += static_cast<double>(t->kpi);
            if (!t->measured) continue;
            const double k = static_cast<double>(t->kpi), d = t->dbh, v = t->V();
            double factor = point ? PointFactor(in.baf, d, n) : e;
            double expansion = SafeDiv(factor * sumKpi, k * static_cast<double>(m));
            tpa += expansion;
            vpa += expansion * v;
            double den = point ? d * (d * k) : k;
            if (den > 0) s2.Add(v / den);
            else skipped = true;  // no KPI (or no diameter): no ratio to take
        }
        s1.Add(kpiSum);
    }
    o.n1 = n;
    // The trees the second stage was taken over: its error rests on them, and the
    // design form's sizes and KZ divide by this count.
    o.n2 = s2.rows;
    o.cv1 = s1.Cv(n);
    o.cv2 = s2.Cv(o.n2);
    o.tpa = tpa;
    o.vpa = vpa;
    o.tpp = SafeDiv(static_cast<double>(in.trees.size()), static_cast<double>(n));
    o.perAcreBad = n <= 0 || (m == 0 && !in.trees.empty()) || skipped ||
                   (point ? !(in.baf > 0) : e == 0);
    o.err = Combine(design::SamplingError(o.cv1, ToInt(n)), design::SamplingError(o.cv2, ToInt(o.n2)));
    o.c = Mark(s1.Usable(n));
    o.c2 = Mark(s2.Usable(o.n2) && !skipped);
    return o;
}

// Trees a tree row stands for on its plot in a count-and-measure cruise.
int64_t TreeCount(const ProdTree& t) {
    if (t.treeCnt > 0) return t.treeCnt;
    return t.measured && t.dbh > 0 ? 1 : 0;
}

// "PCM", "PCMTRE" and "FCM": tree counts per plot, measured trees as second stage.
Outcome CountMeasure(const SgInput& in, bool point) {
    Outcome o;
    const int64_t n = in.plots, N = in.tallies.n;
    Stage s1, s2;
    double expSum = 0, expVol = 0, sumV = 0;
    for (const auto& plot : Plots(in.trees)) {
        int64_t count = 0;
        for (const ProdTree* t : plot) {
            count = SatAdd(count, TreeCount(*t));
            if (!t->measured) continue;
            const double d = t->dbh, v = t->V();
            sumV += v;
            if (point) {
                s2.Add(v > 0 && d > 0 ? v / (d * d * kBasalArea) : 0.0);
                double f = PointFactor(in.baf, d, n);
                expSum += f;
                expVol += f * v;
            } else {
                s2.Add(v);
            }
        }
        s1.Add(static_cast<double>(count));
    }
    const int64_t m = s2.rows;
    const double q = SafeDiv(static_cast<double>(N), static_cast<double>(m));
    if (point) {
        o.tpa = expSum * q;
        o.vpa = expVol * q;
        o.perAcreBad = n <= 0 || !(in.baf > 0) || (m == 0 && N > 0);
    } else {
        double share = n > 0 ? in.fpSize / static_cast<double>(n) : 0.0;
        o.tpa = static_cast<double>(m) * share * q;
        o.vpa = sumV * share * q;
        o.perAcreBad = !(share > 0) || (m == 0 && N > 0);
    }
    o.n1 = n;
    o.n2 = m;
    o.cv1 = s1.Cv(n);
    o.cv2 = s2.Cv(m);
    o.tpp = SafeDiv(static_cast<double>(N), static_cast<double>(n));
    o.err = Combine(design::SamplingError(o.cv1, ToInt(n)), design::SamplingError(o.cv2, ToInt(m)));
    o.c = Mark(s1.Usable(n));
    o.c2 = Mark(s2.Usable(m));
    return o;
}

// "3PPNT": points chosen by 3P on their KPI (carried by the point's tree-0 row); the
// measured points' volume to KPI ratio as second stage.
Outcome ThreePPoint(const SgInput& in) {
    Outcome o;
    const int64_t n = in.plots;
    Stage s1, s2;
    double kpiTotal = 0, tpaSum = 0;
    int64_t trees = 0;
    bool skipped = false;
    for (const auto& point : Plots(in.trees)) {
        double kpi = 0, bv = 0, ba = 0;
        int64_t measured = 0;
        for (const ProdTree* t : point) {
            if (!t->measured) {
                if (t->treeNo == 0) kpi += static_cast<double>(t->kpi);
                continue;
            }
            double f = t->dbh > 0 ? SafeDiv(in.baf, t->dbh * t->dbh * kBasalArea) : 0.0;
            ba += f;
            bv += f * t->V();
            ++measured;
        }
        s1.Add(kpi);
        kpiTotal += kpi;
        if (measured == 0) continue;
        if (!(kpi > 0)) {
            skipped = true;  // a measured point without its KPI has no ratio
            continue;
        }
        s2.Add(bv / kpi);
        tpaSum += ba;
        trees += measured;
    }
    const int64_t p = s2.rows;
    // Whole-number quotient of the points' KPI over the points.
    const int64_t kpiPerPoint = n > 0 ? WholeOf(kpiTotal) / n : 0;
    o.n1 = n;
    o.n2 = p;
    o.cv1 = s1.Cv(n);
    o.cv2 = s2.Cv(p);
    o.tpa = SafeDiv(tpaSum, static_cast<double>(p));
    o.vpa = SafeDiv(s2.sums.s, static_cast<double>(p)) * static_cast<double>(kpiPerPoint);
    o.tpp = SafeDiv(static_cast<double>(trees), static_cast<double>(p));
    o.perAcreBad = p == 0 || n <= 0 || !(in.baf > 0) || skipped;
    o.err = Combine(design::SamplingError(o.cv1, ToInt(n)), design::SamplingError(o.cv2, ToInt(p)));
    o.c = Mark(s1.Usable(n));
    o.c2 = Mark(s2.Usable(p) && !skipped);
    return o;
}

}  // namespace

Tallies ComputeTallies(const std::string& method, const std::vector<ProdTree>& trees,
                       const std::vector<CountRow>& counts) {
    Tallies t;
    const bool countMeasure = design::IsOneOf(method, {"PCMTRE", "PCM", "FCM"});
    const bool treeKpi = design::IsOneOf(method, {"3P", "S3P", "P3P", "F3P", "PCMTRE", "PCM", "FCM"});
    for (const CountRow& c : counts) {
        t.n = SatAdd(t.n, c.count);
        if (method == "3P") t.sumKpi = SatAdd(t.sumKpi, c.sumKpi);
    }
    for (const ProdTree& tree : trees) {
        t.n = SatAdd(t.n, tree.treeCnt);
        if (countMeasure && tree.measured && tree.treeCnt <= 0) t.n = SatAdd(t.n, 1);
        if (treeKpi) t.sumKpi = SatAdd(t.sumKpi, tree.kpi);
        if (tree.measured) ++t.m;
    }
    return t;
}

bool HasProductionRoutine(const std::string& m) {
    return design::IsOneOf(m, {"100", "STR", "3P", "S3P", "FIX", "PNT", "F3P", "P3P", "PCM", "PCMTRE",
                               "FCM", "3PPNT"});
}

bool ComputeProductionGroup(const SgInput& given, design::SgRow& row) {
    // Per-acre values need acres: without them the group stands on one acre, marked.
    SgInput oneAcre;
    const SgInput* use = &given;
    if (!(given.acres > 0) || !std::isfinite(given.acres)) {
        oneAcre = given;
        oneAcre.acres = 1.0;
        oneAcre.acresMissing = true;
        use = &oneAcre;
    }
    const SgInput& in = *use;
    const std::string& m = in.method;
    Outcome o;
    if (m == "100") o = Hundred(in);
    else if (m == "STR") o = SampleTree(in);
    else if (m == "3P") o = ThreeP(in);
    else if (m == "S3P") o = SampleTree3P(in);
    else if (m == "FIX") o = FixedPlot(in);
    else if (m == "PNT") o = Point(in);
    else if (m == "F3P") o = Plot3P(in, false);
    else if (m == "P3P") o = Plot3P(in, true);
    else if (m == "PCM" || m == "PCMTRE") o = CountMeasure(in, true);
    else if (m == "FCM") o = CountMeasure(in, false);
    else if (m == "3PPNT") o = ThreePPoint(in);
    else return false;
    Fill(in, o, row);
    return true;
}

}  // namespace stats
