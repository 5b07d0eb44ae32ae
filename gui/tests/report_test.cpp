// The report windows on Qt, offscreen: the chooser's radio buttons, the "&File" menu,
// the grid showing the report, and the PDF export through the window.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMenuBar>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "grid/grid_print.h"
#include "grid_print_qt.h"
#include "grid_widget.h"
#include "mk/mk.h"
#include "reports/report_data.h"
#include "reports/report_sample.h"
#include "report_window.h"
#include "ui/scripted_ui.h"

class ReportWindowTest : public QObject {
    Q_OBJECT
private slots:
    void ChooserHasTheFiveReportsAndTakesTheChoice();
    void WindowShowsTheReportWithItsFileMenu();
    void ReconTitleShowsWholeBesideItsNineColumns();
    void LabelsShowWholeAndTheKeysPrintAndSave();
    void APrintedSummaryPageCarriesItsContentAndFooter();
};

void ReportWindowTest::ChooserHasTheFiveReportsAndTakesTheChoice() {
    reports::ReportChooserForm form;
    gui::ReportChooserWindow w(form);
    QCOMPARE(w.windowTitle(), QString("Select Report From List"));
    auto radios = w.findChildren<QRadioButton*>();
    QCOMPARE(radios.size(), 5);
    QCOMPARE(radios[0]->text(), QString("Strovan Summary"));
    QVERIFY(radios[0]->isChecked());
    QRadioButton* all = w.findChild<QRadioButton*>("1134");
    QVERIFY(all);
    QCOMPARE(all->text(), QString("Recon Sample Sizes for All Methods"));
    all->setChecked(true);
    w.accept();
    QCOMPARE(static_cast<int>(form.choice), static_cast<int>(reports::ReportKind::ReconAll));
}

void ReportWindowTest::WindowShowsTheReportWithItsFileMenu() {
    ui::ScriptedUi ui;
    reports::ReportInputs in;
    design::StratumRow s;
    s.stratum = "7";
    s.cruzMeth = "STR";
    in.strata.push_back(s);
    reports::ReportWindowForm form(ui, reports::ReportKind::Summary, reports::BuildSummary(in));
    gui::ReportWindow w(form);
    QCOMPARE(w.windowTitle(), QString("Strovan Summary Report"));
    QStringList actions;
    for (QAction* a : w.findChild<QMenuBar*>()->actions()[0]->menu()->actions())
        if (!a->isSeparator()) actions << a->text();
    QCOMPARE(actions, (QStringList{"&Print", "&Save", "&Export PDF", "E&xit"}));
    QAbstractItemModel* m = w.Grid()->model();
    QCOMPARE(m->columnCount(), 9);
    QCOMPARE(m->data(m->index(10, 1)).toString(), QString("7"));

    QTemporaryDir dir;
    QString pdf = dir.filePath("summary.pdf");
    ui.PushFileName(pdf.toStdString());
    w.ExportPdf();
    QFile f(pdf);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().startsWith("%PDF-"));
    QCOMPARE(QString::fromStdString(ui.Last()->title), QString("Done"));
}

void ReportWindowTest::ReconTitleShowsWholeBesideItsNineColumns() {
    ui::ScriptedUi ui;
    reports::ReportInputs in;
    design::StratumRow s;
    s.stratum = "1";
    s.cruzMeth = "STR";
    in.strata.push_back(s);
    reports::ReportWindowForm form(ui, reports::ReportKind::ReconCurrent, reports::BuildRecon(in, false));
    gui::ReportWindow w(form);
    gui::GridWidget* grid = w.Grid();
    // The title is wider than the 540 pixels of its columns; the window makes room.
    QVERIFY(grid->ContentWidth() > 540);
    QVERIFY(w.width() >= grid->ContentWidth());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QImage shot = grid->viewport()->grab().toImage();
    const int right = grid->columnViewportPosition(8) + grid->columnWidth(8);
    const int title_h = grid->rowHeight(0);
    const QRgb base = shot.pixel(shot.width() - 2, title_h / 2);
    int ink = 0;
    for (int x = right + 2; x < std::min(shot.width(), right + grid->ContentWidth() - 540); ++x)
        for (int y = 2; y < title_h - 2; ++y) ink += shot.pixel(x, y) != base;
    QVERIFY2(ink > 20, "the title's end is drawn beside the last column");
    // Other rows keep to their cells.
    QCOMPARE(qobject_cast<gui::GridDelegate*>(grid->itemDelegate())->Overhang(0, 3), 0);
}

void ReportWindowTest::LabelsShowWholeAndTheKeysPrintAndSave() {
    ui::ScriptedUi ui;
    reports::ReportInputs in;
    in.cruise.saleNo = "54321";
    in.cruise.saleName = "Cedar Flats";
    design::StratumRow s;
    s.stratum = "1";
    s.cruzMeth = "PNT";
    in.strata.push_back(s);
    reports::ReportWindowForm form(ui, reports::ReportKind::Summary, reports::BuildReport(reports::ReportKind::Summary, in));
    gui::ReportWindow w(form);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // Every label and value shows whole in the screen's font ("Sale Num", "Cruise Meth").
    gui::GridWidget* grid = w.Grid();
    grid::GridModel& g = form.Report().Grid();
    for (int64_t r = 0; r < g.RowCount(); ++r)
        for (int c = 0; c < g.ColumnCount(); ++c)
            if (!g.SpanAt(c, r)) QVERIFY2(grid->CellHint(grid->model()->index(r, c)).isEmpty(), g.Text(c, r).c_str());
    // ... while the text file keeps the report's own widths.
    QCOMPARE(g.ColumnWidth(0), 70);

    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(ui.FileDialogs().size(), size_t(1));
    QCOMPARE(ui.FileDialogs()[0].default_extension, std::string("txt"));
    QString printTitle;
    QTimer::singleShot(0, [&] {
        if (QWidget* d = QApplication::activeModalWidget()) {
            printTitle = d->windowTitle();
            static_cast<QDialog*>(d)->reject();
        }
    });
    QTest::keyClick(&w, Qt::Key_P, Qt::ControlModifier);
    QVERIFY2(!printTitle.isEmpty(), "Ctrl+P opens the print dialog");
    QVERIFY(w.isVisible());
}

void ReportWindowTest::APrintedSummaryPageCarriesItsContentAndFooter() {
    QTemporaryDir dir;
    const std::string path = dir.filePath("sale.crz").toStdString();
    reports::ReportInputs in;
    {
        auto st = mk::Storage::Create(path);
        QVERIFY(st.ok());
        reports::SampleShape shape;
        shape.strata = 12;
        shape.groups = 4;
        shape.units = 20;
        reports::WriteSampleDesign(*st, shape);
        in = reports::ReadReportInputs(*st);
    }
    auto report = reports::BuildReport(reports::ReportKind::Summary, in);
    grid::GridModel& g = report->Grid();
    // A Letter page at 100 dots an inch, drawn as the printer draws it.
    QImage page(850, 1100, QImage::Format_RGB32);
    page.setDotsPerMeterX(3937);
    page.setDotsPerMeterY(3937);
    page.fill(Qt::white);
    gui::QtCanvas canvas(page);
    QVERIFY(canvas.BeginDocument(report->DocumentName()));
    QVERIFY(canvas.BeginPage());
    grid::PageLayout layout(g, 0, 0, g.ColumnCount() - 1, g.RowCount() - 1, canvas, g.PrintMargins(),
                            reports::ReportPrintOptions(reports::ReportKind::Summary));
    QVERIFY(layout.PageCount() > 1);
    layout.DrawPage(canvas, 1);
    grid::PrintPageText(canvas, g.PrintMargins(), grid::PagePosition::Foot, 1, 1, "");
    QVERIFY(!canvas.BeginPage());  // an image holds one page
    QVERIFY(canvas.EndDocument());
    auto ink = [&](QRect r) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) n += page.pixel(x, y) != qRgb(255, 255, 255);
        return n;
    };
    // The title across the top, the footer centred in the bottom margin (20 mm: 79
    // dots), nothing in the side margins (12 mm: 47 dots).
    QVERIFY(ink(QRect(100, 79, 650, 40)) > 200);
    QVERIFY(ink(QRect(375, 1100 - 79 + 20, 100, 40)) > 20);
    QCOMPARE(ink(QRect(0, 0, 40, 1100)), 0);
    if (QString shots = qEnvironmentVariable("STROVAN_SCREENSHOT_DIR"); !shots.isEmpty())
        QVERIFY(page.save(shots + "/report-summary.png"));
}

QTEST_MAIN(ReportWindowTest)
#include "report_test.moc"
