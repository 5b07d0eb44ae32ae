// Recon plots that become production plots of the new file: the recon strata the
// user ticks feed the design strata whose method, plot size and units they fit.
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "output/field_file_forms.h"
#include "output/field_file_parts.h"
#include "stats/key_index.h"
#include "store/cruise_store.h"
#include "store/schema.h"

namespace output::detail {

namespace {
// Plot sizes agree when their hundredths agree.
long long Hundredths(double size) { return static_cast<long long>(size * 100.0); }
// Diameters are kept to a tenth of an inch; a single float 6.1 must still be 6.1.
long long Tenths(double d) { return std::llround(d * 10.0); }
}  // namespace

ReconPlan PlanReconTransfer(ui::UiPort& ui, mk::Storage& src, const std::vector<FieldStratum>& strata) {
    ReconPlan plan;
    if (!src.HasView(schema::kTreeTable) || !src.HasView(schema::kPlotTable)) return plan;
    mk::View trees = src.GetView(schema::kTreeTable);
    if (trees.RowCount() == 0) return plan;
    bool any_plot_stratum = false;
    for (const FieldStratum& s : strata) any_plot_stratum = any_plot_stratum || !ReconMethodFor(s.cruz_meth).empty();
    if (!any_plot_stratum) return plan;

    mk::View recon = src.GetView(schema::kStratumTable);
    ReconStrataForm form;
    std::vector<int> recon_rows;
    for (int r = 0; r < recon.RowCount(); ++r) {
        std::string m = recon.GetString(r, "CruzMeth");
        if (m != "PNT" && m != "FIX") continue;
        form.Rows().push_back({recon.GetString(r, "Stratum"), m, recon.GetString(r, "Units"), false});
        recon_rows.push_back(r);
    }
    if (form.Rows().empty()) return plan;
    if (!ui.RunForm(form)) return plan;

    mk::View plots = src.GetView(schema::kPlotTable);
    stats::KeyIndex plots_by_unit(plots, {"Stratum", "CutUnit"});

    // Which design strata each (recon stratum, unit) feeds; one recon stratum per stratum.
    auto& feeds = plan.feeds;
    std::vector<std::string> notes;
    std::vector<std::string> fed_by(strata.size());
    for (size_t i = 0; i < form.Rows().size(); ++i) {
        const auto& pick = form.Rows()[i];
        if (!pick.selected) continue;
        int rr = recon_rows[i];
        double size = recon.GetDouble(rr, pick.cruz_meth == "PNT" ? "BAF" : "FPSize");
        bool fed_any = false;
        for (size_t d = 0; d < strata.size(); ++d) {
            const FieldStratum& s = strata[d];
            if (ReconMethodFor(s.cruz_meth) != pick.cruz_meth) continue;
            if (Hundredths(size) != Hundredths(s.plot_size)) continue;
            std::vector<std::string> units = SplitUnits(s.units);
            bool covered = !units.empty();
            for (const auto& u : units)
                covered = covered && !plots_by_unit.Rows({pick.stratum, u}).empty();
            if (!covered) continue;
            if (!fed_by[d].empty()) {
                notes.push_back("Stratum " + s.stratum + ": recon stratum " + pick.stratum +
                                " also fits; the plots of recon stratum " + fed_by[d] +
                                " were carried over.");
                fed_any = true;
                continue;
            }
            fed_by[d] = pick.stratum;
            fed_any = true;
            for (const auto& u : units) feeds[JoinKey({pick.stratum, u})].push_back(static_cast<int>(d));
        }
        if (!fed_any)
            notes.push_back("Recon stratum " + pick.stratum +
                            " fits no stratum of the design (method, plot size and units must "
                            "agree); its plots were not carried over.");
    }
    if (!notes.empty()) ui.Warning(ListLines(notes), "Warning");
    return plan;
}

bool WriteReconTransfer(mk::Storage& src, mk::Storage& dst, const std::vector<FieldStratum>& strata,
                        const ReconPlan& plan, const std::function<bool()>& tick, std::string& failure) {
    const auto& feeds = plan.feeds;
    if (feeds.empty()) return true;
    auto fail = [&failure](const std::string& why) {
        failure = why;
        return false;
    };
    mk::View plots = src.GetView(schema::kPlotTable);
    mk::View trees = src.GetView(schema::kTreeTable);

    // The source's own layouts, with the columns the field program needs added; then
    // taken by name so that every stored column is copied.
    auto layout = [&](const char* name, const std::string& needed, mk::View& out) {
        if (src.HasView(name)) {
            auto v = SameLayout(src, dst, name);
            if (!v) return fail(v.error().message);
        }
        auto v = dst.GetAs(needed);
        if (!v) return fail(v.error().message);
        out = dst.GetView(name);
        return true;
    };
    mk::View out_plots, out_trees, out_logs;
    if (!layout(schema::kPlotTable, schema::kPlotTableDesc, out_plots) ||
        !layout(schema::kTreeTable, "TreeTable[Stratum:S,SG:S]", out_trees) ||
        !layout(schema::kLogTable, schema::kLogTableDesc, out_logs))
        return false;

    // Plots of the fed units, once per design stratum they feed.
    std::unordered_set<std::string> copied_plots;
    int ps = plots.FindColumn("Stratum"), pu = plots.FindColumn("CutUnit"), pp = plots.FindColumn("Plot");
    for (int r = 0; r < plots.RowCount(); ++r) {
        if ((r & 4095) == 0 && !tick()) return false;
        std::string rs = plots.GetString(r, ps), unit = plots.GetString(r, pu);
        auto f = feeds.find(JoinKey({rs, unit}));
        if (f == feeds.end()) continue;
        copied_plots.insert(JoinKey({rs, unit, plots.GetString(r, pp)}));
        for (int d : f->second) {
            int t = out_plots.AddRowFrom(plots, r);
            out_plots.SetString(t, "Stratum", strata[static_cast<size_t>(d)].stratum);
        }
    }

    // Trees of the copied plots that a summary row of the design stratum takes, each
    // once: the first row in table order whose unit, species, product, live/dead and
    // diameter range fit.
    mk::View summary = src.GetView(schema::kSVSummaryTable);
    stats::KeyIndex summary_index(summary, {"Stratum", "CutUnit", "Species", "Prod", "LD"});
    int sd_min = summary.FindColumn("DMin"), sd_max = summary.FindColumn("DMax");
    int sg_plot = summary.FindColumn("SgPlot");
    int ts = trees.FindColumn("Stratum"), tu = trees.FindColumn("CutUnit"), tp = trees.FindColumn("Plot");
    int tt = trees.FindColumn("Tree"), tsp = trees.FindColumn("Sp"), tpr = trees.FindColumn("ProdP");
    int tld = trees.FindColumn("LD"), tdbh = trees.FindColumn("DBH");
    auto text = [](const mk::View& v, int r, int c) { return c < 0 ? std::string() : v.GetString(r, c); };
    std::unordered_map<std::string, std::vector<int>> copied_trees;  // tree key -> design strata
    for (int r = 0; r < trees.RowCount(); ++r) {
        if ((r & 4095) == 0 && !tick()) return false;
        std::string rs = text(trees, r, ts), unit = text(trees, r, tu);
        auto f = feeds.find(JoinKey({rs, unit}));
        if (f == feeds.end()) continue;
        std::string plot = text(trees, r, tp);
        if (!copied_plots.count(JoinKey({rs, unit, plot}))) continue;
        std::string sp = text(trees, r, tsp), prod = text(trees, r, tpr), ld = text(trees, r, tld);
        long long dbh = Tenths(tdbh < 0 ? 0.0 : trees.GetDouble(r, tdbh));
        for (int d : f->second) {
            const std::string& code = strata[static_cast<size_t>(d)].stratum;
            int match = -1;
            for (int sr : summary_index.Rows({code, unit, sp, prod, ld})) {
                double dmax = store::LeadingDouble(text(summary, sr, sd_max));
                if (dmax > 0) {
                    long long lo = Tenths(store::LeadingDouble(text(summary, sr, sd_min)));
                    if (dbh < lo || dbh > Tenths(dmax)) continue;
                }
                match = sr;
                break;
            }
            if (match < 0) continue;
            int t = out_trees.AddRowFrom(trees, r);
            out_trees.SetString(t, "Stratum", code);
            out_trees.SetString(t, "SG", text(summary, match, sg_plot));
            copied_trees[JoinKey({rs, unit, plot, text(trees, r, tt)})].push_back(d);
        }
    }

    if (src.HasView(schema::kLogTable)) {
        mk::View logs = src.GetView(schema::kLogTable);
        int ls = logs.FindColumn("Stratum"), lu = logs.FindColumn("CutUnit"), lp = logs.FindColumn("Plot");
        int lt = logs.FindColumn("Tree");
        for (int r = 0; r < logs.RowCount(); ++r) {
            if ((r & 4095) == 0 && !tick()) return false;
            auto f = copied_trees.find(
                JoinKey({text(logs, r, ls), text(logs, r, lu), text(logs, r, lp), text(logs, r, lt)}));
            if (f == copied_trees.end()) continue;
            for (int d : f->second) {
                int t = out_logs.AddRowFrom(logs, r);
                out_logs.SetString(t, "Stratum", strata[static_cast<size_t>(d)].stratum);
            }
        }
    }
    return true;
}

}  // namespace output::detail
