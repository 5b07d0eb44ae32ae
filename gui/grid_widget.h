#pragma once
// The one grid widget of the front end: a QTableView over a grid::GridModel. Every
// form and report window shows its grids with it; the form's logic talks only to the
// model (edits, clicks, right-click menus, presentation), the widget draws it.
//
// In-place editing (Escape ends an edit without closing the dialog), check boxes,
// drop lists, right-click menus built by the owning form (never while a cell is being
// edited), sizing to contents, keyboard navigation, Ctrl+F find, Ctrl+C copy of the
// selected block as tab-separated text, Ctrl+V paste of such a block (all or nothing).
#include <QAbstractTableModel>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "grid/grid_model.h"
#include "grid/grid_paste.h"

class QLineEdit;
class QFrame;
class QMenu;

namespace ui { class UiPort; }

namespace gui {

class QtUi;

// Qt's view of a grid::GridModel. Asks the model only for the cells it shows.
class GridTableModel : public QAbstractTableModel, public grid::GridObserver {
    Q_OBJECT
public:
    explicit GridTableModel(grid::GridModel& model, QObject* parent = nullptr);
    ~GridTableModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    grid::GridModel& Grid() { return model_; }

    // grid::GridObserver
    void CellsChanged(int col0, int64_t row0, int col1, int64_t row1) override;
    void LayoutChanged() override;
    void CurrentChanged(grid::CellRef cell) override;

signals:
    // The model's layout changed: the view re-applies widths, hidden parts and spans.
    void layoutNeeded();
    void currentMoved(int col, int row);
    // A user's edit was refused; `reason` names the column and what it takes.
    void editRefused(int col, int row, const QString& reason);

private:
    grid::GridModel& model_;
    int rows_ = 0;
    int cols_ = 0;
};

// Draws drop lists as combo boxes while editing, and cell borders.
class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit GridDelegate(grid::GridModel& model, QObject* parent = nullptr);
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // How far (pixels) the text of a joined cell that ends at the last column runs
    // on past the grid's right edge; such a cell heads the table, as a report title
    // does, and shows whole over the blank beside the grid. 0 for any other cell.
    int Overhang(int col, int64_t row) const;

private:
    grid::GridModel& model_;
};

class GridWidget : public QTableView {
    Q_OBJECT
public:
    // The model must outlive the widget.
    explicit GridWidget(grid::GridModel& model, QWidget* parent = nullptr);
    ~GridWidget() override;

    grid::GridModel& Grid() { return model_; }
    GridTableModel* Adapter() { return adapter_; }
    // Messages ("Item not found") go through this port; without one, Qt's own.
    void SetUi(ui::UiPort* ui) { ui_ = ui; }

    // Columns marked for automatic width are sized to what they show, up to
    // kMaxAutoWidth: a longer text (a stratum's 400 units) is cut short with "..."
    // and shown whole as the cell's hint.
    void SizeToContents();
    static constexpr int kMaxAutoWidth = 320;
    // The whole text of a cell too narrow to show it (the cell's hint), else empty.
    QString CellHint(const QModelIndex& index) const;
    // Columns no narrower than their texts on screen (a report's labels in the
    // screen's font), whatever width the model gives them for paper and text files.
    void SetWidenToText(bool on);
    // The width the grid's content needs: its columns plus the widest title that
    // runs on past them.
    int ContentWidth() const;
    // Widths, hidden columns and rows, heights and spans from the model; columns sized
    // to contents follow when the event loop next runs.
    void ApplyLayout();
    // The selected block (or the current cell) as tab-separated text on the clipboard.
    void CopySelection();
    // The clipboard's block into the selection, checked cell by cell first; a
    // refusal is shown and changes nothing. True when pasted.
    bool PasteClipboard();
    // How a paste is applied; a form with its own undo wraps the paste in one step.
    using PasteHandler = std::function<grid::PasteResult(grid::GridModel&, const grid::CellBlock&, const std::string&)>;
    void SetPasteHandler(PasteHandler h) { paste_ = std::move(h); }
    // The selected block, or the current cell; false when there is neither.
    bool SelectedBlock(grid::CellBlock& block) const;
    // Shows the find bar (Ctrl+F).
    void ShowFind();
    // Finds the next cell holding text and scrolls to it; false when not found (the
    // "Item not found" message has been shown).
    bool FindNext(const QString& text);
    bool IsEditing() const { return state() == QAbstractItemView::EditingState; }
    // The menu the form offers for a cell, as the right-click would show it; empty
    // while a cell is being edited.
    QMenu* BuildContextMenu(const QModelIndex& index);
    // The reason of the last refused edit, as the hint at its cell showed it.
    const QString& RefusalHint() const { return refusal_; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool viewportEvent(QEvent* e) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void PlaceFindBar();
    // The widest text of the column's own cells (joined cells left out), in pixels.
    int TextWidth(int col) const;
    // Messages go through the form's port; a grid without one uses Qt's own boxes.
    ui::UiPort& Port(std::unique_ptr<QtUi>& spare) const;

    grid::GridModel& model_;
    GridTableModel* adapter_;
    ui::UiPort* ui_ = nullptr;
    QString refusal_;
    PasteHandler paste_;
    std::set<int64_t> hidden_rows_shown_;  // rows hidden in the view now
    std::vector<std::pair<int64_t, int>> heights_set_;
    QFrame* find_bar_ = nullptr;
    QLineEdit* find_edit_ = nullptr;
    bool syncing_current_ = false;
    bool widen_to_text_ = false;
    bool size_pending_ = false;
};

}  // namespace gui
