#pragma once
// Sampling arithmetic of one sample group: t values, sampling errors and the sample
// sizes that reach a target error. Errors and CVs are percent at the 95 % level.
// Statistics are truncated toward zero, never rounded.
#include <initializer_list>
#include <string_view>

namespace design {

// Truncation toward zero at `decimals` places (0 to 6); the one truncation of the
// program. A value that has no more decimals than that already comes back unchanged,
// although its double may lie just below it (16.15 is held as 16.1499...). Not finite: 0.
double Truncate(double x, int decimals);
inline double Trunc1(double x) { return Truncate(x, 1); }
inline double Trunc2(double x) { return Truncate(x, 2); }
inline double Trunc3(double x) { return Truncate(x, 3); }
// trunc(x) as a 32-bit integer, saturating; NaN gives 0.
int TruncInt(double x);
// a / b, or 0 when b is 0: the value stored whenever a divisor of these rules is 0.
double SafeDiv(double a, double b);

// Two-sided 95 % t value for n - 1 degrees of freedom; 0 below 2, 2.0 from 30 on.
double StudentT(int n);
double SamplingError(double cv, int n);
// Finite-population correction; the error unchanged when it does not apply.
double CorrectedError(double error, int n, int populationSize);
double TwoStageError(double cv1, double cv2, int n1, int n2);
// Smallest size (at least 2) whose error is within 0.1 of the target; 0 for no target.
int SampleSize(double cv, double targetError);

struct SampleSizes {
    int n1 = 0;
    int n2 = 0;
};
SampleSizes TwoStageSampleSizes(double cv1, double cv2, double targetError);

// Cruise method classes.
bool IsOneOf(std::string_view method, std::initializer_list<std::string_view> methods);
bool IsTwoStage(std::string_view method);
bool IsFinitePopulation(std::string_view method);
bool IsPlotMethod(std::string_view method);
// Methods whose sample groups are measured separately, so their sizes add up.
bool IsTreeMethod(std::string_view method);

}  // namespace design
