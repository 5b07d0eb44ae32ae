#include "reports/report_grid.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>

#include <unistd.h>

#include "store/output_path.h"

namespace reports {

ReportGrid::ReportGrid(int cols) {
    grid_.Unbind(cols, 0);
    grid_.SetRowHeadingsShown(false);
    grid_.SetColumnHeadingsShown(false);
    for (int c = 0; c < cols; ++c) {
        grid_.SetHeading(c, "");
        grid_.SetColumnReadOnly(c, true);
    }
}

int64_t ReportGrid::AddRows(int64_t n) {
    int64_t first = grid_.RowCount();
    grid_.SetRowCount(first + n);
    return first;
}

void ReportGrid::EnsureRow(int64_t row) {
    if (row >= grid_.RowCount()) grid_.SetRowCount(row + 1);
}

void ReportGrid::Put(int col, int64_t row, const std::string& text) {
    EnsureRow(row);
    grid_.SetText(col, row, text);
    if (text.empty())
        raw_.erase(Key(col, row));
    else
        raw_[Key(col, row)] = text;
}

std::string ReportGrid::Raw(int col, int64_t row) const {
    auto it = raw_.find(Key(col, row));
    return it == raw_.end() ? std::string() : it->second;
}

void ReportGrid::PutJoined(int col0, int col1, int64_t row, const std::string& text) {
    EnsureRow(row);
    if (col1 > col0) grid_.Join(col0, row, col1, row);
    Put(col0, row, text);
}

void ReportGrid::WriteText(std::ostream& out) const {
    const int cols = grid_.ColumnCount();
    std::vector<int> field(cols);
    for (int c = 0; c < cols; ++c) field[c] = grid_.ColumnWidth(c) / 6 + 1;
    std::string line;
    for (int64_t r = 0; r < grid_.RowCount(); ++r) {
        line.clear();
        for (int c = 0; c < cols; ++c) {
            std::string text = Raw(c, r);
            if (auto span = grid_.SpanAt(c, r)) {
                if (span->col0 != c || span->row0 != r) continue;
                int width = 0;
                for (int j = span->col0; j <= span->col1; ++j) width += grid_.ColumnWidth(j);
                width = width / 6 + 1;
                line += "     ";
                line += text;
                if (static_cast<int>(text.size()) < width) line.append(width - text.size(), ' ');
                continue;
            }
            if (static_cast<int>(text.size()) < field[c]) line.append(field[c] - text.size(), ' ');
            line += text;
        }
        line += '\n';
        out << line;
    }
}

bool SaveReportText(const ReportGrid& report, const std::string& given, std::string& error) {
    const store::OutputTarget target = store::ResolveOutputPath(given);
    if (!target.why.empty()) {
        error = "Cannot write " + given + ": " + target.why;
        return false;
    }
    const std::string& path = target.path;
    std::ostringstream text;
    report.WriteText(text);
    const std::string bytes = text.str();
    const std::string temp = path + ".part";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) {
        error = "Cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    int saved = errno;
    if (ok && std::fflush(f) != 0) { ok = false; saved = errno; }
    if (ok && ::fsync(fileno(f)) != 0 && errno != EINVAL) { ok = false; saved = errno; }
    if (std::fclose(f) != 0 && ok) { ok = false; saved = errno; }
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) { ok = false; saved = errno; }
    if (!ok) {
        std::remove(temp.c_str());
        error = "Cannot write " + path + ": " + std::strerror(saved ? saved : EIO);
        return false;
    }
    return true;
}

}  // namespace reports
