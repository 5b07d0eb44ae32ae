#pragma once
// Our engine for the Metakit 2.4 file format: storages, views, rows and cells, the
// derived views the program needs, and crash-safe commits. No exceptions reach the
// caller: failures are Result values.
//
// Views are cheap handles onto shared table data: two handles on the same stored
// table (or a derived view and its base) see each other's changes.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace mk {

enum class Type : char {
    String = 'S',
    Int = 'I',
    Long = 'L',
    Float = 'F',
    Double = 'D',
    Bytes = 'B',  // M in older files reads as B
    View = 'V',   // nested view
};

enum class Errc {
    Io = 1,          // the file could not be opened, read or written
    NotMetakit,      // not a Metakit file (no valid header/tails)
    Corrupt,         // structure walk or a column is damaged or out of bounds
    BadDescription,  // a description or structure text does not parse
    ReadOnly,        // commit on a storage opened read-only
    NotOpen,         // operation on a closed storage
    NotFound,        // no such view or column
    Unstorable,      // a text the installed text codec has no stored form for
};

struct Error {
    Errc code;
    std::string message;
};

// A small expected<T, Error>: the project is C++20.
template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : v_(std::move(value)) {}
    Result(Error e) : v_(std::move(e)) {}
    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(v_); }
    const T& value() const { return std::get<0>(v_); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    const Error& error() const { return std::get<1>(v_); }

private:
    std::variant<T, Error> v_;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error e) : e_(std::move(e)) {}
    bool ok() const { return !e_.has_value(); }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return *e_; }

private:
    std::optional<Error> e_;
};
using Status = Result<void>;

// One column of a layout. Subviews carry their own columns.
struct Field {
    std::string name;
    Type type = Type::String;
    std::vector<Field> subfields;  // for Type::View
    bool recursive = false;        // name[^]: same columns as the enclosing view
};

// Parses a field list such as "a:S,b:I,sub[c:D]" (no surrounding brackets); a field
// without a type is S; duplicate names (ignoring case) after the first are dropped.
Result<std::vector<Field>> ParseFields(std::string_view text);
// The canonical text of a field list: "name:T" with upper-case letters, "name[...]".
std::string FormatFields(const std::vector<Field>& fields);
// Case-insensitive name comparison, as the file format uses it.
bool SameName(std::string_view a, std::string_view b);

// How the program's strings map to the bytes of text (S) cells. The engine keeps
// bytes exactly as stored; a program whose files hold text in another encoding than
// its strings installs one codec for the whole process. GetString, SetString and
// SetColumn on a text column then pass through it, and only texts holding a byte
// >= 0x80 are handed to it. GetBytes, SetBytes, row copies and dumps stay byte-exact.
// A text that cannot be encoded leaves its cell as it was, and the next Commit or
// SaveAs of its storage fails with the codec's reason, writing nothing. A text that
// decodes to what the cell already shows leaves the cell's bytes alone.
struct TextCodec {
    std::string (*decode)(std::string_view stored);
    // False when the text has no stored form; `reason` then says why.
    bool (*encode)(std::string_view text, std::string& stored, std::string& reason);
};
void SetTextCodec(const TextCodec* codec);  // null: a text is its bytes

namespace detail {
struct ViewImpl;
struct StorageImpl;
}  // namespace detail

class View {
public:
    View();  // an empty, detached view with no columns

    // Shape.
    int RowCount() const;
    int ColumnCount() const;
    const Field& Column(int col) const;
    int FindColumn(std::string_view name) const;  // ignoring case; -1 when absent
    std::string Description() const;              // the columns as this view shows them
    bool IsDerived() const;

    // Rows. On a derived view these act on the base view's rows. A count past what a
    // file can hold (2^31 - 1 rows; 2^30 - 1 with a subview column), or one that
    // memory cannot hold, is refused: false (AddRow: -1) and nothing changes.
    bool SetRowCount(int n);
    int AddRow();  // appends a row of defaults; returns its index
    bool InsertRows(int at, int count = 1);
    void RemoveRows(int at, int count = 1);
    void RemoveAll() { (void)SetRowCount(0); }

    // Cells by column index. A column whose stored type differs from the type asked
    // for converts (text to number by its leading number, number to text); a
    // fractional number read as an integer is cut toward zero.
    std::string GetString(int row, int col) const;
    int32_t GetInt(int row, int col) const;
    int64_t GetLong(int row, int col) const;
    float GetFloat(int row, int col) const;
    double GetDouble(int row, int col) const;
    std::string GetBytes(int row, int col) const;
    View GetSubview(int row, int col) const;  // writes through to this row's cell

    void SetString(int row, int col, std::string_view value);
    void SetInt(int row, int col, int32_t value);
    void SetLong(int row, int col, int64_t value);
    void SetFloat(int row, int col, float value);
    void SetDouble(int row, int col, double value);
    void SetBytes(int row, int col, std::string_view value);

    // A whole column at once: row i takes values[i], for the first min(values, rows)
    // rows, converting as the cell setters do. For tables rebuilt whole, where a call
    // a cell would cost more than the data.
    void SetColumn(int col, std::span<const std::string_view> values);
    void SetColumn(int col, std::span<const int32_t> values);
    void SetColumn(int col, std::span<const double> values);

    // The same by column name; an unknown name reads as the type's default and
    // ignores writes.
    std::string GetString(int row, std::string_view col) const;
    int32_t GetInt(int row, std::string_view col) const;
    int64_t GetLong(int row, std::string_view col) const;
    float GetFloat(int row, std::string_view col) const;
    double GetDouble(int row, std::string_view col) const;
    std::string GetBytes(int row, std::string_view col) const;
    View GetSubview(int row, std::string_view col) const;
    void SetString(int row, std::string_view col, std::string_view value);
    void SetInt(int row, std::string_view col, int32_t value);
    void SetLong(int row, std::string_view col, int64_t value);
    void SetFloat(int row, std::string_view col, float value);
    void SetDouble(int row, std::string_view col, double value);
    void SetBytes(int row, std::string_view col, std::string_view value);

    // Copies every cell of src_row whose column name this view also has (subviews
    // deeply); other cells keep their values.
    void SetRowFrom(int row, const View& src, int src_row);
    int AddRowFrom(const View& src, int src_row);  // AddRow + SetRowFrom

    // Search and derived views. A key is a view whose first row gives the values to
    // match; its columns are matched to this view's by name.
    int Find(const View& key, int start = 0) const;  // first matching row, or -1
    View Select(const View& key) const;              // rows equal in every key column
    // Ascending on cols in order; names listed in `descending` sort descending.
    View SortOn(const std::vector<std::string>& cols,
                const std::vector<std::string>& descending = {}) const;
    View Project(const std::vector<std::string>& cols) const;  // only these columns
    // Select, SortOn and Project write through: a cell set on them is set on the base
    // row, rows added or removed are added to or removed from the base.
    int BaseRow(int row) const;  // the base view's row that this row shows
    View Base() const;           // the view this one is derived from (itself if none)

    // One row per distinct key; the other columns of the group's rows go into a
    // subview column named `subview`. A detached result.
    View GroupBy(const std::vector<std::string>& keys, const std::string& subview) const;
    // Rows of this view extended by the columns of the first row of `other` with the
    // same value in column `key`; rows without a match get defaults. Detached.
    View Join(const View& other, const std::string& key) const;
    // A deep, detached, writable copy.
    View Clone() const;

    // A detached view with the given columns and no rows ("a:S,b:I").
    static Result<View> Make(std::string_view fields);

private:
    friend class Storage;
    friend struct detail::ViewImpl;
    explicit View(std::shared_ptr<detail::ViewImpl> impl);
    std::shared_ptr<detail::ViewImpl> impl_;
};

enum class OpenMode { ReadWrite, ReadOnly };
enum class ByteOrder { Little, Big };

class Storage {
public:
    Storage();  // an in-memory storage bound to no file
    ~Storage();
    Storage(Storage&&) noexcept;
    Storage& operator=(Storage&&) noexcept;
    Storage(const Storage&) = delete;
    Storage& operator=(const Storage&) = delete;

    // Opens an existing file. A 0-byte file is an empty storage.
    static Result<Storage> Open(const std::string& path, OpenMode mode = OpenMode::ReadWrite);
    // Creates (or replaces) a file holding an empty storage.
    static Result<Storage> Create(const std::string& path);
    // A read-only storage decoded from the bytes of a file (bound to no file).
    static Result<Storage> FromBytes(std::string_view bytes);
    // A writable storage decoded from the bytes of a file and bound to no file: its
    // commits succeed and keep the changes in memory only. For work on a copy that
    // the file itself never sees.
    static Result<Storage> Scratch(std::string_view bytes);
    // The storage as it stands (uncommitted changes included), as the bytes of a
    // fresh packed file.
    Result<std::string> Packed() const;

    bool IsOpen() const;
    void Close();  // uncommitted changes are dropped
    const std::string& Path() const;
    ByteOrder Order() const;
    // True when the file's last commit was cut short and the storage was opened at
    // the committed state before it (a state the file still holds).
    bool Recovered() const;

    // The whole structure text: "a[x:S],b[y:I]"; empty for an empty storage.
    std::string Structure() const;
    // The inside of one view's description ("x:S,sub[y:I]"); empty when absent.
    std::string Structure(std::string_view view) const;
    std::vector<std::string> ViewNames() const;
    bool HasView(std::string_view name) const;

    // A stored view with its stored columns; an unknown name gives a detached empty
    // view that is never stored.
    View GetView(std::string_view name);
    // Opens (creating if needed) a view through a description "Name[col:T,...]".
    // Missing columns are added with defaults; stored columns absent from the
    // description stay in the file but are not shown; a column described with
    // another type than stored keeps its stored type and converts on access.
    Result<View> GetAs(std::string_view description);
    // Restructures the whole storage to the given structure text: views and columns
    // not named are dropped, types are converted, order follows the text.
    Status SetStructure(std::string_view structure);

    // Makes the changes durable. Nothing is written when nothing changed. On failure
    // the file still holds the previous committed state.
    Status Commit();
    // While held, Commit() writes nothing and succeeds: the changes wait for a commit
    // after the hold ends, or for Rollback. For a step that must land whole.
    void Hold(bool held);
    bool Held() const;
    // Drops every uncommitted change: the storage is back at the state its file holds
    // (empty when nothing was committed yet). Views taken before no longer reach it.
    Status Rollback();
    // Writes the whole storage as a fresh, packed file at path (atomically replaced).
    // Saving over the storage's own file leaves the storage working on the new file.
    Status SaveAs(const std::string& path) const;

private:
    std::unique_ptr<detail::StorageImpl> impl_;
};

}  // namespace mk
