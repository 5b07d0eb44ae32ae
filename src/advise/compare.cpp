#include "advise/compare.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "design/saved_designs.h"
#include "design/stratum.h"
#include "design/workspace_rows.h"
#include "setup/setup_tables.h"
#include "store/schema.h"

namespace advise {

namespace {

const char* const kColumns[] = {"Stratum", "Method", "Units", "n", "Error %", "Cost $"};
constexpr int kPerDesign = 6;

std::string Fixed(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

// Strata rows of a design table (or a saved design's StrataView).
void ReadStrata(const mk::View& v, ComparedDesign& d) {
    const design::StratumColumns cols = design::StratumColumns::Of(v);
    std::vector<design::StratumRow> rows;
    for (int r = 0; r < v.RowCount(); ++r) {
        design::StratumRow s = design::ReadStratum(v, cols, r);
        StratumOutcome o;
        o.code = s.stratum;
        o.method = s.cruzMeth;
        o.units = s.units;
        o.acres = s.totAcres;
        o.sumN = s.sumN;
        o.sumN2 = s.sumN2;
        o.error = s.error;
        o.cost = s.strCost;
        d.strata.push_back(o);
        rows.push_back(s);
    }
    const design::SaleTotals t = design::SaleErrorAndCost(rows);
    d.saleError = t.error;
    d.cost = t.cost;
}

// The units of a stratum as a set, so "7,8" and "8,7" meet.
std::vector<std::string> UnitSet(const std::string& units) {
    std::vector<std::string> set = setup::SplitCodes(units);
    std::sort(set.begin(), set.end());
    return set;
}

std::vector<std::string> Cells(const StratumOutcome& s) {
    return {s.code, s.method, s.units,
            std::to_string(s.sumN) + (s.sumN2 > 0 ? " + " + std::to_string(s.sumN2) : std::string()),
            Fixed("%.2f", s.error), Fixed("%.1f", s.cost)};
}

}  // namespace

ComparedDesign CurrentDesign(mk::Storage& storage) {
    ComparedDesign d;
    d.name = "current";
    if (!storage.HasView(schema::kSVDesignTable) || storage.GetView(schema::kSVDesignTable).RowCount() == 0) {
        d.failure = "the cruise file has no design yet";
        return d;
    }
    ReadStrata(storage.GetView(schema::kSVDesignTable), d);
    return d;
}

ComparedDesign SavedDesign(mk::Storage& storage, const std::string& id) {
    ComparedDesign d;
    d.name = id;
    int row = -1;
    mk::View saved = storage.HasView(schema::kSVSaveDesignTable) ? storage.GetView(schema::kSVSaveDesignTable)
                                                                 : mk::View();
    for (int r = 0; r < saved.RowCount(); ++r)
        if (design::SameDesignId(saved.GetString(r, "ID"), id)) row = r;
    if (row < 0) {
        d.failure = "no saved design '" + id + "'";
        return d;
    }
    ReadStrata(saved.GetSubview(row, "StrataView"), d);
    return d;
}

std::string ProposalName(int k) { return "proposal:" + std::to_string(k); }

ComparedDesign ProposalDesign(const Proposal& p, const std::string& name) {
    ComparedDesign d;
    d.name = name;
    if (!p.outcome.ok) {
        d.failure = p.outcome.failure;
        return d;
    }
    d.strata = p.outcome.strata;
    d.saleError = p.outcome.saleError;
    d.cost = p.outcome.cost;
    return d;
}

int ProposalStrata(const std::string& name) {
    constexpr std::string_view kPrefix = "proposal:";
    if (name.rfind(kPrefix, 0) != 0) return 0;
    const std::string digits = name.substr(kPrefix.size());
    if (digits.empty() || digits.size() > 2 || digits.find_first_not_of("0123456789") != std::string::npos) return 0;
    const int k = std::stoi(digits);
    return k >= 1 && k <= 99 ? k : 0;
}

ComparisonTable Compare(const std::vector<ComparedDesign>& designs) {
    ComparisonTable t;
    t.columnsPerDesign = kPerDesign;
    // A design's block starts with its name over its stratum codes.
    for (const ComparedDesign& d : designs) {
        t.headings.push_back(d.name);
        for (int c = 1; c < kPerDesign; ++c) t.headings.push_back(kColumns[c]);
    }

    // A row holds the strata of the designs that group the same units; the first
    // design's strata lead, the others' strata of other units follow.
    struct Row {
        std::vector<std::string> units;
        std::vector<const StratumOutcome*> of;
    };
    std::vector<Row> rows;
    for (size_t d = 0; d < designs.size(); ++d)
        for (const StratumOutcome& s : designs[d].strata) {
            std::vector<std::string> units = UnitSet(s.units);
            auto it = std::find_if(rows.begin(), rows.end(), [&](const Row& r) { return !r.of[d] && r.units == units; });
            if (it == rows.end()) {
                rows.push_back(Row{std::move(units), std::vector<const StratumOutcome*>(designs.size(), nullptr)});
                it = rows.end() - 1;
            }
            it->of[d] = &s;
        }
    for (const Row& r : rows) {
        std::vector<std::string> row;
        for (const StratumOutcome* s : r.of) {
            std::vector<std::string> cells = s ? Cells(*s) : std::vector<std::string>(kPerDesign);
            row.insert(row.end(), cells.begin(), cells.end());
        }
        t.rows.push_back(std::move(row));
    }
    std::vector<std::string> totals;
    for (const ComparedDesign& d : designs) {
        int n = 0;
        for (const StratumOutcome& s : d.strata) n += s.sumN;
        const size_t k = d.strata.size();
        totals.insert(totals.end(), {"Sale", "", std::to_string(k) + (k == 1 ? " stratum" : " strata"),
                                     std::to_string(n), Fixed("%.2f", d.saleError), Fixed("%.1f", d.cost)});
    }
    t.rows.push_back(std::move(totals));

    for (const auto& row : t.rows) {
        std::vector<bool> marks(row.size(), false);
        for (size_t c = kPerDesign; c < row.size(); ++c) marks[c] = row[c] != row[c % kPerDesign];
        t.differs.push_back(std::move(marks));
    }
    return t;
}

std::string MarkedCell(const ComparisonTable& t, size_t row, size_t col) {
    const std::string& text = t.rows[row][col];
    return t.differs[row][col] ? (text.empty() ? "-" : text) + "*" : text;
}

void FillComparisonGrid(grid::GridModel& grid, const ComparisonTable& t) {
    grid.Unbind(static_cast<int>(t.headings.size()), static_cast<int64_t>(t.rows.size()));
    for (size_t c = 0; c < t.headings.size(); ++c) {
        grid.SetHeading(static_cast<int>(c), t.headings[c]);
        grid.SetColumnReadOnly(static_cast<int>(c), true);
        if (static_cast<int>(c % kPerDesign) >= 3) grid.SetColumnAlign(static_cast<int>(c), grid::Align::Right);
    }
    grid::Font bold;
    bold.bold = true;
    for (size_t r = 0; r < t.rows.size(); ++r) {
        for (size_t c = 0; c < t.rows[r].size(); ++c) {
            grid.SetText(static_cast<int>(c), static_cast<int64_t>(r), MarkedCell(t, r, c));
            if (t.differs[r][c]) {
                grid.SetTextColor(static_cast<int>(c), static_cast<int64_t>(r), grid::colors::kMarkBlue);
                grid.SetFont(static_cast<int>(c), static_cast<int64_t>(r), bold);
            }
        }
    }
    // The sale's totals close the table.
    if (!t.rows.empty()) grid.SetRowStyle(static_cast<int64_t>(t.rows.size() - 1), grid::Style{.font = bold});
}

std::vector<std::string> ComparableNames(mk::Storage& storage, const Advice* advice) {
    std::vector<std::string> names{"current"};
    for (const std::string& id : design::SavedDesignIds(storage)) names.push_back(id);
    if (advice)
        for (const Proposal& p : advice->proposals)
            if (p.outcome.ok) names.push_back(ProposalName(p.k));
    return names;
}

ComparedDesign DesignByName(mk::Storage& storage, const std::string& name, const Advice* advice) {
    if (name == "current") return CurrentDesign(storage);
    const bool best = name == "best";
    if (best || name.rfind("proposal:", 0) == 0) {
        ComparedDesign d;
        d.name = name;
        if (!advice || !advice->error.empty()) {
            d.failure = advice ? advice->error : "no advice was asked for";
            return d;
        }
        if (best) {
            if (advice->best < 0) {
                d.failure = "the advisor has no proposal";
                return d;
            }
            const Proposal& p = advice->proposals[static_cast<size_t>(advice->best)];
            return ProposalDesign(p, ProposalName(p.k));
        }
        const int k = ProposalStrata(name);
        if (const Proposal* p = advice->Find(k)) return ProposalDesign(*p, name);
        d.failure = "the advisor has no proposal of " + name.substr(9) + " strata";
        return d;
    }
    return SavedDesign(storage, name);
}

}  // namespace advise
