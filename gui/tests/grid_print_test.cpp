// Grid printing through Qt, run offscreen: PDF output through QPrinter and the print
// dialog's Cancel.
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "grid/grid_model.h"
#include "grid_print_qt.h"
#include "ui/scripted_ui.h"

namespace {
void Fill(grid::GridModel& g, int cols, int64_t rows) {
    g.Unbind(cols, rows);
    for (int c = 0; c < cols; ++c) {
        g.SetHeading(c, "Col" + std::to_string(c));
        for (int64_t r = 0; r < rows; ++r) g.SetText(c, r, std::to_string(r * 10 + c));
    }
}

int PdfPageCount(const QByteArray& pdf) {
    // Page objects, not the page tree.
    return pdf.count("/Type /Page\n") + pdf.count("/Type /Page ") + pdf.count("/Type /Page/") +
           pdf.count("/Type /Page>");
}
}  // namespace

class GridPrintTest : public QObject {
    Q_OBJECT
private slots:
    void PdfThroughQtHasAPagePerBlockOfRows();
    void CancelledPrintDialogPrintsNothing();
    void NothingToPrintAndAnUnwritableTargetAreReported();
    void ReportPresentationPrintsThroughQt();
};

void GridPrintTest::PdfThroughQtHasAPagePerBlockOfRows() {
    QTemporaryDir dir;
    grid::GridModel g;
    Fill(g, 5, 400);
    g.SetPrintMargins({20, 20, 15, 15});
    ui::ScriptedUi ui;
    std::string path = (dir.path() + "/grid.pdf").toStdString();
    QCOMPARE(gui::SaveGridPdf(g, path, ui), grid::PrintResult::Printed);
    QFile f(QString::fromStdString(path));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QByteArray pdf = f.readAll();
    QVERIFY(pdf.startsWith("%PDF"));
    // 400 rows of 20 pixels do not fit on one page; a few pages each hold dozens.
    int pages = PdfPageCount(pdf);
    QVERIFY2(pages >= 4 && pages <= 20, qPrintable(QString::number(pages)));
    QVERIFY(!QFile::exists(QString::fromStdString(path + ".part")));
    QVERIFY(ui.Messages().empty());
    QVERIFY(!g.Printing());
}

void GridPrintTest::CancelledPrintDialogPrintsNothing() {
    grid::GridModel g;
    Fill(g, 2, 3);
    ui::ScriptedUi ui;
    bool saw_dialog = false;
    QTimer::singleShot(0, [&] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            saw_dialog = true;
            d->reject();
        }
    });
    QCOMPARE(gui::PrintGrid(g, 0, 0, 1, 2, true, nullptr, ui), grid::PrintResult::Cancelled);
    QVERIFY(saw_dialog);
    QVERIFY(ui.Messages().empty());
    QCOMPARE(g.Text(1, 2), std::string("21"));

    // Qt-free forms print through the same dialog, installed as the program's printer.
    QVERIFY(static_cast<bool>(grid::PrinterChooser()));
    saw_dialog = false;
    QTimer::singleShot(0, [&] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            saw_dialog = true;
            d->reject();
        }
    });
    QVERIFY(grid::PrintGridPaged(g, 0, 0, 1, 2, ui));
    QVERIFY(saw_dialog);
    QVERIFY(ui.Messages().empty());
}

void GridPrintTest::NothingToPrintAndAnUnwritableTargetAreReported() {
    grid::GridModel empty;
    empty.Unbind(2, 0);
    ui::ScriptedUi ui;
    QCOMPARE(gui::PrintGrid(empty, 0, 0, 1, -1, false, nullptr, ui), grid::PrintResult::Refused);
    QCOMPARE(ui.Messages().size(), size_t(1));

    grid::GridModel g;
    Fill(g, 2, 3);
    QCOMPARE(gui::SaveGridPdf(g, "/nonexistent-folder/x/grid.pdf", ui), grid::PrintResult::Failed);
    QCOMPARE(ui.Messages().size(), size_t(2));
    QCOMPARE(ui.Messages()[1].title, std::string("Error"));
}

// A report-like page (joined title, shaded and bordered cells, check boxes, colours),
// kept in the build folder for a look.
void GridPrintTest::ReportPresentationPrintsThroughQt() {
    grid::GridModel g;
    Fill(g, 9, 30);
    g.SetColumnHeadingsShown(false);
    for (int c = 0; c < 9; ++c)
        for (int r = 0; r < 3; ++r) g.SetText(c, r, "");
    g.SetText(1, 0, "Strovan Report - Based on Net Board Foot Volume");
    g.Join(1, 0, 7, 0);
    g.SetFont(1, 0, grid::Font{"Arial", 20, true});
    g.SetText(0, 2, "SG Code     ");
    g.SetShaded(0, 2, true);
    g.SetBordersRange(0, 4, 8, 5, grid::kBorderAll);
    g.SetColumnKind(8, grid::CellKind::CheckBox);
    g.SetTextColor(3, 6, grid::colors::kMarkRed);
    g.SetBackground(4, 6, grid::Color::FromColorRef(16770740));
    g.SetPrintMargins({20, 20, 12, 12});
    ui::ScriptedUi ui;
    std::string path = std::string(STROVAN_BINARY_DIR) + "/grid_print_qt.pdf";
    QCOMPARE(gui::SaveGridPdf(g, path, ui, true, {.column_headings = false}), grid::PrintResult::Printed);
    QFile f(QString::fromStdString(path));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(PdfPageCount(f.readAll()), 1);
}

QTEST_MAIN(GridPrintTest)
#include "grid_print_test.moc"
