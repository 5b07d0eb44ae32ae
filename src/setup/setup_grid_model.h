#pragma once
// A setup grid shown through the program's grid model: the model is bound to the
// work table through the setup grid, so every edit made in a grid passes the setup's
// own rules (trimming, change marks of summary rows, read-only cells), and the
// model carries the setup's presentation (hidden columns, check boxes, colours).
#include <functional>
#include <string>

#include "grid/grid_model.h"
#include "setup/setup_grid.h"

namespace setup {

// The table as the grid model sees it: writes go through SetupGrid::SetText,
// AddRow and DeleteRow.
class SetupGridSource : public grid::CellSource {
public:
    explicit SetupGridSource(SetupGrid& grid) : grid_(grid) {}
    int64_t RowCount() const override { return grid_.RowCount(); }
    int ColumnCount() const override { return grid_.ColumnCount(); }
    std::string ColumnName(int col) const override { return grid_.Heading(col); }
    char ColumnType(int col) const override;
    std::string Get(int64_t row, int col) const override;
    bool Set(int64_t row, int col, const std::string& text) override;
    int64_t AddRow() override { return grid_.AddRow(); }
    bool RemoveRow(int64_t row) override { return grid_.DeleteRow(static_cast<int>(row)); }

private:
    SetupGrid& grid_;
};

// Binds `model` to the setup grid and applies its presentation. Call again after a
// command changed the rows behind the model (the setup grid is rebound first).
void BindSetupGrid(grid::GridModel& model, SetupGrid& grid);
// Re-applies the presentation only (rows added or removed).
void ApplySetupPresentation(grid::GridModel& model, SetupGrid& grid);

// The right-click menu of a setup grid: the items of the table, each calling
// `command` with its text and the clicked cell.
using SetupCommand = std::function<void(const std::string& item, int row, int col)>;
std::vector<grid::MenuItem> SetupMenu(const SetupGrid& grid, grid::CellRef cell,
                                      const SetupCommand& command);

}  // namespace setup
