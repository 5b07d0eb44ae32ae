#include "stats/recon_data.h"

#include <algorithm>
#include <cstdint>

#include "store/schema.h"

namespace stats {

namespace {

int Column(const mk::View& v, const char* name) { return v.FindColumn(name); }

std::string Text(const mk::View& v, int row, int col) { return col < 0 ? std::string() : v.GetString(row, col); }

int Intern(std::unordered_map<std::string, int>& ids, std::vector<std::string>* names, const std::string& s) {
    auto [it, fresh] = ids.try_emplace(s, static_cast<int>(ids.size()));
    if (fresh && names) names->push_back(s);
    return it->second;
}

// Interning of a column whose consecutive rows mostly repeat a value.
class Interner {
public:
    Interner(std::unordered_map<std::string, int>& ids, std::vector<std::string>* names = nullptr)
        : ids_(ids), names_(names) {}
    int operator()(const std::string& s) {
        if (last_ >= 0 && s == last_text_) return last_;
        last_ = Intern(ids_, names_, s);
        last_text_ = s;
        return last_;
    }

private:
    std::unordered_map<std::string, int>& ids_;
    std::vector<std::string>* names_;
    int last_ = -1;
    std::string last_text_;
};

long long PairKey(int recon, int unit) { return (static_cast<long long>(recon) << 32) | static_cast<uint32_t>(unit); }

}  // namespace

int ReconMethodOf(const std::string& m) {
    if (m == "FIX") return kReconFix;
    if (m == "PNT") return kReconPnt;
    if (m == "100") return kRecon100;
    return -1;
}

size_t ReconCatalog::KeyHash::operator()(const Key& k) const {
    uint64_t h = static_cast<uint32_t>(k.method);
    for (uint64_t part : {static_cast<uint64_t>(static_cast<uint32_t>(k.unit)), static_cast<uint64_t>(k.codes)})
        h = (h ^ part) * 0x100000001b3ULL;
    return static_cast<size_t>(h ^ (h >> 29));
}

namespace {
// Interned ids never reach 2^21: a TreeTable holds fewer distinct codes than rows.
long long PackCodes(long long sp, long long prod, long long ld) { return (sp << 42) | (prod << 21) | ld; }
}  // namespace

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
    Interner units(unit_ids_, &unit_names_), plotsOf(plotIds), species(species_ids_), prods(prod_ids_),
        lds(ld_ids_);
    std::string lastStratum;
    int recon = -1;
    std::vector<int> treeBucket(static_cast<size_t>(n), -1);
    std::string cl;
    for (int r = 0; r < n; ++r) {
        std::string stratum = Text(tt, r, cStratum);
        if (r == 0 || stratum != lastStratum) {
            auto rs = recon_by_code_.find(stratum);
            recon = rs == recon_by_code_.end() ? -1 : rs->second;
            lastStratum = std::move(stratum);
        }
        int unitId = units(Text(tt, r, cUnit));
        int plotId = plotsOf(Text(tt, r, cPlot));
        double v = cVol < 0 ? 0 : tt.GetDouble(r, cVol);
        if (v > 0) any_volume_ = true;
        trees_.Add(unitId, plotId, recon, cDbh < 0 ? 0 : tt.GetFloat(r, cDbh), cHt < 0 ? 0 : tt.GetFloat(r, cHt), v);
        if (recon < 0) continue;
        int method = recon_method_[recon];
        if (method < 0) continue;
        // The import writes no cut/leave code: a tree without one is a cut tree.
        if (cCl >= 0) {
            cl = tt.GetString(r, cCl);
            if (!cl.empty() && cl != "C") continue;
        }
        Key key{method, unitId, PackCodes(species(Text(tt, r, cSp)), prods(Text(tt, r, cProd)), lds(Text(tt, r, cLd)))};
        auto [it, fresh] = bucket_.try_emplace(key, static_cast<int>(bucket_.size()));
        treeBucket[r] = it->second;
    }
    bucket_start_.assign(bucket_.size() + 1, 0);
    for (int b : treeBucket)
        if (b >= 0) ++bucket_start_[b + 1];
    for (size_t b = 0; b < bucket_.size(); ++b) bucket_start_[b + 1] += bucket_start_[b];
    bucket_trees_.resize(static_cast<size_t>(bucket_start_.back()));
    std::vector<int> fill(bucket_start_.begin(), bucket_start_.end() - 1);
    for (int r = 0; r < n; ++r)
        if (treeBucket[r] >= 0) bucket_trees_[fill[treeBucket[r]]++] = r;

    CountPlotsWithTrees(static_cast<int>(plotIds.size()));
}

void ReconCatalog::CountPlotsWithTrees(int plotIdCount) {
    // The trees of each unit (of a known recon stratum), by a counting sort on the unit.
    const int units = static_cast<int>(unit_names_.size());
    std::vector<int> start(static_cast<size_t>(units) + 1, 0);
    for (int t = 0; t < trees_.size(); ++t)
        if (trees_.recon[t] >= 0) ++start[trees_.unit[t] + 1];
    for (int u = 0; u < units; ++u) start[u + 1] += start[u];
    std::vector<int> order(static_cast<size_t>(start[units]));
    std::vector<int> fill(start.begin(), start.end() - 1);
    for (int t = 0; t < trees_.size(); ++t)
        if (trees_.recon[t] >= 0) order[fill[trees_.unit[t]]++] = t;
    // Distinct plots per recon stratum of the unit; a stamp per (unit, recon stratum).
    std::vector<int> seen(static_cast<size_t>(plotIdCount), -1);
    int stamp = 0;
    for (int u = 0; u < units; ++u) {
        std::vector<int>& recon = unit_recon_[u];
        for (int k = start[u]; k < start[u + 1]; ++k)
            if (std::find(recon.begin(), recon.end(), trees_.recon[order[k]]) == recon.end())
                recon.push_back(trees_.recon[order[k]]);
        for (int r : recon) {
            int count = 0;
            for (int k = start[u]; k < start[u + 1]; ++k) {
                int t = order[k];
                if (trees_.recon[t] != r || seen[trees_.plot[t]] == stamp) continue;
                seen[trees_.plot[t]] = stamp;
                ++count;
            }
            ++stamp;
            tree_plots_[PairKey(r, u)] = count;
        }
    }
}

int ReconCatalog::UnitId(const std::string& cutUnit) const {
    auto it = unit_ids_.find(cutUnit);
    return it == unit_ids_.end() ? -1 : it->second;
}

long long ReconCatalog::CodesId(const std::string& species, const std::string& prod, const std::string& ld) const {
    auto sp = species_ids_.find(species);
    auto pr = prod_ids_.find(prod);
    auto l = ld_ids_.find(ld);
    if (sp == species_ids_.end() || pr == prod_ids_.end() || l == ld_ids_.end()) return -1;
    return PackCodes(sp->second, pr->second, l->second);
}

std::span<const int> ReconCatalog::Lookup(int method, int unitId, long long codesId) const {
    if (unitId < 0 || method < 0 || codesId < 0) return {};
    auto it = bucket_.find(Key{method, unitId, codesId});
    if (it == bucket_.end()) return {};
    const int b = it->second;
    return {bucket_trees_.data() + bucket_start_[b], static_cast<size_t>(bucket_start_[b + 1] - bucket_start_[b])};
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
