#include "design/sampling.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

namespace design {

namespace {

// Sizes are 32-bit columns; the searches stop there rather than overflow.
constexpr std::int64_t kMaxSize = INT_MAX;

// The table is single precision: its values widen to doubles with float error.
constexpr float kT95[30] = {0.0f,   0.0f,   12.706f, 4.303f, 3.182f, 2.776f, 2.571f, 2.447f,
                            2.365f, 2.306f, 2.262f,  2.228f, 2.201f, 2.179f, 2.160f, 2.145f,
                            2.131f, 2.120f, 2.110f,  2.101f, 2.093f, 2.086f, 2.080f, 2.074f,
                            2.069f, 2.064f, 2.060f,  2.056f, 2.052f, 2.048f};

double UntruncatedError(double cv, std::int64_t n) {
    return StudentT(static_cast<int>(std::min(n, kMaxSize))) * cv / std::sqrt(static_cast<double>(n));
}

std::int64_t ClampSize(double x) {
    if (!(x == x) || x < 0) return 0;
    if (x >= static_cast<double>(kMaxSize)) return kMaxSize;
    return static_cast<std::int64_t>(x);
}

}  // namespace

double Truncate(double x, int decimals) {
    static constexpr double kScale[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6};
    if (!std::isfinite(x)) return 0.0;
    const double scale = kScale[std::clamp(decimals, 0, 6)];
    const double y = x * scale;
    // Beyond 2^52 every double is whole: nothing is left to cut.
    if (std::fabs(y) >= 4503599627370496.0) return x;
    // A product within a few units in the last place of a whole number is that number:
    // the value had these decimals, and only its binary form fell short of them.
    const double whole = std::round(y);
    const bool exact = std::fabs(y - whole) <= 8 * DBL_EPSILON * std::max(1.0, std::fabs(y));
    return (exact ? whole : std::trunc(y)) / scale;
}

int TruncInt(double x) {
    if (!(x == x)) return 0;
    if (x >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (x <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(x);
}

double SafeDiv(double a, double b) { return b == 0.0 ? 0.0 : a / b; }

double StudentT(int n) {
    if (n < 2) return 0.0;
    if (n >= 30) return 2.0;
    return static_cast<double>(kT95[n]);
}

double SamplingError(double cv, int n) {
    if (n <= 0) return 0.0;
    return Trunc2(StudentT(n) * cv / std::sqrt(static_cast<double>(n)));
}

double CorrectedError(double error, int n, int populationSize) {
    if (n <= 0 || populationSize <= 0) return error;
    double remaining = 1.0 - static_cast<double>(n) / populationSize;
    if (remaining < 0) return error;
    return Trunc2(error * std::sqrt(remaining));
}

double TwoStageError(double cv1, double cv2, int n1, int n2) {
    double e1 = SamplingError(cv1, n1);
    double e2 = SamplingError(cv2, n2);
    return Trunc2(std::sqrt(e1 * e1 + e2 * e2));
}

int SampleSize(double cv, double targetError) {
    if (!(targetError > 0)) return 0;
    std::int64_t n = std::max<std::int64_t>(ClampSize(4.0 * cv * cv / (targetError * targetError)), 2);
    while (n < kMaxSize && UntruncatedError(cv, n) - targetError > 0.1) ++n;
    return static_cast<int>(n);
}

namespace {

SampleSizes WalkTwoStage(double cv1, double cv2, double targetError);

}  // namespace

SampleSizes TwoStageSampleSizes(double cv1, double cv2, double targetError) {
    if (!(targetError > 0)) return {};
    // Sizing a stratum again and again (the optimisations, the trade-off curves) asks
    // for the same groups' sizes many times: the last answers are kept, per thread.
    struct Answer {
        double cv1, cv2, target;
        SampleSizes sizes;
    };
    static constexpr std::size_t kKept = 4096;
    thread_local std::vector<Answer> kept(kKept, Answer{-1, -1, -1, {}});
    std::uint64_t key = std::bit_cast<std::uint64_t>(cv1) * 0x9E3779B97F4A7C15ull;
    key ^= std::bit_cast<std::uint64_t>(cv2) + 0x7F4A7C159E3779B9ull + (key << 6) + (key >> 2);
    key ^= std::bit_cast<std::uint64_t>(targetError) * 0xC2B2AE3D27D4EB4Full;
    Answer& a = kept[(key ^ (key >> 29)) % kKept];
    if (a.cv1 == cv1 && a.cv2 == cv2 && a.target == targetError) return a.sizes;
    a = {cv1, cv2, targetError, WalkTwoStage(cv1, cv2, targetError)};
    return a.sizes;
}

namespace {

SampleSizes WalkTwoStage(double cv1, double cv2, double targetError) {
    // A negative CV means nothing; taken as no variation it keeps the search finite.
    cv1 = std::max(cv1, 0.0);
    cv2 = std::max(cv2, 0.0);
    double e2 = targetError * targetError;
    std::int64_t n2 = std::max<std::int64_t>(ClampSize(4.0 * cv2 * (cv1 + cv2) / e2) + 1, 2);
    std::int64_t n1;
    std::int64_t run;
    if (cv2 > 0) {
        // n2 * cv1 / cv2, not n2 * (cv1 / cv2): the quotient's rounding can drop a
        // whole number just below itself, and the truncation then loses a tree.
        n1 = ClampSize(static_cast<double>(n2) * cv1 / cv2) + 1;
        run = std::min<std::int64_t>(2 * ClampSize(cv1 / cv2) + 2, kMaxSize);
    } else {
        // Without second-stage variation the first stage alone must reach the target:
        // the limit of the formulas above, and no second-stage trees traded for it.
        n1 = ClampSize(4.0 * cv1 * cv1 / e2) + 1;
        run = kMaxSize;
    }
    n1 = std::max<std::int64_t>(n1, 2);
    std::int64_t k = 0;
    auto above = [&](std::int64_t a) {
        return TwoStageError(cv1, cv2, static_cast<int>(a), static_cast<int>(n2)) - targetError > 0.1;
    };
    // The walk: n1 grows by one for `run` steps, then gives back half of them for one
    // more tree; it stops at the first sizes within the target. The error falls as n1
    // grows, so a run's steps are taken at once: a run still above the target at its
    // last size is above it all the way, else its first size within is searched.
    while (n1 < kMaxSize && n2 < kMaxSize && above(n1)) {
        if (k < run) {
            const std::int64_t far = std::min(n1 + (run - k), kMaxSize);
            std::int64_t to = far;
            if (far == kMaxSize || !above(far)) {
                std::int64_t lo = n1;  // above
                while (to - lo > 1) {
                    const std::int64_t mid = lo + (to - lo) / 2;
                    (above(mid) ? lo : to) = mid;
                }
            }
            k += to - n1;
            n1 = to;
        } else {
            n1 -= run / 2;
            ++n2;
            k = 1;
        }
    }
    auto size = [](std::int64_t n) { return static_cast<int>(std::clamp<std::int64_t>(n, 2, kMaxSize)); };
    return {size(n1), size(n2)};
}

}  // namespace

bool IsOneOf(std::string_view m, std::initializer_list<std::string_view> methods) {
    return std::find(methods.begin(), methods.end(), m) != methods.end();
}

bool IsTwoStage(std::string_view m) {
    return IsOneOf(m, {"S3P", "F3P", "P3P", "PCM", "FCM", "PCMTRE", "3PPNT"});
}

bool IsFinitePopulation(std::string_view m) { return IsOneOf(m, {"STR", "100"}); }

bool IsPlotMethod(std::string_view m) {
    return IsOneOf(m, {"PNT", "FIX", "F3P", "P3P", "PCM", "FCM", "PCMTRE", "3PPNT"});
}

bool IsTreeMethod(std::string_view m) { return IsOneOf(m, {"100", "STR", "3P", "S3P"}); }

}  // namespace design
