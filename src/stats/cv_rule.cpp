#include "stats/cv_rule.h"

#include <cmath>

#include "design/sampling.h"

namespace stats {

double Truncate(double x, int decimals) {
    if (!std::isfinite(x)) return 0;
    switch (decimals) {
        case 1: return design::Trunc1(x);
        case 2: return design::Trunc2(x);
        case 3: return design::Trunc3(x);
        default: break;
    }
    double scale = std::pow(10.0, decimals);
    double scaled = x * scale;
    if (!std::isfinite(scaled)) return x;  // too large to carry decimals anyway
    return std::trunc(scaled) / scale;
}

double RoundHalfUp(double x) {
    if (!std::isfinite(x)) return 0;
    return std::trunc(x + 0.5);
}

double SafeDiv(double num, double den) {
    if (den == 0) return 0;
    double r = num / den;
    return std::isfinite(r) ? r : 0;
}

double CvFromSums(double s, double q, int64_t n) {
    if (n <= 1) return 0;
    double nd = static_cast<double>(n);
    double var = (q - s * s / nd) / (nd - 1);
    if (!(var > 0)) return 0;  // also catches NaN
    double mean = s / nd;
    if (mean == 0) return 0;
    double cv = std::sqrt(var) / mean * 100;
    return Truncate(cv, 3);
}

}  // namespace stats
