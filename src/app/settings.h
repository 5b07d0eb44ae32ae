#pragma once
// Settings rows (Block, Key, Value) of GlobalConfigurationTable, and the relative
// cruising costs kept there. Reads and writes go through the store's settings layer,
// which knows both column forms of the table.
#include <array>
#include <string>

#include "design/rows.h"
#include "mk/mk.h"
#include "ui/forms.h"

namespace app {

// Appends a row to a table in the current column form (building setup files and
// test files); the workflow uses store::SetSetting, which updates existing rows.
void AddSetting(mk::View& config, const std::string& block, const std::string& key,
                const std::string& value);

// The nine cost settings as stored, in the order of ui::CostField.
using CostValues = std::array<std::string, ui::kCostFieldCount>;

// The six figures the stratum cost rules use.
using CostFigures = design::CostFigures;

// Every (Strovan, cost key) row; a later row with the same key overrides an earlier one.
CostValues ReadCostValues(mk::Storage& storage);
// The same from GlobalConfigurationTable as stored (either column form).
CostValues ReadCostValues(const mk::View& config);
// Each figure is finite and not negative, whatever the settings hold.
CostFigures ComputeCostFigures(const CostValues& values);
// Writes the nine values in the program's fixed key order. Every row of a key gets
// the value, so a duplicate row can never override what the user just saved.
void WriteCostValues(mk::Storage& storage, const CostValues& values);

}  // namespace app
