#include "stats/key_index.h"

namespace stats {

namespace {
// A unit separator cannot occur in the cruise file's codes.
constexpr char kSep = '\x1f';
const std::vector<int> kNone;
}  // namespace

std::string KeyIndex::Join(const std::vector<std::string>& parts) {
    std::string k;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i) k += kSep;
        k += parts[i];
    }
    return k;
}

KeyIndex::KeyIndex(const mk::View& view, const std::vector<std::string>& columns) {
    std::vector<int> cols;
    cols.reserve(columns.size());
    for (const auto& c : columns) cols.push_back(view.FindColumn(c));
    int n = view.RowCount();
    keys_.resize(n);
    rows_.reserve(static_cast<size_t>(n) / 4 + 16);
    for (int r = 0; r < n; ++r) {
        std::string k;
        for (size_t i = 0; i < cols.size(); ++i) {
            if (i) k += kSep;
            if (cols[i] >= 0) k += view.GetString(r, cols[i]);
        }
        auto [it, fresh] = rows_.try_emplace(k);
        if (fresh) order_.push_back(k);
        it->second.push_back(r);
        keys_[r] = std::move(k);
    }
}

const std::vector<int>& KeyIndex::Rows(const std::vector<std::string>& key) const {
    return RowsJoined(Join(key));
}

const std::vector<int>& KeyIndex::RowsJoined(std::string_view joined_key) const {
    auto it = rows_.find(std::string(joined_key));
    return it == rows_.end() ? kNone : it->second;
}

std::string KeyIndex::KeyOf(int row) const {
    return row >= 0 && row < static_cast<int>(keys_.size()) ? keys_[row] : std::string();
}

}  // namespace stats
