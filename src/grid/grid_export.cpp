#include "grid/grid_export.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "grid/pdf_canvas.h"
#include "store/output_path.h"

namespace grid {

bool SaveCsv(const GridModel& grid, const std::string& given, std::string& error,
             bool include_hidden) {
    const store::OutputTarget target = store::ResolveOutputPath(given);
    if (!target.why.empty()) {
        error = "Cannot write " + given + ": " + target.why;
        return false;
    }
    const std::string& path = target.path;
    std::string temp = path + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "Cannot create " + path + ": " + std::strerror(errno);
            return false;
        }
        grid.WriteCsv(out, include_hidden);
        out.flush();
        if (!out) {
            error = "Cannot write " + path + ": " + std::strerror(errno);
            out.close();
            std::error_code ec;
            std::filesystem::remove(temp, ec);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        error = "Cannot replace " + path + ": " + ec.message();
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

PrintResult SavePdf(GridModel& grid, const std::string& path, ui::UiPort& ui,
                    const PdfExportOptions& options) {
    double w = options.a4 ? PdfCanvas::kA4Width : PdfCanvas::kLetterWidth;
    double h = options.a4 ? PdfCanvas::kA4Height : PdfCanvas::kLetterHeight;
    if (options.landscape) std::swap(w, h);
    auto chooser = [&]() -> std::unique_ptr<Canvas> { return std::make_unique<PdfCanvas>(path, w, h); };
    return PrintGridJob(grid, 0, 0, grid.ColumnCount() - 1, grid.RowCount() - 1, options.paged,
                        chooser, ui, options.print);
}

}  // namespace grid
