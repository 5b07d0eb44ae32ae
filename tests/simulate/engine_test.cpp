// The simulation against populations whose answers are known: analytic values for
// simple random sampling with replacement, and exhaustive enumeration of a tiny
// population. Monte-Carlo tolerances are five standard errors of the quantity over
// the replicates (fixed seeds, so a pass is repeatable and a miss is not bad luck).
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "design/sampling.h"
#include "simulate/simulate.h"

namespace {

using namespace simulate;

std::vector<double> NormalValues(int count, double mean, double sd, uint64_t seed) {
    std::mt19937_64 gen(seed);
    std::normal_distribution<double> d(mean, sd);
    std::vector<double> v(static_cast<size_t>(count));
    for (double& x : v) x = std::max(0.0, d(gen));
    return v;
}

std::vector<double> LognormalValues(int count, double sigma, uint64_t seed) {
    std::mt19937_64 gen(seed);
    std::lognormal_distribution<double> d(3.0, sigma);
    std::vector<double> v(static_cast<size_t>(count));
    for (double& x : v) x = d(gen);
    return v;
}

// One sample group on plots with these per-acre values, n plots drawn.
Stratum PlotStratum(std::vector<double> values, int n, const std::string& code = "1") {
    Stratum s;
    s.code = code;
    s.method = "FIX";
    s.acres = 100;
    s.draw = Draw::Plots;
    s.plots = static_cast<int>(values.size());
    s.plotFactor = 10;
    s.value = std::move(values);
    s.count.assign(s.value.size(), 1);
    GroupPlan g;
    g.code = "A";
    g.n = n;
    s.groups.push_back(g);
    s.PreparePlots();
    return s;
}

Population Of(std::vector<Stratum> strata) {
    Population p;
    p.strata = std::move(strata);
    return p;
}

Result RunWith(const Population& p, int replicates, uint64_t seed = 7, int threads = 2) {
    Options o;
    o.replicates = replicates;
    o.seed = seed;
    o.threads = threads;
    return simulate::Run(p, o);
}

struct Moments {
    double mean = 0, sd = 0;  // the population's, sd over N
};
Moments Of(const std::vector<double>& v) {
    Moments m;
    m.mean = std::accumulate(v.begin(), v.end(), 0.0) / v.size();
    double q = 0;
    for (double x : v) q += (x - m.mean) * (x - m.mean);
    m.sd = std::sqrt(q / v.size());
    return m;
}

// The share a replicate count can pin down: five standard errors of a proportion.
double ShareTolerance(double p, int r) { return 5 * std::sqrt(p * (1 - p) / r); }

// Plots drawn with replacement from a normal population: the estimates spread as
// sigma / sqrt(n); the program's error averages t * c4(n) * CV / sqrt(n); the
// nominal interval (t = 2.0 from 30 plots) covers as often as P(|T29| <= 2) = 0.9451.
TEST(SimulateAgainstTheory, NormalPopulationAtThirtyPlots) {
    const int n = 30, r = 4000;
    std::vector<double> values = NormalValues(2000, 100, 20, 11);
    const Moments m = Of(values);
    Result res = RunWith(Of({PlotStratum(values, n)}), r);
    ASSERT_EQ(res.replicates, r);
    const Summary& s = res.strata[0].summary;

    // The sd of R normal estimates has a relative standard error of 1/sqrt(2(R-1)).
    const double spread = 100 * m.sd / (m.mean * std::sqrt(n));
    EXPECT_NEAR(s.relativeSd, spread, spread * 5 / std::sqrt(2.0 * (r - 1)));
    // The mean estimate is unbiased; its standard error is the spread over sqrt(R).
    EXPECT_NEAR(s.relativeBias, 0, 5 * spread / std::sqrt(r));
    // Errors spread by sqrt(1 - c4^2) / c4 (13 %) of their mean; 1 % more for the
    // finite population's kurtosis and the division by the sample's own mean.
    const double c4 = 0.9914180532926729;
    const double meanError = 2.0 * c4 * 100 * m.sd / m.mean / std::sqrt(n);
    EXPECT_NEAR(s.meanError, meanError, meanError * (5 * 0.131 / std::sqrt(r) + 0.01));
    EXPECT_NEAR(s.coverage, 0.9451, ShareTolerance(0.9451, r));
    EXPECT_NEAR(s.truth, m.mean * 100 / 100, 1e-9 * m.mean);  // per acre times 100 acres, in CCF
}

// What the feature is for: a skewed population at a small sample is covered far less
// often than the 95 % the error claims, while a normal one at the same size is not.
TEST(SimulateAgainstTheory, SkewedPopulationAtSmallSamplesIsCoveredLess) {
    const int r = 4000;
    Result skewed = RunWith(Of({PlotStratum(LognormalValues(2000, 1.5, 5), 5)}), r);
    Result normal = RunWith(Of({PlotStratum(NormalValues(2000, 100, 20, 5), 5)}), r);
    // t = 2.776 at five plots is the exact 95 % value for normal data.
    EXPECT_NEAR(normal.strata[0].summary.coverage, 0.95, ShareTolerance(0.95, r));
    EXPECT_LT(skewed.strata[0].summary.coverage + ShareTolerance(0.8, r), 0.88);
}

// Three plots, three drawn: 27 equally likely samples give the exact distribution of
// the error and of the interval's coverage.
TEST(SimulateAgainstTheory, TinyPopulationMatchesExhaustiveEnumeration) {
    const std::vector<double> values = {2, 3, 10};
    const double truth = 5;
    const double target = 60;
    double sumErr = 0, sumErr2 = 0;
    int covered = 0, meets = 0, cases = 0;
    for (double a : values)
        for (double b : values)
            for (double c : values) {
                const double mean = (a + b + c) / 3;
                const double var = ((a - mean) * (a - mean) + (b - mean) * (b - mean) + (c - mean) * (c - mean)) / 2;
                const double cv = std::trunc(100 * std::sqrt(var) / mean * 1000) * 0.001;
                // The group's error, then the stratum roll-up's own truncation.
                const double err = design::Trunc2(design::Trunc2(design::StudentT(3) * cv / std::sqrt(3.0)));
                sumErr += err;
                sumErr2 += err * err;
                if (std::fabs(mean - truth) * 100 <= mean * err + 1e-9) ++covered;
                if (err <= target) ++meets;
                ++cases;
            }
    const double meanErr = sumErr / cases, sdErr = std::sqrt(sumErr2 / cases - meanErr * meanErr);
    const double coverage = static_cast<double>(covered) / cases, meetShare = static_cast<double>(meets) / cases;

    const int r = 20000;
    Stratum s = PlotStratum(values, 3);
    s.designError = target;
    Result res = RunWith(Of({s}), r);
    const Summary& got = res.strata[0].summary;
    EXPECT_NEAR(got.meanError, meanErr, 5 * sdErr / std::sqrt(r));
    EXPECT_NEAR(got.coverage, coverage, ShareTolerance(coverage, r));
    EXPECT_NEAR(got.meetsDesign, meetShare, ShareTolerance(meetShare, r));
    // sd of the mean of three draws: population sd / sqrt(3), 5 SE as in the normal case.
    const double spread = 100 * Of(values).sd / truth / std::sqrt(3.0);
    EXPECT_NEAR(got.relativeSd, spread, spread * 5 / std::sqrt(2.0 * r) * 1.5);
}

// Fixed plots (5 to the acre) counted, n of them, and n2 trees measured; trees() gives
// the volumes of the trees on the next plot.
template <class Trees>
Stratum CountMeasureStratum(const std::string& code, int plots, int n, int n2, Trees trees) {
    Stratum cm;
    cm.code = code;
    cm.method = "FCM";
    cm.acres = 50;
    cm.draw = Draw::CountMeasure;
    cm.plots = plots;
    cm.plotFactor = 5;
    GroupPlan g;
    g.code = "A";
    g.n = n;
    g.n2 = n2;
    cm.groups.push_back(g);
    cm.treeStart.push_back(0);
    for (int k = 0; k < plots; ++k) {
        const std::vector<double> volumes = trees();
        double sum = 0;
        for (double v : volumes) sum += v;
        cm.treeValue.insert(cm.treeValue.end(), volumes.begin(), volumes.end());
        cm.count.push_back(static_cast<int>(volumes.size()));
        cm.value.push_back(sum * cm.plotFactor);
        cm.treeStart.push_back(static_cast<int>(cm.treeValue.size()));
    }
    cm.PreparePlots();
    return cm;
}

// A stratum of each kind of draw, built by hand: plots, count-and-measure plots with
// tree lists, weighted sample trees, and the 3P stages.
Population MixedPopulation() {
    std::mt19937_64 gen(99);
    std::uniform_real_distribution<double> u(0, 1);
    std::vector<Stratum> strata;

    Stratum plots = PlotStratum(LognormalValues(60, 0.8, 1), 12, "P");
    plots.groups.push_back(plots.groups[0]);
    plots.groups[1].code = "B";
    // Two groups: values interleave plot by plot.
    std::vector<double> two;
    for (double v : plots.value) {
        two.push_back(v);
        two.push_back(v * u(gen));
    }
    plots.value = two;
    plots.count.assign(two.size(), 1);
    plots.PreparePlots();
    strata.push_back(plots);

    strata.push_back(CountMeasureStratum("C", 40, 10, 15, [&] {
        std::vector<double> trees(static_cast<size_t>(u(gen) * 7));
        for (double& v : trees) v = 5 + 60 * u(gen) * u(gen);
        return trees;
    }));

    Stratum trees;
    trees.code = "T";
    trees.method = "S3P";
    trees.acres = 80;
    trees.draw = Draw::TreesThreeP;
    GroupPlan tg;
    tg.code = "A";
    tg.n = 20;
    tg.n2 = 8;
    tg.cv3p = 35;
    for (int i = 0; i < 300; ++i) {
        tg.treeVolume.push_back(10 + 90 * u(gen) * u(gen));
        tg.treeWeight.push_back(0.1 + u(gen));
    }
    trees.groups.push_back(tg);
    trees.PrepareTrees();
    strata.push_back(trees);

    Stratum str = trees;
    str.code = "S";
    str.method = "STR";
    str.draw = Draw::Trees;
    strata.push_back(str);

    Stratum threeP = trees;
    threeP.code = "3";
    threeP.method = "3P";
    threeP.draw = Draw::ThreeP;
    threeP.groups[0].n = 25;
    strata.push_back(threeP);

    Stratum p3p = PlotStratum(LognormalValues(30, 0.5, 2), 8, "F");
    p3p.method = "F3P";
    p3p.draw = Draw::PlotsThreeP;
    p3p.groups[0].n2 = 6;
    p3p.groups[0].cv3p = 30;
    strata.push_back(p3p);

    Stratum complete;
    complete.code = "X";
    complete.method = "100";
    complete.acres = 20;
    complete.draw = Draw::Complete;
    GroupPlan cg;
    cg.code = "A";
    cg.truth = 900;
    complete.groups.push_back(cg);
    strata.push_back(complete);

    Stratum none;
    none.code = "N";
    none.method = "PNT";
    none.problem = "fewer than two point recon plots (1)";
    strata.push_back(none);
    return Of(strata);
}

void ExpectSame(const Summary& a, const Summary& b) {
    EXPECT_EQ(a.truth, b.truth);
    EXPECT_EQ(a.meanEstimate, b.meanEstimate);
    EXPECT_EQ(a.relativeSd, b.relativeSd);
    EXPECT_EQ(a.coverage, b.coverage);
    EXPECT_EQ(a.meanError, b.meanError);
    EXPECT_EQ(a.errorMedian, b.errorMedian);
    EXPECT_EQ(a.errorP95, b.errorP95);
    EXPECT_EQ(a.meetsTarget, b.meetsTarget);
    EXPECT_EQ(a.deviationP5, b.deviationP5);
    EXPECT_EQ(a.errors.Values(), b.errors.Values());
}

// Replicates cross the rounds and chunks the workers share; none of that shows.
TEST(SimulateRun, SameSeedSameResultsWhateverTheThreads) {
    const Population p = MixedPopulation();
    const Result one = RunWith(p, 1100, 42, 1);
    for (int threads : {2, 3, 8}) {
        SCOPED_TRACE(threads);
        const Result many = RunWith(p, 1100, 42, threads);
        ExpectSame(one.sale, many.sale);
        for (size_t k = 0; k < p.strata.size(); ++k) ExpectSame(one.strata[k].summary, many.strata[k].summary);
    }
    const Result other = RunWith(p, 1100, 43, 2);
    EXPECT_NE(one.sale.meanEstimate, other.sale.meanEstimate);
}

// Every draw estimates the pseudo-population's volume without bias, and strata that
// cannot be simulated stay out of the sale's figures.
TEST(SimulateRun, EveryDrawIsUnbiasedAndUnsimulatedStrataAreLeftOut) {
    Population p = MixedPopulation();
    for (Stratum& s : p.strata) {
        if (s.code == "P") s.designError = 5, s.designVolume = 500;
        if (s.code == "X") s.designVolume = 900;
        if (s.code == "N") s.designError = 80, s.designVolume = 4000, s.acres = 100;
    }
    const int r = 6000;
    const Result res = RunWith(p, r);
    for (const StratumResult& s : res.strata) {
        SCOPED_TRACE(s.code);
        if (!s.problem.empty()) {
            EXPECT_EQ(s.summary.errors.Count(), 0);
            continue;
        }
        EXPECT_GT(s.summary.truth, 0);
        EXPECT_NEAR(s.summary.relativeBias, 0, 5 * s.summary.relativeSd / std::sqrt(r) + 1e-9);
    }
    EXPECT_EQ(res.leftOut, std::vector<std::string>{"N"});
    // The design's claim is that of the same strata: the plots' 5 % on 100 acres and
    // the complete stratum's 0 % on 20 (at 500 and 900 per acre); not the left-out one's.
    EXPECT_DOUBLE_EQ(res.sale.designError, design::Trunc2(5.0 * 50000 / (50000 + 18000)));
    double truth = 0;
    for (const StratumResult& s : res.strata) truth += s.summary.truth;
    EXPECT_DOUBLE_EQ(res.sale.truth, truth);
    // The 3P stage spreads by the CV the design assumes: 35 % over 25 trees.
    EXPECT_NEAR(res.strata[4].summary.relativeSd, 7.0, 7.0 * 5 / std::sqrt(2.0 * r));
    // The complete stratum is exact in every replicate.
    EXPECT_EQ(res.strata[6].summary.errorP95, 0);
    EXPECT_EQ(res.strata[6].summary.relativeSd, 0);
    EXPECT_EQ(res.strata[6].summary.coverage, 1);
}

// Counting every tree and measuring some of them, where all trees are alike, estimates
// exactly what the plots' volumes do: the same plots are drawn first from the stream.
TEST(SimulateRun, CountAndMeasureOfEqualTreesEstimatesAsThePlots) {
    std::mt19937_64 gen(3);
    const Stratum cm = CountMeasureStratum("1", 25, 9, 5, [&] { return std::vector<double>(1 + gen() % 6, 12.5); });
    Stratum plots = cm;
    plots.method = "FIX";
    plots.draw = Draw::Plots;
    const Result a = RunWith(Of({cm}), 500), b = RunWith(Of({plots}), 500);
    const Summary &x = a.strata[0].summary, &y = b.strata[0].summary;
    EXPECT_DOUBLE_EQ(x.meanEstimate, y.meanEstimate);
    EXPECT_DOUBLE_EQ(x.relativeSd, y.relativeSd);
    EXPECT_EQ(x.deviationP5, y.deviationP5);
    EXPECT_EQ(x.deviationP95, y.deviationP95);
}

TEST(SimulateRun, AllCompleteDesignHasNoErrorInAnyReplicate) {
    Population p = MixedPopulation();
    p.strata.resize(7);
    for (Stratum& s : p.strata) {
        double vpa = 0;
        for (const GroupPlan& g : s.groups) vpa += g.truth;
        s.method = "100";
        s.draw = Draw::Complete;
        s.groups.resize(1);
        s.groups[0].truth = vpa;
    }
    const Result res = RunWith(p, 300);
    EXPECT_EQ(res.sale.errorP95, 0);
    EXPECT_EQ(res.sale.errors.Values().size(), 1u);
    EXPECT_EQ(res.sale.meetsTarget, 1);
    EXPECT_EQ(res.sale.coverage, 1);
    EXPECT_EQ(res.sale.relativeSd, 0);
    EXPECT_EQ(MeetsTargetSentence(res), "In 100 % of 300 simulated cruises the sale error was 10 % or less");
}

TEST(SimulateRun, NothingToSimulateIsSaidPlainly) {
    Population p = MixedPopulation();
    p.strata = {p.strata.back()};
    EXPECT_EQ(RunWith(p, 10).problem, "No stratum of the design can be simulated.");
    p.problem = "This is a production cruise: it holds no recon plots to simulate a cruise from.";
    EXPECT_EQ(RunWith(p, 10).problem, p.problem);
}

TEST(SimulateRun, CancelStopsBetweenRoundsAndSaysSo) {
    const Population p = MixedPopulation();
    Options o;
    o.replicates = 5000;
    int calls = 0;
    Result res = simulate::Run(p, o, [&](int) { return ++calls < 2; });
    EXPECT_TRUE(res.cancelled);
    EXPECT_LT(res.replicates, 5000);
    EXPECT_EQ(res.replicates % 512, 0);
}

TEST(SimulateDistribution, PercentilesAndSharesByNearestRank) {
    Distribution d;
    for (int i = 100; i >= 1; --i) d.Add(i);
    EXPECT_EQ(d.Percentile(0.05), 5);
    EXPECT_EQ(d.Percentile(0.5), 50);
    EXPECT_EQ(d.Percentile(0.95), 95);
    EXPECT_DOUBLE_EQ(d.ShareAtOrBelow(10), 0.1);
    EXPECT_DOUBLE_EQ(d.ShareAtOrBelow(10.004), 0.1);
    d.Add(7.25);
    EXPECT_EQ(d.Values()[7], (std::pair<double, int64_t>{7.25, 1}));
}

TEST(SimulateRun, SentenceRoundsWithoutOverstating) {
    Result r;
    r.replicates = 1000;
    r.options.target = 10;
    r.sale.meetsTarget = 0.834;
    EXPECT_EQ(MeetsTargetSentence(r), "In 83 % of 1,000 simulated cruises the sale error was 10 % or less");
    r.sale.meetsTarget = 0.999;
    r.options.target = 7.5;
    EXPECT_EQ(MeetsTargetSentence(r), "In 99 % of 1,000 simulated cruises the sale error was 7.5 % or less");
    r.sale.meetsTarget = 0.001;
    EXPECT_EQ(MeetsTargetSentence(r).substr(0, 7), "In 1 % ");
}

}  // namespace
