#include "design/workspace.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "design/data_warnings.h"
#include "design/sampling.h"
#include "design/saved_designs.h"
#include "setup/units_editor.h"
#include "store/cruise_store.h"
#include "store/schema.h"
#include "store/value_rules.h"

namespace design {

namespace {

constexpr std::size_t kUndoDepth = 100;

// A number as the form writes it into a cell ("%7.1f", "%15.1f") and as the cell
// then holds it.
double AsWritten(const char* format, double v) {
    char buf[512];
    std::snprintf(buf, sizeof buf, format, v);
    return ParseNumber(buf);
}

// Perimeter of a circle of `acres`, in feet: how a unit's boundary is estimated.
double CircleFeet(double acres) { return 2 * M_PI * std::sqrt(acres * 43560 / M_PI); }

std::string Key(const std::string& a, const std::string& b) { return a + '\x1f' + b; }
std::string Key(const std::string& a, const std::string& b, const std::string& c) {
    return a + '\x1f' + b + '\x1f' + c;
}

const char* DescriptionOf(const std::string& table) {
    if (table == schema::kSVUnitsTable) return schema::kSVUnitsTableDesc;
    for (const SnapshotPart& p : SnapshotParts())
        if (table == p.table) return p.description;
    return nullptr;
}

void CopyRows(mk::View& to, const mk::View& from) {
    int n = from.RowCount();
    to.SetRowCount(n);
    for (int r = 0; r < n; ++r) to.SetRowFrom(r, from, r);
}

}  // namespace

bool SameMethodFamily(std::string_view a, std::string_view b) {
    auto family = [](std::string_view m) {
        if (IsOneOf(m, {"100", "STR", "3P", "S3P"})) return 1;
        if (IsOneOf(m, {"FIX", "F3P", "FCM"})) return 2;
        if (IsOneOf(m, {"PNT", "PCM", "PCMTRE", "P3P", "3PPNT"})) return 3;
        return 0;
    };
    return family(a) != 0 && family(a) == family(b);
}

bool CarriesCv(std::string_view a, std::string_view b) {
    // A 3P CV, and the CVs of the count-measure and 3P point methods, measure
    // something else than their family's plain CV.
    auto other = [](std::string_view m) { return IsOneOf(m, {"3P", "PCMTRE", "P3P", "PCM"}); };
    return !other(a) && !other(b);
}

DesignWorkspace::DesignWorkspace(ui::UiPort& ui, store::CCruiseStore& store, WorkspaceInputs inputs)
    : targetError(inputs.targetError), ui_(ui), store_(store), in_(std::move(inputs)), editor_(ui) {}

DesignWorkspace::~DesignWorkspace() = default;

mk::Storage& DesignWorkspace::Storage() { return *store_.Storage(); }

mk::Storage* DesignWorkspace::OpenStorage() { return store_.IsOpen() ? store_.Storage() : nullptr; }

bool DesignWorkspace::HasTable(const char* name) { return store_.IsOpen() && Storage().HasView(name); }

int DesignWorkspace::Open() {
    if (!store_.IsOpen()) return -1;
    mk::Storage& s = Storage();
    auto open = [&](const char* name, const char* full, const char* production) {
        if (s.HasView(name)) return s.GetView(name);
        auto v = s.GetAs(IsProduction() ? production : full);
        return v ? *v : mk::View();
    };
    strataView_ = open(schema::kSVDesignTable, schema::kSVDesignTableDesc, schema::kSVDesignTableProductionDesc);
    groupsView_ =
        open(schema::kSVDesignSgTable, schema::kSVDesignSgTableDesc, schema::kSVDesignSgTableProductionDesc);
    strataCols_ = StratumColumns::Of(strataView_);
    groupCols_ = SgColumns::Of(groupsView_);
    opened_.emplace(s, std::vector<std::string>{schema::kSVDesignTable, schema::kSVDesignSgTable,
                                                schema::kSVMethodsTable, schema::kSVMethodsSgTable,
                                                schema::kSVStrataTable, schema::kSVSummaryTable,
                                                schema::kSVUnitsTable});
    ReadModel();
    selected_ = model_.strata.empty() ? -1 : 0;
    RefreshTotals();
    closed_ = false;
    return 0;
}

int DesignWorkspace::Reload() {
    undo_.clear();
    redo_.clear();
    return Open();
}

void DesignWorkspace::ReadModel() {
    model_.strata.clear();
    model_.groups.clear();
    for (int r = 0; r < strataView_.RowCount(); ++r) model_.strata.push_back(ReadStratum(strataView_, strataCols_, r));
    for (int r = 0; r < groupsView_.RowCount(); ++r) model_.groups.push_back(ReadSg(groupsView_, groupCols_, r));
    MarkErrorComputable(model_.strata, model_.groups);
    RebuildIndex();
}

void DesignWorkspace::RebuildIndex() {
    std::unordered_map<std::string, std::size_t> first;
    for (std::size_t i = 0; i < model_.strata.size(); ++i) first.emplace(model_.strata[i].stratum, i);
    byStratum_.assign(model_.strata.size(), {});
    for (std::size_t g = 0; g < model_.groups.size(); ++g) {
        auto it = first.find(model_.groups[g].stratum);
        if (it != first.end()) byStratum_[it->second].push_back(g);
    }
    for (std::size_t i = 0; i < model_.strata.size(); ++i) {
        std::size_t f = first[model_.strata[i].stratum];
        if (f != i) byStratum_[i] = byStratum_[f];
    }
    if (selected_ >= static_cast<int>(model_.strata.size())) selected_ = model_.strata.empty() ? -1 : 0;
}

SgRefs DesignWorkspace::RefsOf(std::size_t stratum) {
    SgRefs refs;
    refs.reserve(byStratum_[stratum].size());
    for (std::size_t g : byStratum_[stratum]) refs.push_back(&model_.groups[g]);
    return refs;
}

StratumContext DesignWorkspace::ContextOf(std::size_t stratum) const {
    return StratumContext::Of(model_.strata[stratum]);
}

DesignSettings DesignWorkspace::Settings() const {
    DesignSettings s;
    s.costs = in_.costs;
    s.uom = in_.uom;
    s.displayDataWarnings = displayDataWarnings;
    return s;
}

void DesignWorkspace::Summarize(std::size_t stratum) {
    SummarizeStratum(model_.strata[stratum], RefsOf(stratum), SummaryMode::Form, in_.uom, in_.costs);
}

void DesignWorkspace::RefreshTotals() { totals_ = SaleErrorAndCost(model_.strata); }

int DesignWorkspace::Commit() { return store_.Commit() == 0 ? kWsDone : kWsRefused; }

const StratumRow* DesignWorkspace::SelectedStratum() const {
    return selected_ < 0 ? nullptr : &model_.strata[selected_];
}

std::vector<const SgRow*> DesignWorkspace::GroupsOfStratum(std::size_t stratum) const {
    std::vector<const SgRow*> out;
    if (stratum >= byStratum_.size()) return out;
    for (std::size_t g : byStratum_[stratum]) out.push_back(&model_.groups[g]);
    return out;
}

std::vector<const SgRow*> DesignWorkspace::SelectedGroups() const {
    return selected_ < 0 ? std::vector<const SgRow*>() : GroupsOfStratum(selected_);
}

int DesignWorkspace::FindStratum(std::string_view code) const {
    for (std::size_t i = 0; i < model_.strata.size(); ++i)
        if (model_.strata[i].stratum == code) return static_cast<int>(i);
    return -1;
}

int DesignWorkspace::FindGroup(std::string_view sgCode) const {
    auto groups = SelectedGroups();
    for (std::size_t i = 0; i < groups.size(); ++i)
        if (groups[i]->sgCode == sgCode) return static_cast<int>(i);
    return -1;
}

// --- Keeping the tables equal to the model ------------------------------------------------

void DesignWorkspace::SyncStratum(std::size_t stratum, const Snapshot* before) {
    bool known = before && before->stratum == static_cast<int>(stratum);
    WriteStratum(strataView_, strataCols_, static_cast<int>(stratum), model_.strata[stratum],
                 known ? &before->stratumRow : nullptr);
    const auto& idx = byStratum_[stratum];
    for (std::size_t k = 0; k < idx.size(); ++k) {
        const SgRow* old = known && k < before->groups.size() && before->groups[k].first == idx[k]
                               ? &before->groups[k].second
                               : nullptr;
        WriteSg(groupsView_, groupCols_, static_cast<int>(idx[k]), model_.groups[idx[k]], old);
    }
}

void DesignWorkspace::SyncAll() {
    int ns = static_cast<int>(model_.strata.size()), ng = static_cast<int>(model_.groups.size());
    if (strataView_.RowCount() != ns) strataView_.SetRowCount(ns);
    if (groupsView_.RowCount() != ng) groupsView_.SetRowCount(ng);
    for (int i = 0; i < ns; ++i) WriteStratum(strataView_, strataCols_, i, model_.strata[i], nullptr);
    for (int i = 0; i < ng; ++i) WriteSg(groupsView_, groupCols_, i, model_.groups[i], nullptr);
}

// --- Undo -----------------------------------------------------------------------------------

DesignWorkspace::Snapshot DesignWorkspace::StratumSnapshot(std::size_t stratum, std::string label) const {
    Snapshot s;
    s.label = std::move(label);
    s.selected = selected_;
    s.stratum = static_cast<int>(stratum);
    s.stratumRow = model_.strata[stratum];
    s.groups.reserve(byStratum_[stratum].size());
    for (std::size_t g : byStratum_[stratum]) s.groups.emplace_back(g, model_.groups[g]);
    return s;
}

DesignWorkspace::Snapshot DesignWorkspace::FullSnapshot(std::string label, const std::vector<std::string>& tables) {
    Snapshot s;
    s.label = std::move(label);
    s.selected = selected_;
    s.full = true;
    s.design = model_;
    AddTables(s, tables);
    return s;
}

void DesignWorkspace::AddTables(Snapshot& s, const std::vector<std::string>& tables) {
    for (const std::string& t : tables) {
        if (HasTable(t.c_str())) s.tables.emplace_back(t, Storage().GetView(t).Clone());
        else s.tables.emplace_back(t, std::nullopt);
    }
}

DesignWorkspace::Snapshot DesignWorkspace::Apply(Snapshot& s) {
    Snapshot inv;
    inv.label = s.label;
    inv.selected = selected_;
    if (s.full) {
        inv.full = true;
        inv.design = std::move(model_);
        model_ = std::move(s.design);
        RebuildIndex();
    }
    if (s.stratum >= 0 && static_cast<std::size_t>(s.stratum) < model_.strata.size()) {
        inv.stratum = s.stratum;
        inv.stratumRow = model_.strata[s.stratum];
        model_.strata[s.stratum] = s.stratumRow;
        for (auto& [g, row] : s.groups) {
            if (g >= model_.groups.size()) continue;
            inv.groups.emplace_back(g, model_.groups[g]);
            model_.groups[g] = std::move(row);
        }
    }
    std::vector<std::string> names;
    for (auto& t : s.tables) names.push_back(t.first);
    AddTables(inv, names);
    for (auto& [name, copy] : s.tables) {
        if (!copy) {
            if (HasTable(name.c_str())) Storage().GetView(name).SetRowCount(0);
            continue;
        }
        mk::View target;
        if (HasTable(name.c_str())) target = Storage().GetView(name);
        else if (const char* d = DescriptionOf(name)) {
            if (auto made = Storage().GetAs(d)) target = *made;
        }
        CopyRows(target, *copy);
    }
    selected_ = s.selected < static_cast<int>(model_.strata.size()) ? s.selected : (model_.strata.empty() ? -1 : 0);
    RefreshTotals();
    if (inv.full) SyncAll();
    else if (inv.stratum >= 0) SyncStratum(inv.stratum, nullptr);
    return inv;
}

void DesignWorkspace::PushUndo(Snapshot s) {
    redo_.clear();
    if (groupDepth_ > 0) {  // the group's first state stands for every step in it
        groupChanged_ = true;
        return;
    }
    undo_.push_back(std::move(s));
    if (undo_.size() > kUndoDepth) undo_.pop_front();
}

void DesignWorkspace::BeginUndoGroup(std::string label) {
    if (groupDepth_++ > 0) return;
    groupStart_ = FullSnapshot(std::move(label), {});
    groupChanged_ = false;
}

void DesignWorkspace::EndUndoGroup(bool keep) {
    if (groupDepth_ == 0 || --groupDepth_ > 0) return;
    std::optional<Snapshot> start = std::move(groupStart_);
    groupStart_.reset();
    if (!groupChanged_ || !start) return;
    if (!keep) {
        Apply(*start);
        return;
    }
    undo_.push_back(std::move(*start));
    if (undo_.size() > kUndoDepth) undo_.pop_front();
}

std::string DesignWorkspace::UndoLabel() const { return undo_.empty() ? "" : undo_.back().label; }
std::string DesignWorkspace::RedoLabel() const { return redo_.empty() ? "" : redo_.back().label; }

int DesignWorkspace::Undo() {
    if (undo_.empty() || closed_) return kWsRefused;
    Snapshot s = std::move(undo_.back());
    undo_.pop_back();
    redo_.push_back(Apply(s));
    return kWsDone;
}

int DesignWorkspace::Redo() {
    if (redo_.empty() || closed_) return kWsRefused;
    Snapshot s = std::move(redo_.back());
    redo_.pop_back();
    undo_.push_back(Apply(s));
    return kWsDone;
}

// --- Commands -------------------------------------------------------------------------------

int DesignWorkspace::SelectStratum(int stratum) {
    if (stratum < 0 || stratum >= static_cast<int>(model_.strata.size())) return kWsRefused;
    selected_ = stratum;
    return kWsDone;
}

std::string DesignWorkspace::CheckSgCell(std::size_t row, std::string_view column, const std::string& text) const {
    if (closed_ || selected_ < 0) return "The design form is closed or has no stratum.";
    const std::string& method = model_.strata[selected_].cruzMeth;
    if (row >= byStratum_[selected_].size() || !SgColumnShown(method, column) || SgColumnReadOnly(method, column) ||
        SgColumnFromName(column) == SgColumn::Unknown)
        return kCellFixedText;
    return SgEditRefusal(column, text);
}

int DesignWorkspace::EditSgCell(std::size_t row, std::string_view column, const std::string& text) {
    refusal_ = CheckSgCell(row, column, text);
    if (!refusal_.empty()) return kWsRefused;
    const std::size_t s = selected_;
    Snapshot before = StratumSnapshot(s, "Edit " + std::string(column));
    SgRefs refs = RefsOf(s);
    if (editor_.Edit(refs, row, column, text, ContextOf(s)) != 0) {
        refusal_ = editor_.Refusal().empty() ? kCellFixedText : editor_.Refusal();
        return kWsRefused;
    }
    Summarize(s);
    RefreshTotals();
    SyncStratum(s, &before);
    PushUndo(std::move(before));
    return kWsDone;
}

std::string DesignWorkspace::CheckStratumCell(std::size_t stratum, std::string_view column,
                                              const std::string& text) const {
    if (closed_ || stratum >= model_.strata.size()) return "The design form is closed or has no such stratum.";
    if (column != "Description" && (column != "Lock" || strataCols_.lock < 0)) return kCellFixedText;
    return store::Refusal(*store::RuleFor(schema::kSVDesignTable, column), text);
}

int DesignWorkspace::EditStratumCell(std::size_t stratum, std::string_view column, const std::string& text) {
    refusal_ = CheckStratumCell(stratum, column, text);
    if (!refusal_.empty()) return kWsRefused;
    Snapshot before = StratumSnapshot(stratum, "Edit " + std::string(column));
    StratumRow& s = model_.strata[stratum];
    if (column == "Description") s.description = store::Trim(text);
    else s.lock = store::Trim(text);
    SyncStratum(stratum, &before);
    PushUndo(std::move(before));
    return kWsDone;
}

int DesignWorkspace::WriteBackMethods() {
    if (!HasTable(schema::kSVMethodsTable) || !HasTable(schema::kSVMethodsSgTable)) return 0;
    mk::View mt = Storage().GetView(schema::kSVMethodsTable);
    mk::View ms = Storage().GetView(schema::kSVMethodsSgTable);
    StratumColumns mc = StratumColumns::Of(mt);
    SgColumns sc = SgColumns::Of(ms);
    // One pass over each method table; every design row then finds its rows at once.
    std::unordered_map<std::string, int> methodRow, groupRow;
    methodRow.reserve(mt.RowCount());
    groupRow.reserve(ms.RowCount());
    for (int r = 0; r < mt.RowCount(); ++r)
        methodRow.emplace(Key(mt.GetString(r, mc.stratum), mt.GetString(r, mc.cruzMeth)), r);
    for (int r = 0; r < ms.RowCount(); ++r)
        groupRow.emplace(Key(ms.GetString(r, sc.stratum), ms.GetString(r, sc.cruzMeth), ms.GetString(r, sc.sgCode)), r);

    int written = 0;
    auto setS = [&](int col, int r, const std::string& v) {
        if (col >= 0 && ms.GetString(r, col) != v) ms.SetString(r, col, v), ++written;
    };
    auto setD = [&](int col, int r, double v) {
        if (col >= 0 && ms.GetDouble(r, col) != v) ms.SetDouble(r, col, v), ++written;
    };
    for (std::size_t i = 0; i < model_.strata.size(); ++i) {
        const StratumRow& s = model_.strata[i];
        auto m = methodRow.find(Key(s.stratum, s.cruzMeth));
        if (m != methodRow.end()) written += WriteStratum(mt, mc, m->second, s, nullptr, false);
        for (std::size_t gi : byStratum_[i]) {
            const SgRow& g = model_.groups[gi];
            auto it = groupRow.find(Key(s.stratum, s.cruzMeth, g.sgCode));
            if (it != groupRow.end()) written += WriteSg(ms, sc, it->second, g, nullptr);
            if (!updateMultipleMethods) continue;
            std::vector<std::string> others = schema::MethodOrder();
            others.push_back("PCMTRE");
            for (const std::string& other : others) {
                if (other == s.cruzMeth || !SameMethodFamily(s.cruzMeth, other)) continue;
                auto o = groupRow.find(Key(s.stratum, other, g.sgCode));
                if (o == groupRow.end()) continue;
                int r = o->second;
                setS(sc.description, r, g.description);
                if (g.v == "B") setD(sc.volAcre, r, g.volAcre), setS(sc.v, r, g.v);
                if (g.t == "B") setD(sc.treesAcre, r, g.treesAcre), setS(sc.t, r, g.t);
                if (g.c == "B" && CarriesCv(s.cruzMeth, other)) setD(sc.sgCV, r, g.sgCV), setS(sc.c, r, g.c);
            }
        }
    }
    return written;
}

int DesignWorkspace::ChangeCruiseMethod(std::size_t stratum) {
    if (closed_ || stratum >= model_.strata.size()) return kWsRefused;
    if (!HasTable(schema::kSVMethodsTable) || !HasTable(schema::kSVMethodsSgTable)) {
        ui_.Warning("No cruise methods have been compiled for this stratum.", "Warning");
        return kWsRefused;
    }
    Snapshot before = FullSnapshot("Change Cruise Method", {schema::kSVMethodsTable, schema::kSVMethodsSgTable});
    WriteBackMethods();
    StratumRow& s = model_.strata[stratum];
    mk::View mt = Storage().GetView(schema::kSVMethodsTable);
    StratumColumns mc = StratumColumns::Of(mt);
    MethodSelectionForm form;
    std::vector<int> rows;
    for (int r = 0; r < mt.RowCount(); ++r) {
        if (mt.GetString(r, mc.stratum) != s.stratum) continue;
        form.rows.push_back(ReadStratum(mt, mc, r));
        rows.push_back(r);
    }
    form.selected.assign(form.rows.size(), false);
    form.TickMethod(s.cruzMeth);
    if (form.rows.empty()) {
        Apply(before);
        ui_.Warning("No cruise methods have been compiled for this stratum.", "Warning");
        return kWsRefused;
    }
    int chosen = ui_.RunForm(form) ? form.Chosen() : -1;
    if (chosen < 0) {
        // The write-back is part of the change; a cancelled change leaves no trace.
        Apply(before);
        return kWsCancelled;
    }
    // Exactly the chosen row is marked, so the method tables and the design agree.
    for (std::size_t k = 0; k < rows.size(); ++k)
        mt.SetString(rows[k], "Select", static_cast<int>(k) == chosen ? "1.000000" : "0");
    mk::View ms = Storage().GetView(schema::kSVMethodsSgTable);
    SgColumns sc = SgColumns::Of(ms);
    std::vector<int> fresh;
    for (int r = 0; r < ms.RowCount(); ++r)
        if (ms.GetString(r, sc.stratum) == s.stratum && ms.GetString(r, sc.cruzMeth) == form.rows[chosen].cruzMeth)
            fresh.push_back(r);
    TakeMethod(stratum, form.rows[chosen], ms, fresh);
    RefreshTotals();
    SyncAll();
    Commit();
    PushUndo(std::move(before));
    return kWsDone;
}

void DesignWorkspace::TakeMethod(std::size_t stratum, const StratumRow& picked, const mk::View& ms,
                                 const std::vector<int>& rows) {
    StratumRow& s = model_.strata[stratum];
    s.cruzMeth = picked.cruzMeth;
    s.plotSize = picked.plotSize;
    SgColumns sc = SgColumns::Of(ms);
    std::vector<SgRow> fresh;
    for (int r : rows) fresh.push_back(ReadSg(ms, sc, r));
    const auto& old = byStratum_[stratum];
    std::size_t at = old.empty() ? model_.groups.size() : old.front();
    std::vector<SgRow> groups;
    groups.reserve(model_.groups.size() - old.size() + fresh.size());
    std::vector<bool> drop(model_.groups.size(), false);
    for (std::size_t g : old) drop[g] = true;
    for (std::size_t g = 0; g < model_.groups.size(); ++g) {
        if (g == at) groups.insert(groups.end(), fresh.begin(), fresh.end());
        if (!drop[g]) groups.push_back(std::move(model_.groups[g]));
    }
    if (at == model_.groups.size()) groups.insert(groups.end(), fresh.begin(), fresh.end());
    model_.groups = std::move(groups);
    RebuildIndex();

    // The method's rows may carry the error they were sized for rather than the one
    // their sizes give; every error shown is the one its sizes give.
    SgRefs refs = RefsOf(stratum);
    for (SgRow* g : refs) RecomputeError(*g, ContextOf(stratum));
    // Plot methods share one plot count: groups that differ from the first take it,
    // with their errors and frequencies, before the stratum is summarised.
    if (IsPlotMethod(s.cruzMeth) && refs.size() > 1) {
        SgRefs differ;
        for (SgRow* g : refs)
            if (g->sgN != refs.front()->sgN) differ.push_back(g);
        if (!differ.empty()) ShareSgN(differ, refs.front()->sgN, ContextOf(stratum), ui_);
    }
    Summarize(stratum);
}

int DesignWorkspace::ChangeCruiseMethods(const std::vector<std::pair<std::size_t, std::string>>& methods) {
    if (closed_ || !HasTable(schema::kSVMethodsTable) || !HasTable(schema::kSVMethodsSgTable)) return kWsRefused;
    Snapshot before = FullSnapshot("Change Cruise Methods", {schema::kSVMethodsTable, schema::kSVMethodsSgTable});
    WriteBackMethods();
    mk::View mt = Storage().GetView(schema::kSVMethodsTable);
    mk::View ms = Storage().GetView(schema::kSVMethodsSgTable);
    StratumColumns mc = StratumColumns::Of(mt);
    SgColumns sc = SgColumns::Of(ms);
    // Each table once: the method rows of every stratum, the group rows of every method.
    std::unordered_map<std::string, std::vector<int>> strataRows, groupRows;
    for (int r = 0; r < mt.RowCount(); ++r) strataRows[mt.GetString(r, mc.stratum)].push_back(r);
    for (int r = 0; r < ms.RowCount(); ++r)
        groupRows[Key(ms.GetString(r, sc.stratum), ms.GetString(r, sc.cruzMeth))].push_back(r);
    bool changed = false;
    for (const auto& [stratum, method] : methods) {
        if (stratum >= model_.strata.size()) continue;
        const std::vector<int>& rows = strataRows[model_.strata[stratum].stratum];
        int picked = -1;
        for (int r : rows)
            if (picked < 0 && mt.GetString(r, mc.cruzMeth) == method) picked = r;
        if (picked < 0) continue;
        for (int r : rows) mt.SetString(r, "Select", r == picked ? "1.000000" : "0");
        const StratumRow row = ReadStratum(mt, mc, picked);
        TakeMethod(stratum, row, ms, groupRows[Key(row.stratum, row.cruzMeth)]);
        changed = true;
    }
    if (!changed) {
        Apply(before);
        return kWsRefused;
    }
    RefreshTotals();
    SyncAll();
    Commit();
    PushUndo(std::move(before));
    return kWsDone;
}

int DesignWorkspace::ChangePlotSize(std::size_t stratum) {
    if (closed_ || stratum >= model_.strata.size()) return kWsRefused;
    const std::string method = model_.strata[stratum].cruzMeth;
    if (PlotSizeMenuText(method).empty() || strataCols_.plotSize < 0) return kWsRefused;
    PlotSizeForm form(ui_, IsOneOf(method, {"PNT", "P3P", "PCM", "PCMTRE", "3PPNT"}),
                      model_.strata[stratum].plotSize);
    if (!ui_.RunForm(form)) return kWsCancelled;
    Snapshot before = StratumSnapshot(stratum, "Change Plot Size");
    model_.strata[stratum].plotSize = form.Value();
    // Big BAF and the 3P point KZ follow the plot size.
    StratumContext ctx = ContextOf(stratum);
    for (SgRow* g : RefsOf(stratum)) FreqKzStep(*g, ctx, Change::SgN2, ui_);
    Summarize(stratum);
    RefreshTotals();
    SyncStratum(stratum, &before);
    PushUndo(std::move(before));
    return kWsDone;
}

int DesignWorkspace::AddUnits(std::size_t stratum) {
    if (closed_ || stratum >= model_.strata.size()) return kWsRefused;
    bool hadUnits = HasTable(schema::kSVUnitsTable);
    auto table = Storage().GetAs(schema::kSVUnitsTableDesc);
    if (!table) return kWsRefused;
    mk::View units = *table;
    setup::AddUnitForm form(ui_, units, setup::UnitCaller::DesignForm);
    if (!ui_.RunForm(form)) return kWsCancelled;
    const setup::UnitChoice& u = form.Choice();
    Snapshot before = StratumSnapshot(stratum, "Add Units to Stratum");
    AddTables(before, {schema::kSVUnitsTable});
    if (!hadUnits) before.tables.back().second.reset();
    StratumRow& s = model_.strata[stratum];
    s.totAcres = AsWritten("%7.1f", s.totAcres + u.area);
    std::vector<std::string> codes = SplitUnits(s.units);
    codes.push_back(u.code);
    s.units = JoinUnits(codes);
    s.totCircum = AsWritten("%15.1f", s.totCircum + CircleFeet(u.area));
    s.totalVol = AsWritten("%15.1f", s.volAcre * s.totAcres / (in_.uom == schema::kUomBoardFeet ? 1000 : 100));
    // The field cruise file takes its cutting units from the unit table.
    int r = units.AddRow();
    units.SetString(r, "Select", "0");
    units.SetString(r, "CutUnit", u.code);
    units.SetDouble(r, "Area", u.area);
    units.SetString(r, "Description", u.description);
    units.SetString(r, "LogMeth", u.log_method);
    units.SetString(r, "PayUnit", u.pay_unit);
    SyncStratum(stratum, &before);
    PushUndo(std::move(before));
    return kWsDone;
}

int DesignWorkspace::RemoveUnits(std::size_t stratum) {
    if (closed_ || stratum >= model_.strata.size()) return kWsRefused;
    mk::View units = HasTable(schema::kSVUnitsTable) ? Storage().GetView(schema::kSVUnitsTable) : mk::View();
    setup::RemoveUnitForm form(ui_, units, model_.strata[stratum].units);
    if (!ui_.RunForm(form)) return kWsCancelled;
    const setup::UnitChoice u = form.Choice();
    Snapshot before = StratumSnapshot(stratum, "Remove Units From Stratum");
    StratumRow& s = model_.strata[stratum];
    s.totAcres = AsWritten("%15.1f", s.totAcres - u.area);
    std::vector<std::string> codes = SplitUnits(s.units);
    auto it = std::find(codes.begin(), codes.end(), u.code);
    if (it != codes.end()) codes.erase(it);
    s.units = JoinUnits(codes);
    s.totCircum = std::max(0.0, AsWritten("%15.1f", s.totCircum - CircleFeet(u.area)));
    s.totalVol = AsWritten("%15.1f", s.volAcre * s.totAcres / (in_.uom == schema::kUomBoardFeet ? 1000 : 100));
    SyncStratum(stratum, &before);
    PushUndo(std::move(before));
    return kWsDone;
}

SaleTotals DesignWorkspace::RecalculateSaleError() {
    RefreshTotals();
    return totals_;
}

int DesignWorkspace::RecalculateStrataError() {
    if (closed_ || selected_ < 0) return kWsRefused;
    const std::size_t s = selected_;
    Snapshot before = StratumSnapshot(s, "Recalculate Strata Error");
    StratumContext ctx = ContextOf(s);
    SgRefs refs = RefsOf(s);
    for (SgRow* g : refs) RecomputeError(*g, ctx);
    Summarize(s);
    RefreshTotals();
    SyncStratum(s, &before);
    PushUndo(std::move(before));
    return kWsDone;
}

bool DesignWorkspace::CheckDataWarnings() {
    return !displayDataWarnings || ConfirmDataWarnings(model_.groups, ui_);
}

int DesignWorkspace::OptimizeForError() {
    if (closed_ || !CanOptimize()) return kWsNotAllowed;
    Snapshot before = FullSnapshot("Optimize For Error", {});
    int rc = design::OptimizeForError(model_, targetError, Settings(), ui_, &totals_);
    if (rc == kOptimizeDeclined) return kWsCancelled;
    if (rc != kOptimized) return kWsRefused;
    SyncAll();
    Commit();
    PushUndo(std::move(before));
    return kWsDone;
}

int DesignWorkspace::OptimizeAtLeastCost() {
    if (closed_ || !CanOptimize()) return kWsNotAllowed;
    Snapshot before = FullSnapshot("Optimize At Least Cost", {});
    LeastCostPlan plan;
    int rc = design::OptimizeAtLeastCost(model_, targetError, Settings(), ui_, &plan);
    if (rc == kLeastCostDeclined) return kWsCancelled;
    if (rc != kLeastCostDone) return kWsRefused;
    lastLeastCost_ = CompareWithRule(before.design, targetError, plan, Settings());
    RefreshTotals();
    SyncAll();
    Commit();
    PushUndo(std::move(before));
    return kWsDone;
}

int DesignWorkspace::MakeReport() {
    if (closed_ || !CanMakeReport()) return kWsNotAllowed;
    if (!report_) {
        ui_.Info("Make Report is not available in this version of Strovan.");
        return kWsNotAllowed;
    }
    if (!CheckDataWarnings()) return kWsCancelled;
    return report_() == 0 ? kWsDone : kWsRefused;
}

int DesignWorkspace::MakeKelvane() {
    if (closed_ || !CanMakeKelvane()) return kWsNotAllowed;
    if (!kelvane_) {
        ui_.Info("Make Kelvane is not available in this version of Strovan.");
        return kWsNotAllowed;
    }
    if (!CheckDataWarnings()) return kWsCancelled;
    return kelvane_() == 0 ? kWsDone : kWsRefused;
}

std::vector<std::string> DesignWorkspace::SavedDesignIds() const {
    return store_.IsOpen() ? design::SavedDesignIds(*store_.Storage()) : std::vector<std::string>();
}

int DesignWorkspace::SaveDesign() {
    if (closed_ || !CanSaveLoad()) return kWsNotAllowed;
    SavedDesignsForm form(ui_, DesignsMode::Save, SavedDesignIds());
    if (!ui_.RunForm(form) || form.Result() == kDesignCancelled) return kWsCancelled;
    if (WriteDesignSnapshot(Storage(), form.Result(), form.id) < 0 || Commit() != kWsDone) return kWsRefused;
    ui_.Info(kDesignSavedText, "Information");
    return kWsDone;
}

int DesignWorkspace::LoadDesign() {
    if (closed_ || !CanSaveLoad()) return kWsNotAllowed;
    std::vector<std::string> ids = SavedDesignIds();
    if (ids.empty()) {
        ui_.Warning(kNoSavedDesignsText, "Warning");
        return kWsRefused;
    }
    SavedDesignsForm form(ui_, DesignsMode::Load, std::move(ids));
    if (!ui_.RunForm(form) || form.Result() < 0) return kWsCancelled;
    Snapshot before = FullSnapshot("Load Design", {schema::kSVStrataTable, schema::kSVMethodsTable,
                                                   schema::kSVMethodsSgTable, schema::kSVSummaryTable});
    std::string current = selected_ >= 0 ? model_.strata[selected_].stratum : "";
    if (!ReadDesignSnapshot(Storage(), form.Result())) return kWsRefused;
    Commit();
    ReadModel();
    int again = FindStratum(current);
    selected_ = again >= 0 ? again : (model_.strata.empty() ? -1 : 0);
    RefreshTotals();
    PushUndo(std::move(before));
    ui_.Info(kDesignLoadedText, "Information");
    return kWsDone;
}

int DesignWorkspace::RemoveDesign() {
    if (closed_) return kWsNotAllowed;
    std::vector<std::string> ids = SavedDesignIds();
    if (ids.empty()) {
        ui_.Warning(kNoSavedDesignsText, "Warning");
        return kWsRefused;
    }
    SavedDesignsForm form(ui_, DesignsMode::Remove, std::move(ids));
    if (!ui_.RunForm(form) || form.Result() < 0) return kWsCancelled;
    if (!RemoveDesignSnapshot(Storage(), form.Result()) || Commit() != kWsDone) return kWsRefused;
    return kWsDone;
}

void DesignWorkspace::PrintTable() { ui_.Info(kUnderConstructionText, "Information"); }

void DesignWorkspace::Help() { ui_.ShowHelp(ui::kHelpDesign); }

int DesignWorkspace::Return() {
    if (closed_) return kWsRefused;
    WriteBackMethods();
    int rc = Commit();
    closed_ = true;
    return rc;
}

void DesignWorkspace::Exit() { closed_ = true; }

bool DesignWorkspace::Changed() { return store_.IsOpen() && opened_ && opened_->Changed(Storage()); }

int DesignWorkspace::PutBack() {
    if (!store_.IsOpen() || !opened_) return kWsRefused;
    opened_->Restore(Storage());
    undo_.clear();
    redo_.clear();
    ReadModel();
    RefreshTotals();
    closed_ = true;
    return Commit();
}

int DesignWorkspace::CloseByWindow() {
    if (closed_ || !Changed()) {
        Exit();
        return kWsDone;
    }
    switch (ui_.MessageBox("Question", kKeepDesignChangesText, ui::Icon::Question, ui::Buttons::YesNoCancel)) {
    case ui::Answer::Yes:
    case ui::Answer::Ok: return Return();
    case ui::Answer::No: return PutBack();
    case ui::Answer::Cancel: break;
    }
    return kWsCancelled;
}

std::vector<TradeoffPoint> DesignWorkspace::TradeoffCurve(int from, int to) const {
    return design::TradeoffCurve(model_, Settings(), from, to);
}

std::vector<TradeoffPoint> DesignWorkspace::LeastCostCurve(int from, int to) const {
    return design::LeastCostCurve(model_, Settings(), from, to);
}

}  // namespace design
