#pragma once
// Summary rows held in memory, for the tests of the strata and sample-group steps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/diameter_ranges.h"
#include "setup/strata_rows.h"

namespace setuptest {

// A recon row of one item, unchanged so far.
inline setup::SumRow Row(const std::string& unit, const std::string& sp, const std::string& prod = "01",
                         const std::string& ld = "L", const std::string& stratum = "") {
    setup::SumRow r;
    r[setup::kRecon] = "1";
    r[setup::kCutUnit] = unit;
    r[setup::kSpecies] = sp;
    r[setup::kProd] = prod;
    r[setup::kLD] = ld;
    r[setup::kStratum] = stratum;
    r[setup::kModify] = "N";
    return r;
}

inline std::vector<std::string> Col(const std::vector<setup::SumRow>& rows, setup::Col c) {
    std::vector<std::string> out;
    for (const setup::SumRow& r : rows) out.push_back(r[c]);
    return out;
}

inline std::vector<setup::DiameterRange> Ranges(const std::string& text) {
    std::vector<setup::DiameterRange> out;
    std::string error;
    EXPECT_TRUE(setup::ParseRangeList(text, out, error)) << error;
    return out;
}

}  // namespace setuptest
