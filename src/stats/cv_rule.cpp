#include "stats/cv_rule.h"

#include <cmath>

#include "design/sampling.h"

namespace stats {

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
