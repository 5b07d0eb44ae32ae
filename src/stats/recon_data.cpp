#include "stats/recon_data.h"

#include <algorithm>
#include <cstdint>

#include "store/schema.h"

namespace stats {

namespace {

constexpr char kSep = '\x1f';
const std::vector<int> kNoTrees;

int Column(const mk::View& v, const char* name) { return v.FindColumn(name); }

std::string Text(const mk::View& v, int row, int col) { return col < 0 ? std::string() : v.GetString(row, col); }

int Intern(std::unordered_map<std::string, int>& ids, std::vector<std::string>* names, const std::string& s) {
    auto [it, fresh] = ids.try_emplace(s, static_cast<int>(ids.size()));
    if (fresh && names) names->push_back(s);
    return it->second;
}

long long PairKey(int recon, int unit) { return (static_cast<long long>(recon) << 32) | static_cast<uint32_t>(unit); }

}  // namespace

int ReconMethodOf(const std::string& m) {
    if (m == "FIX") return kReconFix;
    if (m == "PNT") return kReconPnt;
    if (m == "100") return kRecon100;
    return -1;
}

std::string ReconCatalog::Key(int method, int unitId, const std::string& species, const std::string& prod,
                              const std::string& ld) {
    std::string k;
    k.reserve(16 + species.size() + prod.size() + ld.size());
    k += static_cast<char>('0' + method);
    k += std::to_string(unitId);
    k += kSep;
    k += species;
    k += kSep;
    k += prod;
    k += kSep;
    k += ld;
    return k;
}

void ReconCatalog::Load(mk::Storage& storage, const std::string& volumeColumn) {
    *this = ReconCatalog();

    // Recon strata: a tree takes the first StratumTable row of its stratum code.
    if (storage.HasView(schema::kStratumTable)) {
        mk::View st = storage.GetView(schema::kStratumTable);
        int cCode = Column(st, "Stratum"), cMeth = Column(st, "CruzMeth"), cFp = Column(st, "FPSize"),
            cBaf = Column(st, "BAF");
        for (int r = 0; r < st.RowCount(); ++r) {
            ReconStratum rs;
            rs.code = Text(st, r, cCode);
            if (recon_by_code_.count(rs.code)) continue;
            rs.cruzMeth = Text(st, r, cMeth);
            rs.fpSize = cFp < 0 ? 0 : st.GetDouble(r, cFp);
            rs.baf = cBaf < 0 ? 0 : st.GetDouble(r, cBaf);
            recon_by_code_.emplace(rs.code, static_cast<int>(recon_.size()));
            recon_method_.push_back(ReconMethodOf(rs.cruzMeth));
            recon_.push_back(std::move(rs));
        }
    }

    if (storage.HasView(schema::kPlotTable)) {
        mk::View plots = storage.GetView(schema::kPlotTable);
        plot_table_has_rows_ = plots.RowCount() > 0;
        if (plot_table_has_rows_) plot_rows_ = KeyIndex(plots, {"Stratum", "CutUnit"});
    }

    if (!storage.HasView(schema::kTreeTable)) return;
    mk::View tt = storage.GetView(schema::kTreeTable);
    const int n = tt.RowCount();
    const int cStratum = Column(tt, "Stratum"), cUnit = Column(tt, "CutUnit"), cPlot = Column(tt, "Plot"),
              cSp = Column(tt, "Sp"), cProd = Column(tt, "ProdP"), cLd = Column(tt, "LD"), cCl = Column(tt, "CL"),
              cDbh = Column(tt, "DBH"), cHt = Column(tt, "TotHt"), cVol = Column(tt, volumeColumn.c_str());
    trees_.unit.reserve(n);
    trees_.plot.reserve(n);
    trees_.recon.reserve(n);
    trees_.dbh.reserve(n);
    trees_.height.reserve(n);
    trees_.volume.reserve(n);
    std::unordered_map<std::string, int> plotIds;
    std::vector<uint64_t> placed;  // (recon, unit, plot) of every tree of a known recon stratum
    placed.reserve(n);
    std::string stratum, unit, plot;
    for (int r = 0; r < n; ++r) {
        stratum = Text(tt, r, cStratum);
        auto rs = recon_by_code_.find(stratum);
        int recon = rs == recon_by_code_.end() ? -1 : rs->second;
        int unitId = Intern(unit_ids_, &unit_names_, Text(tt, r, cUnit));
        int plotId = Intern(plotIds, nullptr, Text(tt, r, cPlot));
        double v = cVol < 0 ? 0 : tt.GetDouble(r, cVol);
        if (v > 0) any_volume_ = true;
        trees_.Add(unitId, plotId, recon, cDbh < 0 ? 0 : tt.GetFloat(r, cDbh), cHt < 0 ? 0 : tt.GetFloat(r, cHt), v);
        if (recon < 0) continue;
        placed.push_back((static_cast<uint64_t>(recon) << 42) | (static_cast<uint64_t>(unitId) << 21) |
                         static_cast<uint64_t>(plotId));
        int method = recon_method_[recon];
        if (method < 0) continue;
        // The import writes no cut/leave code: a tree without one is a cut tree.
        if (cCl >= 0) {
            std::string cl = tt.GetString(r, cCl);
            if (!cl.empty() && cl != "C") continue;
        }
        index_[Key(method, unitId, Text(tt, r, cSp), Text(tt, r, cProd), Text(tt, r, cLd))].push_back(r);
    }

    std::sort(placed.begin(), placed.end());
    placed.erase(std::unique(placed.begin(), placed.end()), placed.end());
    for (uint64_t p : placed) {
        int recon = static_cast<int>(p >> 42), unitId = static_cast<int>((p >> 21) & 0x1FFFFF);
        int& count = tree_plots_[PairKey(recon, unitId)];
        if (count == 0) unit_recon_[unitId].push_back(recon);
        ++count;
    }
}

int ReconCatalog::UnitId(const std::string& cutUnit) const {
    auto it = unit_ids_.find(cutUnit);
    return it == unit_ids_.end() ? -1 : it->second;
}

const std::vector<int>& ReconCatalog::Lookup(int method, int unitId, const std::string& species,
                                             const std::string& prod, const std::string& ld) const {
    if (unitId < 0 || method < 0) return kNoTrees;
    auto it = index_.find(Key(method, unitId, species, prod, ld));
    return it == index_.end() ? kNoTrees : it->second;
}

std::vector<int> ReconCatalog::ReconStrataIn(int unitId, int method) const {
    std::vector<int> out;
    auto it = unit_recon_.find(unitId);
    if (it == unit_recon_.end()) return out;
    for (int r : it->second)
        if (recon_method_[r] == method) out.push_back(r);
    return out;
}

int ReconCatalog::PlotCount(int recon, int unitId) const {
    auto it = tree_plots_.find(PairKey(recon, unitId));
    int withTrees = it == tree_plots_.end() ? 0 : it->second;
    if (!plot_table_has_rows_) return withTrees;
    int listed = static_cast<int>(plot_rows_.Rows({recon_[recon].code, unit_names_[unitId]}).size());
    return std::max(listed, withTrees);
}

}  // namespace stats
