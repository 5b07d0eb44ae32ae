#pragma once
// A generated design of any size written into a cruise file's tables, every method in
// turn, for benchmarks, the documentation's pictures and tests at scale.
#include <string>

namespace mk { class Storage; }

namespace reports {

struct SampleShape {
    int strata = 99;
    int groups = 24;  // sample groups per stratum
    int units = 400;
    int species = 6;
    std::string uom = "01";
    unsigned seed = 17;
};

// Fills CruiseTable, SVUnitsTable, SVSummaryTable, SVDesignTable, SVDesignSgTable,
// SVMethodsSgTable, SVSelAutoFill and the UOM and Type settings (not committed).
void WriteSampleDesign(mk::Storage& storage, const SampleShape& shape = {});

}  // namespace reports
