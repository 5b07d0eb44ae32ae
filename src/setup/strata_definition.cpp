#include "setup/strata_definition.h"

#include <cstdlib>
#include <map>
#include <set>
#include <tuple>
#include <unordered_set>

#include "setup/setup_session.h"
#include "setup/setup_tables.h"
#include "setup/strata_ops.h"
#include "setup/units_editor.h"
#include "setup/strata_rows.h"
#include "store/schema.h"
#include "store/value_rules.h"

namespace setup {

namespace {

mk::View Table(store::CCruiseStore& store, const char* desc) {
    auto v = store.Storage()->GetAs(desc);
    return v ? *v : mk::View();
}

bool ReadsOne(const std::string& text) { return std::atof(text.c_str()) == 1.0; }

bool HasRange(const std::string& dmin, const std::string& dmax) {
    return std::atof(dmin.c_str()) > 0 || std::atof(dmax.c_str()) > 0;
}

}  // namespace

StrataForm::StrataForm(ui::UiPort& ui, store::CCruiseStore& store, std::string current_stratum)
    : code(std::move(current_stratum)), ui_(ui), store_(store) {
    GridOptions picking;
    picking.picking = true;
    units_ = SetupGrid(Table(store, schema::kSVUnitsTableDesc), schema::kSVUnitsTable, picking);
    items_ = SetupGrid(Table(store, schema::kSVSelTreeTableDesc), schema::kSVSelTreeTable);
    GridOptions editing;
    editing.strata_editing = true;
    strata_ = SetupGrid(Table(store, schema::kSVStrataTableDesc), schema::kSVStrataTable, editing);
    mk::View& units = units_.View();
    for (int r = 0; r < units.RowCount(); ++r) units.SetString(r, "Select", "0");
    // A unit can be typed in on an empty table.
    if (units.RowCount() == 0) units.SetString(units.AddRow(), "Select", "0");
    RebuildItems();
}

void StrataForm::SpinCode(int step) {
    int n = std::atoi(code.c_str()) + step;
    if (n < 1) n = 1;
    if (n > kMaxStratum) n = kMaxStratum;
    code = std::to_string(n);
}

void StrataForm::PickUnit(int row, bool pick) {
    if (row < 0 || row >= units_.RowCount()) return;
    units_.View().SetString(row, "Select", pick ? "1" : "0");
    RebuildItems();
}

bool StrataForm::PickUnits(const std::vector<std::string>& codes) {
    mk::View& units = units_.View();
    std::set<std::string> wanted(codes.begin(), codes.end()), found;
    for (int r = 0; r < units.RowCount(); ++r) {
        const std::string c = units.GetString(r, "CutUnit");
        const bool pick = wanted.count(c) > 0;
        if (pick) found.insert(c);
        units.SetString(r, "Select", pick ? "1" : "0");
    }
    RebuildItems();
    return found.size() == wanted.size();
}

void StrataForm::RebuildItems() {
    mk::View& units = units_.View();
    std::unordered_set<std::string> picked;
    for (int r = 0; r < units.RowCount(); ++r) {
        if (!ReadsOne(units.GetString(r, "Select"))) continue;
        const std::string c = units.GetString(r, "CutUnit");
        if (store::Trim(c).empty()) {
            units.SetString(r, "Select", "0");
            ui_.MessageBox("Error", kBlankUnitText, ui::Icon::Stop);
            continue;
        }
        picked.insert(c);
    }
    // Species, Prod, LD, Recon, Stratum, DiaFlag, DMin, DMax: the item's identity.
    using Item = std::tuple<std::string, std::string, std::string, std::string, std::string, std::string,
                            std::string, std::string>;
    std::set<Item> items;
    RowSet summary(Table(store_, schema::kSVSummaryTableDesc));
    for (const SumRow& r : summary.rows)
        if (picked.count(r[kCutUnit]))
            items.insert({r[kSpecies], r[kProd], r[kLD], r[kRecon], r[kStratum], r[kDiaFlag], r[kDMin], r[kDMax]});
    mk::View& v = items_.View();
    v.SetRowCount(static_cast<int>(items.size()));
    int row = 0;
    for (const auto& [sp, prod, ld, recon, stratum, flag, dmin, dmax] : items) {
        v.SetString(row, "Recon", recon);
        v.SetString(row, "DiaFlag", flag);
        v.SetString(row, "Select", "0");
        v.SetString(row, "Species", sp);
        v.SetString(row, "Prod", prod);
        v.SetString(row, "LD", ld);
        v.SetString(row, "DMin", dmin);
        v.SetString(row, "DMax", dmax);
        v.SetString(row, "Stratum", stratum);
        ++row;
    }
    items_.Rebind();
}

void StrataForm::PickItem(int row, bool pick) {
    if (row < 0 || row >= items_.RowCount()) return;
    items_.View().SetString(row, "Select", pick ? "1" : "0");
}

bool StrataForm::ItemHidden(int row) const {
    return items_.View().GetString(row, "DiaFlag") == kFlagSg;
}

bool StrataForm::StratumExists(const std::string& c) {
    const mk::View& s = strata_.View();
    for (int r = 0; r < s.RowCount(); ++r)
        if (s.GetString(r, "Stratum") == c) return true;
    return false;
}

bool StrataForm::DefineSampleGroups(bool code_sample_groups) {
    code = store::Trim(code);
    // A blank code would put the rows into no stratum at all.
    if (code.empty()) {
        ui_.MessageBox("Warning", kNoCodeText, ui::Icon::Exclamation);
        return false;
    }
    if (StratumExists(code)) {
        ui_.MessageBox("Warning", kStratumDefinedText, ui::Icon::Exclamation);
        return false;
    }
    // The code and description go to the field program, whose fields are this wide.
    description = store::Trim(description);
    for (const auto& [rule, text] : {std::pair{&store::rules::kStratumCode, &code},
                                     {&store::rules::kStratumDescription, &description}}) {
        if (std::string why = store::Refusal(*rule, *text); !why.empty()) {
            ui_.MessageBox("Warning", why, ui::Icon::Exclamation);
            return false;
        }
    }
    const mk::View& items = items_.View();
    mk::View fill = Table(store_, schema::kSVFillSGTableDesc);
    fill.RemoveAll();
    for (int r = 0; r < items.RowCount(); ++r) {
        if (!ReadsOne(items.GetString(r, "Select"))) continue;
        int f = fill.AddRow();
        for (const char* c : {"Recon", "Species", "Prod", "LD", "DMin", "DMax"})
            fill.SetString(f, c, items.GetString(r, c));
        fill.SetString(f, "DiaFlag", HasRange(items.GetString(r, "DMin"), items.GetString(r, "DMax")) ? kFlagStr : "");
    }
    if (fill.RowCount() == 0) {
        ui_.MessageBox("Warning", kNothingSelectedText, ui::Icon::Exclamation);
        return false;
    }
    if (code_sample_groups && !RunPopulations(ui_, store_, schema::kSVFillSGTable, false)) return false;
    WriteStratum();
    RebuildItems();
    AdvanceCode();
    description.clear();
    store_.Commit();
    strata_.Rebind();
    return true;
}

void StrataForm::WriteStratum() {
    mk::View summary_view = Table(store_, schema::kSVSummaryTableDesc);
    RowSet summary(summary_view);
    RowSet fill(Table(store_, schema::kSVFillSGTableDesc));
    const mk::View& units = units_.View();

    using Key = std::tuple<std::string, std::string, std::string, std::string>;
    std::map<Key, std::vector<size_t>> index;
    for (size_t i = 0; i < summary.rows.size(); ++i) {
        const SumRow& r = summary.rows[i];
        index[{r[kCutUnit], r[kSpecies], r[kProd], r[kLD]}].push_back(i);
    }
    auto append = [&](SumRow row) {
        summary.rows.push_back(std::move(row));
        const SumRow& r = summary.rows.back();
        index[{r[kCutUnit], r[kSpecies], r[kProd], r[kLD]}].push_back(summary.rows.size() - 1);
    };
    auto unassigned_copy = [&](const SumRow& of) {
        SumRow copy;
        for (Col c : {kCutUnit, kSpecies, kProd, kLD, kRecon}) copy[c] = of[c];
        copy[kModify] = "N";
        append(std::move(copy));
    };

    std::vector<std::string> picked;
    double acres = 0, circumference = 0;
    for (int u = 0; u < units.RowCount(); ++u) {
        if (!ReadsOne(units.GetString(u, "Select"))) continue;
        const std::string unit = units.GetString(u, "CutUnit");
        picked.push_back(unit);
        const double area = units.GetDouble(u, "Area");
        acres += area;
        circumference += UnitCircumference(area);
        for (const SumRow& f : fill.rows) {
            const bool ranged = f[kDiaFlag] == kFlagStr;
            auto it = index.find({unit, f[kSpecies], f[kProd], f[kLD]});
            long found = -1;
            if (it != index.end()) {
                // A ranged item takes the piece of its own range; only failing that a
                // whole row. An unranged item prefers a whole row.
                for (int pass = 0; pass < 2 && found < 0; ++pass) {
                    for (size_t i : it->second) {
                        const SumRow& r = summary.rows[i];
                        if (!r[kStratum].empty()) continue;
                        const bool fits = ranged ? (pass == 0 ? r.StrLevel() && r[kDMin] == f[kDMin] && r[kDMax] == f[kDMax]
                                                              : r[kDiaFlag].empty())
                                                 : (pass == 0 ? !r.StrLevel() : true);
                        if (fits) {
                            found = static_cast<long>(i);
                            break;
                        }
                    }
                }
            }
            if (found >= 0) {
                SumRow& r = summary.rows[found];
                const bool was_piece = r.StrLevel();
                r[kStratum] = code;
                r[kSgTree] = f[kSgTree];
                r[kSgPlot] = f[kSgPlot];
                // A piece keeps whether it is the first piece of its split.
                if (!was_piece) r[kDiaFlag] = f[kDiaFlag];
                r[kDMin] = f[kDMin];
                r[kDMax] = f[kDMax];
                // The rest of a whole row's diameters stays free for another stratum;
                // a piece's siblings already hold them.
                if (ranged && !was_piece) unassigned_copy(r);
            } else if (std::atof(f[kRecon].c_str()) == 0 || f[kDiaFlag] == kFlagSg || f[kDiaFlag] == kFlagSg1) {
                SumRow row;
                row[kCutUnit] = unit;
                for (Col c : {kRecon, kSpecies, kProd, kLD, kDiaFlag, kDMin, kDMax, kSgTree, kSgPlot}) row[c] = f[c];
                row[kStratum] = code;
                row[kModify] = "N";
                append(row);
                if (ranged) unassigned_copy(row);
            }
        }
    }
    summary.Store(summary_view);

    std::set<std::string> tree_codes, plot_codes;
    std::string dmin, dmax;
    for (const SumRow& f : fill.rows) {
        tree_codes.insert(f[kSgTree]);
        plot_codes.insert(f[kSgPlot]);
    }
    if (!fill.rows.empty() && fill.rows.back()[kDiaFlag] == kFlagStr) {
        dmin = fill.rows.back()[kDMin];
        dmax = fill.rows.back()[kDMax];
    }
    auto join = [](const std::set<std::string>& s) {
        std::string out;
        bool first = true;
        for (const auto& c : s) {
            if (!first) out += " , ";
            out += c;
            first = false;
        }
        return out;
    };
    mk::View& strata = strata_.View();
    int r = strata.AddRow();
    strata.SetString(r, "Stratum", code);
    strata.SetString(r, "Description", description);
    strata.SetString(r, "Units", JoinCodes(picked));
    strata.SetString(r, "TotAcres", FormatAcres(acres));
    strata.SetString(r, "TotCircum", FormatCircumference(circumference));
    strata.SetString(r, "DClassMin", dmin);
    strata.SetString(r, "DClassMax", dmax);
    strata.SetString(r, "SG_Tree", join(tree_codes));
    strata.SetString(r, "SG_Plot", join(plot_codes));
    strata.SetString(r, "Modified", "Y");
}

void StrataForm::AdvanceCode() {
    std::unordered_set<std::string> used;
    const mk::View& s = strata_.View();
    for (int r = 0; r < s.RowCount(); ++r) used.insert(s.GetString(r, "Stratum"));
    RowSet summary(Table(store_, schema::kSVSummaryTableDesc));
    for (const SumRow& row : summary.rows) used.insert(row[kStratum]);
    // Codes the program makes stay within 1-99.
    std::optional<int> next = NextFreeStratum(used, std::atoi(code.c_str()));
    code = next ? std::to_string(*next) : std::string();
}

bool StrataForm::ModifyStrata(int row) {
    mk::View& strata = strata_.View();
    if (row < 0 || row >= strata.RowCount()) return false;
    const std::string c = strata.GetString(row, "Stratum");
    code = c;
    description = strata.GetString(row, "Description");
    PickUnits(SplitCodes(strata.GetString(row, "Units")));
    mk::View& items = items_.View();
    for (int r = 0; r < items.RowCount(); ++r)
        if (items.GetString(r, "Stratum") == c) items.SetString(r, "Select", "1");

    mk::View summary_view = Table(store_, schema::kSVSummaryTableDesc);
    RowSet summary(summary_view);
    using Fill = std::tuple<std::string, std::string, std::string, std::string, std::string, std::string,
                            std::string, std::string, std::string>;
    std::set<Fill> distinct;
    for (const SumRow& r : summary.rows)
        if (r[kStratum] == c)
            distinct.insert({r[kRecon], r[kDiaFlag], r[kSgTree], r[kSgPlot], r[kSpecies], r[kProd], r[kLD], r[kDMin],
                             r[kDMax]});
    mk::View fill = Table(store_, schema::kSVFillSGTableDesc);
    fill.RemoveAll();
    for (const auto& [recon, flag, sgt, sgp, sp, prod, ld, dmin, dmax] : distinct) {
        int f = fill.AddRow();
        fill.SetString(f, "Recon", recon);
        // Pieces of one split are written back as pieces of their range.
        fill.SetString(f, "DiaFlag", flag == kFlagStr1 ? kFlagStr : flag);
        fill.SetString(f, "SgTree", sgt);
        fill.SetString(f, "SgPlot", sgp);
        fill.SetString(f, "Species", sp);
        fill.SetString(f, "Prod", prod);
        fill.SetString(f, "LD", ld);
        fill.SetString(f, "DMin", dmin);
        fill.SetString(f, "DMax", dmax);
    }
    const bool ok = RunPopulations(ui_, store_, schema::kSVFillSGTable, false);
    if (ok) {
        // Rows leave the stratum; stratum-level pieces keep their range so that the
        // rewrite finds them again, sample-group pieces come back from the items.
        for (int i = static_cast<int>(summary.rows.size()) - 1; i >= 0; --i) {
            SumRow& r = summary.rows[i];
            if (r[kStratum] != c) continue;
            if (r[kDiaFlag] == kFlagSg) {
                summary.rows.erase(summary.rows.begin() + i);
                continue;
            }
            for (Col col : {kStratum, kSgTree, kSgPlot}) r[col].clear();
            if (!r.StrLevel())
                for (Col col : {kDiaFlag, kDMin, kDMax}) r[col].clear();
            r[kModify] = "N";
        }
        summary.Store(summary_view);
        for (int r = strata.RowCount() - 1; r >= 0; --r)
            if (strata.GetString(r, "Stratum") == c) strata.RemoveRows(r, 1);
        WriteStratum();
        RebuildItems();
    }
    store_.DeleteView(schema::kSVFillSGTable);
    store_.Commit();
    strata_.Rebind();
    return ok;
}

void StrataForm::DeleteStrata(int row) {
    mk::View& strata = strata_.View();
    if (row < 0 || row >= strata.RowCount()) return;
    const std::string c = strata.GetString(row, "Stratum");
    mk::View summary_view = Table(store_, schema::kSVSummaryTableDesc);
    RowSet summary(summary_view);
    setup::DeleteStrata(summary.rows, c, false, "N");
    summary.Store(summary_view);
    strata.RemoveRows(row, 1);
    store_.Commit();
    RebuildItems();
    strata_.Rebind();
}

void StrataForm::DeleteAllStrata() {
    mk::View& strata = strata_.View();
    mk::View summary_view = Table(store_, schema::kSVSummaryTableDesc);
    RowSet summary(summary_view);
    for (int r = strata.RowCount() - 1; r >= 0; --r)
        setup::DeleteStrata(summary.rows, strata.GetString(r, "Stratum"), false, "N");
    summary.Store(summary_view);
    strata.RemoveAll();
    store_.Commit();
    RebuildItems();
    strata_.Rebind();
    code = "1";
}

void StrataForm::ReconStrataTable() { ShowReconStrataTable(ui_, *store_.Storage()); }

void StrataForm::DropBlankUnits() {
    mk::View& units = units_.View();
    for (int r = units.RowCount() - 1; r >= 0; --r)
        if (store::Trim(units.GetString(r, "CutUnit")).empty()) units.RemoveRows(r, 1);
}

int RunStrataDefinition(ui::UiPort& ui, store::CCruiseStore& store, const std::string& current_stratum) {
    StrataForm form(ui, store, current_stratum);
    ui.RunForm(form);
    form.DropBlankUnits();
    return 0;
}

bool StrataForm::AddUnit(int row) {
    if (row < 0 || row >= strata_.RowCount()) return false;
    mk::View units = units_.View();
    mk::View strata = strata_.View();
    return AddUnitDialog(ui_, units, strata, row, UnitCaller::StrataForm);
}

bool StrataForm::RemoveUnit(int row) {
    if (row < 0 || row >= strata_.RowCount()) return false;
    mk::View units = units_.View();
    mk::View strata = strata_.View();
    mk::View summary = Table(store_, schema::kSVSummaryTableDesc);
    return RemoveUnitDialog(ui_, units, summary, strata, row);
}

}  // namespace setup
