#include "simulate/simulate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>

#include "design/sampling.h"
#include "design/stratum.h"
#include "stats/cv_rule.h"

namespace simulate {

// --- Distribution ------------------------------------------------------------------------

namespace {

int64_t Key(double v) {
    if (!(std::fabs(v) < 1e15)) return 0;
    return std::llround(v * 100);
}

}  // namespace

void Distribution::Add(double value) {
    ++counts_[Key(value)];
    ++count_;
}

std::vector<std::pair<int64_t, int64_t>> Distribution::Sorted() const {
    std::vector<std::pair<int64_t, int64_t>> v(counts_.begin(), counts_.end());
    std::sort(v.begin(), v.end());
    return v;
}

double Distribution::Percentile(double p) const {
    if (count_ == 0) return 0;
    const int64_t rank = std::max<int64_t>(1, static_cast<int64_t>(std::ceil(p * static_cast<double>(count_) - 1e-9)));
    int64_t seen = 0;
    for (const auto& [key, n] : Sorted()) {
        seen += n;
        if (seen >= rank) return static_cast<double>(key) / 100;
    }
    return 0;
}

double Distribution::ShareAtOrBelow(double x) const {
    if (count_ == 0) return 0;
    const int64_t limit = Key(x);
    int64_t n = 0;
    for (const auto& [key, c] : counts_)
        if (key <= limit) n += c;
    return static_cast<double>(n) / static_cast<double>(count_);
}

std::vector<std::pair<double, int64_t>> Distribution::Values() const {
    std::vector<std::pair<double, int64_t>> out;
    for (const auto& [key, n] : Sorted()) out.emplace_back(static_cast<double>(key) / 100, n);
    return out;
}

// --- One stratum of one replicate --------------------------------------------------------

struct Scratch {
    std::vector<uint32_t> drawn;
    std::vector<double> runS, runQ;      // running sums over the plots drawn so far
    std::vector<double> sumS, sumQ;      // each group's sums over its own number of plots
    std::vector<int> order;              // groups by their number of plots
    std::vector<int> sizes;              // each group's number of plots
    std::vector<int> times;              // how often each plot was drawn (0 between uses)
    std::vector<uint32_t> touched;       // the plots drawn, each once
    std::vector<std::vector<std::pair<int64_t, int64_t>>> cells;
    std::vector<design::SgRow> rows;
    design::SgRefs refs;
    design::StratumRow row;
};

void ScratchDeleter::operator()(Scratch* s) const { delete s; }
ScratchPtr MakeScratch() { return ScratchPtr(new Scratch); }

namespace {

// A tree drawn with probability proportional to its weight.
uint32_t Pick(const AliasTable& a, Rng& rng) {
    const uint32_t i = rng.Below(a.cut.size());
    return rng.Uniform() < a.cut[i] ? i : a.other[i];
}

// A measured tree's volume against its 3P prediction: mean 1, the CV given (percent).
double ThreePRatio(double cvPercent, Rng& rng) {
    const double c = cvPercent / 100;
    if (!(c > 0)) return 1.0;
    const double s2 = std::log1p(c * c);
    return std::exp(-s2 / 2 + std::sqrt(s2) * rng.Normal());
}

struct Sample {
    stats::Sums sums;
    int n = 0;
    double Mean() const { return n > 0 ? sums.s / n : 0; }
    double Cv() const { return stats::CvFromSums(sums, n); }
};

Sample Ratios(int m, double cv, Rng& rng) {
    Sample s;
    s.n = m;
    for (int k = 0; k < m; ++k) s.sums.Add(ThreePRatio(cv, rng));
    return s;
}

// Draws the plots (with replacement) and sums each group's values (counts, when
// counting) over its first n plots; when counting, also lists for each group the
// cells of its trees on those plots with the running count of their trees.
template <bool kCounting>
void DrawPlots(const Stratum& s, Rng& rng, Scratch& sc) {
    const int g = s.Groups();
    int most = 0;
    sc.order.resize(static_cast<size_t>(g));
    sc.sizes.resize(static_cast<size_t>(g));
    for (int j = 0; j < g; ++j) {
        sc.order[j] = j;
        sc.sizes[j] = s.groups[j].n;
        most = std::max(most, sc.sizes[j]);
    }
    std::sort(sc.order.begin(), sc.order.end(), [&](int a, int b) { return sc.sizes[a] < sc.sizes[b]; });
    sc.drawn.resize(static_cast<size_t>(most));
    for (int k = 0; k < most; ++k) sc.drawn[k] = rng.Below(static_cast<uint64_t>(s.plots));
    sc.runS.assign(static_cast<size_t>(g), 0);
    sc.runQ.assign(static_cast<size_t>(g), 0);
    sc.sumS.assign(static_cast<size_t>(g), 0);
    sc.sumQ.assign(static_cast<size_t>(g), 0);
    if (kCounting) {
        sc.cells.resize(static_cast<size_t>(g));
        for (auto& c : sc.cells) c.clear();
    }
    double* runS = sc.runS.data();
    double* runQ = sc.runQ.data();
    const Stratum::Entry* entries = s.entries.data();
    const int* start = s.plotStart.data();
    // A plot drawn m times adds its entries once, times m: designs often draw more
    // plots than the recon has. Draws are taken up to each group's own size in turn.
    sc.times.resize(static_cast<size_t>(s.plots));
    sc.touched.clear();
    int k = 0, next = 0;
    while (next < g) {
        const int upTo = sc.sizes[sc.order[next]];
        for (; k < upTo; ++k) {
            const uint32_t plot = sc.drawn[k];
            if (sc.times[plot]++ == 0) sc.touched.push_back(plot);
        }
        for (size_t t = 0; t < sc.touched.size(); ++t) {
            const uint32_t plot = sc.touched[t];
            // The plots are known ahead: their entries are on their way while this one adds up.
            if (t + 8 < sc.touched.size()) __builtin_prefetch(entries + start[sc.touched[t + 8]]);
            const double m = sc.times[plot];
            sc.times[plot] = 0;
            for (const Stratum::Entry* e = entries + start[plot]; e != entries + start[plot + 1]; ++e) {
                const double x = kCounting ? static_cast<double>(e->count) : e->value;
                runS[e->group] += m * x;
                runQ[e->group] += m * x * x;
                if (kCounting && e->count > 0 && upTo <= sc.sizes[e->group]) {
                    auto& list = sc.cells[e->group];
                    const int64_t before = list.empty() ? 0 : list.back().first;
                    list.emplace_back(before + static_cast<int64_t>(m) * e->count,
                                      static_cast<int64_t>(plot) * g + e->group);
                }
            }
        }
        sc.touched.clear();
        for (; next < g && sc.sizes[sc.order[next]] == upTo; ++next) {
            sc.sumS[sc.order[next]] = runS[sc.order[next]];
            sc.sumQ[sc.order[next]] = runQ[sc.order[next]];
        }
    }
}

Sample PlotSample(const Scratch& sc, const GroupPlan& gp, int j) {
    Sample p;
    p.n = gp.n;
    p.sums.s = sc.sumS[j];
    p.sums.q = sc.sumQ[j];
    return p;
}

// Measures n2 trees drawn evenly from the group's trees on its plots.
Sample MeasureTrees(const Stratum& s, const GroupPlan& gp, int j, Rng& rng, const Scratch& sc) {
    const auto& list = sc.cells[j];  // (running count of trees, cell)
    Sample m;
    if (list.empty()) return m;
    const int64_t total = list.back().first;
    m.n = gp.n2;
    for (int i = 0; i < gp.n2; ++i) {
        const int64_t u = rng.Below(static_cast<uint64_t>(total));
        const auto at = std::upper_bound(list.begin(), list.end(), u,
                                         [](int64_t x, const std::pair<int64_t, int64_t>& c) { return x < c.first; });
        const int64_t before = at == list.begin() ? 0 : (at - 1)->first;
        // A cell drawn several times lists its trees as often.
        const size_t cell = static_cast<size_t>(at->second);
        m.sums.Add(s.treeValue[static_cast<size_t>(s.treeStart[cell] + (u - before) % s.count[cell])]);
    }
    return m;
}

Sample DrawTrees(const GroupPlan& gp, int n, Rng& rng) {
    Sample t;
    if (gp.alias.Empty()) return t;
    t.n = n;
    for (int i = 0; i < n; ++i) t.sums.Add(gp.treeVolume[Pick(gp.alias, rng)]);
    return t;
}

// Sets the group row from a replicate's estimate.
void SetRow(design::SgRow& r, double vpa, double error, int n, int n2) {
    r.volAcre = vpa > 0 ? vpa : 0;
    r.sgErr = error;
    r.sgN = n;
    r.sgN2 = n2;
}

}  // namespace

StratumEstimate EstimateStratum(const Stratum& s, Rng& rng, Scratch& sc) {
    const int g = s.Groups();
    sc.rows.resize(static_cast<size_t>(g));
    switch (s.draw) {
        case Draw::Plots:
        case Draw::PlotsThreeP:
            DrawPlots<false>(s, rng, sc);
            break;
        case Draw::CountMeasure:
            DrawPlots<true>(s, rng, sc);
            break;
        default:
            break;
    }
    for (int j = 0; j < g; ++j) {
        const GroupPlan& gp = s.groups[j];
        design::SgRow& row = sc.rows[j];
        switch (s.draw) {
            case Draw::None:
            case Draw::Complete:
                SetRow(row, gp.truth, 0, gp.n, gp.n2);
                break;
            case Draw::Plots: {
                Sample p = PlotSample(sc, gp, j);
                SetRow(row, p.Mean(), design::SamplingError(p.Cv(), p.n), p.n, 0);
                break;
            }
            case Draw::CountMeasure: {
                Sample c = PlotSample(sc, gp, j);
                Sample m = MeasureTrees(s, gp, j, rng, sc);
                SetRow(row, s.plotFactor * c.Mean() * m.Mean(), design::TwoStageError(c.Cv(), m.Cv(), c.n, m.n), c.n,
                       m.n);
                break;
            }
            case Draw::PlotsThreeP: {
                Sample p = PlotSample(sc, gp, j);
                Sample r = Ratios(gp.n2, gp.cv3p, rng);
                SetRow(row, p.Mean() * r.Mean(), design::TwoStageError(p.Cv(), r.Cv(), p.n, r.n), p.n, r.n);
                break;
            }
            case Draw::Trees: {
                Sample t = DrawTrees(gp, gp.n, rng);
                const int population = design::TruncInt(gp.treesPerAcre * s.acres);
                const double e = design::CorrectedError(design::SamplingError(t.Cv(), t.n), t.n, population);
                SetRow(row, gp.treesPerAcre * t.Mean(), e, t.n, 0);
                break;
            }
            case Draw::ThreeP: {
                Sample r = Ratios(gp.n, gp.cv3p, rng);
                SetRow(row, gp.truth * r.Mean(), design::SamplingError(r.Cv(), r.n), r.n, 0);
                break;
            }
            case Draw::TreesThreeP: {
                Sample t = DrawTrees(gp, gp.n, rng);
                Sample r = Ratios(gp.n2, gp.cv3p, rng);
                const double population = std::trunc(gp.treesPerAcre * s.acres);
                const double share = population > 0 ? std::max(0.0, 1.0 - t.n / population) : 1.0;
                const double e1 = design::SamplingError(t.Cv(), t.n) * std::sqrt(share);
                const double e2 = design::SamplingError(r.Cv(), r.n);
                SetRow(row, gp.treesPerAcre * t.Mean() * r.Mean(), design::Trunc2(std::sqrt(e1 * e1 + e2 * e2)), t.n,
                       r.n);
                break;
            }
        }
    }
    // The stratum's error and volume as the design form combines its groups.
    sc.refs.clear();
    for (design::SgRow& r : sc.rows) sc.refs.push_back(&r);
    sc.row.cruzMeth = s.method;
    sc.row.totAcres = s.acres;
    design::SummarizeStratum(sc.row, sc.refs, design::SummaryMode::Form, "03", design::CostFigures{});
    return {sc.row.volAcre, sc.row.error};
}

// --- The run -----------------------------------------------------------------------------

namespace {

// Running figures of one stratum (or the sale), fed in replicate order so that sums
// come out the same whatever thread computed each replicate.
struct Accumulator {
    double truth = 0, designError = 0, target = 0;
    int64_t n = 0, covered = 0, meetsDesign = 0, meetsTarget = 0;
    double mean = 0, m2 = 0, errorSum = 0;
    Distribution errors, deviations;

    void Add(double estimate, double error) {
        ++n;
        const double d = estimate - mean;
        mean += d / static_cast<double>(n);
        m2 += d * (estimate - mean);
        errorSum += error;
        if (std::fabs(estimate - truth) <= estimate * error / 100 + 1e-9 * std::fabs(truth)) ++covered;
        if (Key(error) <= Key(designError)) ++meetsDesign;
        if (Key(error) <= Key(target)) ++meetsTarget;
        errors.Add(error);
        deviations.Add(truth > 0 ? (estimate / truth - 1) * 100 : 0);
    }

    Summary Finish() {
        Summary s;
        s.truth = truth;
        s.designError = designError;
        if (n == 0) return s;
        const double r = static_cast<double>(n);
        s.meanEstimate = mean;
        s.relativeBias = truth > 0 ? (mean / truth - 1) * 100 : 0;
        s.relativeSd = truth > 0 && n > 1 ? std::sqrt(m2 / (r - 1)) / truth * 100 : 0;
        s.coverage = covered / r;
        s.meanError = errorSum / r;
        s.errorMedian = errors.Percentile(0.5);
        s.errorP5 = errors.Percentile(0.05);
        s.errorP95 = errors.Percentile(0.95);
        s.meetsDesign = meetsDesign / r;
        s.meetsTarget = meetsTarget / r;
        s.deviationP5 = deviations.Percentile(0.05);
        s.deviationP95 = deviations.Percentile(0.95);
        s.errors = std::move(errors);
        return s;
    }
};

// Runs job(t) on `threads` threads (t = 0 on the calling one), fewer when there are
// fewer than that many pieces of work.
template <class Job>
void Parallel(int threads, int pieces, Job job) {
    const int used = std::max(1, std::min(threads, pieces));
    std::vector<std::thread> pool;
    for (int t = 1; t < used; ++t) pool.emplace_back(job, t);
    job(0);
    for (std::thread& t : pool) t.join();
}

// Replicates per round: the buffer between the workers and the in-order fold.
constexpr int kRound = 512;
// Replicates a worker takes at a time.
constexpr int kChunk = 8;

}  // namespace

Result Run(const Population& pop, const Options& options, const std::function<bool(int)>& progress,
           const std::atomic<bool>* cancel) {
    Result res;
    res.options = options;
    if (!pop.problem.empty()) {
        res.problem = pop.problem;
        return res;
    }
    std::vector<int> included;  // strata in the sale figures
    for (size_t k = 0; k < pop.strata.size(); ++k) {
        const Stratum& s = pop.strata[k];
        StratumResult sr;
        sr.code = s.code;
        sr.method = s.method;
        sr.draw = s.draw;
        sr.problem = s.problem;
        sr.note = s.note;
        sr.reconPlots = s.plots;
        sr.reconTrees = s.reconTrees;
        res.strata.push_back(std::move(sr));
        if (s.draw == Draw::None) res.leftOut.push_back(s.code);
        else included.push_back(static_cast<int>(k));
    }
    if (included.empty()) {
        res.problem = "No stratum of the design can be simulated.";
        return res;
    }
    const int strata = static_cast<int>(included.size());
    const int replicates = std::max(0, options.replicates);
    int threads = options.threads > 0 ? options.threads : static_cast<int>(std::thread::hardware_concurrency());
    threads = std::clamp(threads, 1, 256);

    std::vector<Accumulator> acc(static_cast<size_t>(strata) + 1);
    double saleTruth = 0;
    for (int i = 0; i < strata; ++i) {
        const Stratum& s = pop.strata[included[i]];
        double vpa = 0;
        for (const GroupPlan& gp : s.groups) vpa += gp.truth;
        acc[i].truth = pop.Total(vpa, s.acres);
        acc[i].designError = s.designError;
        acc[i].target = s.designError;
        saleTruth += acc[i].truth;
    }
    Accumulator& sale = acc.back();
    sale.truth = saleTruth;
    // The design's claim for the same strata the figures cover.
    std::vector<design::StratumRow> claimed(static_cast<size_t>(strata));
    for (int i = 0; i < strata; ++i) {
        const Stratum& s = pop.strata[included[i]];
        claimed[i].volAcre = s.designVolume;
        claimed[i].totAcres = s.acres;
        claimed[i].error = s.designError;
    }
    sale.designError = design::SaleErrorAndCost(claimed).error;
    sale.target = options.target;

    // Each worker's scratch and sale rows live across rounds.
    struct Worker {
        ScratchPtr scratch = MakeScratch();
        std::vector<design::StratumRow> rows;
    };
    std::vector<Worker> workers(static_cast<size_t>(threads));
    for (Worker& w : workers) w.rows.resize(static_cast<size_t>(strata));

    const size_t width = static_cast<size_t>(strata) + 1;
    std::vector<double> estimates(kRound * width), errors(kRound * width);
    auto replicate = [&](Worker& w, int rep, int slot) {
        double* est = &estimates[slot * width];
        double* err = &errors[slot * width];
        for (int i = 0; i < strata; ++i) {
            const Stratum& s = pop.strata[included[i]];
            Rng rng(options.seed, static_cast<uint64_t>(rep), static_cast<uint64_t>(included[i]));
            StratumEstimate e = EstimateStratum(s, rng, *w.scratch);
            est[i] = pop.Total(e.volumePerAcre, s.acres);
            err[i] = e.error;
            design::StratumRow& r = w.rows[i];
            r.volAcre = e.volumePerAcre;
            r.totAcres = s.acres;
            r.error = e.error;
        }
        double total = 0;
        for (int i = 0; i < strata; ++i) total += est[i];
        est[strata] = total;
        err[strata] = design::SaleErrorAndCost(w.rows).error;
    };
    auto stopped = [&] { return cancel && cancel->load(std::memory_order_relaxed); };

    int done = 0;
    while (done < replicates) {
        const int count = std::min(kRound, replicates - done);
        std::atomic<int> next{0};
        auto work = [&](Worker& w) {
            for (;;) {
                const int first = next.fetch_add(kChunk);
                if (first >= count || stopped()) return;
                for (int i = first; i < std::min(count, first + kChunk); ++i) replicate(w, done + i, i);
            }
        };
        Parallel(threads, (count + kChunk - 1) / kChunk, [&](int t) { work(workers[t]); });
        if (stopped()) {
            res.cancelled = true;
            break;
        }
        // Each stratum's figures take the round's replicates in order.
        std::atomic<size_t> column{0};
        Parallel(threads, static_cast<int>(width), [&](int) {
            for (size_t k; (k = column.fetch_add(1)) < width;)
                for (int i = 0; i < count; ++i) acc[k].Add(estimates[i * width + k], errors[i * width + k]);
        });
        done += count;
        if (progress && !progress(done)) {
            res.cancelled = true;
            break;
        }
    }
    res.replicates = done;
    for (int i = 0; i < strata; ++i) res.strata[included[i]].summary = acc[i].Finish();
    res.sale = sale.Finish();
    return res;
}

std::string Grouped(long long v) {
    std::string digits = std::to_string(v < 0 ? -v : v), out = v < 0 ? "-" : "";
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string MeetsTargetSentence(const Result& r) {
    if (r.replicates == 0) return {};
    // Never "100 %" unless every cruise met it, nor "0 %" unless none did.
    const double share = r.sale.meetsTarget * 100;
    long long shown = std::llround(share);
    if (shown == 100 && share < 100) shown = 99;
    if (shown == 0 && share > 0) shown = 1;
    char target[64];
    std::snprintf(target, sizeof target, "%g", r.options.target);
    return "In " + std::to_string(shown) + " % of " + Grouped(r.replicates) + " simulated cruises the sale error was " +
           target + " % or less";
}

}  // namespace simulate
