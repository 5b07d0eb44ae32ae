#include "reports/reports.h"

namespace reports {

namespace {
struct KindInfo {
    ReportKind kind;
    const char* name;
};
const KindInfo kKinds[] = {{ReportKind::Summary, "summary"},
                           {ReportKind::Kelvane, "kelvane"},
                           {ReportKind::Mirtel, "mirtel"},
                           {ReportKind::ReconCurrent, "recon-current"},
                           {ReportKind::ReconAll, "recon-all"}};
}  // namespace

const char* KindName(ReportKind kind) {
    for (const KindInfo& k : kKinds)
        if (k.kind == kind) return k.name;
    return "";
}

bool KindFromName(const std::string& name, ReportKind& kind) {
    for (const KindInfo& k : kKinds)
        if (name == k.name) {
            kind = k.kind;
            return true;
        }
    return false;
}

std::string WindowTitle(ReportKind kind) {
    switch (kind) {
        case ReportKind::Summary: return "Strovan Summary Report";
        case ReportKind::Kelvane: return "Kelvane Setup Forms   -   For best results, print in Landscape mode.";
        case ReportKind::Mirtel: return "Strovan Mirtel Forms   -   For best results, print in Landscape mode.";
        case ReportKind::ReconCurrent:
        case ReportKind::ReconAll: return "Recon Data - Sample Size Report";
    }
    return {};
}

grid::GridModel::Margins PrintMargins(ReportKind kind) {
    if (kind == ReportKind::Summary) return {20, 20, 12, 12};
    return {15, 15, 10, 10};
}

bool CanSaveText(ReportKind kind) { return kind != ReportKind::Kelvane && kind != ReportKind::Mirtel; }

std::string DocumentName(ReportKind kind, const CruiseInfo& cruise) {
    std::string name;
    switch (kind) {
        case ReportKind::Summary: name = "Strovan Summary"; break;
        case ReportKind::Kelvane: name = "Kelvane Forms"; break;
        case ReportKind::Mirtel: name = "Mirtel Forms"; break;
        case ReportKind::ReconCurrent: name = "Recon Sample Sizes for Current Design"; break;
        case ReportKind::ReconAll: name = "Recon Sample Sizes for All Methods"; break;
    }
    std::string sale = cruise.saleNo;
    if (!cruise.saleName.empty()) sale += (sale.empty() ? "" : " ") + cruise.saleName;
    if (!sale.empty()) name += " - Sale " + sale;
    return name;
}

std::unique_ptr<ReportGrid> BuildReport(ReportKind kind, const ReportInputs& in) {
    std::unique_ptr<ReportGrid> report;
    switch (kind) {
        case ReportKind::Summary: report = BuildSummary(in); break;
        case ReportKind::Kelvane: report = BuildKelvane(in); break;
        case ReportKind::Mirtel: report = BuildMirtel(in); break;
        case ReportKind::ReconCurrent: report = BuildRecon(in, false); break;
        case ReportKind::ReconAll: report = BuildRecon(in, true); break;
    }
    if (report) report->SetDocumentName(DocumentName(kind, in.cruise));
    return report;
}

}  // namespace reports
