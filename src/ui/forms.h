#pragma once
// The shell's modal forms, run with UiPort::RunForm like every form (ui/form.h). The
// logic object implements the form interface; a front end shows its fields, copies
// the controls back before it calls a handler, and closes the form with OK only when
// OnOk() agrees.
#include <array>
#include <string>

#include "ui/form.h"

namespace ui {

// --- Cruise identification ("Create New Cruise") ---------------------------------

inline constexpr const char* kNewCruiseFormId = "app.new_cruise";
inline constexpr const char* kNewCruiseTitle = "Create New Cruise";
// The same form writing the design into a new file for the field program.
inline constexpr const char* kFieldCruiseTitle = "Create Field Cruise File";
// The same form on a file that exists already.
inline constexpr const char* kEditCruiseTitle = "Edit Cruise Information";

// Modes of the cruise identification form.
inline constexpr int kModeNewDesign = 0;    // new design cruise from a setup file
inline constexpr int kModeFieldCruise = 1;  // field cruise file
inline constexpr int kModeEditInfo = 2;     // edit the cruise information
inline constexpr int kModeMissingInfo = 9;  // file without cruise information

inline constexpr int kSaleNoMax = 5;
inline constexpr int kCodeMax = 2;  // region, forest, district
inline constexpr int kSaleNameMax = 25;

inline constexpr std::array<const char*, 4> kPurposeEntries = {"Timber Sale", "Check Cruise",
                                                               "Right of Way", "Other"};
inline constexpr std::array<const char*, 2> kUnitEntries = {"01", "03"};
// What the unit list shows for each stored code.
inline constexpr std::array<const char*, 2> kUnitNames = {"Board feet", "Cubic feet"};
inline constexpr std::array<const char*, 3> kCruiseTypeEntries = {"Recon", "Production", "Design"};

struct SaleFields {
    std::string setup_file;
    std::string sale_no;
    std::string cruise_no;
    std::string cal_year;
    std::string region;
    std::string forest;
    std::string district;
    std::string sale_name;
    std::string purpose;      // code: "TS", "CC", "ROW", "OTH"
    std::string uom;          // "01" or "03"
    std::string cruise_type;  // "Recon", "Production", "Design"
    std::string output_file;  // chosen on OK (modes 0 and 1)
};

// Which optional controls a mode shows; the rest are hidden and disabled.
struct NewCruiseLayout {
    bool setup = false;  // setup file with "Browse"
    bool purpose = false;
    bool unit = false;
    bool type = false;
};

inline NewCruiseLayout LayoutForMode(int mode) {
    switch (mode) {
        case kModeNewDesign:
            return {true, false, true, false};
        case kModeFieldCruise:
            return {false, true, false, false};
        case kModeEditInfo:
            return {false, false, true, true};
        default:
            return {false, false, true, false};
    }
}

class NewCruiseForm : public Form {
public:
    std::string FormId() const override { return kNewCruiseFormId; }
    // Creating a file is titled as such; the cruise information of an open file is
    // edited.
    std::string Title() const override {
        int m = Mode();
        if (m == kModeFieldCruise) return kFieldCruiseTitle;
        return m == kModeEditInfo || m == kModeMissingInfo ? kEditCruiseTitle : kNewCruiseTitle;
    }
    virtual int Mode() const = 0;
    virtual SaleFields& Fields() = 0;
    virtual void OnBrowse() = 0;
    // The user picked an entry of the unit list / the purpose list.
    virtual void OnUnitChosen(const std::string& unit) = 0;
    virtual void OnPurposeChosen(const std::string& entry) = 0;
    // True when the form may close with OK.
    virtual bool OnOk() = 0;
};

// --- Relative cruising costs ------------------------------------------------------

inline constexpr const char* kCostsFormId = "app.costs";
inline constexpr const char* kCostsTitle = "Setup Relative Cruising Costs";

inline constexpr int kCostFieldCount = 9;

// The fields in the order the form lays them out.
enum CostField {
    kCrewPlot,
    kCntPlot,
    kTrav,
    kCrewTree,
    kTreeTally,
    kTree3P,
    kTreeMeas,
    kPaint,
    kTreePaint
};

// Only the paint fields take free text; the others accept digits alone.
inline bool CostFieldDigitsOnly(int field) { return field != kPaint && field != kTreePaint; }

// What each field holds, for messages about it, and the unit shown beside it.
inline constexpr std::array<const char*, kCostFieldCount> kCostFieldNames = {
    "Hourly cost of the plot crew", "Count plots per hour",         "Time to traverse 10 chains",
    "Hourly cost of the tree crew", "Trees tallied per hour",       "Trees 3P'd per hour",
    "Trees measured per hour",      "Cost of a quart of marker paint", "Trees marked per can"};
inline constexpr std::array<const char*, kCostFieldCount> kCostFieldUnits = {
    "$ per hour",     "plots per hour", "minutes",     "$ per hour",  "trees per hour",
    "trees per hour", "trees per hour", "$ per quart", "trees per can"};

class CostsForm : public Form {
public:
    std::string FormId() const override { return kCostsFormId; }
    std::string Title() const override { return kCostsTitle; }
    virtual std::array<std::string, kCostFieldCount>& Values() = 0;
    virtual void OnHelp() = 0;
    virtual bool OnOk() = 0;
};

// The About box.
inline constexpr const char* kAboutTitle = "About Strovan";
inline constexpr const char* kAboutVersion = "Strovan Version 20110422";
inline constexpr const char* kAboutDate = "Release Date:  April 22, 2011";

// Help contexts of the program: each opens its form's section of the user guide.
inline constexpr int kHelpMain = 1;
inline constexpr int kHelpStrataSetup = 2;
inline constexpr int kHelpPopulations = 3;
inline constexpr int kHelpNewCruise = 4;
inline constexpr int kHelpUnits = 5;
inline constexpr int kHelpCosts = 6;
inline constexpr int kHelpDesign = 7;
inline constexpr int kHelpReports = 8;
inline constexpr int kHelpFieldFile = 9;
inline constexpr int kHelpSavedDesigns = 10;

}  // namespace ui
