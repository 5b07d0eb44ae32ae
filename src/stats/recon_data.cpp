#include "stats/recon_data.h"

#include <algorithm>
#include <cstdint>

#include "store/schema.h"

namespace stats {

namespace {

int Column(const mk::View& v, const char* name) { return v.FindColumn(name); }

std::string Text(const mk::View& v, int row, int col) { return col < 0 ? std::string() : v.GetString(row, col); }

long long PairKey(int recon, int unit) { return (static_cast<long long>(recon) << 32) | static_cast<uint32_t>(unit); }

}  // namespace

int ReconMethodOf(const std::string& m) {
    if (m == "FIX") return kReconFix;
    if (m == "PNT") return kReconPnt;
    if (m == "100") return kRecon100;
    return -1;
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

    if (storage.HasView(schema::kTreeTable)) LoadTrees(storage.GetView(schema::kTreeTable), volumeColumn);

    // PlotTable's rows counted by recon stratum and unit (of the units with trees).
    if (storage.HasView(schema::kPlotTable)) {
        mk::View plots = storage.GetView(schema::kPlotTable);
        plot_table_has_rows_ = plots.RowCount() > 0;
        const int cStratum = Column(plots, "Stratum"), cUnit = Column(plots, "CutUnit");
        TextIds codes;
        std::vector<int> reconOf;  // by code id
        for (int r = 0; r < plots.RowCount(); ++r) {
            const int code = codes.Id(Text(plots, r, cStratum));
            if (code == static_cast<int>(reconOf.size())) {
                auto rs = recon_by_code_.find(codes.Text(code));
                reconOf.push_back(rs == recon_by_code_.end() ? -1 : rs->second);
            }
            const int recon = reconOf[static_cast<size_t>(code)];
            const int unit = recon < 0 ? -1 : units_.Find(Text(plots, r, cUnit));
            if (unit >= 0) ++listed_plots_[PairKey(recon, unit)];
        }
    }
}

void ReconCatalog::LoadTrees(const mk::View& tt, const std::string& volumeColumn) {
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
    TextIds strata, plots;
    std::vector<int> reconOf;  // by stratum text id
    std::vector<int> treeBucket(static_cast<size_t>(n), -1);
    TupleIds<4>::Tuple lastContext{-1, -1, -1, -1};
    std::vector<int>* species = nullptr;  // the list of the last context
    for (int r = 0; r < n; ++r) {
        const int stratumId = strata.Id(Text(tt, r, cStratum));
        if (stratumId == static_cast<int>(reconOf.size())) {
            auto rs = recon_by_code_.find(strata.Text(stratumId));
            reconOf.push_back(rs == recon_by_code_.end() ? -1 : rs->second);
        }
        const int recon = reconOf[static_cast<size_t>(stratumId)];
        int unitId = units_.Id(Text(tt, r, cUnit));
        int plotId = plots.Id(Text(tt, r, cPlot));
        double v = cVol < 0 ? 0 : tt.GetDouble(r, cVol);
        if (v > 0) any_volume_ = true;
        trees_.Add(unitId, plotId, recon, cDbh < 0 ? 0 : tt.GetFloat(r, cDbh), cHt < 0 ? 0 : tt.GetFloat(r, cHt), v);
        if (recon < 0) continue;
        int method = recon_method_[recon];
        if (method < 0) continue;
        // The import writes no cut/leave code: a tree without one is a cut tree.
        if (cCl >= 0) {
            const std::string cl = tt.GetString(r, cCl);
            if (!cl.empty() && !(cl.size() == 1 && cl[0] == 'C')) continue;
        }
        const TupleIds<4>::Tuple context{method, unitId, prod_ids_.Id(Text(tt, r, cProd)), ld_ids_.Id(Text(tt, r, cLd))};
        if (!species || !TupleIds<4>::Equal(context, lastContext)) {
            const int id = contexts_.Id(context);
            if (id == static_cast<int>(context_species_.size())) context_species_.emplace_back();
            species = &context_species_[static_cast<size_t>(id)];
            lastContext = context;
        }
        const size_t sp = static_cast<size_t>(species_ids_.Id(Text(tt, r, cSp)));
        if (sp >= species->size()) species->resize(sp + 1, -1);
        int& bucket = (*species)[sp];
        if (bucket < 0) bucket = buckets_++;
        treeBucket[r] = bucket;
    }
    bucket_start_.assign(static_cast<size_t>(buckets_) + 1, 0);
    for (int b : treeBucket)
        if (b >= 0) ++bucket_start_[b + 1];
    for (int b = 0; b < buckets_; ++b) bucket_start_[b + 1] += bucket_start_[b];
    bucket_trees_.resize(static_cast<size_t>(bucket_start_.back()));
    std::vector<int> fill(bucket_start_.begin(), bucket_start_.end() - 1);
    for (int r = 0; r < n; ++r)
        if (treeBucket[r] >= 0) bucket_trees_[fill[treeBucket[r]]++] = r;

    CountPlotsWithTrees(plots.size());
}

void ReconCatalog::CountPlotsWithTrees(int plotIdCount) {
    // The trees of each unit (of a known recon stratum), by a counting sort on the unit.
    const int units = units_.size();
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
    return units_.Find(cutUnit);
}

ReconCatalog::Codes ReconCatalog::CodesOf(const std::string& species, const std::string& prod,
                                          const std::string& ld) const {
    return {species_ids_.Find(species), prod_ids_.Find(prod), ld_ids_.Find(ld)};
}

std::span<const int> ReconCatalog::Lookup(int method, int unitId, const Codes& codes) const {
    if (unitId < 0 || method < 0 || codes.species < 0 || codes.prod < 0 || codes.ld < 0) return {};
    const int context = contexts_.Find({method, unitId, codes.prod, codes.ld});
    if (context < 0) return {};
    const std::vector<int>& species = context_species_[static_cast<size_t>(context)];
    if (static_cast<size_t>(codes.species) >= species.size()) return {};
    const int b = species[static_cast<size_t>(codes.species)];
    if (b < 0) return {};
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
    auto listedIt = listed_plots_.find(PairKey(recon, unitId));
    int listed = listedIt == listed_plots_.end() ? 0 : listedIt->second;
    return std::max(listed, withTrees);
}

}  // namespace stats
