#pragma once
// Writing a whole grid to a file without a window system: comma-separated text, or a
// paged PDF through the PDF canvas. The target is replaced only by a complete file.
#include <string>

#include "grid/grid_print.h"

namespace grid {

// The grid as CSV (see GridModel::WriteCsv). False with a reason when the file
// cannot be written; an earlier file of that name is then left as it was.
bool SaveCsv(const GridModel& grid, const std::string& path, std::string& error,
             bool include_hidden = false);

struct PdfExportOptions {
    bool paged = true;  // "Page: N" footer on every page
    bool landscape = false;
    bool a4 = false;  // Letter otherwise
    PrintOptions print{};
};

// The whole grid printed into a PDF file with the grid's print margins. Messages
// (nothing to print, the file cannot be written) go through ui.
PrintResult SavePdf(GridModel& grid, const std::string& path, ui::UiPort& ui,
                    const PdfExportOptions& options = {});

}  // namespace grid
