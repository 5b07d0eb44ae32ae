#pragma once
// A report: unbound grid content plus the texts exactly as the report wrote them.
// The grid model trims what it holds (right for the screen), but the text save lays
// labels such as "Sale Num    " into fixed fields, so their blanks must survive.
#include <cstdint>
#include <ostream>
#include <string>
#include <unordered_map>

#include "grid/grid_model.h"

namespace reports {

class ReportGrid {
public:
    explicit ReportGrid(int cols);

    grid::GridModel& Grid() { return grid_; }
    const grid::GridModel& Grid() const { return grid_; }
    int ColumnCount() const { return grid_.ColumnCount(); }
    int64_t RowCount() const { return grid_.RowCount(); }

    // Appends n empty rows; returns the index of the first.
    int64_t AddRows(int64_t n = 1);
    // Grows the grid to hold the row when needed.
    void Put(int col, int64_t row, const std::string& text);
    // The text as written, blanks included.
    std::string Raw(int col, int64_t row) const;
    // Joins and writes the text into the first cell.
    void PutJoined(int col0, int col1, int64_t row, const std::string& text);

    // The save format: every row on one line; a plain cell right-aligned in
    // (width / 6 + 1) characters; a joined range as five blanks and its text
    // left-aligned in (sum of its widths / 6 + 1), its other cells skipped.
    void WriteText(std::ostream& out) const;

    // The name of the printed document and of the PDF: the report and the sale.
    void SetDocumentName(std::string name) { document_name_ = std::move(name); }
    const std::string& DocumentName() const { return document_name_; }

    // A message the window shows when the report opens (empty: none).
    void SetNotice(std::string text) { notice_ = std::move(text); }
    const std::string& Notice() const { return notice_; }

private:
    static uint64_t Key(int col, int64_t row) { return (uint64_t(row) << 8) | uint64_t(col); }
    void EnsureRow(int64_t row);

    grid::GridModel grid_;
    std::unordered_map<uint64_t, std::string> raw_;
    std::string notice_;
    std::string document_name_;
};

// Writes the report's text into path: a temporary file beside it replaces the target
// only when everything was written and flushed. False with a reason otherwise.
bool SaveReportText(const ReportGrid& report, const std::string& path, std::string& error);

}  // namespace reports
