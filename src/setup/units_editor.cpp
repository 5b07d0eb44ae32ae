#include "setup/units_editor.h"

#include <cmath>
#include <cstdio>
#include <unordered_set>

#include "setup/setup_tables.h"
#include "store/cruise_store.h"
#include "store/schema.h"
#include "store/value_rules.h"
#include "store/unit_of_work.h"

namespace setup {

namespace {

std::string Format(const char* fmt, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
}

int FindUnit(const mk::View& units, const std::string& code) {
    const int col = units.FindColumn("CutUnit");
    for (int r = 0; col >= 0 && r < units.RowCount(); ++r)
        if (units.GetString(r, col) == code) return r;
    return -1;
}

// Totals that went below zero by rounding read as zero.
double NotNegative(double v) { return v < 1e-9 ? 0.0 : v; }

}  // namespace

const std::array<LogMethod, 32>& LogMethods() {
    static const std::array<LogMethod, 32> list = {{
        {"401", "Manual logging"},
        {"410", "Animal"},
        {"420", "Tractor"},
        {"421", "Rubber tired skidder"},
        {"422", "Hard track (track driven from rear)"},
        {"423", "Soft track (track driven from front)"},
        {"430", "Single span skyline"},
        {"431", "Single span gravity outhaul lt 1300 ft."},
        {"432", "Single span haulback outhaul lt 1300 ft."},
        {"433", "Single span gravity outhaul lt 1800 ft."},
        {"434", "Single span haulback outhaul lt 1800 ft."},
        {"435", "Single span skyline gt 1800 ft."},
        {"440", "Multispan"},
        {"441", "Multispan - uphill"},
        {"442", "Multispan - downhill"},
        {"450", "Highlead"},
        {"451", "Grabinski"},
        {"452", "Track loader/jammer"},
        {"453", "Loader logging"},
        {"454", "Other"},
        {"460", "Colddeck and swing"},
        {"461", "Highlead colddeck/skyline swing"},
        {"462", "Highlead colddeck/highlead swing"},
        {"464", "Other"},
        {"470", "Balloon"},
        {"480", "Helicopter"},
        {"481", "Helicopter - small"},
        {"482", "Helicopter - medium"},
        {"483", "Helicopter - large"},
        {"490", "Utilizer - chip"},
        {"491", "Mechanized systems (felling/bucking/delimbing)"},
        {"492", "Cut to length"},
    }};
    return list;
}

std::string CheckUnitTable(const mk::View& units) {
    const int c_code = units.FindColumn("CutUnit"), c_area = units.FindColumn("Area");
    for (int r = 0; r < units.RowCount(); ++r)
        if (!(c_area >= 0 && units.GetDouble(r, c_area) > 0)) return kZeroAcresWarning;
    // A code given twice (or none) would take the area of another row in the strata
    // totals and reach the field cruise file twice.
    std::unordered_set<std::string> seen;
    for (int r = 0; r < units.RowCount(); ++r) {
        std::string code = store::Trim(units.GetString(r, c_code));
        if (code.empty())
            return "Warning:  One or more units have no unit code!\nPlease add a code in the "
                   "'CutUnit' column.";
        if (!seen.insert(code).second)
            return "Warning:  Unit '" + code +
                   "' is in the unit table more than once!\nEach unit needs a code of its own.";
    }
    // Every value of a unit follows its rule, however it was typed.
    for (int r = 0; r < units.RowCount(); ++r) {
        for (int c = 0; c < units.ColumnCount(); ++c) {
            const std::string name = units.Column(c).name;
            const store::ValueRule* rule = store::RuleFor(schema::kSVUnitsTable, name);
            if (!rule) continue;
            const std::string text = rule->kind == store::ValueKind::Text ? units.GetString(r, c)
                                                                         : Format("%.17g", units.GetDouble(r, c));
            if (std::string why = store::Refusal(*rule, text); !why.empty()) return "Warning:  " + why;
        }
    }
    return {};
}

// ---- Edit Data ---------------------------------------------------------------------

EditDataForm::EditDataForm(ui::UiPort& ui, SetupGrid grid, Kind kind, std::string title)
    : ui_(ui), grid_(std::move(grid)), kind_(kind), title_(std::move(title)) {}

bool EditDataForm::Accept() {
    if (kind_ == Kind::Units) {
        std::string refusal = CheckUnitTable(grid_.View());
        if (!refusal.empty()) {
            ui_.MessageBox("Warning", refusal, ui::Icon::Exclamation);
            return accepted_ = false;
        }
    }
    return accepted_ = true;
}

void EditDataForm::Tick(int row) {
    if (row < 0 || row >= grid_.RowCount()) return;
    grid_.PickOnly(row);
    picked_ = row;
}

bool EditDataForm::LookupLogMethod(int row) {
    if (kind_ != Kind::Units) return false;
    return setup::LogMethodLookup(ui_, grid_.View(), row);
}

bool RunUnitEditor(ui::UiPort& ui, mk::View units) {
    const mk::View opened = units.Clone();
    EditDataForm form(ui, SetupGrid(units, schema::kSVUnitsTable), EditDataForm::Kind::Units,
                      "Edit Unit Table");
    // The dialog stays open until its check passes or the user cancels.
    while (ui.RunForm(form)) {
        if (form.Accepted() || form.Accept()) return true;
    }
    // Cancel takes back the edits made in the dialog.
    store::PutRows(units, opened);
    return false;
}

bool LogMethodLookup(ui::UiPort& ui, mk::View& units, int row) {
    if (row < 0 || row >= units.RowCount()) return false;
    // The list lives in memory only: the lookup leaves nothing in the cruise file.
    auto made = mk::View::Make("Select:S,LogMeth:S,Description:S");
    if (!made) return false;
    mk::View list = *made;
    for (const LogMethod& m : LogMethods()) {
        int r = list.AddRow();
        list.SetString(r, 0, "0");
        list.SetString(r, 1, m.code);
        list.SetString(r, 2, m.description);
    }
    EditDataForm form(ui, SetupGrid(list, schema::kSVLogMethTable), EditDataForm::Kind::LogMethods,
                      "Select Logging Method");
    if (!ui.RunForm(form) || form.Picked() < 0) return false;
    units.SetString(row, "LogMeth", list.GetString(form.Picked(), 1));
    return true;
}

// ---- Add a Unit ---------------------------------------------------------------------

bool AddUnitForm::SetLimited(std::string& field, const std::string& value, size_t limit) {
    // Characters count, not bytes; the blanks around a code are no part of it.
    if (store::CharCount(store::Trim(value)) > limit) {
        std::string text = kTooLong;
        text.replace(text.find("%1"), 2, std::to_string(limit));
        ui_.MessageBox("", text, ui::Icon::Exclamation);
        return false;
    }
    field = value;
    return true;
}

void AddUnitForm::CodeLeft() {
    const int row = FindUnit(units_, store::Trim(code_));
    if (row < 0) {
        add_enabled_ = true;
        return;
    }
    add_enabled_ = false;
    description_ = units_.GetString(row, "Description");
    log_method_ = units_.GetString(row, "LogMeth");
    pay_unit_ = units_.GetString(row, "PayUnit");
    area_ = Format("%7.1f", units_.GetDouble(row, "Area"));
    ui_.MessageBox("", caller_ == UnitCaller::StrataForm ? kUnitExistsStrata : kUnitExistsDesign,
                   ui::Icon::Exclamation);
}

bool AddUnitForm::AddUnit() {
    const std::string code = store::Trim(code_);
    if (code.empty()) {
        ui_.MessageBox("Warning", kNeedUnitCode, ui::Icon::Exclamation);
        return false;
    }
    if (FindUnit(units_, code) >= 0) {
        CodeLeft();
        return false;
    }
    // Text, zero or a negative area would shrink the stratum's acres.
    const store::CheckedValue area = store::Check(store::rules::kUnitArea, area_);
    if (!area.ok()) {
        ui_.MessageBox("Warning", area.empty ? kNeedUnitArea : area.refusal, ui::Icon::Exclamation);
        return false;
    }
    for (const auto& [rule, text] : {std::pair{&store::rules::kCutUnit, &code_},
                                     {&store::rules::kUnitDescription, &description_},
                                     {&store::rules::kLogMeth, &log_method_},
                                     {&store::rules::kPayUnit, &pay_unit_}}) {
        if (std::string why = store::Refusal(*rule, *text); !why.empty()) {
            ui_.MessageBox("Warning", why, ui::Icon::Exclamation);
            return false;
        }
    }
    choice_ = UnitChoice{code, area.number, store::Trim(description_), store::Trim(log_method_),
                         store::Trim(pay_unit_)};
    return true;
}

// ---- Remove a Unit ------------------------------------------------------------------

RemoveUnitForm::RemoveUnitForm(ui::UiPort& ui, mk::View units, const std::string& stratum_units)
    : ui_(ui), units_(std::move(units)), codes_(SplitCodes(stratum_units)) {}

void RemoveUnitForm::Choose(const std::string& code) {
    chosen_ = code;
    const int row = FindUnit(units_, code);
    if (row < 0) {
        // A unit listed in the stratum but missing from the unit table can still leave
        // the stratum; it brings no acres with it.
        area_ = 0;
        area_text_ = description_ = log_method_ = pay_unit_ = "";
        remove_enabled_ = !code.empty();
        return;
    }
    area_ = units_.GetDouble(row, "Area");
    area_text_ = Format("%15.1f", area_);
    description_ = units_.GetString(row, "Description");
    log_method_ = units_.GetString(row, "LogMeth");
    pay_unit_ = units_.GetString(row, "PayUnit");
    remove_enabled_ = true;
}

bool RemoveUnitForm::RemoveUnit() {
    if (chosen_.empty()) {
        ui_.MessageBox("Warning", kNeedUnitCode, ui::Icon::Exclamation);
        return false;
    }
    choice_ = UnitChoice{chosen_, area_, description_, log_method_, pay_unit_};
    return true;
}

// ---- the strata form's side ---------------------------------------------------------

void AddUnitToStratum(mk::View& units, mk::View& strata, int strata_row, const UnitChoice& unit) {
    const int r = units.AddRow();
    units.SetString(r, "Select", "0");
    units.SetString(r, "CutUnit", unit.code);
    units.SetDouble(r, "Area", unit.area);
    units.SetString(r, "Description", unit.description);
    units.SetString(r, "LogMeth", unit.log_method);
    units.SetString(r, "PayUnit", unit.pay_unit);
    if (strata_row < 0 || strata_row >= strata.RowCount()) return;
    std::string list = strata.GetString(strata_row, "Units");
    strata.SetString(strata_row, "Units", list.empty() ? unit.code : list + "," + unit.code);
    double acres = store::LeadingDouble(strata.GetString(strata_row, "TotAcres")) + unit.area;
    strata.SetString(strata_row, "TotAcres", FormatAcres(acres));
    // The perimeter grows with the unit too: the traverse cost is worked out from it.
    double circum = store::LeadingDouble(strata.GetString(strata_row, "TotCircum")) +
                    UnitCircumference(unit.area);
    strata.SetString(strata_row, "TotCircum", FormatCircumference(circum));
    strata.SetString(strata_row, "Modified", kModifyNew);
}

void RemoveUnitFromStratum(mk::View& summary, mk::View& strata, int strata_row,
                           const UnitChoice& unit) {
    if (strata_row < 0 || strata_row >= strata.RowCount()) return;
    const std::string stratum = strata.GetString(strata_row, "Stratum");
    for (int r = summary.RowCount() - 1; r >= 0; --r) {
        if (summary.GetString(r, "CutUnit") != unit.code || summary.GetString(r, "Stratum") != stratum)
            continue;
        const std::string flag = summary.GetString(r, "DiaFlag");
        // Further pieces of a split go, at either level; keeping them would leave
        // several full-range rows of the same trees.
        if (flag == "Sg" || flag == "Str") {
            summary.RemoveRows(r, 1);
            continue;
        }
        for (const char* c : {"Stratum", "SgTree", "SgPlot", "DiaFlag", "DMin", "DMax"})
            summary.SetString(r, c, "");
    }
    std::vector<std::string> kept;
    for (const auto& c : SplitCodes(strata.GetString(strata_row, "Units")))
        if (c != unit.code) kept.push_back(c);
    strata.SetString(strata_row, "Units", JoinCodes(kept));
    double acres = NotNegative(store::LeadingDouble(strata.GetString(strata_row, "TotAcres")) - unit.area);
    strata.SetString(strata_row, "TotAcres", FormatAcres(acres));
    if (!store::Trim(strata.GetString(strata_row, "TotCircum")).empty()) {
        double circum = kept.empty() ? 0.0
                                     : NotNegative(store::LeadingDouble(strata.GetString(strata_row, "TotCircum")) -
                                                   UnitCircumference(unit.area));
        strata.SetString(strata_row, "TotCircum", FormatCircumference(circum));
    }
    strata.SetString(strata_row, "Modified", kModifyNew);
}

bool AddUnitDialog(ui::UiPort& ui, mk::View& units, mk::View& strata, int strata_row,
                   UnitCaller caller) {
    AddUnitForm form(ui, units, caller);
    if (!ui.RunForm(form)) return false;
    if (form.Choice().code.empty() && !form.AddUnit()) return false;
    AddUnitToStratum(units, strata, strata_row, form.Choice());
    return true;
}

bool RemoveUnitDialog(ui::UiPort& ui, mk::View& units, mk::View& summary, mk::View& strata,
                      int strata_row) {
    if (strata_row < 0 || strata_row >= strata.RowCount()) return false;
    RemoveUnitForm form(ui, units, strata.GetString(strata_row, "Units"));
    if (!ui.RunForm(form)) return false;
    if (form.Choice().code.empty() && !form.RemoveUnit()) return false;
    RemoveUnitFromStratum(summary, strata, strata_row, form.Choice());
    return true;
}

}  // namespace setup
