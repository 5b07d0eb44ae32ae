// Widget tests of the "Simulate Cruise" window, run offscreen, on a small compiled
// sale whose design cruises fixed plots.
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <iterator>
#include <memory>

#include "design/workspace.h"
#include "design_form_window.h"
#include "simulate/population.h"
#include "simulate_window.h"
#include "stats/recon_compiler.h"
#include "stats/recon_tables.h"
#include "store/cruise_store.h"
#include "store/schema.h"
#include "ui/scripted_ui.h"

namespace {

std::string TreeTableDesc() {
    for (const auto& t : schema::SharedTables())
        if (t.name == schema::kTreeTable) return t.description;
    return schema::kTreeTableImportDesc;
}

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Stratum 1: twelve 1/10-acre plots of two species; stratum 2: a single plot, which
// cannot be simulated.
void WriteSale(const std::string& path) {
    auto created = mk::Storage::Create(path);
    QVERIFY(created.ok());
    mk::Storage& s = *created;
    mk::View summary = *s.GetAs(schema::kSVSummaryTableDesc), strata = *s.GetAs(schema::kSVStrataTableDesc),
             recon = *s.GetAs(schema::kStratumTableSetupDesc), plots = *s.GetAs(schema::kPlotTableDesc),
             trees = *s.GetAs(TreeTableDesc());
    int r = recon.AddRow();
    recon.SetString(r, "Stratum", "R1");
    recon.SetString(r, "CruzMeth", "FIX");
    recon.SetDouble(r, "FPSize", 10);
    for (const char* code : {"1", "2"}) {
        r = strata.AddRow();
        strata.SetString(r, "Stratum", code);
        strata.SetString(r, "TotAcres", code[0] == '1' ? "120" : "30");
        strata.SetString(r, "Modified", "Y");
        for (const char* sp : {"DF", "WH"}) {
            r = summary.AddRow();
            summary.SetString(r, "Stratum", code);
            summary.SetString(r, "SgTree", sp[0] == 'D' ? "A" : "B");
            summary.SetString(r, "SgPlot", sp[0] == 'D' ? "A" : "B");
            summary.SetString(r, "CutUnit", code[0] == '1' ? "U1" : "U2");
            summary.SetString(r, "Species", sp);
            summary.SetString(r, "Prod", "01");
            summary.SetString(r, "LD", "L");
        }
    }
    auto tree = [&](const char* unit, int plot, const char* sp, float dbh, double vol) {
        int t = trees.AddRow();
        trees.SetString(t, "Stratum", "R1");
        trees.SetString(t, "CutUnit", unit);
        trees.SetString(t, "Plot", std::to_string(plot));
        trees.SetString(t, "Sp", sp);
        trees.SetString(t, "ProdP", "01");
        trees.SetString(t, "LD", "L");
        trees.SetFloat(t, "DBH", dbh);
        trees.SetFloat(t, "TotHt", 90);
        trees.SetDouble(t, "NCUFTVolPP", vol);
    };
    for (int p = 1; p <= 12; ++p) {
        int row = plots.AddRow();
        plots.SetString(row, "Stratum", "R1");
        plots.SetString(row, "CutUnit", "U1");
        plots.SetString(row, "Plot", std::to_string(p));
        for (int t = 0; t < p % 4 + 1; ++t) tree("U1", p, t % 2 ? "WH" : "DF", 10 + p + t, 12 + 9 * ((p * 5 + t) % 7));
    }
    tree("U2", 1, "DF", 18, 60);
    tree("U2", 1, "WH", 14, 30);
    ui::ScriptedUi quiet;
    QCOMPARE(stats::ReconCompiler(s, quiet, "03", {}).Compile(), stats::kReconDone);
    const design::Design d = simulate::MethodDesign(s, "FIX");
    mk::View ds = s.GetView(schema::kSVDesignTable), dg = s.GetView(schema::kSVDesignSgTable);
    stats::WriteDesignRows(ds, d.strata);
    std::vector<const design::SgRow*> refs;
    for (const auto& g : d.groups) refs.push_back(&g);
    stats::WriteDesignSgRows(dg, refs);
    QVERIFY(s.Commit().ok());
}

}  // namespace

class SimulateWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void RunsInTheBackgroundAndShowsTheResult();
    void CancelLeavesNoResult();
    void ExportsTheTable();
    void DesignFormOffersIt();
    void Screenshot();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::string path_;
    std::unique_ptr<ui::ScriptedUi> ui_;
    std::unique_ptr<store::CCruiseStore> store_;
    std::unique_ptr<design::DesignWorkspace> ws_;
};

void SimulateWindowTest::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    path_ = dir_->filePath("sale.crz").toStdString();
    WriteSale(path_);
    ui_ = std::make_unique<ui::ScriptedUi>();
    store_ = std::make_unique<store::CCruiseStore>(*ui_);
    QCOMPARE(store_->Open(path_), 0);
    ws_ = std::make_unique<design::DesignWorkspace>(*ui_, *store_, design::WorkspaceInputs{0, {}, "03", "10", path_});
    QCOMPARE(ws_->Open(), 0);
}

void SimulateWindowTest::cleanup() {
    ws_.reset();
    store_->Close();
}

void SimulateWindowTest::RunsInTheBackgroundAndShowsTheResult() {
    const std::string before = Bytes(path_);
    gui::SimulateWindow w(*ws_->OpenStorage(), ws_->Model(), "03", 25, ui_.get());
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(w.Result().replicates == 1000 && !w.Running(), 20000);
    QCOMPARE(w.Progress()->value(), 1000);
    const QString sentence = w.Sentence()->text();
    QVERIFY2(sentence.startsWith("In ") && sentence.contains(" % of 1,000 simulated cruises the sale error was 25 % or less"),
             qPrintable(sentence));
    // Two strata and the sale; the one-plot stratum says why it is left out.
    QCOMPARE(w.Table().RowCount(), 3);
    QCOMPARE(QString::fromStdString(w.Table().Text(0, 2)), QString("Sale"));
    QVERIFY(w.Table().Text(w.Table().ColumnCount() - 1, 1).find("Not simulated: fewer than two") == 0);
    QVERIFY(!w.Table().Text(5, 0).empty());
    QCOMPARE(Bytes(path_), before);

    // Another run with other settings replaces the results.
    w.Replicates()->setValue(300);
    w.Start();
    QTRY_VERIFY_WITH_TIMEOUT(w.Result().replicates == 300 && !w.Running(), 20000);
    QVERIFY(w.Sentence()->text().contains("of 300 simulated cruises"));
}

void SimulateWindowTest::CancelLeavesNoResult() {
    gui::SimulateWindow w(*ws_->OpenStorage(), ws_->Model(), "03", 10, ui_.get());
    w.Replicates()->setValue(100000);
    w.Start();
    QVERIFY(w.Running());
    w.CancelRun();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Running(), 20000);
    QVERIFY(w.Result().cancelled);
    QCOMPARE(w.Sentence()->text(), QString("Cancelled: no results."));
}

void SimulateWindowTest::ExportsTheTable() {
    gui::SimulateWindow w(*ws_->OpenStorage(), ws_->Model(), "03", 10, ui_.get());
    w.Replicates()->setValue(200);
    w.Start();
    QTRY_VERIFY_WITH_TIMEOUT(!w.Running() && w.Result().replicates == 200, 20000);
    const std::string csv = dir_->filePath("table.csv").toStdString();
    ui_->PushFileName(csv);
    w.ExportCsv();
    QVERIFY(Bytes(csv).rfind("Stratum,Method,", 0) == 0);
    QVERIFY(Bytes(csv).find("\nSale,") != std::string::npos);
}

void SimulateWindowTest::DesignFormOffersIt() {
    gui::DesignFormWindow form(*ws_);
    QAction* found = nullptr;
    for (QAction* menu : form.findChild<QMenuBar*>()->actions())
        if (menu->text().remove('&') == "Data")
            for (QAction* a : menu->menu()->actions())
                if (a->text().remove('&') == QString::fromUtf8("Simulate Cruise…")) found = a;
    QVERIFY(found);
}

// STROVAN_SCREENSHOT_DIR=docs STROVAN_DESIGN_FILE=build/example-run/sale.crz: the
// window on that design, as docs/simulate.png.
void SimulateWindowTest::Screenshot() {
    const QByteArray dir = qgetenv("STROVAN_SCREENSHOT_DIR"), other = qgetenv("STROVAN_DESIGN_FILE");
    if (dir.isEmpty() || other.isEmpty()) QSKIP("STROVAN_SCREENSHOT_DIR and STROVAN_DESIGN_FILE name the picture and the design");
    const std::string copy = dir_->filePath("example.crz").toStdString();
    QVERIFY(QFile::copy(QString::fromLocal8Bit(other), QString::fromStdString(copy)));
    ui::ScriptedUi ui;
    store::CCruiseStore store(ui);
    QCOMPARE(store.Open(copy), 0);
    {
        design::DesignWorkspace ws(ui, store, design::WorkspaceInputs{0, {}, "03", "10", copy});
        QCOMPARE(ws.Open(), 0);
        gui::SimulateWindow w(*ws.OpenStorage(), ws.Model(), "03", 10, &ui);
        w.resize(1060, 640);
        w.show();
        QTRY_VERIFY_WITH_TIMEOUT(w.Result().replicates == 1000 && !w.Running(), 20000);
        QTest::qWait(100);
        QVERIFY(w.grab().save(QString::fromLocal8Bit(dir) + "/simulate.png"));
    }
    store.Close();
}

QTEST_MAIN(SimulateWindowTest)
#include "simulate_window_test.moc"
