#pragma once
// The design model: one sample-group row (SVDesignSgTable) and one stratum row
// (SVDesignTable) as plain records with the columns of those tables, the stratum
// context that the sample-group formulas need, and the six cost figures.
#include <string>
#include <string_view>
#include <vector>

namespace design {

struct SgRow {
    std::string c, c2, t, v;  // status marks of SgCV, SgCV2, Trees/Acre, Vol/Acre
    std::string stratum;
    std::string sgCode;
    std::string description;
    double sgErr = 0;
    int sgN = 0;
    int sgN2 = 0;
    double sgCV = 0;
    double sgCV2 = 0;
    double treesAcre = 0;
    double volAcre = 0;
    int freq = 0;
    int kz = 0;
    double treesPlot = 0;
    double avgHt = 0;
    double bigBaf = 0;
};

struct StratumRow {
    double totCircum = 0;  // feet
    std::string stratum;
    std::string description;
    std::string units;
    std::string cruzMeth;
    std::string lock;  // a number above 0 locks the stratum during optimisation
    double error = 0;
    int sumN = 0;
    int sumN2 = 0;
    double wtCV = 0;
    double wtCV2 = 0;
    double treesAcre = 0;
    double volAcre = 0;
    double totalVol = 0;
    double totAcres = 0;
    double strCost = 0;
    double treesPlot = 0;
    int plotSpacing = 0;  // feet
    double plotSize = 0;  // BAF for point methods, plot size for fixed plots
    // False when a sample group lacks a size its method needs: the stratum then has no
    // error at all (its stored Error means nothing). Never stored; worked out from the
    // groups by SummarizeStratum and MarkErrorComputable.
    bool errorComputable = true;
};

// What the sample-group formulas need to know of their stratum.
struct StratumContext {
    std::string stratum;
    std::string cruzMeth;
    double totAcres = 0;
    double plotSize = 0;

    static StratumContext Of(const StratumRow& row);
};

struct CostFigures {
    double plot = 0;      // per count plot
    double traverse = 0;  // per 10-chain traverse
    double tally = 0;     // per tallied tree
    double threeP = 0;    // per 3P tree
    double measure = 0;   // per measured tree
    double paint = 0;     // paint per tree
};

// The sample groups of one stratum, in table order. They point into the caller's rows.
using SgRefs = std::vector<SgRow*>;

// The design of a sale: the stratum rows and every sample-group row, in table order.
struct Design {
    std::vector<StratumRow> strata;
    std::vector<SgRow> groups;
};

struct DesignSettings {
    CostFigures costs;
    std::string uom = "01";           // "01" board feet, anything else cubic feet
    bool displayDataWarnings = true;  // the invalid-values check before optimising
};

// The sample groups of one stratum.
SgRefs GroupsOf(Design& design, const std::string& stratum);
// The sample groups of every stratum, in the order of design.strata.
std::vector<SgRefs> GroupsByStratum(Design& design);

enum class SgColumn {
    C, C2, T, V, Stratum, SgCode, Description, SgErr, SgN, SgN2, SgCV, SgCV2,
    TreesAcre, VolAcre, Freq, KZ, TreesPlot, AvgHt, BigBaf, Unknown
};
// By the column name as stored ("Trees/Acre", "SgCV2", ...).
SgColumn SgColumnFromName(std::string_view name);

// Whether the sample sizes that the method's error needs are there (at least 1). A
// group without them has no error, not an error of 0. A 100 % cruise measures every
// tree: it has no sampling error to compute.
bool ErrorComputable(const SgRow& row, std::string_view method);

// The leading number of a text, 0 when there is none.
double ParseNumber(const std::string& text);
bool IsLocked(const StratumRow& row);

}  // namespace design
