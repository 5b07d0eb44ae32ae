#pragma once
// An index of a view's rows by the text of some key columns, built in one linear
// pass and then looked up, so that no rule of the compilations selects by scanning
// a whole table once per group.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "mk/mk.h"

namespace stats {

class KeyIndex {
public:
    KeyIndex() = default;
    // Indexes every row of `view` by the named columns, read as text (numbers in
    // their shortest exact text). A column the view lacks reads as "" for every row.
    KeyIndex(const mk::View& view, const std::vector<std::string>& columns);

    // Rows whose key equals `key` (one text per key column), in row order; empty
    // when there are none.
    const std::vector<int>& Rows(const std::vector<std::string>& key) const;
    const std::vector<int>& RowsJoined(std::string_view joined_key) const;

    // The key of row `row` joined the way RowsJoined expects it.
    std::string KeyOf(int row) const;
    static std::string Join(const std::vector<std::string>& parts);

    // The distinct keys in the order of their first row.
    const std::vector<std::string>& Keys() const { return order_; }
    size_t size() const { return order_.size(); }

private:
    std::vector<std::string> keys_;  // per row
    std::unordered_map<std::string, std::vector<int>> rows_;
    std::vector<std::string> order_;
};

}  // namespace stats
