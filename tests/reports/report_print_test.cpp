// The report windows' print: the setup forms fit a landscape sheet across, the recon
// reports' title prints whole, the summary prints as it always has.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <unistd.h>

#include <gtest/gtest.h>

#include "support/borrowed_canvas.h"
#include "grid/pdf_canvas.h"
#include "mk/mk.h"
#include "reports/report_sample.h"
#include "reports/report_window.h"
#include "ui/scripted_ui.h"

namespace fs = std::filesystem;
using reports::ReportKind;

namespace {

// A sheet measured like the PDF writer (points, standard font widths) that records
// the rightmost ink and every text with the clip it was drawn in.
class SheetCanvas : public grid::Canvas {
public:
    struct Text {
        int page;
        double x;
        std::string text;
        grid::Font font;
        double clip_right;  // +inf without a clip
    };
    SheetCanvas(double w, double h) : w_(w), h_(h) {}
    double PageWidth() const override { return w_; }
    double PageHeight() const override { return h_; }
    double UnitsPerInch() const override { return 72; }
    bool BeginDocument(const std::string& name) override {
        doc_name = name;
        return true;
    }
    bool BeginPage() override { return ++pages, true; }
    void EndPage() override {}
    bool EndDocument() override { return true; }
    double TextWidth(const std::string& t, const grid::Font& f) const override {
        return grid::PdfCanvas::StandardTextWidth(t, f);
    }
    double TextHeight(const grid::Font& f) const override { return f.points; }
    void DrawText(double x, double, const std::string& t, const grid::Font& f, grid::Color) override {
        double clip = clips_.empty() ? 1e300 : clips_.back();
        texts.push_back({pages, x, t, f, clip});
        max_x = std::max(max_x, std::min(x + TextWidth(t, f), clip));
    }
    void DrawLine(double x0, double, double x1, double, double, grid::Color) override {
        max_x = std::max({max_x, x0, x1});
    }
    void FillRect(double x, double, double w, double, grid::Color) override { max_x = std::max(max_x, x + w); }
    void PushClip(double x, double, double w, double) override { clips_.push_back(x + w); }
    void PopClip() override { clips_.pop_back(); }

    int pages = 0;
    double max_x = 0;
    std::vector<Text> texts;
    std::string doc_name;
    bool Has(int page, const std::string& text) const {
        return std::any_of(texts.begin(), texts.end(), [&](const Text& t) { return t.page == page && t.text == text; });
    }

private:
    double w_, h_;
    std::vector<double> clips_;
};

using Borrowed = testsupport::BorrowedCanvas;

constexpr double kLetterLandscapeW = grid::PdfCanvas::kLetterHeight, kLetterLandscapeH = grid::PdfCanvas::kLetterWidth;

class ReportPrint : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        fs::path dir = fs::temp_directory_path() / ("report_print_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        std::string path = (dir / "sale.crz").string();
        {
            auto st = mk::Storage::Create(path);
            ASSERT_TRUE(st.ok());
            reports::SampleShape shape;
            shape.strata = 12;  // every method once
            shape.groups = 4;
            shape.units = 20;
            reports::WriteSampleDesign(*st, shape);
            ASSERT_TRUE(st->Commit().ok());
        }
        auto st = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
        ASSERT_TRUE(st.ok());
        inputs_ = new reports::ReportInputs(reports::ReadReportInputs(*st));
        fs::remove_all(dir);
    }
    static void TearDownTestSuite() {
        delete inputs_;
        inputs_ = nullptr;
    }
    static double NaturalWidthPoints(const grid::GridModel& g) {
        double w = 0;
        for (int c = 0; c < g.ColumnCount(); ++c) w += g.ColumnWidth(c) * 72.0 / 96.0;
        return w;
    }
    static reports::ReportInputs* inputs_;
};
reports::ReportInputs* ReportPrint::inputs_ = nullptr;

}  // namespace

TEST_F(ReportPrint, SetupFormsPrintWholeAcrossALandscapeSheet) {
    for (ReportKind k : {ReportKind::Kelvane, ReportKind::Mirtel}) {
        SCOPED_TRACE(reports::KindName(k));
        EXPECT_TRUE(reports::PrintsLandscape(k));
        auto rep = reports::BuildReport(k, *inputs_);
        const grid::GridModel& g = rep->Grid();
        SheetCanvas sheet(kLetterLandscapeW, kLetterLandscapeH);
        const double printable = kLetterLandscapeW - 2 * 10 * 72 / 25.4;  // 10 mm sides
        // The case worth printing: the form is wider than the sheet as laid out.
        ASSERT_GT(NaturalWidthPoints(g), printable);

        grid::PageLayout banded(g, 0, 0, g.ColumnCount() - 1, g.RowCount() - 1, sheet, g.PrintMargins(),
                                {.column_headings = false, .cell_frames = false});
        EXPECT_GE(banded.BandCount(), 2);

        grid::PageLayout fitted(g, 0, 0, g.ColumnCount() - 1, g.RowCount() - 1, sheet, g.PrintMargins(),
                                reports::ReportPrintOptions(k));
        EXPECT_EQ(fitted.BandCount(), 1);
        EXPECT_NEAR(fitted.FitScale(), printable / NaturalWidthPoints(g), 1e-9);
        EXPECT_GE(fitted.FitScale(), grid::kMinFitScale);
        // Fewer sheets: one band, and more rows on each.
        EXPECT_LT(fitted.PageCount(), banded.PageCount());
    }
}

TEST_F(ReportPrint, ThePrintCommandFitsTheFormAndDrawsNothingPastThePrintableEdge) {
    ui::ScriptedUi ui;
    reports::ReportWindowForm w(ui, ReportKind::Kelvane, reports::BuildReport(ReportKind::Kelvane, *inputs_));
    std::ostringstream before;
    w.Report().WriteText(before);
    SheetCanvas sheet(kLetterLandscapeW, kLetterLandscapeH);
    ASSERT_EQ(w.Print([&]() -> std::unique_ptr<grid::Canvas> { return std::make_unique<Borrowed>(sheet); }),
              grid::PrintResult::Printed);
    const double right = kLetterLandscapeW - 10 * 72 / 25.4;
    EXPECT_LE(sheet.max_x, right + 1e-6);
    // "Cruise Number:" sits at column 20 of the title row: on the first sheet now.
    auto cruise = std::find_if(sheet.texts.begin(), sheet.texts.end(),
                               [](const auto& t) { return t.text.rfind("Cruise Number: ", 0) == 0; });
    ASSERT_NE(cruise, sheet.texts.end());
    EXPECT_EQ(cruise->page, 1);
    // The section titles shrink with the cells.
    auto section = std::find_if(sheet.texts.begin(), sheet.texts.end(),
                                [](const auto& t) { return t.text == "Cruise Table"; });
    ASSERT_NE(section, sheet.texts.end());
    EXPECT_LT(section->font.points, reports::kSectionFont.points);
    // Printing leaves the widths the text save lays its fields out by.
    std::ostringstream after;
    w.Report().WriteText(after);
    EXPECT_EQ(after.str(), before.str());
}

TEST_F(ReportPrint, ReconTitleIsDrawnWholeOnPortraitPaper) {
    for (ReportKind k : {ReportKind::ReconCurrent, ReportKind::ReconAll}) {
        SCOPED_TRACE(reports::KindName(k));
        EXPECT_FALSE(reports::PrintsLandscape(k));
        auto rep = reports::BuildRecon(*inputs_, k == ReportKind::ReconAll);
        const grid::GridModel& g = rep->Grid();
        const std::string title = rep->Raw(0, 0);
        for (double width : {grid::PdfCanvas::kLetterWidth, grid::PdfCanvas::kA4Width}) {
            SheetCanvas sheet(width, grid::PdfCanvas::kA4Height);
            // Wider than the nine columns it is joined over...
            ASSERT_GT(sheet.TextWidth(title, g.Format(0, 0).font), NaturalWidthPoints(g));
            grid::PageLayout layout(g, 0, 0, 8, g.RowCount() - 1, sheet, g.PrintMargins(),
                                    reports::ReportPrintOptions(k));
            EXPECT_EQ(layout.FitScale(), 1);  // the columns fit as they are
            sheet.BeginPage();
            layout.DrawPage(sheet, 1);
            auto t = std::find_if(sheet.texts.begin(), sheet.texts.end(),
                                  [&](const auto& x) { return x.text == title; });
            ASSERT_NE(t, sheet.texts.end());
            // ...yet drawn whole, in its own font, inside the printable width.
            double end = t->x + sheet.TextWidth(title, t->font);
            EXPECT_EQ(t->font, reports::kTitleFont);
            EXPECT_GE(t->clip_right, end);
            EXPECT_LE(end, layout.PrintableRight());
            EXPECT_LE(sheet.max_x, layout.PrintableRight() + 1e-6);
        }
    }
}

TEST(ReportPrintOptions, OnlyTheSummaryKeepsItsNaturalSize) {
    EXPECT_FALSE(reports::ReportPrintOptions(ReportKind::Summary).fit_width);
    for (ReportKind k : {ReportKind::Kelvane, ReportKind::Mirtel, ReportKind::ReconCurrent, ReportKind::ReconAll}) {
        grid::PrintOptions o = reports::ReportPrintOptions(k);
        EXPECT_TRUE(o.fit_width) << reports::KindName(k);
        EXPECT_FALSE(o.column_headings);
        EXPECT_FALSE(o.cell_frames);
    }
    EXPECT_FALSE(reports::PrintsLandscape(ReportKind::Summary));
}

TEST_F(ReportPrint, SummaryPagesKeepEachStratumHeadingWithItsRowsAndEndOnContent) {
    auto rep = reports::BuildReport(ReportKind::Summary, *inputs_);
    grid::GridModel& g = rep->Grid();
    std::vector<int64_t> headings;
    for (int64_t r = 0; r < g.RowCount(); ++r)
        if (g.Text(0, r) == "Strata Code") headings.push_back(r);
    ASSERT_EQ(headings.size(), 12u);
    ASSERT_TRUE(g.Text(0, g.RowCount() - 1).empty()) << "the report ends on a spacer row";
    // Paper of many heights, so that page breaks fall everywhere in the strata.
    for (double height = 420; height <= 800; height += 23) {
        SCOPED_TRACE(height);
        SheetCanvas sheet(grid::PdfCanvas::kLetterWidth, height);
        grid::PageLayout layout(g, 0, 0, 8, g.RowCount() - 1, sheet, g.PrintMargins(),
                                reports::ReportPrintOptions(ReportKind::Summary));
        auto page_of = [&](int64_t row) {
            for (int p = 1; p <= layout.PageCount(); ++p)
                if (layout.FirstRowOfPage(p) <= row && row <= layout.LastRowOfPage(p)) return p;
            return 0;
        };
        for (int64_t h : headings) {
            // The heading, the stratum's five lines and its first band of groups.
            EXPECT_EQ(page_of(h), page_of(h + 5)) << "stratum at row " << h;
            EXPECT_EQ(page_of(h), page_of(h + 7)) << "first sample group of the stratum at row " << h;
        }
        for (int p = 1; p <= layout.PageCount(); ++p) {
            bool content = false, blank_top = true;
            for (int64_t r = layout.FirstRowOfPage(p); r <= layout.LastRowOfPage(p); ++r)
                for (int c = 0; c < 9; ++c)
                    if (!g.Text(c, r).empty()) {
                        content = true;
                        if (r == layout.FirstRowOfPage(p)) blank_top = false;
                    }
            EXPECT_TRUE(content) << "page " << p << " of " << layout.PageCount() << " prints nothing";
            if (p > 1) EXPECT_FALSE(blank_top) << "page " << p << " starts with a spacer";
        }
    }
}

TEST_F(ReportPrint, PrintGivesThePagesOfExportPdfNamedForTheReportAndTheSale) {
    const std::string name = "Strovan Summary - Sale " + inputs_->cruise.saleNo + " " + inputs_->cruise.saleName;
    ASSERT_FALSE(inputs_->cruise.saleNo.empty());
    ui::ScriptedUi ui;
    reports::ReportWindowForm w(ui, ReportKind::Summary, reports::BuildReport(ReportKind::Summary, *inputs_));
    SheetCanvas sheet(grid::PdfCanvas::kLetterWidth, grid::PdfCanvas::kLetterHeight);
    ASSERT_EQ(w.Print([&] { return std::make_unique<Borrowed>(sheet); }), grid::PrintResult::Printed);
    EXPECT_EQ(sheet.doc_name, name);
    ASSERT_GT(sheet.pages, 1);
    for (int p = 1; p <= sheet.pages; ++p) EXPECT_TRUE(sheet.Has(p, "Page: " + std::to_string(p))) << p;

    fs::path pdf = fs::temp_directory_path() / ("report_print_" + std::to_string(::getpid()) + ".pdf");
    ASSERT_EQ(reports::ExportReportPdf(w.Report(), ReportKind::Summary, pdf.string(), ui), grid::PrintResult::Printed);
    std::ifstream in(pdf, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    fs::remove(pdf);
    EXPECT_NE(bytes.find("/Count " + std::to_string(sheet.pages) + " "), std::string::npos);
    EXPECT_NE(bytes.find("/Title (" + name + ")"), std::string::npos);
}
