// The recon sample-size reports: for each stratum (and method), the recon plots and
// trees behind each sample group's statistics.
#include <algorithm>
#include <unordered_map>

#include "reports/reports.h"

namespace reports {

namespace {

// The methods the all-methods report lists, in its order (the tree-count variant of
// the point method is not among them).
const char* const kMethodOrder[] = {"100", "STR", "3P", "S3P", "FIX", "F3P",
                                    "FCM", "PNT", "P3P", "PCM", "3PPNT"};

std::string MethodKey(const std::string& stratum, const std::string& method) {
    std::string k = stratum;
    k += '\x1f';
    k += method;
    return k;
}

void StratumBlock(ReportGrid& r, const design::StratumRow& s, const std::string& method,
                  const std::vector<size_t>& rows, const ReportInputs& in) {
    grid::GridModel& g = r.Grid();
    int64_t top = r.AddRows(5);  // two empty rows, two header rows, the stratum row
    const int64_t h1 = top + 2, h2 = top + 3, sr = top + 4;
    r.Put(0, h1, " ");
    r.Put(1, h1, " ");
    r.PutJoined(2, 3, h1, " ");
    r.PutJoined(4, 5, h1, " ");
    r.Put(6, h1, "Sample");
    r.Put(7, h1, "# Recon");
    r.Put(8, h1, "# Recon");
    r.Put(0, h2, "Stratum");
    r.Put(1, h2, "CruzMeth");
    r.PutJoined(2, 3, h2, "Description");
    r.PutJoined(4, 5, h2, "Units");
    r.Put(6, h2, "Group");
    r.Put(7, h2, "Plots");
    r.Put(8, h2, "Trees");
    g.SetBordersRange(0, h1, 8, h2, grid::kBorderAll);
    r.Put(0, sr, s.stratum);
    r.Put(1, sr, method);
    r.PutJoined(2, 3, sr, s.description);
    r.PutJoined(4, 5, sr, s.units);
    // The header and the stratum row go on paper with the first sample groups.
    g.KeepTogether(h1, sr + std::min<int64_t>(static_cast<int64_t>(rows.size()), 3));
    for (size_t i : rows) {
        const MethodSgRow& m = in.methodGroups[i];
        int64_t row = r.AddRows(1);
        r.Grid().Join(2, row, 3, row);
        r.Grid().Join(4, row, 5, row);
        r.Put(6, row, m.sgCode.empty() ? " " : m.sgCode);
        r.Put(7, row, Format("%5d", m.mPlots));
        r.Put(8, row, Format("%5d", m.mTrees));
    }
}

}  // namespace

std::unique_ptr<ReportGrid> BuildRecon(const ReportInputs& in, bool all_methods) {
    ReportKind kind = all_methods ? ReportKind::ReconAll : ReportKind::ReconCurrent;
    auto rep = std::make_unique<ReportGrid>(9);
    ReportGrid& r = *rep;
    grid::GridModel& g = r.Grid();
    for (int c = 0; c < 9; ++c) g.SetColumnWidth(c, 60);
    // The counts line up on their last digit.
    g.SetColumnAlign(7, grid::Align::Right);
    g.SetColumnAlign(8, grid::Align::Right);
    g.SetPrintMargins(PrintMargins(kind));
    g.SetTitle(WindowTitle(kind));
    r.AddRows(1);
    r.PutJoined(0, 8, 0,
                all_methods ? "Recon Data Used in Current Design for All Cruise Methods."
                            : "Recon Data Used in Current Design for Selected Cruise Methods.");
    g.SetFont(0, 0, kTitleFont);
    g.SetRowHeight(0, 36);

    // A production cruise has no method tables of its own: whatever they hold is
    // left from an earlier recon compile and does not describe this design.
    if (in.cruiseType == 1) {
        int64_t row = r.AddRows(3) + 2;
        r.PutJoined(0, 8, row, kNoReconData);
        return rep;
    }

    // The method sample groups by (stratum, method), built once.
    std::unordered_map<std::string, std::vector<size_t>> index;
    index.reserve(in.methodGroups.size() / 4 + 1);
    for (size_t i = 0; i < in.methodGroups.size(); ++i)
        index[MethodKey(in.methodGroups[i].stratum, in.methodGroups[i].cruzMeth)].push_back(i);
    static const std::vector<size_t> kNone;
    auto rowsOf = [&](const std::string& stratum, const std::string& method) -> const std::vector<size_t>& {
        auto it = index.find(MethodKey(stratum, method));
        return it == index.end() ? kNone : it->second;
    };

    for (const design::StratumRow& s : in.strata) {
        if (all_methods) {
            for (const char* m : kMethodOrder) StratumBlock(r, s, m, rowsOf(s.stratum, m), in);
        } else {
            StratumBlock(r, s, s.cruzMeth, rowsOf(s.stratum, s.cruzMeth), in);
        }
    }
    return rep;
}

}  // namespace reports
