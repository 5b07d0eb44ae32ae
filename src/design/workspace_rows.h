#pragma once
// Reading and writing design rows in the work tables: SVDesignSgTable and
// SVMethodsSgTable rows as SgRow, SVDesignTable and SVMethodsTable rows as
// StratumRow. Column positions are looked up once per view; a column the stored
// table lacks (the production layouts have no Lock, PlotSize or BigBaf) is skipped.
#include "design/rows.h"
#include "mk/mk.h"

namespace design {

struct SgColumns {
    int c = -1, c2 = -1, t = -1, v = -1, stratum = -1, sgCode = -1, description = -1, sgErr = -1,
        sgN = -1, sgN2 = -1, sgCV = -1, sgCV2 = -1, treesAcre = -1, volAcre = -1, freq = -1, kz = -1,
        treesPlot = -1, avgHt = -1, bigBaf = -1, cruzMeth = -1;
    static SgColumns Of(const mk::View& view);
};

struct StratumColumns {
    int totCircum = -1, stratum = -1, description = -1, units = -1, cruzMeth = -1, lock = -1,
        error = -1, sumN = -1, sumN2 = -1, wtCV = -1, wtCV2 = -1, treesAcre = -1, volAcre = -1,
        totalVol = -1, totAcres = -1, strCost = -1, treesPlot = -1, plotSpacing = -1, plotSize = -1,
        select = -1;
    static StratumColumns Of(const mk::View& view);
};

SgRow ReadSg(const mk::View& view, const SgColumns& cols, int row);
StratumRow ReadStratum(const mk::View& view, const StratumColumns& cols, int row);

// Writes the cells of `now` that differ from `before` (from the table's own cells when
// `before` is null). The key columns Stratum and SgCode are written too; the method
// column only when `method` is given. Returns the number of cells written.
int WriteSg(mk::View& view, const SgColumns& cols, int row, const SgRow& now, const SgRow* before,
            const std::string* method = nullptr);
// Lock is not written when withLock is false (the method rows have no lock).
int WriteStratum(mk::View& view, const StratumColumns& cols, int row, const StratumRow& now,
                 const StratumRow* before, bool withLock = true);

// StrCost of every row of SVDesignTable and SVMethodsTable worked out anew from the
// cost figures, after the relative costs changed. Returns the number of cells written.
int RecostDesignTables(mk::Storage& storage, const CostFigures& costs);

bool SameSg(const SgRow& a, const SgRow& b);
bool SameStratum(const StratumRow& a, const StratumRow& b);

}  // namespace design
