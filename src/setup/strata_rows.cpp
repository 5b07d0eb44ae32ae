#include "setup/strata_rows.h"

namespace setup {

RowSet::RowSet(const mk::View& view) {
    for (int c = 0; c < kColCount; ++c) cols_[c] = view.FindColumn(kColNames[c]);
    rows.resize(view.RowCount());
    for (int r = 0; r < view.RowCount(); ++r)
        for (int c = 0; c < kColCount; ++c)
            if (cols_[c] >= 0) rows[r].f[c] = view.GetString(r, cols_[c]);
}

void RowSet::Store(mk::View& view) const {
    std::array<int, kColCount> cols{};
    for (int c = 0; c < kColCount; ++c) cols[c] = view.FindColumn(kColNames[c]);
    view.SetRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        for (int c = 0; c < kColCount; ++c)
            if (cols[c] >= 0) view.SetString(r, cols[c], rows[r].f[c]);
}

}  // namespace setup
