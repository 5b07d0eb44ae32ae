#include "design/rows.h"

#include <cctype>
#include <unordered_map>
#include <utility>

#include "design/sampling.h"
#include "store/cruise_store.h"

namespace design {

StratumContext StratumContext::Of(const StratumRow& row) {
    return {row.stratum, row.cruzMeth, row.totAcres, row.plotSize};
}

SgRefs GroupsOf(Design& design, const std::string& stratum) {
    SgRefs out;
    for (SgRow& g : design.groups)
        if (g.stratum == stratum) out.push_back(&g);
    return out;
}

std::vector<SgRefs> GroupsByStratum(Design& design) {
    std::unordered_map<std::string, std::size_t> index;
    for (std::size_t i = 0; i < design.strata.size(); ++i) index.emplace(design.strata[i].stratum, i);
    std::vector<SgRefs> out(design.strata.size());
    for (SgRow& g : design.groups) {
        auto it = index.find(g.stratum);
        if (it != index.end()) out[it->second].push_back(&g);
    }
    // A code that appears twice among the strata gets the same groups both times.
    for (std::size_t i = 0; i < design.strata.size(); ++i) {
        std::size_t first = index[design.strata[i].stratum];
        if (first != i) out[i] = out[first];
    }
    return out;
}

SgColumn SgColumnFromName(std::string_view name) {
    static const std::pair<std::string_view, SgColumn> kNames[] = {
        {"C", SgColumn::C},           {"C2", SgColumn::C2},
        {"T", SgColumn::T},           {"V", SgColumn::V},
        {"Stratum", SgColumn::Stratum}, {"SgCode", SgColumn::SgCode},
        {"Description", SgColumn::Description}, {"SgErr", SgColumn::SgErr},
        {"SgN", SgColumn::SgN},       {"SgN2", SgColumn::SgN2},
        {"SgCV", SgColumn::SgCV},     {"SgCV2", SgColumn::SgCV2},
        {"Trees/Acre", SgColumn::TreesAcre}, {"Vol/Acre", SgColumn::VolAcre},
        {"Freq", SgColumn::Freq},     {"KZ", SgColumn::KZ},
        {"Trees/Plot", SgColumn::TreesPlot}, {"AvgHt", SgColumn::AvgHt},
        {"BigBaf", SgColumn::BigBaf},
    };
    for (const auto& [n, c] : kNames)
        if (n == name) return c;
    return SgColumn::Unknown;
}

// The store's rule for numbers in text cells: decimal notation only, so "inf" or
// "nan" typed into a cell is no number (0) rather than an endless sample size.
double ParseNumber(const std::string& text) { return store::LeadingDouble(text); }

bool ErrorComputable(const SgRow& row, std::string_view method) {
    if (method == "100") return true;
    return row.sgN >= 1 && (!IsTwoStage(method) || row.sgN2 >= 1);
}

bool IsLocked(const StratumRow& row) { return ParseNumber(row.lock) > 0; }

}  // namespace design
