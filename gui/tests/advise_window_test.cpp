// Widget tests of "Advise Strata" and "Compare Designs", run offscreen on the example
// sale: its recon imported, one stratum per recon stratum, designed for 10 %.
// With STROVAN_SCREENSHOT_DIR set they also save pictures of both windows.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "advise/stratify.h"
#include "advise_window.h"
#include "app/settings.h"
#include "app/setup_file.h"
#include "compare_window.h"
#include "design_form_window.h"
#include "grid_widget.h"
#include "setup/import_svz.h"
#include "setup/setup_session.h"
#include "setup_windows.h"
#include "store/config.h"
#include "store/schema.h"
#include "ui/scripted_ui.h"

namespace {

const app::CostValues kCosts = {"90", "6", "12", "90", "250", "80", "15", "14.50", "60"};

// The example sale as the README's main job leaves it.
std::string MakeSale(const QTemporaryDir& dir) {
    const std::string path = dir.filePath("sale.crz").toStdString();
    {
        auto s = mk::Storage::Create(path);
        if (!s || !app::BuildSetup(*s)) return {};
        store::SetSetting(*s, schema::kBlockStrovan, schema::kKeyType, schema::kTypeDesign);
        app::WriteCostValues(*s, kCosts);
        if (!s->Commit()) return {};
    }
    ui::ScriptedUi ui;
    if (setup::ImportSvz(ui, path, std::string(STROVAN_SOURCE_DIR) + "/examples/sale.svz") != 0) return {};
    store::CCruiseStore store(ui);
    if (store.Open(path) != 0) return {};
    const advise::Plan plan = {{{"1", "2", "3", "4", "5", "6"}, "PNT"}, {{"7", "8", "9", "10"}, "FIX"}, {{"11", "12"}, "100"}};
    std::string failure;
    if (!advise::DefineStrata(ui, store, plan, failure)) return {};
    advise::DesignInputs in;
    in.costs = app::ComputeCostFigures(kCosts);
    if (!advise::DesignStrata(ui, store, in, advise::MethodsByCode(plan)).ok || store.Commit() != 0) return {};
    return path;
}

void Shot(QWidget& w, const char* name) {
    const QString dir = qEnvironmentVariable("STROVAN_SCREENSHOT_DIR");
    if (!dir.isEmpty()) QVERIFY(w.grab().save(dir + "/" + name));
}

QStringList MenuTexts(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions())
        if (!a->isSeparator()) out << a->text();
    return out;
}

// The same without the Alt letters, which the window gives out itself.
QStringList PlainMenuTexts(QMenu* menu) {
    QStringList out = MenuTexts(menu);
    for (QString& t : out) t.remove('&');
    return out;
}

}  // namespace

class AdviseTest : public QObject {
    Q_OBJECT
private slots:
    void AdvisorWindowShowsTheTableAndAppliesTheChosenRow();
    void ComparisonShowsTheCurrentDesignBesideTheBestProposal();
    void MenusOfThePopulationsAndDesignForms();
    void AGivenSaleOfAnySize();
};

void AdviseTest::AdvisorWindowShowsTheTableAndAppliesTheChosenRow() {
    QTemporaryDir dir;
    const std::string path = MakeSale(dir);
    QVERIFY(!path.empty());
    ui::ScriptedUi ui;
    store::CCruiseStore store(ui);
    QCOMPARE(store.Open(path), 0);
    advise::AdviseForm form(ui, store, "10");
    QVERIFY(form.Compute());
    gui::AdviseWindow w(form);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const grid::GridModel& g = form.Grid();
    QCOMPARE(g.Heading(0), std::string("k"));
    QCOMPARE(g.Text(0, 0), std::string("now"));
    QCOMPARE(g.RowCount(), static_cast<int64_t>(form.Lines().size()));
    // Proposals of 3 to 6 strata (points, fixed plots and 100 % never mix), charted.
    QCOMPARE(form.CostByStrata().size(), size_t{4});
    QVERIFY(form.CurrentCost().has_value());
    // Apply starts on the best proposal's line.
    const int64_t at = g.CurrentRow();
    QVERIFY(form.Lines()[static_cast<size_t>(at)].best);
    Shot(w, "advise-strata.png");

    // Apply on the current strata's line applies nothing; on a proposal, after the question.
    form.Grid().SetCurrent(0, 0);
    w.ApplyCurrent();
    QVERIFY(!form.Applied());
    int64_t four = -1;
    for (size_t r = 0; r < form.Lines().size(); ++r)
        if (form.Lines()[r].head && form.Lines()[r].k == 4 && !form.Lines()[r].current) four = static_cast<int64_t>(r);
    QVERIFY(four > 0);
    ui.PushQuestionAnswer(false);
    form.Grid().SetCurrent(0, four);
    w.ApplyCurrent();
    QVERIFY(!form.Applied());
    QCOMPARE(store.Storage()->GetView(schema::kSVStrataTable).RowCount(), 3);
    form.Grid().SetCurrent(0, four + 2);  // a stratum line of the same proposal
    w.ApplyCurrent();
    QVERIFY(form.Applied());
    QCOMPARE(store.Storage()->GetView(schema::kSVStrataTable).RowCount(), 4);
    QCOMPARE(store.Storage()->GetView(schema::kSVDesignTable).RowCount(), 4);
    // The table now shows the applied strata as the current ones.
    QCOMPARE(form.Result().current.strata.size(), size_t{4});
}

void AdviseTest::ComparisonShowsTheCurrentDesignBesideTheBestProposal() {
    QTemporaryDir dir;
    const std::string path = MakeSale(dir);
    QVERIFY(!path.empty());
    ui::ScriptedUi ui;
    store::CCruiseStore store(ui);
    QCOMPARE(store.Open(path), 0);
    advise::CompareForm form(ui, store, "10");
    QCOMPARE(form.chosen, std::vector<std::string>{"current"});
    QVERIFY(form.AddProposals());
    QCOMPARE(form.chosen.size(), size_t{2});
    QCOMPARE(form.chosen[0], std::string("current"));
    QVERIFY(form.chosen[1].rfind("proposal:", 0) == 0);
    gui::CompareWindow w(form);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(form.Grid().ColumnCount(), 12);
    QCOMPARE(form.Grid().Heading(6), form.chosen[1]);
    QCOMPARE(w.Designs()->item(0)->checkState(), Qt::Checked);
    QCOMPARE(w.Designs()->item(1)->checkState(), Qt::Checked);
    QCOMPARE(w.Designs()->item(2)->checkState(), Qt::Unchecked);
    Shot(w, "compare-designs.png");
    // Unticking the proposal leaves the current design alone.
    w.Designs()->item(1)->setCheckState(Qt::Unchecked);
    QCOMPARE(form.Grid().ColumnCount(), 6);
    QMenu* file = w.findChild<QMenuBar*>()->actions().at(0)->menu();
    QCOMPARE(MenuTexts(file), (QStringList{"&Print", "Export &CSV", "Export P&DF", "E&xit"}));
}

void AdviseTest::MenusOfThePopulationsAndDesignForms() {
    QTemporaryDir dir;
    const std::string path = MakeSale(dir);
    QVERIFY(!path.empty());
    ui::ScriptedUi ui;
    store::CCruiseStore store(ui);
    QCOMPARE(store.Open(path), 0);
    {
        setup::PopulationsForm form(ui, store, schema::kSVSummaryTable, true);
        gui::PopulationsWindow w(form);
        QMenu* edit = w.findChild<QMenuBar*>()->actions().at(1)->menu();
        QVERIFY(PlainMenuTexts(edit).contains(QString::fromUtf8("Advise Strata\u2026")));
    }
    design::WorkspaceInputs in;
    design::DesignWorkspace ws(ui, store, in);
    ws.Open();
    gui::DesignFormWindow w(ws);
    QMenu* data = nullptr;
    for (QAction* a : w.findChild<QMenuBar*>()->actions())
        if (a->text().remove('&') == "Data") data = a->menu();
    QVERIFY(data);
    const QStringList items = PlainMenuTexts(data);
    QVERIFY(items.contains(QString::fromUtf8("Advise Strata\u2026")));
    QVERIFY(items.contains(QString::fromUtf8("Compare Designs\u2026")));
}

// STROVAN_ADVISE_FILE=sale.crz runs the window on a copy of that file (the generated
// 400-unit sale, say), with up to 10 strata.
void AdviseTest::AGivenSaleOfAnySize() {
    const QString given = qEnvironmentVariable("STROVAN_ADVISE_FILE");
    if (given.isEmpty()) QSKIP("STROVAN_ADVISE_FILE not set");
    QTemporaryDir dir;
    const QString copy = dir.filePath("sale.crz");
    QVERIFY(QFile::copy(given, copy));
    ui::ScriptedUi ui;
    store::CCruiseStore store(ui);
    QCOMPARE(store.Open(copy.toStdString()), 0);
    advise::AdviseForm form(ui, store, "10");
    form.maxStrata = 10;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(form.Compute());
    qInfo("%zu proposals priced in %lld ms", form.Result().proposals.size(), static_cast<long long>(clock.elapsed()));
    gui::AdviseWindow w(form);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(!form.CostByStrata().empty());
    Shot(w, "advise-strata-large.png");
}

QTEST_MAIN(AdviseTest)
#include "advise_window_test.moc"
