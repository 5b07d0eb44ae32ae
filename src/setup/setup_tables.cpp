#include "setup/setup_tables.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <tuple>
#include <unordered_set>

#include "store/cruise_store.h"
#include "store/schema.h"

namespace setup {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kSquareFeetPerAcre = 43560.0;

mk::View Open(mk::Storage& storage, const char* description) {
    auto v = storage.GetAs(description);
    return v ? *v : mk::View();
}

// A stored table with its own columns, or an empty view when the file has none
// (without creating it).
mk::View Existing(mk::Storage& storage, const char* table) {
    return storage.HasView(table) ? storage.GetView(table) : mk::View();
}

std::string Cell(const mk::View& v, int row, int col) {
    return col < 0 ? std::string() : v.GetString(row, col);
}

std::string Format(const char* fmt, double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, value);
    return buf;
}

}  // namespace

std::vector<std::string> SplitCodes(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        if (comma > start) out.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return out;
}

std::string JoinCodes(const std::vector<std::string>& codes) {
    std::string out;
    for (size_t i = 0; i < codes.size(); ++i) {
        if (i) out += ',';
        out += codes[i];
    }
    return out;
}

// ---- building the work tables -------------------------------------------------------

int FillUnitsFromCuttingUnits(mk::Storage& storage) {
    mk::View units = Open(storage, schema::kSVUnitsTableDesc);
    mk::View cut = Existing(storage, schema::kCuttingUnitTable);
    const int n = cut.RowCount();
    const int code = cut.FindColumn("CutUnit"), area = cut.FindColumn("Area"),
              desc = cut.FindColumn("Description"), meth = cut.FindColumn("LogMeth");
    const int u_sel = units.FindColumn("Select"), u_code = units.FindColumn("CutUnit"),
              u_area = units.FindColumn("Area"), u_desc = units.FindColumn("Description"),
              u_meth = units.FindColumn("LogMeth");
    const int base = units.RowCount();
    units.SetRowCount(base + n);
    for (int r = 0; r < n; ++r) {
        units.SetString(base + r, u_sel, "0");
        units.SetString(base + r, u_code, Cell(cut, r, code));
        units.SetDouble(base + r, u_area, area < 0 ? 0.0 : cut.GetDouble(r, area));
        units.SetString(base + r, u_desc, Cell(cut, r, desc));
        units.SetString(base + r, u_meth, Cell(cut, r, meth));
    }
    return n;
}

int FillSummaryFromTrees(mk::Storage& storage, const std::string& modify) {
    mk::View trees = Existing(storage, schema::kTreeTable);
    mk::View summary = Open(storage, schema::kSVSummaryTableDesc);
    const int n = trees.RowCount();
    const int c_unit = trees.FindColumn("CutUnit"), c_sp = trees.FindColumn("Sp"),
              c_prod = trees.FindColumn("ProdP"), c_ld = trees.FindColumn("LD");
    // The distinct combinations through a hash of the four texts only: grouping the
    // whole tree table would copy every other column of 100,000 rows.
    using Key = std::tuple<std::string, std::string, std::string, std::string>;
    std::vector<Key> keys;
    std::unordered_set<std::string> seen;
    seen.reserve(static_cast<size_t>(n) / 8 + 16);
    for (int r = 0; r < n; ++r) {
        std::string sp = Cell(trees, r, c_sp);
        if (sp.empty()) continue;
        Key k{Cell(trees, r, c_unit), std::move(sp), Cell(trees, r, c_prod), Cell(trees, r, c_ld)};
        std::string joined = std::get<0>(k) + '\x1f' + std::get<1>(k) + '\x1f' + std::get<2>(k) +
                             '\x1f' + std::get<3>(k);
        if (seen.insert(std::move(joined)).second) keys.push_back(std::move(k));
    }
    std::sort(keys.begin(), keys.end());
    const int s_recon = summary.FindColumn("Recon"), s_modify = summary.FindColumn("Modify"),
              s_unit = summary.FindColumn("CutUnit"), s_sp = summary.FindColumn("Species"),
              s_prod = summary.FindColumn("Prod"), s_ld = summary.FindColumn("LD");
    const int base = summary.RowCount();
    summary.SetRowCount(base + static_cast<int>(keys.size()));
    for (size_t i = 0; i < keys.size(); ++i) {
        const int r = base + static_cast<int>(i);
        summary.SetString(r, s_recon, "1");
        summary.SetString(r, s_modify, modify);
        summary.SetString(r, s_unit, std::get<0>(keys[i]));
        summary.SetString(r, s_sp, std::get<1>(keys[i]));
        summary.SetString(r, s_prod, std::get<2>(keys[i]));
        summary.SetString(r, s_ld, std::get<3>(keys[i]));
    }
    return static_cast<int>(keys.size());
}

bool HasOtherCruiseMethods(mk::Storage& storage) {
    mk::View strata = Existing(storage, schema::kStratumTable);
    const int col = strata.FindColumn("CruzMeth");
    for (int r = 0; r < strata.RowCount(); ++r) {
        std::string m = Cell(strata, r, col);
        if (m != "PNT" && m != "FIX" && m != "100") return true;
    }
    return false;
}

PrepareResult PrepareWorkTables(mk::Storage& storage, ui::UiPort& ui, PrepareVariant variant) {
    PrepareResult result;
    mk::View units = Open(storage, schema::kSVUnitsTableDesc);
    if (units.RowCount() == 0) result.units_built = FillUnitsFromCuttingUnits(storage) > 0;

    mk::View summary = Open(storage, schema::kSVSummaryTableDesc);
    if (summary.RowCount() == 0) {
        if (Existing(storage, schema::kTreeTable).RowCount() > 0) {
            FillSummaryFromTrees(storage, kModifyNew);
            result.summary_built = true;
            if (HasOtherCruiseMethods(storage))
                ui.MessageBox("Warning", kOtherMethodsWarning, ui::Icon::Exclamation);
        }
    } else if (variant == PrepareVariant::Table) {
        // A stratum still waiting for its recompilation passes that on to its rows, so
        // the next rebuild keeps it marked. One pass and one commit, whatever the
        // number of strata.
        mk::View strata = Existing(storage, schema::kSVStrataTable);
        std::unordered_map<std::string, std::string> carry;
        const int c_str = strata.FindColumn("Stratum"), c_mod = strata.FindColumn("Modified");
        for (int r = 0; r < strata.RowCount(); ++r) {
            std::string m = Cell(strata, r, c_mod);
            carry[Cell(strata, r, c_str)] = m == kModifyNew ? kModifyAgain : m;
        }
        if (!carry.empty()) {
            const int s_str = summary.FindColumn("Stratum"), s_mod = summary.FindColumn("Modify");
            for (int r = 0; r < summary.RowCount(); ++r) {
                auto it = carry.find(summary.GetString(r, s_str));
                if (it != carry.end()) summary.SetString(r, s_mod, it->second);
            }
        }
    }

    if (variant == PrepareVariant::Form) {
        Open(storage, schema::kSVSelTreeTableDesc).RemoveAll();
        mk::View strata = Existing(storage, schema::kSVStrataTable);
        result.current_stratum =
            strata.RowCount() > 0 ? strata.GetString(strata.RowCount() - 1, "Stratum") : "1";
    }
    return result;
}

void RemakeFromRecon(mk::Storage& storage) {
    Open(storage, schema::kSVSummaryTableDesc).RemoveAll();
    FillSummaryFromTrees(storage, kModifyAgain);
    Open(storage, schema::kSVUnitsTableDesc).RemoveAll();
    FillUnitsFromCuttingUnits(storage);
}

// ---- accepting the populations grid -------------------------------------------------

std::string ProductCheckMessage(const mk::View& table, bool by_stratum) {
    // group -> code -> products, separately for the two code columns.
    using Products = std::map<std::string, std::set<std::string>>;
    std::map<std::string, std::pair<Products, Products>> groups;
    const int c_str = by_stratum ? table.FindColumn("Stratum") : -1;
    const int c_tree = table.FindColumn("SgTree"), c_plot = table.FindColumn("SgPlot"),
              c_prod = table.FindColumn("Prod");
    for (int r = 0; r < table.RowCount(); ++r) {
        std::string group = Cell(table, r, c_str);
        if (by_stratum && group.empty()) continue;
        auto& g = groups[group];
        std::string prod = Cell(table, r, c_prod);
        g.first[Cell(table, r, c_tree)].insert(prod);
        g.second[Cell(table, r, c_plot)].insert(prod);
    }
    std::string text;
    auto list = [](const Products& p) {
        std::string out;
        for (const auto& [code, prods] : p)
            if (prods.size() > 1) out += "Sample Group '" + code + "'\n";
        return out;
    };
    for (const auto& [group, g] : groups) {
        const std::string head = by_stratum ? "\nStrata Number " + group : std::string();
        std::string tree = list(g.first), plot = list(g.second);
        if (!tree.empty()) text += head + "\nTree Based Sample Groups\n" + tree;
        if (!plot.empty()) text += head + "\nPlot Based Sample Groups\n" + plot;
    }
    return text.empty() ? text : "Products must be in separate sample groups.\n" + text;
}

std::vector<std::string> AddMissingUnits(mk::Storage& storage) {
    mk::View units = Open(storage, schema::kSVUnitsTableDesc);
    mk::View summary = Open(storage, schema::kSVSummaryTableDesc);
    std::unordered_set<std::string> known;
    const int u_code = units.FindColumn("CutUnit");
    for (int r = 0; r < units.RowCount(); ++r) known.insert(units.GetString(r, u_code));
    std::set<std::string> missing;
    const int s_code = summary.FindColumn("CutUnit");
    for (int r = 0; r < summary.RowCount(); ++r) {
        std::string code = summary.GetString(r, s_code);
        if (!code.empty() && !known.count(code)) missing.insert(code);
    }
    std::vector<std::string> added(missing.begin(), missing.end());
    for (const auto& code : added) units.SetString(units.AddRow(), u_code, code);
    return added;
}

// ---- the strata summary rebuild -----------------------------------------------------

UnitAreas::UnitAreas(const mk::View& units) {
    const int code = units.FindColumn("CutUnit"), area = units.FindColumn("Area");
    area_.reserve(static_cast<size_t>(units.RowCount()) * 2 + 8);
    for (int r = 0; r < units.RowCount(); ++r)
        area_.try_emplace(Cell(units, r, code), area < 0 ? 0.0 : units.GetDouble(r, area));
}

bool UnitAreas::Find(const std::string& code, double& area) const {
    auto it = area_.find(code);
    if (it == area_.end()) return false;
    area = it->second;
    return true;
}

double UnitCircumference(double acres) {
    if (!(acres > 0)) return 0.0;
    return 2.0 * kPi * std::sqrt(acres * kSquareFeetPerAcre / kPi);
}

std::string FormatAcres(double acres) { return Format("%15.1f", acres); }
std::string FormatCircumference(double feet) { return Format("%20.1f", feet); }

UnitTotals UnitTotalsOf(const std::vector<std::string>& codes, const UnitAreas& areas) {
    std::set<std::string> distinct(codes.begin(), codes.end());
    UnitTotals t;
    t.units = JoinCodes(std::vector<std::string>(distinct.begin(), distinct.end()));
    for (const auto& code : distinct) {
        double area;
        if (!areas.Find(code, area)) continue;
        ++t.found;
        t.acres += area;
        t.circumference += UnitCircumference(area);
    }
    return t;
}

UnitTotals UnitTotalsOf(const mk::View& summary, const std::vector<int>& rows,
                        const UnitAreas& areas) {
    std::vector<std::string> codes;
    const int col = summary.FindColumn("CutUnit");
    for (int r : rows) codes.push_back(Cell(summary, r, col));
    return UnitTotalsOf(codes, areas);
}

std::pair<std::string, std::string> StratumDiameterClass(const mk::View& summary,
                                                         const std::vector<int>& rows) {
    const int c_flag = summary.FindColumn("DiaFlag");
    int best = -1;
    std::string best_flag;
    for (int r : rows) {
        std::string flag = Cell(summary, r, c_flag);
        if (best < 0 || flag < best_flag) {
            best = r;
            best_flag = flag;
        }
    }
    if (best < 0 || (best_flag != "Str" && best_flag != "Str1")) return {};
    return {summary.GetString(best, "DMin"), summary.GetString(best, "DMax")};
}

std::string CodeList(const mk::View& summary, const std::vector<int>& rows,
                     const std::string& column) {
    const int col = summary.FindColumn(column);
    std::set<std::string> codes;
    for (int r : rows) codes.insert(Cell(summary, r, col));
    return JoinCodes(std::vector<std::string>(codes.begin(), codes.end()));
}

void RebuildStrataSummary(mk::Storage& storage) {
    mk::View strata = Open(storage, schema::kSVStrataTableDesc);
    mk::View summary = Open(storage, schema::kSVSummaryTableDesc);
    mk::View units = Open(storage, schema::kSVUnitsTableDesc);

    struct Previous {
        std::string description, units, acres, sg_tree, sg_plot, dmin, dmax, modified;
    };
    const bool first_build = strata.RowCount() == 0;
    std::unordered_map<std::string, Previous> previous;
    for (int r = 0; r < strata.RowCount(); ++r) {
        Previous p{strata.GetString(r, "Description"), strata.GetString(r, "Units"),
                   store::Trim(strata.GetString(r, "TotAcres")), strata.GetString(r, "SG_Tree"),
                   strata.GetString(r, "SG_Plot"), strata.GetString(r, "DClassMin"),
                   strata.GetString(r, "DClassMax"), strata.GetString(r, "Modified")};
        previous.try_emplace(strata.GetString(r, "Stratum"), std::move(p));
    }
    strata.RemoveAll();

    const int c_str = summary.FindColumn("Stratum"), c_mod = summary.FindColumn("Modify"),
              c_unit = summary.FindColumn("CutUnit");
    std::map<std::string, std::vector<int>> groups;
    std::unordered_set<std::string> units_in_summary;
    for (int r = 0; r < summary.RowCount(); ++r) {
        units_in_summary.insert(summary.GetString(r, c_unit));
        std::string code = summary.GetString(r, c_str);
        if (!code.empty()) groups[code].push_back(r);
    }
    const UnitAreas areas(units);
    // Units of the recon cruise belong to a stratum through their summary rows alone;
    // only a unit added to a stratum by hand has none and stays listed.
    std::unordered_set<std::string> recon_units;
    {
        mk::View cut = Existing(storage, schema::kCuttingUnitTable);
        const int col = cut.FindColumn("CutUnit");
        for (int r = 0; r < cut.RowCount(); ++r) recon_units.insert(Cell(cut, r, col));
    }

    for (const auto& [code, rows] : groups) {
        std::string status = kModifyNone;
        for (int r : rows) {
            std::string m = summary.GetString(r, c_mod);
            if (m == kModifyAgain) status = kModifyAgain;
            else if (m == kModifyNew && status != kModifyAgain) status = kModifyNew;
        }
        auto prev = previous.find(code);
        const Previous* p = prev == previous.end() ? nullptr : &prev->second;

        std::vector<std::string> codes;
        for (int r : rows) codes.push_back(summary.GetString(r, c_unit));
        // A unit added to the stratum by hand has no summary row; without this it
        // would vanish from its stratum at the next rebuild.
        if (p) {
            double area;
            for (const auto& u : SplitCodes(p->units))
                if (!units_in_summary.count(u) && !recon_units.count(u) && areas.Find(u, area)) codes.push_back(u);
        }
        UnitTotals totals = UnitTotalsOf(codes, areas);
        std::string acres = totals.found ? FormatAcres(totals.acres) : std::string();
        std::string circum = totals.found ? FormatCircumference(totals.circumference) : std::string();
        std::string sg_tree = CodeList(summary, rows, "SgTree");
        std::string sg_plot = CodeList(summary, rows, "SgPlot");
        auto [dmin, dmax] = StratumDiameterClass(summary, rows);

        // A stratum still waiting for its compilation keeps waiting: only the
        // compilation clears the mark.
        std::string modified;
        if (first_build || status != kModifyNone) modified = kModifyNew;
        else if (!p || p->modified == kModifyNew) modified = kModifyNew;
        else
            modified = (p->units != totals.units || p->acres != store::Trim(acres) ||
                        p->sg_tree != sg_tree || p->sg_plot != sg_plot || p->dmin != dmin ||
                        p->dmax != dmax)
                           ? kModifyNew
                           : kModifyNone;

        const int row = strata.AddRow();
        strata.SetString(row, "TotCircum", circum);
        strata.SetString(row, "Stratum", code);
        strata.SetString(row, "Description", p ? p->description : std::string());
        strata.SetString(row, "Units", totals.units);
        strata.SetString(row, "TotAcres", acres);
        strata.SetString(row, "DClassMin", dmin);
        strata.SetString(row, "DClassMax", dmax);
        strata.SetString(row, "SG_Tree", sg_tree);
        strata.SetString(row, "SG_Plot", sg_plot);
        strata.SetString(row, "Modified", modified);
    }
    ClearModifyFlags(storage);
}

void ClearModifyFlags(mk::Storage& storage) {
    mk::View summary = Open(storage, schema::kSVSummaryTableDesc);
    const int col = summary.FindColumn("Modify");
    for (int r = 0; r < summary.RowCount(); ++r) summary.SetString(r, col, kModifyNone);
}

}  // namespace setup
