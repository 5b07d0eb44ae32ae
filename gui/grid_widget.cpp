#include "grid_widget.h"

#include <algorithm>
#include <limits>
#include <memory>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QHelpEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QToolTip>
#include <QTimer>
#include <QToolTip>

#include "qt_ui.h"
#include "ui/ui_port.h"

namespace gui {

namespace {

int ClampRows(int64_t n) {
    return static_cast<int>(std::min<int64_t>(n, std::numeric_limits<int>::max()));
}

QColor ToQColor(grid::Color c) { return QColor(c.r, c.g, c.b); }

QFont ToQFont(const grid::Font& f) {
    QFont font(QString::fromStdString(f.family));
    font.setPointSizeF(f.points > 0 ? f.points : 8);
    font.setBold(f.bold);
    font.setItalic(f.italic);
    return font;
}

Qt::Alignment ToQAlign(grid::Align a) {
    switch (a) {
        case grid::Align::Right: return Qt::AlignRight | Qt::AlignVCenter;
        case grid::Align::Center: return Qt::AlignHCenter | Qt::AlignVCenter;
        default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

}  // namespace

// ---------------------------------------------------------------------------------
GridTableModel::GridTableModel(grid::GridModel& model, QObject* parent)
    : QAbstractTableModel(parent), model_(model) {
    rows_ = ClampRows(model_.RowCount());
    cols_ = model_.ColumnCount();
    model_.AddObserver(this);
}

GridTableModel::~GridTableModel() { model_.RemoveObserver(this); }

int GridTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }
int GridTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

QVariant GridTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    int c = index.column();
    int64_t r = index.row();
    switch (role) {
        case Qt::DisplayRole:
            if (model_.Kind(c, r) == grid::CellKind::CheckBox) return {};
            return QString::fromStdString(model_.Text(c, r));
        case Qt::EditRole: return QString::fromStdString(model_.Text(c, r));
        case Qt::CheckStateRole:
            if (model_.Kind(c, r) != grid::CellKind::CheckBox) return {};
            return model_.IsChecked(c, r) ? Qt::Checked : Qt::Unchecked;
        case Qt::BackgroundRole: {
            auto f = model_.Format(c, r);
            if (f.background) return QBrush(ToQColor(*f.background));
            return {};
        }
        case Qt::ForegroundRole: {
            auto f = model_.Format(c, r);
            if (f.text_color) return QBrush(ToQColor(*f.text_color));
            return {};
        }
        case Qt::FontRole: return ToQFont(model_.Format(c, r).font);
        case Qt::TextAlignmentRole: return QVariant::fromValue(ToQAlign(model_.Format(c, r).align));
        default: return {};
    }
}

bool GridTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid()) return false;
    int c = index.column();
    int64_t r = index.row();
    if (role == Qt::CheckStateRole) {
        bool want = value.toInt() == Qt::Checked;
        if (want == model_.IsChecked(c, r)) return true;
        return model_.ToggleCheck(c, r);
    }
    if (role != Qt::EditRole) return false;
    if (model_.EditCell(c, r, value.toString().toStdString())) return true;
    if (!model_.LastRefusal().empty())
        emit editRefused(c, static_cast<int>(r), QString::fromStdString(model_.LastRefusal()));
    return false;
}

Qt::ItemFlags GridTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    auto fmt = model_.Format(index.column(), index.row());
    if (fmt.read_only) return f;
    if (fmt.kind == grid::CellKind::CheckBox) return f | Qt::ItemIsUserCheckable;
    return f | Qt::ItemIsEditable;
}

QVariant GridTableModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o == Qt::Horizontal) {
        if (role == Qt::DisplayRole) return QString::fromStdString(model_.Heading(section));
        if (role == Qt::ToolTipRole && model_.HintsShown()) {
            std::string hint = model_.Hint(section);
            if (!hint.empty()) return QString::fromStdString(hint);
        }
        return {};
    }
    if (role == Qt::DisplayRole) return QString::fromStdString(model_.RowHeading(section));
    return {};
}

void GridTableModel::CellsChanged(int col0, int64_t row0, int col1, int64_t row1) {
    if (rows_ == 0 || cols_ == 0) return;
    col0 = std::clamp(col0, 0, cols_ - 1);
    col1 = std::clamp(col1, 0, cols_ - 1);
    int r0 = static_cast<int>(std::clamp<int64_t>(row0, 0, rows_ - 1));
    int r1 = static_cast<int>(std::clamp<int64_t>(row1, 0, rows_ - 1));
    emit dataChanged(index(r0, col0), index(r1, col1));
}

void GridTableModel::LayoutChanged() {
    int rows = ClampRows(model_.RowCount());
    int cols = model_.ColumnCount();
    if (rows != rows_ || cols != cols_) {
        beginResetModel();
        rows_ = rows;
        cols_ = cols;
        endResetModel();
    } else {
        if (cols_ > 0) emit headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
        if (rows_ > 0 && cols_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1));
    }
    emit layoutNeeded();
}

void GridTableModel::CurrentChanged(grid::CellRef cell) {
    emit currentMoved(cell.col, static_cast<int>(cell.row));
}

// ---------------------------------------------------------------------------------
GridDelegate::GridDelegate(grid::GridModel& model, QObject* parent)
    : QStyledItemDelegate(parent), model_(model) {}

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    if (model_.Kind(index.column(), index.row()) == grid::CellKind::DropList) {
        auto* box = new QComboBox(parent);
        for (const std::string& item : model_.DropList(index.column()))
            box->addItem(QString::fromStdString(item));
        return box;
    }
    return QStyledItemDelegate::createEditor(parent, option, index);
}

void GridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        int at = box->findText(index.data(Qt::EditRole).toString());
        box->setCurrentIndex(std::max(at, 0));
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void GridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                const QModelIndex& index) const {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        model->setData(index, box->currentText(), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

int GridDelegate::Overhang(int col, int64_t row) const {
    auto span = model_.SpanAt(col, row);
    int last = model_.ColumnCount() - 1;
    if (!span || span->col0 != col || span->row0 != row || span->col1 == span->col0 || span->col1 != last)
        return 0;
    grid::CellFormat f = model_.Format(col, row);
    if (f.align != grid::Align::Left) return 0;
    QString text = QString::fromStdString(model_.Text(col, row));
    if (text.isEmpty()) return 0;
    int width = 0;
    for (int c = span->col0; c <= span->col1; ++c)
        if (!model_.IsColumnHidden(c)) width += model_.ColumnWidth(c);
    // The style's own text margins on both sides, and a pixel to spare.
    int need = QFontMetrics(ToQFont(f.font)).horizontalAdvance(text) + 8;
    return std::max(0, need - width);
}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    // Nothing is right of the last column, so the title takes that blank instead of
    // being cut with an ellipsis.
    if (int more = Overhang(index.column(), index.row())) {
        QStyleOptionViewItem wide = option;
        wide.rect.setWidth(option.rect.width() + more);
        QStyledItemDelegate::paint(painter, wide, index);
    } else {
        QStyledItemDelegate::paint(painter, option, index);
    }
    unsigned b = model_.Format(index.column(), index.row()).borders;
    if (b == grid::kBorderNone) return;
    painter->save();
    painter->setPen(QPen(Qt::black, 1));
    QRect r = option.rect.adjusted(0, 0, -1, -1);
    if (b & grid::kBorderLeft) painter->drawLine(r.topLeft(), r.bottomLeft());
    if (b & grid::kBorderTop) painter->drawLine(r.topLeft(), r.topRight());
    if (b & grid::kBorderRight) painter->drawLine(r.topRight(), r.bottomRight());
    if (b & grid::kBorderBottom) painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->restore();
}

// ---------------------------------------------------------------------------------
GridWidget::GridWidget(grid::GridModel& model, QWidget* parent)
    : QTableView(parent), model_(model), adapter_(new GridTableModel(model, this)) {
    setModel(adapter_);
    setItemDelegate(new GridDelegate(model_, this));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    setWordWrap(false);
    // Sizing to contents looks at the rows in sight, never at all 100,000.
    horizontalHeader()->setResizeContentsPrecision(200);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    connect(adapter_, &GridTableModel::layoutNeeded, this, &GridWidget::ApplyLayout);
    connect(adapter_, &GridTableModel::currentMoved, this, [this](int col, int row) {
        if (syncing_current_) return;
        QModelIndex at = adapter_->index(row, col);
        if (at.isValid() && at != currentIndex()) {
            syncing_current_ = true;
            setCurrentIndex(at);
            syncing_current_ = false;
        }
    });
    connect(this, &QTableView::clicked, this, [this](const QModelIndex& i) {
        if (i.isValid()) model_.Click(i.column(), i.row());
    });
    // The cell keeps its old text; the hint under it says why.
    connect(adapter_, &GridTableModel::editRefused, this, [this](int col, int row, const QString& reason) {
        refusal_ = reason;
        QRect cell = visualRect(adapter_->index(row, col));
        QToolTip::showText(viewport()->mapToGlobal(cell.bottomLeft()), reason, viewport(), cell, 6000);
    });
    connect(this, &QTableView::doubleClicked, this, [this](const QModelIndex& i) {
        if (i.isValid()) model_.DoubleClick(i.column(), i.row());
    });
    ApplyLayout();
}

GridWidget::~GridWidget() = default;

void GridWidget::ApplyLayout() {
    QFont f = ToQFont(model_.DefaultFont());
    setFont(f);
    horizontalHeader()->setVisible(model_.ColumnHeadingsShown());
    verticalHeader()->setVisible(model_.RowHeadingsShown());
    verticalHeader()->setDefaultSectionSize(model_.DefaultRowHeight());
    verticalHeader()->setMinimumSectionSize(1);

    int cols = adapter_->columnCount();
    int rows = adapter_->rowCount();
    for (int c = 0; c < cols; ++c) {
        setColumnHidden(c, model_.IsColumnHidden(c));
        if (!model_.AutoWidth(c))
            setColumnWidth(c, widen_to_text_ ? std::max(model_.ColumnWidth(c), TextWidth(c)) : model_.ColumnWidth(c));
    }
    // Only the rows that are or were special are touched.
    for (int64_t r : hidden_rows_shown_)
        if (r < rows && !model_.IsRowHidden(r)) setRowHidden(static_cast<int>(r), false);
    hidden_rows_shown_.clear();
    for (int64_t r : model_.HiddenRows())
        if (r < rows) {
            setRowHidden(static_cast<int>(r), true);
            hidden_rows_shown_.insert(r);
        }
    for (auto [r, h] : heights_set_)
        if (r < rows) setRowHeight(static_cast<int>(r), model_.DefaultRowHeight());
    heights_set_.clear();
    for (auto [r, h] : model_.RowHeights())
        if (r < rows) {
            setRowHeight(static_cast<int>(r), h);
            heights_set_.emplace_back(r, h);
        }
    clearSpans();
    for (const grid::Span& s : model_.Spans())
        if (s.row1 < rows)
            setSpan(static_cast<int>(s.row0), s.col0, static_cast<int>(s.row1 - s.row0 + 1),
                    s.col1 - s.col0 + 1);
    // Measuring contents is the dear part: once, after a burst of changes.
    if (!size_pending_) {
        size_pending_ = true;
        QTimer::singleShot(0, this, [this] {
            size_pending_ = false;
            SizeToContents();
        });
    }
    grid::CellRef cur = model_.Current();
    QModelIndex at = adapter_->index(static_cast<int>(cur.row), cur.col);
    if (at.isValid() && at != currentIndex()) {
        syncing_current_ = true;
        setCurrentIndex(at);
        syncing_current_ = false;
    }
}

void GridWidget::SizeToContents() {
    for (int c = 0; c < adapter_->columnCount(); ++c)
        if (model_.AutoWidth(c) && !model_.IsColumnHidden(c)) {
            resizeColumnToContents(c);
            if (columnWidth(c) > kMaxAutoWidth) setColumnWidth(c, kMaxAutoWidth);
        }
}

void GridWidget::SetWidenToText(bool on) {
    widen_to_text_ = on;
    ApplyLayout();
}

int GridWidget::TextWidth(int col) const {
    // Reports repeat their labels; the first rows hold every kind.
    const int64_t rows = std::min<int64_t>(model_.RowCount(), 2000);
    int widest = 0;
    for (int64_t r = 0; r < rows; ++r) {
        if (model_.SpanAt(col, r)) continue;
        const std::string text = model_.Text(col, r);
        if (text.empty()) continue;
        QFontMetrics fm(ToQFont(model_.Format(col, r).font));
        widest = std::max(widest, fm.horizontalAdvance(QString::fromStdString(text)));
    }
    // The style's text margins on both sides.
    return widest > 0 ? widest + 10 : 0;
}

QString GridWidget::CellHint(const QModelIndex& index) const {
    if (!index.isValid() || model_.Kind(index.column(), index.row()) == grid::CellKind::CheckBox) return {};
    const QString text = QString::fromStdString(model_.Text(index.column(), index.row()));
    if (text.isEmpty()) return {};
    QFontMetrics fm(ToQFont(model_.Format(index.column(), index.row()).font));
    if (fm.horizontalAdvance(text) + 8 <= visualRect(index).width()) return {};
    return text;
}

bool GridWidget::viewportEvent(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const QString hint = CellHint(indexAt(help->pos()));
        if (!hint.isEmpty()) {
            // A list without blanks ("1,2,3,...") may break after its commas, so a
            // long one wraps inside the screen.
            QString wrapped = hint.toHtmlEscaped();
            wrapped.replace(QRegularExpression(",(?! )"), ", ");
            QToolTip::showText(help->globalPos(), "<p>" + wrapped + "</p>", viewport());
            return true;
        }
        QToolTip::hideText();
    }
    return QTableView::viewportEvent(e);
}

int GridWidget::ContentWidth() const {
    int width = 0;
    for (int c = 0; c < model_.ColumnCount(); ++c)
        if (!model_.IsColumnHidden(c)) width += std::max(model_.ColumnWidth(c), columnWidth(c));
    auto* delegate = qobject_cast<GridDelegate*>(itemDelegate());
    int more = 0;
    if (delegate)
        for (const grid::Span& s : model_.Spans()) more = std::max(more, delegate->Overhang(s.col0, s.row0));
    return width + more;
}

void GridWidget::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (!current.isValid() || syncing_current_) return;
    syncing_current_ = true;
    model_.SetCurrent(current.column(), current.row());
    syncing_current_ = false;
}

ui::UiPort& GridWidget::Port(std::unique_ptr<QtUi>& spare) const {
    if (ui_) return *ui_;
    spare = std::make_unique<QtUi>();
    return *spare;
}

bool GridWidget::SelectedBlock(grid::CellBlock& block) const {
    QModelIndexList sel = selectionModel() ? selectionModel()->selectedIndexes() : QModelIndexList{};
    if (sel.isEmpty()) {
        QModelIndex cur = currentIndex();
        if (!cur.isValid()) return false;
        block = {cur.column(), cur.row(), cur.column(), cur.row()};
        return true;
    }
    int c0 = std::numeric_limits<int>::max(), r0 = std::numeric_limits<int>::max(), c1 = -1, r1 = -1;
    for (const QModelIndex& i : sel) {
        c0 = std::min(c0, i.column());
        c1 = std::max(c1, i.column());
        r0 = std::min(r0, i.row());
        r1 = std::max(r1, i.row());
    }
    block = {c0, r0, c1, r1};
    return true;
}

void GridWidget::CopySelection() {
    grid::CellBlock b;
    if (!SelectedBlock(b)) return;
    QApplication::clipboard()->setText(QString::fromStdString(model_.CopyText(b.col0, b.row0, b.col1, b.row1)));
}

bool GridWidget::PasteClipboard() {
    grid::CellBlock b;
    if (!SelectedBlock(b) || IsEditing()) return false;
    const std::string text = QApplication::clipboard()->text().toStdString();
    grid::PasteResult r = paste_ ? paste_(model_, b, text) : grid::PasteText(model_, b, text);
    if (!r.ok) {
        if (r.refused_cell.col >= 0) setCurrentIndex(adapter_->index(static_cast<int>(r.refused_cell.row), r.refused_cell.col));
        std::unique_ptr<QtUi> spare;
        Port(spare).MessageBox("Warning", r.refusal, ui::Icon::Exclamation);
        return false;
    }
    model_.NotifyCellsChanged(0, 0, model_.ColumnCount() - 1, model_.RowCount() - 1);
    return true;
}

void GridWidget::ShowFind() {
    if (!find_bar_) {
        find_bar_ = new QFrame(this);
        find_bar_->setFrameShape(QFrame::StyledPanel);
        find_bar_->setAutoFillBackground(true);
        auto* lay = new QHBoxLayout(find_bar_);
        lay->setContentsMargins(4, 2, 4, 2);
        lay->addWidget(new QLabel(tr("Find:"), find_bar_));
        find_edit_ = new QLineEdit(find_bar_);
        find_edit_->setObjectName("gridFindEdit");
        lay->addWidget(find_edit_);
        connect(find_edit_, &QLineEdit::returnPressed, this, [this] { FindNext(find_edit_->text()); });
    }
    PlaceFindBar();
    find_bar_->show();
    find_bar_->raise();
    find_edit_->setFocus();
    find_edit_->selectAll();
}

void GridWidget::PlaceFindBar() {
    if (!find_bar_) return;
    QSize hint = find_bar_->sizeHint();
    int w = std::min(std::max(hint.width(), 220), width());
    find_bar_->setGeometry(width() - w - 2, height() - hint.height() - 2, w, hint.height());
}

void GridWidget::resizeEvent(QResizeEvent* e) {
    QTableView::resizeEvent(e);
    PlaceFindBar();
}

bool GridWidget::FindNext(const QString& text) {
    std::unique_ptr<QtUi> spare;
    auto hit = model_.Find(text.toStdString(), {}, &Port(spare));
    if (!hit) return false;
    QModelIndex at = adapter_->index(static_cast<int>(hit->row), hit->col);
    setCurrentIndex(at);
    scrollTo(at);
    return true;
}

QMenu* GridWidget::BuildContextMenu(const QModelIndex& index) {
    if (IsEditing() || !index.isValid()) return nullptr;
    std::vector<grid::MenuItem> items = model_.RightClick(index.column(), index.row());
    if (items.empty()) return nullptr;
    auto* menu = new QMenu(this);
    for (grid::MenuItem& item : items) {
        if (item.IsSeparator()) {
            menu->addSeparator();
            continue;
        }
        QAction* a = menu->addAction(QString::fromStdString(item.text));
        a->setEnabled(item.enabled);
        if (item.checked) {
            a->setCheckable(true);
            a->setChecked(true);
        }
        if (item.action) connect(a, &QAction::triggered, this, [fn = item.action] { fn(); });
    }
    return menu;
}

void GridWidget::contextMenuEvent(QContextMenuEvent* e) {
    QModelIndex at = indexAt(e->pos());
    if (at.isValid() && at != currentIndex()) setCurrentIndex(at);
    QMenu* menu = BuildContextMenu(at);
    if (!menu) return;
    menu->exec(e->globalPos());
    menu->deleteLater();
}

void GridWidget::keyPressEvent(QKeyEvent* e) {
    if (e->matches(QKeySequence::Copy)) {
        CopySelection();
        return;
    }
    if (e->matches(QKeySequence::Paste)) {
        PasteClipboard();
        return;
    }
    if (e->matches(QKeySequence::Find)) {
        ShowFind();
        return;
    }
    if (e->key() == Qt::Key_Escape && find_bar_ && find_bar_->isVisible()) {
        find_bar_->hide();
        setFocus();
        return;
    }
    if (e->key() == Qt::Key_Space && currentIndex().isValid() &&
        (adapter_->flags(currentIndex()) & Qt::ItemIsUserCheckable)) {
        model_.ToggleCheck(currentIndex().column(), currentIndex().row());
        return;
    }
    QTableView::keyPressEvent(e);
}

}  // namespace gui
