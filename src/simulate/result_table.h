#pragma once
// A simulation's results as a grid (one row per stratum and one for the sale), so the
// window shows, prints and exports them like every other grid, and as plain text.
#include <iosfwd>
#include <string>

#include "grid/grid_model.h"
#include "simulate/simulate.h"

namespace simulate {

// Fills grid (unbound, read-only) with the per-stratum table.
void FillResultGrid(grid::GridModel& grid, const Result& r, const std::string& uom);

// The report the command line prints: the sale, then every stratum.
void WriteResultText(std::ostream& out, const Result& r, const std::string& uom);

// "12.3" and the like for percents.
std::string Percent(double v, int decimals = 1);

}  // namespace simulate
