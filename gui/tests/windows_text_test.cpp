// A cruise file written by the Windows programs (Windows-1252 text) shows its own
// characters in the window, and an edit there is stored in the same character set.
#include <QTemporaryDir>
#include <QtTest>

#include "grid/grid_model.h"
#include "grid_widget.h"
#include "mk/mk.h"
#include "store/cruise_store.h"
#include "ui/scripted_ui.h"

class WindowsTextTest : public QObject {
    Q_OBJECT
private slots:
    void WindowsCharactersShowAndEditsAreStoredAsWindowsBytes();
};

void WindowsTextTest::WindowsCharactersShowAndEditsAreStoredAsWindowsBytes() {
    QTemporaryDir dir;
    const std::string path = dir.filePath("sale.crz").toStdString();
    {
        auto s = mk::Storage::Create(path);
        QVERIFY(s.ok());
        mk::View units = *s->GetAs("CuttingUnitTable[CutUnit:S,Description:S,Area:F]");
        for (const char* text : {"For\xEAt \x93Noire\x94", "Stra\xDF" "e 5 \x80", "bad \x81"}) {
            const int r = units.AddRow();
            units.SetString(r, "CutUnit", std::to_string(r + 1));
            units.SetBytes(r, "Description", text);
        }
        QVERIFY(s->Commit().ok());
    }
    ui::ScriptedUi ui;
    store::CCruiseStore store(ui);
    QCOMPARE(store.Open(path), 0);
    const int slot = store.OpenView("CuttingUnitTable");
    grid::GridModel g;
    g.BindStore(store, slot);
    gui::GridWidget w(g);
    w.resize(500, 200);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* m = w.Adapter();
    const int desc = g.FindColumn("Description");
    QCOMPARE(m->data(m->index(0, desc), Qt::DisplayRole).toString(), QString::fromUtf8("For\xC3\xAAt \xE2\x80\x9CNoire\xE2\x80\x9D"));
    QCOMPARE(m->data(m->index(1, desc), Qt::DisplayRole).toString(), QString::fromUtf8("Stra\xC3\x9F" "e 5 \xE2\x82\xAC"));
    QCOMPARE(m->data(m->index(2, desc), Qt::DisplayRole).toString(), QString::fromUtf8("bad \xEF\xBF\xBD"));
    w.grab().save(QString(STROVAN_BINARY_DIR) + "/windows-text.png");

    QVERIFY(m->setData(m->index(0, desc), QString::fromUtf8("Caf\xC3\xA9"), Qt::EditRole));
    QVERIFY(m->setData(m->index(2, g.FindColumn("Area")), "12.5", Qt::EditRole));
    QCOMPARE(store.Commit(), 0);
    store.Close();
    auto s = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
    mk::View units = s->GetView("CuttingUnitTable");
    QCOMPARE(units.GetBytes(0, "Description"), std::string("Caf\xE9"));
    QCOMPARE(units.GetBytes(2, "Description"), std::string("bad \x81"));  // its row edited, it not
}

QTEST_MAIN(WindowsTextTest)
#include "windows_text_test.moc"
