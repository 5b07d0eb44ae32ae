#include "design/tradeoff.h"

#include <string>

namespace design {

namespace {

// The optimisation's messages have nobody to read them on a copy.
class SilentUi : public ui::UiPort {
public:
    ui::Answer MessageBox(const std::string&, const std::string&, ui::Icon, ui::Buttons) override {
        return ui::Answer::Ok;
    }
    bool Question(const std::string&) override { return true; }
    std::optional<std::string> OpenFileName(const ui::FileDialogSpec&) override { return std::nullopt; }
    std::optional<std::string> SaveFileName(const ui::FileDialogSpec&) override { return std::nullopt; }
};

}  // namespace

std::vector<TradeoffPoint> TradeoffCurve(const Design& design, const DesignSettings& settings, int from,
                                         int to) {
    std::vector<TradeoffPoint> out;
    SilentUi ui;
    DesignSettings quiet = settings;
    quiet.displayDataWarnings = false;
    Design work = design;
    for (int target = from; target <= to; ++target) {
        // Assignment reuses the copy's storage: the rows' texts need no new memory.
        if (target != from) {
            work.strata = design.strata;
            work.groups = design.groups;
        }
        SaleTotals totals;
        if (OptimizeForError(work, std::to_string(target), quiet, ui, &totals) != kOptimized) continue;
        out.push_back({static_cast<double>(target), totals.error, totals.cost});
    }
    return out;
}

}  // namespace design
