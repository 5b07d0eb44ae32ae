// The field file's selection lists on screen, run offscreen.
#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include "field_file_window.h"
#include "form_registry.h"
#include "output/field_file_forms.h"

class FieldFileTest : public QObject {
    Q_OBJECT
private slots:
    void ReconStrataTicksReachTheForm();
    void AutoFillNeedsARow();
    void FormsRunThroughTheRegistry();
};

void FieldFileTest::ReconStrataTicksReachTheForm() {
    output::ReconStrataForm form;
    form.Rows() = {{"R1", "PNT", "3,4", false}, {"R2", "FIX", "1", true}, {"R3", "PNT", "3", false}};
    gui::ReconStrataWindow w(form);
    QCOMPARE(w.windowTitle(), QString("Select Strata to Import Recon Plots."));
    QTableWidget* t = w.Table();
    QCOMPARE(t->rowCount(), 3);
    QCOMPARE(t->item(0, 1)->text(), QString("R1"));
    QCOMPARE(t->item(1, 3)->text(), QString("1"));
    QCOMPARE(t->item(1, 0)->checkState(), Qt::Checked);
    QVERIFY(!(t->item(0, 1)->flags() & Qt::ItemIsEditable));
    t->item(0, 0)->setCheckState(Qt::Checked);
    t->item(1, 0)->setCheckState(Qt::Unchecked);
    w.accept();
    QCOMPARE(form.Selected(), (std::vector<std::string>{"R1"}));
    QCOMPARE(w.result(), int(QDialog::Accepted));
}

void FieldFileTest::AutoFillNeedsARow() {
    output::AutoFillChoiceForm form;
    form.species = "RA";
    form.prod = "02";
    form.ld = "D";
    form.columns = {"Sp", "ProdP", "LD", "CDefP"};
    form.rows = {{"RA", "02", "D", "10"}, {"RA", "02", "D", "20"}};
    gui::AutoFillWindow w(form);
    w.show();
    QCOMPARE(w.windowTitle(), QString("Select to assign default values for this Species/Product"));
    QPushButton* ok = w.Buttons()->button(QDialogButtonBox::Ok);
    QVERIFY(!ok->isEnabled());
    w.accept();  // nothing chosen: stays open
    QVERIFY(w.isVisible());
    QCOMPARE(form.Chosen(), -1);
    w.Table()->selectRow(1);
    QVERIFY(ok->isEnabled());
    QCOMPARE(w.Table()->item(1, 3)->text(), QString("20"));
    ok->click();
    QCOMPARE(form.Chosen(), 1);
    QVERIFY(!w.isVisible());
}

void FieldFileTest::FormsRunThroughTheRegistry() {
    const gui::FormRunner* recon = gui::FindForm(output::ReconStrataForm::kId);
    const gui::FormRunner* fill = gui::FindForm(output::AutoFillChoiceForm::kId);
    QVERIFY(recon && fill);

    output::ReconStrataForm form;
    form.Rows() = {{"R1", "PNT", "3", false}};
    QTimer::singleShot(0, [] {
        auto* w = qobject_cast<gui::ReconStrataWindow*>(QApplication::activeModalWidget());
        QVERIFY(w);
        w->Table()->item(0, 0)->setCheckState(Qt::Checked);
        w->accept();
    });
    QVERIFY((*recon)(form, nullptr));
    QCOMPARE(form.Selected(), (std::vector<std::string>{"R1"}));

    output::AutoFillChoiceForm pick;
    pick.columns = {"Sp"};
    pick.rows = {{"DF"}};
    QTimer::singleShot(0, [] {
        auto* w = qobject_cast<gui::AutoFillWindow*>(QApplication::activeModalWidget());
        QVERIFY(w);
        w->reject();
    });
    QVERIFY(!(*fill)(pick, nullptr));
    QCOMPARE(pick.Chosen(), -1);
}

QTEST_MAIN(FieldFileTest)
#include "field_file_test.moc"
