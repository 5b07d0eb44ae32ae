#pragma once
// Printing a block of a grid on pages, without a window system. The layout divides
// the block into pages (rows down, and bands of columns across when the columns are
// wider than the paper), repeats the column headings on every page and draws cells
// with their colours, fonts, borders and spans through an abstract Canvas: the Qt
// printer in the front end, or the PDF writer of pdf_canvas.h.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "grid/grid_model.h"

namespace ui { class UiPort; }

namespace grid {

// A surface pages are drawn on. Coordinates are device units from the page's
// top-left corner; UnitsPerInch says how big a unit is.
class Canvas {
public:
    virtual ~Canvas() = default;
    virtual double PageWidth() const = 0;
    virtual double PageHeight() const = 0;
    virtual double UnitsPerInch() const = 0;

    // False when the device refuses the document (Error() says why).
    virtual bool BeginDocument(const std::string& name) = 0;
    virtual bool BeginPage() = 0;
    virtual void EndPage() = 0;
    // False when the document could not be finished.
    virtual bool EndDocument() = 0;
    // Drops a document begun (a stopped job).
    virtual void AbortDocument() {}
    virtual std::string Error() const { return {}; }

    virtual double TextWidth(const std::string& text, const Font& font) const = 0;
    // From the top of the tallest letter to the bottom of the lowest.
    virtual double TextHeight(const Font& font) const = 0;
    // Text whose box's top-left corner is (x, y).
    virtual void DrawText(double x, double y, const std::string& text, const Font& font, Color c) = 0;
    virtual void DrawLine(double x0, double y0, double x1, double y1, double width, Color c) = 0;
    virtual void FillRect(double x, double y, double w, double h, Color c) = 0;
    // Drawing is limited to the rectangle until PopClip.
    virtual void PushClip(double x, double y, double w, double h) = 0;
    virtual void PopClip() = 0;
};

struct PrintOptions {
    bool column_headings = true;
    bool row_headings = false;
    bool cell_frames = true;  // thin grey lines between cells
    // Shrink the whole drawing (widths, heights, fonts, lines) so that the block's
    // columns fit across one page, never enlarging and never below kMinFitScale;
    // a block too wide even then goes across in bands at that scale.
    bool fit_width = false;
    // The document's name; empty: the grid's title (the window's), else "Strovan".
    std::string document_name;
};

// The smallest fitting scale: the grids' 8-point text prints at 6 points, the
// smallest that still reads easily on paper.
inline constexpr double kMinFitScale = 0.75;

// Where page text goes: the foot (bottom margin) or the head (top margin).
enum class PagePosition { Head, Foot };

// The font of page texts: Times New Roman, 10 points, light.
Font PageTextFont();

// Writes one line in a page margin. With no text it is "Page: N" at the foot and
// the window title at the head. Alignment 0 left (x = 0), 2 right (20 units from the
// right edge), otherwise centred; the text is centred in the margin's height.
void PrintPageText(Canvas& canvas, const GridModel::Margins& margins, PagePosition position,
                   int alignment, int page, const std::string& text,
                   const std::string& window_title = {});

// The pages a block of a grid needs on a canvas with given margins (mm).
class PageLayout {
public:
    PageLayout(const GridModel& grid, int col0, int64_t row0, int col1, int64_t row1,
               const Canvas& canvas, const GridModel::Margins& margins,
               const PrintOptions& options = {});
    int PageCount() const { return static_cast<int>(row_pages_.size() * bands_.size()); }
    // Pages from 1.
    void DrawPage(Canvas& canvas, int page) const;

    // Layout facts, for tests and callers.
    int BandCount() const { return static_cast<int>(bands_.size()); }
    const std::vector<int>& BandColumns(int band) const { return bands_[band]; }
    int64_t FirstRowOfPage(int page) const;
    int64_t LastRowOfPage(int page) const;
    double Scale() const { return px_; }  // device units per screen pixel
    // How much the drawing is shrunk to fit the page width (1: not at all).
    double FitScale() const { return fit_; }
    // The right edge of the printable area: nothing is drawn beyond it.
    double PrintableRight() const { return page_w_ - right_; }

private:
    struct RowPage {
        int64_t first;
        int64_t last;  // inclusive; may be < first for an empty page
    };
    double ColumnWidth(int col) const;
    double RowHeight(int64_t row) const;
    // Nothing to print in the block's columns: no text, fill, border or check box.
    bool IsBlankRow(int64_t row) const;
    Font Scaled(const Font& f) const;
    void DrawCellText(Canvas& canvas, double x, double y, double w, double h,
                      const std::string& text, const CellFormat& f, bool heading,
                      double overflow_w = 0) const;

    const GridModel& grid_;
    int col0_, col1_;
    int64_t row0_, row1_;
    GridModel::Margins margins_;
    PrintOptions options_;
    double page_w_, page_h_;
    double left_, top_, right_, bottom_;  // device units
    double px_;                           // device units per pixel (96 per inch), fitted
    double fit_ = 1;
    double heading_h_ = 0;
    double row_heading_w_ = 0;
    std::vector<std::vector<int>> bands_;
    std::vector<RowPage> row_pages_;
};

// The print job around the layout.
enum class PrintResult {
    Refused,    // nothing to print (the user was told)
    Cancelled,  // the print dialog was cancelled, or the user stopped the job
    Printed,
    Failed,     // the device refused or failed the document (the user was told)
};

// Chooses the device: shows the print dialog and returns its canvas, or nullptr when
// the user cancels.
using CanvasChooser = std::function<std::unique_ptr<Canvas>()>;

// Prints the block (first <= last; a single row or column prints too). The block is
// clamped to the grid; the document is named as PrintOptions says; paged = a "Page: N" footer
// on every page. The grid's printing flag is set while the job runs.
PrintResult PrintGridJob(GridModel& grid, int col0, int64_t row0, int col1, int64_t row1,
                         bool paged, const CanvasChooser& choose, ui::UiPort& ui,
                         const PrintOptions& options = {});

// The printer the program prints on. The Qt front end installs its print dialog
// here, so Qt-free forms and reports print through PrintGrid / PrintGridPaged; with
// nothing installed (headless) every print is cancelled. Tests install their own.
void SetPrinterChooser(CanvasChooser chooser);
const CanvasChooser& PrinterChooser();

// The windows' print commands: the block on the installed printer, plain or with the
// "Page: N" footer, using the grid's print margins. True unless there was nothing
// to print.
bool PrintGrid(GridModel& grid, int col0, int64_t row0, int col1, int64_t row1, ui::UiPort& ui,
               const PrintOptions& options = {});
bool PrintGridPaged(GridModel& grid, int col0, int64_t row0, int col1, int64_t row1, ui::UiPort& ui,
                    const PrintOptions& options = {});

}  // namespace grid
