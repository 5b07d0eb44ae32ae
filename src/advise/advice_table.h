#pragma once
// The advisor's table as the forester reads it: one line per stratification (the
// current one first, then k = 1 .. K) with its plots, sale error, cost and saving,
// each followed by a line per stratum with its method, units and acres. The command
// line prints it, the advisor window shows it in a grid.
#include <optional>
#include <string>
#include <vector>

#include "advise/advisor.h"

namespace advise {

struct AdviceLine {
    bool head = false;      // a stratification's line; else one of its strata
    bool current = false;   // of the current stratification
    int k = 0;              // number of strata (the proposal's k; the current's count)
    int proposal = -1;      // index into Advice::proposals; -1 for the current
    bool best = false;
    std::string stratum, method, units;
    double acres = 0;
    int plots = 0;  // a head line: the plots of its plot strata; a stratum: its sample size
    bool trees = false;  // the stratum's sample is trees, not plots
    double error = 0, cost = 0;  // the sale's on a head line, the stratum's otherwise
    std::optional<double> saving;  // head lines of proposals
    std::string note;              // why a stratification has no numbers
};

std::vector<AdviceLine> AdviceLines(const Advice& advice);

// Column headings of the advisor's grid, and a line's cells in that order.
const std::vector<std::string>& AdviceHeadings();
std::vector<std::string> AdviceCells(const AdviceLine& line);

// "k = 1, 2: ..." for the numbers of strata without a proposal; empty when none.
std::string ImpossibleText(const Advice& advice);

}  // namespace advise
