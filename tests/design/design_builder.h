#pragma once
// Designs in memory as the recon compilation leaves them: sample groups with their
// statistics, strata summarised from them. For the optimisation tests and benchmarks.
#include <cmath>
#include <string>
#include <vector>

#include "design/rows.h"
#include "design/stratum.h"

namespace design_builder {

using namespace design;

inline const CostFigures kCosts{10, 30, 0.5, 2, 5, 0.25};

inline SgRow Group(double cv, double cv2, double ta, double va, double treesPlot = 6) {
    SgRow g;
    g.sgCV = cv;
    g.sgCV2 = cv2;
    g.treesAcre = ta;
    g.volAcre = va;
    g.treesPlot = treesPlot;
    g.avgHt = 80;
    g.c = g.c2 = g.t = g.v = "N";
    return g;
}

inline void AddStratum(Design& d, const std::string& code, const std::string& method, double acres,
                       std::vector<SgRow> groups, double plotSize = 20, const CostFigures& costs = kCosts) {
    StratumRow s;
    s.stratum = code;
    s.cruzMeth = method;
    s.totAcres = acres;
    s.plotSize = plotSize;
    s.totCircum = 2 * std::sqrt(M_PI * acres * 43560);
    for (SgRow& g : groups) {
        g.stratum = code;
        g.sgN = g.sgN2 = 10;
        g.sgErr = 40;
        d.groups.push_back(g);
    }
    d.strata.push_back(s);
    SummarizeStratum(d.strata.back(), GroupsOf(d, code), SummaryMode::Fill, "01", costs);
}

// Five strata of five methods, two of them with two groups sharing their plots.
inline Design MixedSale() {
    Design d;
    AddStratum(d, "1", "STR", 120, {Group(45, 0, 60, 6000), Group(70, 0, 20, 1500)});
    AddStratum(d, "2", "PNT", 300, {Group(60, 0, 90, 9000), Group(90, 0, 40, 2000)});
    AddStratum(d, "3", "S3P", 80, {Group(50, 35, 40, 5000)});
    AddStratum(d, "4", "PCM", 200, {Group(55, 45, 70, 7000), Group(80, 60, 30, 900)});
    AddStratum(d, "5", "3P", 60, {Group(35, 0, 30, 4000)});
    return d;
}

inline const char* const kAllMethods[] = {"100", "STR", "3P", "S3P", "FIX", "F3P",
                                          "FCM", "PNT", "P3P", "PCM", "PCMTRE", "3PPNT"};

// 99 strata of 24 sample groups, the twelve methods in turn, varied statistics: the
// largest design the program is built for.
inline Design LargeSale(const CostFigures& costs) {
    Design d;
    for (int i = 0; i < 99; ++i) {
        StratumRow s;
        s.stratum = std::to_string(i + 1);
        s.cruzMeth = kAllMethods[i % 12];
        s.totAcres = 40 + (i * 37) % 400;
        s.totCircum = 2 * std::sqrt(M_PI * s.totAcres * 43560);
        s.plotSize = (i % 12) < 7 ? 0.1 : 20;
        for (int j = 0; j < 24; ++j) {
            SgRow g;
            g.stratum = s.stratum;
            g.sgCode.push_back(static_cast<char>('A' + j));
            g.sgCV = 30 + (i * 7 + j * 13) % 90;
            g.sgCV2 = 20 + (i * 3 + j * 11) % 60;
            g.treesAcre = 5 + (i + j * 7) % 60;
            g.volAcre = 200 + (i * 31 + j * 97) % 3000;
            g.treesPlot = 2 + (j % 8);
            g.avgHt = 40 + (j * 5) % 80;
            g.sgN = 10;
            g.sgN2 = 10;
            g.sgErr = 30;
            g.c = g.c2 = g.t = g.v = "N";
            d.groups.push_back(g);
        }
        d.strata.push_back(s);
    }
    auto groups = GroupsByStratum(d);
    for (std::size_t i = 0; i < d.strata.size(); ++i)
        SummarizeStratum(d.strata[i], groups[i], SummaryMode::Fill, "01", costs);
    return d;
}

}  // namespace design_builder
