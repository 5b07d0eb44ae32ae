#include "grid/grid_print.h"
#include "support/borrowed_canvas.h"
#include "support/recording_canvas.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include <gtest/gtest.h>

#include "grid/pdf_canvas.h"
#include "store/text_codec.h"
#include "ui/scripted_ui.h"

namespace {

namespace fs = std::filesystem;

using testsupport::RecordingCanvas;

void FillGrid(grid::GridModel& g, int cols, int64_t rows) {
    g.Unbind(cols, rows);
    for (int c = 0; c < cols; ++c) {
        g.SetHeading(c, "H" + std::to_string(c));
        for (int64_t r = 0; r < rows; ++r) g.SetText(c, r, std::to_string(c) + ":" + std::to_string(r));
    }
}

using Proxy = testsupport::BorrowedCanvas;

// A chooser that gives a fresh recording canvas, kept in `out`.
grid::CanvasChooser Give(std::unique_ptr<RecordingCanvas>& out, bool refuse = false,
                         grid::GridModel* watch = nullptr) {
    return [&out, refuse, watch]() -> std::unique_ptr<grid::Canvas> {
        out = std::make_unique<RecordingCanvas>();
        out->refuse_document = refuse;
        out->watch = watch;
        return std::make_unique<Proxy>(*out);
    };
}

}  // namespace

TEST(PrintPageText, FooterIsCentredInTheBottomMarginWithThePageNumber) {
    RecordingCanvas c;
    c.upi = 600;  // 23 whole units per millimetre
    c.w = 5100;
    c.h = 6600;
    c.BeginPage();
    grid::GridModel::Margins m{20, 20, 15, 15};
    grid::PrintPageText(c, m, grid::PagePosition::Foot, 1, 3, "");
    ASSERT_EQ(c.texts.size(), 1u);
    EXPECT_EQ(c.texts[0].text, "Page: 3");
    EXPECT_DOUBLE_EQ(c.texts[0].x, (5100 - 35) / 2.0);
    EXPECT_DOUBLE_EQ(c.texts[0].y, 6600 - 20 * 23 / 2.0 - 5);
    EXPECT_EQ(c.texts[0].font.family, "Times New Roman");
    EXPECT_EQ(c.texts[0].font.points, 10);
    EXPECT_FALSE(c.texts[0].font.bold);
    EXPECT_EQ(c.texts[0].font.weight, 300);

    grid::PrintPageText(c, m, grid::PagePosition::Head, 0, 1, "", "Strovan Summary");
    EXPECT_EQ(c.texts[1].text, "Strovan Summary");
    EXPECT_DOUBLE_EQ(c.texts[1].x, 0);
    EXPECT_DOUBLE_EQ(c.texts[1].y, 20 * 23 / 2.0 - 5);
    grid::PrintPageText(c, m, grid::PagePosition::Foot, 2, 1, "given");
    EXPECT_DOUBLE_EQ(c.texts[2].x, 5100 - 25 - 20);
}

TEST(PageLayout, ATextALittleTooWideIsSetSmallerAndAMuchWiderOneIsCut) {
    grid::GridModel g;
    g.Unbind(2, 2);
    g.SetColumnWidth(0, 50);  // 52.1 units at 100 a inch, 47.9 inside the padding
    g.SetText(0, 0, "abcdefghij");      // 50 units at 8 points: set at 7.66
    g.SetText(0, 1, "abcdefghijklmn");  // 70 units: cut
    g.SetText(1, 0, "x");
    g.SetText(1, 1, "x");
    RecordingCanvas c;
    c.scale_text = true;
    grid::PrintOptions o;
    o.column_headings = false;
    grid::PageLayout layout(g, 0, 0, 1, 1, c, {25.4, 25.4, 25.4, 25.4}, o);
    layout.DrawPage(c, 1);
    ASSERT_EQ(c.texts.size(), 4u);
    EXPECT_NEAR(c.texts[0].font.points, 8 * (50 * 100 / 96.0 - 4 * 100 / 96.0) / 50, 1e-9);
    EXPECT_EQ(c.texts[2].font.points, 8);
    EXPECT_EQ(c.clips.size(), 1u);
}

TEST(PageLayout, BlankRowsNeverStartOrMakeAPageAndKeptBlocksMoveWhole) {
    // A report's page: no headings, no frames; 900 units down (one-inch margins) hold
    // 43 rows of 20.83 units.
    grid::PrintOptions report;
    report.column_headings = false;
    report.cell_frames = false;
    grid::GridModel::Margins m{25.4, 25.4, 25.4, 25.4};
    RecordingCanvas c;
    auto layout_of = [&](grid::GridModel& g, const grid::PrintOptions& o = {}) {
        return grid::PageLayout(g, 0, 0, 1, g.RowCount() - 1, c, m, o);
    };
    auto blank = [](grid::GridModel& g, int64_t r0, int64_t r1) {
        for (int64_t r = r0; r <= r1; ++r) g.SetText(0, r, ""), g.SetText(1, r, "");
    };

    // Spacer rows at the end overflow onto no page of their own ...
    grid::GridModel g;
    FillGrid(g, 2, 46);
    blank(g, 43, 45);
    EXPECT_EQ(layout_of(g, report).PageCount(), 1);
    // ... unless a blank row prints (framed cells, a filled cell).
    EXPECT_EQ(layout_of(g).PageCount(), 2);
    g.SetBackground(1, 45, grid::colors::kReadOnlyGrey);
    EXPECT_EQ(layout_of(g, report).PageCount(), 2);

    // Spacers at a break are dropped rather than heading the next page.
    FillGrid(g, 2, 50);
    blank(g, 43, 44);
    auto spaced = layout_of(g, report);
    ASSERT_EQ(spaced.PageCount(), 2);
    EXPECT_EQ(spaced.LastRowOfPage(1), 42);
    EXPECT_EQ(spaced.FirstRowOfPage(2), 45);

    // A stratum's heading and its first rows go to the next page together; a block
    // taller than a page breaks as rows do.
    FillGrid(g, 2, 50);
    g.KeepTogether(40, 45);
    auto kept = layout_of(g, report);
    EXPECT_EQ(kept.LastRowOfPage(1), 39);
    EXPECT_EQ(kept.FirstRowOfPage(2), 40);
    FillGrid(g, 2, 100);
    g.KeepTogether(10, 70);
    EXPECT_EQ(layout_of(g, report).LastRowOfPage(1), 42);
}

TEST(PageLayout, RowsGoDownThePagesWithHeadingsRepeatedAndHiddenRowsLeftOut) {
    grid::GridModel g;
    FillGrid(g, 3, 100);
    g.SetRowHidden(5, true);
    g.SetColumnHidden(1, true);
    RecordingCanvas c;  // 100 units per inch: a 20-pixel row is 20.83 units
    grid::GridModel::Margins m{25.4, 25.4, 25.4, 25.4};  // one inch each
    grid::PageLayout layout(g, 0, 0, 2, 99, c, m);
    // 900 units down less one heading row: 42 rows a page.
    ASSERT_EQ(layout.PageCount(), 3);
    EXPECT_EQ(layout.FirstRowOfPage(1), 0);
    EXPECT_EQ(layout.LastRowOfPage(1), 42);  // 42 shown rows + the hidden one
    EXPECT_EQ(layout.FirstRowOfPage(2), 43);
    EXPECT_EQ(layout.LastRowOfPage(3), 99);
    for (int p = 1; p <= 3; ++p) {
        c.BeginPage();
        layout.DrawPage(c, p);
        EXPECT_TRUE(c.Has(p, "H0")) << p;
        EXPECT_TRUE(c.Has(p, "H2")) << p;
        EXPECT_FALSE(c.Has(p, "H1")) << p;
    }
    EXPECT_TRUE(c.Has(1, "0:4"));
    EXPECT_FALSE(c.Has(1, "0:5"));
    EXPECT_TRUE(c.Has(1, "2:42"));
    EXPECT_TRUE(c.Has(2, "0:43"));
    EXPECT_FALSE(c.Has(2, "0:42"));
}

TEST(PageLayout, WideGridsGoAcrossInBandsOfColumns) {
    grid::GridModel g;
    FillGrid(g, 10, 3);
    for (int col = 0; col < 10; ++col) g.SetColumnWidth(col, 192);  // two inches
    RecordingCanvas c;  // 8.5 in wide, 7.5 in between the margins: 3 columns a band
    grid::PageLayout layout(g, 0, 0, 9, 2, c, {25.4, 25.4, 12.7, 12.7});
    ASSERT_EQ(layout.BandCount(), 4);
    EXPECT_EQ(layout.BandColumns(0), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(layout.BandColumns(3), (std::vector<int>{9}));
    EXPECT_EQ(layout.PageCount(), 4);
    c.BeginPage();
    layout.DrawPage(c, 2);
    EXPECT_TRUE(c.Has(1, "H3"));
    EXPECT_TRUE(c.Has(1, "5:2"));
    EXPECT_FALSE(c.Has(1, "6:2"));
}

TEST(PageLayout, AJoinedBlockIsDrawnOnceAcrossItsColumnsWithItsTopLeftText) {
    grid::GridModel g;
    g.Unbind(9, 4);
    g.SetColumnHeadingsShown(false);
    g.SetText(1, 0, "Strovan Report - Based on Net Board Foot Volume");
    g.SetText(2, 0, "covered");
    g.Join(1, 0, 7, 0);
    g.SetFont(1, 0, grid::Font{"Arial", 20, true});
    g.SetShaded(0, 2, true);
    RecordingCanvas c;
    grid::PageLayout layout(g, 0, 0, 8, 3, c, {20, 20, 12, 12}, {.column_headings = false});
    c.BeginPage();
    layout.DrawPage(c, 1);
    auto texts = c.TextsOnPage(1);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Strovan Report - Based on Net Board Foot Volume"), 1);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "covered"), 0);
    auto title = std::find_if(c.texts.begin(), c.texts.end(), [](auto& t) { return t.text.size() > 20; });
    EXPECT_EQ(title->font.points, 20);
    EXPECT_TRUE(title->font.bold);
    ASSERT_EQ(c.fills.size(), 1u);  // the shaded cell
}

TEST(PageLayout, LongTextRunsOnOverEmptyCellsToItsRightAndIsCutAtTheNextText) {
    grid::GridModel g;
    g.Unbind(4, 2);
    g.SetColumnHeadingsShown(false);
    for (int c = 0; c < 4; ++c) g.SetColumnWidth(c, 96);  // one inch, 100 units
    std::string long_text(100, 'x');                       // 500 units wide
    g.SetText(0, 0, long_text);
    g.SetText(0, 1, long_text);
    g.SetText(2, 1, "next");
    RecordingCanvas c;
    grid::PageLayout layout(g, 0, 0, 3, 1, c, {25.4, 25.4, 12.7, 12.7}, {.column_headings = false});
    c.BeginPage();
    layout.DrawPage(c, 1);
    ASSERT_EQ(c.clips.size(), 2u);
    EXPECT_DOUBLE_EQ(c.clips[0].second, 400);  // row 0: all four columns are free
    EXPECT_DOUBLE_EQ(c.clips[1].second, 200);  // row 1: stops before "next"
    EXPECT_DOUBLE_EQ(c.clips[0].first, 50);
}

// Ten two-inch columns on 8.5 x 11 in paper at 100 units per inch with half-inch
// sides: 750 units across, 200 units a column unscaled.
TEST(PageLayout, FittingShrinksNoFurtherThanTheReadableLimitAndThenGoesInBands) {
    grid::GridModel g;
    FillGrid(g, 10, 3);
    for (int col = 0; col < 10; ++col) g.SetColumnWidth(col, 192);
    RecordingCanvas c;
    grid::GridModel::Margins m{25.4, 25.4, 12.7, 12.7};
    grid::PageLayout plain(g, 0, 0, 9, 2, c, m);
    EXPECT_EQ(plain.BandCount(), 4);  // 3 + 3 + 3 + 1
    EXPECT_DOUBLE_EQ(plain.FitScale(), 1);

    // Fitting all 2000 units would need 0.375: held at the limit, 150 units a
    // column, five a band.
    grid::PageLayout fitted(g, 0, 0, 9, 2, c, m, {.fit_width = true});
    EXPECT_DOUBLE_EQ(fitted.FitScale(), grid::kMinFitScale);
    EXPECT_DOUBLE_EQ(fitted.Scale(), 100 / 96.0 * grid::kMinFitScale);
    ASSERT_EQ(fitted.BandCount(), 2);
    EXPECT_EQ(fitted.BandColumns(0), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(fitted.PageCount(), 2);
}

TEST(PageLayout, FittingPutsTheColumnsOnOnePageAcrossAndMoreRowsOnAPage) {
    grid::GridModel g;
    FillGrid(g, 6, 100);
    for (int col = 0; col < 6; ++col) g.SetColumnWidth(col, 144);  // 150 units: 900 in all
    RecordingCanvas c;
    c.scale_text = true;
    grid::GridModel::Margins m{25.4, 25.4, 12.7, 12.7};  // 750 across, 900 down
    grid::PageLayout plain(g, 0, 0, 5, 99, c, m);
    // 20-pixel rows of 20.83 units: 42 under the heading, three pages down, two bands.
    EXPECT_EQ(plain.BandCount(), 2);
    EXPECT_EQ(plain.PageCount(), 6);

    grid::PageLayout fitted(g, 0, 0, 5, 99, c, m, {.fit_width = true});
    const double fit = 750.0 / 900.0;
    EXPECT_NEAR(fitted.FitScale(), fit, 1e-12);
    ASSERT_EQ(fitted.BandCount(), 1);  // the sum lands exactly on the edge
    // Rows of 17.36 units: 50 a page under the heading, two pages.
    EXPECT_EQ(fitted.PageCount(), 2);
    EXPECT_EQ(fitted.LastRowOfPage(1), 49);
    for (int p = 1; p <= fitted.PageCount(); ++p) {
        c.BeginPage();
        fitted.DrawPage(c, p);
    }
    EXPECT_TRUE(c.Has(1, "5:0"));
    EXPECT_TRUE(c.Has(2, "5:99"));
    EXPECT_LE(c.max_x, fitted.PrintableRight() + 1e-9);
    EXPECT_GT(c.max_x, fitted.PrintableRight() - 1);  // the block does use the width
    // Fonts shrink with the cells: the grid's 8 points and the headings alike.
    for (const auto& t : c.texts) EXPECT_NEAR(t.font.points, 8 * fit, 1e-9) << t.text;
}

TEST(PageLayout, FittingNeverEnlargesANarrowBlock) {
    grid::GridModel g;
    FillGrid(g, 2, 5);
    RecordingCanvas c;
    grid::PageLayout fitted(g, 0, 0, 1, 4, c, {25.4, 25.4, 12.7, 12.7}, {.fit_width = true});
    EXPECT_DOUBLE_EQ(fitted.FitScale(), 1);
    EXPECT_DOUBLE_EQ(fitted.Scale(), 100 / 96.0);
    c.BeginPage();
    fitted.DrawPage(c, 1);
    for (const auto& t : c.texts) EXPECT_EQ(t.font.points, 8);
}

TEST(PageLayout, FittedRowHeadingsAndBordersStayWithinThePrintableWidth) {
    grid::GridModel g;
    FillGrid(g, 11, 30);
    for (int col = 0; col < 11; ++col) g.SetColumnWidth(col, 80);  // 917 units and the headings
    g.SetBordersRange(0, 0, 10, 29, grid::kBorderAll);
    g.SetBackground(10, 3, grid::Color::Rgb(200, 200, 200));
    RecordingCanvas c;
    c.scale_text = true;
    grid::PageLayout fitted(g, 0, 0, 10, 29, c, {25.4, 25.4, 12.7, 12.7},
                            {.row_headings = true, .fit_width = true});
    ASSERT_EQ(fitted.BandCount(), 1);
    EXPECT_LT(fitted.FitScale(), 1);
    c.BeginPage();
    fitted.DrawPage(c, 1);
    EXPECT_TRUE(c.Has(1, "10:29"));
    EXPECT_LE(c.max_x, fitted.PrintableRight() + 1e-9);
}

TEST(PageLayout, AJoinedTitleOverTheWholeBlockRunsOnToThePrintableEdgeAndNoFurther) {
    grid::GridModel g;
    g.Unbind(3, 2);
    g.SetColumnHeadingsShown(false);
    for (int c = 0; c < 3; ++c) g.SetColumnWidth(c, 96);  // 100 units each
    g.SetText(0, 0, std::string(80, 't'));                 // 400 units: wider than the block
    g.Join(0, 0, 2, 0);
    g.SetText(0, 1, std::string(80, 'p'));                 // the same text, not joined
    RecordingCanvas c;                                      // printable right edge: 800
    grid::PageLayout layout(g, 0, 0, 2, 1, c, {25.4, 25.4, 12.7, 12.7}, {.column_headings = false});
    c.BeginPage();
    layout.DrawPage(c, 1);
    auto title = std::find_if(c.texts.begin(), c.texts.end(), [](auto& t) { return t.text[0] == 't'; });
    ASSERT_NE(title, c.texts.end());
    EXPECT_DOUBLE_EQ(title->x, 50 + 2 * 100 / 96.0);  // not pushed left
    // The title is drawn whole; only the plain cell is cut at the block's edge.
    ASSERT_EQ(c.clips.size(), 1u);
    EXPECT_DOUBLE_EQ(c.clips[0].second, 300);

    // Longer than the paper: cut at the printable edge.
    g.SetText(0, 0, std::string(200, 't'));
    c.clips.clear();
    c.max_x = 0;
    layout.DrawPage(c, 1);
    ASSERT_EQ(c.clips.size(), 2u);
    EXPECT_DOUBLE_EQ(c.clips[0].first + c.clips[0].second, layout.PrintableRight());
    EXPECT_LE(c.max_x, layout.PrintableRight());
}

TEST(PrintGridJob, ASingleRowOrColumnPrintsAndAnEmptyGridIsRefusedWithAMessage) {
    grid::GridModel g;
    FillGrid(g, 1, 1);
    ui::ScriptedUi ui;
    std::unique_ptr<RecordingCanvas> c;
    EXPECT_EQ(grid::PrintGridJob(g, 0, 0, 0, 0, false, Give(c), ui), grid::PrintResult::Printed);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->pages, 1);
    EXPECT_TRUE(c->Has(1, "0:0"));
    // The document is named for the grid's window, or for the program when it has none.
    EXPECT_EQ(c->doc_name, "Strovan");
    g.SetTitle("Recon Data - Sample Size Report");
    grid::PrintGridJob(g, 0, 0, 0, 0, false, Give(c), ui);
    EXPECT_EQ(c->doc_name, "Recon Data - Sample Size Report");
    grid::PrintOptions named;
    named.document_name = "Summary of 54321";
    grid::PrintGridJob(g, 0, 0, 0, 0, false, Give(c), ui, named);
    EXPECT_EQ(c->doc_name, "Summary of 54321");
    EXPECT_TRUE(ui.Messages().empty());

    grid::GridModel empty;
    empty.Unbind(3, 0);
    c.reset();
    EXPECT_EQ(grid::PrintGridJob(empty, 0, 0, 2, -1, false, Give(c), ui), grid::PrintResult::Refused);
    EXPECT_FALSE(c);  // no dialog
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "There is nothing to print.");
}

TEST(PrintGridJob, PagedPrintNumbersEveryPageAndClampsTheRange) {
    grid::GridModel g;
    FillGrid(g, 2, 100);
    g.SetPrintMargins({20, 20, 15, 15});
    ui::ScriptedUi ui;
    std::unique_ptr<RecordingCanvas> c;
    auto chooser = Give(c, false, &g);
    // A last row past the end is the grid's last row.
    ASSERT_EQ(grid::PrintGridJob(g, 0, 0, 1, 500, true, chooser, ui), grid::PrintResult::Printed);
    ASSERT_GE(c->pages, 2);
    for (int p = 1; p <= c->pages; ++p) EXPECT_TRUE(c->Has(p, "Page: " + std::to_string(p))) << p;
    EXPECT_TRUE(c->Has(c->pages, "1:99"));
    EXPECT_TRUE(c->printing_seen);
    EXPECT_FALSE(g.Printing());
    EXPECT_TRUE(c->ended);

    // The plain print has no footer.
    ASSERT_EQ(grid::PrintGridJob(g, 0, 0, 1, 99, false, chooser, ui), grid::PrintResult::Printed);
    for (const auto& t : c->texts) EXPECT_EQ(t.text.rfind("Page:", 0), std::string::npos);
}

TEST(PrintGridJob, CancelPrintsNothingAndARefusedDocumentIsReported) {
    grid::GridModel g;
    FillGrid(g, 2, 2);
    ui::ScriptedUi ui;
    EXPECT_EQ(grid::PrintGridJob(g, 0, 0, 1, 1, true, [] { return std::unique_ptr<grid::Canvas>(); }, ui),
              grid::PrintResult::Cancelled);
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_FALSE(g.Printing());

    std::unique_ptr<RecordingCanvas> c;
    EXPECT_EQ(grid::PrintGridJob(g, 0, 0, 1, 1, true, Give(c, true), ui), grid::PrintResult::Failed);
    EXPECT_EQ(c->pages, 0);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].title, "Error");
    EXPECT_NE(ui.Messages()[0].text.find("out of paper"), std::string::npos);
    EXPECT_FALSE(g.Printing());
}

// ---------------------------------------------------------------------------------
TEST(PdfCanvas, StandardFontMetricsAndEncoding) {
    grid::Font helv{"Arial", 10, false, false};
    grid::Font bold{"Ariel", 10, true, false};
    grid::Font times = grid::PageTextFont();
    EXPECT_EQ(grid::PdfCanvas::BaseFontName(helv), "Helvetica");
    EXPECT_EQ(grid::PdfCanvas::BaseFontName(bold), "Helvetica-Bold");
    EXPECT_EQ(grid::PdfCanvas::BaseFontName(times), "Times-Roman");
    EXPECT_EQ(grid::PdfCanvas::BaseFontName({"MS Sans Serif", 8, false, false}), "Helvetica");
    // "Page: 1" in Times 10: P 556 a 444 g 500 e 444 : 278 space 250 1 500.
    EXPECT_DOUBLE_EQ(grid::PdfCanvas::StandardTextWidth("Page: 1", times), 29.72);
    EXPECT_DOUBLE_EQ(grid::PdfCanvas::StandardTextWidth("W", helv), 9.44);
    EXPECT_DOUBLE_EQ(grid::PdfCanvas::StandardTextWidth("W", bold), 9.44);
    EXPECT_DOUBLE_EQ(grid::PdfCanvas::StandardTextWidth("ii", helv), 4.44);
    EXPECT_DOUBLE_EQ(grid::PdfCanvas::StandardTextWidth("ii", bold), 5.56);
    EXPECT_EQ(grid::PdfCanvas::ToWinAnsi("caf\xC3\xA9 \xE2\x82\xAC\t"), "caf\xE9 \x80 ");
    EXPECT_EQ(grid::PdfCanvas::ToWinAnsi("\xC3"), "?");
    // Every character a cruise file can hold prints as itself, the 80-9F range included.
    for (int b = 0xA0 - 32; b <= 0xFF; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const bool unassigned = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
        EXPECT_EQ(grid::PdfCanvas::ToWinAnsi(store::Cp1252ToUtf8(byte)), unassigned ? "?" : byte) << b;
    }
    EXPECT_EQ(grid::PdfCanvas::ToWinAnsi("\xC5\x81\xC3\xB3" "d\xC5\xBA \xE6\xA3\xAE"), "?\xF3" "d? ?");
}

namespace {
std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Every object the cross-reference table names starts where it says.
void ExpectConsistentPdf(const std::string& pdf, int pages) {
    ASSERT_EQ(pdf.rfind("%PDF-1.4", 0), 0u);
    ASSERT_NE(pdf.find("%%EOF"), std::string::npos);
    size_t sx = pdf.rfind("startxref\n");
    ASSERT_NE(sx, std::string::npos);
    size_t xref = std::stoul(pdf.substr(sx + 10));
    ASSERT_EQ(pdf.compare(xref, 5, "xref\n"), 0);
    std::istringstream in(pdf.substr(xref + 5));
    int first, count;
    in >> first >> count;
    std::string off, gen, kind;
    in >> off >> gen >> kind;  // the free head
    for (int n = 1; n < count; ++n) {
        in >> off >> gen >> kind;
        ASSERT_EQ(kind, "n");
        std::string head = std::to_string(n) + " 0 obj";
        EXPECT_EQ(pdf.compare(std::stoul(off), head.size(), head), 0) << n;
    }
    EXPECT_NE(pdf.find("/Count " + std::to_string(pages) + " "), std::string::npos);
}
}  // namespace

TEST(PdfCanvas, APrintedGridIsAWholeConsistentFile) {
    fs::path dir = fs::temp_directory_path() / ("grid_pdf_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::string path = (dir / "out.pdf").string();
    grid::GridModel g;
    FillGrid(g, 4, 300);
    g.SetText(0, 0, "(paren) back\\slash");
    ui::ScriptedUi ui;
    int pages = 0;
    auto chooser = [&]() -> std::unique_ptr<grid::Canvas> { return std::make_unique<grid::PdfCanvas>(path); };
    ASSERT_EQ(grid::PrintGridJob(g, 0, 0, 3, 299, true, chooser, ui), grid::PrintResult::Printed);
    std::string pdf = ReadAll(path);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(pdf, m, std::regex("/Count (\\d+) ")));
    pages = std::stoi(m[1]);
    EXPECT_GT(pages, 5);
    ExpectConsistentPdf(pdf, pages);
    EXPECT_NE(pdf.find("/BaseFont /Times-Roman"), std::string::npos);
    EXPECT_NE(pdf.find("/BaseFont /Helvetica"), std::string::npos);
    EXPECT_FALSE(fs::exists(path + ".part"));

    // A document stopped half-way leaves the earlier file as it was.
    {
        grid::PdfCanvas c(path);
        ASSERT_TRUE(c.BeginDocument("Strovan"));
        ASSERT_TRUE(c.BeginPage());
        c.DrawText(10, 10, "half", grid::Font{"Arial", 10}, grid::colors::kBlack);
        c.EndPage();
        c.AbortDocument();
    }
    EXPECT_EQ(ReadAll(path), pdf);
    EXPECT_FALSE(fs::exists(path + ".part"));

    // A folder that is not there: the document is refused and the user told why.
    auto nowhere = [&]() -> std::unique_ptr<grid::Canvas> {
        return std::make_unique<grid::PdfCanvas>((dir / "missing" / "x.pdf").string());
    };
    EXPECT_EQ(grid::PrintGridJob(g, 0, 0, 3, 299, true, nowhere, ui), grid::PrintResult::Failed);
    ASSERT_FALSE(ui.Messages().empty());
    EXPECT_NE(ui.Messages().back().text.find("missing"), std::string::npos);
    fs::remove_all(dir);
}

TEST(PrintGrid, PrintsOnTheInstalledPrinterAndIsCancelledWithoutOne) {
    grid::GridModel g;
    FillGrid(g, 2, 2);
    ui::ScriptedUi ui;
    grid::CanvasChooser before = grid::PrinterChooser();
    grid::SetPrinterChooser(nullptr);
    EXPECT_TRUE(grid::PrintGridPaged(g, 0, 0, 1, 1, ui));  // the dialog is "shown" and cancelled
    std::unique_ptr<RecordingCanvas> c;
    grid::SetPrinterChooser(Give(c));
    EXPECT_TRUE(grid::PrintGridPaged(g, 0, 0, 1, 1, ui));
    ASSERT_TRUE(c);
    EXPECT_TRUE(c->Has(1, "Page: 1"));
    EXPECT_TRUE(grid::PrintGrid(g, 0, 0, 1, 1, ui));
    EXPECT_FALSE(c->Has(1, "Page: 1"));
    grid::GridModel empty;
    EXPECT_FALSE(grid::PrintGrid(empty, 0, 0, 0, 0, ui));
    grid::SetPrinterChooser(before);
}
