#include "advise/advisor.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "advise/separable_search.h"
#include "app/settings.h"
#include "setup/setup_tables.h"
#include "setup/strata_ops.h"
#include "store/config.h"
#include "store/schema.h"
#include "store/value_rules.h"

namespace advise {

namespace {

// Proposals whose costs differ by less than this are taken as equal.
constexpr double kSameCost = 0.5;

Plan PlanOf(const ReconProfile& profile, const Partition& p) {
    Plan plan;
    for (const auto& stratum : p.strata) {
        StratumPlan s;
        for (int u : stratum) s.units.push_back(profile.units[u].code);
        s.method = DesignMethod(profile, s.units);
        plan.push_back(std::move(s));
    }
    return plan;
}

}  // namespace

std::optional<double> Advice::Saving(const Proposal& p) const {
    if (!current.ok || !p.outcome.ok) return std::nullopt;
    return current.cost - p.outcome.cost;
}

const Proposal* Advice::Find(int k) const {
    for (const Proposal& p : proposals)
        if (p.k == k) return &p;
    return nullptr;
}

std::string DesignMethod(const ReconProfile& profile, const std::vector<std::string>& units) {
    std::map<std::string, int> plots;
    for (const std::string& code : units)
        for (const UnitRecon& u : profile.units) {
            if (u.code != code) continue;
            std::stringstream methods(u.method);
            std::string m;
            while (std::getline(methods, m, '+')) plots[m] += std::max(u.plots, 1);
        }
    std::string best;
    int most = -1;
    for (const auto& [m, n] : plots)
        if (n > most) best = m, most = n;
    return best == "FIX" || best == "PNT" ? best : std::string("100");
}

Advice Advise(const std::string& image, const AdviseOptions& options) {
    Advice advice;
    auto opened = mk::Storage::Scratch(image);
    if (!opened) {
        advice.error = "The cruise file cannot be read: " + opened.error().message;
        return advice;
    }
    mk::Storage& storage = *opened;
    if (store::GetSetting(storage, schema::kBlockStrovan, schema::kKeyType).value_or("") == schema::kTypeProduction) {
        advice.error = "A production cruise has no recon to stratify.";
        return advice;
    }
    if (const std::string why = store::Refusal(store::rules::kTargetError, options.target); !why.empty()) {
        advice.error = why;
        return advice;
    }
    if (options.maxStrata < 1 || options.maxStrata > setup::kMaxStratum) {
        advice.error = "The number of strata must be 1 to 99.";
        return advice;
    }
    advice.inputs.uom =
        store::GetSetting(storage, schema::kBlockStrovan, schema::kKeyUOM).value_or(schema::kUomCubicFeet);
    advice.inputs.costs = app::ComputeCostFigures(app::ReadCostValues(storage));
    advice.inputs.target = options.target;

    // A file whose setup tables were never built gets them as the setup would.
    std::string base = image;
    const bool prepared = storage.HasView(schema::kSVUnitsTable) && storage.GetView(schema::kSVUnitsTable).RowCount() > 0 &&
                          storage.HasView(schema::kSVSummaryTable) &&
                          storage.GetView(schema::kSVSummaryTable).RowCount() > 0;
    if (!prepared) {
        ui::ScriptedUi quiet;
        setup::PrepareWorkTables(storage, quiet, setup::PrepareVariant::Table);
        auto packed = storage.Packed();
        if (!packed) {
            advice.error = "The setup tables could not be prepared.";
            return advice;
        }
        base = std::move(*packed);
    }

    advice.profile = LoadProfile(storage, advice.inputs.uom, advice.inputs.costs);
    const ReconProfile& profile = advice.profile;
    if (profile.units.empty()) {
        advice.error = "The cruise file holds no recon trees to stratify.";
        return advice;
    }
    for (const UnitRecon& u : profile.units)
        if (!(u.acres > 0)) {
            advice.error = "Unit " + u.code + " has no acres in the unit table; give it its area first.";
            return advice;
        }
    advice.maxStrata = std::min<int>(options.maxStrata, static_cast<int>(profile.units.size()));

    // The current strata, designed with the methods of their recon.
    std::map<std::string, std::string> currentMethods;
    if (storage.HasView(schema::kSVStrataTable)) {
        mk::View strata = storage.GetView(schema::kSVStrataTable);
        for (int r = 0; r < strata.RowCount(); ++r) {
            StratumPlan s;
            s.units = setup::SplitCodes(strata.GetString(r, "Units"));
            s.method = DesignMethod(profile, s.units);
            currentMethods[strata.GetString(r, "Stratum")] = s.method;
            advice.currentPlan.push_back(std::move(s));
        }
    }
    advice.current = Evaluate(base, advice.inputs, nullptr, currentMethods);

    const auto partitions = SeparableSearch(profile, advice.maxStrata);
    for (int k = 1; k <= advice.maxStrata; ++k) {
        const auto& part = partitions[static_cast<size_t>(k - 1)];
        if (!part) {
            advice.impossible.push_back(k);
            continue;
        }
        Proposal p;
        p.k = k;
        p.plan = PlanOf(profile, *part);
        p.objective = part->objective;
        p.outcome = Evaluate(base, advice.inputs, &p.plan);
        advice.proposals.push_back(std::move(p));
    }
    for (size_t i = 0; i < advice.proposals.size(); ++i) {
        const Outcome& o = advice.proposals[i].outcome;
        if (!o.ok) continue;
        if (advice.best < 0 || o.cost < advice.proposals[advice.best].outcome.cost - kSameCost)
            advice.best = static_cast<int>(i);
    }
    return advice;
}

Advice AdviseFile(const std::string& path, const AdviseOptions& options) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        Advice a;
        a.error = "The cruise file " + path + " cannot be opened.";
        return a;
    }
    const std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return Advise(image, options);
}

std::string ApplyQuestion(const Advice& advice, const Proposal& p) {
    char head[160];
    std::snprintf(head, sizeof head, "Replace the strata of the sale by the %d strat%s of this proposal?", p.k,
                  p.k == 1 ? "um" : "a");
    return std::string(head) +
           "\n\nEach stratum is defined anew from whole units, with sample groups by species and product, "
           "compiled, given the method of its recon plots and optimised for a sale error of " +
           advice.inputs.target +
           " %.\nStrata and sample groups defined by hand (diameter classes included) are replaced; saved "
           "designs are kept.";
}

int Apply(ui::UiPort& ui, store::CCruiseStore& store, const Advice& advice, const Proposal& p) {
    if (!store.IsOpen()) return kApplyFailed;
    if (!ui.Question(ApplyQuestion(advice, p))) return kApplyDeclined;
    auto fail = [&](const std::string& why) {
        ui.Error("The proposal was not applied: " + why + ".\nThe cruise file was not changed.", "Error");
        return kApplyFailed;
    };
    auto packed = store.Storage()->Packed();
    if (!packed) return fail("the cruise file could not be copied");
    auto scratch = mk::Storage::Scratch(*packed);
    if (!scratch) return fail("the cruise file could not be copied");
    ui::ScriptedUi quiet;
    store::CCruiseStore work(quiet);
    work.OpenScratch(std::move(*scratch), store.Path());
    std::string failure;
    if (!DefineStrata(quiet, work, p.plan, failure)) return fail(failure);
    Outcome o = DesignStrata(quiet, work, advice.inputs, MethodsByCode(p.plan));
    if (!o.ok) return fail(o.failure);

    mk::Storage& file = *store.Storage();
    CopyStratification(*work.Storage(), file);
    // The design tables now follow the setup: nothing waits for a compilation.
    store::SetSetting(file, schema::kBlockStrovan, schema::kKeyUpdateFlag, schema::kFlagNo);
    if (store.Commit() != 0) return fail("the cruise file could not be saved");
    return kApplied;
}

}  // namespace advise
