#include "setup/setup_grid.h"

#include <cstdio>

#include "setup/setup_tables.h"
#include "store/cruise_store.h"
#include "store/schema.h"
#include "store/value_rules.h"

namespace setup {

namespace {

bool Is(const std::string& a, const char* b) { return a == b; }

bool AllReadOnlyTable(const std::string& t) {
    return Is(t, schema::kSVStrataTable) || t == schema::DerivedName(schema::kSVMethodsTable) ||
           Is(t, schema::kSVSelAutoFill);
}

bool HandRowTable(const std::string& t) {
    return Is(t, schema::kSVSelTreeTable) || Is(t, schema::kSVFillSGTable) ||
           Is(t, schema::kSVSummaryTable);
}

// Columns whose edit changes the grouping of a summary row.
bool GroupingColumn(const std::string& c) {
    for (const char* name : {"CutUnit", "Stratum", "SgTree", "SgPlot", "Species", "Prod", "LD",
                             "DMin", "DMax"})
        if (c == name) return true;
    return false;
}

}  // namespace

void MarkStratumChanged(mk::View& summary, const std::string& stratum) {
    if (stratum.empty()) return;
    const int c_str = summary.FindColumn("Stratum"), c_mod = summary.FindColumn("Modify");
    if (c_str < 0 || c_mod < 0) return;
    for (int r = 0; r < summary.RowCount(); ++r)
        if (summary.GetString(r, c_str) == stratum && summary.GetString(r, c_mod) != kModifyAgain)
            summary.SetString(r, c_mod, kModifyNew);
}

SetupGrid::SetupGrid(mk::View view, std::string table, GridOptions options)
    : view_(std::move(view)), table_(std::move(table)), options_(options) {
    Rebind();
}

void SetupGrid::Rebind() {
    modified_ = false;
    RefreshPresentation();
}

void SetupGrid::RefreshPresentation() {
    const bool always = Is(table_, schema::kSVSGDiamTable) || Is(table_, schema::kSVStrDiamTable);
    const bool sg_counts = Is(table_, schema::kSVFillSGTable) || Is(table_, schema::kSVSummaryTable);
    show_ranges_ = always;
    const int flag = view_.FindColumn("DiaFlag");
    for (int r = 0; flag >= 0 && r < view_.RowCount() && !show_ranges_; ++r) {
        std::string f = view_.GetString(r, flag);
        if (f == "Str" || f == "Str1" || (sg_counts && (f == "Sg" || f == "Sg1"))) show_ranges_ = true;
    }
}

std::string SetupGrid::Heading(int col) const {
    return col >= 0 && col < ColumnCount() ? view_.Column(col).name : std::string();
}

std::string SetupGrid::Text(int row, int col) const {
    if (row < 0 || row >= RowCount() || col < 0 || col >= ColumnCount()) return {};
    const mk::Type t = view_.Column(col).type;
    if (t == mk::Type::Double || t == mk::Type::Float) {
        char buf[64];
        // Unit areas are shown in acres to one decimal.
        const bool area = Is(table_, schema::kSVUnitsTable) && Heading(col) == "Area";
        std::snprintf(buf, sizeof buf, area ? "%.1f" : "%g", view_.GetDouble(row, col));
        return buf;
    }
    return store::Trim(view_.GetString(row, col));
}

bool SetupGrid::Hidden(int col) const {
    const std::string name = Heading(col);
    if (name == "TotCircum") return true;
    if (!AllReadOnlyTable(table_) && (name == "Recon" || name == "DiaFlag" || name == "Modify"))
        return true;
    if (name == "DMin" || name == "DMax") return !show_ranges_;
    if (name == "Stratum" && Is(table_, schema::kSVSelTreeTable)) return true;
    return false;
}

bool SetupGrid::CheckBox(int col) const { return Heading(col) == "Select"; }

bool SetupGrid::ReadOnly(int row, int col) const {
    const std::string name = Heading(col);
    if (AllReadOnlyTable(table_)) {
        if (Is(table_, schema::kSVStrataTable) && name == "Description") return false;
        // Picking a method or a default row still needs its check box.
        if (!Is(table_, schema::kSVStrataTable) && name == "Select") return false;
        return true;
    }
    if (Is(table_, schema::kSVSelTreeTable) && row >= 0 && row < RowCount() &&
        store::LeadingDouble(view_.GetString(row, "Stratum")) > 0)
        return true;
    return false;
}

std::optional<Rgb> SetupGrid::Background(int row, int col) const {
    if (ReadOnly(row, col)) return kReadOnlyBack;
    return std::nullopt;
}

std::optional<Rgb> SetupGrid::Foreground(int row, int col) const {
    (void)col;
    if (row < 0 || row >= RowCount()) return std::nullopt;
    if (Is(table_, schema::kSVSelTreeTable) && store::LeadingDouble(view_.GetString(row, "Stratum")) > 0)
        return kTakenRowText;
    if (HandRowTable(table_) && store::LeadingDouble(view_.GetString(row, "Recon")) == 0)
        return kHandRowText;
    return std::nullopt;
}

void SetupGrid::MarkChanged(int row) {
    const int c_mod = view_.FindColumn("Modify");
    if (c_mod < 0 || !Is(table_, schema::kSVSummaryTable)) return;
    if (view_.GetString(row, c_mod) != kModifyAgain) view_.SetString(row, c_mod, kModifyNew);
}

std::string SetupGrid::EditRefusal(int row, int col, const std::string& text) const {
    if (row < 0 || row >= RowCount() || col < 0 || col >= ColumnCount() || ReadOnly(row, col))
        return "This cell cannot be changed.";
    const store::ValueRule* rule = store::RuleFor(table_, Heading(col));
    if (rule) return store::Refusal(*rule, text);
    const mk::Type t = view_.Column(col).type;
    const bool whole = t == mk::Type::Int || t == mk::Type::Long;
    if (whole || t == mk::Type::Double || t == mk::Type::Float) {
        // A number column without a rule of its own still takes nothing but a number.
        const std::string name = Heading(col);
        const store::ValueRule any{.name = name.c_str(),
                                   .kind = whole ? store::ValueKind::Whole : store::ValueKind::Decimal,
                                   .min = -1e15, .max = 1e15, .mayBeEmpty = true};
        return store::Refusal(any, text);
    }
    return {};
}

bool SetupGrid::SetText(int row, int col, const std::string& text) {
    if (!EditRefusal(row, col, text).empty()) return false;
    const std::string value = store::Trim(text);
    const std::string name = Heading(col);
    const mk::Type t = view_.Column(col).type;
    const std::string before = view_.GetString(row, col);
    // Checked above: a number column holds a number here (empty is 0).
    double number = 0;
    store::WholeNumber(value, number);
    if (t == mk::Type::Double || t == mk::Type::Float) {
        view_.SetDouble(row, col, number);
    } else if (t == mk::Type::Int || t == mk::Type::Long) {
        view_.SetLong(row, col, static_cast<int64_t>(number));
    } else {
        view_.SetString(row, col, value);
    }
    modified_ = true;
    if (Is(table_, schema::kSVSummaryTable) && GroupingColumn(name) && before != value) {
        // The stratum the row leaves loses trees as well as the one it joins.
        if (name == "Stratum") MarkStratumChanged(view_, before);
        MarkChanged(row);
    }
    return true;
}

bool SetupGrid::SetText(int row, const std::string& column, const std::string& text) {
    return SetText(row, FindColumn(column), text);
}

int SetupGrid::AddRow() {
    const int row = view_.AddRow();
    if (Is(table_, schema::kSVSummaryTable) || Is(table_, schema::kSVSelTreeTable))
        view_.SetString(row, "Recon", "0");
    if (Is(table_, schema::kSVSummaryTable)) {
        view_.SetString(row, "Modify", kModifyNew);
        modified_ = true;
    }
    return row;
}

bool SetupGrid::DeleteRow(int row) {
    if (row < 0 || row >= RowCount()) return false;
    const std::string flag = view_.GetString(row, "DiaFlag");
    if (flag == "Str1" || flag == "Sg1") {
        const std::string piece = flag == "Str1" ? "Str" : "Sg";
        const bool by_unit = Is(table_, schema::kSVSummaryTable);
        for (int r = 0; r < RowCount(); ++r) {
            if (r == row || view_.GetString(r, "DiaFlag") != piece) continue;
            bool same = true;
            for (const char* c : {"Species", "Prod", "LD", "Recon"})
                same = same && view_.GetString(r, c) == view_.GetString(row, c);
            if (by_unit) same = same && view_.GetString(r, "CutUnit") == view_.GetString(row, "CutUnit");
            if (same) {
                view_.SetString(r, "DiaFlag", flag);
                break;
            }
        }
    }
    if (Is(table_, schema::kSVSummaryTable)) {
        // What the stratum holds changes even when its unit and code lists do not.
        MarkStratumChanged(view_, view_.GetString(row, "Stratum"));
        modified_ = true;
    }
    view_.RemoveRows(row, 1);
    return true;
}

void SetupGrid::SelectAll(bool select) {
    const int c_sel = view_.FindColumn("Select");
    if (c_sel < 0) return;
    const int c_str = options_.recon_plot_picking ? -1 : view_.FindColumn("Stratum");
    for (int r = 0; r < RowCount(); ++r) {
        if (c_str >= 0 && store::LeadingDouble(view_.GetString(r, c_str)) != 0) continue;
        view_.SetString(r, c_sel, select ? "1" : "0");
    }
}

void SetupGrid::PickOnly(int row) {
    const int c_sel = view_.FindColumn("Select");
    if (c_sel < 0) return;
    for (int r = 0; r < RowCount(); ++r) view_.SetString(r, c_sel, r == row ? "1" : "0");
}

std::vector<std::string> SetupGrid::ContextMenu(int col) const {
    std::vector<std::string> m;
    if (Is(table_, schema::kSVStrataTable)) {
        if (options_.strata_editing)
            m = {kMenuModifyStrata, kMenuSeparator, kMenuDeleteStrata, kMenuDeleteAllStrata,
                 kMenuSeparator};
        m.push_back(kMenuAddUnit);
        m.push_back(kMenuRemoveUnit);
        return m;
    }
    if (Is(table_, schema::kSVFillSGTable)) return {kMenuDefineRanges, kMenuRemoveRanges};
    if (options_.recon_plot_picking) return {kMenuSelectAll, kMenuUnselectAll};
    m = {kMenuAddRow, kMenuDeleteRow, kMenuSeparator};
    if (Is(table_, schema::kSVSelTreeTable)) {
        m.insert(m.end(), {kMenuSelectAll, kMenuUnselectAll, kMenuSeparator});
    } else if (Is(table_, schema::kSVUnitsTable)) {
        if (options_.picking) m.insert(m.end(), {kMenuSelectAll, kMenuUnselectAll});
        if (Heading(col) == "LogMeth") m.insert(m.end(), {kMenuSeparator, kMenuLogMethodLookup});
    } else if (Is(table_, schema::kSVSummaryTable)) {
        m.insert(m.end(), {kMenuEditUnitTable, kMenuSeparator, kMenuQuickStrata, kMenuQuickSg,
                           kMenuSeparator, kMenuDefineRanges, kMenuRemoveRanges, kMenuSeparator,
                           kMenuDeleteStrata, kMenuDeleteSampleGroups});
    }
    return m;
}

}  // namespace setup
