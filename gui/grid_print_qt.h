#pragma once
// Grid printing on Qt: a print canvas over QPainter on a QPrinter, the print dialog
// that chooses it, and PDF output through QPrinter. The layout and the job are the
// Qt-free ones of grid/grid_print.h.
#include <memory>
#include <string>

#include <QFont>
#include <QPainter>

#include "grid/grid_print.h"

class QImage;
class QPaintDevice;
class QPrinter;
class QWidget;

namespace ui { class UiPort; }

namespace gui {

class QtCanvas : public grid::Canvas {
public:
    // Draws on the printer it is given. With a PDF target, the printer writes a
    // temporary file that replaces the target only when the document is complete.
    explicit QtCanvas(std::unique_ptr<QPrinter> printer, std::string pdf_target = {});
    // Draws one page on an image (a picture of a printed page).
    explicit QtCanvas(QImage& image);
    ~QtCanvas() override;

    double PageWidth() const override;
    double PageHeight() const override;
    double UnitsPerInch() const override;
    bool BeginDocument(const std::string& name) override;
    bool BeginPage() override;
    void EndPage() override {}
    bool EndDocument() override;
    void AbortDocument() override;
    std::string Error() const override { return error_; }

    double TextWidth(const std::string& text, const grid::Font& font) const override;
    double TextHeight(const grid::Font& font) const override;
    void DrawText(double x, double y, const std::string& text, const grid::Font& font,
                  grid::Color c) override;
    void DrawLine(double x0, double y0, double x1, double y1, double width, grid::Color c) override;
    void FillRect(double x, double y, double w, double h, grid::Color c) override;
    void PushClip(double x, double y, double w, double h) override;
    void PopClip() override;

    QPrinter* Printer() { return printer_.get(); }

private:
    const QFont& ToFont(const grid::Font& f) const;

    std::unique_ptr<QPrinter> printer_;
    QPaintDevice* device_;
    QPainter painter_;
    std::string pdf_target_, temp_;
    std::string error_;
    bool first_page_ = true;
    mutable grid::Font last_;
    mutable QFont font_;
    mutable bool have_font_ = false;
};

// Qt's print dialog (no page selection); nullptr when cancelled. Installed as the
// program's printer (grid::SetPrinterChooser), so grid::PrintGrid uses it too.
// `landscape` only proposes the orientation; the user may still change it.
std::unique_ptr<grid::Canvas> ChoosePrinter(QWidget* parent, bool landscape = false);

// The plain (paged = false) or paged print of a block of a grid on the printer the
// user picks in Qt's print dialog (no page selection).
grid::PrintResult PrintGrid(grid::GridModel& grid, int col0, int64_t row0, int col1, int64_t row1,
                            bool paged, QWidget* parent, ui::UiPort& ui,
                            const grid::PrintOptions& options = {});

// The whole grid as a PDF file through Qt's PDF printer.
grid::PrintResult SaveGridPdf(grid::GridModel& grid, const std::string& path, ui::UiPort& ui,
                              bool paged = true, const grid::PrintOptions& options = {});

}  // namespace gui
