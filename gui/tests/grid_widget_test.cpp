// Widget tests of the grid, run offscreen: the QTableView shows and edits the model.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>
#include <QtTest>

#include "grid/grid_model.h"
#include "grid_widget.h"
#include "mk/mk.h"
#include "ui/scripted_ui.h"

namespace {

// A small report-like grid: 4 columns x 5 rows with texts "cC rR".
void Fill(grid::GridModel& g) {
    g.Unbind(4, 5);
    for (int c = 0; c < 4; ++c) {
        g.SetHeading(c, "H" + std::to_string(c));
        for (int r = 0; r < 5; ++r) g.SetText(c, r, "c" + std::to_string(c) + " r" + std::to_string(r));
    }
}

}  // namespace

class GridTest : public QObject {
    Q_OBJECT
private slots:
    void ShowsTextsPresentationAndLayoutOfTheModel();
    void EditsWriteThroughAndEscapeEndsAnEditWithoutClosingTheDialog();
    void CheckBoxesAndDropLists();
    void RightClickMenuComesFromTheFormAndNotWhileEditing();
    void CopyAndPasteABlockThroughTheClipboardAllOrNothing();
    void FindMovesToTheCellOrSaysItemNotFound();
    void LargeBoundTableOpensAndFollowsRowChanges();
};

void GridTest::ShowsTextsPresentationAndLayoutOfTheModel() {
    grid::GridModel g;
    Fill(g);
    g.SetColumnHidden(2, true);
    g.SetRowHidden(3, true);
    g.SetColumnWidth(0, 70);
    g.Join(0, 4, 3, 4);
    g.SetBackground(1, 1, grid::Color::FromColorRef(16770740));
    g.SetTextColor(1, 2, grid::colors::kMarkRed);
    g.SetColumnAlign(3, grid::Align::Right);
    g.SetHint(1, "second column");
    gui::GridWidget w(g);
    w.resize(500, 300);
    w.show();
    auto* m = w.Adapter();
    QCOMPARE(m->rowCount(), 5);
    QCOMPARE(m->columnCount(), 4);
    QCOMPARE(m->data(m->index(1, 3), Qt::DisplayRole).toString(), QString("c3 r1"));
    QCOMPARE(m->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QString("H1"));
    QCOMPARE(m->headerData(1, Qt::Horizontal, Qt::ToolTipRole).toString(), QString("second column"));
    g.SetHintsShown(false);
    QVERIFY(!m->headerData(1, Qt::Horizontal, Qt::ToolTipRole).isValid());
    QCOMPARE(m->data(m->index(1, 1), Qt::BackgroundRole).value<QBrush>().color(), QColor(0xB4, 0xE6, 0xFF));
    QCOMPARE(m->data(m->index(2, 1), Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
    QVERIFY(m->data(m->index(0, 3), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight);
    QVERIFY(w.isColumnHidden(2));
    QVERIFY(w.isRowHidden(3));
    QCOMPARE(w.columnWidth(0), 70);
    // A column sized to its contents grows to its widest text.
    g.SetText(3, 2, "a much longer text than the others");
    g.SetAutoWidth(3, true);
    QTRY_VERIFY(w.columnWidth(3) > w.fontMetrics().horizontalAdvance("a much longer text"));
    QCOMPARE(w.columnSpan(4, 0), 4);
    // Layout changes made later reach the view.
    g.SetRowHidden(3, false);
    g.SetColumnHidden(2, false);
    g.SetRowHeight(0, 40);
    QVERIFY(!w.isRowHidden(3));
    QVERIFY(!w.isColumnHidden(2));
    QCOMPARE(w.rowHeight(0), 40);
    // The model's current cell follows the view's and the other way round.
    w.setCurrentIndex(m->index(2, 1));
    QCOMPARE(g.CurrentRow(), int64_t(2));
    g.SetCurrent(3, 1);
    QCOMPARE(w.currentIndex(), m->index(1, 3));
}

void GridTest::EditsWriteThroughAndEscapeEndsAnEditWithoutClosingTheDialog() {
    grid::GridModel g;
    Fill(g);
    g.SetReadOnly(0, 0, true);
    int edits = 0;
    g.OnEdit([&](grid::GridModel&, const grid::EditEvent&) { ++edits; });
    QDialog dlg;
    auto* lay = new QVBoxLayout(&dlg);
    auto* w = new gui::GridWidget(g, &dlg);
    lay->addWidget(w);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    auto* m = w->Adapter();
    QVERIFY(!(m->flags(m->index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(m->flags(m->index(0, 1)) & Qt::ItemIsEditable);

    // Typing into a cell and pressing Enter writes the trimmed text.
    w->setFocus();
    w->setCurrentIndex(m->index(1, 1));
    QTest::keyClick(w, Qt::Key_Space);  // any key starts an edit with that key
    QVERIFY(w->IsEditing());
    QWidget* editor = QApplication::focusWidget();
    QVERIFY(qobject_cast<QLineEdit*>(editor));
    QTest::keyClicks(editor, " typed ");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(g.Text(1, 1), std::string("typed"));
    QCOMPARE(edits, 1);
    QVERIFY(g.IsModified());

    // Escape ends the edit; the dialog stays open.
    w->setCurrentIndex(m->index(2, 1));
    w->edit(m->index(2, 1));
    QVERIFY(w->IsEditing());
    editor = QApplication::focusWidget();
    QVERIFY(qobject_cast<QLineEdit*>(editor));
    QTest::keyClicks(editor, "discarded");
    QTest::keyClick(editor, Qt::Key_Escape);
    QTRY_VERIFY(!w->IsEditing());
    QVERIFY(dlg.isVisible());
    QCOMPARE(g.Text(1, 2), std::string("c1 r2"));
    QCOMPARE(edits, 1);
}

void GridTest::CheckBoxesAndDropLists() {
    grid::GridModel g;
    Fill(g);
    g.SetColumnKind(0, grid::CellKind::CheckBox);
    g.SetText(0, 0, "1.000000");
    g.SetText(0, 1, "0");
    g.SetDropList(2, {"TRT", "HLC", "SKY"});
    gui::GridWidget w(g);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* m = w.Adapter();
    QCOMPARE(m->data(m->index(0, 0), Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QVERIFY(!m->data(m->index(0, 0), Qt::DisplayRole).isValid());
    QVERIFY(m->flags(m->index(1, 0)) & Qt::ItemIsUserCheckable);
    QVERIFY(m->setData(m->index(1, 0), Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(g.Text(0, 1), std::string("1"));
    w.setFocus();
    w.setCurrentIndex(m->index(0, 0));
    QTest::keyClick(&w, Qt::Key_Space);
    QCOMPARE(g.Text(0, 0), std::string("0"));

    w.setCurrentIndex(m->index(3, 2));
    w.edit(m->index(3, 2));
    auto* box = qobject_cast<QComboBox*>(QApplication::focusWidget());
    QVERIFY(box);
    QCOMPARE(box->count(), 3);
    box->setCurrentIndex(1);
    QTest::keyClick(box, Qt::Key_Return);
    QTRY_COMPARE(g.Text(2, 3), std::string("HLC"));
}

void GridTest::RightClickMenuComesFromTheFormAndNotWhileEditing() {
    grid::GridModel g;
    Fill(g);
    std::string ran;
    g.OnRightClick([&](grid::GridModel& m, grid::CellRef c) {
        std::vector<grid::MenuItem> items;
        items.push_back({"Add Row", [&] { ran = "add"; }});
        items.push_back(grid::MenuItem::Separator());
        items.push_back({"Delete Row", [&, row = c.row] { ran = "delete " + std::to_string(row); }});
        (void)m;
        return items;
    });
    gui::GridWidget w(g);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* m = w.Adapter();
    QMenu* menu = w.BuildContextMenu(m->index(2, 1));
    QVERIFY(menu);
    QCOMPARE(g.Current(), (grid::CellRef{1, 2}));
    auto actions = menu->actions();
    QCOMPARE(actions.size(), 3);
    QCOMPARE(actions[0]->text(), QString("Add Row"));
    QVERIFY(actions[1]->isSeparator());
    actions[2]->trigger();
    QCOMPARE(ran, std::string("delete 2"));
    delete menu;

    w.edit(m->index(0, 0));
    QVERIFY(w.IsEditing());
    QVERIFY(!w.BuildContextMenu(m->index(0, 0)));
}

void GridTest::CopyAndPasteABlockThroughTheClipboardAllOrNothing() {
    grid::GridModel g;
    Fill(g);
    g.SetColumnHidden(2, true);
    g.SetColumnReadOnly(0, true);
    // The form's rules: column 3 takes no text "bad".
    g.OnCheckEdit([](const grid::GridModel&, int col, int64_t, const std::string& text) {
        return col == 3 && text == "bad" ? std::string("Not a value here") : std::string();
    });
    ui::ScriptedUi ui;
    gui::GridWidget w(g);
    w.SetUi(&ui);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* m = w.Adapter();
    w.selectionModel()->select(QItemSelection(m->index(1, 1), m->index(2, 3)),
                               QItemSelectionModel::ClearAndSelect);
    w.setFocus();
    QTest::keyClick(&w, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QString("c1 r1\tc3 r1\nc1 r2\tc3 r2\n"));

    // Ctrl+V at row 3, column 1: the block goes across the shown columns 1 and 3.
    auto click = [&](int row, int col) {
        w.selectionModel()->setCurrentIndex(m->index(row, col), QItemSelectionModel::ClearAndSelect);
    };
    click(3, 1);
    QTest::keyClick(&w, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(g.Text(1, 3), std::string("c1 r1"));
    QCOMPARE(g.Text(3, 4), std::string("c3 r2"));
    QCOMPARE(m->data(m->index(4, 3), Qt::DisplayRole).toString(), QString("c3 r2"));
    QVERIFY(ui.Messages().empty());

    // One refused cell: nothing changes, the user is told which and why, and the
    // refused cell becomes current.
    QApplication::clipboard()->setText("x\tx\ny\tbad\n");
    click(0, 1);
    QTest::keyClick(&w, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(g.Text(1, 0), std::string("c1 r0"));
    QCOMPARE(g.Text(3, 0), std::string("c3 r0"));
    QCOMPARE(ui.Messages().size(), size_t(1));
    QCOMPARE(ui.Messages()[0].text, std::string("Row 2, column H3: Not a value here\nNothing was pasted."));
    QCOMPARE(w.currentIndex(), m->index(1, 3));
    // Into a read-only column, refused too.
    QApplication::clipboard()->setText("z");
    click(0, 0);
    QTest::keyClick(&w, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(g.Text(0, 0), std::string("c0 r0"));
    QCOMPARE(ui.Messages().size(), size_t(2));
}

void GridTest::FindMovesToTheCellOrSaysItemNotFound() {
    grid::GridModel g;
    Fill(g);
    ui::ScriptedUi ui;
    gui::GridWidget w(g);
    w.SetUi(&ui);
    w.resize(400, 300);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.setFocus();
    QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
    auto* edit = w.findChild<QLineEdit*>("gridFindEdit");
    QVERIFY(edit);
    QVERIFY(edit->isVisible());
    QTest::keyClicks(edit, "C2 R3");
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(w.currentIndex(), w.Adapter()->index(3, 2));
    QVERIFY(ui.Messages().empty());
    QVERIFY(!w.FindNext("nowhere"));
    QCOMPARE(ui.Messages().size(), size_t(1));
    QCOMPARE(ui.Messages()[0].text, std::string("Item not found"));
}

void GridTest::LargeBoundTableOpensAndFollowsRowChanges() {
    auto v = mk::View::Make("Tree:I,Species:S,DBH:F");
    QVERIFY(v.ok());
    v->SetRowCount(100000);
    v->SetInt(99999, 0, 99999);
    grid::GridModel g;
    g.BindView(*v);
    gui::GridWidget w(g);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.Adapter()->rowCount(), 100000);
    w.scrollToBottom();
    QCOMPARE(w.Adapter()->data(w.Adapter()->index(99999, 0), Qt::DisplayRole).toString(), QString("99999"));
    g.AddRow();
    QCOMPARE(w.Adapter()->rowCount(), 100001);
    g.DeleteRow(0);
    g.DeleteRow(0);
    QCOMPARE(w.Adapter()->rowCount(), 99999);
}

QTEST_MAIN(GridTest)
#include "grid_widget_test.moc"
