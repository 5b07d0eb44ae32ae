#include "advise/stratify.h"

#include <unordered_map>

#include "design/design_form.h"
#include "design/sampling.h"
#include "design/workspace.h"
#include "setup/sample_groups_ops.h"
#include "setup/setup_session.h"
#include "setup/setup_tables.h"
#include "setup/strata_ops.h"
#include "setup/strata_rows.h"
#include "stats/recon_compiler.h"
#include "store/schema.h"

namespace advise {

int Outcome::Plots() const {
    int n = 0;
    for (const StratumOutcome& s : strata)
        if (design::IsPlotMethod(s.method)) n += s.sumN;
    return n;
}

std::map<std::string, std::string> MethodsByCode(const Plan& plan) {
    std::map<std::string, std::string> out;
    for (size_t i = 0; i < plan.size(); ++i) out[std::to_string(i + 1)] = plan[i].method;
    return out;
}

bool DefineStrata(ui::ScriptedUi& ui, store::CCruiseStore& store, const Plan& plan, std::string& failure) {
    if (plan.empty() || plan.size() > static_cast<size_t>(setup::kMaxStratum)) {
        failure = "a stratification has 1 to 99 strata";
        return false;
    }
    std::unordered_map<std::string, std::string> codeOf;  // unit -> stratum
    for (size_t i = 0; i < plan.size(); ++i)
        for (const std::string& unit : plan[i].units) codeOf[unit] = std::to_string(i + 1);

    setup::PrepareWorkTables(*store.Storage(), ui, setup::PrepareVariant::Table);
    setup::PopulationsForm form(ui, store, schema::kSVSummaryTable, true);
    setup::RowSet rs(form.Grid().View());
    // Delete Strata for all, then each unit's rows typed into their stratum, as the
    // grid marks an edited row; then Quick SG by species and product.
    setup::DeleteStrata(rs.rows, "", true, setup::kModifyAgain);
    for (setup::SumRow& row : rs.rows) {
        auto it = codeOf.find(row[setup::kCutUnit]);
        if (it == codeOf.end()) continue;
        row[setup::kStratum] = it->second;
        row[setup::kModify] = setup::kModifyNew;
    }
    setup::SgKeys keys;
    keys.species = keys.prod = true;
    const size_t before = ui.Messages().size();
    setup::QuickSampleGroups(ui, rs.rows, keys, keys, true, "");
    if (ui.Messages().size() > before) {
        failure = "the sample groups could not be coded: " + ui.Messages().back().text;
        return false;
    }
    rs.Store(form.Grid().View());
    form.Grid().SetModified(true);
    if (store.Commit() != 0 || !form.Accept()) {
        failure = "the populations form refused its OK";
        return false;
    }
    return true;
}

Outcome DesignStrata(ui::ScriptedUi& ui, store::CCruiseStore& store, const DesignInputs& in,
                     const std::map<std::string, std::string>& methods) {
    Outcome out;
    mk::Storage& storage = *store.Storage();
    // Every stratum from the recon, whatever its mark says.
    stats::ReconCompiler compiler(storage, ui, in.uom, in.costs, 1);
    const int compiled = compiler.Compile();
    out.notes = compiler.Warnings();
    if (compiled != stats::kReconDone) {
        out.failure = compiled == stats::kReconNoStrata    ? "no strata are defined"
                      : compiled == stats::kReconZeroAcres ? "a stratum has no acres"
                                                           : "the compilation did not complete";
        return out;
    }

    design::WorkspaceInputs wi;
    wi.costs = in.costs;
    wi.uom = in.uom;
    wi.targetError = in.target;
    wi.path = store.Path();
    design::DesignWorkspace ws(ui, store, wi);
    ws.Open();
    // Each stratum's method chosen in the design form, even where the compilation
    // already gave it: the choice also evens out the plot counts and sums up the stratum.
    std::vector<std::pair<size_t, std::string>> chosen;
    for (const auto& [code, method] : methods) {
        const int s = ws.FindStratum(code);
        if (s >= 0) chosen.emplace_back(static_cast<size_t>(s), method);
    }
    if (!chosen.empty()) ws.ChangeCruiseMethods(chosen);
    for (const auto& [s, method] : chosen)
        if (ws.Model().strata[s].cruzMeth != method)
            out.notes.push_back("Stratum " + ws.Model().strata[s].stratum + " keeps method " +
                                ws.Model().strata[s].cruzMeth + ".");
    ws.targetError = in.target;
    if (ws.OptimizeForError() != design::kWsDone) out.notes.push_back("Optimize For Error did not run.");
    if (ws.Return() != design::kWsDone) {
        out.failure = "the design could not be written";
        return out;
    }

    for (size_t i = 0; i < ws.Model().strata.size(); ++i) {
        const design::StratumRow& s = ws.Model().strata[i];
        StratumOutcome o;
        o.code = s.stratum;
        o.method = s.cruzMeth;
        o.units = s.units;
        o.acres = s.totAcres;
        o.groups = static_cast<int>(ws.GroupsOfStratum(i).size());
        o.sumN = s.sumN;
        o.sumN2 = s.sumN2;
        o.error = s.error;
        o.cost = s.strCost;
        out.strata.push_back(o);
    }
    out.saleError = ws.Totals().error;
    out.cost = ws.Totals().cost;
    out.ok = !out.strata.empty();
    if (!out.ok) out.failure = "the design has no strata";
    return out;
}

Outcome Evaluate(const std::string& image, const DesignInputs& in, const Plan* plan,
                 const std::map<std::string, std::string>& currentMethods) {
    Outcome out;
    auto scratch = mk::Storage::Scratch(image);
    if (!scratch) {
        out.failure = "the cruise file could not be read: " + scratch.error().message;
        return out;
    }
    ui::ScriptedUi ui;
    store::CCruiseStore store(ui);
    store.OpenScratch(std::move(*scratch), "(scratch copy)");
    if (plan && !DefineStrata(ui, store, *plan, out.failure)) return out;
    return DesignStrata(ui, store, in, plan ? MethodsByCode(*plan) : currentMethods);
}

const std::vector<std::string>& StratificationTables() {
    static const std::vector<std::string> tables = {
        schema::kSVUnitsTable,    schema::kSVSummaryTable,   schema::kSVStrataTable, schema::kSVMethodsTable,
        schema::kSVMethodsSgTable, schema::kSVDesignTable, schema::kSVDesignSgTable};
    return tables;
}

void CopyStratification(mk::Storage& from, mk::Storage& to) {
    for (const std::string& name : StratificationTables()) {
        if (!from.HasView(name)) continue;
        mk::View src = from.GetView(name);
        auto dst = to.GetAs(name + "[" + from.Structure(name) + "]");
        if (!dst) continue;
        dst->SetRowCount(src.RowCount());
        for (int r = 0; r < src.RowCount(); ++r) dst->SetRowFrom(r, src, r);
    }
}

}  // namespace advise
