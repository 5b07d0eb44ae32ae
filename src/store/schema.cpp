#include "store/schema.h"

namespace schema {

std::string TableOfDescription(std::string_view description) {
    auto p = description.find('[');
    return std::string(description.substr(0, p));
}

const std::vector<SharedTable>& SharedTables() {
    // TreeTable and the equation tables are laid out by the setup file; these are the
    // layouts our own setup file carries: every column the program or the structure
    // updater names, at the current structure version.
    static const std::vector<SharedTable> tables = {
        {kCruiseTable, kCruiseTableDesc},
        {kCuttingUnitTable, kCuttingUnitTableDesc},
        {kStratumTable, kStratumTableFieldDesc},
        {kSubPopulationTable, kSubPopulationTableDesc},
        {kCountTable, kCountTableDesc},
        {kPlotTable,
         "PlotTable[Stratum:S,CutUnit:S,Plot:S,SlopePct:F,Aspect:I,NullPlot:I,XCoord:S,"
         "YCoord:S,ZCoord:S,GeospatialLink:S,Remark:S,Error:I,CompoundSelection:I]"},
        {kTreeTable,
         "TreeTable[Stratum:S,CutUnit:S,Plot:S,Tree:S,SG:S,Sp:S,ProdP:S,LD:S,CM:S,3Pcode:S,"
         "SDefP:S,TreeCnt:I,KPI:I,DBH:F,TotHt:F,TotCubicVol:D,GCUFTVolPP:D,NCUFTVolPP:D,"
         "GBDFTVolPP:D,NBDFTVolPP:D,GBDFTVolSP:D,NBDFTVolSP:D,GBDFTVolRP:D,ContrSpec:S,"
         "UserDef1:S,UserDef2:S,UserDef3:S,GeospatialLink:S,WgtPP:D,WgtSP:D,BioPr:S,WgtBAT:D,"
         "WgtBBL:D,WgtBBD:D,WgtBFT:D,Error:I,CompoundSelection:I]"},
        {kLogTable, kLogTableDesc},
        {kVolumeEquationTable,
         "VolumeEquationTable[Sp:S,ProdP:S,VolEq:S,TopDIBP:F,TopDIBS:F,StumpHt:F,CalcTotal:I,"
         "CalcBoard:I,CalcCubic:I,CalcCord:I,CalcTopwood:I,Trim:F,SegLength:I,MinLength:I,"
         "MaxLength:I]"},
        {kValueEquationTable,
         "ValueEquationTable[Sp:S,ProdP:S,Grade:S,ValEq:S,Coef1:F,Coef2:F,Coef3:F]"},
        {kWeightEquationTable,
         "WeightEquationTable[Sp:S,ProdP:S,WgtEqLiveDead:S,WgtEqFactor:F,WgtEqPercent:F,"
         "WgtEqFactor2:F,WgtEqPercent2:F,WgtEqSP:S,BioPr:S,BioEqFol:I,BioMoistFol:F,"
         "BioRemvFol:F,BioEqLBr:I,BioMoistLBr:F,BioRemvLBr:F,BioEqDBr:I,BioMoistDBr:F,"
         "BioRemvDBr:F,BioEqTotTree:I,BioMoistTotTree:F,BioRemvTotTree:F]"},
        {kQAEquationTable, "QAEquationTable[Sp:S,ProdP:S,QAEq:S,Coef1:F,Coef2:F,Coef3:F]"},
    };
    return tables;
}

}  // namespace schema
