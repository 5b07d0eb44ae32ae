#pragma once
// The table model behind every grid of the program: the setup grids, the design form's
// strata and sample-group grids, the unit editor and the report windows.
//
// A GridModel is either bound to a table (a CellSource: a slot of the open cruise
// store, or any engine view) or unbound (the cells live in the model; reports fill it).
// Bound cells are read from the table on demand and written back at once, trimmed, so
// the model does no per-row work when it is bound: a 100,000-row table opens at once
// and a view asks only for the rows it shows.
//
// Presentation (kind, read-only, colours, font, alignment, borders) is layered: the
// grid default, then the column's, then the row's, then the cell's own; a later layer
// overrides only the attributes it sets. Spans, hidden rows and columns, widths, hints,
// the current cell and the modified flag complete the model. The Qt widget
// (gui/grid_widget.h) and the printing (grid/grid_print.h) both draw from it.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "mk/mk.h"

namespace store { class CCruiseStore; }
namespace ui { class UiPort; }

namespace grid {

// ---------------------------------------------------------------------------------
// Colours. Colour numbers stored or given by the program in the Windows form
// (0x00BBGGRR: blue in the high byte) are converted only by FromColorRef.
struct Color {
    uint8_t r = 0, g = 0, b = 0;

    static constexpr Color Rgb(uint8_t r, uint8_t g, uint8_t b) { return Color{r, g, b}; }
    static constexpr Color FromColorRef(uint32_t bgr) {
        return Color{static_cast<uint8_t>(bgr & 0xFF), static_cast<uint8_t>((bgr >> 8) & 0xFF),
                     static_cast<uint8_t>((bgr >> 16) & 0xFF)};
    }
    constexpr uint32_t ToColorRef() const {
        return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16);
    }
    friend constexpr bool operator==(const Color&, const Color&) = default;
};

// Colours the forms use by name.
namespace colors {
inline constexpr Color kBlack = Color::Rgb(0, 0, 0);
inline constexpr Color kWhite = Color::Rgb(255, 255, 255);
inline constexpr Color kReadOnlyGrey = Color::FromColorRef(15000804);  // 228,228,228
inline constexpr Color kMarkRed = Color::FromColorRef(255);            // 255,0,0
inline constexpr Color kMarkBlue = Color::FromColorRef(13107200);      // 0,0,200
inline constexpr Color kGreyText = Color::Rgb(128, 128, 128);
}  // namespace colors

// ---------------------------------------------------------------------------------
// Cell presentation.
enum class CellKind { Text, Number, CheckBox, DropList };
enum class Align { Auto, Left, Center, Right };  // Auto: numbers right, the rest left

struct Font {
    std::string family;  // empty: the grid's font
    double points = 0;   // 0: the grid's size
    bool bold = false;
    bool italic = false;
    int weight = 0;  // 100..900 where a device can show it; 0: as `bold` says
    friend bool operator==(const Font&, const Font&) = default;
};

// Border sides, combined as a bit set.
enum Border : unsigned { kBorderNone = 0, kBorderLeft = 1, kBorderTop = 2, kBorderRight = 4,
                         kBorderBottom = 8, kBorderAll = 15 };

// One layer of presentation: only the attributes set here override the layer below.
struct Style {
    std::optional<CellKind> kind = std::nullopt;
    std::optional<bool> read_only = std::nullopt;
    std::optional<Color> background = std::nullopt;
    std::optional<Color> text_color = std::nullopt;
    std::optional<Font> font = std::nullopt;
    std::optional<Align> align = std::nullopt;
    std::optional<unsigned> borders = std::nullopt;  // Border bits
    std::optional<bool> shaded = std::nullopt;       // filled with the grid's shading colour

    // Attributes set in `over` replace this layer's.
    void Merge(const Style& over);
    bool Empty() const;
};

// The presentation of one cell with every layer applied.
struct CellFormat {
    CellKind kind = CellKind::Text;
    bool read_only = false;
    std::optional<Color> background = std::nullopt;  // none: the window's background
    std::optional<Color> text_color = std::nullopt;  // none: the window's text colour
    Font font;                        // resolved: family and size always set
    Align align = Align::Left;        // resolved: never Auto
    unsigned borders = kBorderNone;
};

struct CellRef {
    int col = 0;
    int64_t row = 0;
    friend bool operator==(const CellRef&, const CellRef&) = default;
};

// A joined block of cells; the top-left cell holds the text.
struct Span {
    int col0 = 0;
    int64_t row0 = 0;
    int col1 = 0;
    int64_t row1 = 0;
    bool Contains(int col, int64_t row) const {
        return col >= col0 && col <= col1 && row >= row0 && row <= row1;
    }
    friend bool operator==(const Span&, const Span&) = default;
};

// One entry of a right-click menu supplied by the form that owns the grid.
struct MenuItem {
    std::string text;  // empty: a separator
    std::function<void()> action;
    bool enabled = true;
    bool checked = false;
    static MenuItem Separator() { return MenuItem{}; }
    bool IsSeparator() const { return text.empty(); }
};

// ---------------------------------------------------------------------------------
// The table a bound grid shows. Rows and columns are the table's; cells are text.
class CellSource {
public:
    virtual ~CellSource() = default;
    virtual int64_t RowCount() const = 0;
    virtual int ColumnCount() const = 0;
    virtual std::string ColumnName(int col) const = 0;
    // 'S', 'I', 'L', 'F', 'D', 'B', 'V' as stored.
    virtual char ColumnType(int col) const = 0;
    virtual std::string Get(int64_t row, int col) const = 0;
    // False when the table refuses the write.
    virtual bool Set(int64_t row, int col, const std::string& text) = 0;
    virtual int64_t AddRow() = 0;  // the new row's index, -1 when refused
    virtual bool RemoveRow(int64_t row) = 0;
};

// A slot of the open cruise store, through the store's own text conversions (numbers
// written with the store's "%g", text to numbers by the leading number).
class StoreSlotSource : public CellSource {
public:
    StoreSlotSource(store::CCruiseStore& store, int slot);
    int64_t RowCount() const override;
    int ColumnCount() const override;
    std::string ColumnName(int col) const override;
    char ColumnType(int col) const override;
    std::string Get(int64_t row, int col) const override;
    bool Set(int64_t row, int col, const std::string& text) override;
    int64_t AddRow() override;
    bool RemoveRow(int64_t row) override;
    int Slot() const { return slot_; }

private:
    store::CCruiseStore& store_;
    int slot_;
};

// Any engine view (a table of any Metakit file). Reals read with "%g", like the forms'
// store; a read-only source refuses every change.
class ViewSource : public CellSource {
public:
    explicit ViewSource(mk::View view, bool read_only = false);
    int64_t RowCount() const override;
    int ColumnCount() const override;
    std::string ColumnName(int col) const override;
    char ColumnType(int col) const override;
    std::string Get(int64_t row, int col) const override;
    bool Set(int64_t row, int col, const std::string& text) override;
    int64_t AddRow() override;
    bool RemoveRow(int64_t row) override;
    mk::View& View() { return view_; }

private:
    mk::View view_;
    bool read_only_;
};

// Text of one engine cell as the grid shows it ("%g" for reals; a subview as its row
// count in brackets; bytes as their length).
std::string CellText(const mk::View& view, int row, int col);

// ---------------------------------------------------------------------------------
// Told when the model changes, so views repaint. The widget's adapter is one.
class GridObserver {
public:
    virtual ~GridObserver() = default;
    // Cell texts or presentation in the block changed.
    virtual void CellsChanged(int col0, int64_t row0, int col1, int64_t row1) = 0;
    // Rows or columns were added, removed, hidden, re-sized or rebound: redo the layout.
    virtual void LayoutChanged() = 0;
    // The current cell moved.
    virtual void CurrentChanged(CellRef) {}
};

struct EditEvent {
    int col = 0;
    int64_t row = 0;
    std::string old_text;
    std::string new_text;  // trimmed, as written
};

struct FindOptions {
    bool match_case = false;
    bool whole_cell = false;
    bool forward = true;
};

// ---------------------------------------------------------------------------------
class GridModel {
public:
    static constexpr int kDefaultColumnWidth = 64;  // pixels
    static constexpr int kDefaultRowHeight = 20;    // pixels
    static constexpr const char* kNotFound = "Item not found";

    GridModel();
    ~GridModel();
    GridModel(const GridModel&) = delete;
    GridModel& operator=(const GridModel&) = delete;

    // ---- Binding --------------------------------------------------------------
    // Binds to a table: one column per table column, headed by its name, in table
    // order; columns stored as numbers are number cells. Columns whose names the previous binding also had keep their width,
    // hidden state, hint, style and lists; row and cell presentation, spans, the
    // current cell and the modified flag are reset.
    void Bind(std::unique_ptr<CellSource> source);
    void BindStore(store::CCruiseStore& store, int slot);
    void BindView(mk::View view, bool read_only = false);
    // Unbound: the model holds cols x rows empty cells of its own.
    void Unbind(int cols = 0, int64_t rows = 0);
    bool IsBound() const { return source_ != nullptr; }
    CellSource* Source() { return source_.get(); }
    // The table's column index of a column name (ignoring case), -1 when absent.
    int FindColumn(const std::string& name) const;

    // ---- Shape ----------------------------------------------------------------
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    int64_t RowCount() const;
    // Unbound only (a bound grid follows its table).
    void SetColumnCount(int n);
    void SetRowCount(int64_t n);
    // Appends an empty row (bound: a new table row) and sets the modified flag;
    // returns its index, -1 when the table refused.
    int64_t AddRow();
    // Removes a row (bound: from the table) and sets the modified flag.
    bool DeleteRow(int64_t row);
    // A bound table's rows changed behind the model (rows added or removed by a
    // command): keeps presentation, redoes the layout.
    void Refresh();

    // ---- Cells ----------------------------------------------------------------
    // The text shown: trimmed of leading and trailing blanks. Empty outside the grid.
    std::string Text(int col, int64_t row) const;
    // Writes trimmed text (bound: into the table at once). No notification, no
    // modified flag: this is the program writing. False outside the grid or refused.
    bool SetText(int col, int64_t row, const std::string& text);
    // The leading number of the text (0 when there is none).
    double Number(int col, int64_t row) const;
    bool SetNumber(int col, int64_t row, double value, const char* format = "%g");
    // Check boxes: checked when the text reads as a non-zero number ("1", "1.000000").
    bool IsChecked(int col, int64_t row) const;
    // Writes the column's check values (default "1" / "0").
    bool SetChecked(int col, int64_t row, bool checked);

    // The user's edit of a cell: refused (false) on read-only or hidden cells, outside
    // the grid, and when the edit check gives a reason (kept in LastRefusal());
    // otherwise writes the trimmed text, sets the modified flag and, unless a rule
    // write is running (see RuleWriteScope), tells the edit handler.
    bool EditCell(int col, int64_t row, const std::string& text);
    // Whether a user's edit would be taken, without writing: empty, or the reason.
    std::string CheckEdit(int col, int64_t row, const std::string& text) const;
    // Why the last user edit was refused; empty after one that was taken.
    const std::string& LastRefusal() const { return last_refusal_; }
    // The user's toggle of a check-box cell; an edit like EditCell.
    bool ToggleCheck(int col, int64_t row);

    // ---- Columns ----------------------------------------------------------------
    std::string Heading(int col) const;
    void SetHeading(int col, const std::string& text);
    int ColumnWidth(int col) const;  // pixels
    void SetColumnWidth(int col, int pixels);
    // Dialog units of the dialogs' font (4 units to its average character, 6 pixels).
    void SetColumnWidthDu(int col, int dialog_units);
    static int DialogUnitsToPixels(int dialog_units) { return (dialog_units * 6 + 2) / 4; }
    // The view sizes the column to its contents (and keeps doing so on rebind).
    void SetAutoWidth(int col, bool on);
    bool AutoWidth(int col) const;
    void SetColumnHidden(int col, bool hidden);
    bool IsColumnHidden(int col) const;
    void SetHint(int col, const std::string& hint);
    std::string Hint(int col) const;
    void SetHintsShown(bool shown);  // off: Hint() still answers, the view shows none
    bool HintsShown() const { return hints_shown_; }
    // Drop-list items and check values of a column.
    void SetDropList(int col, std::vector<std::string> items);
    const std::vector<std::string>& DropList(int col) const;
    void SetCheckValues(int col, std::string checked, std::string unchecked);
    // Sizing to contents without a screen: the widest of the heading and the texts of
    // the first `sample_rows` rows, measured by `measure` (pixels of a text), plus
    // padding.
    void FitColumnWidths(const std::function<int(const std::string&)>& measure,
                         int64_t sample_rows = 200, int padding = 8);

    // ---- Rows -------------------------------------------------------------------
    // Row headings are the row numbers from 1 unless set.
    std::string RowHeading(int64_t row) const;
    void SetRowHeading(int64_t row, const std::string& text);
    void SetRowHeadingsShown(bool shown);
    bool RowHeadingsShown() const { return row_headings_shown_; }
    void SetColumnHeadingsShown(bool shown);
    bool ColumnHeadingsShown() const { return column_headings_shown_; }
    // A hidden row has height 0.
    void SetRowHidden(int64_t row, bool hidden);
    bool IsRowHidden(int64_t row) const;
    const std::set<int64_t>& HiddenRows() const { return hidden_rows_; }
    void SetRowHeight(int64_t row, int pixels);  // 0 hides the row
    int RowHeight(int64_t row) const;            // 0 when hidden
    // Rows whose height differs from the default (hidden rows are not among them).
    const std::unordered_map<int64_t, int>& RowHeights() const { return row_heights_; }
    void SetDefaultRowHeight(int pixels);
    int DefaultRowHeight() const { return default_row_height_; }

    // ---- Presentation -------------------------------------------------------------
    void SetDefaultFont(const Font& font);  // family and size of the whole grid
    const Font& DefaultFont() const { return default_font_; }
    void SetShadingColor(Color c) { shading_ = c; }
    Color ShadingColor() const { return shading_; }
    // Layers (each call merges into what the layer had).
    void SetGridStyle(const Style& s);
    void SetColumnStyle(int col, const Style& s);
    void SetRowStyle(int64_t row, const Style& s);
    void SetCellStyle(int col, int64_t row, const Style& s);
    void ClearCellStyles();  // cell and row layers
    // Shorthands on the cell layer.
    void SetReadOnly(int col, int64_t row, bool ro);
    void SetBackground(int col, int64_t row, Color c);
    void SetTextColor(int col, int64_t row, Color c);
    void SetFont(int col, int64_t row, const Font& f);
    void SetAlign(int col, int64_t row, Align a);
    void SetBorders(int col, int64_t row, unsigned borders);
    void SetBordersRange(int col0, int64_t row0, int col1, int64_t row1, unsigned borders);
    void SetShaded(int col, int64_t row, bool shaded);
    // And on the column layer.
    void SetColumnReadOnly(int col, bool ro);
    void SetColumnKind(int col, CellKind kind);
    void SetColumnAlign(int col, Align a);
    void SetColumnBackground(int col, Color c);
    // Every layer applied.
    CellFormat Format(int col, int64_t row) const;
    bool IsReadOnly(int col, int64_t row) const;
    CellKind Kind(int col, int64_t row) const;

    // ---- Spans --------------------------------------------------------------------
    // Joins a block; false when it overlaps another span or leaves the grid.
    bool Join(int col0, int64_t row0, int col1, int64_t row1);
    void Unjoin(int col, int64_t row);  // removes the span holding the cell
    std::optional<Span> SpanAt(int col, int64_t row) const;
    const std::vector<Span>& Spans() const { return spans_; }

    // ---- Current cell, modified flag --------------------------------------------------
    CellRef Current() const { return current_; }
    int CurrentColumn() const { return current_.col; }
    int64_t CurrentRow() const { return current_.row; }
    void SetCurrent(int col, int64_t row);
    bool IsModified() const { return modified_; }
    void SetModified(bool m) { modified_ = m; }

    // ---- Find ---------------------------------------------------------------------------
    // Looks for text in the shown cells after the current cell (before it when going
    // backwards), wrapping once round the grid. A hit becomes the current cell; a miss
    // shows "Item not found" through ui when given.
    std::optional<CellRef> Find(const std::string& text, const FindOptions& opts = {},
                                ui::UiPort* ui = nullptr);

    // ---- Notifications ----------------------------------------------------------------
    using EditHandler = std::function<void(GridModel&, const EditEvent&)>;
    using ClickHandler = std::function<void(GridModel&, CellRef)>;
    using MenuProvider = std::function<std::vector<MenuItem>(GridModel&, CellRef)>;
    void OnEdit(EditHandler h) { on_edit_ = std::move(h); }
    // The form's check of a user's edit (trimmed text) before anything is written:
    // empty when the text may be stored, otherwise the reason shown to the user.
    using EditCheck =
        std::function<std::string(const GridModel&, int col, int64_t row, const std::string&)>;
    void OnCheckEdit(EditCheck c) { on_check_edit_ = std::move(c); }
    void OnClick(ClickHandler h) { on_click_ = std::move(h); }
    void OnDoubleClick(ClickHandler h) { on_double_click_ = std::move(h); }
    // The right-click menu: the form builds it for the cell clicked.
    void OnRightClick(MenuProvider p) { on_right_click_ = std::move(p); }
    // Called by views: a click makes the cell current and tells the form.
    void Click(int col, int64_t row);
    void DoubleClick(int col, int64_t row);
    // The menu for a right-click on a cell (the cell becomes current); empty when the
    // form offers none.
    std::vector<MenuItem> RightClick(int col, int64_t row);

    // While a scope lives, edits made by the form's rules do not call the edit
    // handler again, so recomputation rules that write cells cannot re-enter.
    class RuleWriteScope {
    public:
        explicit RuleWriteScope(GridModel& m) : m_(m) { ++m_.busy_; }
        ~RuleWriteScope() { --m_.busy_; }
        RuleWriteScope(const RuleWriteScope&) = delete;
        RuleWriteScope& operator=(const RuleWriteScope&) = delete;

    private:
        GridModel& m_;
    };
    bool Busy() const { return busy_ > 0; }

    // ---- Observers ----------------------------------------------------------------------
    void AddObserver(GridObserver* o);
    void RemoveObserver(GridObserver* o);
    // Tells observers that cells changed (after writes the model did not see).
    void NotifyCellsChanged(int col0, int64_t row0, int col1, int64_t row1);
    void NotifyLayoutChanged();

    // ---- Export -------------------------------------------------------------------------
    // The block as tab-separated lines (the clipboard format of spreadsheets).
    std::string CopyText(int col0, int64_t row0, int col1, int64_t row1) const;
    // Comma-separated: a heading line, then every row; hidden rows and columns are left
    // out unless asked for. Fields with commas, quotes or line breaks are quoted.
    void WriteCsv(std::ostream& out, bool include_hidden = false) const;
    static std::string CsvField(const std::string& text);

    // Printing state (see grid_print.h): margins set by the owning window, in mm.
    struct Margins {
        double top = 20, bottom = 20, left = 15, right = 15;
    };
    void SetPrintMargins(const Margins& m) { margins_ = m; }
    const Margins& PrintMargins() const { return margins_; }
    bool Printing() const { return printing_; }
    void SetPrinting(bool p) { printing_ = p; }
    // Rows printed on one page whenever they fit on one (a heading with its first
    // rows): the page breaks before row0 instead of inside the block.
    void KeepTogether(int64_t row0, int64_t row1);
    // The last row kept with `row` when a block starts there, else `row` itself.
    int64_t KeptUntil(int64_t row) const;
    // The title of the window that holds the grid (page text in the top margin).
    void SetTitle(const std::string& t) { title_ = t; }
    const std::string& Title() const { return title_; }

private:
    struct Column {
        std::string name;      // the table's column name (bound)
        std::string heading;
        int width = kDefaultColumnWidth;
        bool auto_width = false;
        bool hidden = false;
        std::string hint;
        Style style;
        std::vector<std::string> drop_items;
        std::string check_on = "1";
        std::string check_off = "0";
    };

    bool InGrid(int col, int64_t row) const;
    uint64_t Key(int col, int64_t row) const { return (uint64_t(row) << 12) | uint64_t(col); }
    std::string RawText(int col, int64_t row) const;
    bool WriteCell(int col, int64_t row, const std::string& trimmed);
    void ShiftRows(int64_t from, int64_t by);  // row-keyed state after a removal
    void ResetRowState();

    std::unique_ptr<CellSource> source_;
    std::vector<Column> columns_;
    // Unbound cells, one vector per row (sized on demand).
    std::vector<std::vector<std::string>> cells_;
    int64_t unbound_rows_ = 0;

    Style grid_style_;
    std::unordered_map<int64_t, Style> row_styles_;
    std::unordered_map<uint64_t, Style> cell_styles_;
    Font default_font_{"MS Sans Serif", 8, false, false};
    Color shading_ = Color::FromColorRef(14474460);

    std::vector<Span> spans_;
    std::unordered_map<uint64_t, size_t> span_index_;  // every covered cell -> span

    std::set<int64_t> hidden_rows_;
    std::unordered_map<int64_t, int> row_heights_;
    std::map<int64_t, std::string> row_headings_;
    std::map<int64_t, int64_t> keep_together_;  // first row -> last row
    int default_row_height_ = kDefaultRowHeight;
    bool row_headings_shown_ = true;
    bool column_headings_shown_ = true;
    bool hints_shown_ = true;

    CellRef current_;
    bool modified_ = false;
    int busy_ = 0;

    EditHandler on_edit_;
    EditCheck on_check_edit_;
    std::string last_refusal_;
    ClickHandler on_click_;
    ClickHandler on_double_click_;
    MenuProvider on_right_click_;
    std::vector<GridObserver*> observers_;

    Margins margins_;
    bool printing_ = false;
    std::string title_;
};

}  // namespace grid
