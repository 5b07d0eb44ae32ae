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

std::unique_ptr<ReportGrid> BuildReport(ReportKind kind, const ReportInputs& in) {
    switch (kind) {
        case ReportKind::Summary: return BuildSummary(in);
        case ReportKind::Kelvane: return BuildKelvane(in);
        case ReportKind::Mirtel: return BuildMirtel(in);
        case ReportKind::ReconCurrent: return BuildRecon(in, false);
        case ReportKind::ReconAll: return BuildRecon(in, true);
    }
    return nullptr;
}

}  // namespace reports
