#include "app/settings.h"

#include "store/cruise_store.h"
#include "store/schema.h"

namespace app {

namespace {
bool IsRow(const mk::View& config, int row, const std::string& block, const std::string& key) {
    return config.GetString(row, schema::kColBlock) == block &&
           config.GetString(row, schema::kColKey) == key;
}

double Ratio(double num, double den) { return num > 0 && den > 0 ? num / den : 0.0; }
}  // namespace

void AddSetting(mk::View& config, const std::string& block, const std::string& key,
                const std::string& value) {
    int r = config.AddRow();
    config.SetString(r, schema::kColBlock, block);
    config.SetString(r, schema::kColKey, key);
    config.SetString(r, schema::kColValue, value);
}

CostValues ReadCostValues(const mk::View& config) {
    CostValues values;
    const auto& keys = schema::CostKeys();
    for (int r = 0; r < config.RowCount(); ++r) {
        if (config.GetString(r, schema::kColBlock) != schema::kBlockStrovan) continue;
        std::string key = config.GetString(r, schema::kColKey);
        for (size_t k = 0; k < keys.size(); ++k)
            if (keys[k] == key) values[k] = config.GetString(r, schema::kColValue);
    }
    return values;
}

CostFigures ComputeCostFigures(const CostValues& v) {
    auto n = [&](int field) { return store::LeadingDouble(v[field]); };
    CostFigures f;
    f.plot = Ratio(n(ui::kCrewPlot), n(ui::kCntPlot));
    f.traverse =
        n(ui::kTrav) > 0 && n(ui::kCrewPlot) > 0 ? n(ui::kTrav) * (n(ui::kCrewPlot) / 60.0) : 0.0;
    f.tally = Ratio(n(ui::kCrewTree), n(ui::kTreeTally));
    f.threeP = Ratio(n(ui::kCrewTree), n(ui::kTree3P));
    f.measure = Ratio(n(ui::kCrewTree), n(ui::kTreeMeas));
    f.paint = Ratio(n(ui::kPaint), n(ui::kTreePaint));
    return f;
}

void WriteCostValues(mk::View& config, const CostValues& values) {
    static const ui::CostField order[] = {ui::kCrewPlot, ui::kCrewTree,  ui::kCntPlot,
                                          ui::kTrav,     ui::kTreeTally, ui::kTreeMeas,
                                          ui::kTree3P,   ui::kPaint,     ui::kTreePaint};
    const auto& keys = schema::CostKeys();
    for (ui::CostField f : order) {
        bool found = false;
        for (int r = 0; r < config.RowCount(); ++r) {
            if (!IsRow(config, r, schema::kBlockStrovan, keys[f])) continue;
            config.SetString(r, schema::kColValue, values[f]);
            found = true;
        }
        if (!found) AddSetting(config, schema::kBlockStrovan, keys[f], values[f]);
    }
}

}  // namespace app
