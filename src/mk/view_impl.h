#pragma once
// What a View handle points at: the rows of a table, or rows derived from another view.
#include <memory>
#include <vector>

#include "mk/mk.h"
#include "mk/table.h"

namespace mk::detail {

struct Cell {
    Table* t = nullptr;  // null: no such cell
    uint32_t r = 0;
    int c = 0;
};

struct ViewImpl {
    std::shared_ptr<Table> table;    // a view on these rows ...
    std::shared_ptr<ViewImpl> base;  // ... or on rows of this view
    bool mapped = false;             // base rows through rowmap, else the same rows
    std::vector<uint32_t> rowmap;
    std::vector<Field> fields;       // the columns as shown

    int Rows() const;
    Cell Resolve(int row, int col) const;
    int BaseRowOf(int row) const;

    // Columns of the table (or of the base view) that the shown columns are.
    const std::vector<int>& Map() const;
    mutable std::vector<int> colmap;
    mutable uint64_t mapVersion = 0;

    // SetRowFrom's column pairing for the last source view.
    mutable std::weak_ptr<ViewImpl> copySrc;
    mutable std::vector<int> copyMap;

    static std::shared_ptr<ViewImpl> OnTable(std::shared_ptr<Table> t, std::vector<Field> shown);
};

}  // namespace mk::detail
