#include "advise/recon_profile.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <cstdint>
#include <unordered_map>

#include "setup/setup_tables.h"
#include "stats/recon_accumulate.h"
#include "store/schema.h"

namespace advise {

namespace {

std::string Text(const mk::View& v, int row, int col) { return col < 0 ? std::string() : v.GetString(row, col); }

struct Recon {
    std::string method;
    double fpSize = 0, baf = 0;
};

}  // namespace

bool SampledMethod(const std::string& method) { return method == "FIX" || method == "PNT"; }

double UnitRecon::VolumePerAcre() const {
    if (SampledMethod(method)) return plots > 0 ? volume / plots : 0;
    return acres > 0 ? volume / acres : 0;
}

void StratumSums::Add(const UnitRecon& u) {
    acres += u.acres;
    plots += u.plots;
    trees += u.trees;
    if (sum.size() < u.sum.size()) {
        sum.resize(u.sum.size(), 0);
        sumSq.resize(u.sum.size(), 0);
    }
    for (size_t g = 0; g < u.sum.size(); ++g) {
        sum[g] += u.sum[g];
        sumSq[g] += u.sumSq[g];
    }
}

double StratumSums::Spread() const {
    if (plots < 2) return 0;
    const double n = plots;
    double spread = 0;
    for (size_t g = 0; g < sum.size(); ++g) {
        const double var = (sumSq[g] - sum[g] * sum[g] / n) / (n - 1);
        if (var > 0) spread += std::sqrt(var);
    }
    return spread;
}

double StratumSums::PlotCost(const design::CostFigures& costs) const {
    const double perPlot = plots > 0 ? static_cast<double>(trees) / plots : 0;
    return costs.plot + costs.measure * perPlot;
}

ReconProfile LoadProfile(mk::Storage& storage, const std::string& uom, const design::CostFigures& costs) {
    ReconProfile profile;
    profile.costs = costs;

    std::unordered_map<std::string, Recon> recon;
    if (storage.HasView(schema::kStratumTable)) {
        mk::View st = storage.GetView(schema::kStratumTable);
        const int cCode = st.FindColumn("Stratum"), cMeth = st.FindColumn("CruzMeth"), cFp = st.FindColumn("FPSize"),
                  cBaf = st.FindColumn("BAF");
        for (int r = 0; r < st.RowCount(); ++r)
            recon.try_emplace(Text(st, r, cCode), Recon{Text(st, r, cMeth), cFp < 0 ? 0 : st.GetDouble(r, cFp),
                                                        cBaf < 0 ? 0 : st.GetDouble(r, cBaf)});
    }

    // Plots by (unit, recon stratum): the plot table's rows, never fewer than the
    // distinct plots holding trees, as the compilation counts them.
    using Pair = std::pair<std::string, std::string>;
    std::map<Pair, int> listed;
    if (storage.HasView(schema::kPlotTable)) {
        mk::View pv = storage.GetView(schema::kPlotTable);
        const int cUnit = pv.FindColumn("CutUnit"), cStr = pv.FindColumn("Stratum");
        for (int r = 0; r < pv.RowCount(); ++r) ++listed[{Text(pv, r, cUnit), Text(pv, r, cStr)}];
    }

    // Each cut tree's volume per acre on its plot, by sample group. Plots are told
    // apart by unit, recon stratum and plot code.
    std::unordered_map<std::string, int> plotIds;
    std::vector<Pair> plotPair;                        // by plot id: (unit, recon stratum)
    std::unordered_map<uint64_t, double> onPlot;       // (plot id, group id) -> volume per acre
    std::unordered_map<std::string, int> groupIds;
    std::vector<std::string> groupNames;
    std::map<std::string, std::set<std::string>> methodsOf;  // unit -> recon methods
    std::unordered_map<std::string, int> treesOf;
    std::unordered_map<std::string, double> volumeOf;  // trees of 100 % units
    if (storage.HasView(schema::kTreeTable)) {
        mk::View tt = storage.GetView(schema::kTreeTable);
        const int cStr = tt.FindColumn("Stratum"), cUnit = tt.FindColumn("CutUnit"), cPlot = tt.FindColumn("Plot"),
                  cSp = tt.FindColumn("Sp"), cProd = tt.FindColumn("ProdP"), cCl = tt.FindColumn("CL"),
                  cDbh = tt.FindColumn("DBH"),
                  cVol = tt.FindColumn(uom == schema::kUomBoardFeet ? "NBDFTVolPP" : "NCUFTVolPP");
        std::string lastUnit, lastStratum;
        const Recon* m = nullptr;
        for (int r = 0; r < tt.RowCount(); ++r) {
            const std::string unit = Text(tt, r, cUnit), stratum = Text(tt, r, cStr);
            if (!m || unit != lastUnit || stratum != lastStratum) {
                auto rs = recon.find(stratum);
                m = rs == recon.end() ? nullptr : &rs->second;
                lastUnit = unit;
                lastStratum = stratum;
                if (m && !unit.empty()) methodsOf[unit].insert(m->method);
            }
            if (unit.empty() || !m) continue;
            const auto plot = plotIds.try_emplace(unit + '\x1f' + stratum + '\x1f' + Text(tt, r, cPlot),
                                                  static_cast<int>(plotPair.size()));
            if (plot.second) plotPair.emplace_back(unit, stratum);
            const std::string cl = Text(tt, r, cCl), species = Text(tt, r, cSp);
            if ((!cl.empty() && cl != "C") || species.empty()) continue;
            const auto group = groupIds.try_emplace(species + "/" + Text(tt, r, cProd),
                                                    static_cast<int>(groupNames.size()));
            if (group.second) groupNames.push_back(group.first->first);
            ++treesOf[unit];
            const double v = cVol < 0 ? 0 : tt.GetDouble(r, cVol);
            double perAcre = 0;
            if (m->method == "FIX") perAcre = v * m->fpSize;
            else if (m->method == "PNT") {
                const double d = cDbh < 0 ? 0 : tt.GetFloat(r, cDbh);
                if (d > 0) perAcre = v * m->baf / (d * d * stats::kBasalAreaFactor);
            } else volumeOf[unit] += v;
            if (SampledMethod(m->method))
                onPlot[(static_cast<uint64_t>(plot.first->second) << 32) | static_cast<uint32_t>(group.first->second)] +=
                    perAcre;
        }
    }
    profile.groups = groupNames;
    std::sort(profile.groups.begin(), profile.groups.end());
    std::unordered_map<std::string, size_t> groupIndex;  // name -> position in profile.groups
    for (size_t g = 0; g < profile.groups.size(); ++g) groupIndex[profile.groups[g]] = g;

    // Units in the order of the unit table, with their areas.
    std::vector<std::string> order;
    std::set<std::string> inTable;
    if (storage.HasView(schema::kSVUnitsTable)) {
        mk::View units = storage.GetView(schema::kSVUnitsTable);
        for (int r = 0; r < units.RowCount(); ++r) {
            std::string code = units.GetString(r, "CutUnit");
            if (!code.empty() && inTable.insert(code).second) order.push_back(code);
        }
    }
    for (const auto& [unit, methods] : methodsOf)
        if (!inTable.count(unit)) order.push_back(unit);
    const setup::UnitAreas areas(storage.HasView(schema::kSVUnitsTable) ? storage.GetView(schema::kSVUnitsTable)
                                                                        : mk::View());

    std::map<std::string, size_t> at;
    for (const std::string& code : order) {
        auto m = methodsOf.find(code);
        if (m == methodsOf.end()) {
            profile.withoutRecon.push_back(code);
            continue;
        }
        UnitRecon u;
        u.code = code;
        for (const std::string& method : m->second) u.method += (u.method.empty() ? "" : "+") + method;
        double area = 0;
        if (areas.Find(code, area)) u.acres = area;
        u.trees = treesOf[code];
        u.volume = volumeOf[code];
        u.sum.assign(profile.groups.size(), 0);
        u.sumSq.assign(profile.groups.size(), 0);
        at[code] = profile.units.size();
        profile.units.push_back(std::move(u));
    }
    std::map<Pair, int> withTrees;
    for (const Pair& p : plotPair) ++withTrees[p];
    for (const auto& [pair, plots] : withTrees) {
        auto it = at.find(pair.first);
        if (it == at.end()) continue;
        auto l = listed.find(pair);
        profile.units[it->second].plots += std::max(plots, l == listed.end() ? 0 : l->second);
    }
    std::vector<size_t> sortedIndex(groupNames.size());
    for (size_t g = 0; g < groupNames.size(); ++g) sortedIndex[g] = groupIndex[groupNames[g]];
    for (const auto& [key, value] : onPlot) {
        const Pair& pair = plotPair[static_cast<size_t>(key >> 32)];
        auto it = at.find(pair.first);
        if (it == at.end()) continue;
        UnitRecon& u = profile.units[it->second];
        const size_t g = sortedIndex[static_cast<size_t>(key & 0xffffffffu)];
        u.sum[g] += value;
        u.sumSq[g] += value * value;
        u.volume += value;
    }
    return profile;
}

}  // namespace advise
