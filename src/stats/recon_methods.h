#pragma once
// From the statistics of one sample group to its rows in the per-method table: the
// first sample sizes, frequencies and KZ values of each cruise method of a family.
#include <string>
#include <vector>

#include "design/rows.h"

namespace stats {

// One row of SVMethodsSgTable.
struct MethodSgRow {
    std::string cruzMeth;
    design::SgRow sg;
    int mTrees = 0;  // trees used
    int mPlots = 0;  // plots used
};

// One row of SVMethodsTable.
struct MethodRow {
    std::string select;  // "1.000000" for the stratum's chosen method, "0" otherwise
    design::StratumRow s;
};

// What a sample group's data gave one family of methods. Each `...Default` flag says
// that the value beside it is a stand-in rather than taken from data: its mark is "R".
struct FamilyStats {
    double cvPlot = 100;    // tree family: the CV of tree volumes
    double cvCount = 100;
    double cvTree = 100;    // fixed plots: tree volumes; points: volume-to-basal-area ratios
    double cvHeight = 100;
    double tpa = 1.0;
    double vpa = 1.0;
    double tpp = 6.0;
    double avgHt = 1.0;
    double baf = 0;
    bool cvPlotDefault = true;
    bool cvCountDefault = true;
    bool cvTreeDefault = true;
    bool cvHeightDefault = true;
    bool tpaDefault = true;
    bool vpaDefault = true;
    int mTrees = 0;
    int mPlots = 0;

    // A default-constructed FamilyStats holds the stand-ins of a group whose data give
    // nothing, for every family.
};

struct GroupContext {
    std::string stratum;
    std::string sgCode;
    double acres = 0;
};

// Rows of "100", "STR", "3P", "S3P".
void AppendTreeRows(const GroupContext& g, const FamilyStats& st, std::vector<MethodSgRow>& out);
// Rows of "FIX", "F3P", "FCM".
void AppendFixedRows(const GroupContext& g, const FamilyStats& st, std::vector<MethodSgRow>& out);
// Rows of "PNT", "P3P", "PCM", "3PPNT".
void AppendPointRows(const GroupContext& g, const FamilyStats& st, std::vector<MethodSgRow>& out);

}  // namespace stats
