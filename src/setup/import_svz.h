#pragma once
// Recon trees from a comma-separated .svz file: 14 fields a line (record, stratum,
// unit, plot, tree, species, DBH, height, net cubic volume, product, unit area, BAF,
// fixed plot size, planned plots). The whole file is read and checked before the
// cruise file is touched; one bad line refuses the file and changes nothing.
#include <string>
#include <string_view>
#include <vector>

#include "mk/mk.h"
#include "ui/ui_port.h"

namespace setup {

inline constexpr int kSvzFields = 14;
// The planned plot count of a unit and stratum may not exceed this: the empty plots
// get placeholder codes counted down from 9999, which must stay positive.
inline constexpr int kMaxPlannedPlots = 9000;

inline constexpr const char* kTreeDataExists = "Tree Data Already Exists.\nCannot Import the File.";

struct SvzTree {
    std::string stratum, unit, plot, tree, species, product;
    double dbh = 0, height = 0, volume = 0;
};

// One (unit, stratum) pair: the values of its first line and its distinct plots.
struct SvzPair {
    std::string unit, stratum;
    double area = 0, baf = 0, fpsize = 0;
    int planned = 0;
    int plots_seen = 0;
};

struct SvzData {
    std::vector<SvzTree> trees;        // file order
    std::vector<SvzPair> pairs;        // order of first appearance
    std::vector<SvzTree> placeholders; // one tree per missing plot
};

struct SvzError {
    int line = 0;   // 1-based physical line; 0 for the file as a whole
    int field = 0;  // 1-based; 0 when the line as a whole is at fault
    std::string reason;
};

// Name of a field for messages ("diameter at breast height").
const char* SvzFieldName(int field);
// Length limit of a field's text.
size_t SvzFieldLimit(int field);

// Parses and checks the whole text; false with the first fault.
bool ParseSvz(std::string_view text, SvzData& data, SvzError& error);

// "The File:\n\n'<path>'\n\nCannot Be Imported.\n\n..." for a fault.
std::string SvzErrorText(const std::string& path, const SvzError& error);

// Writes parsed data into an open storage whose TreeTable is empty: drops the setup
// work tables, fills TreeTable, CuttingUnitTable, StratumTable and PlotTable and sets
// UOM "03". Not committed.
void WriteSvz(mk::Storage& storage, const SvzData& data);

// The whole import on the cruise file at cruise_path, one commit with the update flag
// "Y": 0 imported (and reported), 1 refused with the reason shown; on 1 the cruise
// file is exactly as it was.
int ImportSvz(ui::UiPort& ui, const std::string& cruise_path, const std::string& svz_path);

// The file-open dialog of the import.
ui::FileDialogSpec SvzDialogSpec();

}  // namespace setup
