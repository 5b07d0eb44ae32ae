#pragma once
// The program's layer over one open cruise file: a small table of view slots that
// forms address by index, views by name or derived (selected, sorted, projected) from
// others, cell access with type conversion, row and table deletion, commit, and the
// internal-error report. Two variants: the forms' (12 slots, "%g") and the
// structure updater's (25 slots, "%.15g", write-back of changed slots, message log).
#include <memory>
#include <string>
#include <vector>

#include "mk/mk.h"
#include "store/file_lock.h"
#include "ui/ui_port.h"

namespace store {

enum class StoreVariant { Form, Updater };

// One cell read in its stored type.
struct Cell {
    char type = 0;  // 'S', 'I', 'L', 'F', 'D', 'B', 'V'; 0 when there is no such cell
    std::string text;
    int64_t integer = 0;
    double real = 0.0;
};

class CCruiseStore {
public:
    static constexpr int kFormSlots = 12;
    static constexpr int kUpdaterSlots = 25;
    static constexpr const char* kUpdaterLayerVersion = "01.00.2003.12.10";

    explicit CCruiseStore(ui::UiPort& ui, StoreVariant variant = StoreVariant::Form);
    ~CCruiseStore();
    CCruiseStore(const CCruiseStore&) = delete;
    CCruiseStore& operator=(const CCruiseStore&) = delete;

    // Opens path read/write and holds the file's exclusive lock while open.
    // 0; -1 when the file cannot be opened (nothing is open afterwards).
    int Open(const std::string& path);
    // Works on a storage held in memory (a scratch copy of a file, see
    // mk::Storage::Scratch): no file, no lock; `label` stands in for the path.
    int OpenScratch(mk::Storage storage, const std::string& label);
    int Close();
    int BuildViewList();

    int OpenView(const std::string& table);
    // Opens (creating when absent) a table through a description "Name[...]" in a slot.
    int OpenViewAs(const std::string& description);
    int FindView(const std::string& name) const;
    int ReserveSlot(const std::string& name);
    int ReserveDerivedSlot(const std::string& name, const std::string& base_name);
    int OpenSelected(const std::string& table, const std::string& columns,
                     const std::string& selection, const std::string& sort);
    int CloseView(int slot);
    int CloseViewByName(const std::string& name);
    // Drops a table from the file's structure (the caller commits).
    int DeleteView(const std::string& table);
    int DeleteRow(int slot, int row);

    Cell GetCell(int slot, int row, const std::string& column) const;
    int GetDouble(int slot, int row, const std::string& column, double& out) const;
    int GetInt(int slot, int row, const std::string& column, int& out) const;
    int GetString(int slot, int row, const std::string& column, std::string& out) const;
    int SetDouble(int slot, int row, const std::string& column, double value);
    int SetInt(int slot, int row, const std::string& column, int value);
    int SetLong(int slot, int row, const std::string& column, int64_t value);
    // 2 when a text has no Windows-1252 form: the cell keeps its text, and the next
    // Commit fails with the reason.
    int SetString(int slot, int row, const std::string& column, const std::string& value);

    int Rewrite(const std::string& table);
    int Commit();
    // Drops every uncommitted change and closes every slot: the store is back at the
    // state its file holds. 0; -1 when the file could not be read again (then closed).
    int Rollback();
    int Log(const std::string& message, const std::string& level, const std::string& note,
            const std::string& program);
    // Fills a one-column view (string column Item) with the comma-separated pieces.
    static int SplitList(const std::string& text, mk::View& view);
    void ReportError(const std::string& context, int code) const;

    // Updater variant: marks a slot whose rows commit writes back into its table.
    int MarkChanged(int slot);
    // Puts a detached set of rows into a slot; commit writes them into the table
    // when the slot is marked changed.
    int ReplaceView(int slot, const mk::View& view);
    // Renames a stored column and its data dictionary row; 0, -1 when not found.
    int RenameColumn(const std::string& table, const std::string& from, const std::string& to);

    // Access for the forms.
    bool IsOpen() const { return storage_ != nullptr; }
    const std::string& Path() const { return path_; }
    const std::string& ViewList() const { return view_list_; }
    int SlotCount() const { return static_cast<int>(slots_.size()); }
    bool ValidSlot(int slot) const { return slot >= 0 && slot < SlotCount(); }
    mk::View& View(int slot);                   // an empty view for a bad slot
    const std::string& SlotName(int slot) const;
    const std::string& SlotStructure(int slot) const;
    int SlotBase(int slot) const;
    int RowCount(int slot) const;
    mk::Storage* Storage() { return storage_.get(); }
    StoreVariant Variant() const { return variant_; }
    // "%g" or "%.15g": how this variant writes a number into text.
    std::string FormatNumber(double value) const;

    // The data dictionary description this variant opens.
    const char* DictionaryDescription() const;

private:
    struct Slot {
        std::string name;
        std::string structure;
        mk::View view;
        int base = -1;
        std::string key;
        bool changed = false;
        bool detached = false;
    };

    bool CheckOpen(const char* context) const;
    int TakeFreeSlot(const std::string& name);
    const mk::View* CellView(int slot, int row, const std::string& column, int& col) const;
    int WriteBack(Slot& s);

    ui::UiPort& ui_;
    StoreVariant variant_;
    std::string path_;
    std::unique_ptr<mk::Storage> storage_;
    FileLock lock_;
    std::string view_list_;
    std::vector<Slot> slots_;
    mk::View empty_;
};

// Number parsing of text cells: the leading decimal number, 0 when the text starts
// with none or its value is out of range (never infinite or NaN).
double LeadingDouble(std::string_view text);
// False when the text starts with a number too large for a double ("1e400").
bool LeadingDoubleInRange(std::string_view text);
// True when the trimmed text is one decimal number and nothing else, finite and in
// range ("12", "-0.5", "1e3"; never "inf", "nan", "0x10" or "12 acres").
bool WholeNumber(std::string_view text, double& value);
long long LeadingInteger(std::string_view text);
// Trims blanks (space, tab, CR, LF) at both ends.
std::string Trim(std::string_view text);

// The backup copy made before a structure update: "%s_v%s%s.%s" of the file's stem,
// the version as YYYYMMDD ("Unknown" when the file has none), the file's extension
// and the backup extension, in the file's own folder; ".BAK1", ".BAK2"... when taken.
// Returns the backup path, or an empty string when nothing was copied.
std::string BackupCopyName(const std::string& path, const std::string& version,
                           const std::string& backup_ext);
std::string MakeBackupCopy(const std::string& path, const std::string& backup_ext);
// "02.20.2007" and "2007.02.20" both give "20070220"; other texts come back with folder
// separators replaced.
std::string VersionAsYmd(const std::string& version);

}  // namespace store
