#pragma once
// Settings rows (Block, Key, Value) of GlobalConfigurationTable, and the relative
// cruising costs kept there.
#include <array>
#include <string>

#include "mk/mk.h"
#include "ui/forms.h"

namespace app {

// Appends a row; store::SetSetting updates the first matching row instead.
void AddSetting(mk::View& config, const std::string& block, const std::string& key,
                const std::string& value);

// The nine cost settings as stored, in the order of ui::CostField.
using CostValues = std::array<std::string, ui::kCostFieldCount>;

struct CostFigures {
    double per_count_plot = 0;
    double per_traverse = 0;  // 10 chains
    double per_tallied_tree = 0;
    double per_3p_tree = 0;
    double per_measured_tree = 0;
    double paint_per_tree = 0;
};

// Every (Strovan, cost key) row; a later row with the same key overrides an earlier one.
CostValues ReadCostValues(const mk::View& config);
CostFigures ComputeCostFigures(const CostValues& values);
// Writes the nine values in the program's fixed key order. Every row of a key gets
// the value, so a duplicate row can never override what the user just saved.
void WriteCostValues(mk::View& config, const CostValues& values);

}  // namespace app
