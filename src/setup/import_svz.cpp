#include "setup/import_svz.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "setup/setup_tables.h"
#include "store/config.h"
#include "store/cruise_store.h"
#include "store/schema.h"
#include "store/text_codec.h"

namespace setup {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// A decimal number taking the whole text: digits with an optional sign, point and
// exponent. "12x", "inf", "0x1p3" and the empty text are not numbers.
bool ParseNumber(std::string_view s, double& value) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return false;
    size_t i = s.front() == '-' ? 1 : 0;
    if (i >= s.size() || !(std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.'))
        return false;
    for (char c : s)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' ||
              c == 'e' || c == 'E'))
            return false;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && end == s.data() + s.size() && std::isfinite(value);
}

// The file is Windows-1252, as the programs that write it keep their text.
std::string Quote(std::string_view s) { return "'" + store::Cp1252ToUtf8(s) + "'"; }

// One of the five bytes Windows-1252 leaves without a character, or -1.
int UnassignedByte(std::string_view s) {
    for (char ch : s) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) return b;
    }
    return -1;
}

}  // namespace

const char* SvzFieldName(int field) {
    static const char* names[kSvzFields + 1] = {
        "",
        "record number",
        "stratum code",
        "cutting unit code",
        "plot number",
        "tree number",
        "species code",
        "diameter at breast height",
        "total height",
        "net cubic-foot volume",
        "product code",
        "unit area in acres",
        "basal area factor",
        "fixed plot size",
        "number of plots"};
    return field >= 1 && field <= kSvzFields ? names[field] : "";
}

size_t SvzFieldLimit(int field) {
    switch (field) {
        case 3: return 3;
        case 5: case 6: case 7: case 8: case 10: return 7;
        case 1: return 255;
        default: return 11;  // 2, 4, 9, 11 to 14
    }
}

bool ParseSvz(std::string_view text, SvzData& data, SvzError& error) {
    data = SvzData{};
    std::unordered_map<std::string, size_t> pair_index;
    std::vector<std::unordered_set<std::string>> pair_plots;
    auto fail = [&](int line, int field, std::string reason) {
        error = SvzError{line, field, std::move(reason)};
        return false;
    };

    int line_no = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        if (nl == std::string_view::npos) nl = text.size();
        std::string_view line = TrimBlanks(text.substr(pos, nl - pos));
        pos = nl + 1;
        ++line_no;
        if (line.empty()) continue;
        if (line.find('\0') != std::string_view::npos)
            return fail(line_no, 0, "the line holds a zero byte (not a text file?)");

        std::string_view f[kSvzFields + 1];
        size_t start = 0;
        for (int i = 1; i < kSvzFields; ++i) {
            size_t comma = line.find(',', start);
            if (comma == std::string_view::npos) return fail(line_no, i + 1, "the field is missing");
            f[i] = TrimBlanks(line.substr(start, comma - start));
            start = comma + 1;
        }
        f[kSvzFields] = TrimBlanks(line.substr(start));  // the last field runs to the line's end
        for (int i = 1; i <= kSvzFields; ++i) {
            if (f[i].empty()) return fail(line_no, i, "the field is empty");
            if (f[i].size() > SvzFieldLimit(i))
                return fail(line_no, i,
                            Quote(f[i]) + " is longer than " +
                                std::to_string(SvzFieldLimit(i)) + " characters");
            if (int b = UnassignedByte(f[i]); b >= 0) {
                char hex[16];
                std::snprintf(hex, sizeof hex, "%02X", b);
                return fail(line_no, i, Quote(f[i]) + " holds the byte " + hex + ", which is no character");
            }
        }
        double num[kSvzFields + 1] = {};
        for (int i : {7, 8, 9, 11, 12, 13, 14}) {
            if (!ParseNumber(f[i], num[i])) return fail(line_no, i, Quote(f[i]) + " is not a number");
            if (num[i] < 0) return fail(line_no, i, Quote(f[i]) + " is negative");
        }
        if (num[14] != std::floor(num[14]))
            return fail(line_no, 14, Quote(f[14]) + " is not a whole number");
        if (num[14] > kMaxPlannedPlots)
            return fail(line_no, 14,
                        Quote(f[14]) + " plots is more than the limit of " +
                            std::to_string(kMaxPlannedPlots));

        SvzTree t;
        t.stratum = store::Cp1252ToUtf8(f[2]);
        t.unit = store::Cp1252ToUtf8(f[3]);
        t.plot = store::Cp1252ToUtf8(f[4]);
        t.tree = store::Cp1252ToUtf8(f[5]);
        t.species = store::Cp1252ToUtf8(f[6]);
        t.product = store::Cp1252ToUtf8(f[10]);
        t.dbh = num[7];
        t.height = num[8];
        t.volume = num[9];

        std::string key = t.unit + '\x1f' + t.stratum;
        auto [it, fresh] = pair_index.try_emplace(key, data.pairs.size());
        if (fresh) {
            SvzPair p;
            p.unit = t.unit;
            p.stratum = t.stratum;
            p.area = num[11];
            p.baf = num[12];
            p.fpsize = num[13];
            p.planned = static_cast<int>(num[14]);
            data.pairs.push_back(std::move(p));
            pair_plots.emplace_back();
        }
        // Plots are told apart by their code within the unit and stratum, wherever
        // their lines stand in the file.
        if (pair_plots[it->second].insert(t.plot).second) ++data.pairs[it->second].plots_seen;
        data.trees.push_back(std::move(t));
    }
    if (data.trees.empty()) return fail(0, 0, "the file holds no tree lines");

    for (size_t i = 0; i < data.pairs.size(); ++i) {
        const SvzPair& p = data.pairs[i];
        int missing = p.plots_seen > 0 && p.plots_seen < p.planned ? p.planned - p.plots_seen : 0;
        int code = 9999;
        for (; missing > 0; --missing) {
            char buf[16];
            // Placeholder codes never take the code of a real plot of the pair.
            do std::snprintf(buf, sizeof buf, "%4d", code--);
            while (pair_plots[i].count(buf));
            SvzTree t;
            t.stratum = p.stratum;
            t.unit = p.unit;
            t.plot = buf;
            t.tree = "1";
            data.placeholders.push_back(std::move(t));
        }
    }
    return true;
}

std::string SvzErrorText(const std::string& path, const SvzError& error) {
    std::string where;
    if (error.line > 0) where = "Line " + std::to_string(error.line);
    if (error.field > 0)
        where += ", field " + std::to_string(error.field) + " (" + SvzFieldName(error.field) + ")";
    std::string reason = where.empty() ? error.reason : where + ": " + error.reason;
    if (!reason.empty()) reason[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(reason[0])));
    return "The File:\n\n'" + path + "'\n\nCannot Be Imported.\n\n" + reason +
           ".\n\nThe cruise file was not changed.";
}

namespace {

void DropTables(mk::Storage& storage, const std::vector<std::string>& names) {
    auto fields = mk::ParseFields(storage.Structure());
    if (!fields) return;
    auto& list = *fields;
    size_t before = list.size();
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const mk::Field& f) {
                                  return f.type == mk::Type::View &&
                                         std::find(names.begin(), names.end(), f.name) != names.end();
                              }),
               list.end());
    if (list.size() != before) (void)storage.SetStructure(mk::FormatFields(list));
}

mk::View Open(mk::Storage& storage, const char* description) {
    auto v = storage.GetAs(description);
    return v ? *v : mk::View();
}

}  // namespace

void WriteSvz(mk::Storage& storage, const SvzData& data) {
    DropTables(storage, {schema::kSVUnitsTable, schema::kSVStrataTable, schema::kSVSummaryTable});

    // Trees, then one placeholder tree per plot that had none.
    mk::View trees = Open(storage, schema::kTreeTableImportDesc);
    const bool has_cl = storage.GetView(schema::kTreeTable).FindColumn("CL") >= 0;
    mk::View stored_trees = storage.GetView(schema::kTreeTable);
    const int c_str = trees.FindColumn("Stratum"), c_unit = trees.FindColumn("CutUnit"),
              c_plot = trees.FindColumn("Plot"), c_tree = trees.FindColumn("Tree"),
              c_sp = trees.FindColumn("Sp"), c_prod = trees.FindColumn("ProdP"),
              c_dbh = trees.FindColumn("DBH"), c_ht = trees.FindColumn("TotHt"),
              c_vol = trees.FindColumn("NCUFTVolPP");
    const int c_cl = has_cl ? stored_trees.FindColumn("CL") : -1;
    const int total = static_cast<int>(data.trees.size() + data.placeholders.size());
    trees.SetRowCount(total);
    int row = 0;
    for (const auto* list : {&data.trees, &data.placeholders}) {
        for (const SvzTree& t : *list) {
            trees.SetString(row, c_str, t.stratum);
            trees.SetString(row, c_unit, t.unit);
            trees.SetString(row, c_plot, t.plot);
            trees.SetString(row, c_tree, t.tree);
            trees.SetString(row, c_sp, t.species);
            trees.SetString(row, c_prod, t.product);
            trees.SetDouble(row, c_dbh, t.dbh);
            trees.SetDouble(row, c_ht, t.height);
            trees.SetDouble(row, c_vol, t.volume);
            // Recon trees are all cut trees; a tree table that keeps the cut/leave
            // code gets it, so the compilation's selection of cut trees finds them.
            if (c_cl >= 0) stored_trees.SetString(row, c_cl, "C");
            ++row;
        }
    }

    // Cutting units: the area of each unit's first line. Rows are written whole, so
    // nothing of a unit that stood there before survives.
    std::map<std::string, double> units;
    for (const SvzPair& p : data.pairs) units.try_emplace(p.unit, p.area);
    mk::View cut = Open(storage, schema::kCuttingUnitTableImportDesc);
    cut.RemoveAll();
    cut.SetRowCount(static_cast<int>(units.size()));
    row = 0;
    for (const auto& [code, area] : units) {
        cut.SetString(row, "CutUnit", code);
        cut.SetDouble(row, "Area", area);
        ++row;
    }

    struct Stratum {
        const SvzPair* first = nullptr;
        std::set<std::string> units;
    };
    std::map<std::string, Stratum> strata;
    for (const SvzPair& p : data.pairs) {
        Stratum& s = strata[p.stratum];
        if (!s.first) s.first = &p;
        s.units.insert(p.unit);
    }
    mk::View st = Open(storage, schema::kStratumTableImportDesc);
    st.RemoveAll();
    st.SetRowCount(static_cast<int>(strata.size()));
    row = 0;
    for (const auto& [code, s] : strata) {
        st.SetString(row, "Stratum", code);
        if (s.first->baf > 0) {
            st.SetDouble(row, "BAF", s.first->baf);
            st.SetString(row, "CruzMeth", "PNT");
        } else if (s.first->fpsize > 0) {
            st.SetDouble(row, "FPSize", s.first->fpsize);
            st.SetString(row, "CruzMeth", "FIX");
        } else {
            st.SetString(row, "CruzMeth", "100");
        }
        st.SetString(row, "Units", JoinCodes(std::vector<std::string>(s.units.begin(), s.units.end())));
        ++row;
    }

    // Plots: the distinct (unit, stratum, plot) of all trees, placeholders included.
    using PlotKey = std::tuple<std::string, std::string, std::string>;
    std::vector<PlotKey> plots;
    plots.reserve(static_cast<size_t>(total));
    for (const auto* list : {&data.trees, &data.placeholders})
        for (const SvzTree& t : *list) plots.emplace_back(t.unit, t.stratum, t.plot);
    std::sort(plots.begin(), plots.end());
    plots.erase(std::unique(plots.begin(), plots.end()), plots.end());
    mk::View pv = Open(storage, schema::kPlotTableReconDesc);
    pv.RemoveAll();
    pv.SetRowCount(static_cast<int>(plots.size()));
    const int p_str = pv.FindColumn("Stratum"), p_unit = pv.FindColumn("CutUnit"),
              p_plot = pv.FindColumn("Plot");
    for (size_t i = 0; i < plots.size(); ++i) {
        const int r = static_cast<int>(i);
        pv.SetString(r, p_unit, std::get<0>(plots[i]));
        pv.SetString(r, p_str, std::get<1>(plots[i]));
        pv.SetString(r, p_plot, std::get<2>(plots[i]));
    }

    store::SetSetting(storage, schema::kBlockStrovan, schema::kKeyUOM, schema::kUomCubicFeet);
}

int ImportSvz(ui::UiPort& ui, const std::string& cruise_path, const std::string& svz_path) {
    store::CCruiseStore store(ui);
    if (store.Open(cruise_path) != 0) {
        ui.MessageBox("File Error",
                      "The File:\n\n'" + cruise_path + "'\n\nCannot Be Opened.\n\nNothing was imported.",
                      ui::Icon::Stop);
        return 1;
    }
    mk::Storage& storage = *store.Storage();
    if (storage.HasView(schema::kTreeTable) && storage.GetView(schema::kTreeTable).RowCount() > 0) {
        ui.MessageBox("WARNING", kTreeDataExists, ui::Icon::Exclamation);
        return 1;
    }

    // Four steps (read, check, write, commit): a bar appears when a step runs past a
    // second, and stopping before the write leaves the file untouched.
    ui.BeginBusy("Importing...", 4);
    std::string text;
    {
        std::error_code ec;
        std::ifstream in;
        if (std::filesystem::is_regular_file(svz_path, ec)) in.open(svz_path, std::ios::binary);
        std::ostringstream buf;
        if (in.is_open()) buf << in.rdbuf();
        if (!in.is_open() || in.bad()) {
            ui.EndBusy();
            ui.MessageBox("File Error", SvzErrorText(svz_path, {0, 0, "the file cannot be read"}),
                          ui::Icon::Stop);
            return 1;
        }
        text = buf.str();
    }
    auto stopped = [&](long long step) {
        if (ui.Progress(step)) return false;
        ui.EndBusy();
        ui.MessageBox("Information", "The import was stopped.\n\nThe cruise file was not changed.",
                      ui::Icon::Information);
        return true;
    };
    if (stopped(1)) return 1;
    SvzData data;
    SvzError error;
    if (!ParseSvz(text, data, error)) {
        ui.EndBusy();
        ui.MessageBox("File Error", SvzErrorText(svz_path, error), ui::Icon::Stop);
        return 1;
    }
    if (stopped(2)) return 1;
    WriteSvz(storage, data);
    // New recon data make the design stale; the mark lands with the data.
    store::SetSetting(storage, schema::kBlockStrovan, schema::kKeyUpdateFlag, schema::kFlagYes);
    ui.Progress(3);
    const int committed = store.Commit();
    ui.EndBusy();
    if (committed != 0) return 1;  // the store reported it; the file keeps its last state
    store.Close();
    ui.MessageBox("Information", "The File:\n\n'" + svz_path + "'\n\nHas Been Imported.",
                  ui::Icon::Information);
    return 0;
}

ui::FileDialogSpec SvzDialogSpec() {
    ui::FileDialogSpec spec;
    spec.title = "Import .SVZ File";
    spec.filters = {{"Recon Cruise Files (*.svz)", {"*.svz"}}, {"All Files (*.*)", {"*.*"}}};
    spec.default_extension = "SVZ";
    spec.initial_name = "*.svz";
    return spec;
}

}  // namespace setup
