#include "setup/setup_grid_model.h"

#include <memory>

namespace setup {

namespace {
grid::Color ToColor(const Rgb& c) {
    return grid::Color::Rgb(static_cast<uint8_t>(c.r), static_cast<uint8_t>(c.g), static_cast<uint8_t>(c.b));
}
}  // namespace

char SetupGridSource::ColumnType(int col) const {
    if (col < 0 || col >= grid_.ColumnCount()) return 'S';
    return static_cast<char>(grid_.View().Column(col).type);
}

std::string SetupGridSource::Get(int64_t row, int col) const {
    return grid_.Text(static_cast<int>(row), col);
}

bool SetupGridSource::Set(int64_t row, int col, const std::string& text) {
    return grid_.SetText(static_cast<int>(row), col, text);
}

void ApplySetupPresentation(grid::GridModel& model, SetupGrid& grid) {
    grid.RefreshPresentation();
    model.ClearCellStyles();
    const int cols = grid.ColumnCount();
    const int rows = grid.RowCount();
    for (int c = 0; c < cols; ++c) {
        model.SetColumnHidden(c, grid.Hidden(c));
        if (grid.CheckBox(c)) model.SetColumnKind(c, grid::CellKind::CheckBox);
        model.SetAutoWidth(c, true);
    }
    // Read-only and colours are per row at most (a column rule or a row rule), so
    // they are worked out on the first row and on each row only where rows differ.
    for (int c = 0; c < cols && rows > 0; ++c) {
        grid::Style s;
        bool ro = grid.ReadOnly(-1, c);
        s.read_only = ro;
        if (ro) s.background = ToColor(kReadOnlyBack);
        model.SetColumnStyle(c, s);
    }
    for (int r = 0; r < rows; ++r) {
        auto fg = grid.Foreground(r, 0);
        grid::Style s;
        if (fg) s.text_color = ToColor(*fg);
        if (fg && *fg == kTakenRowText) {
            s.read_only = true;
            s.background = ToColor(kReadOnlyBack);
        }
        if (!s.Empty()) model.SetRowStyle(r, s);
    }
    model.NotifyLayoutChanged();
}

void BindSetupGrid(grid::GridModel& model, SetupGrid& grid) {
    const bool modified = grid.Modified();
    model.Bind(std::make_unique<SetupGridSource>(grid));
    // A text the column's rule refuses never reaches the table; the grid shows why.
    model.OnCheckEdit([&grid](const grid::GridModel&, int col, int64_t row, const std::string& text) {
        return grid.EditRefusal(static_cast<int>(row), col, text);
    });
    model.SetModified(modified);
    ApplySetupPresentation(model, grid);
}

std::vector<grid::MenuItem> SetupMenu(const SetupGrid& grid, grid::CellRef cell,
                                      const SetupCommand& command) {
    std::vector<grid::MenuItem> items;
    for (const std::string& text : grid.ContextMenu(cell.col)) {
        if (text.empty()) {
            items.push_back(grid::MenuItem::Separator());
            continue;
        }
        const int row = static_cast<int>(cell.row), col = cell.col;
        items.push_back(grid::MenuItem{text, [command, text, row, col] { command(text, row, col); }});
    }
    return items;
}

}  // namespace setup
