#pragma once
// Rows of the per-method and design work tables as records, read and written whole.
#include <vector>

#include "design/rows.h"
#include "mk/mk.h"
#include "stats/recon_methods.h"

namespace stats {

// A method row is the stratum's chosen one when its Select reads as the number 1
// ("1.000000" as written, "1" as a check box writes it).
bool IsSelected(const std::string& select);

std::vector<MethodRow> ReadMethodRows(const mk::View& view);
std::vector<MethodSgRow> ReadMethodSgRows(const mk::View& view);
std::vector<design::StratumRow> ReadDesignRows(const mk::View& view);
std::vector<design::SgRow> ReadDesignSgRows(const mk::View& view);

// Each replaces every row of the view by the records, in order.
void WriteMethodRows(mk::View& view, const std::vector<MethodRow>& rows);
void WriteMethodSgRows(mk::View& view, const std::vector<MethodSgRow>& rows);
void WriteDesignRows(mk::View& view, const std::vector<design::StratumRow>& rows);
void WriteDesignSgRows(mk::View& view, const std::vector<const design::SgRow*>& rows);

}  // namespace stats
