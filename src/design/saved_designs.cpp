#include "design/saved_designs.h"

#include <cctype>
#include <cmath>
#include <unordered_map>

#include "design/sampling.h"
#include "store/cruise_store.h"
#include "store/schema.h"
#include "store/value_rules.h"

namespace design {

std::string SavedDesignsForm::ActionText() const {
    switch (mode_) {
    case DesignsMode::Save: return "Save";
    case DesignsMode::Load: return "Load";
    case DesignsMode::Remove: return "Remove";
    }
    return "";
}

void SavedDesignsForm::Pick(std::size_t index) {
    if (index < ids.size()) id = ids[index];
}

bool SavedDesignsForm::OnAction() {
    // An ID of blanks names nothing, and the blanks around a name are no part of it.
    id = store::Trim(id);
    if (id.empty()) {
        ui_.Warning(kNoDesignIdText, "Warning");
        return false;
    }
    if (std::string why = store::Refusal(store::rules::kDesignId, id); mode_ == DesignsMode::Save && !why.empty()) {
        ui_.Warning(why, "Warning");
        return false;
    }
    int match = -1;
    for (std::size_t i = 0; i < ids.size(); ++i)
        if (SameDesignId(ids[i], id)) match = static_cast<int>(i);
    if (match < 0) {
        if (mode_ != DesignsMode::Save) {
            ui_.Warning(kDesignIdNotFoundText, "Warning");
            return false;
        }
        result_ = kNewDesign;
        return true;
    }
    if (mode_ == DesignsMode::Save && !ui_.Question(kReplaceDesignText)) return false;
    if (mode_ == DesignsMode::Remove && !ui_.Question(kDeleteDesignText)) return false;
    result_ = match;
    return true;
}

bool SameDesignId(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

const std::vector<SnapshotPart>& SnapshotParts() {
    static const std::vector<SnapshotPart> parts = {
        {"StrataView", schema::kSVDesignTable, schema::kSVDesignTableDesc},
        {"SgView", schema::kSVDesignSgTable, schema::kSVDesignSgTableDesc},
        {"StrDescView", schema::kSVStrataTable, schema::kSVStrataTableDesc},
        {"MethView", schema::kSVMethodsTable, schema::kSVMethodsTableDesc},
        {"MethSgView", schema::kSVMethodsSgTable, schema::kSVMethodsSgTableDesc},
        {"SumView", schema::kSVSummaryTable, schema::kSVSummaryTableDesc},
    };
    return parts;
}

namespace {

mk::View SaveTable(mk::Storage& storage) {
    auto v = storage.GetAs(schema::kSVSaveDesignTableDesc);
    return v ? *v : mk::View();
}

void CopyRows(mk::View& to, const mk::View& from) {
    int n = from.RowCount();
    to.SetRowCount(n);
    for (int r = 0; r < n; ++r) to.SetRowFrom(r, from, r);
}

}  // namespace

std::vector<std::string> SavedDesignIds(mk::Storage& storage) {
    std::vector<std::string> ids;
    if (!storage.HasView(schema::kSVSaveDesignTable)) return ids;
    mk::View v = SaveTable(storage);
    for (int r = 0; r < v.RowCount(); ++r) ids.push_back(v.GetString(r, "ID"));
    return ids;
}

int WriteDesignSnapshot(mk::Storage& storage, int row, const std::string& id) {
    mk::View saved = SaveTable(storage);
    if (row == kNewDesign) {
        row = saved.AddRow();
        saved.SetString(row, "ID", id);
    }
    if (row < 0 || row >= saved.RowCount()) return -1;
    for (const SnapshotPart& p : SnapshotParts()) {
        mk::View nested = saved.GetSubview(row, p.nested);
        if (storage.HasView(p.table)) CopyRows(nested, storage.GetView(p.table));
        else nested.SetRowCount(0);
    }
    return row;
}

bool ReadDesignSnapshot(mk::Storage& storage, int row) {
    if (!storage.HasView(schema::kSVSaveDesignTable)) return false;
    mk::View saved = SaveTable(storage);
    if (row < 0 || row >= saved.RowCount()) return false;
    for (const SnapshotPart& p : SnapshotParts()) {
        mk::View nested = saved.GetSubview(row, p.nested);
        mk::View target;
        if (storage.HasView(p.table)) {
            target = storage.GetView(p.table);
        } else {
            if (nested.RowCount() == 0) continue;
            auto made = storage.GetAs(p.description);
            if (!made) continue;
            target = *made;
        }
        CopyRows(target, nested);
    }
    RecomputeBigBaf(storage);
    return true;
}

bool RemoveDesignSnapshot(mk::Storage& storage, int row) {
    if (!storage.HasView(schema::kSVSaveDesignTable)) return false;
    mk::View saved = SaveTable(storage);
    if (row < 0 || row >= saved.RowCount()) return false;
    saved.RemoveRows(row, 1);
    return true;
}

namespace {

double BigBafOf(const std::string& method, double plotSize, const mk::View& v, int r) {
    if (!IsOneOf(method, {"PCM", "PCMTRE"})) return 0;
    double n = v.GetInt(r, "SgN"), n2 = v.GetInt(r, "SgN2"), tp = v.GetDouble(r, "Trees/Plot");
    return Trunc1(SafeDiv(n * plotSize * tp, n2));
}

}  // namespace

void RecomputeBigBaf(mk::Storage& storage) {
    using schema::kSVDesignSgTable, schema::kSVDesignTable, schema::kSVMethodsSgTable, schema::kSVMethodsTable;
    if (storage.HasView(kSVDesignTable) && storage.HasView(kSVDesignSgTable)) {
        mk::View strata = storage.GetView(kSVDesignTable);
        mk::View groups = storage.GetView(kSVDesignSgTable);
        std::unordered_map<std::string, std::pair<std::string, double>> ctx;
        for (int r = 0; r < strata.RowCount(); ++r)
            ctx.emplace(strata.GetString(r, "Stratum"),
                        std::make_pair(strata.GetString(r, "CruzMeth"), strata.GetDouble(r, "PlotSize")));
        for (int r = 0; r < groups.RowCount(); ++r) {
            auto it = ctx.find(groups.GetString(r, "Stratum"));
            double b = it == ctx.end() ? 0 : BigBafOf(it->second.first, it->second.second, groups, r);
            groups.SetDouble(r, "BigBaf", b);
        }
    }
    if (storage.HasView(kSVMethodsTable) && storage.HasView(kSVMethodsSgTable)) {
        mk::View methods = storage.GetView(kSVMethodsTable);
        mk::View groups = storage.GetView(kSVMethodsSgTable);
        std::unordered_map<std::string, double> plotSize;
        for (int r = 0; r < methods.RowCount(); ++r)
            plotSize.emplace(methods.GetString(r, "Stratum") + '\x1f' + methods.GetString(r, "CruzMeth"),
                             methods.GetDouble(r, "PlotSize"));
        for (int r = 0; r < groups.RowCount(); ++r) {
            std::string method = groups.GetString(r, "CruzMeth");
            auto it = plotSize.find(groups.GetString(r, "Stratum") + '\x1f' + method);
            groups.SetDouble(r, "BigBaf", BigBafOf(method, it == plotSize.end() ? 0 : it->second, groups, r));
        }
    }
}

}  // namespace design
