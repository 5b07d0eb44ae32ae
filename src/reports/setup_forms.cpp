// The setup forms that carry the design by hand into the field program (Kelvane) and
// the data-entry program (Mirtel).
//
// Layout (fixed here so that the screen, the print and the command line's dump
// agree): 32 columns, each as wide as its own cells need; the form title in row 0 (columns 0-9 joined) with
// "Cruise Number: " at column 20; each section two rows below the last one, its
// title joined over columns 0-5, then a bordered header and bordered value rows.
// Long texts (names, descriptions, unit lists) are joined over several columns;
// each section's column positions are in its table of fields below.
//
// The subpopulation values and the Mirtel species values come from SVSelAutoFill,
// looked up like the field file does it: rows with equal species, product and
// live/dead code, else the same species and product with live/dead "L,D". A report
// cannot ask which of several rows to use, so it takes the first.
#include <algorithm>
#include <ctime>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "design/sampling.h"
#include "grid/pdf_canvas.h"
#include "reports/reports.h"

namespace reports {

namespace {

constexpr int kCols = 32;
const grid::Color kKeyGrey = grid::Color::FromColorRef(14474460);

struct Field {
    int col0, col1;
    const char* heading;
};

class FormWriter {
public:
    explicit FormWriter(ReportGrid& r) : r_(r) {}

    void Title(const std::string& title, const std::string& cruiseNo) {
        r_.AddRows(1);
        r_.PutJoined(0, 9, 0, title);
        r_.Grid().SetFont(0, 0, kTitleFont);
        r_.PutJoined(20, 25, 0, "Cruise Number: " + cruiseNo);
        r_.Grid().SetRowHeight(0, 36);
    }
    // The section title two rows below the last row.
    void Section(const std::string& title) {
        int64_t row = r_.AddRows(2) + 1;
        r_.PutJoined(0, 5, row, title);
        r_.Grid().SetFont(0, row, kSectionFont);
        r_.Grid().SetRowHeight(row, 28);
        // A section's title goes on paper with its header and first rows.
        r_.Grid().KeepTogether(row, row + 3);
    }
    int64_t Header(const std::vector<Field>& fields) {
        std::vector<std::string> texts;
        for (const Field& f : fields) texts.push_back(f.heading);
        int64_t row = Values(fields, texts);
        for (const Field& f : fields) r_.Grid().SetFont(f.col0, row, grid::Font{"", 0, true});
        return row;
    }
    int64_t Values(const std::vector<Field>& fields, const std::vector<std::string>& texts) {
        int64_t row = r_.AddRows(1);
        for (size_t i = 0; i < fields.size(); ++i) {
            const Field& f = fields[i];
            r_.PutJoined(f.col0, f.col1, row, i < texts.size() ? texts[i] : std::string());
            r_.Grid().SetBordersRange(f.col0, row, f.col1, row, grid::kBorderAll);
        }
        return row;
    }
    int64_t Line(int col0, int col1, const std::string& text) {
        int64_t row = r_.AddRows(1);
        r_.PutJoined(col0, col1, row, text);
        return row;
    }
    ReportGrid& Report() { return r_; }

private:
    ReportGrid& r_;
};

// Each column as wide as the widest of its own (unjoined) cells, so that the forms
// fit a landscape page: joined texts spread over their columns, unused columns
// shrink to a sliver.
void FitColumns(ReportGrid& r) {
    grid::GridModel& g = r.Grid();
    // Measured in the bold face the headers use, which is never narrower.
    grid::Font font = g.DefaultFont();
    font.bold = true;
    std::vector<double> width(g.ColumnCount(), 0);
    for (int64_t row = 0; row < g.RowCount(); ++row) {
        for (int c = 0; c < g.ColumnCount(); ++c) {
            const std::string& text = r.Raw(c, row);
            if (text.empty() || g.SpanAt(c, row)) continue;
            width[c] = std::max(width[c], grid::PdfCanvas::StandardTextWidth(text, font) * 96 / 72 + 10);
        }
    }
    for (int c = 0; c < g.ColumnCount(); ++c)
        g.SetColumnWidth(c, width[c] > 0 ? std::clamp(static_cast<int>(width[c] + 0.5), 28, 140) : 12);
}

std::unique_ptr<ReportGrid> NewForm(ReportKind kind) {
    auto rep = std::make_unique<ReportGrid>(kCols);
    for (int c = 0; c < kCols; ++c) rep->Grid().SetColumnWidth(c, 60);
    rep->Grid().SetPrintMargins(PrintMargins(kind));
    rep->Grid().SetTitle(WindowTitle(kind));
    return rep;
}

void Today(const ReportInputs& in, int& month, int& year) {
    month = in.month;
    year = in.year;
    if (month > 0 && year > 0) return;
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    month = tm.tm_mon + 1;
    year = tm.tm_year + 1900;
}

bool IsPointMethod(const std::string& m) { return design::IsOneOf(m, {"PNT", "P3P", "PCM", "PCMTRE", "3PPNT"}); }
bool IsFixedMethod(const std::string& m) { return design::IsOneOf(m, {"FIX", "F3P", "FCM"}); }
// Methods whose sample groups are chosen by KZ rather than by frequency.
bool UsesKz(const std::string& m) { return design::IsOneOf(m, {"3P", "S3P", "F3P", "P3P", "3PPNT"}); }

std::string Key(std::initializer_list<std::string> parts) {
    std::string k;
    for (const std::string& p : parts) {
        k += p;
        k += '\x1f';
    }
    return k;
}

class AutoFillIndex {
public:
    explicit AutoFillIndex(const std::vector<AutoFillRow>& rows) {
        for (size_t i = 0; i < rows.size(); ++i) first_.try_emplace(Key({rows[i].sp, rows[i].prodP, rows[i].ld}), &rows[i]);
    }
    const AutoFillRow* Find(const std::string& sp, const std::string& prod, const std::string& ld) const {
        auto it = first_.find(Key({sp, prod, ld}));
        if (it == first_.end()) it = first_.find(Key({sp, prod, "L,D"}));
        return it == first_.end() ? nullptr : it->second;
    }

private:
    std::unordered_map<std::string, const AutoFillRow*> first_;
};

std::string Num(double v, const char* fmt) { return Format(fmt, v); }

// The sample groups of each stratum, in table order.
std::unordered_map<std::string, std::vector<const design::SgRow*>> GroupsByStratum(const ReportInputs& in) {
    std::unordered_map<std::string, std::vector<const design::SgRow*>> m;
    for (const design::SgRow& g : in.groups) m[g.stratum].push_back(&g);
    return m;
}

}  // namespace

std::unique_ptr<ReportGrid> BuildKelvane(const ReportInputs& in) {
    auto rep = NewForm(ReportKind::Kelvane);
    FormWriter w(*rep);
    const CruiseInfo& c = in.cruise;
    w.Title("Kelvane - Setup Forms", c.cruiseNo);

    w.Section("Cruise Table");
    const std::vector<Field> cruise = {{0, 0, "SaleNo"}, {1, 1, "CruiseNo"}, {2, 4, "Sale Name"},
                                       {5, 5, "Region"}, {6, 6, "Forest"},   {7, 7, "District"},
                                       {8, 8, "CalYear"}, {9, 10, "Purpose"}};
    w.Header(cruise);
    w.Values(cruise, {c.saleNo, c.cruiseNo, c.saleName, c.region, c.forest, c.district, c.calYear, c.purpose});

    w.Section("Cutting Unit Table");
    const std::vector<Field> unitHead = {{0, 0, "CutUnit"}, {1, 1, "Area"}, {2, 4, "Description"},
                                         {5, 8, "LogMeth"}, {9, 9, "PayUnit"}};
    const std::vector<Field> unitRow = {{0, 0, ""}, {1, 1, ""}, {2, 4, ""}, {5, 5, ""}, {6, 8, ""}, {9, 9, ""}};
    w.Header(unitHead);
    for (const UnitRow& u : in.units)
        w.Values(unitRow, {u.cutUnit, Num(u.area, "%6.1f"), u.description, u.logMeth, LoggingMethodName(u.logMeth),
                           u.payUnit});

    int month, year;
    Today(in, month, year);
    w.Section("Stratum Table");
    const std::vector<Field> strata = {{0, 0, "Stratum"}, {1, 1, "CruzMeth"}, {2, 4, "Description"},
                                       {5, 5, "BAF"},     {6, 6, "FPSize"},   {7, 10, "Units"},
                                       {11, 11, "Month"}, {12, 12, "Year"}};
    w.Header(strata);
    for (const design::StratumRow& s : in.strata) {
        std::string baf = IsPointMethod(s.cruzMeth) ? Num(s.plotSize, "%5.1f") : "";
        std::string fps = IsFixedMethod(s.cruzMeth) ? Num(s.plotSize, "%4.0f") : "";
        w.Values(strata, {s.stratum, s.cruzMeth, s.description, baf, fps, s.units, Format("%d", month),
                          Format("%d", year)});
    }

    w.Section("SubPopulation Table");
    const std::vector<Field> sub = {
        {0, 0, "Stratum"},   {1, 1, "SG (1)"},     {2, 2, "Sp"},         {3, 3, "UOMP"},
        {4, 4, "UOMS"},      {5, 5, "ProdP"},      {6, 6, "ProdS"},      {7, 7, "LD"},
        {8, 8, "CDefP"},     {9, 9, "CDefS"},      {10, 10, "HDefP"},    {11, 11, "HDefS"},
        {12, 12, "RecDefP"}, {13, 13, "ContrSpec"}, {14, 14, "TreeGrade"}, {15, 15, "MerchHtType"},
        {16, 16, "Freq/KZ"}, {17, 17, "MerchHtLogLen"}, {18, 18, "DBHBTR"}, {19, 19, "TopDIBP"},
        {20, 20, "TopDIBS"}, {21, 21, "AvgZForm"}};
    // How much each column is needed, shown in the header and explained by the legend.
    enum Need { Mandatory, Required, Optional, Rare };
    const Need need[22] = {Mandatory, Mandatory, Mandatory, Mandatory, Optional, Mandatory, Optional, Mandatory,
                           Optional,  Optional,  Optional,  Optional,  Optional, Optional,  Optional, Rare,
                           Required,  Rare,      Rare,      Optional,  Optional, Rare};
    const grid::Color needColor[4] = {grid::Color::Rgb(255, 255, 153), grid::Color::Rgb(204, 255, 204),
                                      grid::Color::Rgb(255, 255, 255), grid::Color::Rgb(204, 229, 255)};
    int64_t head = w.Header(sub);
    for (int i = 0; i < 22; ++i) rep->Grid().SetBackground(sub[i].col0, head, needColor[need[i]]);

    // Summary rows by (stratum, tree group) and (stratum, plot group).
    std::unordered_map<std::string, std::vector<size_t>> byTree, byPlot;
    for (size_t i = 0; i < in.summary.size(); ++i) {
        const SummaryRow& s = in.summary[i];
        byTree[Key({s.stratum, s.sgTree})].push_back(i);
        byPlot[Key({s.stratum, s.sgPlot})].push_back(i);
    }
    AutoFillIndex fill(in.autoFill);
    auto groups = GroupsByStratum(in);
    for (const design::StratumRow& s : in.strata) {
        const bool plot = design::IsPlotMethod(s.cruzMeth);
        auto& map = plot ? byPlot : byTree;
        for (const design::SgRow* g : groups[s.stratum]) {
            auto it = map.find(Key({s.stratum, g->sgCode}));
            if (it == map.end()) continue;
            std::unordered_set<std::string> seen;
            for (size_t i : it->second) {
                const SummaryRow& r = in.summary[i];
                if (!seen.insert(Key({r.species, r.prod, r.ld})).second) continue;
                const AutoFillRow* a = fill.Find(r.species, r.prod, r.ld);
                std::string freq = Format("%d", UsesKz(s.cruzMeth) ? g->kz : g->freq);
                std::vector<std::string> v = {s.stratum, g->sgCode, r.species, "", "", r.prod, "", r.ld};
                if (a) {
                    v[3] = a->uomP;
                    v[4] = a->uomS;
                    v[6] = a->prodS;
                    for (const std::string& x : {a->cDefP, a->cDefS, a->hDefP, a->hDefS, a->recDefP, a->contrSpec,
                                                 a->treeGrade, a->merchHtT})
                        v.push_back(x);
                    v.push_back(freq);
                    v.push_back(Format("%d", a->merchHtLL));
                    v.push_back(Num(a->dbhBtr, "%g"));
                    v.push_back(Num(a->topDibP, "%.1f"));
                    v.push_back(Num(a->topDibS, "%.1f"));
                    v.push_back(Num(a->avgZForm, "%g"));
                } else {
                    v.resize(16);
                    v.push_back(freq);
                }
                int64_t row = w.Values(sub, v);
                for (int col : {0, 1, 2, 7}) rep->Grid().SetBackground(col, row, kKeyGrey);
            }
        }
    }

    w.Line(0, 0, "");
    const char* legend[4] = {"               Mandatory", "        Required for STR/3P/S3P",
                             "                                        Optional", "  Rarely Used"};
    for (int i = 0; i < 4; ++i) {
        int64_t row = w.Line(0, 4, legend[i]);
        rep->Grid().SetBackground(0, row, needColor[i]);
        rep->Grid().SetBordersRange(0, row, 4, row, grid::kBorderAll);
    }
    w.Line(0, 0, "");
    w.Line(0, 20, "1:  SG can be blank.  Blank is a valid sample group code in Dorvex.");
    int64_t grey = w.Line(0, 20, "  Grey cells uniquely define a subpopulation and must be single codes (not comma separated lists).");
    rep->Grid().SetBackground(0, grey, kKeyGrey);
    w.Line(0, 20,
           "Note:  Strovan will create a separate line for each unique species/LD code combination within each "
           "population instead of creating comma-separated lists.");
    FitColumns(*rep);
    return rep;
}

std::unique_ptr<ReportGrid> BuildMirtel(const ReportInputs& in) {
    auto rep = NewForm(ReportKind::Mirtel);
    FormWriter w(*rep);
    const CruiseInfo& c = in.cruise;
    w.Title("MIRTEL - Setup Form", c.cruiseNo);
    int month, year;
    Today(in, month, year);

    w.Section("Cruise Data");
    const std::vector<Field> cruise = {{0, 0, "Cruise Num"}, {1, 1, "Sale Num"}, {2, 4, "Sale Name"},
                                       {5, 5, "Region"},     {6, 6, "Forest"},   {7, 7, "District"},
                                       {8, 8, "Year"},       {9, 10, "Purpose"}};
    w.Header(cruise);
    w.Values(cruise, {c.cruiseNo, c.saleNo, c.saleName, c.region, c.forest, c.district, c.calYear, c.purpose});

    w.Section("Strata Data");
    const std::vector<Field> strata = {{0, 0, "Stra"}, {1, 2, "Cruise Method"}, {3, 3, "BAF"},
                                       {4, 4, "Fix Plt Sz"}, {5, 8, "Strata Description"}, {9, 9, "Year"}};
    w.Header(strata);
    for (const design::StratumRow& s : in.strata) {
        std::string baf = IsPointMethod(s.cruzMeth) ? Num(s.plotSize, "%5.1f") : "";
        std::string fps = IsFixedMethod(s.cruzMeth) ? Num(s.plotSize, "%4.0f") : "";
        w.Values(strata, {s.stratum, s.cruzMeth, baf, fps, s.description, Format("%d", year)});
    }

    w.Section("Unit Data");
    const std::vector<Field> units = {{0, 0, "Unit"}, {1, 1, "Unit Area"}, {2, 5, "Unit Description"},
                                      {6, 6, "LMeth"}, {7, 7, "Pay Unit"}};
    w.Header(units);
    std::unordered_map<std::string, const UnitRow*> unitByCode;
    for (const UnitRow& u : in.units) {
        unitByCode.try_emplace(u.cutUnit, &u);
        w.Values(units, {u.cutUnit, Num(u.area, "%6.1f"), u.description, u.logMeth, u.payUnit});
    }

    w.Section("Unit/Strata Data");
    const std::vector<Field> unitStrata = {{0, 0, "Stra"}, {1, 1, "Unit"}, {2, 2, "Unit Area"}};
    w.Header(unitStrata);
    for (const design::StratumRow& s : in.strata) {
        for (const std::string& unit : SplitList(s.units)) {
            auto it = unitByCode.find(unit);
            w.Values(unitStrata, {s.stratum, unit, it == unitByCode.end() ? "" : Num(it->second->area, "%6.1f")});
        }
    }

    w.Section("Sample Freq/KZ Data");
    const std::vector<Field> freq = {{0, 0, "Stra"}, {1, 1, "SGrp"}, {2, 2, "Freq/KZ"}};
    w.Header(freq);
    auto groups = GroupsByStratum(in);
    for (const design::StratumRow& s : in.strata)
        for (const design::SgRow* g : groups[s.stratum])
            w.Values(freq, {s.stratum, g->sgCode, Format("%d", UsesKz(s.cruzMeth) ? g->kz : g->freq)});

    w.Section("All-Inclusive Species List");
    const std::vector<Field> species = {{0, 2, "Species Name"}};
    w.Header(species);
    std::unordered_set<std::string> seenSp;
    for (const SummaryRow& r : in.summary)
        if (!r.species.empty() && seenSp.insert(r.species).second) w.Values(species, {r.species});

    // Species groups: each species and primary product; "Samp" counts the tree sample
    // groups that hold it. A sample group with several species needs an EtAl code
    // for each of them.
    w.Section("Species / EtAl Codes");
    const std::vector<Field> spTop = {{0, 0, "Species"}, {1, 1, "EtAl"}, {2, 2, "Prim"}, {3, 3, "Samp"},
                                      {4, 9, "Defect"}, {10, 10, ""}, {11, 11, ""}, {12, 12, "Yield"},
                                      {13, 13, "Contract"}, {14, 14, "Form"}, {15, 15, "Z-Form"}, {16, 16, "DBH"},
                                      {17, 17, "Dbl BT"}, {18, 18, "Top Dib"}, {19, 19, "Top Dib"}};
    std::vector<Field> spCols;
    const char* second[20] = {"Code", "Code", "Prod", "", "%1", "%2", "%3", "%4", "%5", "%6",
                              "Recov%", "2 Prod", "Cmp", "Species", "Class", "Factor", "BTR", "", "Prim", "Sec"};
    for (int i = 0; i < 20; ++i) spCols.push_back({i, i, second[i]});
    w.Header(spTop);
    w.Header(spCols);

    std::unordered_map<std::string, std::set<std::string>> speciesOfGroup;  // (stratum, SgTree) -> species
    struct SpeciesGroup {
        std::string sp, prod, ld;
        std::unordered_set<std::string> groups;
    };
    std::vector<SpeciesGroup> spGroups;
    std::unordered_map<std::string, size_t> spIndex;
    for (const SummaryRow& r : in.summary) {
        if (r.species.empty()) continue;
        std::string g = Key({r.stratum, r.sgTree});
        speciesOfGroup[g].insert(r.species);
        auto [it, added] = spIndex.try_emplace(Key({r.species, r.prod}), spGroups.size());
        if (added) spGroups.push_back({r.species, r.prod, r.ld, {}});
        spGroups[it->second].groups.insert(g);
    }
    bool multiple = false;
    AutoFillIndex fill(in.autoFill);
    for (const SpeciesGroup& sg : spGroups) {
        bool needsEtAl = false;
        for (const std::string& g : sg.groups) needsEtAl |= speciesOfGroup[g].size() > 1;
        multiple |= needsEtAl;
        const AutoFillRow* a = fill.Find(sg.sp, sg.prod, sg.ld);
        std::vector<std::string> v = {sg.sp, "", sg.prod, Format("%zu", sg.groups.size())};
        if (a) {
            for (const std::string& x : {a->cDefP, a->hDefP, a->cDefS, a->hDefS}) v.push_back(x);
            v.insert(v.end(), {"", "", a->recDefP, a->prodS, a->yc, a->contrSpec, Format("%d", a->fc),
                               Num(a->avgZForm, "%2.3f"), Num(a->dbhBtr, "%2.3f"), "", Num(a->topDibP, "%2.1f"),
                               Num(a->topDibS, "%2.1f")});
        }
        int64_t row = w.Values(spCols, v);
        if (needsEtAl) rep->Grid().SetBackground(1, row, grid::colors::kReadOnlyGrey);
    }
    if (multiple) {
        const char* text =
            "Multiple species codes require unique EtAl Codes.  Please add unique EtAl Codes for each species group "
            "in the cells shaded in grey (blank is a valid EtAl Code).";
        w.Line(0, 0, "");
        w.Line(0, 25, text);
        rep->SetNotice(text);
    }
    FitColumns(*rep);
    return rep;
}

}  // namespace reports
