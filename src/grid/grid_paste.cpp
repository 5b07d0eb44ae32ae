#include "grid/grid_paste.h"

#include <algorithm>

namespace grid {

namespace {

std::string Trimmed(const std::string& s) {
    const char* blanks = " \t\r\n";
    size_t a = s.find_first_not_of(blanks);
    if (a == std::string::npos) return {};
    size_t b = s.find_last_not_of(blanks);
    return s.substr(a, b - a + 1);
}

// Up to `n` shown columns from `from` on.
std::vector<int> ShownColumns(const GridModel& g, int from, int last, size_t n) {
    std::vector<int> out;
    for (int c = std::max(from, 0); c <= last && out.size() < n; ++c)
        if (!g.IsColumnHidden(c)) out.push_back(c);
    return out;
}

std::vector<int64_t> ShownRows(const GridModel& g, int64_t from, int64_t last, size_t n) {
    std::vector<int64_t> out;
    for (int64_t r = std::max<int64_t>(from, 0); r <= last && out.size() < n; ++r)
        if (!g.IsRowHidden(r)) out.push_back(r);
    return out;
}

struct Target {
    int col;
    int64_t row;
    std::string text;
};

PasteResult Refuse(std::string why, CellRef cell = {-1, -1}) {
    PasteResult r;
    r.refusal = std::move(why) + "\nNothing was pasted.";
    r.refused_cell = cell;
    return r;
}

std::string CellName(const GridModel& g, int col, int64_t row) {
    return "Row " + g.RowHeading(row) + ", column " + g.Heading(col);
}

}  // namespace

std::vector<std::vector<std::string>> ParseTabText(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    if (text.empty()) return rows;
    std::vector<std::string> row(1);
    for (size_t i = 0; i < text.size(); ++i) {
        char ch = text[i];
        if (ch == '\t') {
            row.emplace_back();
        } else if (ch == '\n' || ch == '\r') {
            if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            rows.push_back(std::move(row));
            row.assign(1, std::string());
        } else {
            row.back() += ch;
        }
    }
    // Text after the last break is a last line of its own.
    if (row.size() > 1 || !row.front().empty()) rows.push_back(std::move(row));
    return rows;
}

PasteResult PasteText(GridModel& grid, const CellBlock& selection, const std::string& text,
                      const PasteOptions& options) {
    const auto block = ParseTabText(text);
    if (block.empty()) return Refuse("The clipboard holds no cells to paste.");
    size_t width = 0;
    for (const auto& line : block) width = std::max(width, line.size());

    const int last_col = grid.ColumnCount() - 1;
    const int64_t last_row = grid.RowCount() - 1;
    const int col0 = std::min(selection.col0, selection.col1);
    const int64_t row0 = std::min(selection.row0, selection.row1);
    std::vector<Target> targets;
    if (block.size() == 1 && width == 1) {
        // One value fills the whole selection, as in a spreadsheet.
        const int col1 = std::min(std::max(selection.col0, selection.col1), last_col);
        const int64_t row1 = std::min(std::max(selection.row0, selection.row1), last_row);
        for (int64_t r : ShownRows(grid, row0, row1, static_cast<size_t>(row1 - row0 + 1)))
            for (int c : ShownColumns(grid, col0, col1, static_cast<size_t>(col1 - col0 + 1)))
                targets.push_back({c, r, block[0][0]});
        if (targets.empty()) return Refuse("There is no cell here to paste into.");
    } else {
        const std::vector<int> cols = ShownColumns(grid, col0, last_col, width);
        const std::vector<int64_t> rows = ShownRows(grid, row0, last_row, block.size());
        if (cols.size() < width || rows.size() < block.size())
            return Refuse("The pasted block has " + std::to_string(block.size()) + " rows and " +
                          std::to_string(width) + " columns; from the current cell the grid has room for " +
                          std::to_string(rows.size()) + " rows and " + std::to_string(cols.size()) +
                          " columns.");
        for (size_t i = 0; i < block.size(); ++i)
            for (size_t j = 0; j < block[i].size(); ++j) targets.push_back({cols[j], rows[i], block[i][j]});
    }

    // Every cell first: nothing is written unless every one may take its text.
    std::vector<Target> changes;
    for (Target& t : targets) {
        t.text = Trimmed(t.text);
        if (grid.Text(t.col, t.row) == t.text) continue;
        std::string why = grid.CheckEdit(t.col, t.row, t.text);
        if (!why.empty()) return Refuse(CellName(grid, t.col, t.row) + ": " + why, {t.col, t.row});
        changes.push_back(t);
    }

    PasteResult result;
    std::vector<Target> written;  // with the text each held before
    for (const Target& t : changes) {
        std::string before = grid.Text(t.col, t.row);
        if (!grid.EditCell(t.col, t.row, t.text)) {
            std::string why = grid.LastRefusal().empty() ? "The cell did not take the text." : grid.LastRefusal();
            if (options.roll_back)
                for (auto it = written.rbegin(); it != written.rend(); ++it) grid.EditCell(it->col, it->row, it->text);
            PasteResult refused = Refuse(CellName(grid, t.col, t.row) + ": " + why, {t.col, t.row});
            refused.changed = options.roll_back ? 0 : static_cast<int>(written.size());
            return refused;
        }
        written.push_back({t.col, t.row, std::move(before)});
    }
    result.ok = true;
    result.changed = static_cast<int>(written.size());
    return result;
}

}  // namespace grid
