#include "grid/grid_print.h"

#include <algorithm>
#include <cstdio>

#include "ui/ui_port.h"

namespace grid {

namespace {
constexpr double kScreenDpi = 96.0;
constexpr double kMmPerInch = 25.4;
constexpr Color kFrameGrey = Color::Rgb(160, 160, 160);
constexpr Color kHeadingFill = Color::Rgb(224, 224, 224);
// How much smaller a text may be set to fit its cell on paper before it is cut.
constexpr double kMinShrink = 0.8;
}  // namespace

Font PageTextFont() { return Font{"Times New Roman", 10, false, false, 300}; }

void PrintPageText(Canvas& canvas, const GridModel::Margins& margins, PagePosition position,
                   int alignment, int page, const std::string& text,
                   const std::string& window_title) {
    std::string line = text;
    if (line.empty()) {
        if (position == PagePosition::Foot) {
            char buf[32];
            std::snprintf(buf, sizeof buf, "Page: %d", page);
            line = buf;
        } else {
            line = window_title;
        }
    }
    Font font = PageTextFont();
    // Whole device units per millimetre, as a printer reports its resolution.
    double per_mm = std::max(1.0, static_cast<double>(static_cast<int>(canvas.UnitsPerInch() / kMmPerInch)));
    double w = canvas.TextWidth(line, font);
    double h = canvas.TextHeight(font);
    double x;
    if (alignment == 0) x = 0;
    else if (alignment == 2) x = canvas.PageWidth() - w - 20;
    else x = (canvas.PageWidth() - w) / 2;
    double y = position == PagePosition::Foot
                   ? canvas.PageHeight() - margins.bottom * per_mm / 2 - h / 2
                   : margins.top * per_mm / 2 - h / 2;
    canvas.DrawText(x, y, line, font, colors::kBlack);
}

// ---------------------------------------------------------------------------------
PageLayout::PageLayout(const GridModel& grid, int col0, int64_t row0, int col1, int64_t row1,
                       const Canvas& canvas, const GridModel::Margins& margins,
                       const PrintOptions& options)
    : grid_(grid), col0_(std::max(col0, 0)), col1_(std::min(col1, grid.ColumnCount() - 1)),
      row0_(std::max<int64_t>(row0, 0)), row1_(std::min(row1, grid.RowCount() - 1)),
      margins_(margins), options_(options) {
    double upi = canvas.UnitsPerInch();
    page_w_ = canvas.PageWidth();
    page_h_ = canvas.PageHeight();
    double per_mm = upi / kMmPerInch;
    left_ = margins.left * per_mm;
    right_ = margins.right * per_mm;
    top_ = margins.top * per_mm;
    bottom_ = margins.bottom * per_mm;
    px_ = upi / kScreenDpi;
    if (options_.row_headings) {
        Font f = grid_.DefaultFont();
        row_heading_w_ = canvas.TextWidth(grid_.RowHeading(row1_), f) + 8 * px_;
        row_heading_w_ = std::max(row_heading_w_, canvas.TextWidth("0000", f) + 8 * px_);
    }
    const double printable = page_w_ - left_ - right_;
    if (options_.fit_width && printable > 0) {
        double natural = row_heading_w_;
        for (int c = col0_; c <= col1_; ++c)
            if (!grid_.IsColumnHidden(c)) natural += ColumnWidth(c);
        if (natural > printable) {
            fit_ = std::max(kMinFitScale, printable / natural);
            px_ *= fit_;
            // Scaled with everything else rather than measured again, so the sum
            // that was fitted is the sum that is drawn.
            row_heading_w_ *= fit_;
        }
    }
    heading_h_ = options_.column_headings ? grid_.DefaultRowHeight() * px_ : 0;

    // Bands of columns that fit across the paper; a column wider than the paper
    // stands alone (and is cut at the edge). The slack absorbs the rounding of a
    // fitted sum that lands exactly on the edge.
    double across = std::max(printable - row_heading_w_, 1.0) * (1 + 1e-9);
    std::vector<int> band;
    double used = 0;
    for (int c = col0_; c <= col1_; ++c) {
        if (grid_.IsColumnHidden(c)) continue;
        double w = ColumnWidth(c);
        if (!band.empty() && used + w > across) {
            bands_.push_back(std::move(band));
            band.clear();
            used = 0;
        }
        band.push_back(c);
        used += w;
    }
    if (!band.empty() || bands_.empty()) bands_.push_back(std::move(band));

    // Pages down: as many shown rows as fit under the headings. A block kept together
    // goes whole to the next page when it would be split and fits on one. Without
    // cell frames a blank row shows nothing: none starts a page after the first,
    // and a page of nothing else is not printed.
    const double down = std::max(page_h_ - top_ - bottom_ - heading_h_, 1.0);
    const bool blanks_show = options_.cell_frames;
    RowPage page{row0_, row0_ - 1};
    double filled = 0;
    bool ink = false;  // the page has a row that prints something
    auto close_page = [&] {
        if (ink || blanks_show) row_pages_.push_back(page);
    };
    for (int64_t r = row0_; r <= row1_; ++r) {
        const double h = RowHeight(r);
        if (h <= 0) {
            page.last = r;
            continue;
        }
        if (filled == 0 && !row_pages_.empty() && !blanks_show && IsBlankRow(r)) {
            page = RowPage{r + 1, r};
            continue;
        }
        double need = h;
        if (const int64_t kept = std::min(grid_.KeptUntil(r), row1_); kept > r) {
            double block = 0;
            for (int64_t k = r; k <= kept; ++k) block += RowHeight(k);
            if (block <= down) need = block;
        }
        if (filled > 0 && filled + need > down) {
            close_page();
            page = RowPage{r, r - 1};
            filled = 0;
            ink = false;
            --r;  // the row again, at the top of the new page
            continue;
        }
        page.last = r;
        filled += h;
        if (!ink) ink = blanks_show || !IsBlankRow(r);
    }
    if (ink || row_pages_.empty()) row_pages_.push_back(page);
}

bool PageLayout::IsBlankRow(int64_t row) const {
    for (int c = col0_; c <= col1_; ++c) {
        if (grid_.IsColumnHidden(c)) continue;
        if (!grid_.Text(c, row).empty() || grid_.SpanAt(c, row)) return false;
        const CellFormat f = grid_.Format(c, row);
        if (f.background || f.borders || f.kind == CellKind::CheckBox) return false;
    }
    return true;
}

double PageLayout::ColumnWidth(int col) const { return grid_.ColumnWidth(col) * px_; }
double PageLayout::RowHeight(int64_t row) const { return grid_.RowHeight(row) * px_; }

Font PageLayout::Scaled(const Font& f) const {
    if (fit_ == 1) return f;
    Font s = f;
    s.points = (f.points > 0 ? f.points : grid_.DefaultFont().points) * fit_;
    return s;
}

int64_t PageLayout::FirstRowOfPage(int page) const {
    return row_pages_[(page - 1) / bands_.size()].first;
}
int64_t PageLayout::LastRowOfPage(int page) const {
    return row_pages_[(page - 1) / bands_.size()].last;
}

void PageLayout::DrawCellText(Canvas& canvas, double x, double y, double w, double h,
                              const std::string& text, const CellFormat& f, bool heading,
                              double overflow_w) const {
    if (text.empty()) return;
    Font font = Scaled(f.font);
    double pad = 2 * px_;
    double tw = canvas.TextWidth(text, font);
    Align a = heading ? Align::Center : f.align;
    // Left-aligned text runs on over empty cells to its right, as on screen.
    double room = a == Align::Left ? std::max(w, overflow_w) : w;
    // A printer's font may run wider than the screen's the widths were made for: a
    // text a little too wide is set smaller rather than cut.
    if (tw > room - 2 * pad && room > 2 * pad && font.points > 0) {
        const double shrink = (room - 2 * pad) / tw;
        if (shrink >= kMinShrink) {
            font.points *= shrink;
            tw = canvas.TextWidth(text, font);
        }
    }
    double th = canvas.TextHeight(font);
    double tx;
    if (a == Align::Right) tx = x + w - pad - tw;
    else if (a == Align::Center) tx = x + (w - tw) / 2;
    else tx = x + pad;
    double ty = y + (h - th) / 2;
    bool clip = tw > room - 2 * pad;
    if (clip) {
        tx = std::max(tx, x + pad);
        // Only the sides are cut: a tall font may stand out of a low row.
        canvas.PushClip(x, y - th, room, h + 2 * th);
    }
    canvas.DrawText(tx, ty, text, font, f.text_color.value_or(colors::kBlack));
    if (clip) canvas.PopClip();
}

void PageLayout::DrawPage(Canvas& canvas, int page) const {
    if (page < 1 || page > PageCount()) return;
    const RowPage& rp = row_pages_[(page - 1) / bands_.size()];
    const std::vector<int>& cols = bands_[(page - 1) % bands_.size()];
    double x0 = left_ + row_heading_w_;
    std::vector<double> xs;  // left edge of each band column, then the right edge
    xs.reserve(cols.size() + 1);
    double x = x0;
    for (int c : cols) {
        xs.push_back(x);
        x += ColumnWidth(c);
    }
    xs.push_back(x);
    double right = x;
    Font head_font = grid_.DefaultFont();  // DrawCellText scales it
    CellFormat head_fmt;
    head_fmt.font = head_font;

    double y = top_;
    if (options_.column_headings) {
        canvas.FillRect(left_, y, right - left_, heading_h_, kHeadingFill);
        for (size_t i = 0; i < cols.size(); ++i)
            DrawCellText(canvas, xs[i], y, xs[i + 1] - xs[i], heading_h_, grid_.Heading(cols[i]),
                         head_fmt, true);
        y += heading_h_;
    }
    double body_top = y;

    // Rows of this page, with their top edges.
    std::vector<std::pair<int64_t, double>> rows;
    for (int64_t r = rp.first; r <= rp.last; ++r) {
        double h = RowHeight(r);
        if (h <= 0) continue;
        rows.emplace_back(r, y);
        y += h;
    }
    double bottom = y;
    bool spans = !grid_.Spans().empty();

    for (auto [r, ry] : rows) {
        double rh = RowHeight(r);
        if (options_.row_headings)
            DrawCellText(canvas, left_, ry, row_heading_w_, rh, grid_.RowHeading(r), head_fmt, true);
        for (size_t i = 0; i < cols.size(); ++i) {
            int c = cols[i];
            double cx = xs[i], cw = xs[i + 1] - xs[i], ch = rh;
            int tc = c;
            int64_t tr = r;
            size_t piece_last = i;  // last band column this cell (or span piece) covers
            if (spans) {
                if (auto sp = grid_.SpanAt(c, r)) {
                    // The span is drawn once per page, from its first piece shown here.
                    size_t first = i;
                    while (first > 0 && cols[first - 1] >= sp->col0) --first;
                    int64_t top_row = std::max(sp->row0, rp.first);
                    while (top_row < r && RowHeight(top_row) <= 0) ++top_row;
                    if (first != i || top_row != r) continue;
                    size_t last = i;
                    while (last + 1 < cols.size() && cols[last + 1] <= sp->col1) ++last;
                    cw = xs[last + 1] - cx;
                    piece_last = last;
                    ch = 0;
                    for (int64_t k = r; k <= std::min(sp->row1, rp.last); ++k) ch += RowHeight(k);
                    tc = sp->col0;
                    tr = sp->row0;
                }
            }
            CellFormat f = grid_.Format(tc, tr);
            if (f.background) canvas.FillRect(cx, ry, cw, ch, *f.background);
            if (f.kind == CellKind::CheckBox) {
                double s = std::min(cw, ch) * 0.5;
                double bx = cx + (cw - s) / 2, by = ry + (ch - s) / 2;
                Color ink = f.text_color.value_or(colors::kBlack);
                canvas.DrawLine(bx, by, bx + s, by, 0.5 * px_, ink);
                canvas.DrawLine(bx + s, by, bx + s, by + s, 0.5 * px_, ink);
                canvas.DrawLine(bx + s, by + s, bx, by + s, 0.5 * px_, ink);
                canvas.DrawLine(bx, by + s, bx, by, 0.5 * px_, ink);
                if (grid_.IsChecked(tc, tr)) {
                    canvas.DrawLine(bx, by, bx + s, by + s, px_, ink);
                    canvas.DrawLine(bx + s, by, bx, by + s, px_, ink);
                }
            } else {
                std::string text = grid_.Text(tc, tr);
                double overflow = cw;
                if (f.align == Align::Left && !text.empty() &&
                    canvas.TextWidth(text, Scaled(f.font)) > cw - 4 * px_) {
                    auto free = [&](int col) {
                        return grid_.Text(col, r).empty() && !(spans && grid_.SpanAt(col, r));
                    };
                    size_t last = piece_last;
                    while (last + 1 < cols.size() && free(cols[last + 1])) ++last;
                    overflow = xs[last + 1] - cx;
                    // A joined cell reaching the block's right end heads the table
                    // (a report title); past the block the paper is blank, so it
                    // runs on to the printable edge rather than being cut.
                    if (piece_last != i && last + 1 == cols.size()) {
                        bool clear = true;
                        for (int k = cols.back() + 1; k <= col1_ && clear; ++k)
                            clear = grid_.IsColumnHidden(k) || free(k);
                        if (clear) overflow = std::max(overflow, PrintableRight() - cx);
                    }
                }
                DrawCellText(canvas, cx, ry, cw, ch, text, f, false, overflow);
            }
            if (spans && options_.cell_frames) {
                canvas.DrawLine(cx + cw, ry, cx + cw, ry + ch, 0.5 * px_, kFrameGrey);
                canvas.DrawLine(cx, ry + ch, cx + cw, ry + ch, 0.5 * px_, kFrameGrey);
            }
            if (f.borders) {
                double lw = px_;
                if (f.borders & kBorderLeft) canvas.DrawLine(cx, ry, cx, ry + ch, lw, colors::kBlack);
                if (f.borders & kBorderTop) canvas.DrawLine(cx, ry, cx + cw, ry, lw, colors::kBlack);
                if (f.borders & kBorderRight) canvas.DrawLine(cx + cw, ry, cx + cw, ry + ch, lw, colors::kBlack);
                if (f.borders & kBorderBottom)
                    canvas.DrawLine(cx, ry + ch, cx + cw, ry + ch, lw, colors::kBlack);
            }
        }
    }

    if (options_.cell_frames) {
        double lw = 0.5 * px_;
        double top_edge = options_.column_headings ? top_ : body_top;
        if (!spans) {
            // Whole lines: two per row and column instead of four per cell.
            for (double cx : xs) canvas.DrawLine(cx, top_edge, cx, bottom, lw, kFrameGrey);
            for (auto [r, ry] : rows) canvas.DrawLine(left_, ry, right, ry, lw, kFrameGrey);
            canvas.DrawLine(left_, bottom, right, bottom, lw, kFrameGrey);
        } else {
            canvas.DrawLine(x0, top_edge, x0, bottom, lw, kFrameGrey);
            canvas.DrawLine(left_, body_top, right, body_top, lw, kFrameGrey);
        }
        if (options_.column_headings) {
            canvas.DrawLine(left_, top_, right, top_, lw, kFrameGrey);
            if (spans)
                for (double cx : xs) canvas.DrawLine(cx, top_, cx, body_top, lw, kFrameGrey);
        }
        if (options_.row_headings) canvas.DrawLine(left_, top_edge, left_, bottom, lw, kFrameGrey);
    }
}

// ---------------------------------------------------------------------------------
namespace {
class PrintingFlag {
public:
    explicit PrintingFlag(GridModel& g) : g_(g) { g_.SetPrinting(true); }
    ~PrintingFlag() { g_.SetPrinting(false); }

private:
    GridModel& g_;
};

void Failure(ui::UiPort& ui, const std::string& what, const Canvas& canvas) {
    std::string text = what;
    if (!canvas.Error().empty()) text += "\n" + canvas.Error();
    ui.MessageBox("Error", text, ui::Icon::Stop);
}
}  // namespace

PrintResult PrintGridJob(GridModel& grid, int col0, int64_t row0, int col1, int64_t row1,
                         bool paged, const CanvasChooser& choose, ui::UiPort& ui,
                         const PrintOptions& options) {
    int cols = grid.ColumnCount();
    int64_t rows = grid.RowCount();
    if (cols == 0 || rows == 0 || col0 > col1 || row0 > row1) {
        ui.MessageBox("Information", "There is nothing to print.", ui::Icon::Information);
        return PrintResult::Refused;
    }
    std::unique_ptr<Canvas> canvas = choose ? choose() : nullptr;
    if (!canvas) return PrintResult::Cancelled;

    if (col0 < 0 || col0 >= cols) col0 = 0;
    if (row0 < 0 || row0 >= rows) row0 = 0;
    if (col1 < 0 || col1 >= cols) col1 = cols - 1;
    if (row1 < 0 || row1 >= rows) row1 = rows - 1;

    PrintingFlag flag(grid);
    // The document is named for what it holds (a PDF's title, a print queue's entry).
    std::string name = !options.document_name.empty() ? options.document_name
                       : !grid.Title().empty()        ? grid.Title()
                                                      : std::string("Strovan");
    if (!canvas->BeginDocument(name)) {
        Failure(ui, "The printer did not accept the document.", *canvas);
        return PrintResult::Failed;
    }
    PageLayout layout(grid, col0, row0, col1, row1, *canvas, grid.PrintMargins(), options);
    int pages = layout.PageCount();
    ui.BeginBusy("Printing...", pages);
    for (int p = 1; p <= pages; ++p) {
        if (!canvas->BeginPage()) {
            canvas->AbortDocument();
            ui.EndBusy();
            Failure(ui, "The printer did not accept the document.", *canvas);
            return PrintResult::Failed;
        }
        layout.DrawPage(*canvas, p);
        if (paged) PrintPageText(*canvas, grid.PrintMargins(), PagePosition::Foot, 1, p, "");
        canvas->EndPage();
        if (!ui.Progress(p)) {
            canvas->AbortDocument();
            ui.EndBusy();
            return PrintResult::Cancelled;
        }
    }
    ui.EndBusy();
    if (!canvas->EndDocument()) {
        Failure(ui, "The document could not be printed.", *canvas);
        return PrintResult::Failed;
    }
    return PrintResult::Printed;
}

// ---------------------------------------------------------------------------------
namespace {
CanvasChooser& Installed() {
    static CanvasChooser chooser;
    return chooser;
}
}  // namespace

void SetPrinterChooser(CanvasChooser chooser) { Installed() = std::move(chooser); }
const CanvasChooser& PrinterChooser() { return Installed(); }

bool PrintGrid(GridModel& grid, int col0, int64_t row0, int col1, int64_t row1, ui::UiPort& ui,
               const PrintOptions& options) {
    return PrintGridJob(grid, col0, row0, col1, row1, false, Installed(), ui, options) !=
           PrintResult::Refused;
}

bool PrintGridPaged(GridModel& grid, int col0, int64_t row0, int col1, int64_t row1, ui::UiPort& ui,
                    const PrintOptions& options) {
    return PrintGridJob(grid, col0, row0, col1, row1, true, Installed(), ui, options) !=
           PrintResult::Refused;
}

}  // namespace grid
