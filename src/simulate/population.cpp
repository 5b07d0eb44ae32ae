#include "simulate/population.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <unordered_map>
#include <utility>

#include "design/sampling.h"
#include "stats/recon_accumulate.h"
#include "stats/recon_data.h"
#include "stats/recon_tables.h"
#include "store/config.h"
#include "store/cruise_store.h"
#include "store/schema.h"

namespace simulate {

Draw DrawOf(const std::string& m) {
    if (m == "100") return Draw::Complete;
    if (m == "PNT" || m == "FIX") return Draw::Plots;
    if (m == "PCM" || m == "FCM" || m == "PCMTRE") return Draw::CountMeasure;
    if (m == "F3P" || m == "P3P" || m == "3PPNT") return Draw::PlotsThreeP;
    if (m == "STR") return Draw::Trees;
    if (m == "3P") return Draw::ThreeP;
    if (m == "S3P") return Draw::TreesThreeP;
    return Draw::None;
}

void AliasTable::Build(const std::vector<double>& weights) {
    const size_t n = weights.size();
    cut.assign(n, 1.0);
    other.resize(n);
    for (size_t i = 0; i < n; ++i) other[i] = static_cast<uint32_t>(i);
    double total = 0;
    for (double w : weights) total += w;
    if (n == 0 || !(total > 0)) return;
    std::vector<double> scaled(n);
    std::vector<uint32_t> small, large;
    for (size_t i = 0; i < n; ++i) {
        scaled[i] = weights[i] * static_cast<double>(n) / total;
        (scaled[i] < 1.0 ? small : large).push_back(static_cast<uint32_t>(i));
    }
    while (!small.empty() && !large.empty()) {
        uint32_t s = small.back(), l = large.back();
        small.pop_back();
        cut[s] = scaled[s];
        other[s] = l;
        scaled[l] -= 1.0 - scaled[s];
        if (scaled[l] < 1.0) {
            large.pop_back();
            small.push_back(l);
        }
    }
    // What is left is 1 up to rounding.
    for (uint32_t i : small) cut[i] = 1.0;
    for (uint32_t i : large) cut[i] = 1.0;
}

void Stratum::PreparePlots() {
    const int g = Groups();
    std::vector<double> sums(static_cast<size_t>(g), 0);
    plotStart.assign(1, 0);
    entries.clear();
    for (int k = 0; k < plots; ++k) {
        for (int j = 0; j < g; ++j) {
            const size_t cell = static_cast<size_t>(k) * g + j;
            sums[j] += value[cell];
            if (value[cell] == 0 && count[cell] == 0) continue;
            entries.push_back({j, count[cell], value[cell]});
        }
        plotStart.push_back(static_cast<int>(entries.size()));
    }
    for (int j = 0; j < g; ++j) groups[j].truth = plots > 0 ? sums[j] / plots : 0;
}

void Stratum::PrepareTrees() {
    for (GroupPlan& gp : groups) {
        double tpa = 0, vpa = 0;
        for (size_t i = 0; i < gp.treeWeight.size(); ++i) {
            tpa += gp.treeWeight[i];
            vpa += gp.treeWeight[i] * gp.treeVolume[i];
        }
        gp.treesPerAcre = tpa;
        gp.truth = vpa;
        gp.alias.Build(gp.treeWeight);
    }
}

double Population::Total(double volumePerAcre, double acres) const {
    return volumePerAcre * acres / (uom == schema::kUomBoardFeet ? 1000 : 100);
}

namespace {

using stats::kRecon100;
using stats::kReconFix;
using stats::kReconPnt;

struct SummaryRow {
    std::string stratum, sgTree, sgPlot;
    int unitId = -1;
    stats::ReconCatalog::Codes codes{-1, -1, -1};
    bool ranged = false;
    long long dmin10 = 0, dmax10 = 0;
};

// Diameters compared in tenths of an inch, as the compilation compares them.
long long Tenths(double d) {
    if (!(std::fabs(d) < 1e12)) return d > 0 ? (1LL << 50) : -(1LL << 50);
    return std::llround(d * 10);
}

bool IsRangeFlag(const std::string& f) { return f == "Str" || f == "Str1" || f == "Sg" || f == "Sg1"; }

std::string Text(const mk::View& v, int row, int col) { return col < 0 ? std::string() : v.GetString(row, col); }

std::vector<SummaryRow> ReadSummary(mk::Storage& storage, const stats::ReconCatalog& catalog) {
    std::vector<SummaryRow> out;
    if (!storage.HasView(schema::kSVSummaryTable)) return out;
    mk::View v = storage.GetView(schema::kSVSummaryTable);
    const int cStratum = v.FindColumn("Stratum"), cTree = v.FindColumn("SgTree"), cPlot = v.FindColumn("SgPlot"),
              cUnit = v.FindColumn("CutUnit"), cSp = v.FindColumn("Species"), cProd = v.FindColumn("Prod"),
              cLd = v.FindColumn("LD"), cFlag = v.FindColumn("DiaFlag"), cMin = v.FindColumn("DMin"),
              cMax = v.FindColumn("DMax");
    out.reserve(static_cast<size_t>(v.RowCount()));
    for (int r = 0; r < v.RowCount(); ++r) {
        SummaryRow s;
        s.stratum = Text(v, r, cStratum);
        if (s.stratum.empty()) continue;
        s.sgTree = Text(v, r, cTree);
        s.sgPlot = Text(v, r, cPlot);
        s.unitId = catalog.UnitId(Text(v, r, cUnit));
        s.codes = catalog.CodesOf(Text(v, r, cSp), Text(v, r, cProd), Text(v, r, cLd));
        s.ranged = IsRangeFlag(Text(v, r, cFlag));
        if (s.ranged) {
            s.dmin10 = Tenths(store::LeadingDouble(Text(v, r, cMin)));
            s.dmax10 = Tenths(store::LeadingDouble(Text(v, r, cMax)));
        }
        out.push_back(std::move(s));
    }
    return out;
}

std::string Number(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

const char* MethodName(int method) {
    return method == kReconFix ? "fixed-plot" : method == kReconPnt ? "point" : "100 %";
}

class Builder {
public:
    Builder(mk::Storage& storage, const stats::ReconCatalog& catalog)
        : catalog_(catalog), summary_(ReadSummary(storage, catalog)) {
        for (size_t r = 0; r < summary_.size(); ++r) rows_[summary_[r].stratum].push_back(static_cast<int>(r));
        mark_.assign(static_cast<size_t>(catalog.Trees().size()), 0);
    }

    void Build(Stratum& s, const std::vector<const design::SgRow*>& groups);

private:
    // The stratum's trees of a recon method for each group (each tree once per group).
    std::vector<std::vector<int>> GroupTrees(const std::vector<int>& rows, int method, bool treeFamily,
                                             const std::vector<std::string>& codes);
    bool HasTrees(const std::vector<int>& rows, int method) const;
    // Recon strata whose plots make up the stratum, and the plots of each (recon, unit).
    void CountPlots(const std::vector<int>& rows, int method, const std::vector<std::vector<int>>& trees,
                    std::vector<std::pair<int, int>>& cells, int& plots) const;
    void FillPlots(Stratum& s, int method, const std::vector<std::vector<int>>& trees);
    void FillTrees(Stratum& s, int method, const std::vector<std::vector<int>>& trees);

    const stats::ReconCatalog& catalog_;
    std::vector<SummaryRow> summary_;
    std::unordered_map<std::string, std::vector<int>> rows_;
    std::vector<unsigned> mark_;
    unsigned stamp_ = 0;
};

bool Builder::HasTrees(const std::vector<int>& rows, int method) const {
    for (int r : rows)
        if (!catalog_.Lookup(method, summary_[r].unitId, summary_[r].codes).empty()) return true;
    return false;
}

std::vector<std::vector<int>> Builder::GroupTrees(const std::vector<int>& rows, int method, bool treeFamily,
                                                  const std::vector<std::string>& codes) {
    const stats::ReconTrees& trees = catalog_.Trees();
    std::vector<std::vector<int>> out(codes.size());
    for (size_t g = 0; g < codes.size(); ++g) {
        ++stamp_;
        for (int r : rows) {
            const SummaryRow& row = summary_[r];
            if ((treeFamily ? row.sgTree : row.sgPlot) != codes[g]) continue;
            for (int t : catalog_.Lookup(method, row.unitId, row.codes)) {
                if (mark_[t] == stamp_) continue;
                if (row.ranged) {
                    long long d = Tenths(trees.dbh[t]);
                    if (d < row.dmin10 || d > row.dmax10) continue;
                }
                mark_[t] = stamp_;
                out[g].push_back(t);
            }
        }
    }
    return out;
}

void Builder::CountPlots(const std::vector<int>& rows, int method, const std::vector<std::vector<int>>& trees,
                         std::vector<std::pair<int, int>>& cells, int& plots) const {
    const stats::ReconTrees& t = catalog_.Trees();
    std::vector<std::pair<int, int>> withTrees;  // (unit, recon) of the stratum's trees
    for (const auto& g : trees)
        for (int i : g) withTrees.emplace_back(t.unit[i], t.recon[i]);
    std::sort(withTrees.begin(), withTrees.end());
    withTrees.erase(std::unique(withTrees.begin(), withTrees.end()), withTrees.end());
    std::vector<int> units;
    for (int r : rows)
        if (summary_[r].unitId >= 0) units.push_back(summary_[r].unitId);
    std::sort(units.begin(), units.end());
    units.erase(std::unique(units.begin(), units.end()), units.end());
    plots = 0;
    for (int u : units) {
        std::vector<int> recon = catalog_.ReconStrataIn(u, method);
        if (recon.size() != 1) {
            // Several recon strata cruised the unit: those the stratum's trees come from.
            recon.clear();
            for (const auto& [unit, r] : withTrees)
                if (unit == u) recon.push_back(r);
        }
        for (int r : recon) {
            cells.emplace_back(r, u);
            plots += catalog_.PlotCount(r, u);
        }
    }
}

void Builder::FillPlots(Stratum& s, int method, const std::vector<std::vector<int>>& trees) {
    const stats::ReconTrees& t = catalog_.Trees();
    std::vector<std::pair<int, int>> cells;
    CountPlots(rows_[s.code], method, trees, cells, s.plots);
    if (s.plots < 2) {
        s.problem = "fewer than two " + std::string(MethodName(method)) + " recon plots (" +
                    std::to_string(s.plots) + ")";
        return;
    }
    // Plots holding the stratum's trees come first; the others hold none of them.
    std::map<std::pair<int, int>, std::unordered_map<int, int>> index;  // (recon, unit) -> plot -> row
    int next = 0;
    auto plotOf = [&](int tree) {
        auto& plotsOf = index[{t.recon[tree], t.unit[tree]}];
        auto [it, added] = plotsOf.try_emplace(t.plot[tree], next);
        if (added) ++next;
        return it->second;
    };
    const int g = s.Groups();
    const size_t cellsCount = static_cast<size_t>(s.plots) * g;
    s.value.assign(cellsCount, 0);
    s.count.assign(cellsCount, 0);
    const bool lists = s.draw == Draw::CountMeasure;
    std::vector<std::vector<double>> measured(lists ? cellsCount : 0);
    for (int j = 0; j < g; ++j) {
        for (int tree : trees[j]) {
            const double v = t.volume[tree], d = t.dbh[tree];
            double expansion = s.plotFactor, measure = v;
            if (method == kReconPnt) {
                // A point tree without a diameter stands for no area.
                if (!(d > 0)) continue;
                const double basal = d * d * stats::kBasalAreaFactor;
                expansion = s.plotFactor / basal;
                measure = v / basal;
            }
            const int k = plotOf(tree);
            if (k >= s.plots) continue;  // cannot happen: the count covers every plot with trees
            const size_t cell = static_cast<size_t>(k) * g + j;
            s.value[cell] += v * expansion;
            ++s.count[cell];
            if (lists) measured[cell].push_back(measure);
            ++s.reconTrees;
        }
    }
    if (lists) {
        s.treeStart.assign(cellsCount + 1, 0);
        for (size_t c = 0; c < cellsCount; ++c) s.treeStart[c + 1] = s.treeStart[c] + static_cast<int>(measured[c].size());
        s.treeValue.reserve(static_cast<size_t>(s.treeStart.back()));
        for (const auto& m : measured) s.treeValue.insert(s.treeValue.end(), m.begin(), m.end());
    }
    s.PreparePlots();
}

void Builder::FillTrees(Stratum& s, int method, const std::vector<std::vector<int>>& trees) {
    const stats::ReconTrees& t = catalog_.Trees();
    double perTree = 0;
    if (method == kRecon100) {
        perTree = 1.0 / s.acres;
    } else {
        std::vector<std::pair<int, int>> cells;
        CountPlots(rows_[s.code], method, trees, cells, s.plots);
        if (s.plots < 1) {
            s.problem = "no " + std::string(MethodName(method)) + " recon plots";
            return;
        }
        perTree = s.plotFactor / s.plots;
    }
    for (size_t j = 0; j < trees.size(); ++j) {
        GroupPlan& gp = s.groups[j];
        for (int tree : trees[j]) {
            double w = perTree;
            if (method == kReconPnt) {
                const double d = t.dbh[tree];
                if (!(d > 0)) continue;
                w = perTree / (d * d * stats::kBasalAreaFactor);
            }
            gp.treeVolume.push_back(t.volume[tree]);
            gp.treeWeight.push_back(w);
            ++s.reconTrees;
        }
    }
    if (s.reconTrees < 2) {
        s.problem = "fewer than two recon trees (" + std::to_string(s.reconTrees) + ")";
        return;
    }
    s.PrepareTrees();
}

void Builder::Build(Stratum& s, const std::vector<const design::SgRow*>& groups) {
    auto it = rows_.find(s.code);
    if (it == rows_.end()) {
        s.problem = "no setup rows name the stratum";
        return;
    }
    const std::vector<int>& rows = it->second;
    const bool treeFamily = design::IsTreeMethod(s.method);
    int method = design::IsOneOf(s.method, {"PNT", "P3P", "PCM", "PCMTRE", "3PPNT"}) ? kReconPnt : kReconFix;
    if (treeFamily && !HasTrees(rows, kReconFix)) method = HasTrees(rows, kRecon100) ? kRecon100 : kReconPnt;
    if (!HasTrees(rows, method)) {
        s.problem = treeFamily ? "no recon trees" : "no " + std::string(MethodName(method)) + " recon plots";
        return;
    }
    std::vector<std::string> codes;
    for (const design::SgRow* g : groups) codes.push_back(g->sgCode);
    std::vector<std::vector<int>> trees = GroupTrees(rows, method, treeFamily, codes);

    if (method != kRecon100) {
        // The plots must share one size (or BAF) to be counted and expanded alike.
        std::vector<double> sizes;
        for (int r : rows)
            for (int tree : catalog_.Lookup(method, summary_[r].unitId, summary_[r].codes)) {
                const stats::ReconStratum& rs = catalog_.Recon(catalog_.Trees().recon[tree]);
                double size = method == kReconFix ? rs.fpSize : rs.baf;
                if (std::find(sizes.begin(), sizes.end(), size) == sizes.end()) sizes.push_back(size);
            }
        if (sizes.size() != 1) {
            std::sort(sizes.begin(), sizes.end());
            std::string list;
            for (double z : sizes) list += (list.empty() ? "" : ", ") + Number(z);
            s.problem = std::string("its ") + MethodName(method) + " recon plots differ in " +
                        (method == kReconFix ? "plot size" : "BAF") + " (" + list + ")";
            return;
        }
        s.plotFactor = sizes.front();
        if (!(s.plotFactor > 0)) {
            s.problem = std::string("its ") + MethodName(method) + " recon plots have no " +
                        (method == kReconFix ? "plot size" : "BAF");
            return;
        }
    }
    if (treeFamily) FillTrees(s, method, trees);
    else FillPlots(s, method, trees);
}

// Sizes and the 3P assumption of each group; a problem when a size cannot be drawn.
void Plan(Stratum& s, const std::vector<const design::SgRow*>& groups) {
    for (const design::SgRow* g : groups) {
        GroupPlan gp;
        gp.code = g->sgCode;
        gp.n = g->sgN;
        gp.n2 = g->sgN2;
        gp.cv3p = s.draw == Draw::ThreeP ? g->sgCV : g->sgCV2;
        s.groups.push_back(std::move(gp));
    }
    if (s.draw == Draw::None) {
        s.problem = "the cruise method '" + s.method + "' is unknown";
        return;
    }
    if (s.groups.empty()) {
        s.problem = "the design has no sample groups in it";
        return;
    }
    const bool second = s.draw == Draw::CountMeasure || s.draw == Draw::PlotsThreeP || s.draw == Draw::TreesThreeP;
    for (const GroupPlan& gp : s.groups) {
        if (s.draw == Draw::Complete) break;
        if (gp.n < 1 || (second && gp.n2 < 1)) {
            s.problem = "sample group " + gp.code + " has no sample size";
            return;
        }
        if (gp.n > kMaxDraws || gp.n2 > kMaxDraws) {
            s.problem = "sample group " + gp.code + " draws more than " + std::to_string(kMaxDraws) + " units";
            return;
        }
    }
    if (s.draw == Draw::PlotsThreeP || s.draw == Draw::ThreeP || s.draw == Draw::TreesThreeP)
        s.note = "the recon holds no 3P predictions: the measured trees' volume-to-KPI ratios vary by the "
                 "design's CV of the 3P stage";
}

}  // namespace

design::Design MethodDesign(mk::Storage& storage, const std::string& method) {
    design::Design d;
    if (!storage.HasView(schema::kSVMethodsTable) || !storage.HasView(schema::kSVMethodsSgTable)) return d;
    for (stats::MethodRow& m : stats::ReadMethodRows(storage.GetView(schema::kSVMethodsTable)))
        if (m.s.cruzMeth == method) d.strata.push_back(std::move(m.s));
    for (stats::MethodSgRow& g : stats::ReadMethodSgRows(storage.GetView(schema::kSVMethodsSgTable)))
        if (g.cruzMeth == method) d.groups.push_back(std::move(g.sg));
    return d;
}

Population BuildPopulation(mk::Storage& storage, const design::Design& design, const std::string& uom) {
    Population pop;
    pop.uom = uom;
    if (store::GetSetting(storage, schema::kBlockStrovan, schema::kKeyType).value_or("") == schema::kTypeProduction) {
        pop.problem = "This is a production cruise: it holds no recon plots to simulate a cruise from.";
        return pop;
    }
    if (design.strata.empty()) {
        pop.problem = "The file has no design to simulate: compile the recon data first.";
        return pop;
    }
    stats::ReconCatalog catalog;
    catalog.Load(storage, uom == schema::kUomBoardFeet ? "NBDFTVolPP" : "NCUFTVolPP");
    const bool anyData = !catalog.Empty() && catalog.AnyVolume();

    std::unordered_map<std::string, std::vector<const design::SgRow*>> groups;
    for (const design::SgRow& g : design.groups) groups[g.stratum].push_back(&g);
    Builder builder(storage, catalog);
    for (const design::StratumRow& row : design.strata) {
        Stratum s;
        s.code = row.stratum;
        s.method = row.cruzMeth;
        s.acres = row.totAcres;
        s.designError = row.error;
        s.designVolume = row.volAcre;
        s.draw = DrawOf(row.cruzMeth);
        const auto& gs = groups[row.stratum];
        Plan(s, gs);
        if (s.problem.empty() && !(s.acres > 0)) s.problem = "the stratum has no acres";
        if (s.problem.empty() && s.draw == Draw::Complete) {
            // Every tree is measured: the volume is the design's, known without error.
            for (size_t j = 0; j < gs.size(); ++j) s.groups[j].truth = gs[j]->volAcre;
        } else if (s.problem.empty()) {
            if (!anyData) s.problem = catalog.Empty() ? "the file holds no recon trees" : "no recon tree has a volume";
            else builder.Build(s, gs);
        }
        if (!s.problem.empty()) s.draw = Draw::None;
        pop.strata.push_back(std::move(s));
    }
    return pop;
}

}  // namespace simulate
