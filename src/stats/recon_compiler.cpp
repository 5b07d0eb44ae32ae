#include "stats/recon_compiler.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <map>
#include <span>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "design/sg_rules.h"
#include "design/stratum.h"
#include "stats/recon_data.h"
#include "stats/recon_methods.h"
#include "stats/recon_tables.h"
#include "stats/text_ids.h"
#include "store/cruise_store.h"
#include "store/schema.h"

namespace stats {

namespace {

struct SummaryRow {
    std::string stratum, sgTree, sgPlot, unit, species, prod, ld;
    int unitId = -1;  // in the tree catalog
    bool ranged = false;  // the row carries a diameter range of a split
    long long dmin10 = 0, dmax10 = 0;
};

struct StrataRow {
    std::string stratum, description, units, modified;
    double acres = 0, perimeter = 0;
};

// Diameters compared in tenths of an inch, the precision the data are kept in: a
// single-float 6.1 is below the double 6.1 by a hair and would fall out of a range
// that starts there.
long long Tenths(double d) {
    if (!(std::fabs(d) < 1e12)) return d > 0 ? (1LL << 50) : -(1LL << 50);  // nonsense stays comparable
    return std::llround(d * 10);
}

bool IsRangeFlag(const std::string& f) { return f == "Str" || f == "Str1" || f == "Sg" || f == "Sg1"; }

std::string Text(const mk::View& v, int row, int col) { return col < 0 ? std::string() : v.GetString(row, col); }

// Trees chosen for a sample group (or a whole stratum) and one recon method.
struct Selection {
    bool any = false;        // some tree matched the codes, before the diameter ranges
    std::vector<int> trees;  // those within their row's range, each once
};

// What the stratum's trees of one plot method share: the plot size (or BAF), when
// there is exactly one, and the number of plots.
struct PlotMethodInfo {
    bool done = false;
    Selection all;
    std::vector<double> sizes;
    int plots = 0;
    int noDiameter = 0;
};

class Run {
public:
    Run(mk::Storage& storage, ui::UiPort& ui, const std::string& uom, const design::CostFigures& costs,
        int unitChanged, std::vector<std::string>& warnings, std::vector<std::string>& compiled)
        : storage_(storage), ui_(ui), uom_(uom), costs_(costs), unit_changed_(unitChanged),
          warnings_(warnings), compiled_(compiled) {}

    int Go();

private:
    // Rows by sample-group code, in code order.
    using Groups = std::vector<std::pair<std::string, std::vector<int>>>;
    Groups GroupRows(const std::vector<int>& rows, std::string SummaryRow::*code) const;
    bool LoadSummary();
    bool LoadStrata();
    void CompileStratum(const std::string& code, const std::vector<int>& rows, const StrataRow& info,
                        bool computed, const std::string& chosen);
    Selection Select(const std::vector<int>& rows, int method, bool ranged);
    void AddTo(Selection& sel, const std::vector<int>& rows, int method, bool ranged);
    PlotMethodInfo& StratumInfo(const std::vector<int>& rows, int method);
    int CountPlots(const std::vector<int>& rows, int method, const Selection& all);
    FamilyStats TreeGroup(const std::vector<int>& rows, const PlotMethodInfo& fixInfo, double acres);
    FamilyStats PlotGroup(const std::vector<int>& rows, int method, const PlotMethodInfo& info);

    mk::Storage& storage_;
    ui::UiPort& ui_;
    const std::string& uom_;
    const design::CostFigures& costs_;
    int unit_changed_;
    std::vector<std::string>& warnings_;
    std::vector<std::string>& compiled_;

    std::vector<SummaryRow> summary_;
    // Each summary row's trees by recon method, looked up once.
    std::vector<std::array<std::span<const int>, kReconMethodCount>> row_trees_;
    Groups by_stratum_;  // in code order, as the tables group them
    std::vector<StrataRow> strata_;
    std::unordered_map<std::string, int> strata_index_;
    ReconCatalog catalog_;
    std::vector<MethodRow> methods_;
    std::vector<MethodSgRow> method_sgs_;
    std::vector<MethodRow> fresh_methods_;
    std::vector<MethodSgRow> fresh_sgs_;
    // Each tree enters a selection once: mark_[t] == stamp_ while it is in.
    std::vector<unsigned> mark_;
    unsigned stamp_ = 0;
    PlotMethodInfo info_[kReconMethodCount];
};

bool Run::LoadSummary() {
    if (!storage_.HasView(schema::kSVSummaryTable)) return false;
    mk::View v = storage_.GetView(schema::kSVSummaryTable);
    const int cStratum = v.FindColumn("Stratum"), cTree = v.FindColumn("SgTree"), cPlot = v.FindColumn("SgPlot"),
              cUnit = v.FindColumn("CutUnit"), cSp = v.FindColumn("Species"), cProd = v.FindColumn("Prod"),
              cLd = v.FindColumn("LD"), cFlag = v.FindColumn("DiaFlag"), cMin = v.FindColumn("DMin"),
              cMax = v.FindColumn("DMax");
    summary_.resize(static_cast<size_t>(v.RowCount()));
    std::vector<int> named;  // rows that name a stratum
    for (int r = 0; r < v.RowCount(); ++r) {
        SummaryRow& s = summary_[r];
        s.stratum = Text(v, r, cStratum);
        s.sgTree = Text(v, r, cTree);
        s.sgPlot = Text(v, r, cPlot);
        s.species = Text(v, r, cSp);
        s.prod = Text(v, r, cProd);
        s.ld = Text(v, r, cLd);
        s.unit = Text(v, r, cUnit);
        s.ranged = IsRangeFlag(Text(v, r, cFlag));
        if (s.ranged) {
            s.dmin10 = Tenths(store::LeadingDouble(Text(v, r, cMin)));
            s.dmax10 = Tenths(store::LeadingDouble(Text(v, r, cMax)));
        }
        if (!s.stratum.empty()) named.push_back(r);
    }
    by_stratum_ = GroupRows(named, &SummaryRow::stratum);
    return !by_stratum_.empty();
}


bool Run::LoadStrata() {
    if (!storage_.HasView(schema::kSVStrataTable)) return true;
    mk::View v = storage_.GetView(schema::kSVStrataTable);
    const int cStratum = v.FindColumn("Stratum"), cAcres = v.FindColumn("TotAcres"),
              cCircum = v.FindColumn("TotCircum"), cDesc = v.FindColumn("Description"),
              cUnits = v.FindColumn("Units"), cMod = v.FindColumn("Modified");
    for (int r = 0; r < v.RowCount(); ++r) {
        StrataRow s;
        s.stratum = Text(v, r, cStratum);
        s.acres = store::LeadingDouble(Text(v, r, cAcres));
        if (!(s.acres > 0)) return false;
        s.perimeter = store::LeadingDouble(Text(v, r, cCircum));
        s.description = Text(v, r, cDesc);
        s.units = Text(v, r, cUnits);
        s.modified = Text(v, r, cMod);
        strata_index_.try_emplace(s.stratum, static_cast<int>(strata_.size()));
        strata_.push_back(std::move(s));
    }
    return true;
}

void Run::AddTo(Selection& sel, const std::vector<int>& rows, int method, bool ranged) {
    ++stamp_;
    for (int t : sel.trees) mark_[t] = stamp_;
    const ReconTrees& trees = catalog_.Trees();
    for (int r : rows) {
        const SummaryRow& row = summary_[r];
        std::span<const int> found = row_trees_[r][method];
        if (found.empty()) continue;
        sel.any = true;
        const bool filter = ranged && row.ranged;
        for (int t : found) {
            if (mark_[t] == stamp_) continue;
            if (filter) {
                long long d = Tenths(trees.dbh[t]);
                if (d < row.dmin10 || d > row.dmax10) continue;
            }
            mark_[t] = stamp_;
            sel.trees.push_back(t);
        }
    }
}

Selection Run::Select(const std::vector<int>& rows, int method, bool ranged) {
    Selection sel;
    AddTo(sel, rows, method, ranged);
    return sel;
}

// The distinct values, in ascending order.
template <class T>
void SortUnique(std::vector<T>& v) {
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
}

int Run::CountPlots(const std::vector<int>& rows, int method, const Selection& all) {
    const ReconTrees& trees = catalog_.Trees();
    // (unit, recon stratum) of the selected trees; neighbours mostly repeat them.
    std::vector<std::pair<int, int>> selected;
    for (int t : all.trees) {
        std::pair<int, int> p{trees.unit[t], trees.recon[t]};
        if (selected.empty() || selected.back() != p) selected.push_back(p);
    }
    SortUnique(selected);
    std::vector<int> units;
    for (int r : rows)
        if (summary_[r].unitId >= 0) units.push_back(summary_[r].unitId);
    SortUnique(units);
    int n = 0;
    for (int u : units) {
        std::vector<int> recon = catalog_.ReconStrataIn(u, method);
        if (recon.size() == 1) {
            n += catalog_.PlotCount(recon.front(), u);
            continue;
        }
        // Several recon strata cruised the unit: those the stratum's trees come from.
        auto it = std::lower_bound(selected.begin(), selected.end(), std::pair<int, int>{u, INT_MIN});
        for (; it != selected.end() && it->first == u; ++it) n += catalog_.PlotCount(it->second, u);
    }
    return n;
}

PlotMethodInfo& Run::StratumInfo(const std::vector<int>& rows, int method) {
    PlotMethodInfo& in = info_[method];
    if (in.done) return in;
    in = PlotMethodInfo();
    in.done = true;
    in.all = Select(rows, method, false);
    const ReconTrees& trees = catalog_.Trees();
    std::vector<int> recon;
    for (int t : in.all.trees) {
        if (recon.empty() || recon.back() != trees.recon[t]) recon.push_back(trees.recon[t]);
        if (method == kReconPnt && !(trees.dbh[t] > 0)) ++in.noDiameter;
    }
    SortUnique(recon);
    for (int r : recon) {
        double size = method == kReconFix ? catalog_.Recon(r).fpSize : catalog_.Recon(r).baf;
        if (std::find(in.sizes.begin(), in.sizes.end(), size) == in.sizes.end()) in.sizes.push_back(size);
    }
    in.plots = CountPlots(rows, method, in.all);
    return in;
}

FamilyStats Run::TreeGroup(const std::vector<int>& rows, const PlotMethodInfo& fixInfo, double acres) {
    const ReconTrees& trees = catalog_.Trees();
    FamilyStats st;
    Selection sel = Select(rows, kReconFix, true);
    if (!sel.any) {
        sel = Select(rows, kRecon100, true);
        if (sel.trees.empty()) return FamilyStats();
        TreeStats acc = AccumulateTrees(trees, sel.trees, acres);
        if (acc.code == kNoData) return FamilyStats();
        st.tpa = acc.tpa;
        st.vpa = acc.vpa;
        st.tpaDefault = st.vpaDefault = false;
    } else {
        if (fixInfo.sizes.size() == 1) {
            if (sel.trees.empty()) return FamilyStats();
            PlotStats fp = AccumulateFixedPlots(trees, sel.trees, fixInfo.plots, fixInfo.sizes.front());
            if (fp.code == kNoData) return FamilyStats();
            st.tpa = fp.tpa;
            st.vpa = fp.vpa;
            st.tpaDefault = st.vpaDefault = false;
            st.mPlots = fixInfo.plots;
        }
        // Plot sizes that differ leave trees and volume per acre at their stand-ins;
        // the CV of the trees still comes from data, the group's 100 % trees joining.
        AddTo(sel, rows, kRecon100, true);
        if (sel.trees.empty()) return FamilyStats();
    }
    TreeStats acc = AccumulateTrees(trees, sel.trees, acres);
    if (acc.code == kNoData) return FamilyStats();
    st.mTrees = static_cast<int>(sel.trees.size());
    if (acc.code == kSingleUnit) {
        st.cvPlot = 100;
        st.cvPlotDefault = st.tpaDefault = st.vpaDefault = true;
    } else {
        st.cvPlot = acc.cv;
        st.cvPlotDefault = false;
    }
    return st;
}

FamilyStats Run::PlotGroup(const std::vector<int>& rows, int method, const PlotMethodInfo& info) {
    const ReconTrees& trees = catalog_.Trees();
    Selection sel = Select(rows, method, true);
    if (sel.trees.empty()) return FamilyStats();
    const double size = info.sizes.front();
    PlotStats p = method == kReconFix ? AccumulateFixedPlots(trees, sel.trees, info.plots, size)
                                      : AccumulatePoints(trees, sel.trees, info.plots, size);
    if (p.code == kNoData) return FamilyStats();
    FamilyStats st;
    st.tpa = p.tpa;
    st.vpa = p.vpa;
    st.tpp = p.tpp;
    st.tpaDefault = st.vpaDefault = false;
    st.cvPlot = p.cvPlot;
    st.cvCount = p.cvCount;
    st.cvTree = p.cvTree;
    st.cvHeight = p.cvHeight;
    st.cvPlotDefault = st.cvCountDefault = st.cvTreeDefault = st.cvHeightDefault = false;
    if (method == kReconPnt) {
        st.avgHt = p.avgHt;
        st.baf = size;
    }
    st.mTrees = static_cast<int>(sel.trees.size());
    st.mPlots = info.plots;
    // One plot says nothing of the spread between plots, one tree nothing of the
    // spread between trees: those CVs take the stand-in 100, marked for review.
    if (p.code == kSingleUnit) {
        st.cvPlot = st.cvCount = st.cvHeight = 100;
        st.cvPlotDefault = st.cvCountDefault = st.cvHeightDefault = true;
        st.tpaDefault = st.vpaDefault = true;
    }
    if (p.trees == 1) {
        st.cvTree = 100;
        st.cvTreeDefault = true;
    }
    return st;
}

Run::Groups Run::GroupRows(const std::vector<int>& rows, std::string SummaryRow::*code) const {
    TextIds ids;
    std::vector<std::vector<int>> members;
    for (int r : rows) {
        const int id = ids.Id(summary_[r].*code);
        if (id == static_cast<int>(members.size())) members.emplace_back();
        members[static_cast<size_t>(id)].push_back(r);
    }
    std::vector<int> order(members.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return ids.Text(a) < ids.Text(b); });
    Groups out;
    out.reserve(order.size());
    for (int id : order) out.emplace_back(ids.Text(id), std::move(members[static_cast<size_t>(id)]));
    return out;
}

void Run::CompileStratum(const std::string& code, const std::vector<int>& rows, const StrataRow& info,
                         bool computed, const std::string& chosen) {
    for (PlotMethodInfo& in : info_) in.done = false;
    const double acres = info.acres;
    const Groups treeGroups = GroupRows(rows, &SummaryRow::sgTree), plotGroups = GroupRows(rows, &SummaryRow::sgPlot);
    auto context = [&](const std::string& sg) { return GroupContext{code, sg, acres}; };
    const std::size_t firstGroup = fresh_sgs_.size();
    double plotSize = 0, baf = 0;
    if (computed) {
        const PlotMethodInfo& fix = StratumInfo(rows, kReconFix);
        for (const auto& [sg, groupRows] : treeGroups)
            AppendTreeRows(context(sg), TreeGroup(groupRows, fix, acres), fresh_sgs_);

        if (fix.all.any && fix.sizes.size() > 1)
            warnings_.push_back("Strata Number: " + code +
                                "\nCombining Recon Plots Sampled With Different Fix Plot Sizes.\nWill Skip Fix "
                                "Plot Calculations and Use Default Values.");
        const bool fixed = fix.all.any && fix.sizes.size() == 1;
        if (fixed) plotSize = fix.sizes.front();
        for (const auto& [sg, groupRows] : plotGroups)
            AppendFixedRows(context(sg), fixed ? PlotGroup(groupRows, kReconFix, fix) : FamilyStats(), fresh_sgs_);

        const PlotMethodInfo& pnt = StratumInfo(rows, kReconPnt);
        if (pnt.all.any && pnt.sizes.size() > 1)
            warnings_.push_back("Strata Number: " + code +
                                "\nCombining Recon Plots Sampled With Different Basal Area Factors.\nWill Skip "
                                "Variable Plot Calculations and Use Default Values.");
        const bool points = pnt.all.any && pnt.sizes.size() == 1;
        if (points) baf = pnt.sizes.front();
        for (const auto& [sg, groupRows] : plotGroups)
            AppendPointRows(context(sg), points ? PlotGroup(groupRows, kReconPnt, pnt) : FamilyStats(), fresh_sgs_);
        if (points && pnt.noDiameter > 0)
            warnings_.push_back("Strata Number: " + code + "\n" + std::to_string(pnt.noDiameter) +
                                " Point Sample Tree(s) Without a DBH Left Out of the Per Acre Values.");
    } else {
        for (const auto& [sg, groupRows] : treeGroups) AppendTreeRows(context(sg), FamilyStats(), fresh_sgs_);
        for (const auto& [sg, groupRows] : plotGroups) AppendFixedRows(context(sg), FamilyStats(), fresh_sgs_);
        for (const auto& [sg, groupRows] : plotGroups) AppendPointRows(context(sg), FamilyStats(), fresh_sgs_);
    }

    const auto& order = schema::MethodOrder();
    const std::string keep =
        std::find(order.begin(), order.end(), chosen) != order.end() ? chosen : std::string("100");
    for (const std::string& m : order) {
        MethodRow row;
        row.select = m == keep ? "1.000000" : "0";
        row.s.stratum = code;
        row.s.totAcres = acres;
        row.s.cruzMeth = m;
        row.s.description = info.description;
        row.s.units = info.units;
        row.s.totCircum = info.perimeter;
        if (m == "FIX" || m == "F3P" || m == "FCM") row.s.plotSize = plotSize;
        if (m == "PNT" || m == "P3P" || m == "PCM" || m == "3PPNT") row.s.plotSize = baf;
        fresh_methods_.push_back(std::move(row));
    }
    // The first sizes aim at about 40 percent; each row shows the error they give.
    for (std::size_t i = firstGroup; i < fresh_sgs_.size(); ++i) {
        MethodSgRow& g = fresh_sgs_[i];
        design::RecomputeError(g.sg, design::StratumContext{code, g.cruzMeth, acres, 0});
    }
}

int Run::Go() {
    if (!LoadSummary()) return kReconNoStrata;
    if (!LoadStrata()) return kReconZeroAcres;

    if (storage_.HasView(schema::kSVMethodsTable)) methods_ = ReadMethodRows(storage_.GetView(schema::kSVMethodsTable));
    if (storage_.HasView(schema::kSVMethodsSgTable))
        method_sgs_ = ReadMethodSgRows(storage_.GetView(schema::kSVMethodsSgTable));
    const bool firstRun = methods_.empty();

    catalog_.Load(storage_, uom_ == schema::kUomBoardFeet ? "NBDFTVolPP" : "NCUFTVolPP");
    bool computed = false;
    if (!catalog_.Empty()) {
        computed = catalog_.AnyVolume();
        if (!computed)
            warnings_.push_back(std::string(uom_ == schema::kUomBoardFeet ? "No board foot" : "No cubic foot") +
                                " volume found for trees.\nWill use default values.\n\nCauses:\n   Not processed "
                                "through Dorvex program or\n   Cruise Methods are not PNT, FIX, or 100.");
    }
    row_trees_.resize(summary_.size());
    size_t groupCount = 0;
    for (size_t r = 0; r < summary_.size(); ++r) {
        SummaryRow& s = summary_[r];
        s.unitId = catalog_.UnitId(s.unit);
        const ReconCatalog::Codes codes = catalog_.CodesOf(s.species, s.prod, s.ld);
        for (int m = 0; m < kReconMethodCount; ++m) row_trees_[r][m] = catalog_.Lookup(m, s.unitId, codes);
    }
    // Rows to come: 4 a tree sample group and 7 a plot sample group.
    std::vector<std::string_view> trees, plots;
    for (const auto& [code, rows] : by_stratum_) {
        trees.clear();
        plots.clear();
        for (int r : rows) {
            trees.push_back(summary_[r].sgTree);
            plots.push_back(summary_[r].sgPlot);
        }
        SortUnique(trees);
        SortUnique(plots);
        groupCount += 4 * trees.size() + 7 * plots.size();
    }
    fresh_sgs_.reserve(groupCount);
    fresh_methods_.reserve(11 * by_stratum_.size());
    mark_.assign(static_cast<size_t>(catalog_.Trees().size()), 0);

    // The method each stratum's forester chose survives the rebuild of its rows.
    std::unordered_map<std::string, std::string> chosen;
    for (const MethodRow& m : methods_)
        if (IsSelected(m.select)) chosen.try_emplace(m.s.stratum, m.s.cruzMeth);

    std::unordered_set<std::string> rebuilt;
    std::unordered_set<std::string> withRows;
    for (const MethodRow& m : methods_) withRows.insert(m.s.stratum);
    ui_.BeginBusy("Compiling the recon data...", static_cast<long long>(by_stratum_.size()));
    long long done = 0;
    for (const auto& [code, rows] : by_stratum_) {
        auto it = strata_index_.find(code);
        if (it != strata_index_.end()) {
            const StrataRow& info = strata_[it->second];
            // A stratum without method rows is compiled whatever its flag says: it would
            // be missing from the design otherwise.
            if (info.modified == schema::kFlagYes || unit_changed_ == 1 || firstRun || !withRows.count(code)) {
                auto c = chosen.find(code);
                CompileStratum(code, rows, info, computed, c == chosen.end() ? std::string() : c->second);
                rebuilt.insert(code);
                compiled_.push_back(code);
            }
        }
        if (!ui_.Progress(++done)) {
            ui_.EndBusy();
            return kReconStopped;
        }
    }
    ui_.EndBusy();

    // Rows of rebuilt strata are replaced; rows of strata the setup no longer has go.
    auto kept = [&](const std::string& stratum) { return !rebuilt.count(stratum) && strata_index_.count(stratum); };
    // Kept rows stay where they are and the new ones follow; a first run just takes
    // the new rows (they are large: no copy).
    auto merge = [&](auto& kept_rows, auto& fresh, auto stratumOf) {
        kept_rows.erase(std::remove_if(kept_rows.begin(), kept_rows.end(),
                                       [&](const auto& row) { return !kept(stratumOf(row)); }),
                        kept_rows.end());
        if (kept_rows.empty()) kept_rows.swap(fresh);
        else kept_rows.insert(kept_rows.end(), std::make_move_iterator(fresh.begin()),
                              std::make_move_iterator(fresh.end()));
    };
    merge(methods_, fresh_methods_, [](const MethodRow& m) -> const std::string& { return m.s.stratum; });
    merge(method_sgs_, fresh_sgs_, [](const MethodSgRow& g) -> const std::string& { return g.sg.stratum; });
    std::vector<MethodRow>& methods = methods_;
    std::vector<MethodSgRow>& sgs = method_sgs_;

    // Roll-up of every method row from its sample groups.
    TextIds strataIds, methodIds;
    TupleIds<2> groupIds;
    std::vector<design::SgRefs> groups;  // by (stratum, method) id
    for (MethodSgRow& g : sgs) {
        const int id = groupIds.Id({strataIds.Id(g.sg.stratum), methodIds.Id(g.cruzMeth)});
        if (id == static_cast<int>(groups.size())) groups.emplace_back();
        groups[static_cast<size_t>(id)].push_back(&g.sg);
    }
    const design::SgRefs none;
    auto groupOf = [&](const std::string& stratum, const std::string& method) -> const design::SgRefs& {
        const int st = strataIds.Find(stratum), me = methodIds.Find(method);
        const int id = st < 0 || me < 0 ? -1 : groupIds.Find({st, me});
        return id < 0 ? none : groups[static_cast<size_t>(id)];
    };
    for (MethodRow& m : methods)
        design::SummarizeStratum(m.s, groupOf(m.s.stratum, m.s.cruzMeth), design::SummaryMode::Fill, uom_, costs_);

    // The design: each stratum's chosen method, or its 100 % cruise.
    std::map<std::string, std::vector<int>> byStratum;
    for (int i = 0; i < static_cast<int>(methods.size()); ++i) byStratum[methods[i].s.stratum].push_back(i);
    std::vector<design::StratumRow> design;
    std::vector<const design::SgRow*> designSgs;
    for (const auto& [code, rows] : byStratum) {
        int pick = -1;
        for (int i : rows)
            if (IsSelected(methods[i].select)) {
                pick = i;
                break;
            }
        for (int i : rows)
            if (pick < 0 && methods[i].s.cruzMeth == "100") pick = i;
        if (pick < 0) continue;
        design::StratumRow row = methods[pick].s;
        row.lock.clear();
        design.push_back(row);
        for (const design::SgRow* g : groupOf(code, row.cruzMeth)) designSgs.push_back(g);
    }

    // Every table opens before any is written, so a refusal leaves the data as it was.
    mk::View views[4];
    const char* descs[4] = {schema::kSVMethodsTableDesc, schema::kSVMethodsSgTableDesc, schema::kSVDesignTableDesc,
                            schema::kSVDesignSgTableDesc};
    for (int i = 0; i < 4; ++i) {
        auto v = storage_.GetAs(descs[i]);
        if (!v) return kReconCommitFailed;
        views[i] = *v;
    }
    mk::View strata;
    if (storage_.HasView(schema::kSVStrataTable)) {
        auto v = storage_.GetAs(schema::kSVStrataTableDesc);
        if (!v) return kReconCommitFailed;
        strata = *v;
    }
    WriteMethodRows(views[0], methods);
    WriteMethodSgRows(views[1], sgs);
    WriteDesignRows(views[2], design);
    WriteDesignSgRows(views[3], designSgs);
    const int cMod = strata.FindColumn("Modified");
    for (int r = 0; r < strata.RowCount(); ++r) strata.SetString(r, cMod, schema::kFlagNo);

    // A cost the chosen methods need but do not have leaves the strata's costs short.
    if (std::string w = design::CostWarning(design, costs_); !w.empty()) warnings_.push_back(w);
    if (!warnings_.empty()) {
        std::string text;
        for (const std::string& w : warnings_) {
            if (!text.empty()) text += "\n\n";
            text += w;
        }
        ui_.Warning(text, "Warning");
    }
    return storage_.Commit() ? kReconDone : kReconCommitFailed;
}

}  // namespace

ReconCompiler::ReconCompiler(mk::Storage& storage, ui::UiPort& ui, std::string uom, const design::CostFigures& costs,
                             int unitChanged)
    : storage_(storage), ui_(ui), uom_(std::move(uom)), costs_(costs), unit_changed_(unitChanged) {}

int ReconCompiler::Compile() {
    warnings_.clear();
    compiled_.clear();
    Run run(storage_, ui_, uom_, costs_, unit_changed_, warnings_, compiled_);
    return run.Go();
}

}  // namespace stats
