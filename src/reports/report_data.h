#pragma once
// What the reports are built from, read once from a cruise file into plain rows so
// that every report looks rows up through indexes instead of scanning tables.
#include <string>
#include <vector>

#include "design/rows.h"

namespace mk { class Storage; }

namespace reports {

struct CruiseInfo {
    bool present = false;  // the table has a first row
    std::string saleNo, cruiseNo, saleName, region, forest, district, calYear, purpose;
};

struct UnitRow {
    std::string cutUnit;
    double area = 0;
    std::string description, logMeth, payUnit;
};

struct SummaryRow {
    std::string stratum, sgTree, sgPlot, species, prod, ld;
};

// The recon plots and trees behind one sample group of one method.
struct MethodSgRow {
    std::string stratum, cruzMeth, sgCode;
    int mPlots = 0;
    int mTrees = 0;
};

// Species and product defaults for the field program.
struct AutoFillRow {
    std::string sp, prodP, ld, uomP, prodS, cl;
    double topDibP = 0, topDibS = 0;
    std::string cDefP, hDefP, cDefS, hDefS, recDefP, yc, contrSpec, treeGrade, merchHtT;
    int merchHtLL = 0, fc = 0;
    double dbhBtr = 0, avgZForm = 0;
    std::string uomS;
};

struct ReportInputs {
    CruiseInfo cruise;
    std::string uom = "01";  // "01" board feet, anything else cubic feet
    int cruiseType = 0;      // 1 production
    std::vector<design::StratumRow> strata;
    std::vector<design::SgRow> groups;
    std::vector<MethodSgRow> methodGroups;
    std::vector<UnitRow> units;
    std::vector<SummaryRow> summary;
    std::vector<AutoFillRow> autoFill;
    // The design form's "Sale Error" and "Cost" texts; computed from the strata when
    // empty.
    std::string saleErrorText, costText;
    // The date the setup forms print ("Month", "Year"); today when 0.
    int month = 0, year = 0;
};

// Reads every input from an open cruise file; tables the file lacks read as empty.
// The unit of measure and the cruise type come from the file's settings.
ReportInputs ReadReportInputs(mk::Storage& storage);

// The sale error and cost texts: the given ones, or computed from the strata ("not
// computable" while a stratum lacks a sample size, "not set" without costs).
std::string SaleErrorText(const ReportInputs& in);
std::string CostText(const ReportInputs& in);

// printf into a string.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// The name of a logging method code; empty for a code not in the list.
std::string LoggingMethodName(const std::string& code);

// The comma-separated items of a list, trimmed; empty items dropped.
std::vector<std::string> SplitList(const std::string& text);

}  // namespace reports
