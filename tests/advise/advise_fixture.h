#pragma once
// Made-up recon sales for the advisor: point-sampled units drawn from populations of
// clearly different volume per acre (or all alike), written as a recon file and
// imported through the command line as a forester's file would be; and the by-hand
// path that a proposal's numbers must equal.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "design/rows.h"
#include "design/stratum.h"
#include "design/workspace_rows.h"
#include "mk/mk.h"
#include "store/schema.h"
#include "support/cli_fixture.h"

namespace advisetest {

struct Rng {
    uint64_t s;
    explicit Rng(uint64_t seed) : s(seed) {}
    double Uniform() {
        s = s * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(s >> 11) / 9007199254740992.0;
    }
    int Poisson(double lambda) {
        double l = std::exp(-lambda), p = 1.0;
        int k = 0;
        do {
            ++k;
            p *= Uniform();
        } while (p > l);
        return k - 1;
    }
};

// One cutting unit of the recon: its recon stratum (1 points, BAF 20; 2 fixed plots
// of 1/10 acre), acres, and the mean number of trees on a plot.
struct UnitSpec {
    int unit;
    int recon;
    double acres;
    double treesPerPlot;
    uint64_t seed;  // equal seeds give equal plots
    int plots = 8;
};

// The units as .svz lines: trees of two species, sawtimber from 9 inches.
inline std::string SvzOf(const std::vector<UnitSpec>& units) {
    std::string out;
    char line[200];
    for (const UnitSpec& u : units) {
        Rng rng(u.seed);
        int tree = 0;
        for (int p = 1; p <= u.plots; ++p) {
            const int n = std::max(1, rng.Poisson(u.treesPerPlot));
            for (int t = 0; t < n; ++t) {
                const double dbh = std::round((8 + 16 * rng.Uniform()) * 10) / 10;
                const double ht = std::round(60 + 80 * rng.Uniform());
                const double vol = 0.005454 * dbh * dbh * ht * 0.4;
                std::snprintf(line, sizeof line, "1,%d,%d,%d,%d,%s,%.1f,%.0f,%.2f,%s,%.0f,%g,%g,%d\n", u.recon, u.unit,
                              p, ++tree, rng.Uniform() < 0.6 ? "DF" : "WH", dbh, ht, vol, dbh >= 9 ? "01" : "02",
                              u.acres, u.recon == 1 ? 20.0 : 0.0, u.recon == 2 ? 10.0 : 0.0, u.plots);
                out += line;
            }
        }
    }
    return out;
}

// A stratum of a design as the design tables hold it.
struct DesignStratum {
    std::string code, method, units;
    int sumN = 0, sumN2 = 0;
    double error = 0, cost = 0;
    bool operator==(const DesignStratum&) const = default;
};

inline std::vector<DesignStratum> DesignOf(const std::string& path, design::SaleTotals* totals = nullptr) {
    std::vector<DesignStratum> out;
    auto st = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
    if (!st) return out;
    mk::View v = st->GetView(schema::kSVDesignTable);
    const design::StratumColumns cols = design::StratumColumns::Of(v);
    std::vector<design::StratumRow> rows;
    for (int r = 0; r < v.RowCount(); ++r) {
        design::StratumRow s = design::ReadStratum(v, cols, r);
        out.push_back({s.stratum, s.cruzMeth, s.units, s.sumN, s.sumN2, s.error, s.strCost});
        rows.push_back(s);
    }
    if (totals) *totals = design::SaleErrorAndCost(rows);
    return out;
}

class SaleTest : public testsupport::CliTest {
protected:
    SaleTest() : CliTest("strovan_advise") {}

    // A cruise file with the recon of these units, its setup tables built, relative
    // costs set, and one stratum per recon stratum.
    std::string MakeSale(const std::string& name, const std::vector<UnitSpec>& units) {
        const std::string svz = scratch_.Path(name + ".svz"), crz = scratch_.Path(name + ".crz");
        testsupport::WriteText(svz, SvzOf(units));
        const std::string stp = std::string(STROVAN_SOURCE_DIR) + "/data/setup/default.stp";
        EXPECT_EQ(Run({"new", "--setup", stp, "--sale", "4711", "--uom", "03", "--force", crz}), 0) << err_.str();
        EXPECT_EQ(Run({"import", crz, svz}), 0) << err_.str();
        EXPECT_EQ(Run({"setup", crz, "--accept", "--yes"}), 0) << err_.str();
        EXPECT_EQ(Run({"costs", crz, "--set", "CrewPlot=90", "--set", "CntPlot=6", "--set", "Trav=12", "--set",
                       "CrewTree=90", "--set", "TreeTally=250", "--set", "Tree3P=80", "--set", "TreeMeas=15", "--set",
                       "Paint=14.50", "--set", "TreePaint=60"}),
                  0)
            << err_.str();
        std::vector<std::string> byRecon[3];
        for (const UnitSpec& u : units) byRecon[u.recon].push_back(std::to_string(u.unit));
        int code = 0;
        for (const auto& list : byRecon) {
            if (list.empty()) continue;
            std::string joined;
            for (const auto& u : list) joined += (joined.empty() ? "" : ",") + u;
            EXPECT_EQ(Run({"strata", crz, "--define", std::to_string(++code), "--units", joined, "--sample-groups",
                           "tree=species,product", "plot=species,product"}),
                      0)
                << err_.str();
        }
        return crz;
    }
};

}  // namespace advisetest
