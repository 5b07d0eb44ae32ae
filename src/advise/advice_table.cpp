#include "advise/advice_table.h"

#include <cstdio>

#include "design/sampling.h"

namespace advise {

namespace {

std::string Fixed(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

void AddStratification(std::vector<AdviceLine>& out, const Outcome& o, AdviceLine head) {
    if (!o.ok) {
        head.note = o.failure;
        out.push_back(head);
        return;
    }
    for (const StratumOutcome& s : o.strata) head.acres += s.acres;
    head.plots = o.Plots();
    head.error = o.saleError;
    head.cost = o.cost;
    out.push_back(head);
    for (const StratumOutcome& s : o.strata) {
        AdviceLine line;
        line.current = head.current;
        line.k = head.k;
        line.proposal = head.proposal;
        line.stratum = s.code;
        line.method = s.method;
        line.units = s.units;
        line.acres = s.acres;
        line.plots = s.sumN;
        line.trees = !design::IsPlotMethod(s.method);
        line.error = s.error;
        line.cost = s.cost;
        out.push_back(std::move(line));
    }
}

}  // namespace

std::vector<AdviceLine> AdviceLines(const Advice& advice) {
    std::vector<AdviceLine> out;
    AdviceLine now;
    now.head = now.current = true;
    now.k = static_cast<int>(advice.current.ok ? advice.current.strata.size() : advice.currentPlan.size());
    AddStratification(out, advice.current, now);
    for (size_t i = 0; i < advice.proposals.size(); ++i) {
        const Proposal& p = advice.proposals[i];
        AdviceLine head;
        head.head = true;
        head.k = p.k;
        head.proposal = static_cast<int>(i);
        head.best = static_cast<int>(i) == advice.best;
        head.saving = advice.Saving(p);
        AddStratification(out, p.outcome, head);
    }
    return out;
}

const std::vector<std::string>& AdviceHeadings() {
    static const std::vector<std::string> h = {"k",     "Stratum", "Method",       "Units", "Acres",
                                               "Plots", "Error %", "Cost $", "Saving $"};
    return h;
}

std::vector<std::string> AdviceCells(const AdviceLine& l) {
    std::vector<std::string> c(AdviceHeadings().size());
    if (l.head) {
        c[0] = l.current ? "now" : std::to_string(l.k);
        c[1] = l.best ? "best" : "";
        c[3] = std::to_string(l.k) + (l.k == 1 ? " stratum" : " strata");
        if (!l.note.empty()) {
            c[3] += ": " + l.note;
            return c;
        }
    } else {
        c[1] = l.stratum;
        c[2] = l.method;
        c[3] = l.units;
    }
    c[4] = Fixed("%.1f", l.acres);
    c[5] = std::to_string(l.plots) + (l.trees ? " trees" : "");
    c[6] = Fixed("%.2f", l.error);
    c[7] = Fixed("%.0f", l.cost);
    if (l.saving) c[8] = Fixed("%.0f", *l.saving);
    return c;
}

std::string ImpossibleText(const Advice& advice) {
    if (advice.impossible.empty()) return {};
    std::string ks;
    for (int k : advice.impossible) ks += (ks.empty() ? "" : ", ") + std::to_string(k);
    return "No proposal for k = " + ks +
           ": units of different recon methods never share a stratum, and every stratum needs two recon plots.";
}

}  // namespace advise
