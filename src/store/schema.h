#pragma once
// Every table layout, layout variant and setting key of the cruise file, in one place.
// A description is exactly what the program hands the engine to open a table; the
// engine brings the stored table to that layout.
#include <string>
#include <string_view>
#include <vector>

namespace schema {

// ---- Table names -------------------------------------------------------------------
inline constexpr const char* kCruiseTable = "CruiseTable";
inline constexpr const char* kCuttingUnitTable = "CuttingUnitTable";
inline constexpr const char* kStratumTable = "StratumTable";
inline constexpr const char* kSubPopulationTable = "SubPopulationTable";
inline constexpr const char* kCountTable = "CountTable";
inline constexpr const char* kPlotTable = "PlotTable";
inline constexpr const char* kTreeTable = "TreeTable";
inline constexpr const char* kLogTable = "LogTable";
inline constexpr const char* kVolumeEquationTable = "VolumeEquationTable";
inline constexpr const char* kValueEquationTable = "ValueEquationTable";
inline constexpr const char* kWeightEquationTable = "WeightEquationTable";
inline constexpr const char* kQAEquationTable = "QAEquationTable";
inline constexpr const char* kGlobalConfigurationTable = "GlobalConfigurationTable";
inline constexpr const char* kDataDictionary = "DataDictionary";
inline constexpr const char* kMessageLog = "MessageLog";

inline constexpr const char* kSVUnitsTable = "SVUnitsTable";
inline constexpr const char* kSVStrataTable = "SVStrataTable";
inline constexpr const char* kSVSummaryTable = "SVSummaryTable";
inline constexpr const char* kSVSelTreeTable = "SVSelTreeTable";
inline constexpr const char* kSVFillSGTable = "SVFillSGTable";
inline constexpr const char* kSVSGDiamTable = "SVSGDiamTable";
inline constexpr const char* kSVStrDiamTable = "SVStrDiamTable";
inline constexpr const char* kSVLogMethTable = "SVLogMethTable";
inline constexpr const char* kSVMethodsTable = "SVMethodsTable";
inline constexpr const char* kSVMethodsSgTable = "SVMethodsSgTable";
inline constexpr const char* kSVDesignTable = "SVDesignTable";
inline constexpr const char* kSVDesignSgTable = "SVDesignSgTable";
inline constexpr const char* kSVSelAutoFill = "SVSelAutoFill";
inline constexpr const char* kSelectReconPlot = "SelectReconPlot";
inline constexpr const char* kSVSaveDesignTable = "SVSaveDesignTable";

// The shared tables in the order the data dictionary keeps them.
inline const std::vector<std::string>& DictionaryTableOrder() {
    static const std::vector<std::string> order = {
        kCruiseTable, kCuttingUnitTable, kStratumTable, kSubPopulationTable,
        kCountTable, kPlotTable, kTreeTable, kLogTable,
        kVolumeEquationTable, kValueEquationTable, kWeightEquationTable, kQAEquationTable};
    return order;
}

// ---- Shared tables -----------------------------------------------------------------
inline constexpr const char* kCruiseTableDesc =
    "CruiseTable[SaleNo:S,CruiseNo:S,SaleName:S,Region:S,Forest:S,District:S,MeasSys:S,"
    "CalYear:S,Purpose:S,CruiseType:S,Remarks:S]";
// Reading Region, Forest and District from a setup file.
inline constexpr const char* kCruiseTableSetupDesc =
    "CruiseTable[SaleNo:S,CruiseNo:S,SaleName:S,Region:S,Forest:S,District:S,MeasSys:S,"
    "CalYear:S,Purpose:S]";

inline constexpr const char* kCuttingUnitTableDesc =
    "CuttingUnitTable[CutUnit:S,Area:D,Description:S,LogMeth:S,PayUnit:S,Error:I,"
    "CompoundSelection:I]";
inline constexpr const char* kCuttingUnitTableImportDesc =
    "CuttingUnitTable[CutUnit:S,Area:D,Description:S,LogMeth:S,PayUnit:S]";

inline constexpr const char* kStratumTableFieldDesc =
    "StratumTable[Stratum:S,CruzMeth:S,Units:S,BAF:D,FPSize:D,Month:I,Year:I,Description:S,"
    "Error:I,CompoundSelection:I,Tally_Setup:S]";
inline constexpr const char* kStratumTableSetupDesc =
    "StratumTable[Stratum:S,CruzMeth:S,Units:S,BAF:D,FPSize:D,Month:I,Year:I,Description:S,"
    "Error:I,CompoundSelection:I]";
inline constexpr const char* kStratumTableImportDesc =
    "StratumTable[Stratum:S,CruzMeth:S,Units:S,BAF:D,FPSize:D,Month:I,Year:I,Description:S,"
    "Error:I]";

inline constexpr const char* kSubPopulationTableDesc =
    "SubPopulationTable[Stratum:S,SG:S,Sp:S,UOMP:S,UOMS:S,ProdP:S,ProdS:S,CL:S,LD:S,Freq:I,"
    "KZ:I,Description:S,key:S,CDefP:S,HDefP:S,CDefS:S,HDefS:S,RecDefP:S,YC:S,ContrSpec:S,"
    "TreeGrade:S,MerchHtT:S,MerchHtLL:I,FC:I,DBHBTR:F,AvgZForm:D,TopDIBP:F,TopDIBS:F,DBH:F,"
    "CompoundSelection:I]";
inline constexpr const char* kSubPopulationTableAutoFillDesc =
    "SubPopulationTable[Stratum:S,SG:S,Sp:S,UOMP:S,UOMS:S,ProdP:S,ProdS:S,CL:S,LD:S,Freq:I,"
    "KZ:I,CDefP:S,HDefP:S,CDefS:S,HDefS:S,RecDefP:S,YC:S,ContrSpec:S,TreeGrade:S,MerchHtT:S,"
    "MerchHtLL:I,FC:I,DBHBTR:F,AvgZForm:D,TopDIBP:F,TopDIBS:F,DBH:F,CompoundSelection:I]";

inline constexpr const char* kCountTableDesc =
    "CountTable[CutUnit:S,Stratum:S,SG:S,Sp:S,Freq:I,KZ:I,Count:L,SumKPI:L,Key:S,"
    "Description:S,Error:I,PopNum:I,CompoundSelection:I]";

inline constexpr const char* kPlotTableDesc =
    "PlotTable[Stratum:S,CutUnit:S,Plot:S,SlopePct:I,Aspect:I,NullPlot:I,XCoord:S,YCoord:S,"
    "ZCoord:S,MetaData:S,Remark:S,Error:I,CompoundSelection:I]";
inline constexpr const char* kPlotTableReconDesc =
    "PlotTable[Stratum:S,CutUnit:S,Plot:S,SlopePct:I,Aspect:I,NullPlot:I,XCoord:S,YCoord:S,"
    "ZCoord:S,MetaData:S,Remark:S,Error:I]";

// Recon trees imported from a comma-separated file; otherwise TreeTable is taken by name.
inline constexpr const char* kTreeTableImportDesc =
    "TreeTable[Stratum:S,CutUnit:S,Plot:S,Tree:S,Sp:S,ProdP:S,DBH:F,TotHt:F,NCUFTVolPP:D]";

inline constexpr const char* kLogTableDesc =
    "LogTable[Stratum:S,CutUnit:S,Plot:S,Tree:S,FBSFlag:I,LogNum:S,Grade:S,PctSeenDef:F,"
    "PctRecChip:F,SErD:I,LErD:I,SEDo:F,LEDo:F,SEDi:F,LEDi:F,DBT:F,Length:I,GBDFT:D,GCUFT:D,"
    "NBDFT:D,NCUFT:D,BDFTRem:D,CUFTRem:D,Sort:S,Error:I,Value:F,DIBCls:I,CompoundSelection:I]";

inline constexpr const char* kGlobalConfigurationTableDesc =
    "GlobalConfigurationTable[Block:S,Key:S,Value:S]";

inline constexpr const char* kDataDictionaryFormDesc =
    "DataDictionary[TableName:S,FieldType:S,Description:S,ColumnName:S,IsUsed:S,Length:I,"
    "Max:F,Min:F,Validate:S,Callbacks:S,DefaultValue:S,FieldEdit:S,Order1:I,Order2:I,Order3:I,"
    "Order4:I,Order5:I,Order6:I,Order7:I,Order8:I,Order9:I,Order10:I,Order11:I,Order12:I]";
inline constexpr const char* kDataDictionaryUpdaterDesc =
    "DataDictionary[TableName:S,FieldType:S,Description:S,ColumnName:S,IsUsed:S,Length:I,"
    "Min:S,Max:S,Validate:S,Callbacks:S,DefaultValue:S,FieldEdit:S,CompoundSelection:S,"
    "Order1:I,Order2:I,Order3:I,Order4:I,Order5:I,Order6:I,Order7:I,Order8:I,Order9:I,"
    "Order10:I,Order11:I,Order12:I]";

inline constexpr const char* kMessageLogDesc =
    "MessageLog[MsgNum:S,Msg:S,Date:S,Time:S,Level:S,Note:S,Program:S]";

// ---- Work tables -------------------------------------------------------------------
inline constexpr const char* kSVUnitsTableDesc =
    "SVUnitsTable[Select:S,CutUnit:S,Area:D,Description:S,LogMeth:S,PayUnit:S]";
inline constexpr const char* kSVStrataTableDesc =
    "SVStrataTable[TotCircum:S,Stratum:S,Description:S,Units:S,TotAcres:S,DClassMin:S,"
    "DClassMax:S,SG_Tree:S,SG_Plot:S,Modified:S]";
inline constexpr const char* kSVSummaryTableDesc =
    "SVSummaryTable[Recon:S,DiaFlag:S,Modify:S,CutUnit:S,Stratum:S,SgTree:S,SgPlot:S,"
    "Species:S,Prod:S,LD:S,DMin:S,DMax:S]";
inline constexpr const char* kSVSelTreeTableDesc =
    "SVSelTreeTable[Recon:S,DiaFlag:S,Select:S,Species:S,Prod:S,LD:S,DMin:S,DMax:S,Stratum:S]";
inline constexpr const char* kSVFillSGTableDesc =
    "SVFillSGTable[Recon:S,DiaFlag:S,SgTree:S,SgPlot:S,Species:S,Prod:S,LD:S,DMin:S,DMax:S]";
inline constexpr const char* kSVSGDiamTableDesc = "SVSGDiamTable[SampGroup:S,DMin:S,DMax:S]";
inline constexpr const char* kSVSGDiamTableDialogDesc = "SVSGDiamTable[DMin:S,DMax:S]";
inline constexpr const char* kSVStrDiamTableDesc = "SVStrDiamTable[Stratum:S,DMin:S,DMax:S]";
inline constexpr const char* kSVLogMethTableDesc =
    "SVLogMethTable[Select:S,LogMeth:S,Description:S]";
inline constexpr const char* kSVMethodsTableDesc =
    "SVMethodsTable[TotCircum:D,Stratum:S,Select:S,CruzMeth:S,WtCV:D,WtCV2:D,SumN:I,SumN2:I,"
    "Error:D,Trees/Acre:D,Vol/Acre:D,TotAcres:D,TotalVol:D,PlotSpacing:I,Description:S,"
    "Units:S,StrCost:D,Trees/Plot:D,PlotSize:D]";
inline constexpr const char* kSVMethodsSgTableDesc =
    "SVMethodsSgTable[Stratum:S,CruzMeth:S,SgCode:S,SgCV:D,SgCV2:D,SgN:I,SgN2:I,SgErr:D,"
    "Trees/Acre:D,Vol/Acre:D,Freq:I,KZ:I,Trees/Plot:D,AvgHt:D,Description:S,C:S,C2:S,T:S,V:S,"
    "MTrees:I,MPlots:I,BigBaf:D]";
inline constexpr const char* kSVDesignTableDesc =
    "SVDesignTable[TotCircum:D,Stratum:S,Description:S,Units:S,CruzMeth:S,Lock:S,Error:D,"
    "SumN:I,SumN2:I,WtCV:D,WtCV2:D,Trees/Acre:D,Vol/Acre:D,TotalVol:D,TotAcres:D,StrCost:D,"
    "Trees/Plot:D,PlotSpacing:I,PlotSize:D]";
// Production cruise: no Lock, no PlotSize.
inline constexpr const char* kSVDesignTableProductionDesc =
    "SVDesignTable[TotCircum:D,Stratum:S,Description:S,Units:S,CruzMeth:S,Error:D,SumN:I,"
    "SumN2:I,WtCV:D,WtCV2:D,Trees/Acre:D,Vol/Acre:D,TotalVol:D,TotAcres:D,StrCost:D,"
    "Trees/Plot:D,PlotSpacing:I]";
inline constexpr const char* kSVDesignSgTableDesc =
    "SVDesignSgTable[C:S,C2:S,T:S,V:S,Stratum:S,SgCode:S,Description:S,SgErr:D,SgN:I,SgN2:I,"
    "SgCV:D,SgCV2:D,Trees/Acre:D,Vol/Acre:D,Freq:I,KZ:I,Trees/Plot:D,AvgHt:D,BigBaf:D]";
// Production cruise: no BigBaf.
inline constexpr const char* kSVDesignSgTableProductionDesc =
    "SVDesignSgTable[C:S,C2:S,T:S,V:S,Stratum:S,SgCode:S,Description:S,SgErr:D,SgN:I,SgN2:I,"
    "SgCV:D,SgCV2:D,Trees/Acre:D,Vol/Acre:D,Freq:I,KZ:I,Trees/Plot:D,AvgHt:D]";
inline constexpr const char* kSVSelAutoFillDesc =
    "SVSelAutoFill[Select:S,Sp:S,ProdP:S,LD:S,UOMP:S,ProdS:S,CL:S,TopDIBP:F,TopDIBS:F,CDefP:S,"
    "HDefP:S,CDefS:S,HDefS:S,RecDefP:S,YC:S,ContrSpec:S,TreeGrade:S,MerchHtT:S,MerchHtLL:I,"
    "FC:I,DBHBTR:F,AvgZForm:D,UOMS:S]";
inline constexpr const char* kSelectReconPlotDesc =
    "SelectReconPlot[Select:S,Stratum:S,CruzMeth:S,Units:S]";
// One row per saved design, each nested table a copy of a work table.
inline constexpr const char* kSVSaveDesignTableDesc =
    "SVSaveDesignTable[ID:S,"
    "StrataView[TotCircum:D,Stratum:S,Description:S,Units:S,CruzMeth:S,Lock:S,Error:D,SumN:I,"
    "SumN2:I,WtCV:D,WtCV2:D,Trees/Acre:D,Vol/Acre:D,TotalVol:D,TotAcres:D,StrCost:D,"
    "Trees/Plot:D,PlotSpacing:I,PlotSize:D],"
    "SgView[C:S,C2:S,T:S,V:S,Stratum:S,SgCode:S,Description:S,SgErr:D,SgN:I,SgN2:I,SgCV:D,"
    "SgCV2:D,Trees/Acre:D,Vol/Acre:D,Freq:I,KZ:I,Trees/Plot:D,AvgHt:D],"
    "StrDescView[TotCircum:S,Stratum:S,Description:S,Units:S,TotAcres:S,DClassMin:S,"
    "DClassMax:S,SG_Tree:S,SG_Plot:S,Modified:S],"
    "MethView[TotCircum:D,Stratum:S,Select:S,CruzMeth:S,WtCV:D,WtCV2:D,SumN:I,SumN2:I,Error:D,"
    "Trees/Acre:D,Vol/Acre:D,TotAcres:D,TotalVol:D,PlotSpacing:I,Description:S,Units:S,"
    "StrCost:D,Trees/Plot:D,PlotSize:D],"
    "MethSgView[Stratum:S,CruzMeth:S,SgCode:S,SgCV:D,SgCV2:D,SgN:I,SgN2:I,SgErr:D,"
    "Trees/Acre:D,Vol/Acre:D,Freq:I,KZ:I,Trees/Plot:D,AvgHt:D,Description:S,C:S,C2:S,T:S,V:S,"
    "MTrees:I,MPlots:I],"
    "SumView[Recon:S,DiaFlag:S,Modify:S,CutUnit:S,Stratum:S,SgTree:S,SgPlot:S,Species:S,"
    "Prod:S,LD:S,DMin:S,DMax:S]]";

// Derived views of the store layer are named "D" + table name and never stored.
inline std::string DerivedName(std::string_view table) { return "D" + std::string(table); }

// ---- Field widths ----------------------------------------------------------------------
// Characters the field program's forms and the shared tables take in the text columns
// that the forester types; a longer code would be cut or refused there.
inline constexpr int kWidthSaleNo = 5;          // CruiseTable SaleNo (digits)
inline constexpr int kWidthSaleName = 25;       // CruiseTable SaleName
inline constexpr int kWidthAreaCode = 2;        // CruiseTable Region, Forest, District
inline constexpr int kWidthCutUnit = 3;         // CutUnit
inline constexpr int kWidthPayUnit = 3;         // PayUnit
inline constexpr int kWidthLogMeth = 3;         // LogMeth
inline constexpr int kWidthDescription = 25;    // Description of units, strata, sample groups
inline constexpr int kWidthStratum = 2;         // Stratum ("1" to "99")
inline constexpr int kWidthSgCode = 2;          // SgTree, SgPlot, SgCode, SubPopulationTable SG
inline constexpr int kWidthTreeCode = 7;        // Species, Prod, LD as the recon import takes them
inline constexpr int kWidthDesignId = 25;       // SVSaveDesignTable ID

// ---- Configuration (GlobalConfigurationTable) ------------------------------------------
inline constexpr const char* kColBlock = "Block";
inline constexpr const char* kColKey = "Key";
inline constexpr const char* kColValue = "Value";
// The configuration's columns in older files.
inline constexpr const char* kColOldBlock = "sBlock";
inline constexpr const char* kColOldKey = "sKey";
inline constexpr const char* kColOldValue = "sValue";

inline constexpr const char* kBlockGeneral = "General";
inline constexpr const char* kBlockStrovan = "Strovan";
inline constexpr const char* kBlockProcessing = "Processing";

inline constexpr const char* kKeyStructureVersion = "StructureVersion";
inline constexpr const char* kKeySetup = "Setup";
inline constexpr const char* kKeyMRU = "MRU";
inline constexpr const char* kKeyDirtyFlag = "DirtyFlag";
inline constexpr const char* kKeyType = "Type";
inline constexpr const char* kKeyUpdateFlag = "UpdateFlag";
inline constexpr const char* kKeyUOM = "UOM";
inline constexpr const char* kKeyCustomReport = "Custom Report";

// The nine relative cost keys, in dialog order.
inline constexpr const char* kKeyCrewPlot = "CrewPlot";
inline constexpr const char* kKeyCntPlot = "CntPlot";
inline constexpr const char* kKeyTrav = "Trav";
inline constexpr const char* kKeyCrewTree = "CrewTree";
inline constexpr const char* kKeyTreeTally = "TreeTally";
inline constexpr const char* kKeyTree3P = "Tree3P";
inline constexpr const char* kKeyTreeMeas = "TreeMeas";
inline constexpr const char* kKeyPaint = "Paint";
inline constexpr const char* kKeyTreePaint = "TreePaint";
inline const std::vector<std::string>& CostKeys() {
    static const std::vector<std::string> keys = {kKeyCrewPlot, kKeyCntPlot,  kKeyTrav,
                                                  kKeyCrewTree, kKeyTreeTally, kKeyTree3P,
                                                  kKeyTreeMeas, kKeyPaint,     kKeyTreePaint};
    return keys;
}

// Values of the settings.
inline constexpr const char* kTypeDesign = "Design";
inline constexpr const char* kTypeRecon = "Recon";
inline constexpr const char* kTypeProduction = "Production";
inline constexpr const char* kFlagYes = "Y";
inline constexpr const char* kFlagNo = "N";
inline constexpr const char* kUomBoardFeet = "01";
inline constexpr const char* kUomCubicFeet = "03";
inline constexpr const char* kMruDesign = "Design";
inline constexpr const char* kMruKelvane = "Kelvane";
inline constexpr const char* kMruProcessing = "Processing";
inline constexpr const char* kDirty = "DIRTY";
inline constexpr const char* kClean = "CLEAN";

// ---- Structure versions ------------------------------------------------------------
inline constexpr const char* kVersion2004a = "01.15.2004";
inline constexpr const char* kVersion2004b = "10.31.2004";
inline constexpr const char* kVersion2005 = "04.01.2005";
inline constexpr const char* kVersion2007 = "02.20.2007";
inline constexpr const char* kVersion2008 = "2008.12.19";
inline constexpr const char* kVersion2010 = "2010.03.18";
// The structure this program works on.
inline constexpr const char* kCurrentVersion = kVersion2010;

// ---- Data dictionary columns the store layer uses ----------------------------------
inline constexpr const char* kColTableName = "TableName";
inline constexpr const char* kColIsUsed = "IsUsed";
inline constexpr const char* kColFieldType = "FieldType";
inline constexpr const char* kColColumnName = "ColumnName";
inline constexpr const char* kColLength = "Length";
inline constexpr const char* kColDefaultValue = "DefaultValue";
inline constexpr const char* kColDescription = "Description";

// ---- Cruise methods ----------------------------------------------------------------
// The eleven methods of the method tables, in their fixed order.
inline const std::vector<std::string>& MethodOrder() {
    static const std::vector<std::string> m = {"100", "STR", "3P",  "S3P", "FIX", "F3P",
                                               "FCM", "PNT", "P3P", "PCM", "3PPNT"};
    return m;
}

// Table name of a description "Name[...]" (the whole text when it has no bracket).
std::string TableOfDescription(std::string_view description);
// All shared tables with their full layouts, for building setup files and tests.
struct SharedTable {
    std::string name;
    std::string description;  // "Name[...]"
};
const std::vector<SharedTable>& SharedTables();

}  // namespace schema
