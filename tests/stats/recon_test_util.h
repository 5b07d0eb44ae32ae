#pragma once
// Small recon sales for the compilation's tests: the setup tables written directly.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "mk/mk.h"
#include "store/schema.h"
#include "support/scratch.h"

namespace recontest {

namespace fs = std::filesystem;

using testsupport::TempDir;

inline std::string TreeTableDesc() {
    for (const auto& t : schema::SharedTables())
        if (t.name == schema::kTreeTable) return t.description;
    return schema::kTreeTableImportDesc;
}

// A cruise file on disk (commits need one) with builders for the tables the
// compilation reads.
class ReconSale {
public:
    explicit ReconSale(const std::string& path, std::string treeDesc = TreeTableDesc()) {
        auto s = mk::Storage::Create(path);
        EXPECT_TRUE(s.ok());
        storage = std::move(*s);
        summary = *storage.GetAs(schema::kSVSummaryTableDesc);
        strata = *storage.GetAs(schema::kSVStrataTableDesc);
        recon = *storage.GetAs(schema::kStratumTableSetupDesc);
        plots = *storage.GetAs(schema::kPlotTableDesc);
        trees = *storage.GetAs(treeDesc);
    }

    void Summary(const std::string& stratum, const std::string& sgTree, const std::string& sgPlot,
                 const std::string& unit, const std::string& species, const std::string& flag = "",
                 const std::string& dmin = "", const std::string& dmax = "", const std::string& prod = "01",
                 const std::string& ld = "L") {
        int r = summary.AddRow();
        summary.SetString(r, "Recon", "Y");
        summary.SetString(r, "Stratum", stratum);
        summary.SetString(r, "SgTree", sgTree);
        summary.SetString(r, "SgPlot", sgPlot);
        summary.SetString(r, "CutUnit", unit);
        summary.SetString(r, "Species", species);
        summary.SetString(r, "Prod", prod);
        summary.SetString(r, "LD", ld);
        summary.SetString(r, "DiaFlag", flag);
        summary.SetString(r, "DMin", dmin);
        summary.SetString(r, "DMax", dmax);
    }
    void Stratum(const std::string& code, const std::string& acres, const std::string& circum = "0",
                 const std::string& modified = "Y") {
        int r = strata.AddRow();
        strata.SetString(r, "Stratum", code);
        strata.SetString(r, "TotAcres", acres);
        strata.SetString(r, "TotCircum", circum);
        strata.SetString(r, "Description", "Stratum " + code);
        strata.SetString(r, "Units", "U1");
        strata.SetString(r, "Modified", modified);
    }
    void Recon(const std::string& code, const std::string& method, double fpSize = 0, double baf = 0) {
        int r = recon.AddRow();
        recon.SetString(r, "Stratum", code);
        recon.SetString(r, "CruzMeth", method);
        recon.SetDouble(r, "FPSize", fpSize);
        recon.SetDouble(r, "BAF", baf);
    }
    void Plot(const std::string& recon_code, const std::string& unit, const std::string& plot) {
        int r = plots.AddRow();
        plots.SetString(r, "Stratum", recon_code);
        plots.SetString(r, "CutUnit", unit);
        plots.SetString(r, "Plot", plot);
    }
    // Cubic volume; the board-foot column gets ten times as much unless told otherwise.
    int Tree(const std::string& recon_code, const std::string& unit, const std::string& plot,
             const std::string& species, float dbh, float height, double cuft, double bdft = -1,
             const std::string& prod = "01", const std::string& ld = "L") {
        int r = trees.AddRow();
        trees.SetString(r, "Stratum", recon_code);
        trees.SetString(r, "CutUnit", unit);
        trees.SetString(r, "Plot", plot);
        trees.SetString(r, "Tree", std::to_string(r + 1));
        trees.SetString(r, "Sp", species);
        trees.SetString(r, "ProdP", prod);
        trees.SetString(r, "LD", ld);
        trees.SetFloat(r, "DBH", dbh);
        trees.SetFloat(r, "TotHt", height);
        trees.SetDouble(r, "NCUFTVolPP", cuft);
        trees.SetDouble(r, "NBDFTVolPP", bdft < 0 ? cuft * 10 : bdft);
        return r;
    }

    mk::Storage storage;
    mk::View summary, strata, recon, plots, trees;
};

}  // namespace recontest
