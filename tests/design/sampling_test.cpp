#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cmath>
#include <random>

#include "design/sampling.h"

using namespace design;

namespace {

// Two-sided 95 % quantile of Student's t, found independently: Simpson integration of
// the density, bisection on P(0 < T < t) = 0.475.
double TQuantile975(int df) {
    const double c = std::exp(std::lgamma((df + 1) / 2.0) - std::lgamma(df / 2.0)) / std::sqrt(df * M_PI);
    auto central = [&](double t) {
        auto pdf = [&](double x) { return c * std::pow(1 + x * x / df, -(df + 1) / 2.0); };
        const int steps = 4000;
        double h = t / steps, sum = pdf(0) + pdf(t);
        for (int i = 1; i < steps; ++i) sum += pdf(i * h) * (i % 2 ? 4 : 2);
        return sum * h / 3;
    };
    double lo = 1, hi = 20;
    for (int i = 0; i < 60; ++i) {
        double mid = (lo + hi) / 2;
        if (central(mid) < 0.475) lo = mid;
        else hi = mid;
    }
    return lo;
}

}  // namespace

TEST(StudentT, TheTDistributionToThreeDecimalsThenTwo) {
    for (int n = 2; n <= 29; ++n) EXPECT_NEAR(StudentT(n), TQuantile975(n - 1), 0.0006) << n;
    EXPECT_EQ(StudentT(2), static_cast<double>(12.706f));  // single precision
    for (int n : {-7, 0, 1}) EXPECT_EQ(StudentT(n), 0.0) << n;
    for (int n : {30, 1000, INT_MAX}) EXPECT_EQ(StudentT(n), 2.0) << n;
}

TEST(Errors, TruncatedAtTwoDecimals) {
    EXPECT_DOUBLE_EQ(SamplingError(30, 100), 6.0);
    EXPECT_DOUBLE_EQ(SamplingError(33.3333, 100), 6.66);  // not rounded to 6.67
    // 3.182 in single precision lies just below 3.182: 79.5499... gives 79.54.
    EXPECT_DOUBLE_EQ(SamplingError(50, 4), 79.54);
    for (int n : {-3, 0, 1}) EXPECT_EQ(SamplingError(50, n), 0.0) << n;

    EXPECT_DOUBLE_EQ(CorrectedError(10, 25, 100), 8.66);  // * sqrt(0.75)
    EXPECT_DOUBLE_EQ(CorrectedError(10, 100, 100), 0.0);
    EXPECT_DOUBLE_EQ(CorrectedError(10, 101, 100), 10.0);
    EXPECT_DOUBLE_EQ(CorrectedError(10, 5, 0), 10.0);

    EXPECT_DOUBLE_EQ(TwoStageError(30, 40, 100, 100), 10.0);  // 6 and 8
    EXPECT_DOUBLE_EQ(TwoStageError(10, 10, 1, 1), 0.0);
}

TEST(Truncate, AValueThatHasTheDecimalsAlreadyStaysAsItIs) {
    // 16.15 is held as 16.1499...: cut again it must not become 16.14.
    EXPECT_EQ(Trunc2(16.15), 16.15);
    int changed2 = 0, changed3 = 0;
    for (int k = 0; k < 10000; ++k) changed2 += Trunc2(k / 100.0) != k / 100.0;
    for (int k = 0; k < 100000; ++k) changed3 += Trunc3(k / 1000.0) != k / 1000.0;
    EXPECT_EQ(changed2, 0);
    EXPECT_EQ(changed3, 0);
    for (int k = 1; k < 1000; ++k) EXPECT_EQ(Trunc1(-k / 10.0), -k / 10.0) << k;
    // Cutting twice is cutting once, and the cut is toward zero, never a rounding.
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> any(-5000, 5000);
    for (int i = 0; i < 20000; ++i) {
        double x = any(rng);
        for (int d : {1, 2, 3}) {
            double once = Truncate(x, d);
            EXPECT_EQ(Truncate(once, d), once) << x << " " << d;
            EXPECT_LE(std::fabs(once), std::fabs(x) + 1e-9);
            EXPECT_LT(std::fabs(x - once), std::pow(10.0, -d) + 1e-9);
        }
    }
    EXPECT_EQ(Trunc2(16.159), 16.15);
    EXPECT_EQ(Trunc3(-2.0009), -2.0);
    EXPECT_EQ(Trunc2(NAN), 0.0);
    EXPECT_EQ(Trunc1(1e300), 1e300);
}

TEST(SampleSize, HandWorkedAndExtremeValues) {
    EXPECT_EQ(SampleSize(30, 10), 36);   // 4 * 900 / 100 meets 10 exactly
    EXPECT_EQ(SampleSize(100, 50), 18);  // 16: 53.3, 17: 51.4, 18: 49.7
    EXPECT_EQ(SampleSize(0, 10), 2);
    EXPECT_EQ(SampleSize(30, 0), 0);
    EXPECT_EQ(SampleSize(30, -5), 0);
    EXPECT_EQ(SampleSize(1e6, 1e-6), INT_MAX);  // stops at the column's limit
    EXPECT_EQ(SampleSize(NAN, 10), 2);
}

TEST(TwoStageSampleSizes, HandWorkedAndDegenerateValues) {
    struct Case { double cv1, cv2, e; int n1, n2; } cases[] = {
        {40, 30, 10, 114, 85},   // n2 = 84 + 1, n1 = 113 + 1, error 9.91
        {26, 23, 10, 53, 46},    // n2 = 45 + 1, n1 = 46 * 26 / 23 = 52 exactly, + 1; error 9.84
        {50, 60, 100, 5, 5},     // n1 walks 3-4-5 and gives one back for each n2
        {40, 30, 0, 0, 0},
        {100, 100, 1e9, 3, 2},
        {30, 0, 10, 37, 2},      // no second-stage variation: the first stage alone
        {0, 0, 10, 2, 2},
        {-40, 30, 10, 2, 37},    // a negative CV counts as none
        {1e6, 1e-9, 0.5, INT_MAX, 2},
    };
    for (const Case& c : cases) {
        SampleSizes s = TwoStageSampleSizes(c.cv1, c.cv2, c.e);
        EXPECT_EQ(s.n1, c.n1) << c.cv1 << " " << c.cv2 << " " << c.e;
        EXPECT_EQ(s.n2, c.n2) << c.cv1 << " " << c.cv2 << " " << c.e;
    }
}

// The two-stage walk taken one size at a time, as the rule states it.
SampleSizes WalkedOneByOne(double cv1, double cv2, double e, int* shifts = nullptr) {
    cv1 = std::max(cv1, 0.0);
    cv2 = std::max(cv2, 0.0);
    const std::int64_t top = INT_MAX;
    auto clamp = [&](double x) { return x >= static_cast<double>(top) ? top : static_cast<std::int64_t>(x); };
    std::int64_t n2 = std::max<std::int64_t>(clamp(4.0 * cv2 * (cv1 + cv2) / (e * e)) + 1, 2), n1, run;
    if (cv2 > 0) {
        n1 = clamp(static_cast<double>(n2) * cv1 / cv2) + 1;
        run = std::min<std::int64_t>(2 * clamp(cv1 / cv2) + 2, top);
    } else {
        n1 = clamp(4.0 * cv1 * cv1 / (e * e)) + 1;
        run = top;
    }
    n1 = std::max<std::int64_t>(n1, 2);
    std::int64_t k = 0;
    while (n1 < top && n2 < top &&
           TwoStageError(cv1, cv2, static_cast<int>(n1), static_cast<int>(n2)) - e > 0.1) {
        if (k < run) {
            ++n1;
        } else {
            n1 -= run / 2;
            ++n2;
            k = 0;
            if (shifts) ++*shifts;
        }
        ++k;
    }
    return {static_cast<int>(std::max<std::int64_t>(n1, 2)), static_cast<int>(std::max<std::int64_t>(n2, 2))};
}

TEST(TwoStageSampleSizes, RunsTakenAtOnceEndWhereTheWalkOneByOneEnds) {
    std::mt19937 rng(8122026);
    std::uniform_real_distribution<double> cvs(0, 300), share(0.02, 1.5);
    int compared = 0, shifts = 0;
    for (int i = 0; i < 6000; ++i) {
        // Every tenth without second-stage variation; some with CVs far apart, where
        // the runs are long. Targets near the CVs take small samples, where the walk
        // gives back first-stage sizes most often.
        const double cv1 = cvs(rng), cv2 = i % 10 == 0 ? 0 : i % 7 == 0 ? cvs(rng) / 100 : cvs(rng);
        const double e = std::max(0.5, (cv1 + cv2) * share(rng));
        if (cv2 == 0 && 4 * cv1 * cv1 / (e * e) > 2e6) continue;  // the walk alone takes too long
        const SampleSizes fast = TwoStageSampleSizes(cv1, cv2, e), slow = WalkedOneByOne(cv1, cv2, e, &shifts);
        ASSERT_EQ(fast.n1, slow.n1) << cv1 << " " << cv2 << " " << e;
        ASSERT_EQ(fast.n2, slow.n2) << cv1 << " " << cv2 << " " << e;
        ++compared;
    }
    EXPECT_GT(compared, 5800);
    EXPECT_GT(shifts, 1000);  // the cases reach the walk's later runs
}

TEST(SampleSizes, RandomTargetsAreMetWithinATenth) {
    std::mt19937 rng(20261207);
    std::uniform_real_distribution<double> cvs(0, 300), targets(0.5, 80);
    for (int i = 0; i < 3000; ++i) {
        double cv = cvs(rng), cv2 = i % 10 ? cvs(rng) : 0, e = targets(rng);
        int n = SampleSize(cv, e);
        ASSERT_GE(n, 2);
        ASSERT_LE(StudentT(n) * cv / std::sqrt(n) - e, 0.1) << cv << " " << e;
        SampleSizes s = TwoStageSampleSizes(cv, cv2, e);
        ASSERT_GE(std::min(s.n1, s.n2), 2);
        ASSERT_LE(TwoStageError(cv, cv2, s.n1, s.n2) - e, 0.1) << cv << " " << cv2 << " " << e;
    }
}
