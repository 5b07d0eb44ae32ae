#include "simulate/result_table.h"

#include <cmath>
#include <cstdio>
#include <ostream>
#include <vector>

#include "store/schema.h"

namespace simulate {

std::string Percent(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, std::isfinite(v) ? v : 0.0);
    // "-0.0" says nothing a plain 0.0 does not.
    std::string s = buf;
    if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    return s;
}

namespace {

const char* kColumns[] = {"Stratum",          "Method",          "Recon plots", "Volume",
                          "Design error %",   "Median error %",  "5 % error",   "95 % error",
                          "At or below design %", "Coverage %",  "Bias %",      "Estimate 5 %",
                          "Estimate 95 %",    "Notes"};
constexpr int kColumnCount = sizeof kColumns / sizeof kColumns[0];

std::string VolumeText(double v) { return Grouped(std::llround(v)); }

std::string Signed(double v) {
    std::string s = Percent(v);
    return v > 0 && s != "0.0" ? "+" + s : s;
}

// The cells of one row: a stratum or the sale.
std::vector<std::string> Cells(const std::string& code, const std::string& method, const std::string& units,
                               const Summary& s, bool simulated, const std::string& notes) {
    if (!simulated) return {code, method, units, "", Percent(s.designError, 2), "", "", "", "", "", "", "", "", notes};
    return {code,
            method,
            units,
            VolumeText(s.truth),
            Percent(s.designError, 2),
            Percent(s.errorMedian, 2),
            Percent(s.errorP5, 2),
            Percent(s.errorP95, 2),
            Percent(s.meetsDesign * 100),
            Percent(s.coverage * 100),
            Signed(s.relativeBias),
            Signed(s.deviationP5),
            Signed(s.deviationP95),
            notes};
}

std::string ReconText(const StratumResult& s) {
    if (s.draw == Draw::Complete) return "";
    if (s.draw == Draw::Trees || s.draw == Draw::ThreeP || s.draw == Draw::TreesThreeP)
        return std::to_string(s.reconTrees) + " trees";
    return s.reconPlots > 0 ? std::to_string(s.reconPlots) : "";
}

std::string NotesOf(const StratumResult& s) {
    if (!s.problem.empty()) return "Not simulated: " + s.problem;
    if (s.draw == Draw::Complete) return "Every tree measured";
    return s.note;
}

std::vector<std::vector<std::string>> Rows(const Result& r) {
    std::vector<std::vector<std::string>> rows;
    for (const StratumResult& s : r.strata)
        rows.push_back(Cells(s.code, s.method, ReconText(s), s.summary, s.problem.empty(), NotesOf(s)));
    std::string notes;
    if (!r.leftOut.empty()) {
        notes = "Leaves out stratum";
        notes += r.leftOut.size() > 1 ? "s " : " ";
        for (size_t i = 0; i < r.leftOut.size(); ++i) notes += (i ? ", " : "") + r.leftOut[i];
    }
    rows.push_back(Cells("Sale", "", "", r.sale, r.replicates > 0, notes));
    return rows;
}

}  // namespace

void FillResultGrid(grid::GridModel& g, const Result& r, const std::string& uom) {
    const auto rows = Rows(r);
    g.Unbind(kColumnCount, static_cast<int64_t>(rows.size()));
    for (int c = 0; c < kColumnCount; ++c) {
        g.SetHeading(c, kColumns[c]);
        g.SetColumnReadOnly(c, true);
        g.SetAutoWidth(c, true);
    }
    g.SetHeading(3, uom == schema::kUomBoardFeet ? "Volume MBF" : "Volume CCF");
    g.SetHint(4, "The sampling error the design claims");
    g.SetHint(5, "The sampling error the simulated cruises achieved: median");
    g.SetHint(8, "Share of the simulated cruises whose error was at or below the design's");
    g.SetHint(9, "Share of the simulated cruises whose estimate, plus or minus its error, held the true volume");
    g.SetHint(10, "Mean estimate against the recon's volume");
    g.SetHint(11, "5 % of the simulated cruises estimated the volume this far (or farther) below the recon's");
    g.SetHint(12, "5 % of the simulated cruises estimated the volume this far (or farther) above the recon's");
    for (size_t row = 0; row < rows.size(); ++row)
        for (int c = 0; c < kColumnCount; ++c) {
            g.SetText(c, static_cast<int64_t>(row), rows[row][c]);
            if (c >= 2 && c < kColumnCount - 1) g.SetAlign(c, static_cast<int64_t>(row), grid::Align::Right);
        }
}

void WriteResultText(std::ostream& out, const Result& r, const std::string& uom) {
    const Summary& s = r.sale;
    const char* unit = uom == schema::kUomBoardFeet ? "MBF" : "CCF";
    out << Grouped(r.replicates) << " simulated cruises (seed " << r.options.seed << ")"
        << (r.cancelled ? ", cancelled" : "") << '\n';
    out << MeetsTargetSentence(r) << ".\n";
    out << "Sale error: median " << Percent(s.errorMedian, 2) << " %, 5 % of cruises below "
        << Percent(s.errorP5, 2) << " %, 5 % above " << Percent(s.errorP95, 2) << " % (the design claims "
        << Percent(s.designError, 2) << " %)\n";
    out << "Sale volume: " << VolumeText(s.truth) << ' ' << unit << " in the recon; estimates " << Signed(s.deviationP5)
        << " % to " << Signed(s.deviationP95) << " % of it in 90 % of cruises, bias " << Signed(s.relativeBias)
        << " %\n";
    out << "Coverage: the estimate plus or minus its sale error held the volume in " << Percent(s.coverage * 100)
        << " % of cruises\n";
    if (!r.leftOut.empty()) {
        out << "Not in the sale figures:";
        for (const std::string& c : r.leftOut) out << ' ' << c;
        out << '\n';
    }
    out << '\n';
    grid::GridModel g;
    FillResultGrid(g, r, uom);
    std::vector<size_t> width(kColumnCount, 0);
    for (int c = 0; c < kColumnCount - 1; ++c) {
        width[c] = g.Heading(c).size();
        for (int64_t row = 0; row < g.RowCount(); ++row) width[c] = std::max(width[c], g.Text(c, row).size());
    }
    auto line = [&](auto cell) {
        std::string text;
        for (int c = 0; c < kColumnCount; ++c) {
            std::string v = cell(c);
            if (c == kColumnCount - 1) text += v;
            else if (c < 2) text += v + std::string(width[c] - v.size() + 2, ' ');
            else text += std::string(width[c] - v.size(), ' ') + v + "  ";
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        out << text << '\n';
    };
    line([&](int c) { return g.Heading(c); });
    for (int64_t row = 0; row < g.RowCount(); ++row) line([&](int c) { return g.Text(c, row); });
}

}  // namespace simulate
