#pragma once
// A small but complete design cruise file for the field file tests: units, strata,
// summary rows, a design with tree and plot methods, species defaults, recon strata,
// plots, trees and logs.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "app/settings.h"
#include "app/setup_file.h"
#include "mk/mk.h"
#include "store/schema.h"
#include "support/scratch.h"

namespace fieldtest {

namespace fs = std::filesystem;

// A scratch folder that can also list what a command left in it.
class TempDir : public testsupport::TempDir {
public:
    TempDir() : testsupport::TempDir("strovan_field") {}
    // Every file in the folder (hidden ones too).
    std::vector<std::string> Files() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(Dir())) out.push_back(e.path().filename().string());
        return out;
    }
};

using Cells = std::initializer_list<std::pair<const char*, std::string>>;

inline void Add(mk::View v, Cells cells) {
    int r = v.AddRow();
    for (const auto& [col, value] : cells) v.SetString(r, col, value);
}

inline mk::View Table(mk::Storage& s, const char* description) {
    auto v = s.GetAs(description);
    EXPECT_TRUE(v) << description;
    return v ? *v : mk::View();
}

using testsupport::ReadBytes;

// The design sale "Bear Creek":
//   stratum 1 STR  units 1,2  groups A (two species) and B (live and dead DF)
//   stratum 2 PNT  BAF 20, unit 3, groups A and B (B: DF up to 6.1 inches)
//   stratum 3 FIX  plot size 10, unit 1, group A
// Recon strata R1 (PNT 20, units 3,4), R2 (FIX 10, unit 1), R3 (PNT 40, unit 3).
inline void BuildDesign(mk::Storage& s) {
    ASSERT_TRUE(app::BuildSetup(s));
    mk::View cruise = Table(s, schema::kCruiseTableDesc);
    Add(cruise, {{"SaleNo", "12345"}, {"CruiseNo", "1"}, {"SaleName", "Bear Creek"},
                 {"Region", "06"}, {"Forest", "12"}, {"District", "03"}, {"MeasSys", "E"},
                 {"CalYear", "2011"}, {"Purpose", "OTH"}});

    mk::View config = Table(s, schema::kGlobalConfigurationTableDesc);
    app::AddSetting(config, "General", "Setup", "/home/forester/default.stp");
    app::AddSetting(config, "General", "MRU", "Kelvane");
    app::AddSetting(config, "General", "DirtyFlag", "DIRTY");
    app::AddSetting(config, "Strovan", "Type", "Recon");
    app::AddSetting(config, "Strovan", "UOM", "01");
    app::AddSetting(config, "Strovan", "UpdateFlag", "N");
    app::AddSetting(config, "Strovan", "CrewPlot", "30");
    app::AddSetting(config, "Strovan", "Paint", "12");
    app::AddSetting(config, "Processing", "Custom Report", "Vol1");

    mk::View custom = Table(s, "CustomVol1[Title:S,Width:I,Scale:D]");
    Add(custom, {{"Title", "Volume by species"}, {"Width", "80"}, {"Scale", "1.25"}});
    Add(custom, {{"Title", "Totals"}, {"Width", "132"}, {"Scale", "0.5"}});

    mk::View vol = s.GetView(schema::kVolumeEquationTable);
    Add(vol, {{"Sp", "DF"}, {"ProdP", "01"}, {"VolEq", "I00FW2W202"}, {"TopDIBP", "6"}});
    Add(vol, {{"Sp", "WH"}, {"ProdP", "01"}, {"VolEq", "I00FW2W263"}, {"TopDIBP", "5.5"}});

    // The field program's list of methods, with S3P already in it.
    mk::View dict = s.GetView(schema::kDataDictionary);
    for (int r = 0; r < dict.RowCount(); ++r)
        if (dict.GetString(r, "TableName") == "StratumTable" && dict.GetString(r, "ColumnName") == "CruzMeth")
            dict.SetString(r, "Validate", "100 STR S3P");

    mk::View units = Table(s, schema::kSVUnitsTableDesc);
    Add(units, {{"CutUnit", "1"}, {"Area", "40.5"}, {"Description", "Ridge"}, {"LogMeth", "TRC"}, {"PayUnit", "A"}});
    Add(units, {{"CutUnit", "2"}, {"Area", "22.25"}, {"Description", "Creek"}, {"LogMeth", "CAB"}, {"PayUnit", "A"}});
    Add(units, {{"CutUnit", "3"}, {"Area", "61"}, {"Description", "Flat"}, {"LogMeth", "TRC"}, {"PayUnit", "B"}});

    mk::View strata = Table(s, schema::kSVStrataTableDesc);
    Add(strata, {{"Stratum", "1"}, {"Description", "North slope"}, {"Units", "1,2"}, {"TotAcres", "62.8"}});
    Add(strata, {{"Stratum", "2"}, {"Description", "Flat"}, {"Units", "3"}, {"TotAcres", "61.0"}});
    Add(strata, {{"Stratum", "3"}, {"Description", "Ridge plots"}, {"Units", "1"}, {"TotAcres", "40.5"}});

    mk::View design = Table(s, schema::kSVDesignTableDesc);
    // Description and units as edited on the design form.
    Add(design, {{"Stratum", "1"}, {"Description", "North slope, edited"}, {"Units", "1,2"}, {"CruzMeth", "STR"}, {"PlotSize", "0"}});
    Add(design, {{"Stratum", "2"}, {"Description", "Flat"}, {"Units", "3"}, {"CruzMeth", "PNT"}, {"PlotSize", "20"}});
    Add(design, {{"Stratum", "3"}, {"Description", "Ridge plots"}, {"Units", "1"}, {"CruzMeth", "FIX"}, {"PlotSize", "10"}});

    mk::View groups = Table(s, schema::kSVDesignSgTableDesc);
    Add(groups, {{"Stratum", "1"}, {"SgCode", "A"}, {"Description", "Conifer"}, {"SgN", "30"}, {"Freq", "12"}, {"KZ", "0"}});
    Add(groups, {{"Stratum", "1"}, {"SgCode", "B"}, {"Description", ""}, {"SgN", "40"}, {"Freq", "5"}, {"KZ", "0"}});
    Add(groups, {{"Stratum", "2"}, {"SgCode", "A"}, {"Description", "Big"}, {"SgN", "25"}, {"Freq", "0"}, {"KZ", "0"}});
    Add(groups, {{"Stratum", "2"}, {"SgCode", "B"}, {"Description", "Small"}, {"SgN", "25"}, {"Freq", "0"}, {"KZ", "0"}});
    Add(groups, {{"Stratum", "3"}, {"SgCode", "A"}, {"Description", "All"}, {"SgN", "18"}, {"Freq", "0"}, {"KZ", "0"}});

    mk::View sum = Table(s, schema::kSVSummaryTableDesc);
    auto row = [&](const char* unit, const char* st, const char* sgt, const char* sgp, const char* sp,
                   const char* prod, const char* ld, const char* dmin = "", const char* dmax = "",
                   const char* flag = "") {
        Add(sum, {{"Recon", "Y"}, {"DiaFlag", flag}, {"Modify", "N"}, {"CutUnit", unit}, {"Stratum", st},
                  {"SgTree", sgt}, {"SgPlot", sgp}, {"Species", sp}, {"Prod", prod}, {"LD", ld},
                  {"DMin", dmin}, {"DMax", dmax}});
    };
    row("1", "1", "A", "", "DF", "01", "L");
    row("2", "1", "A", "", "DF", "01", "L");
    row("1", "1", "A", "", "WH", "01", "L");
    row("1", "1", "B", "", "DF", "01", "D");
    row("2", "1", "B", "", "DF", "01", "L");
    row("3", "2", "", "B", "DF", "01", "L", "0", "6.1", "Str1");
    row("3", "2", "", "A", "DF", "01", "L", "6.1", "99", "Str");
    row("3", "2", "", "A", "RA", "02", "D");
    row("1", "3", "", "A", "DF", "01", "L");
    row("1", "3", "", "A", "RA", "02", "D");

    mk::View fill = Table(s, schema::kSVSelAutoFillDesc);
    Add(fill, {{"Sp", "DF"}, {"ProdP", "01"}, {"LD", "L"}, {"UOMP", "01"}, {"UOMS", "03"}, {"ProdS", "02"},
               {"CL", "C"}, {"TopDIBP", "6"}, {"TopDIBS", "4"}, {"CDefP", "5"}, {"HDefP", "2"},
               {"CDefS", "1"}, {"HDefS", "0"}, {"RecDefP", "3"}, {"YC", "Y"}, {"ContrSpec", "DFC"},
               {"TreeGrade", "2"}, {"MerchHtT", "F"}, {"MerchHtLL", "16"}, {"FC", "80"},
               {"DBHBTR", "0.5"}, {"AvgZForm", "0.75"}});
    Add(fill, {{"Sp", "WH"}, {"ProdP", "01"}, {"LD", "L,D"}, {"UOMP", "01"}, {"CDefP", "9"}, {"TopDIBP", "5.5"}});
    Add(fill, {{"Sp", "RA"}, {"ProdP", "02"}, {"LD", "D"}, {"UOMP", "03"}, {"CDefP", "10"}});
    Add(fill, {{"Sp", "RA"}, {"ProdP", "02"}, {"LD", "D"}, {"UOMP", "03"}, {"CDefP", "20"}});

    mk::View recon = s.GetView(schema::kStratumTable);
    Add(recon, {{"Stratum", "R1"}, {"CruzMeth", "PNT"}, {"Units", "3,4"}, {"BAF", "20"}});
    Add(recon, {{"Stratum", "R2"}, {"CruzMeth", "FIX"}, {"Units", "1"}, {"FPSize", "10"}});
    Add(recon, {{"Stratum", "R3"}, {"CruzMeth", "PNT"}, {"Units", "3"}, {"BAF", "40"}});
    Add(recon, {{"Stratum", "R4"}, {"CruzMeth", "100"}, {"Units", "2"}});

    mk::View plots = s.GetView(schema::kPlotTable);
    Add(plots, {{"Stratum", "R1"}, {"CutUnit", "3"}, {"Plot", "1"}, {"SlopePct", "12.5"}, {"GeospatialLink", "g1"}});
    Add(plots, {{"Stratum", "R1"}, {"CutUnit", "3"}, {"Plot", "2"}, {"NullPlot", "1"}});
    Add(plots, {{"Stratum", "R1"}, {"CutUnit", "4"}, {"Plot", "9"}});
    Add(plots, {{"Stratum", "R2"}, {"CutUnit", "1"}, {"Plot", "1"}});
    Add(plots, {{"Stratum", "R3"}, {"CutUnit", "3"}, {"Plot", "1"}});

    mk::View trees = s.GetView(schema::kTreeTable);
    auto tree = [&](const char* st, const char* unit, const char* plot, const char* t, const char* sp,
                    const char* prod, const char* ld, const char* dbh) {
        Add(trees, {{"Stratum", st}, {"CutUnit", unit}, {"Plot", plot}, {"Tree", t}, {"Sp", sp},
                    {"ProdP", prod}, {"LD", ld}, {"DBH", dbh}, {"TotHt", "100"}, {"NCUFTVolPP", "12.5"}});
    };
    tree("R1", "3", "1", "1", "DF", "01", "L", "6.1");   // on the boundary: small group B
    tree("R1", "3", "1", "2", "DF", "01", "L", "8");     // group A
    tree("R1", "3", "1", "3", "RA", "02", "D", "10");    // group A
    tree("R1", "3", "1", "4", "WH", "01", "L", "12");    // no summary row in stratum 2
    tree("R1", "3", "2", "1", "DF", "01", "L", "14");    // group A
    tree("R1", "3", "7", "1", "DF", "01", "L", "14");    // plot 7 is not in PlotTable
    tree("R1", "4", "9", "1", "DF", "01", "L", "14");    // unit 4 is in no design stratum
    tree("R2", "1", "1", "1", "DF", "01", "L", "9");     // stratum 3, group A
    tree("R3", "3", "1", "1", "DF", "01", "L", "9");     // R3 feeds nothing

    mk::View logs = s.GetView(schema::kLogTable);
    auto log = [&](const char* st, const char* unit, const char* plot, const char* t, const char* n) {
        Add(logs, {{"Stratum", st}, {"CutUnit", unit}, {"Plot", plot}, {"Tree", t}, {"LogNum", n},
                   {"Length", "32"}, {"NBDFT", "120.5"}});
    };
    log("R1", "3", "1", "1", "1");
    log("R1", "3", "1", "1", "2");
    log("R1", "3", "1", "4", "1");  // its tree is not copied
    log("R2", "1", "1", "1", "1");
    log("R3", "3", "1", "1", "1");
}

inline void WriteDesign(const std::string& path) {
    auto s = mk::Storage::Create(path);
    ASSERT_TRUE(s);
    BuildDesign(*s);
    ASSERT_TRUE(s->Commit());
}

// Every value of one column of a table, as text.
inline std::vector<std::string> Column(mk::Storage& s, const char* table, const char* col) {
    std::vector<std::string> out;
    mk::View v = s.GetView(table);
    for (int r = 0; r < v.RowCount(); ++r) out.push_back(v.GetString(r, col));
    return out;
}

// A cell as text; numbers with "%g".
inline std::string Text(const mk::View& v, int r, const char* col) {
    int c = v.FindColumn(col);
    if (c >= 0 && (v.Column(c).type == mk::Type::Double || v.Column(c).type == mk::Type::Float)) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%g", v.GetDouble(r, c));
        return buf;
    }
    return v.GetString(r, col);
}

// Rows of a table as "a|b|c" of the named columns.
inline std::vector<std::string> Rows(mk::Storage& s, const char* table, std::vector<const char*> cols) {
    std::vector<std::string> out;
    mk::View v = s.GetView(table);
    for (int r = 0; r < v.RowCount(); ++r) {
        std::string line;
        for (size_t i = 0; i < cols.size(); ++i) line += (i ? "|" : "") + Text(v, r, cols[i]);
        out.push_back(line);
    }
    return out;
}

}  // namespace fieldtest
