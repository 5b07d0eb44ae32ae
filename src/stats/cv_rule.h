#pragma once
// The coefficient-of-variation rule and the truncations that every statistic of the
// compilations uses. Shared by the recon compilation and the production statistics.
#include <cstdint>

#include "design/sampling.h"

namespace stats {

// Sums of a value and of its square over a sample.
struct Sums {
    double s = 0;  // sum of X
    double q = 0;  // sum of X squared
    void Add(double x) {
        s += x;
        q += x * x;
    }
};

// CV in percent from the sums over n units: sd = sqrt((Q - S^2/n) / (n - 1)),
// CV = sd / (S/n) * 100, cut toward zero at three decimals. n <= 0 gives 0. The
// guards keep every result finite: a variance that rounds below zero counts as 0,
// one unit (n == 1) or a zero mean gives 0.
double CvFromSums(double s, double q, int64_t n);
inline double CvFromSums(const Sums& sums, int64_t n) { return CvFromSums(sums.s, sums.q, n); }

// Cuts toward zero at `decimals` decimals: the design arithmetic's one truncation.
using design::Truncate;
// x + 0.5 truncated: the nearest whole number the compilations use.
double RoundHalfUp(double x);

// Quotient that is 0 when the divisor is 0 or the result is not finite.
double SafeDiv(double num, double den);

}  // namespace stats
