#pragma once
// A cruise file whose design and method tables are filled as the recon compilation
// leaves them, for the workspace tests and the design command's tests.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "design/sampling.h"
#include "design/sg_rules.h"
#include "design/stratum.h"
#include "design/workspace_rows.h"
#include "mk/mk.h"
#include "store/schema.h"
#include "support/scratch.h"
#include "ui/scripted_ui.h"

namespace wstest {

using namespace design;

inline const CostFigures kCosts{10, 30, 0.5, 2, 5, 0.25};

struct StratumSpec {
    std::string code;
    std::string method;  // the method of the design
    double acres;
    std::vector<std::string> groups;
    std::string units;
};

inline double PlotSizeFor(const std::string& m) {
    if (IsOneOf(m, {"FIX", "F3P", "FCM"})) return 0.1;
    if (IsOneOf(m, {"PNT", "P3P", "PCM", "3PPNT"})) return 20;
    return 0;
}

// The sample groups of one stratum under one method, with sizes for a 20 % error.
inline std::vector<SgRow> GroupsFor(const StratumSpec& s, std::size_t methodIndex, const std::string& method) {
    std::vector<SgRow> out;
    StratumContext ctx{s.code, method, s.acres, PlotSizeFor(method)};
    ui::ScriptedUi quiet;
    for (std::size_t j = 0; j < s.groups.size(); ++j) {
        SgRow g;
        g.stratum = s.code;
        g.sgCode = s.groups[j];
        g.description = "Group " + s.groups[j];
        g.sgCV = 40 + 3.0 * static_cast<double>(methodIndex) + 11.0 * static_cast<double>(j);
        g.sgCV2 = 25 + 2.0 * static_cast<double>(j);
        g.treesAcre = 30 + 10.0 * static_cast<double>(j);
        g.volAcre = 4000 - 700.0 * static_cast<double>(j);
        g.treesPlot = IsPlotMethod(method) ? 5 + static_cast<double>(j) : 0;
        g.avgHt = 70;
        g.c = g.c2 = g.t = g.v = "N";
        if (IsTwoStage(method)) {
            SampleSizes n = TwoStageSampleSizes(g.sgCV, g.sgCV2, 20);
            g.sgN = n.n1;
            g.sgN2 = n.n2;
        } else {
            g.sgN = SampleSize(g.sgCV, 20);
        }
        // Plot groups of one stratum start with their own plot counts on purpose.
        if (IsPlotMethod(method)) g.sgN += static_cast<int>(j);
        RecomputeError(g, ctx);
        FreqKzStep(g, ctx, Change::SgN, quiet);
        out.push_back(g);
    }
    return out;
}

inline StratumRow StratumFor(const StratumSpec& s, const std::string& method, std::vector<SgRow>& groups,
                             const std::string& uom) {
    StratumRow r;
    r.stratum = s.code;
    r.cruzMeth = method;
    r.totAcres = s.acres;
    r.totCircum = std::trunc(2 * std::sqrt(M_PI * s.acres * 43560));
    r.description = "Stratum " + s.code;
    r.units = s.units;
    r.plotSize = PlotSizeFor(method);
    SgRefs refs;
    for (SgRow& g : groups) refs.push_back(&g);
    SummarizeStratum(r, refs, SummaryMode::Fill, uom, kCosts);
    return r;
}

inline std::vector<StratumSpec> DefaultSale() {
    return {
        {"1", "STR", 120, {"A", "B"}, "10,11"},
        {"2", "PNT", 300, {"A", "B", "C"}, "12"},
        {"3", "S3P", 80, {"A"}, "13"},
        {"4", "100", 15, {"A", "B"}, "14"},
    };
}

inline std::size_t SplitCount(const std::string& units) {
    if (units.empty()) return 0;
    std::size_t n = 1;
    for (char c : units) n += c == ',';
    return n;
}

// Writes the design and method tables (and a unit table) into a new file.
inline void WriteSale(const std::string& path, const std::vector<StratumSpec>& sale, const std::string& uom = "01",
                      bool withMethods = true, const std::string& type = schema::kTypeRecon) {
    auto st = mk::Storage::Create(path);
    ASSERT_TRUE(st.ok());
    mk::Storage& s = *st;
    mk::View config = *s.GetAs(schema::kGlobalConfigurationTableDesc);
    const std::vector<std::vector<std::string>> settings = {
        {schema::kBlockGeneral, schema::kKeyStructureVersion, schema::kCurrentVersion},
        {schema::kBlockStrovan, schema::kKeyType, type},
        {schema::kBlockStrovan, schema::kKeyUOM, uom},
        {schema::kBlockStrovan, schema::kKeyUpdateFlag, "N"},
        {schema::kBlockStrovan, schema::kKeyCrewPlot, "60"},
        {schema::kBlockStrovan, schema::kKeyCntPlot, "6"},
        {schema::kBlockStrovan, schema::kKeyTrav, "30"},
        {schema::kBlockStrovan, schema::kKeyCrewTree, "60"},
        {schema::kBlockStrovan, schema::kKeyTreeTally, "120"},
        {schema::kBlockStrovan, schema::kKeyTree3P, "30"},
        {schema::kBlockStrovan, schema::kKeyTreeMeas, "12"},
        {schema::kBlockStrovan, schema::kKeyPaint, "5"},
        {schema::kBlockStrovan, schema::kKeyTreePaint, "40"},
    };
    for (const auto& row : settings) {
        int r = config.AddRow();
        config.SetString(r, "Block", row[0]);
        config.SetString(r, "Key", row[1]);
        config.SetString(r, "Value", row[2]);
    }
    mk::View design = *s.GetAs(schema::kSVDesignTableDesc);
    mk::View designSg = *s.GetAs(schema::kSVDesignSgTableDesc);
    mk::View units = *s.GetAs(schema::kSVUnitsTableDesc);
    StratumColumns dc = StratumColumns::Of(design);
    SgColumns dgc = SgColumns::Of(designSg);
    mk::View strata = *s.GetAs(schema::kSVStrataTableDesc);
    mk::View summary = *s.GetAs(schema::kSVSummaryTableDesc);
    int unitNo = 10;
    for (const StratumSpec& spec : sale) {
        int sr = strata.AddRow();
        strata.SetString(sr, "Stratum", spec.code);
        strata.SetString(sr, "Units", spec.units);
        strata.SetString(sr, "TotAcres", std::to_string(spec.acres));
        strata.SetString(sr, "Modified", "N");
        for (std::size_t k = 0; k < SplitCount(spec.units); ++k) {
            int su = summary.AddRow();
            summary.SetString(su, "CutUnit", std::to_string(unitNo));
            summary.SetString(su, "Stratum", spec.code);
            summary.SetString(su, "SgTree", "A");
            summary.SetString(su, "Species", "DF");
            int r = units.AddRow();
            units.SetString(r, "Select", "0");
            units.SetString(r, "CutUnit", std::to_string(unitNo++));
            units.SetDouble(r, "Area", spec.acres / static_cast<double>(SplitCount(spec.units)));
            units.SetString(r, "Description", "Unit");
            units.SetString(r, "LogMeth", "420");
        }
    }
    if (withMethods) {
        mk::View methods = *s.GetAs(schema::kSVMethodsTableDesc);
        mk::View methodsSg = *s.GetAs(schema::kSVMethodsSgTableDesc);
        StratumColumns mc = StratumColumns::Of(methods);
        SgColumns mgc = SgColumns::Of(methodsSg);
        for (const StratumSpec& spec : sale) {
            const auto& order = schema::MethodOrder();
            for (std::size_t i = 0; i < order.size(); ++i) {
                std::vector<SgRow> groups = GroupsFor(spec, i, order[i]);
                StratumRow row = StratumFor(spec, order[i], groups, uom);
                int r = methods.AddRow();
                WriteStratum(methods, mc, r, row, nullptr, false);
                // As the compilation leaves it: the every-tree method is the one selected.
                methods.SetString(r, "Select", order[i] == "100" ? "1.000000" : "0");
                for (const SgRow& g : groups) {
                    int gr = methodsSg.AddRow();
                    WriteSg(methodsSg, mgc, gr, g, nullptr, &order[i]);
                }
            }
        }
    }
    for (const StratumSpec& spec : sale) {
        const auto& order = schema::MethodOrder();
        std::size_t i = 0;
        while (i < order.size() && order[i] != spec.method) ++i;
        std::vector<SgRow> groups = GroupsFor(spec, i, spec.method);
        StratumRow row = StratumFor(spec, spec.method, groups, uom);
        WriteStratum(design, dc, design.AddRow(), row, nullptr);
        for (const SgRow& g : groups) WriteSg(designSg, dgc, designSg.AddRow(), g, nullptr);
    }
    ASSERT_TRUE(s.Commit().ok());
}

// Every cell of a table as text, row by row: what "the file's tables" hold.
inline std::vector<std::string> Dump(mk::Storage& s, const std::string& table) {
    std::vector<std::string> out;
    if (!s.HasView(table)) return out;
    mk::View v = s.GetView(table);
    for (int r = 0; r < v.RowCount(); ++r) {
        std::string line;
        for (int c = 0; c < v.ColumnCount(); ++c) {
            if (v.Column(c).type == mk::Type::View) continue;
            line += v.GetString(r, c) + "|";
        }
        out.push_back(line);
    }
    return out;
}

inline std::map<std::string, std::vector<std::string>> DumpAll(mk::Storage& s) {
    std::map<std::string, std::vector<std::string>> out;
    for (const char* t : {schema::kSVDesignTable, schema::kSVDesignSgTable, schema::kSVMethodsTable,
                          schema::kSVMethodsSgTable, schema::kSVUnitsTable, schema::kSVStrataTable,
                          schema::kSVSummaryTable})
        out[t] = Dump(s, t);
    return out;
}

using testsupport::TempDir;

}  // namespace wstest
