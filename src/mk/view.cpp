#include <algorithm>
#include <new>
#include <unordered_map>

#include "mk/convert.h"
#include "mk/text.h"
#include "mk/mk.h"
#include "mk/view_impl.h"

namespace mk {

using detail::Cell;
using detail::Table;
using detail::ViewImpl;

namespace detail {

std::shared_ptr<ViewImpl> ViewImpl::OnTable(std::shared_ptr<Table> t, std::vector<Field> shown) {
    auto v = std::make_shared<ViewImpl>();
    v->table = std::move(t);
    v->fields = std::move(shown);
    return v;
}

int ViewImpl::Rows() const {
    if (table) return static_cast<int>(table->rows);
    return mapped ? static_cast<int>(rowmap.size()) : base->Rows();
}

const std::vector<int>& ViewImpl::Map() const {
    uint64_t ver = table ? table->version : 1;
    if (mapVersion == ver && colmap.size() == fields.size()) return colmap;
    colmap.clear();
    for (const Field& f : fields) {
        if (table) {
            colmap.push_back(table->Find(f.name));
            continue;
        }
        int found = -1;
        for (size_t i = 0; i < base->fields.size() && found < 0; ++i)
            if (SameName(base->fields[i].name, f.name)) found = static_cast<int>(i);
        colmap.push_back(found);
    }
    mapVersion = ver;
    return colmap;
}

int ViewImpl::BaseRowOf(int row) const {
    if (!mapped) return row;
    return row >= 0 && static_cast<size_t>(row) < rowmap.size() ? static_cast<int>(rowmap[size_t(row)]) : -1;
}

Cell ViewImpl::Resolve(int row, int col) const {
    if (col < 0 || static_cast<size_t>(col) >= fields.size() || row < 0) return {};
    int mc = Map()[static_cast<size_t>(col)];
    if (mc < 0) return {};
    if (table) {
        if (static_cast<uint32_t>(row) >= table->rows) return {};
        return Cell{table.get(), static_cast<uint32_t>(row), mc};
    }
    return base->Resolve(BaseRowOf(row), mc);
}

}  // namespace detail

namespace {

const Field& NoField() {
    static const Field f{};
    return f;
}

// One value of a shown column, in the shown type, for comparisons.
struct Probe {
    Type type;
    std::string text;
    int64_t i = 0;
    double d = 0;
};

Probe Read(const View& v, int row, int col, Type as) {
    Probe p{as, {}, 0, 0};
    switch (as) {
    case Type::String: p.text = v.GetString(row, col); break;
    case Type::Bytes: p.text = v.GetBytes(row, col); break;
    case Type::Int:
    case Type::Long: p.i = v.GetLong(row, col); break;
    case Type::Float: p.d = v.GetFloat(row, col); break;
    case Type::Double: p.d = v.GetDouble(row, col); break;
    case Type::View: break;
    }
    return p;
}

int Compare(const Probe& a, const Probe& b) {
    switch (a.type) {
    case Type::String:
    case Type::Bytes: return a.text.compare(b.text) < 0 ? -1 : (a.text == b.text ? 0 : 1);
    case Type::Int:
    case Type::Long: return a.i < b.i ? -1 : (a.i > b.i ? 1 : 0);
    case Type::Float:
    case Type::Double: return a.d < b.d ? -1 : (a.d > b.d ? 1 : 0);
    case Type::View: return 0;
    }
    return 0;
}

// The key columns of `key` that this view has, with their wanted values.
std::vector<std::pair<int, Probe>> KeyProbes(const View& v, const View& key) {
    std::vector<std::pair<int, Probe>> out;
    if (key.RowCount() < 1) return out;
    for (int kc = 0; kc < key.ColumnCount(); ++kc) {
        int c = v.FindColumn(key.Column(kc).name);
        if (c < 0 || v.Column(c).type == Type::View) continue;
        out.emplace_back(c, Read(key, 0, kc, v.Column(c).type));
    }
    return out;
}

bool Matches(const View& v, int row, const std::vector<std::pair<int, Probe>>& probes) {
    for (const auto& [c, want] : probes)
        if (Compare(Read(v, row, c, want.type), want) != 0) return false;
    return true;
}

// Sort keys of one column for all rows, extracted once.
struct SortColumn {
    Type type;
    bool descending;
    std::vector<std::string> text;
    std::vector<double> num;
    std::vector<int64_t> ints;

    int Cmp(uint32_t a, uint32_t b) const {
        int r = 0;
        if (type == Type::String || type == Type::Bytes) r = text[a].compare(text[b]);
        else if (type == Type::Int || type == Type::Long) r = ints[a] < ints[b] ? -1 : ints[a] > ints[b];
        else r = num[a] < num[b] ? -1 : num[a] > num[b];
        r = r < 0 ? -1 : (r > 0 ? 1 : 0);
        return descending ? -r : r;
    }
};

SortColumn ExtractColumn(const View& v, int col, bool descending) {
    SortColumn s{v.Column(col).type, descending, {}, {}, {}};
    int n = v.RowCount();
    for (int r = 0; r < n; ++r) {
        switch (s.type) {
        case Type::String: s.text.push_back(v.GetString(r, col)); break;
        case Type::Bytes: s.text.push_back(v.GetBytes(r, col)); break;
        case Type::Int:
        case Type::Long: s.ints.push_back(v.GetLong(r, col)); break;
        default: s.num.push_back(v.GetDouble(r, col)); break;
        }
    }
    if (s.type == Type::View) s.type = Type::Double;  // subviews do not order rows
    return s;
}

bool Listed(const std::vector<std::string>& names, std::string_view name) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return SameName(n, name); });
}

std::vector<uint32_t> SortedRows(const View& v, const std::vector<std::string>& cols,
                                 const std::vector<std::string>& descending) {
    std::vector<SortColumn> keys;
    for (const std::string& name : cols) {
        int c = v.FindColumn(name);
        if (c >= 0) keys.push_back(ExtractColumn(v, c, Listed(descending, name)));
    }
    std::vector<uint32_t> order(static_cast<size_t>(v.RowCount()));
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<uint32_t>(i);
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        for (const SortColumn& k : keys) {
            int r = k.Cmp(a, b);
            if (r) return r < 0;
        }
        return false;
    });
    return order;
}

}  // namespace

View::View() : impl_(ViewImpl::OnTable(std::make_shared<Table>(std::vector<Field>{}), {})) {}
View::View(std::shared_ptr<ViewImpl> impl) : impl_(std::move(impl)) {}

int View::RowCount() const { return impl_->Rows(); }
int View::ColumnCount() const { return static_cast<int>(impl_->fields.size()); }

const Field& View::Column(int col) const {
    if (col < 0 || col >= ColumnCount()) return NoField();
    return impl_->fields[static_cast<size_t>(col)];
}

int View::FindColumn(std::string_view name) const {
    for (size_t i = 0; i < impl_->fields.size(); ++i)
        if (SameName(impl_->fields[i].name, name)) return static_cast<int>(i);
    return -1;
}

std::string View::Description() const { return FormatFields(impl_->fields); }
bool View::IsDerived() const { return impl_->base != nullptr; }

bool View::SetRowCount(int n) {
    n = std::max(n, 0);
    int have = RowCount();
    if (impl_->table) return impl_->table->Resize(static_cast<uint32_t>(n));
    if (n < have) RemoveRows(n, have - n);
    else if (n > have) return InsertRows(have, n - have);
    return true;
}

int View::AddRow() {
    int at = RowCount();
    return InsertRows(at, 1) ? at : -1;
}

bool View::InsertRows(int at, int count) {
    if (count <= 0) return true;
    at = std::clamp(at, 0, RowCount());
    ViewImpl& v = *impl_;
    if (v.table) return v.table->InsertRows(static_cast<uint32_t>(at), static_cast<uint32_t>(count));
    View base(v.base);
    if (!v.mapped) return base.InsertRows(at, count);
    int bp = static_cast<size_t>(at) < v.rowmap.size() ? static_cast<int>(v.rowmap[size_t(at)]) : base.RowCount();
    if (!base.InsertRows(bp, count)) return false;
    try {
        v.rowmap.reserve(v.rowmap.size() + static_cast<size_t>(count));
    } catch (const std::bad_alloc&) {
        base.RemoveRows(bp, count);
        return false;
    }
    for (uint32_t& r : v.rowmap)
        if (r >= static_cast<uint32_t>(bp)) r += static_cast<uint32_t>(count);
    v.rowmap.insert(v.rowmap.begin() + at, static_cast<size_t>(count), 0);
    for (int i = 0; i < count; ++i) v.rowmap[size_t(at + i)] = static_cast<uint32_t>(bp + i);
    return true;
}

void View::RemoveRows(int at, int count) {
    int have = RowCount();
    if (at < 0 || at >= have || count <= 0) return;
    count = std::min(count, have - at);
    ViewImpl& v = *impl_;
    if (v.table) {
        v.table->RemoveRows(static_cast<uint32_t>(at), static_cast<uint32_t>(count));
        return;
    }
    View base(v.base);
    if (!v.mapped) {
        base.RemoveRows(at, count);
        return;
    }
    std::vector<uint32_t> gone(v.rowmap.begin() + at, v.rowmap.begin() + at + count);
    v.rowmap.erase(v.rowmap.begin() + at, v.rowmap.begin() + at + count);
    std::sort(gone.rbegin(), gone.rend());
    for (uint32_t b : gone) {
        base.RemoveRows(static_cast<int>(b), 1);
        for (uint32_t& r : v.rowmap)
            if (r > b) --r;
    }
}

std::string View::GetString(int row, int col) const {
    Cell c = impl_->Resolve(row, col);
    if (!c.t) return std::string();
    const detail::Column& column = c.t->cols[size_t(c.c)];
    if (column.type() == Type::String) return detail::ShownText(column.Text(c.r));
    return detail::CellString(*c.t, c.r, c.c);
}

int32_t View::GetInt(int row, int col) const { return detail::ClampInt(GetLong(row, col)); }

int64_t View::GetLong(int row, int col) const {
    Cell c = impl_->Resolve(row, col);
    return c.t ? detail::CellLong(*c.t, c.r, c.c) : 0;
}

float View::GetFloat(int row, int col) const { return static_cast<float>(GetDouble(row, col)); }

double View::GetDouble(int row, int col) const {
    Cell c = impl_->Resolve(row, col);
    return c.t ? detail::CellDouble(*c.t, c.r, c.c) : 0.0;
}

std::string View::GetBytes(int row, int col) const {
    Cell c = impl_->Resolve(row, col);
    return c.t ? detail::CellBytes(*c.t, c.r, c.c) : std::string();
}

View View::GetSubview(int row, int col) const {
    Cell c = impl_->Resolve(row, col);
    if (!c.t || c.t->cols[size_t(c.c)].type() != Type::View) return View();
    Table& sub = c.t->SubAt(c.r, c.c);
    const Field& shown = Column(col);
    std::vector<Field> fields = shown.recursive ? impl_->fields : shown.subfields;
    if (shown.type != Type::View) fields = sub.fields;
    return View(ViewImpl::OnTable(c.t->cols[size_t(c.c)].Sub(c.r), std::move(fields)));
}

void View::SetString(int row, int col, std::string_view value) {
    Cell c = impl_->Resolve(row, col);
    if (c.t) detail::StoreText(*c.t, c.r, c.c, value);
}

void View::SetInt(int row, int col, int32_t value) { SetLong(row, col, value); }

void View::SetLong(int row, int col, int64_t value) {
    Cell c = impl_->Resolve(row, col);
    if (c.t) detail::SetCellLong(*c.t, c.r, c.c, value);
}

void View::SetFloat(int row, int col, float value) { SetDouble(row, col, value); }

void View::SetDouble(int row, int col, double value) {
    Cell c = impl_->Resolve(row, col);
    if (c.t) detail::SetCellDouble(*c.t, c.r, c.c, value);
}

void View::SetBytes(int row, int col, std::string_view value) {
    Cell c = impl_->Resolve(row, col);
    if (c.t) detail::SetCellBytes(*c.t, c.r, c.c, value);
}

namespace {

// The stored column behind a shown one, when the view shows a table's rows as they are.
detail::Column* DirectColumn(const ViewImpl& v, int col) {
    if (!v.table || col < 0 || static_cast<size_t>(col) >= v.fields.size()) return nullptr;
    int mc = v.Map()[static_cast<size_t>(col)];
    return mc < 0 ? nullptr : &v.table->cols[static_cast<size_t>(mc)];
}

// Rows [0, n) of column col take the values: straight into the stored column when
// the view shows a table's rows as they are and the stored type is `direct`, else a
// cell at a time through `cell` (which converts).
template <class T, class Whole, class Cell>
void SetWhole(const ViewImpl& v, int rows, int col, std::span<const T> values, Type direct, Whole whole, Cell cell) {
    const size_t n = std::min(values.size(), static_cast<size_t>(rows));
    detail::Column* c = DirectColumn(v, col);
    if (c && c->type() == direct) return whole(*c, values.data(), static_cast<uint32_t>(n));
    for (size_t r = 0; r < n; ++r) cell(static_cast<int>(r), values[r]);
}

}  // namespace

void View::SetColumn(int col, std::span<const std::string_view> values) {
    SetWhole(
        *impl_, RowCount(), col, values, Type::String,
        [](detail::Column& c, const std::string_view* v, uint32_t n) { detail::StoreTexts(c, v, n); },
        [&](int r, std::string_view v) { SetString(r, col, v); });
}

void View::SetColumn(int col, std::span<const int32_t> values) {
    SetWhole(
        *impl_, RowCount(), col, values, Type::Int,
        [](detail::Column& c, const int32_t* v, uint32_t n) { c.SetRawRun(v, n); },
        [&](int r, int32_t v) { SetInt(r, col, v); });
}

void View::SetColumn(int col, std::span<const double> values) {
    SetWhole(
        *impl_, RowCount(), col, values, Type::Double,
        [](detail::Column& c, const double* v, uint32_t n) { c.SetRawRun(v, n); },
        [&](int r, double v) { SetDouble(r, col, v); });
}

std::string View::GetString(int row, std::string_view col) const { return GetString(row, FindColumn(col)); }
int32_t View::GetInt(int row, std::string_view col) const { return GetInt(row, FindColumn(col)); }
int64_t View::GetLong(int row, std::string_view col) const { return GetLong(row, FindColumn(col)); }
float View::GetFloat(int row, std::string_view col) const { return GetFloat(row, FindColumn(col)); }
double View::GetDouble(int row, std::string_view col) const { return GetDouble(row, FindColumn(col)); }
std::string View::GetBytes(int row, std::string_view col) const { return GetBytes(row, FindColumn(col)); }
View View::GetSubview(int row, std::string_view col) const { return GetSubview(row, FindColumn(col)); }
void View::SetString(int row, std::string_view col, std::string_view v) { SetString(row, FindColumn(col), v); }
void View::SetInt(int row, std::string_view col, int32_t v) { SetInt(row, FindColumn(col), v); }
void View::SetLong(int row, std::string_view col, int64_t v) { SetLong(row, FindColumn(col), v); }
void View::SetFloat(int row, std::string_view col, float v) { SetFloat(row, FindColumn(col), v); }
void View::SetDouble(int row, std::string_view col, double v) { SetDouble(row, FindColumn(col), v); }
void View::SetBytes(int row, std::string_view col, std::string_view v) { SetBytes(row, FindColumn(col), v); }

void View::SetRowFrom(int row, const View& src, int src_row) {
    ViewImpl& v = *impl_;
    if (v.copySrc.lock() != src.impl_) {
        v.copyMap.clear();
        for (const Field& f : v.fields) v.copyMap.push_back(src.FindColumn(f.name));
        v.copySrc = src.impl_;
    }
    for (int c = 0; c < ColumnCount(); ++c) {
        int sc = v.copyMap[size_t(c)];
        if (sc < 0) continue;
        if (Column(c).type == Type::View) {
            View from = src.GetSubview(src_row, sc);
            View to = GetSubview(row, c);
            if (from.impl_->table == to.impl_->table) continue;
            to.SetRowCount(0);
            for (int r = 0; r < from.RowCount(); ++r) to.AddRowFrom(from, r);
            continue;
        }
        Cell s = src.impl_->Resolve(src_row, sc);
        Cell d = v.Resolve(row, c);
        if (s.t && d.t) detail::CopyCell(*s.t, s.r, s.c, *d.t, d.r, d.c);
    }
}

int View::AddRowFrom(const View& src, int src_row) {
    int row = AddRow();
    SetRowFrom(row, src, src_row);
    return row;
}

int View::Find(const View& key, int start) const {
    auto probes = KeyProbes(*this, key);
    for (int r = std::max(start, 0); r < RowCount(); ++r)
        if (Matches(*this, r, probes)) return r;
    return -1;
}

View View::Select(const View& key) const {
    auto d = std::make_shared<ViewImpl>();
    d->base = impl_;
    d->mapped = true;
    d->fields = impl_->fields;
    auto probes = KeyProbes(*this, key);
    for (int r = 0; r < RowCount(); ++r)
        if (Matches(*this, r, probes)) d->rowmap.push_back(static_cast<uint32_t>(r));
    return View(d);
}

View View::SortOn(const std::vector<std::string>& cols, const std::vector<std::string>& descending) const {
    auto d = std::make_shared<ViewImpl>();
    d->base = impl_;
    d->mapped = true;
    d->fields = impl_->fields;
    d->rowmap = SortedRows(*this, cols, descending);
    return View(d);
}

View View::Project(const std::vector<std::string>& cols) const {
    auto d = std::make_shared<ViewImpl>();
    d->base = impl_;
    for (const std::string& name : cols) {
        int c = FindColumn(name);
        if (c >= 0) {
            bool dup = std::any_of(d->fields.begin(), d->fields.end(),
                                   [&](const Field& f) { return SameName(f.name, name); });
            if (!dup) d->fields.push_back(Column(c));
        }
    }
    return View(d);
}

int View::BaseRow(int row) const { return impl_->BaseRowOf(row); }

View View::Base() const { return impl_->base ? View(impl_->base) : *this; }

View View::GroupBy(const std::vector<std::string>& keys, const std::string& subview) const {
    std::vector<Field> keyFields, rest;
    for (const std::string& k : keys) {
        int c = FindColumn(k);
        if (c >= 0 && !std::any_of(keyFields.begin(), keyFields.end(),
                                   [&](const Field& f) { return SameName(f.name, k); }))
            keyFields.push_back(Column(c));
    }
    for (const Field& f : impl_->fields)
        if (!Listed(keys, f.name)) rest.push_back(f);
    std::vector<Field> out = keyFields;
    out.push_back(Field{subview, Type::View, rest, false});
    View result(ViewImpl::OnTable(std::make_shared<Table>(out), out));
    std::vector<uint32_t> order = SortedRows(*this, keys, {});
    std::vector<int> keyCols;
    for (const Field& f : keyFields) keyCols.push_back(FindColumn(f.name));
    int group = -1;
    int prev = -1;
    for (uint32_t r : order) {
        bool same = prev >= 0;
        for (size_t k = 0; k < keyCols.size() && same; ++k) {
            Type t = Column(keyCols[k]).type;
            same = Compare(Read(*this, int(r), keyCols[k], t), Read(*this, prev, keyCols[k], t)) == 0;
        }
        if (!same) group = result.AddRowFrom(*this, int(r));
        result.GetSubview(group, static_cast<int>(keyFields.size())).AddRowFrom(*this, int(r));
        prev = int(r);
    }
    return result;
}

View View::Join(const View& other, const std::string& key) const {
    std::vector<Field> out = impl_->fields;
    std::vector<std::pair<int, int>> extra;  // (result column, other column)
    for (int c = 0; c < other.ColumnCount(); ++c) {
        if (FindColumn(other.Column(c).name) >= 0) continue;
        extra.emplace_back(static_cast<int>(out.size()), c);
        out.push_back(other.Column(c));
    }
    View result(ViewImpl::OnTable(std::make_shared<Table>(out), out));
    int mine = FindColumn(key), theirs = other.FindColumn(key);
    std::unordered_map<std::string, int> first;
    if (theirs >= 0)
        for (int r = other.RowCount() - 1; r >= 0; --r) first[other.GetBytes(r, theirs)] = r;
    for (int r = 0; r < RowCount(); ++r) {
        int row = result.AddRowFrom(*this, r);
        auto it = mine >= 0 ? first.find(GetBytes(r, mine)) : first.end();
        if (it == first.end()) continue;
        for (auto [rc, oc] : extra) {
            if (out[size_t(rc)].type == Type::View) {
                View from = other.GetSubview(it->second, oc), to = result.GetSubview(row, rc);
                for (int i = 0; i < from.RowCount(); ++i) to.AddRowFrom(from, i);
                continue;
            }
            Cell s = other.impl_->Resolve(it->second, oc);
            Cell d = result.impl_->Resolve(row, rc);
            if (s.t && d.t) detail::CopyCell(*s.t, s.r, s.c, *d.t, d.r, d.c);
        }
    }
    return result;
}

View View::Clone() const {
    const std::vector<Field>& fields = impl_->fields;
    View result(ViewImpl::OnTable(std::make_shared<Table>(fields), fields));
    for (int r = 0; r < RowCount(); ++r) result.AddRowFrom(*this, r);
    return result;
}

Result<View> View::Make(std::string_view fields) {
    auto parsed = ParseFields(fields);
    if (!parsed) return parsed.error();
    return View(ViewImpl::OnTable(std::make_shared<Table>(*parsed), *parsed));
}

}  // namespace mk
