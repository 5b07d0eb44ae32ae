#include "grid/grid_model.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "store/cruise_store.h"
#include "ui/ui_port.h"

namespace grid {

// ---------------------------------------------------------------------------------
void Style::Merge(const Style& over) {
    if (over.kind) kind = over.kind;
    if (over.read_only) read_only = over.read_only;
    if (over.background) background = over.background;
    if (over.text_color) text_color = over.text_color;
    if (over.font) font = over.font;
    if (over.align) align = over.align;
    if (over.borders) borders = over.borders;
    if (over.shaded) shaded = over.shaded;
}

bool Style::Empty() const {
    return !kind && !read_only && !background && !text_color && !font && !align && !borders &&
           !shaded;
}

// ---------------------------------------------------------------------------------
StoreSlotSource::StoreSlotSource(store::CCruiseStore& store, int slot) : store_(store), slot_(slot) {}

int64_t StoreSlotSource::RowCount() const { return store_.RowCount(slot_); }
int StoreSlotSource::ColumnCount() const {
    return store_.ValidSlot(slot_) ? store_.View(slot_).ColumnCount() : 0;
}
std::string StoreSlotSource::ColumnName(int col) const { return store_.View(slot_).Column(col).name; }
char StoreSlotSource::ColumnType(int col) const {
    return static_cast<char>(store_.View(slot_).Column(col).type);
}
std::string StoreSlotSource::Get(int64_t row, int col) const {
    std::string out;
    store_.GetString(slot_, static_cast<int>(row), ColumnName(col), out);
    return out;
}
bool StoreSlotSource::Set(int64_t row, int col, const std::string& text) {
    return store_.SetString(slot_, static_cast<int>(row), ColumnName(col), text) == 0;
}
int64_t StoreSlotSource::AddRow() {
    if (!store_.ValidSlot(slot_)) return -1;
    return store_.View(slot_).AddRow();
}
bool StoreSlotSource::RemoveRow(int64_t row) {
    // The store answers with the rows left, or a negative code.
    if (row < 0 || row >= RowCount()) return false;
    return store_.DeleteRow(slot_, static_cast<int>(row)) >= 0;
}

// ---------------------------------------------------------------------------------
std::string CellText(const mk::View& view, int row, int col) {
    switch (view.Column(col).type) {
        case mk::Type::String: return view.GetString(row, col);
        case mk::Type::Int:
        case mk::Type::Long: return std::to_string(view.GetLong(row, col));
        case mk::Type::Float:
        case mk::Type::Double: {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%g", view.GetDouble(row, col));
            return buf;
        }
        case mk::Type::Bytes: return "(" + std::to_string(view.GetBytes(row, col).size()) + " bytes)";
        case mk::Type::View: return "[" + std::to_string(view.GetSubview(row, col).RowCount()) + " rows]";
    }
    return {};
}

ViewSource::ViewSource(mk::View view, bool read_only) : view_(std::move(view)), read_only_(read_only) {}

int64_t ViewSource::RowCount() const { return view_.RowCount(); }
int ViewSource::ColumnCount() const { return view_.ColumnCount(); }
std::string ViewSource::ColumnName(int col) const { return view_.Column(col).name; }
char ViewSource::ColumnType(int col) const { return static_cast<char>(view_.Column(col).type); }
std::string ViewSource::Get(int64_t row, int col) const {
    return CellText(view_, static_cast<int>(row), col);
}
bool ViewSource::Set(int64_t row, int col, const std::string& text) {
    if (read_only_) return false;
    int r = static_cast<int>(row);
    switch (view_.Column(col).type) {
        case mk::Type::String: view_.SetString(r, col, text); return true;
        case mk::Type::Int:
        case mk::Type::Long: view_.SetLong(r, col, store::LeadingInteger(text)); return true;
        case mk::Type::Float:
        case mk::Type::Double: view_.SetDouble(r, col, store::LeadingDouble(text)); return true;
        default: return false;
    }
}
int64_t ViewSource::AddRow() { return read_only_ ? -1 : view_.AddRow(); }
bool ViewSource::RemoveRow(int64_t row) {
    if (read_only_ || row < 0 || row >= view_.RowCount()) return false;
    view_.RemoveRows(static_cast<int>(row));
    return true;
}

// ---------------------------------------------------------------------------------
GridModel::GridModel() = default;
GridModel::~GridModel() = default;

void GridModel::ResetRowState() {
    row_styles_.clear();
    cell_styles_.clear();
    spans_.clear();
    span_index_.clear();
    hidden_rows_.clear();
    row_heights_.clear();
    row_headings_.clear();
    keep_together_.clear();
    current_ = {};
    modified_ = false;
}

void GridModel::Bind(std::unique_ptr<CellSource> source) {
    std::vector<Column> old = std::move(columns_);
    source_ = std::move(source);
    cells_.clear();
    unbound_rows_ = 0;
    columns_.clear();
    int n = source_ ? source_->ColumnCount() : 0;
    columns_.reserve(n);
    for (int c = 0; c < n; ++c) {
        std::string name = source_->ColumnName(c);
        auto same = std::find_if(old.begin(), old.end(),
                                 [&](const Column& o) { return mk::SameName(o.name, name); });
        Column col;
        if (same != old.end()) {
            col = *same;
        } else {
            char t = source_->ColumnType(c);
            if (t == 'I' || t == 'L' || t == 'F' || t == 'D') col.style.kind = CellKind::Number;
        }
        col.name = name;
        col.heading = name;
        columns_.push_back(std::move(col));
    }
    ResetRowState();
    NotifyLayoutChanged();
}

void GridModel::BindStore(store::CCruiseStore& store, int slot) {
    Bind(std::make_unique<StoreSlotSource>(store, slot));
}

void GridModel::BindView(mk::View view, bool read_only) {
    Bind(std::make_unique<ViewSource>(std::move(view), read_only));
}

void GridModel::Unbind(int cols, int64_t rows) {
    source_.reset();
    columns_.assign(std::max(cols, 0), Column{});
    cells_.clear();
    unbound_rows_ = std::max<int64_t>(rows, 0);
    cells_.resize(static_cast<size_t>(unbound_rows_));
    ResetRowState();
    NotifyLayoutChanged();
}

int GridModel::FindColumn(const std::string& name) const {
    for (int c = 0; c < ColumnCount(); ++c)
        if (mk::SameName(columns_[c].name.empty() ? columns_[c].heading : columns_[c].name, name))
            return c;
    return -1;
}

int64_t GridModel::RowCount() const { return source_ ? source_->RowCount() : unbound_rows_; }

void GridModel::SetColumnCount(int n) {
    if (source_ || n < 0) return;
    columns_.resize(n);
    for (auto& r : cells_)
        if (static_cast<int>(r.size()) > n) r.resize(n);
    NotifyLayoutChanged();
}

void GridModel::SetRowCount(int64_t n) {
    if (source_ || n < 0) return;
    unbound_rows_ = n;
    cells_.resize(static_cast<size_t>(n));
    NotifyLayoutChanged();
}

int64_t GridModel::AddRow() {
    int64_t row;
    if (source_) {
        row = source_->AddRow();
        if (row < 0) return -1;
    } else {
        row = unbound_rows_++;
        cells_.resize(static_cast<size_t>(unbound_rows_));
    }
    modified_ = true;
    NotifyLayoutChanged();
    return row;
}

bool GridModel::DeleteRow(int64_t row) {
    if (row < 0 || row >= RowCount()) return false;
    if (source_) {
        if (!source_->RemoveRow(row)) return false;
    } else {
        cells_.erase(cells_.begin() + row);
        --unbound_rows_;
    }
    ShiftRows(row, -1);
    modified_ = true;
    int64_t n = RowCount();
    if (current_.row >= n) current_.row = n > 0 ? n - 1 : 0;
    NotifyLayoutChanged();
    return true;
}

void GridModel::Refresh() { NotifyLayoutChanged(); }

// Row-keyed state after row `from` was removed (by = -1): entries on it go, later
// entries move up.
void GridModel::ShiftRows(int64_t from, int64_t by) {
    auto move_key = [&](int64_t r) { return r > from ? r + by : r; };
    {
        std::unordered_map<int64_t, Style> m;
        for (auto& [r, s] : row_styles_)
            if (r != from) m.emplace(move_key(r), std::move(s));
        row_styles_.swap(m);
    }
    {
        std::unordered_map<uint64_t, Style> m;
        for (auto& [k, s] : cell_styles_) {
            int64_t r = static_cast<int64_t>(k >> 12);
            int c = static_cast<int>(k & 0xFFF);
            if (r != from) m.emplace(Key(c, move_key(r)), std::move(s));
        }
        cell_styles_.swap(m);
    }
    {
        std::set<int64_t> h;
        for (int64_t r : hidden_rows_)
            if (r != from) h.insert(move_key(r));
        hidden_rows_.swap(h);
    }
    {
        std::unordered_map<int64_t, int> m;
        for (auto& [r, v] : row_heights_)
            if (r != from) m.emplace(move_key(r), v);
        row_heights_.swap(m);
    }
    {
        std::map<int64_t, std::string> m;
        for (auto& [r, v] : row_headings_)
            if (r != from) m.emplace(move_key(r), std::move(v));
        row_headings_.swap(m);
    }
    {
        // A block loses the removed row.
        std::map<int64_t, int64_t> m;
        for (auto [r0, r1] : keep_together_) {
            if (from < r0) m.emplace(r0 + by, r1 + by);
            else if (from > r1) m.emplace(r0, r1);
            else if (r1 > r0) m.emplace(r0, r1 + by);
        }
        keep_together_.swap(m);
    }
    std::vector<Span> kept;
    for (Span s : spans_) {
        if (s.row0 <= from && from <= s.row1) {
            if (s.row0 == s.row1) continue;  // its only row went
            s.row1 += by;
        } else if (s.row0 > from) {
            s.row0 += by;
            s.row1 += by;
        }
        kept.push_back(s);
    }
    spans_.clear();
    span_index_.clear();
    for (const Span& s : kept) Join(s.col0, s.row0, s.col1, s.row1);
}

// ---------------------------------------------------------------------------------
bool GridModel::InGrid(int col, int64_t row) const {
    return col >= 0 && col < ColumnCount() && row >= 0 && row < RowCount();
}

std::string GridModel::RawText(int col, int64_t row) const {
    if (!InGrid(col, row)) return {};
    if (source_) return source_->Get(row, col);
    const auto& r = cells_[static_cast<size_t>(row)];
    return col < static_cast<int>(r.size()) ? r[col] : std::string();
}

std::string GridModel::Text(int col, int64_t row) const { return store::Trim(RawText(col, row)); }

bool GridModel::WriteCell(int col, int64_t row, const std::string& trimmed) {
    if (!InGrid(col, row)) return false;
    if (source_) {
        if (!source_->Set(row, col, trimmed)) return false;
    } else {
        auto& r = cells_[static_cast<size_t>(row)];
        if (static_cast<int>(r.size()) <= col) r.resize(col + 1);
        r[col] = trimmed;
    }
    NotifyCellsChanged(col, row, col, row);
    return true;
}

bool GridModel::SetText(int col, int64_t row, const std::string& text) {
    return WriteCell(col, row, store::Trim(text));
}

double GridModel::Number(int col, int64_t row) const { return store::LeadingDouble(Text(col, row)); }

bool GridModel::SetNumber(int col, int64_t row, double value, const char* format) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, value);
    return SetText(col, row, buf);
}

bool GridModel::IsChecked(int col, int64_t row) const { return Number(col, row) != 0; }

bool GridModel::SetChecked(int col, int64_t row, bool checked) {
    if (col < 0 || col >= ColumnCount()) return false;
    return SetText(col, row, checked ? columns_[col].check_on : columns_[col].check_off);
}

std::string GridModel::CheckEdit(int col, int64_t row, const std::string& text) const {
    if (!InGrid(col, row) || IsReadOnly(col, row) || columns_[col].hidden || IsRowHidden(row))
        return "This cell cannot be changed.";
    return on_check_edit_ ? on_check_edit_(*this, col, row, store::Trim(text)) : std::string();
}

bool GridModel::EditCell(int col, int64_t row, const std::string& text) {
    last_refusal_.clear();
    if (!InGrid(col, row) || IsReadOnly(col, row) || columns_[col].hidden || IsRowHidden(row))
        return false;
    EditEvent ev{col, row, Text(col, row), store::Trim(text)};
    if (on_check_edit_ && !Busy()) {  // a rule's own writes are the program's
        last_refusal_ = on_check_edit_(*this, col, row, ev.new_text);
        if (!last_refusal_.empty()) return false;
    }
    if (!WriteCell(col, row, ev.new_text)) return false;
    ev.new_text = Text(col, row);  // as the table keeps it
    modified_ = true;
    if (on_edit_ && !Busy()) {
        RuleWriteScope guard(*this);
        on_edit_(*this, ev);
    }
    return true;
}

bool GridModel::ToggleCheck(int col, int64_t row) {
    if (col < 0 || col >= ColumnCount()) return false;
    const Column& c = columns_[col];
    return EditCell(col, row, IsChecked(col, row) ? c.check_off : c.check_on);
}

// ---------------------------------------------------------------------------------
std::string GridModel::Heading(int col) const {
    return col >= 0 && col < ColumnCount() ? columns_[col].heading : std::string();
}
void GridModel::SetHeading(int col, const std::string& text) {
    if (col < 0 || col >= ColumnCount()) return;
    columns_[col].heading = text;
    if (!source_) columns_[col].name = text;
    NotifyLayoutChanged();
}
int GridModel::ColumnWidth(int col) const {
    return col >= 0 && col < ColumnCount() ? columns_[col].width : 0;
}
void GridModel::SetColumnWidth(int col, int pixels) {
    if (col < 0 || col >= ColumnCount()) return;
    columns_[col].width = std::max(pixels, 0);
    columns_[col].auto_width = false;
    NotifyLayoutChanged();
}
void GridModel::SetColumnWidthDu(int col, int dialog_units) {
    SetColumnWidth(col, DialogUnitsToPixels(dialog_units));
}
void GridModel::SetAutoWidth(int col, bool on) {
    if (col < 0 || col >= ColumnCount()) return;
    columns_[col].auto_width = on;
    NotifyLayoutChanged();
}
bool GridModel::AutoWidth(int col) const {
    return col >= 0 && col < ColumnCount() && columns_[col].auto_width;
}
void GridModel::SetColumnHidden(int col, bool hidden) {
    if (col < 0 || col >= ColumnCount() || columns_[col].hidden == hidden) return;
    columns_[col].hidden = hidden;
    NotifyLayoutChanged();
}
bool GridModel::IsColumnHidden(int col) const {
    return col >= 0 && col < ColumnCount() && columns_[col].hidden;
}
void GridModel::SetHint(int col, const std::string& hint) {
    if (col >= 0 && col < ColumnCount()) columns_[col].hint = hint;
}
std::string GridModel::Hint(int col) const {
    return col >= 0 && col < ColumnCount() ? columns_[col].hint : std::string();
}
void GridModel::SetHintsShown(bool shown) { hints_shown_ = shown; }

void GridModel::SetDropList(int col, std::vector<std::string> items) {
    if (col < 0 || col >= ColumnCount()) return;
    columns_[col].drop_items = std::move(items);
    columns_[col].style.kind = CellKind::DropList;
    NotifyCellsChanged(col, 0, col, RowCount() - 1);
}
const std::vector<std::string>& GridModel::DropList(int col) const {
    static const std::vector<std::string> none;
    return col >= 0 && col < ColumnCount() ? columns_[col].drop_items : none;
}
void GridModel::SetCheckValues(int col, std::string checked, std::string unchecked) {
    if (col < 0 || col >= ColumnCount()) return;
    columns_[col].check_on = std::move(checked);
    columns_[col].check_off = std::move(unchecked);
}

void GridModel::FitColumnWidths(const std::function<int(const std::string&)>& measure,
                                int64_t sample_rows, int padding) {
    int64_t rows = std::min(RowCount(), std::max<int64_t>(sample_rows, 0));
    for (int c = 0; c < ColumnCount(); ++c) {
        int w = measure(columns_[c].heading);
        for (int64_t r = 0; r < rows; ++r) {
            if (auto s = SpanAt(c, r); s && s->col0 != s->col1) continue;
            w = std::max(w, measure(Text(c, r)));
        }
        columns_[c].width = w + padding;
    }
    NotifyLayoutChanged();
}

// ---------------------------------------------------------------------------------
std::string GridModel::RowHeading(int64_t row) const {
    auto it = row_headings_.find(row);
    return it != row_headings_.end() ? it->second : std::to_string(row + 1);
}
void GridModel::SetRowHeading(int64_t row, const std::string& text) { row_headings_[row] = text; }
void GridModel::SetRowHeadingsShown(bool shown) {
    row_headings_shown_ = shown;
    NotifyLayoutChanged();
}
void GridModel::SetColumnHeadingsShown(bool shown) {
    column_headings_shown_ = shown;
    NotifyLayoutChanged();
}
void GridModel::SetRowHidden(int64_t row, bool hidden) {
    bool changed = hidden ? hidden_rows_.insert(row).second : hidden_rows_.erase(row) > 0;
    if (changed) NotifyLayoutChanged();
}
bool GridModel::IsRowHidden(int64_t row) const {
    return !hidden_rows_.empty() && hidden_rows_.count(row) > 0;
}
void GridModel::SetRowHeight(int64_t row, int pixels) {
    if (pixels <= 0) {
        SetRowHidden(row, true);
        return;
    }
    hidden_rows_.erase(row);
    if (pixels == default_row_height_) row_heights_.erase(row);
    else row_heights_[row] = pixels;
    NotifyLayoutChanged();
}
int GridModel::RowHeight(int64_t row) const {
    if (IsRowHidden(row)) return 0;
    auto it = row_heights_.find(row);
    return it != row_heights_.end() ? it->second : default_row_height_;
}
void GridModel::SetDefaultRowHeight(int pixels) {
    default_row_height_ = std::max(pixels, 1);
    NotifyLayoutChanged();
}

// ---------------------------------------------------------------------------------
void GridModel::SetDefaultFont(const Font& font) {
    default_font_ = font;
    if (default_font_.family.empty()) default_font_.family = "MS Sans Serif";
    if (default_font_.points <= 0) default_font_.points = 8;
    NotifyLayoutChanged();
}

void GridModel::SetGridStyle(const Style& s) {
    grid_style_.Merge(s);
    NotifyCellsChanged(0, 0, ColumnCount() - 1, RowCount() - 1);
}
void GridModel::SetColumnStyle(int col, const Style& s) {
    if (col < 0 || col >= ColumnCount()) return;
    columns_[col].style.Merge(s);
    NotifyCellsChanged(col, 0, col, RowCount() - 1);
}
void GridModel::SetRowStyle(int64_t row, const Style& s) {
    if (row < 0) return;
    row_styles_[row].Merge(s);
    NotifyCellsChanged(0, row, ColumnCount() - 1, row);
}
void GridModel::SetCellStyle(int col, int64_t row, const Style& s) {
    if (col < 0 || col >= 4096 || row < 0) return;
    cell_styles_[Key(col, row)].Merge(s);
    NotifyCellsChanged(col, row, col, row);
}
void GridModel::ClearCellStyles() {
    row_styles_.clear();
    cell_styles_.clear();
    NotifyCellsChanged(0, 0, ColumnCount() - 1, RowCount() - 1);
}

void GridModel::SetReadOnly(int col, int64_t row, bool ro) { SetCellStyle(col, row, Style{.read_only = ro}); }
void GridModel::SetBackground(int col, int64_t row, Color c) { SetCellStyle(col, row, Style{.background = c}); }
void GridModel::SetTextColor(int col, int64_t row, Color c) { SetCellStyle(col, row, Style{.text_color = c}); }
void GridModel::SetFont(int col, int64_t row, const Font& f) { SetCellStyle(col, row, Style{.font = f}); }
void GridModel::SetAlign(int col, int64_t row, Align a) { SetCellStyle(col, row, Style{.align = a}); }
void GridModel::SetBorders(int col, int64_t row, unsigned b) { SetCellStyle(col, row, Style{.borders = b}); }
void GridModel::SetShaded(int col, int64_t row, bool s) { SetCellStyle(col, row, Style{.shaded = s}); }
void GridModel::SetBordersRange(int col0, int64_t row0, int col1, int64_t row1, unsigned b) {
    for (int64_t r = row0; r <= row1; ++r)
        for (int c = col0; c <= col1; ++c) SetBorders(c, r, b);
}
void GridModel::SetColumnReadOnly(int col, bool ro) { SetColumnStyle(col, Style{.read_only = ro}); }
void GridModel::SetColumnKind(int col, CellKind kind) { SetColumnStyle(col, Style{.kind = kind}); }
void GridModel::SetColumnAlign(int col, Align a) { SetColumnStyle(col, Style{.align = a}); }
void GridModel::SetColumnBackground(int col, Color c) { SetColumnStyle(col, Style{.background = c}); }

CellFormat GridModel::Format(int col, int64_t row) const {
    Style s = grid_style_;
    if (col >= 0 && col < ColumnCount()) s.Merge(columns_[col].style);
    if (!row_styles_.empty())
        if (auto it = row_styles_.find(row); it != row_styles_.end()) s.Merge(it->second);
    if (!cell_styles_.empty() && col >= 0)
        if (auto it = cell_styles_.find(Key(col, row)); it != cell_styles_.end()) s.Merge(it->second);

    CellFormat f;
    f.kind = s.kind.value_or(CellKind::Text);
    f.read_only = s.read_only.value_or(false);
    f.background = s.background;
    if (s.shaded.value_or(false)) f.background = shading_;
    f.text_color = s.text_color;
    f.font = s.font.value_or(Font{});
    if (f.font.family.empty()) f.font.family = default_font_.family;
    if (f.font.points <= 0) f.font.points = default_font_.points;
    Align a = s.align.value_or(Align::Auto);
    if (a == Align::Auto) a = f.kind == CellKind::Number ? Align::Right : Align::Left;
    if (f.kind == CellKind::CheckBox && !s.align) a = Align::Center;
    f.align = a;
    f.borders = s.borders.value_or(kBorderNone);
    return f;
}

bool GridModel::IsReadOnly(int col, int64_t row) const { return Format(col, row).read_only; }
CellKind GridModel::Kind(int col, int64_t row) const { return Format(col, row).kind; }

// ---------------------------------------------------------------------------------
bool GridModel::Join(int col0, int64_t row0, int col1, int64_t row1) {
    if (col0 > col1) std::swap(col0, col1);
    if (row0 > row1) std::swap(row0, row1);
    if (col0 < 0 || row0 < 0 || col1 >= ColumnCount() || row1 >= RowCount() || col1 >= 4096)
        return false;
    for (int64_t r = row0; r <= row1; ++r)
        for (int c = col0; c <= col1; ++c)
            if (span_index_.count(Key(c, r))) return false;
    spans_.push_back(Span{col0, row0, col1, row1});
    for (int64_t r = row0; r <= row1; ++r)
        for (int c = col0; c <= col1; ++c) span_index_[Key(c, r)] = spans_.size() - 1;
    NotifyLayoutChanged();
    return true;
}

void GridModel::Unjoin(int col, int64_t row) {
    auto it = span_index_.find(Key(col, row));
    if (it == span_index_.end()) return;
    size_t idx = it->second;
    spans_.erase(spans_.begin() + static_cast<std::ptrdiff_t>(idx));
    span_index_.clear();
    for (size_t i = 0; i < spans_.size(); ++i)
        for (int64_t r = spans_[i].row0; r <= spans_[i].row1; ++r)
            for (int c = spans_[i].col0; c <= spans_[i].col1; ++c) span_index_[Key(c, r)] = i;
    NotifyLayoutChanged();
}

std::optional<Span> GridModel::SpanAt(int col, int64_t row) const {
    if (span_index_.empty() || col < 0 || row < 0) return std::nullopt;
    auto it = span_index_.find(Key(col, row));
    if (it == span_index_.end()) return std::nullopt;
    return spans_[it->second];
}

// ---------------------------------------------------------------------------------
void GridModel::SetCurrent(int col, int64_t row) {
    CellRef to{col, row};
    if (to == current_) return;
    current_ = to;
    for (GridObserver* o : observers_) o->CurrentChanged(current_);
}

namespace {
std::string Lower(std::string s) {
    for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}
}  // namespace

std::optional<CellRef> GridModel::Find(const std::string& text, const FindOptions& opts,
                                       ui::UiPort* ui) {
    int cols = ColumnCount();
    int64_t rows = RowCount();
    std::string needle = opts.match_case ? text : Lower(text);
    if (cols > 0 && rows > 0 && !needle.empty()) {
        int64_t total = rows * cols;
        int64_t start = std::clamp<int64_t>(current_.row, 0, rows - 1) * cols +
                        std::clamp(current_.col, 0, cols - 1);
        for (int64_t step = 1; step <= total; ++step) {
            int64_t pos = opts.forward ? (start + step) % total : ((start - step) % total + total) % total;
            int64_t r = pos / cols;
            int c = static_cast<int>(pos % cols);
            if (columns_[c].hidden || IsRowHidden(r)) continue;
            std::string hay = Text(c, r);
            if (!opts.match_case) hay = Lower(hay);
            bool hit = opts.whole_cell ? hay == needle : hay.find(needle) != std::string::npos;
            if (hit) {
                SetCurrent(c, r);
                return CellRef{c, r};
            }
        }
    }
    if (ui) ui->MessageBox("", kNotFound, ui::Icon::Information);
    return std::nullopt;
}

void GridModel::Click(int col, int64_t row) {
    SetCurrent(col, row);
    if (on_click_) on_click_(*this, CellRef{col, row});
}
void GridModel::DoubleClick(int col, int64_t row) {
    SetCurrent(col, row);
    if (on_double_click_) on_double_click_(*this, CellRef{col, row});
}
std::vector<MenuItem> GridModel::RightClick(int col, int64_t row) {
    SetCurrent(col, row);
    if (!on_right_click_) return {};
    return on_right_click_(*this, CellRef{col, row});
}

// ---------------------------------------------------------------------------------
void GridModel::AddObserver(GridObserver* o) {
    if (o && std::find(observers_.begin(), observers_.end(), o) == observers_.end())
        observers_.push_back(o);
}
void GridModel::RemoveObserver(GridObserver* o) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), o), observers_.end());
}
void GridModel::NotifyCellsChanged(int col0, int64_t row0, int col1, int64_t row1) {
    if (col1 < col0 || row1 < row0) return;
    for (GridObserver* o : observers_) o->CellsChanged(col0, row0, col1, row1);
}
void GridModel::NotifyLayoutChanged() {
    for (GridObserver* o : observers_) o->LayoutChanged();
}

// ---------------------------------------------------------------------------------
std::string GridModel::CopyText(int col0, int64_t row0, int col1, int64_t row1) const {
    if (col0 > col1) std::swap(col0, col1);
    if (row0 > row1) std::swap(row0, row1);
    col0 = std::max(col0, 0);
    row0 = std::max<int64_t>(row0, 0);
    col1 = std::min(col1, ColumnCount() - 1);
    row1 = std::min(row1, RowCount() - 1);
    std::string out;
    for (int64_t r = row0; r <= row1; ++r) {
        if (IsRowHidden(r)) continue;
        bool first = true;
        for (int c = col0; c <= col1; ++c) {
            if (columns_[c].hidden) continue;
            if (!first) out += '\t';
            first = false;
            std::string t = Text(c, r);
            // A tab or line break inside a cell would shift the pasted block.
            for (char& ch : t)
                if (ch == '\t' || ch == '\n' || ch == '\r') ch = ' ';
            out += t;
        }
        out += '\n';
    }
    return out;
}

void GridModel::KeepTogether(int64_t row0, int64_t row1) {
    if (row0 < 0 || row1 <= row0) return;
    int64_t& end = keep_together_[row0];
    end = std::max(end, row1);
}

int64_t GridModel::KeptUntil(int64_t row) const {
    auto it = keep_together_.find(row);
    return it == keep_together_.end() ? row : it->second;
}

std::string GridModel::CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char ch : text) {
        if (ch == '"') out += '"';
        out += ch;
    }
    out += '"';
    return out;
}

void GridModel::WriteCsv(std::ostream& out, bool include_hidden) const {
    auto line = [&](auto&& cell) {
        bool first = true;
        for (int c = 0; c < ColumnCount(); ++c) {
            if (!include_hidden && columns_[c].hidden) continue;
            if (!first) out << ',';
            first = false;
            out << CsvField(cell(c));
        }
        out << "\r\n";
    };
    line([&](int c) { return columns_[c].heading; });
    int64_t rows = RowCount();
    for (int64_t r = 0; r < rows; ++r) {
        if (!include_hidden && IsRowHidden(r)) continue;
        line([&](int c) { return Text(c, r); });
    }
}

}  // namespace grid
