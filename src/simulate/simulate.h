#pragma once
// Simulating a cruise design: each replicate draws every stratum's sample from the
// pseudo-population as its method would in the field, estimates each sample group's
// volume per acre and sampling error with the program's own formulas, combines them
// into the stratum's and the sale's error as the design form does, and compares the
// estimated volume with the pseudo-population's. Replicates run on every core; a seed
// gives the same results whatever the number of threads.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "simulate/population.h"
#include "simulate/rng.h"

namespace simulate {

struct Options {
    int replicates = 1000;
    uint64_t seed = 1;
    double target = 10;  // sale error (percent) the contract asks for
    int threads = 0;     // 0: every core
};

// A quantity over the replicates. Values are kept as counts of hundredths, so the
// memory is bounded by the range of the values, not by the number of replicates.
class Distribution {
public:
    void Add(double value);
    int64_t Count() const { return count_; }
    // Nearest rank: the smallest value at or above which lie no more than 1 - p of them.
    double Percentile(double p) const;
    // Share of the values at or below x.
    double ShareAtOrBelow(double x) const;
    // The distinct values (hundredths rounded) with their counts, ascending.
    std::vector<std::pair<double, int64_t>> Values() const;

private:
    std::vector<std::pair<int64_t, int64_t>> Sorted() const;
    std::unordered_map<int64_t, int64_t> counts_;
    int64_t count_ = 0;
};

// What the replicates showed of a stratum or of the sale. Volumes are totals in the
// sale's unit (MBF or CCF); errors and deviations are percent.
struct Summary {
    double truth = 0;         // the pseudo-population's volume
    double designError = 0;   // the error the design claims
    double meanEstimate = 0;
    double relativeBias = 0;  // mean estimate against the truth
    double relativeSd = 0;    // spread of the estimates against the truth
    double coverage = 0;      // share whose estimate +/- its error holds the truth
    double meanError = 0;     // achieved sampling error
    double errorMedian = 0, errorP5 = 0, errorP95 = 0;
    double meetsDesign = 0;   // share with the error at or below the design's
    double meetsTarget = 0;   // share with the error at or below the target
    double deviationP5 = 0, deviationP95 = 0;  // estimate against the truth
    Distribution errors;
};

struct StratumResult {
    std::string code;
    std::string method;
    Draw draw = Draw::None;
    std::string problem;  // not simulated, and why
    std::string note;
    int reconPlots = 0;
    int reconTrees = 0;
    Summary summary;
};

struct Result {
    Options options;
    int replicates = 0;  // done
    bool cancelled = false;
    std::string problem;  // nothing could be simulated
    Summary sale;
    std::vector<StratumResult> strata;
    std::vector<std::string> leftOut;  // strata the sale figures leave out
};

// One replicate's estimate of a stratum: its volume per acre and sampling error.
struct StratumEstimate {
    double volumePerAcre = 0;
    double error = 0;
};
// Scratch for EstimateStratum, reused between calls of one thread.
struct Scratch;
struct ScratchDeleter {
    void operator()(Scratch* s) const;
};
using ScratchPtr = std::unique_ptr<Scratch, ScratchDeleter>;
ScratchPtr MakeScratch();
StratumEstimate EstimateStratum(const Stratum& s, Rng& rng, Scratch& scratch);

// progress(done) is called now and then from the calling thread; false cancels.
// cancel, when given, stops the run too (checked between replicates).
Result Run(const Population& pop, const Options& options,
           const std::function<bool(int)>& progress = {}, const std::atomic<bool>* cancel = nullptr);

// "In 83 % of 1,000 simulated cruises the sale error was 10 % or less".
std::string MeetsTargetSentence(const Result& r);
// 1234567 as "1,234,567".
std::string Grouped(long long v);

}  // namespace simulate
