#include "design/design_form.h"

#include <charconv>
#include <cstdio>
#include <utility>

#include "design/sampling.h"
#include "store/cruise_store.h"
#include "store/schema.h"
#include "store/value_rules.h"

namespace design {

namespace {

std::string G(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

std::string Fixed(const char* format, double v) {
    char buf[512];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

bool Uom01(const std::string& uom) { return uom == schema::kUomBoardFeet; }

}  // namespace

unsigned SgCellColour(const SgRow& row, std::string_view column) {
    const std::string* mark = nullptr;
    if (column == "SgCV") mark = &row.c;
    else if (column == "SgCV2") mark = &row.c2;
    else if (column == "Trees/Acre") mark = &row.t;
    else if (column == "Vol/Acre") mark = &row.v;
    if (!mark) return kNormalTextColour;
    if (*mark == "R") return kReviewColour;
    if (*mark == "B") return kTypedColour;
    return kNormalTextColour;
}

const std::vector<std::string>& SgGridColumns() {
    static const std::vector<std::string> cols = {
        "C", "C2", "T", "V", "Stratum", "SgCode", "Description", "SgErr", "SgN", "SgN2",
        "SgCV", "SgCV2", "Trees/Acre", "Vol/Acre", "Freq", "KZ", "Trees/Plot", "AvgHt", "BigBaf"};
    return cols;
}

bool SgColumnShown(std::string_view m, std::string_view c) {
    if (c == "C" || c == "C2" || c == "T" || c == "V") return false;
    if (c == "SgN2" || c == "SgCV2") return IsTwoStage(m);
    if (c == "Freq") return IsOneOf(m, {"100", "STR", "S3P", "PCM", "FCM", "PCMTRE"});
    if (c == "KZ") return IsOneOf(m, {"3P", "S3P", "F3P", "P3P", "3PPNT"});
    if (c == "AvgHt") return IsOneOf(m, {"P3P", "3PPNT"});
    if (c == "BigBaf") return IsOneOf(m, {"PCM", "PCMTRE"});
    if (c == "Trees/Plot") return IsPlotMethod(m);
    if (c == "Description") return IsOneOf(m, {"100", "STR", "3P", "S3P"});
    return true;
}

bool SgColumnReadOnly(std::string_view m, std::string_view c) {
    if (c == "Stratum" || c == "SgCode") return true;
    if (m == "100" && (c == "SgN" || c == "Freq")) return true;
    return false;
}

std::string SgColumnHint(std::string_view c, const std::string& uom) {
    static const std::pair<std::string_view, const char*> kHints[] = {
        {"Stratum", "Stratum Number"},
        {"SgCode", "Sample Group Code"},
        {"Description", "Sample Group Description (Displayed in Kelvane Tally Form"},
        {"SgErr", "Sampling Error for the Sample Group"},
        {"SgN", "Sample Size for the Sample Group or First Stage"},
        {"SgN2", "Sample Size for the Second Stage"},
        {"SgCV", "Coefficient of Variation for the Sample Group or First Stage"},
        {"SgCV2", "Coefficient of Variation for the Second Stage"},
        {"Trees/Acre", "Estimated Trees per Acre for the Sample Group"},
        {"Trees/Plot", "Estimated Average Number of Trees per Plot"},
        {"Freq", "Frequency for Selecting Sample Trees"},
        {"KZ", "Sampling Rate for a 3P Cruise"},
        {"AvgHt", "Estimated Average Tree Height for the Sample Group"},
        {"BigBaf", "Estimated Basal Area Factor needed to select the measured trees"},
    };
    if (c == "Vol/Acre")
        return Uom01(uom) ? "Estimated Board Foot Volume per Acre" : "Estimated Cubic Foot Volume per Acre";
    for (const auto& [name, hint] : kHints)
        if (name == c) return hint;
    return "";
}

std::string SgCellText(const SgRow& r, std::string_view c, std::string_view method) {
    if (c == "SgErr" && !method.empty() && !ErrorComputable(r, method)) return kNoError;
    switch (SgColumnFromName(c)) {
    case SgColumn::C: return r.c;
    case SgColumn::C2: return r.c2;
    case SgColumn::T: return r.t;
    case SgColumn::V: return r.v;
    case SgColumn::Stratum: return r.stratum;
    case SgColumn::SgCode: return r.sgCode;
    case SgColumn::Description: return r.description;
    case SgColumn::SgErr: return G(r.sgErr);
    case SgColumn::SgN: return std::to_string(r.sgN);
    case SgColumn::SgN2: return std::to_string(r.sgN2);
    case SgColumn::SgCV: return G(r.sgCV);
    case SgColumn::SgCV2: return G(r.sgCV2);
    case SgColumn::TreesAcre: return G(r.treesAcre);
    case SgColumn::VolAcre: return G(r.volAcre);
    case SgColumn::Freq: return std::to_string(r.freq);
    case SgColumn::KZ: return std::to_string(r.kz);
    case SgColumn::TreesPlot: return G(r.treesPlot);
    case SgColumn::AvgHt: return G(r.avgHt);
    case SgColumn::BigBaf: return G(r.bigBaf);
    case SgColumn::Unknown: break;
    }
    return "";
}

const std::vector<std::string>& StratumGridColumns() {
    static const std::vector<std::string> cols = {
        "TotCircum", "Stratum", "Description", "Units", "CruzMeth", "Lock", "Error", "SumN", "SumN2",
        "WtCV", "WtCV2", "Trees/Acre", "Vol/Acre", "TotalVol", "TotAcres", "StrCost", "Trees/Plot",
        "PlotSpacing", "PlotSize"};
    return cols;
}

bool StratumColumnShown(std::string_view c) { return c != "TotCircum"; }

bool StratumColumnReadOnly(std::string_view c) { return c != "Description" && c != "Lock"; }

bool StratumColumnRightAligned(std::string_view c) {
    return c != "Stratum" && c != "CruzMeth" && c != "Description" && c != "Units" && c != "Lock";
}

std::string StratumColumnHint(std::string_view c, const std::string& uom) {
    static const std::pair<std::string_view, const char*> kHints[] = {
        {"Stratum", "Stratum Number"},
        {"Description", "User Description of the Stratum"},
        {"CruzMeth", "Cruise Method or Sampling Procedure"},
        {"Lock", "Switch to Lock This Stratum Error When Running the Optimize Function"},
        {"Error", "Sampling Error for the Stratum"},
        {"SumN", "Sample Size for the Stratum (First Stage)"},
        {"SumN2", "Sample Size for the Second Stage"},
        {"WtCV", "Coefficient of Variation for the Stratum (First Stage)"},
        {"WtCV2", "Coefficient of Variation for the Second Stage"},
        {"Trees/Acre", "Total Trees per Acre for the Stratum"},
        {"Trees/Plot", "Average Number of Trees per Plot"},
        {"TotAcres", "Total Acres for the Stratum"},
        {"StrCost", "Estimated Stratum Cost"},
        {"PlotSpacing", "Recommended Plot Spacing"},
        {"PlotSize", "BAF or Fixed Plot Size for the Stratum"},
    };
    if (c == "Vol/Acre") return Uom01(uom) ? "Board Foot Volume per Acre" : "Cubic Foot Volume per Acre";
    if (c == "TotalVol") return Uom01(uom) ? "Total MBF for the Stratum" : "Total CCF for the Stratum";
    for (const auto& [name, hint] : kHints)
        if (name == c) return hint;
    return "";
}

std::string StratumCellText(const StratumRow& r, std::string_view c) {
    if (c == "TotCircum") return G(r.totCircum);
    if (c == "Stratum") return r.stratum;
    if (c == "Description") return r.description;
    if (c == "Units") return r.units;
    if (c == "CruzMeth") return r.cruzMeth;
    if (c == "Lock") return r.lock;
    if (c == "Error") return r.errorComputable ? G(r.error) : kNoError;
    if (c == "SumN") return std::to_string(r.sumN);
    if (c == "SumN2") return std::to_string(r.sumN2);
    if (c == "WtCV") return G(r.wtCV);
    if (c == "WtCV2") return G(r.wtCV2);
    if (c == "Trees/Acre") return G(r.treesAcre);
    if (c == "Vol/Acre") return G(r.volAcre);
    if (c == "TotalVol") return G(r.totalVol);
    if (c == "TotAcres") return G(r.totAcres);
    if (c == "StrCost") return G(r.strCost);
    if (c == "Trees/Plot") return G(r.treesPlot);
    if (c == "PlotSpacing") return std::to_string(r.plotSpacing);
    if (c == "PlotSize") return G(r.plotSize);
    return "";
}

std::string PlotSizeMenuText(std::string_view m) {
    if (IsOneOf(m, {"FIX", "F3P", "FCM"})) return "Change Fixed Plot Size";
    if (IsOneOf(m, {"PNT", "P3P", "PCM", "PCMTRE", "3PPNT"})) return "Change BAF";
    return "";
}

// --- Method selection ---------------------------------------------------------------------

void MethodSelectionForm::Tick(std::size_t row, bool on) {
    selected.resize(rows.size(), false);
    if (row >= rows.size()) return;
    if (on)
        for (std::size_t i = 0; i < selected.size(); ++i) selected[i] = false;
    selected[row] = on;
}

bool MethodSelectionForm::TickMethod(std::string_view method) {
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].cruzMeth == method) {
            Tick(i);
            return true;
        }
    return false;
}

int MethodSelectionForm::Chosen() const {
    for (std::size_t i = 0; i < selected.size() && i < rows.size(); ++i)
        if (selected[i]) return static_cast<int>(i);
    return -1;
}

// --- Plot size ----------------------------------------------------------------------------

PlotSizeForm::PlotSizeForm(ui::UiPort& ui, bool pointMethod, double current)
    : value(G(current)), ui_(ui), point_(pointMethod), value_(current) {}

std::string PlotSizeForm::Label() const {
    return point_ ? "Enter New Basal Area Factor" : "Enter New Fixed Plot Size";
}

bool PlotSizeForm::OnOk() {
    // A plot size of 0 divides every frequency and KZ formula; refuse it here.
    store::CheckedValue v = store::Check(point_ ? store::rules::kBaf : store::rules::kPlotSize, value);
    if (!v.ok()) {
        ui_.Warning(v.refusal, "Warning");
        return false;
    }
    value_ = v.number;
    return true;
}

std::vector<std::string> SplitUnits(const std::string& units) {
    std::vector<std::string> out;
    std::string piece;
    for (char ch : units + ",") {
        if (ch != ',') {
            piece += ch;
            continue;
        }
        piece = store::Trim(piece);
        if (!piece.empty()) out.push_back(piece);
        piece.clear();
    }
    return out;
}

std::string JoinUnits(const std::vector<std::string>& codes) {
    std::string out;
    for (const std::string& c : codes) out += (out.empty() ? "" : ",") + c;
    return out;
}

}  // namespace design
