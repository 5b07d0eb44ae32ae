// Widget tests of the strata and sample-group windows, offscreen, on the example sale.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/setup_file.h"
#include "form_registry.h"
#include "grid_widget.h"
#include "setup/import_svz.h"
#include "setup/setup_session.h"
#include "setup/setup_tables.h"
#include "setup/strata_definition.h"
#include "setup/strata_forms.h"
#include "store/cruise_store.h"
#include "strata_windows.h"
#include "ui/scripted_ui.h"

namespace {

std::string MakeSale(const QTemporaryDir& dir, ui::ScriptedUi& ui) {
    std::string path = dir.filePath("sale.crz").toStdString();
    {
        auto s = mk::Storage::Create(path);
        if (!s || !app::BuildSetup(*s) || !s->Commit()) return {};
    }
    if (setup::ImportSvz(ui, path, std::string(STROVAN_SOURCE_DIR) + "/examples/sale.svz") != 0) return {};
    return path;
}

// Clicks the button of the given text in the next modal dialog, after `prepare`.
void ClickLater(const QString& text, std::function<void(QWidget*)> prepare = {}) {
    QTimer::singleShot(50, [text, prepare] {
        QWidget* d = QApplication::activeModalWidget();
        if (!d) return;
        if (prepare) prepare(d);
        for (QPushButton* b : d->findChildren<QPushButton*>())
            if (b->text() == text) {
                b->click();
                return;
            }
    });
}

}  // namespace

class StrataWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void SmallDialogsCarryTheirTextsAndChoices();
    void StrataFormDefinesAStratumAndIgnoresEscape();
};

void StrataWindowsTest::SmallDialogsCarryTheirTextsAndChoices() {
    const gui::FormRunner* quick = gui::FindForm(setup::QuickStrataForm::kId);
    QVERIFY(quick);
    setup::QuickStrataForm qs;
    ClickLater("Apply", [](QWidget* d) {
        QCOMPARE(d->windowTitle(), QString("Quick Strata Setup Form"));
        QStringList boxes;
        for (QCheckBox* c : d->findChildren<QCheckBox*>()) boxes << c->text();
        QCOMPARE(boxes, (QStringList{"Cutting Unit", "Species Code", "Product Number", "Live/Dead Code"}));
        d->findChildren<QCheckBox*>().at(1)->setChecked(true);
    });
    QVERIFY((*quick)(qs, nullptr));
    QVERIFY(qs.keys.species && !qs.keys.unit);
    QVERIFY(qs.choice == setup::QuickStrataForm::Choice::Apply);

    setup::TwoChoiceForm two("Delete Strata", "Delete This Stratum", "Delete All Strata");
    ClickLater("Delete All Strata");
    QVERIFY((*gui::FindForm(setup::TwoChoiceForm::kId))(two, nullptr));
    QVERIFY(two.second);
    ClickLater("Cancel");
    QVERIFY(!(*gui::FindForm(setup::TwoChoiceForm::kId))(two, nullptr));

    setup::QuickSgForm sg;
    ClickLater("Setup Diameter Ranges");
    QVERIFY((*gui::FindForm(setup::QuickSgForm::kId))(sg, nullptr));
    QVERIFY(sg.choice == setup::QuickSgForm::Choice::DiameterRanges);

    auto table = mk::View::Make("Stratum:S,DMin:S,DMax:S");
    QVERIFY(table.ok());
    setup::DiameterRangesForm ranges(*table, "SVStrDiamTable");
    ClickLater("Apply to Stratum", [](QWidget* d) { QCOMPARE(d->windowTitle(), QString("Setup Diameter Ranges")); });
    QVERIFY((*gui::FindForm(setup::DiameterRangesForm::kId))(ranges, nullptr));
    QVERIFY(ranges.scope == setup::RangeScope::Stratum);
    QCOMPARE(ranges.grid.RowCount(), 1);  // a row to type into

    setup::SortForm sort(setup::SortChoices(true));
    QTimer::singleShot(50, [] {
        QWidget* d = QApplication::activeModalWidget();
        QVERIFY(d);
        auto boxes = d->findChildren<QComboBox*>();
        QCOMPARE(boxes.size(), 3);
        boxes[0]->setCurrentText("Species");
        static_cast<QDialog*>(d)->accept();
    });
    QVERIFY((*gui::FindForm(setup::SortForm::kId))(sort, nullptr));
    QCOMPARE(sort.by[0], std::string("Species"));
}

void StrataWindowsTest::StrataFormDefinesAStratumAndIgnoresEscape() {
    QTemporaryDir dir;
    ui::ScriptedUi ui;
    const std::string path = MakeSale(dir, ui);
    QVERIFY(!path.empty());
    store::CCruiseStore store(ui);
    QCOMPARE(store.Open(path), 0);
    setup::PrepareWorkTables(*store.Storage(), ui, setup::PrepareVariant::Form);
    setup::StrataForm form(ui, store, "1");
    gui::StrataFormWindow w(form);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.windowTitle(), QString("Define Strata and Sample Groups"));
    QStringList groups;
    for (QGroupBox* g : w.findChildren<QGroupBox*>()) groups << g->title();
    QCOMPARE(groups, (QStringList{"Step 1:", "Step 2:", "Step 3:", "Step 4 ---->", "Defined Strata Definitions"}));
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(w.isVisible());

    form.PickUnit(0, true);
    for (int r = 0; r < form.Items().RowCount(); ++r) form.PickItem(r, true);
    w.Refresh();
    ui.PushFormAs<setup::PopulationsForm>(setup::PopulationsForm::kId, [](setup::PopulationsForm& f) {
        // One sample group per product, so that OK passes the product check.
        for (int r = 0; r < f.Grid().RowCount(); ++r) {
            const std::string prod = f.Grid().View().GetString(r, "Prod");
            f.Grid().SetText(r, "SgTree", prod);
            f.Grid().SetText(r, "SgPlot", prod);
        }
        return true;
    });
    for (QPushButton* b : w.findChildren<QPushButton*>())
        if (b->text() == "DEFINE SAMPLE GROUPS") b->click();
    QCOMPARE(form.Strata().RowCount(), 1);
    QCOMPARE(w.findChildren<QLineEdit*>().at(0)->text(), QString("2"));
    w.grab().save(QString(STROVAN_BINARY_DIR) + "/strata-form.png");
    w.accept();
}

QTEST_MAIN(StrataWindowsTest)
#include "strata_test.moc"
