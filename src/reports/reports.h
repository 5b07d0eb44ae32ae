#pragma once
// The report contents: each report built as grid content from the report inputs.
#include <memory>
#include <string>

#include "reports/report_data.h"
#include "reports/report_grid.h"

namespace reports {

enum class ReportKind { Summary, Kelvane, Mirtel, ReconCurrent, ReconAll };

// "summary", "kelvane", "mirtel", "recon-current", "recon-all".
const char* KindName(ReportKind kind);
bool KindFromName(const std::string& name, ReportKind& kind);

// The title of the report's window.
std::string WindowTitle(ReportKind kind);
// The printed document's name: the report's name and the sale's number and name
// ("Strovan Summary - Sale 54321 Cedar Flats").
std::string DocumentName(ReportKind kind, const CruiseInfo& cruise);
// Print margins (mm) the report's window sets before it prints.
grid::GridModel::Margins PrintMargins(ReportKind kind);
// Whether the report can be saved as text (the setup forms cannot).
bool CanSaveText(ReportKind kind);

// The report fonts are given as the grid control's cell-font heights in pixels; at
// the screen's 96 pixels to the inch a height of 20 pixels is 15 points.
inline constexpr double FontPoints(int pixels) { return pixels * 72.0 / 96.0; }
inline const grid::Font kTitleFont{"Arial", FontPoints(20), true};
inline const grid::Font kSectionFont{"Arial", FontPoints(16), true};

// Colours of the summary.
inline constexpr uint32_t kStratumHighlight = 16770740;
inline constexpr uint32_t kSgCodeShade = 14474460;

std::unique_ptr<ReportGrid> BuildSummary(const ReportInputs& in);
std::unique_ptr<ReportGrid> BuildRecon(const ReportInputs& in, bool all_methods);
std::unique_ptr<ReportGrid> BuildKelvane(const ReportInputs& in);
std::unique_ptr<ReportGrid> BuildMirtel(const ReportInputs& in);
std::unique_ptr<ReportGrid> BuildReport(ReportKind kind, const ReportInputs& in);

// The line a production cruise's recon report shows instead of stale rows.
inline constexpr const char* kNoReconData =
    "No recon data for a production cruise: the recon sample sizes do not apply.";

}  // namespace reports
