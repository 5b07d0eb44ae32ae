#include "grid_print_qt.h"

#include <filesystem>

#include <QApplication>
#include <QFontMetricsF>
#include <QPrintDialog>
#include <QPrinter>

#include "ui/ui_port.h"

namespace gui {

QtCanvas::QtCanvas(QImage& image) : device_(&image) {}

QtCanvas::QtCanvas(std::unique_ptr<QPrinter> printer, std::string pdf_target)
    : printer_(std::move(printer)), device_(printer_.get()), pdf_target_(std::move(pdf_target)) {
    if (!pdf_target_.empty()) {
        temp_ = pdf_target_ + ".part";
        printer_->setOutputFormat(QPrinter::PdfFormat);
        printer_->setOutputFileName(QString::fromStdString(temp_));
    }
}

QtCanvas::~QtCanvas() {
    if (painter_.isActive()) AbortDocument();
}

double QtCanvas::PageWidth() const { return device_->width(); }
double QtCanvas::PageHeight() const { return device_->height(); }
double QtCanvas::UnitsPerInch() const { return device_->logicalDpiY(); }

bool QtCanvas::BeginDocument(const std::string& name) {
    if (printer_) printer_->setDocName(QString::fromStdString(name));
    if (!painter_.begin(device_)) {
        error_ = pdf_target_.empty() ? "The printer could not be opened."
                                     : "Cannot create " + pdf_target_ + ".";
        return false;
    }
    first_page_ = true;
    return true;
}

bool QtCanvas::BeginPage() {
    if (!painter_.isActive()) return false;
    if (first_page_) {
        first_page_ = false;
        return true;
    }
    if (!printer_) {
        error_ = "An image holds one page.";
        return false;
    }
    if (!printer_->newPage()) {
        error_ = "The printer refused a new page.";
        return false;
    }
    return true;
}

bool QtCanvas::EndDocument() {
    if (!painter_.isActive()) return false;
    bool ok = painter_.end();
    if (!ok || (printer_ && printer_->printerState() == QPrinter::Error)) {
        if (error_.empty()) error_ = "The printer reported an error.";
        ok = false;
    }
    if (!pdf_target_.empty()) {
        std::error_code ec;
        if (ok) {
            std::filesystem::rename(temp_, pdf_target_, ec);
            if (ec) {
                error_ = "Cannot replace " + pdf_target_ + ": " + ec.message();
                ok = false;
            }
        }
        if (!ok) std::filesystem::remove(temp_, ec);
    }
    return ok;
}

void QtCanvas::AbortDocument() {
    if (printer_) printer_->abort();
    if (painter_.isActive()) painter_.end();
    if (!pdf_target_.empty()) {
        std::error_code ec;
        std::filesystem::remove(temp_, ec);
    }
}

const QFont& QtCanvas::ToFont(const grid::Font& f) const {
    if (!have_font_ || !(f == last_)) {
        font_ = QFont(QString::fromStdString(f.family));
        font_.setPointSizeF(f.points > 0 ? f.points : 8);
        font_.setBold(f.bold);
        font_.setItalic(f.italic);
        if (f.weight > 0) font_.setWeight(static_cast<QFont::Weight>(f.weight));
        last_ = f;
        have_font_ = true;
    }
    return font_;
}

double QtCanvas::TextWidth(const std::string& text, const grid::Font& font) const {
    return QFontMetricsF(ToFont(font), device_).horizontalAdvance(QString::fromStdString(text));
}

double QtCanvas::TextHeight(const grid::Font& font) const {
    QFontMetricsF fm(ToFont(font), device_);
    return fm.ascent() + fm.descent();
}

void QtCanvas::DrawText(double x, double y, const std::string& text, const grid::Font& font,
                        grid::Color c) {
    const QFont& f = ToFont(font);
    painter_.setFont(f);
    painter_.setPen(QColor(c.r, c.g, c.b));
    QFontMetricsF fm(f, device_);
    painter_.drawText(QPointF(x, y + fm.ascent()), QString::fromStdString(text));
}

void QtCanvas::DrawLine(double x0, double y0, double x1, double y1, double width, grid::Color c) {
    painter_.setPen(QPen(QColor(c.r, c.g, c.b), width));
    painter_.drawLine(QPointF(x0, y0), QPointF(x1, y1));
}

void QtCanvas::FillRect(double x, double y, double w, double h, grid::Color c) {
    painter_.fillRect(QRectF(x, y, w, h), QColor(c.r, c.g, c.b));
}

void QtCanvas::PushClip(double x, double y, double w, double h) {
    painter_.save();
    painter_.setClipRect(QRectF(x, y, w, h), Qt::IntersectClip);
}

void QtCanvas::PopClip() { painter_.restore(); }

// ---------------------------------------------------------------------------------
std::unique_ptr<grid::Canvas> ChoosePrinter(QWidget* parent, bool landscape) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (landscape) printer->setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(printer.get(), parent ? parent : QApplication::activeWindow());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    return std::make_unique<QtCanvas>(std::move(printer));
}

grid::PrintResult PrintGrid(grid::GridModel& grid, int col0, int64_t row0, int col1, int64_t row1,
                            bool paged, QWidget* parent, ui::UiPort& ui,
                            const grid::PrintOptions& options) {
    auto chooser = [parent] { return ChoosePrinter(parent); };
    return grid::PrintGridJob(grid, col0, row0, col1, row1, paged, chooser, ui, options);
}

namespace {
// Qt-free forms and reports print on the printer chosen in Qt's dialog.
const bool kPrinterInstalled = [] {
    grid::SetPrinterChooser([] { return ChoosePrinter(nullptr); });
    return true;
}();
}  // namespace

grid::PrintResult SaveGridPdf(grid::GridModel& grid, const std::string& path, ui::UiPort& ui,
                              bool paged, const grid::PrintOptions& options) {
    auto chooser = [&path]() -> std::unique_ptr<grid::Canvas> {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        return std::make_unique<QtCanvas>(std::move(printer), path);
    };
    return grid::PrintGridJob(grid, 0, 0, grid.ColumnCount() - 1, grid.RowCount() - 1, paged,
                              chooser, ui, options);
}

}  // namespace gui
