// Widget tests of the "Strovan Form" dialog on a realistic design, run offscreen.
#include <QApplication>
#include <QLabel>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTemporaryDir>
#include <QFile>
#include <QFileInfo>
#include <QScreen>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

#include "design/sampling.h"
#include "design/saved_designs.h"
#include "design/sg_rules.h"
#include "design/stratum.h"
#include "design/workspace.h"
#include "design/workspace_rows.h"
#include "conventions.h"
#include "design_form_window.h"
#include "grid_widget.h"
#include "qt_ui.h"
#include "store/cruise_store.h"
#include "store/schema.h"
#include "ui/scripted_ui.h"

using namespace design;

namespace {

const CostFigures kCosts{10.2, 31, 0.45, 1.9, 5.2, 0.3};

// A sale of twelve strata over all methods, two to six sample groups each, with the
// eleven methods of each stratum in the method tables.
void WriteSale(const std::string& path, const std::string& firstUnits = "") {
    auto st = mk::Storage::Create(path);
    QVERIFY(st.ok());
    mk::Storage& s = *st;
    mk::View d = *s.GetAs(schema::kSVDesignTableDesc), dg = *s.GetAs(schema::kSVDesignSgTableDesc);
    mk::View m = *s.GetAs(schema::kSVMethodsTableDesc), mg = *s.GetAs(schema::kSVMethodsSgTableDesc);
    StratumColumns dc = StratumColumns::Of(d), mc = StratumColumns::Of(m);
    SgColumns dgc = SgColumns::Of(dg), mgc = SgColumns::Of(mg);
    const auto& order = schema::MethodOrder();
    const char* species[] = {"DF", "WH", "RC", "PP", "LP", "GF"};
    ui::ScriptedUi quiet;
    for (int i = 1; i <= 12; ++i) {
        double acres = 35 + (i * 53) % 260;
        int ngroups = 2 + i % 5;
        for (std::size_t k = 0; k < order.size(); ++k) {
            const std::string& method = order[k];
            double plotSize = k >= 7 ? 20 : (k >= 4 ? 0.1 : 0);
            StratumContext ctx{std::to_string(i), method, acres, plotSize};
            std::vector<SgRow> groups;
            for (int j = 0; j < ngroups; ++j) {
                SgRow g;
                g.stratum = ctx.stratum;
                g.sgCode = std::string(1, static_cast<char>('A' + j));
                g.description = species[j % 6];
                g.sgCV = 35 + (i * 11 + j * 17 + static_cast<int>(k) * 3) % 70;
                g.sgCV2 = 22 + (i * 5 + j * 7) % 40;
                g.treesAcre = 8 + (i * 3 + j * 13) % 55;
                g.volAcre = 900 + (i * 397 + j * 811) % 6000;
                g.treesPlot = IsPlotMethod(method) ? 3 + (i + j) % 6 : 0;
                g.avgHt = 60 + (j * 9) % 70;
                g.c = g.c2 = g.t = g.v = "N";
                if (i == 4 && j == 1) g.c = "R";
                if (i == 6 && j == 0) g.t = "B";
                if (IsTwoStage(method)) {
                    SampleSizes n = TwoStageSampleSizes(g.sgCV, g.sgCV2, 18);
                    g.sgN = n.n1;
                    g.sgN2 = n.n2;
                } else {
                    g.sgN = SampleSize(g.sgCV, 18);
                }
                RecomputeError(g, ctx);
                FreqKzStep(g, ctx, Change::SgN, quiet);
                groups.push_back(g);
            }
            // Plot groups share one plot count, as the form keeps them.
            if (IsPlotMethod(method)) {
                int plots = 0;
                for (const SgRow& g : groups) plots = std::max(plots, g.sgN);
                SgRefs all;
                for (SgRow& g : groups) all.push_back(&g);
                ShareSgN(all, plots, ctx, quiet);
            }
            StratumRow row;
            row.stratum = ctx.stratum;
            row.cruzMeth = method;
            row.totAcres = acres;
            row.plotSize = plotSize;
            row.description = std::string("Stratum ") + ctx.stratum;
            row.units = i == 1 && !firstUnits.empty() ? firstUnits : std::to_string(100 + i);
            row.totCircum = std::trunc(2 * std::sqrt(M_PI * acres * 43560));
            SgRefs refs;
            for (SgRow& g : groups) refs.push_back(&g);
            SummarizeStratum(row, refs, SummaryMode::Fill, "01", kCosts);
            int r = m.AddRow();
            WriteStratum(m, mc, r, row, nullptr, false);
            m.SetString(r, "Select", k == 0 ? "1.000000" : "0");
            for (const SgRow& g : groups) WriteSg(mg, mgc, mg.AddRow(), g, nullptr, &method);
            if (static_cast<int>(k) == i % 11) {
                WriteStratum(d, dc, d.AddRow(), row, nullptr);
                for (const SgRow& g : groups) WriteSg(dg, dgc, dg.AddRow(), g, nullptr);
            }
        }
    }
    QVERIFY(s.Commit().ok());
}

int Column(grid::GridModel& g, const char* name) {
    for (int c = 0; c < g.ColumnCount(); ++c)
        if (g.Heading(c) == name) return c;
    return -1;
}

}  // namespace

class DesignFormTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void GridsShowTheDesignByMethod();
    void CellEditRecomputesAndUndoes();
    void RefusedCellKeepsItsTextAndSaysWhy();
    void PasteIsOneStepOfUndoAndAllOrNothing();
    void MenusAndChart();
    void LongUnitListIsElidedAndFiguresShowWholeAtTheSmallestSize();
    void SavedDesignsDialogThroughTheUiPort();
    void CloseButtonAsksWhatBecomesOfTheChanges();
    void Screenshot();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::string path_;
    std::unique_ptr<ui::ScriptedUi> ui_;
    std::unique_ptr<store::CCruiseStore> store_;
    std::unique_ptr<DesignWorkspace> ws_;
};

void DesignFormTest::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    path_ = dir_->filePath("bear_creek.crz").toStdString();
    WriteSale(path_);
    ui_ = std::make_unique<ui::ScriptedUi>();
    store_ = std::make_unique<store::CCruiseStore>(*ui_);
    QCOMPARE(store_->Open(path_), 0);
    ws_ = std::make_unique<DesignWorkspace>(*ui_, *store_, WorkspaceInputs{0, kCosts, "01", "10", path_});
    QCOMPARE(ws_->Open(), 0);
}

void DesignFormTest::CloseButtonAsksWhatBecomesOfTheChanges() {
    QFile file(QString::fromStdString(path_));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    {
        // Unchanged, the form closes without a question.
        gui::DesignFormWindow w(*ws_);
        w.show();
        QVERIFY(w.close());
        QVERIFY(ui_->Messages().empty());
    }
    QCOMPARE(ws_->Open(), 0);
    gui::DesignFormWindow w(*ws_);
    w.show();
    grid::GridModel& g = w.GroupGrid();
    QVERIFY(g.EditCell(Column(g, "SgCV"), 0, "95"));
    // Cancel keeps the form open with the change.
    ui_->PushAnswer(ui::Answer::Cancel);
    QVERIFY(!w.close());
    QVERIFY(w.isVisible());
    QCOMPARE(ui_->Last()->text, std::string(design::kKeepDesignChangesText));
    QCOMPARE(ws_->SelectedGroups()[0]->sgCV, 95.0);
    // No puts the design back as it was when the form opened: the file keeps every byte.
    ui_->PushAnswer(ui::Answer::No);
    QVERIFY(w.close());
    QVERIFY(!w.isVisible());
    QVERIFY(ws_->SelectedGroups()[0]->sgCV != 95.0);
    QVERIFY(!ws_->Changed());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

void DesignFormTest::cleanup() {
    ws_.reset();
    store_->Close();
}

void DesignFormTest::GridsShowTheDesignByMethod() {
    gui::DesignFormWindow w(*ws_);
    w.show();
    QCOMPARE(w.windowTitle(), QString::fromStdString("Strovan Form     " + path_));
    QCOMPARE(w.StrataGrid().RowCount(), int64_t(12));
    QVERIFY(w.StrataGrid().IsColumnHidden(Column(w.StrataGrid(), "TotCircum")));
    QCOMPARE(w.StrataGrid().Kind(Column(w.StrataGrid(), "Lock"), 0), grid::CellKind::CheckBox);
    QVERIFY(w.StrataGrid().IsReadOnly(Column(w.StrataGrid(), "Error"), 0));
    QVERIFY(!w.StrataGrid().IsReadOnly(Column(w.StrataGrid(), "Description"), 0));
    QCOMPARE(w.StrataGrid().Hint(Column(w.StrataGrid(), "TotalVol")), std::string("Total MBF for the Stratum"));
    // Stratum "1" is STR: frequency shown, no second stage.
    QCOMPARE(ws_->SelectedStratum()->cruzMeth, std::string("STR"));
    grid::GridModel& g = w.GroupGrid();
    QCOMPARE(g.RowCount(), int64_t(ws_->SelectedGroups().size()));
    QVERIFY(!g.IsColumnHidden(Column(g, "Freq")));
    QVERIFY(g.IsColumnHidden(Column(g, "SgN2")));
    QVERIFY(g.IsColumnHidden(Column(g, "C")));
    // Selecting stratum "11" (the every-tree method) re-lays the lower grid.
    w.StrataGrid().SetCurrent(1, 10);
    QCOMPARE(ws_->Selected(), 10);
    QCOMPARE(ws_->SelectedStratum()->cruzMeth, std::string("100"));
    QVERIFY(g.IsReadOnly(Column(g, "SgN"), 0));
    QVERIFY(g.IsReadOnly(Column(g, "Freq"), 0));
    QVERIFY(g.IsColumnHidden(Column(g, "KZ")));
    // Marks colour their cells: stratum "4" has an "R" CV in its second group.
    w.StrataGrid().SetCurrent(1, 3);
    QCOMPARE(g.Format(Column(g, "SgCV"), 1).text_color.value_or(grid::colors::kWhite), grid::colors::kMarkRed);
    QVERIFY(!g.Format(Column(g, "SgCV"), 0).text_color.has_value());
}

void DesignFormTest::CellEditRecomputesAndUndoes() {
    gui::DesignFormWindow w(*ws_);
    w.show();
    grid::GridModel& g = w.GroupGrid();
    std::string before = w.findChildren<QLineEdit*>()[0]->text().toStdString();
    std::string stratumError = w.StrataGrid().Text(Column(w.StrataGrid(), "Error"), 0);
    int cv = Column(g, "SgCV");
    QVERIFY(g.EditCell(cv, 0, "95"));
    QCOMPARE(ws_->SelectedGroups()[0]->sgCV, 95.0);
    QCOMPARE(g.Text(Column(g, "SgErr"), 0), SgCellText(*ws_->SelectedGroups()[0], "SgErr"));
    QCOMPARE(g.Format(cv, 0).text_color.value_or(grid::colors::kWhite), grid::colors::kMarkBlue);
    QCOMPARE(w.StrataGrid().Text(Column(w.StrataGrid(), "WtCV"), 0),
             StratumCellText(ws_->Model().strata[0], "WtCV"));
    QVERIFY(w.StrataGrid().Text(Column(w.StrataGrid(), "Error"), 0) != stratumError);
    QCOMPARE(w.findChildren<QLineEdit*>()[0]->text(), QString::fromStdString(ws_->SaleErrorText()).trimmed());
    QVERIFY(w.UndoAction()->isEnabled());
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(ws_->SelectedGroups()[0]->sgCV != 95.0);
    QCOMPARE(w.findChildren<QLineEdit*>()[0]->text().toStdString(), before);
    QTest::keyClick(&w, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(ws_->SelectedGroups()[0]->sgCV, 95.0);
    // Escape never closes the form.
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(w.isVisible());
}

void DesignFormTest::RefusedCellKeepsItsTextAndSaysWhy() {
    gui::DesignFormWindow w(*ws_);
    w.show();
    grid::GridModel& g = w.GroupGrid();
    gui::GridTableModel* adapter = w.GroupView()->Adapter();
    const int n = Column(g, "SgN");
    const std::string kept = g.Text(n, 0);
    const std::string sale = ws_->SaleErrorText();
    QVERIFY(!adapter->setData(adapter->index(0, n), "-5", Qt::EditRole));
    QCOMPARE(g.Text(n, 0), kept);
    QCOMPARE(ws_->SaleErrorText(), sale);
    QCOMPARE(w.GroupView()->RefusalHint().toStdString(),
             std::string("SgN: '-5' is too small. Enter a whole number from 1 to 1,000,000."));
    QVERIFY(!w.UndoAction()->isEnabled());
    // The strata grid's description is as wide as the field program's.
    const int d = Column(w.StrataGrid(), "Description");
    QVERIFY(!w.StrataView()->Adapter()->setData(w.StrataView()->Adapter()->index(0, d), QString(26, 'x'),
                                                Qt::EditRole));
    QVERIFY(w.StrataView()->RefusalHint().contains("Please enter no more than 25 characters."));
    // A value the rule takes is taken.
    QVERIFY(g.EditCell(n, 0, "12"));
    QCOMPARE(ws_->SelectedGroups()[0]->sgN, 12);
    QVERIFY(w.Notice()->isHidden());  // every stratum has its sizes and costs
}

void DesignFormTest::PasteIsOneStepOfUndoAndAllOrNothing() {
    gui::DesignFormWindow w(*ws_);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    grid::GridModel& g = w.GroupGrid();
    gui::GridWidget* view = w.GroupView();
    const int cv = Column(g, "SgCV");
    const double cv0 = ws_->SelectedGroups()[0]->sgCV, cv1 = ws_->SelectedGroups()[1]->sgCV;
    const double error = ws_->SelectedStratum()->error;
    auto at = [&](int row, int col) {
        view->setFocus();
        view->selectionModel()->setCurrentIndex(view->model()->index(row, col), QItemSelectionModel::ClearAndSelect);
    };
    // Two CVs from a spreadsheet: both recomputed, one step to undo.
    QApplication::clipboard()->setText("55\r\n66\r\n");
    at(0, cv);
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(ws_->SelectedGroups()[0]->sgCV, 55.0);
    QCOMPARE(ws_->SelectedGroups()[1]->sgCV, 66.0);
    QCOMPARE(g.Text(cv, 1), std::string("66"));
    QVERIFY(ws_->SelectedStratum()->error != error);
    QCOMPARE(w.UndoAction()->text().remove('&'), QString("Undo Paste"));
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(ws_->SelectedGroups()[0]->sgCV, cv0);
    QCOMPARE(ws_->SelectedGroups()[1]->sgCV, cv1);
    QCOMPARE(ws_->SelectedStratum()->error, error);
    QVERIFY(!w.UndoAction()->isEnabled());
    // A block reaching a read-only column changes nothing and leaves nothing to undo.
    QApplication::clipboard()->setText("40\tX\n");
    at(0, cv);
    int next = cv + 1;
    while (g.IsColumnHidden(next)) ++next;
    g.SetColumnReadOnly(next, true);
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(ws_->SelectedGroups()[0]->sgCV, cv0);
    QVERIFY(!w.UndoAction()->isEnabled());
    QCOMPARE(ui_->Messages().back().title, std::string("Warning"));
}

void DesignFormTest::MenusAndChart() {
    gui::DesignFormWindow w(*ws_);
    w.show();
    QStringList checked;
    for (QAction* menu : w.findChild<QMenuBar*>()->actions())
        for (QAction* a : menu->menu()->actions())
            if (a->isCheckable()) checked << a->text().remove('&') + (a->isChecked() ? "+" : "-");
    QCOMPARE(checked, (QStringList{"Toggle Hints+", "Update Multiple Methods-", "Display Data Warnings+"}));
    // Alt+F opens the File menu; its commands carry their shortcuts.
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QMenu* file = w.findChild<QMenuBar*>()->actions()[0]->menu();
    QTest::keyClick(&w, Qt::Key_F, Qt::AltModifier);
    QTRY_COMPARE(QApplication::activePopupWidget(), static_cast<QWidget*>(file));
    file->close();
    QStringList keys;
    for (QAction* a : file->actions())
        if (!a->shortcut().isEmpty()) keys << a->text().remove('&') + " " + a->shortcut().toString();
    QCOMPARE(keys, (QStringList{"Save Design Ctrl+S", "Print Table Ctrl+P"}));
    QVERIFY(w.Splitter()->count() == 2);
    QVERIFY(w.StrataView()->minimumHeight() >= 75);
    w.UpdateChartNow();
    QVERIFY(w.Chart()->isVisible());
    // The Optimize button greys with a production cruise only.
    QPushButton* optimize = nullptr;
    for (QPushButton* b : w.findChildren<QPushButton*>())
        if (b->text().remove('&') == "Optimize For Error") optimize = b;
    QVERIFY(optimize && optimize->isEnabled());
    ws_->displayDataWarnings = false;
    w.findChild<QSpinBox*>()->setValue(7);
    optimize->click();
    QVERIFY(ws_->Totals().error <= 7.5);
    QCOMPARE(w.findChildren<QLineEdit*>()[0]->text(), QString::fromStdString(ws_->SaleErrorText()).trimmed());

    // Optimize At Least Cost beside it takes the same target and states the saving.
    QPushButton* least = nullptr;
    for (QPushButton* b : w.findChildren<QPushButton*>())
        if (b->text().remove('&') == "Optimize At Least Cost") least = b;
    QVERIFY(least && least->isEnabled());
    least->click();
    QVERIFY(ws_->Totals().error <= 7.0);
    QVERIFY(ws_->LastLeastCost().has_value());
    const CostComparison& c = *ws_->LastLeastCost();
    QCOMPARE(c.cost, ws_->Totals().cost);
    if (c.ruleSaleError <= 7.0) QVERIFY(c.cost < c.ruleCost);
    QLabel* saving = nullptr;
    for (QLabel* l : w.findChildren<QLabel*>())
        if (l->text().startsWith("Least cost: $")) saving = l;
    QVERIFY(saving);
    QCOMPARE(saving->text().toStdString(), c.Text());
    QCOMPARE(w.UndoAction()->text().remove('&'), QString("Undo Optimize At Least Cost"));
    w.UpdateChartNow();
    QCOMPARE(w.Chart()->LeastCostPoints().size(), std::size_t{29});
    // The next change takes the statement away.
    w.UndoAction()->trigger();
    QVERIFY(saving->text().isEmpty());
}

void DesignFormTest::LongUnitListIsElidedAndFiguresShowWholeAtTheSmallestSize() {
    // A stratum of 400 units.
    std::string units;
    for (int u = 1; u <= 400; ++u) units += (u > 1 ? "," : "") + std::to_string(u);
    std::string path = dir_->filePath("large.crz").toStdString();
    WriteSale(path, units);
    ui::ScriptedUi ui;
    store::CCruiseStore store(ui);
    QCOMPARE(store.Open(path), 0);
    {
        DesignWorkspace ws(ui, store, WorkspaceInputs{0, kCosts, "01", "10", path});
        QCOMPARE(ws.Open(), 0);
        gui::DesignFormWindow w(ws);
        w.resize(1100, 640);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::qWait(20);  // columns are sized once the event loop runs
        gui::GridWidget* view = w.StrataView();
        const int col = Column(w.StrataGrid(), "Units"), after = Column(w.StrataGrid(), "Error");
        QVERIFY(view->columnWidth(col) <= gui::GridWidget::kMaxAutoWidth);
        QCOMPARE(view->CellHint(view->model()->index(0, col)), QString::fromStdString(units));
        QVERIFY(view->CellHint(view->model()->index(1, col)).isEmpty());  // "102" shows whole
        // The columns after the list stay in sight.
        QVERIFY(view->columnViewportPosition(after) + view->columnWidth(after) <= view->viewport()->width());

        // The form fits a screen 800 wide, and at the smallest size it takes the
        // figures are whole.
        QVERIFY2(w.minimumSize().width() <= 800, qPrintable(QString::number(w.minimumSize().width())));
        w.resize(w.minimumSize());
        QTest::qWait(20);
        for (QLineEdit* figure : w.findChildren<QLineEdit*>()) {
            if (!figure->isReadOnly()) continue;
            const int room = figure->contentsRect().width() - 4;
            QVERIFY2(figure->fontMetrics().horizontalAdvance(figure->text()) <= room, qPrintable(figure->text()));
            QCOMPARE(figure->text(), figure->text().trimmed());
        }
    }
    store.Close();
}

void DesignFormTest::SavedDesignsDialogThroughTheUiPort() {
    gui::QtUi qt;
    SavedDesignsForm form(qt, DesignsMode::Save, {"Base", "Lean"});
    QTimer::singleShot(0, [] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        auto* list = modal->findChild<QListWidget*>();
        QCOMPARE(list->count(), 2);
        list->setCurrentRow(1);
        emit list->itemClicked(list->item(1));
        QCOMPARE(modal->findChild<QLineEdit*>()->text(), QString("Lean"));
        modal->findChild<QLineEdit*>()->setText("Wide");
        for (QPushButton* b : modal->findChildren<QPushButton*>())
            if (b->text().remove('&') == "Save") b->click();
    });
    QVERIFY(qt.RunForm(form));
    QCOMPARE(form.Result(), kNewDesign);
    QCOMPARE(form.id, std::string("Wide"));
}

// Pixels of `image` within `area` whose colour `match` accepts.
int CountPixels(const QImage& image, const QRect& area, const std::function<bool(QColor)>& match) {
    int n = 0;
    QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) n += match(image.pixelColor(x, y));
    return n;
}

void DesignFormTest::Screenshot() {
    gui::DesignFormWindow w(*ws_);
    w.resize(1180, 680);
    w.show();
    w.StrataGrid().SetCurrent(1, 3);
    w.UpdateChartNow();
    QTest::qWait(50);
    const QImage shot = w.grab().toImage();
    QVERIFY(shot.save(QString(STROVAN_BINARY_DIR) + "/design-form.png"));

    // Stratum 4's group B has a CV marked for review: its cell is written in red, the
    // cell beside it is not.
    auto cell = [&](const char* column, int row) {
        gui::GridWidget* v = w.GroupView();
        QRect r = v->visualRect(v->model()->index(row, Column(w.GroupGrid(), column)));
        return QRect(v->viewport()->mapTo(&w, r.topLeft()), r.size());
    };
    auto red = [](QColor c) { return c.red() > 150 && c.green() < 90 && c.blue() < 90; };
    QCOMPARE(w.GroupGrid().Text(Column(w.GroupGrid(), "SgCode"), 1), std::string("B"));
    QVERIFY(CountPixels(shot, cell("SgCV", 1), red) > 5);
    QCOMPARE(CountPixels(shot, cell("SgCV", 0), red), 0);
    QCOMPARE(CountPixels(shot, cell("SgErr", 1), red), 0);
    // The chart draws both curves: Optimize For Error in blue, the least cost in green.
    const QRect chart(w.Chart()->mapTo(&w, QPoint(0, 0)), w.Chart()->size());
    QVERIFY(CountPixels(shot, chart, [](QColor c) { return c.blue() > 150 && c.red() < 60 && c.green() < 60; }) > 30);
    QVERIFY(CountPixels(shot, chart, [](QColor c) { return c.green() > 100 && c.red() < 60 && c.blue() < 100; }) > 30);

    // A copy of a designed cruise of one's own (e.g. the example run's) when one is
    // named, shown as the program shows it: fitted to the screen, with mnemonics. The
    // picture is design-form-NAME.png (NAME_2x at double scale).
    QByteArray other = qgetenv("STROVAN_DESIGN_FILE");
    if (other.isEmpty()) return;
    gui::InstallWindowConventions();
    std::string copy = dir_->filePath("example.crz").toStdString();
    QVERIFY(QFile::copy(QString::fromLocal8Bit(other), QString::fromStdString(copy)));
    ui::ScriptedUi ui;
    store::CCruiseStore store(ui);
    QCOMPARE(store.Open(copy), 0);
    {
        DesignWorkspace ws(ui, store, WorkspaceInputs{0, kCosts, "03", "10", copy});
        QCOMPARE(ws.Open(), 0);
        gui::DesignFormWindow e(ws);
        e.resize(1180, 620);
        e.show();
        QVERIFY(e.screen()->availableGeometry().contains(e.frameGeometry()));
        e.StrataGrid().SetCurrent(1, 0);
        e.UpdateChartNow();
        QTest::qWait(50);
        const QString name = QFileInfo(QString::fromLocal8Bit(other)).completeBaseName();
        const QString scale = e.devicePixelRatio() > 1.01 ? QString("_%1x").arg(qRound(e.devicePixelRatio())) : "";
        QVERIFY(e.grab().save(QString(STROVAN_BINARY_DIR) + "/design-form-" + name + scale + ".png"));
    }
    store.Close();
}

QTEST_MAIN(DesignFormTest)
#include "design_form_test.moc"
