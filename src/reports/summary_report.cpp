// The design summary: sale block and totals, then every stratum with its sample
// groups three blocks to a band.
#include <unordered_map>
#include <utility>

#include "design/sampling.h"
#include "design/stratum.h"
#include "reports/reports.h"

namespace reports {

namespace {

constexpr const char* kSpacer = "      ";
const int kWidths[9] = {70, 85, 60, 80, 85, 60, 80, 85, 60};

int BlockRows(const std::string& m) {
    using design::IsOneOf;
    if (IsOneOf(m, {"STR", "3P"})) return 10;
    if (IsOneOf(m, {"F3P", "P3P", "PCM", "FCM", "PCMTRE", "3PPNT"})) return 12;
    if (m == "S3P") return 13;
    return 9;  // "100", "PNT", "FIX" and anything unknown
}

using Lines = std::vector<std::pair<std::string, std::string>>;

// The labelled lines of one sample group's block, after its code line.
Lines BlockLines(const design::SgRow& g, const std::string& m) {
    using design::IsOneOf;
    Lines l;
    l.emplace_back("Description ", g.description);
    l.emplace_back("SG Error    ", design::ErrorComputable(g, m) ? Format("%7.1f", g.sgErr) : design::kNotComputable);
    std::string first;
    if (IsOneOf(m, {"100", "STR", "3P"}))
        first = "Sample Trees";
    else if (m == "S3P")
        first = "3P Trees    ";
    else if (m == "3PPNT")
        first = "Total Plots ";
    else if (design::IsPlotMethod(m))
        first = "Sample Plots";
    else
        first = "Sample Trees";
    l.emplace_back(first, Format("%d", g.sgN));
    const std::string cv1 = Format("%8.3f", g.sgCV), cv2 = Format("%8.3f", g.sgCV2);
    const std::string freq = Format("%d", g.freq), kz = Format("%d", g.kz), n2 = Format("%d", g.sgN2);
    if (m == "STR") {
        l.emplace_back("Frequency   ", freq);
        l.emplace_back("Est. CV     ", cv1);
    } else if (m == "3P") {
        l.emplace_back("KZ Value    ", kz);
        l.emplace_back("Est. CV     ", cv1);
    } else if (m == "S3P") {
        l.emplace_back("Sample Trees", n2);
        l.emplace_back("Frequency   ", freq);
        l.emplace_back("KZ Value    ", kz);
        l.emplace_back("Stage 1 CV  ", cv1);
        l.emplace_back("Stage 2 CV  ", cv2);
    } else if (IsOneOf(m, {"F3P", "P3P", "3PPNT"})) {
        l.emplace_back(m == "3PPNT" ? "Sample Plots" : "Sample Trees", n2);
        l.emplace_back("KZ Value    ", kz);
        l.emplace_back("Stage 1 CV  ", cv1);
        l.emplace_back("Stage 2 CV  ", cv2);
    } else if (IsOneOf(m, {"PCM", "FCM", "PCMTRE"})) {
        l.emplace_back("Sample Trees", n2);
        l.emplace_back("Frequency   ", freq);
        if (m != "FCM") l.emplace_back("BigBaf      ", Format("%6.1f", g.bigBaf));
        l.emplace_back("Stage 1 CV  ", cv1);
        l.emplace_back("Stage 2 CV  ", cv2);
    } else {
        l.emplace_back("Est. CV     ", cv1);
    }
    l.emplace_back("Trees/Acre  ", Format("%8.3f", g.treesAcre));
    l.emplace_back("Vol/Acre    ", Format("%8.3f", g.volAcre));
    return l;
}

}  // namespace

std::unique_ptr<ReportGrid> BuildSummary(const ReportInputs& in) {
    auto rep = std::make_unique<ReportGrid>(9);
    ReportGrid& r = *rep;
    grid::GridModel& g = r.Grid();
    for (int c = 0; c < 9; ++c) g.SetColumnWidth(c, kWidths[c]);
    g.SetPrintMargins(PrintMargins(ReportKind::Summary));
    g.SetTitle(WindowTitle(ReportKind::Summary));
    const bool board = in.uom == "01";

    r.AddRows(9);
    r.PutJoined(1, 7, 0,
                board ? "Strovan Report - Based on Net Board Foot Volume"
                      : "Strovan Report - Based on Net Cubic Volume");
    g.SetFont(1, 0, kTitleFont);
    g.SetRowHeight(0, 36);

    const char* saleLabels[6] = {"Sale Num    ", "Sale Name   ", "Region      ",
                                 "Forest      ", "District    ", "Purpose     "};
    // A file without a cruise row leaves the values empty.
    const std::string saleValues[6] = {in.cruise.saleNo, in.cruise.saleName, in.cruise.region,
                                       in.cruise.forest, in.cruise.district, in.cruise.purpose};
    for (int i = 0; i < 6; ++i) {
        r.Put(0, 2 + i, saleLabels[i]);
        r.Put(1, 2 + i, saleValues[i]);
    }
    r.Put(6, 2, "Sale Error  ");
    r.Put(7, 2, SaleErrorText(in));

    // Sample groups by stratum, in table order.
    std::unordered_map<std::string, std::vector<size_t>> byStratum;
    byStratum.reserve(in.strata.size() * 2);
    for (size_t i = 0; i < in.groups.size(); ++i) byStratum[in.groups[i].stratum].push_back(i);
    static const std::vector<size_t> kNone;

    const grid::Color highlight = grid::Color::FromColorRef(kStratumHighlight);
    const grid::Color shade = grid::Color::FromColorRef(kSgCodeShade);
    double totalVol = 0;
    long long plots = 0, trees = 0;

    for (const design::StratumRow& s : in.strata) {
        totalVol += s.totalVol;
        const std::string& m = s.cruzMeth;
        int64_t top = r.AddRows(6);
        for (int64_t row = top; row < top + 6; ++row) {
            r.Put(2, row, kSpacer);
            r.Put(5, row, kSpacer);
        }
        r.Put(0, top + 1, "Strata Code ");
        r.Put(1, top + 1, s.stratum);
        r.Put(0, top + 2, "Cruise Meth ");
        r.Put(1, top + 2, m);
        r.Put(0, top + 3, "Total Acres ");
        r.Put(1, top + 3, Format("%8.1f", s.totAcres));
        r.Put(0, top + 4, "Trees/Acre  ");
        r.Put(1, top + 4, Format("%7.2f", s.treesAcre));
        r.Put(0, top + 5, "Vol/Acre    ");
        r.Put(1, top + 5, Format("%7.3f", s.volAcre));
        r.Put(3, top + 1, "Description ");
        r.PutJoined(4, 8, top + 1, s.description);
        r.Put(3, top + 2, "Samp Error  ");
        r.Put(4, top + 2, s.errorComputable ? Format("%7.1f", s.error) : design::kNotComputable);
        r.Put(3, top + 3, "Unit List   ");
        r.PutJoined(4, 8, top + 3, s.units);
        r.Put(3, top + 4, "Total Volume");
        r.Put(4, top + 4, Format("%8.1f", s.totalVol));
        if (design::IsPlotMethod(m)) {
            r.Put(3, top + 5, "Plot Spacing");
            r.Put(4, top + 5, Format("%d", s.plotSpacing));
        }
        g.SetRowStyle(top + 1, grid::Style{.background = highlight});

        auto it = byStratum.find(s.stratum);
        const std::vector<size_t>& groups = it == byStratum.end() ? kNone : it->second;
        if (!groups.empty() && design::IsPlotMethod(m)) plots += in.groups[groups.front()].sgN;
        const int blockRows = BlockRows(m);
        // On paper a stratum's heading stays with its first band of sample groups,
        // and a band stays whole.
        g.KeepTogether(top + 1, groups.empty() ? top + 5 : top + 5 + blockRows);
        for (size_t b = 0; b < groups.size(); b += 3) {
            int64_t band = r.AddRows(blockRows);
            g.KeepTogether(band + 1, band + blockRows - 1);
            for (int64_t row = band; row < band + blockRows; ++row) {
                r.Put(2, row, kSpacer);
                r.Put(5, row, kSpacer);
            }
            for (size_t k = 0; k < 3 && b + k < groups.size(); ++k) {
                const design::SgRow& sg = in.groups[groups[b + k]];
                // Only the tree methods count: the measured trees of the plot
                // methods' second stage are left out of the estimate.
                if (design::IsOneOf(m, {"100", "STR", "3P"}))
                    trees += sg.sgN;
                else if (m == "S3P")
                    trees += sg.sgN2;
                const int lc = static_cast<int>(k) * 3;
                int64_t row = band + 1;
                r.Put(lc, row, "SG Code     ");
                r.Put(lc + 1, row, sg.sgCode);
                g.SetBackground(lc, row, shade);
                g.SetBackground(lc + 1, row, shade);
                for (const auto& [label, value] : BlockLines(sg, m)) {
                    ++row;
                    r.Put(lc, row, label);
                    r.Put(lc + 1, row, value);
                }
            }
        }
    }

    r.Put(6, 4, board ? "Sum Net MBF " : "Sum Net CCF ");
    r.Put(7, 4, Format("%10.3f", totalVol));
    r.Put(6, 6, "Est. Cost ");
    r.Put(7, 6, CostText(in));
    r.Put(6, 7, "Est. Plots ");
    r.Put(7, 7, Format("%lld", plots));
    r.Put(6, 8, "Est. Trees ");
    r.Put(7, 8, Format("%lld", trees));
    return rep;
}

}  // namespace reports
