// Widget tests of the setup windows, run offscreen on a realistic sale: the recon
// cruise of the example file, grouped into three strata.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/setup_file.h"
#include "grid_widget.h"
#include "mk/mk.h"
#include "setup/import_svz.h"
#include "setup/setup_tables.h"
#include "setup_windows.h"
#include "store/config.h"
#include "ui/scripted_ui.h"
#include "qt_ui.h"
#include "units_windows.h"
#include <QTimer>

#include <functional>

namespace {

// A cruise file holding the example recon cruise, its work tables prepared and
// grouped: units 1-6 stratum 1, 7-10 stratum 2, 11-12 stratum 3; tree sample groups
// by species and product, plot sample groups by product; one hand row.
std::string MakeSale(const QTemporaryDir& dir, ui::ScriptedUi& ui) {
    std::string path = dir.filePath("sale.crz").toStdString();
    {
        auto s = mk::Storage::Create(path);
        if (!s || !app::BuildSetup(*s) || !s->Commit()) return {};
    }
    if (setup::ImportSvz(ui, path, std::string(STROVAN_SOURCE_DIR) + "/examples/sale.svz") != 0) return {};
    store::CCruiseStore store(ui);
    store.Open(path);
    setup::PrepareWorkTables(*store.Storage(), ui, setup::PrepareVariant::Table);
    setup::PopulationsForm form(ui, store, "SVSummaryTable", true);
    auto& g = form.Grid();
    const std::string letters = "ABCDEFGHJKLMNPQRSTUVWXYZ";
    std::map<std::string, char> codes;
    for (int r = 0; r < g.RowCount(); ++r) {
        int unit = std::atoi(g.Text(r, g.FindColumn("CutUnit")).c_str());
        g.SetText(r, "Stratum", unit <= 6 ? "1" : unit <= 10 ? "2" : "3");
        std::string key = g.Text(r, g.FindColumn("Species")) + g.Text(r, g.FindColumn("Prod"));
        if (!codes.count(key)) codes[key] = letters[codes.size() % letters.size()];
        g.SetText(r, "SgTree", std::string(1, codes[key]));
        g.SetText(r, "SgPlot", g.Text(r, g.FindColumn("Prod")) == "01" ? "A" : "B");
    }
    int r = g.AddRow();
    for (auto [c, v] : {std::pair{"CutUnit", "12"}, {"Stratum", "3"}, {"SgTree", "Z"}, {"SgPlot", "A"},
                        {"Species", "YC"}, {"Prod", "01"}, {"LD", "L"}})
        g.SetText(r, c, v);
    if (!form.Accept()) return {};
    return path;
}

}  // namespace

class SetupWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void PopulationsFormShowsTheSaleAndEditsThroughTheGrid();
    void StrataDefinitionsDialogButtonsAndMenu();
    void UnitEditorAndUnitDialogs();
    void CancelPutsBackWhatTheWindowsChanged();
    void TheSetupStepRunsItsWindowsThroughQtUi();
};

void SetupWindowsTest::PopulationsFormShowsTheSaleAndEditsThroughTheGrid() {
    QTemporaryDir dir;
    ui::ScriptedUi ui;
    std::string path = MakeSale(dir, ui);
    QVERIFY(!path.empty());
    store::CCruiseStore store(ui);
    QCOMPARE(store.Open(path), 0);
    setup::PopulationsForm form(ui, store, "SVSummaryTable", true);
    gui::PopulationsWindow w(form);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.windowTitle(), QString("Setup Populations (Blank Sample Group Codes are Valid)"));
    gui::GridWidget* gw = w.Grid();
    auto* m = gw->Adapter();
    grid::GridModel& model = w.Model();
    QVERIFY(m->rowCount() > 60);
    for (const char* hidden : {"Recon", "DiaFlag", "Modify", "DMin", "DMax"})
        QVERIFY(gw->isColumnHidden(model.FindColumn(hidden)));
    QVERIFY(!gw->isColumnHidden(model.FindColumn("Stratum")));
    // The hand row is blue.
    const int last = m->rowCount() - 1;
    QCOMPARE(m->data(m->index(last, model.FindColumn("Species")), Qt::ForegroundRole).value<QBrush>().color(),
             QColor(0, 0, 200));

    // Menus of the form and the right-click menu of the summary table.
    QStringList menus;
    for (QAction* a : w.findChild<QMenuBar*>()->actions()) menus << a->text();
    QCOMPARE(menus, (QStringList{"&File", "&Edit", "&View"}));
    QMenu* menu = gw->BuildContextMenu(m->index(0, model.FindColumn("Species")));
    QVERIFY(menu);
    QStringList items;
    for (QAction* a : menu->actions())
        if (!a->isSeparator()) items << a->text();
    QCOMPARE(items, (QStringList{"Add Row", "Delete Row", "Edit Unit Table", "Quick Strata Setup",
                                 "Quick SG Setup", "Define Diameter Ranges",
                                 "Remove Defined Diameter Ranges", "Delete Strata", "Delete Sample Groups"}));
    delete menu;
    QVERIFY(w.findChild<QLabel*>() && w.findChild<QLabel*>()->text() == "Right Click in tables for menu options.");
    bool help = false;
    for (QPushButton* b : w.findChildren<QPushButton*>()) help = help || b->text() == "Help";
    QVERIFY(help);

    w.grab().save(QString(STROVAN_BINARY_DIR) + "/populations-form.png");

    // On one stratum's items (the strata form's sample groups) the whole-sale commands
    // are greyed, not offered and then refused.
    auto enabled = [](QWidget& window) {
        QStringList on;
        for (QAction* menu : window.findChild<QMenuBar*>()->actions())
            for (QAction* a : menu->menu()->actions())
                if (!a->isSeparator() && a->isEnabled()) on << a->text().remove('&');
        return on;
    };
    const QStringList whole = {"Remake Tables From Recon Data", "Quick Strata Setup", "Quick SG Setup",
                               "Delete Strata", "Delete Sample Groups"};
    for (const QString& item : whole) QVERIFY2(enabled(w).contains(item), qPrintable(item));
    {
        setup::PopulationsForm items(ui, store, "SVFillSGTable", false);
        gui::PopulationsWindow one(items);
        const QStringList on = enabled(one);
        for (const QString& item : whole) QVERIFY2(!on.contains(item), qPrintable(item));
        QVERIFY(on.contains("Print") && on.contains("Add Row") && on.contains("Sort Table"));
    }

    // An edit in the view writes the table at once and marks the row.
    const int stratum = model.FindColumn("Stratum");
    QVERIFY(m->setData(m->index(0, stratum), " 2 ", Qt::EditRole));
    QCOMPARE(form.Grid().View().GetString(0, "Stratum"), std::string("2"));
    QCOMPARE(form.Grid().View().GetString(0, "Modify"), std::string("Y"));
    QVERIFY(form.Grid().Modified());
    // OK rebuilds the strata; the window closes.
    w.accept();
    QVERIFY(form.Done());
    QVERIFY(!w.isVisible());
    mk::View strata = store.Storage()->GetView("SVStrataTable");
    QCOMPARE(strata.RowCount(), 3);
    QCOMPARE(strata.GetString(1, "Units"), std::string("1,10,7,8,9"));
}

void SetupWindowsTest::StrataDefinitionsDialogButtonsAndMenu() {
    ui::ScriptedUi ui;
    setup::StrataDefinitionsForm form(ui, "/nonexistent.crz", "N");
    gui::StrataDefinitionsWindow w(form);
    w.show();
    QCOMPARE(w.windowTitle(), QString("Setup Strata Definitions"));
    QStringList buttons;
    for (QPushButton* b : w.findChildren<QPushButton*>()) buttons << b->text();
    QCOMPARE(buttons, (QStringList{"STRATA SETUP FORM", "STRATA SETUP TABLE", "RETURN"}));
    QMenu* file = w.findChild<QMenuBar*>()->actions().at(0)->menu();
    QStringList items;
    for (QAction* a : file->actions()) items << a->text();
    QCOMPARE(items, (QStringList{"Import .SVZ File", "Return"}));
    // Import with the file dialog cancelled changes nothing.
    file->actions().at(0)->trigger();
    QCOMPARE(form.UpdateFlag(), std::string("N"));
    QCOMPARE(ui.FileDialogs().size(), size_t(1));
    QCOMPARE(ui.FileDialogs()[0].default_extension, std::string("SVZ"));
}

void SetupWindowsTest::UnitEditorAndUnitDialogs() {
    ui::ScriptedUi ui;
    mk::View units = *mk::View::Make("Select:S,CutUnit:S,Area:D,Description:S,LogMeth:S,PayUnit:S");
    for (const char* code : {"1", "2"}) {
        int r = units.AddRow();
        units.SetString(r, "CutUnit", code);
        units.SetDouble(r, "Area", r == 0 ? 12.0 : 0.0);
    }
    setup::EditDataForm form(ui, setup::SetupGrid(units, "SVUnitsTable"), setup::EditDataForm::Kind::Units);
    gui::EditDataWindow w(form);
    w.show();
    QCOMPARE(w.windowTitle(), QString("Edit Data"));
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(w.isVisible());
    w.accept();
    QVERIFY(w.isVisible());
    QCOMPARE(ui.Texts().back(),
             std::string("Warning:  One or more units contain zero acres!\nPlease add correct number of acres in the "
                         "'Area' column."));
    QVERIFY(w.Model().EditCell(w.Model().FindColumn("Area"), 1, "4"));
    w.accept();
    QVERIFY(!w.isVisible());

    setup::AddUnitForm add(ui, units, setup::UnitCaller::StrataForm);
    gui::AddUnitWindow a(add);
    a.show();
    QCOMPARE(a.windowTitle(), QString("Add a Unit "));
    auto edits = a.findChildren<QLineEdit*>();
    QCOMPARE(edits.size(), 5);
    QCOMPARE(edits[0]->maxLength(), 3);
    QCOMPARE(edits[4]->maxLength(), 25);
    edits[0]->setText("2");
    emit edits[0]->editingFinished();
    QCOMPARE(ui.Texts().back(),
             std::string("Unit Exists in Unit Table.  Cannot Add the Unit to the Stratum.\n\nPlease Select the Modify "
                         "Stratum Definition Option to Add This Unit."));
    QPushButton* add_button = nullptr;
    for (QPushButton* b : a.findChildren<QPushButton*>())
        if (b->text() == "Add Unit") add_button = b;
    QVERIFY(add_button && !add_button->isEnabled());
    edits[0]->setText("3");
    emit edits[0]->editingFinished();
    QVERIFY(add_button->isEnabled());
    edits[1]->setText("7.5");
    a.accept();
    QVERIFY(!a.isVisible());
    QCOMPARE(add.Choice().area, 7.5);

    // The logging-method pick: ticking a row clears the others; the texts are fixed.
    mk::View list = *mk::View::Make("Select:S,LogMeth:S,Description:S");
    for (const auto& m : setup::LogMethods()) {
        int r = list.AddRow();
        list.SetString(r, 0, "0");
        list.SetString(r, 1, m.code);
        list.SetString(r, 2, m.description);
    }
    setup::EditDataForm pick(ui, setup::SetupGrid(list, "SVLogMethTable"), setup::EditDataForm::Kind::LogMethods,
                             "Select Logging Method");
    gui::EditDataWindow p(pick);
    p.show();
    QCOMPARE(p.windowTitle(), QString("Select Logging Method"));
    QVERIFY(p.Model().ToggleCheck(0, 5));
    QVERIFY(p.Model().ToggleCheck(0, 2));
    QCOMPARE(pick.Picked(), 2);
    QCOMPARE(list.GetString(5, "Select"), std::string("0"));
    QCOMPARE(list.GetString(2, "Select"), std::string("1"));
    QVERIFY(!p.Model().EditCell(1, 3, "999"));
}

namespace {
void Click(const QString& text) {
    QWidget* modal = QApplication::activeModalWidget();
    QVERIFY(modal);
    for (QPushButton* b : modal->findChildren<QPushButton*>())
        if (b->text() == text && b->isVisible()) {
            b->click();
            return;
        }
    QFAIL(qPrintable("no button " + text + " in " + modal->windowTitle()));
}
}  // namespace

void SetupWindowsTest::TheSetupStepRunsItsWindowsThroughQtUi() {
    QTemporaryDir dir;
    ui::ScriptedUi scripted;
    std::string path = MakeSale(dir, scripted);
    QVERIFY(!path.empty());
    QString populations_title;
    QTimer::singleShot(0, [&] {
        QCOMPARE(QApplication::activeModalWidget()->windowTitle(), QString("Setup Strata Definitions"));
        QTimer::singleShot(50, [&] {
            populations_title = QApplication::activeModalWidget()->windowTitle();
            QTimer::singleShot(50, [] { Click("RETURN"); });
            Click("Cancel");
        });
        Click("STRATA SETUP TABLE");
    });
    gui::QtUi ui;
    std::string flag = "N";
    QCOMPARE(setup::RunStrataSetup(ui, path, flag), 0);
    QCOMPARE(populations_title, QString("Setup Populations (Blank Sample Group Codes are Valid)"));
    // Cancelled: the setup is as it was, so the design needs no new compilation.
    QCOMPARE(flag, std::string("N"));
}

namespace {

QByteArray FileBytes(const std::string& path) {
    QFile f(QString::fromStdString(path));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// Calls `fn` on the modal dialog once one is up (the dialog may open after events
// that come before its own loop).
void WhenModal(const std::function<void(QWidget*)>& fn, int tries = 200) {
    QTimer::singleShot(10, [fn, tries] {
        if (QWidget* modal = QApplication::activeModalWidget()) fn(modal);
        else if (tries > 0) WhenModal(fn, tries - 1);
    });
}

// Runs a menu action whose dialog opens modally; `inside` edits the dialog's grid,
// then the dialog is cancelled.
void CancelDialogOf(QAction* action, const std::function<void(grid::GridModel&)>& inside) {
    QVERIFY(action);
    bool seen = false;
    WhenModal([&](QWidget* modal) {
        seen = true;
        auto* grid = modal->findChild<gui::GridWidget*>();
        QVERIFY(grid);
        inside(grid->Grid());
        Click("Cancel");
    });
    action->trigger();
    QVERIFY(seen);
}

QAction* MenuAction(QWidget& w, const QString& menu, const QString& item) {
    for (QAction* m : w.findChild<QMenuBar*>()->actions())
        if (m->text() == menu)
            for (QAction* a : m->menu()->actions())
                if (a->text() == item) return a;
    return nullptr;
}

}  // namespace

void SetupWindowsTest::CancelPutsBackWhatTheWindowsChanged() {
    QTemporaryDir dir;
    ui::ScriptedUi scripted;
    std::string path = MakeSale(dir, scripted);
    QVERIFY(!path.empty());
    const QByteArray before = FileBytes(path);
    gui::QtUi ui;
    {
        store::CCruiseStore store(ui);
        QCOMPARE(store.Open(path), 0);
        setup::PopulationsForm form(ui, store, "SVSummaryTable", true);
        gui::PopulationsWindow w(form);
        w.show();
        mk::Storage& s = *store.Storage();
        const double area = s.GetView("SVUnitsTable").GetDouble(0, "Area");
        // Other unit areas (areas that are no areas are refused at the cell), and
        // another BAF, each cancelled in its dialog.
        CancelDialogOf(MenuAction(w, "&Edit", "&Edit Unit Table"), [](grid::GridModel& g) {
            QVERIFY(!g.EditCell(g.FindColumn("Area"), 0, "-5"));
            QVERIFY(g.EditCell(g.FindColumn("Area"), 0, "7.5"));
            QVERIFY(g.EditCell(g.FindColumn("Area"), 1, "999"));
        });
        QCOMPARE(s.GetView("SVUnitsTable").GetDouble(0, "Area"), area);
        QCOMPARE(s.GetView("StratumTable").GetDouble(0, "BAF"), 20.0);
        CancelDialogOf(MenuAction(w, "&View", "Recon Strata Table"),
                       [](grid::GridModel& g) { QVERIFY(g.EditCell(g.FindColumn("BAF"), 0, "40")); });
        QCOMPARE(s.GetView("StratumTable").GetDouble(0, "BAF"), 20.0);
        // OK then writes nothing: every table is as it was.
        w.accept();
        QVERIFY(form.Done());
    }
    QCOMPARE(FileBytes(path), before);
    {
        store::CCruiseStore store(ui);
        QCOMPARE(store.Open(path), 0);
        setup::PopulationsForm form(ui, store, "SVSummaryTable", true);
        gui::PopulationsWindow w(form);
        w.show();
        auto* m = w.Grid()->Adapter();
        QVERIFY(m->setData(m->index(0, w.Model().FindColumn("Stratum")), "2", Qt::EditRole));
        QVERIFY(m->setData(m->index(1, w.Model().FindColumn("SgTree")), "Q", Qt::EditRole));
        QCOMPARE(store.Storage()->GetView("SVSummaryTable").GetString(0, "Stratum"), std::string("2"));
        for (QPushButton* b : w.findChildren<QPushButton*>())
            if (b->text() == "Cancel") b->click();
        QVERIFY(form.Done());
        QCOMPARE(store.Storage()->GetView("SVSummaryTable").GetString(0, "Stratum"), std::string("1"));
    }
    QCOMPARE(FileBytes(path), before);
}

QTEST_MAIN(SetupWindowsTest)
#include "setup_windows_test.moc"
