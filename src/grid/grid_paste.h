#pragma once
// Pasting a block of tab-separated text (what a spreadsheet puts on the clipboard)
// into a grid, all of it or nothing: every target cell is checked as the user's own
// edit of it would be, and only when every one may take its text is any written.
#include <cstdint>
#include <string>
#include <vector>

#include "grid/grid_model.h"

namespace grid {

// Lines split at line breaks ("\r\n", "\n" or "\r"), cells at tabs. The break that
// ends the last line makes no empty row; an empty text is no block at all.
std::vector<std::vector<std::string>> ParseTabText(const std::string& text);

// A block of cells, first and last column and row inclusive.
struct CellBlock {
    int col0 = 0;
    int64_t row0 = 0;
    int col1 = 0;
    int64_t row1 = 0;
};

struct PasteResult {
    bool ok = false;
    // Why nothing was pasted; for a refused cell it names the row and the column.
    std::string refusal;
    CellRef refused_cell{-1, -1};
    int changed = 0;  // cells whose text changed
};

struct PasteOptions {
    // When a cell is refused while writing (the checks passed, the table did not
    // take it), write back what the cells held. A form with its own undo says no
    // and undoes the step itself.
    bool roll_back = true;
};

// Pastes `text` with its top-left cell at the selection's top-left, across the shown
// columns and down the shown rows (hidden ones are skipped, as the copy leaves them
// out). A single value fills every shown cell of a larger selection. A block that
// runs past the grid's last shown row or column is refused. A cell that already
// holds its text is left alone, read-only or not, so a copied row pastes back over
// its own key columns.
PasteResult PasteText(GridModel& grid, const CellBlock& selection, const std::string& text,
                      const PasteOptions& options = {});

}  // namespace grid
