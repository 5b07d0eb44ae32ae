#pragma once
// The stratification advisor: proposals of k = 1 .. K strata for a sale, each found by
// the separable search and then priced exactly by the program's own design arithmetic
// on a scratch copy of the file, beside the current stratification priced the same
// way; and applying a proposal to the file.
#include <optional>
#include <string>
#include <vector>

#include "advise/recon_profile.h"
#include "advise/stratify.h"
#include "store/cruise_store.h"
#include "ui/ui_port.h"

namespace advise {

inline constexpr int kDefaultMaxStrata = 6;

struct Proposal {
    int k = 0;
    Plan plan;
    double objective = 0;  // of the search
    Outcome outcome;
};

struct Advice {
    std::string error;  // why there is no advice (empty when there is)
    ReconProfile profile;
    DesignInputs inputs;
    int maxStrata = 0;
    Plan currentPlan;  // the file's strata, with the methods their design gets
    Outcome current;
    std::vector<Proposal> proposals;  // ascending k; only those the rules allow
    std::vector<int> impossible;      // k without a proposal
    int best = -1;                    // the cheapest proposal; fewer strata among equals

    // What a proposal saves against the current stratification (nullopt when either
    // has no numbers).
    std::optional<double> Saving(const Proposal& p) const;
    const Proposal* Find(int k) const;
};

struct AdviseOptions {
    int maxStrata = kDefaultMaxStrata;  // K: at most 99 and at most the number of units
    std::string target = "10";          // sale error, percent
};

// Advice for the cruise file whose bytes are given (a file as stored, or an open
// storage's Packed()). The file is never changed.
Advice Advise(const std::string& image, const AdviseOptions& options);
// The same for a file on disk.
Advice AdviseFile(const std::string& path, const AdviseOptions& options);

// The method a stratum of these units is designed with: the recon method of their
// plots (the one with the most plots when they differ), "100" for methods the
// compilation does not measure.
std::string DesignMethod(const ReconProfile& profile, const std::vector<std::string>& units);

// The question asked before a proposal is applied.
std::string ApplyQuestion(const Advice& advice, const Proposal& p);

inline constexpr int kApplied = 0;
inline constexpr int kApplyDeclined = 1;  // the forester said no
inline constexpr int kApplyFailed = -1;   // reported; the file is as it was

// Applies a proposal to the open cruise file after the question: its strata through
// the definition path (marked for recompilation, sample groups by species and
// product), then compiled, given their methods and optimised for the target as the
// proposal was priced. All on a scratch copy first; the file takes the result in one
// commit, or nothing.
int Apply(ui::UiPort& ui, store::CCruiseStore& store, const Advice& advice, const Proposal& p);

}  // namespace advise
