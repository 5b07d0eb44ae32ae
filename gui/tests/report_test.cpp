// The report windows on Qt, offscreen: the chooser's radio buttons, the "&File" menu,
// the grid showing the report, and the PDF export through the window.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenuBar>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "grid_widget.h"
#include "report_window.h"
#include "ui/scripted_ui.h"

class ReportWindowTest : public QObject {
    Q_OBJECT
private slots:
    void ChooserHasTheFiveReportsAndTakesTheChoice();
    void WindowShowsTheReportWithItsFileMenu();
    void ReconTitleShowsWholeBesideItsNineColumns();
    void LabelsShowWholeAndTheKeysPrintAndSave();
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

QTEST_MAIN(ReportWindowTest)
#include "report_test.moc"
