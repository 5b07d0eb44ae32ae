#include "app/settings.h"

#include <cmath>

#include "store/config.h"
#include "store/cruise_store.h"
#include "store/schema.h"

namespace app {

namespace {
// Guarded so that no figure is ever infinite: a huge rate over a tiny count would be.
double Ratio(double num, double den) {
    if (!(num > 0 && den > 0)) return 0.0;
    double r = num / den;
    return std::isfinite(r) ? r : 0.0;
}
}  // namespace

void AddSetting(mk::View& config, const std::string& block, const std::string& key,
                const std::string& value) {
    int r = config.AddRow();
    config.SetString(r, schema::kColBlock, block);
    config.SetString(r, schema::kColKey, key);
    config.SetString(r, schema::kColValue, value);
}

namespace {
CostValues CostsOf(const std::vector<store::SettingRow>& rows) {
    CostValues values;
    const auto& keys = schema::CostKeys();
    for (const store::SettingRow& row : rows) {
        if (row.block != schema::kBlockStrovan) continue;
        for (size_t k = 0; k < keys.size(); ++k)
            if (keys[k] == row.key) values[k] = row.value;
    }
    return values;
}
}  // namespace

CostValues ReadCostValues(mk::Storage& storage) { return CostsOf(store::AllSettings(storage)); }

CostValues ReadCostValues(const mk::View& config) { return CostsOf(store::AllSettings(config)); }

CostFigures ComputeCostFigures(const CostValues& v) {
    auto n = [&](int field) { return store::LeadingDouble(v[field]); };
    CostFigures f;
    f.plot = Ratio(n(ui::kCrewPlot), n(ui::kCntPlot));
    // Trav x (CrewPlot / 60): minutes at the crew's cost per minute.
    f.traverse = n(ui::kTrav) > 0 ? Ratio(n(ui::kCrewPlot), 60.0) * n(ui::kTrav) : 0.0;
    if (!std::isfinite(f.traverse)) f.traverse = 0.0;
    f.tally = Ratio(n(ui::kCrewTree), n(ui::kTreeTally));
    f.threeP = Ratio(n(ui::kCrewTree), n(ui::kTree3P));
    f.measure = Ratio(n(ui::kCrewTree), n(ui::kTreeMeas));
    f.paint = Ratio(n(ui::kPaint), n(ui::kTreePaint));
    return f;
}

void WriteCostValues(mk::Storage& storage, const CostValues& values) {
    static const ui::CostField order[] = {ui::kCrewPlot, ui::kCrewTree,  ui::kCntPlot,
                                          ui::kTrav,     ui::kTreeTally, ui::kTreeMeas,
                                          ui::kTree3P,   ui::kPaint,     ui::kTreePaint};
    const auto& keys = schema::CostKeys();
    for (ui::CostField f : order)
        store::SetSetting(storage, schema::kBlockStrovan, keys[f], values[f]);
}

}  // namespace app
