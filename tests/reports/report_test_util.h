#pragma once
// Small hand-built report inputs shared by the report tests.
#include <string>

#include "grid/grid_model.h"
#include "reports/report_data.h"
#include "reports/report_grid.h"

namespace reports_test {

inline design::StratumRow Stratum(const std::string& code, const std::string& method) {
    design::StratumRow s;
    s.stratum = code;
    s.cruzMeth = method;
    s.description = "Stratum " + code;
    s.units = "1,2";
    return s;
}

inline design::SgRow Group(const std::string& stratum, const std::string& code, int n = 10, int n2 = 2) {
    design::SgRow g;
    g.stratum = stratum;
    g.sgCode = code;
    g.description = "Group " + code;
    g.sgN = n;
    g.sgN2 = n2;
    return g;
}

inline reports::ReportInputs Sale() {
    reports::ReportInputs in;
    in.cruise.present = true;
    in.cruise.saleNo = "4711";
    in.cruise.cruiseNo = "3";
    in.cruise.saleName = "Cedar Ridge";
    in.cruise.region = "06";
    in.cruise.forest = "12";
    in.cruise.district = "03";
    in.cruise.calYear = "2026";
    in.cruise.purpose = "Timber Sale";
    in.month = 5;
    in.year = 2026;
    return in;
}

// The row of the first cell in column col whose trimmed text is text; -1 when none.
inline int64_t FindRow(const grid::GridModel& g, int col, const std::string& text, int64_t from = 0) {
    for (int64_t r = from; r < g.RowCount(); ++r)
        if (g.Text(col, r) == text) return r;
    return -1;
}

}  // namespace reports_test
