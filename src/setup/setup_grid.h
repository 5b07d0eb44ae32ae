#pragma once
// A setup work table as the setup grids show it: bound to the stored table (an edit
// is written at once, trimmed), with the presentation rules of each table (hidden and
// read-only columns, colours, check boxes), its right-click menu, Add Row, Delete
// Row and the grid's modified flag. Qt-free; the front end draws it.
#include <optional>
#include <string>
#include <vector>

#include "mk/mk.h"

namespace setup {

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};
inline constexpr Rgb kReadOnlyBack{228, 228, 228};
inline constexpr Rgb kHandRowText{0, 0, 200};
inline constexpr Rgb kTakenRowText{128, 128, 128};

// Right-click menu item texts.
inline constexpr const char* kMenuAddRow = "Add Row";
inline constexpr const char* kMenuDeleteRow = "Delete Row";
inline constexpr const char* kMenuSelectAll = "Select All";
inline constexpr const char* kMenuUnselectAll = "Unselect All";
inline constexpr const char* kMenuLogMethodLookup = "Logging Method Lookup";
inline constexpr const char* kMenuEditUnitTable = "Edit Unit Table";
inline constexpr const char* kMenuQuickStrata = "Quick Strata Setup";
inline constexpr const char* kMenuQuickSg = "Quick SG Setup";
inline constexpr const char* kMenuDefineRanges = "Define Diameter Ranges";
inline constexpr const char* kMenuRemoveRanges = "Remove Defined Diameter Ranges";
inline constexpr const char* kMenuDeleteStrata = "Delete Strata";
inline constexpr const char* kMenuDeleteSampleGroups = "Delete Sample Groups";
inline constexpr const char* kMenuModifyStrata = "Modify Strata Definition";
inline constexpr const char* kMenuDeleteAllStrata = "Delete All Strata";
inline constexpr const char* kMenuAddUnit = "Add Unit To Stratum";
inline constexpr const char* kMenuRemoveUnit = "Remove Unit From Stratum";
// A separator in a menu list.
inline constexpr const char* kMenuSeparator = "";

struct GridOptions {
    bool strata_editing = false;  // SVStrataTable: the strata commands
    bool picking = false;         // SVUnitsTable: Select All / Unselect All / lookup
    bool recon_plot_picking = false;  // the recon plot picking table
};

class SetupGrid {
public:
    SetupGrid() = default;
    SetupGrid(mk::View view, std::string table, GridOptions options = {});

    const std::string& Table() const { return table_; }
    mk::View& View() { return view_; }
    const mk::View& View() const { return view_; }
    const GridOptions& Options() const { return options_; }

    int RowCount() const { return view_.RowCount(); }
    int ColumnCount() const { return view_.ColumnCount(); }
    int FindColumn(const std::string& name) const { return view_.FindColumn(name); }
    // Headings are the column names.
    std::string Heading(int col) const;
    // A cell as the grid shows it: trimmed; numbers as "%g".
    std::string Text(int row, int col) const;

    bool Hidden(int col) const;
    bool ReadOnly(int row, int col) const;
    bool CheckBox(int col) const;
    std::optional<Rgb> Background(int row, int col) const;
    std::optional<Rgb> Foreground(int row, int col) const;

    // Why a cell edit would be refused (a read-only cell, a bad address, or a text the
    // column's value rule refuses, named with what it accepts); empty when it is taken.
    std::string EditRefusal(int row, int col, const std::string& text) const;
    // Writes a cell edit (trimmed) into the table. False, writing nothing, when
    // EditRefusal gives a reason. An edit of a grouping column marks the summary row
    // changed.
    bool SetText(int row, int col, const std::string& text);
    bool SetText(int row, const std::string& column, const std::string& text);
    // Appends an empty row; in SVSummaryTable and SVSelTreeTable it is marked as
    // typed in by hand. Returns its index.
    int AddRow();
    // Removes a row; a first piece of a diameter split hands its mark to the next piece.
    bool DeleteRow(int row);
    // Select column of every row to "1" or "0", except rows already in a stratum.
    void SelectAll(bool select);
    // A single pick: ticks `row` and clears every other row.
    void PickOnly(int row);

    bool Modified() const { return modified_; }
    void SetModified(bool modified = true) { modified_ = modified; }
    // Takes the table again after the rows changed behind the grid: hidden columns
    // are worked out anew and the modified flag is cleared.
    void Rebind();
    // Works out the hidden columns anew, keeping the modified flag.
    void RefreshPresentation();

    // Items of the right-click menu on a column (kMenuSeparator between groups).
    std::vector<std::string> ContextMenu(int col) const;

private:
    void MarkChanged(int row);

    mk::View view_;
    std::string table_;
    GridOptions options_;
    bool modified_ = false;
    bool show_ranges_ = false;
};

// Marks every summary row of a stratum changed ("Y", unless it is "A"), for edits
// that change what the stratum holds without touching its rows' own cells.
void MarkStratumChanged(mk::View& summary, const std::string& stratum);

}  // namespace setup
