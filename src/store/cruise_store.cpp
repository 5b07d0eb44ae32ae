#include "store/cruise_store.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>

#include "store/schema.h"
#include "store/text_codec.h"

namespace store {

namespace fs = std::filesystem;

// ---- text in the files ---------------------------------------------------------------

namespace {

std::string DecodeText(std::string_view stored) { return Cp1252ToUtf8(stored); }

bool EncodeText(std::string_view text, std::string& stored, std::string& reason) {
    if (Utf8ToCp1252(text, stored)) return true;
    reason = UnstorableTextReason(text);
    return false;
}

const mk::TextCodec kWindowsText{DecodeText, EncodeText};

// At load time, before any file is opened: whichever part of the program reads or
// writes a text cell then gets the program's text, without converting it itself.
[[maybe_unused]] const bool kWindowsTextInstalled = (mk::SetTextCodec(&kWindowsText), true);

}  // namespace

// ---- text helpers --------------------------------------------------------------------

std::string Trim(std::string_view text) {
    const char* blanks = " \t\r\n";
    auto b = text.find_first_not_of(blanks);
    if (b == std::string_view::npos) return {};
    auto e = text.find_last_not_of(blanks);
    return std::string(text.substr(b, e - b + 1));
}

namespace {
// Length of the leading decimal number of text from `start` (after blanks), 0 when
// there is none. Decimal notation only: "inf", "nan" and hexadecimal are no numbers,
// so a free-text cell such as "info" never reads as infinite.
size_t LeadingNumberLength(std::string_view text, size_t start) {
    auto digit = [&](size_t i) {
        return i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]));
    };
    size_t i = start;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = 0;
    for (; digit(i); ++i) ++digits;
    if (i < text.size() && text[i] == '.')
        for (++i; digit(i); ++i) ++digits;
    if (digits == 0) return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (digit(j)) {
            while (digit(j)) ++j;
            i = j;
        }
    }
    return i - start;
}

// The leading number; false when its value is out of range. from_chars keeps the
// decimal point whatever locale a GUI toolkit has switched to.
bool ReadLeadingNumber(std::string_view text, double& value) {
    value = 0.0;
    size_t start = 0;
    while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
    size_t len = LeadingNumberLength(text, start);
    if (len == 0) return true;
    std::string_view num = text.substr(start, len);
    bool negative = num[0] == '-';
    if (num[0] == '+' || num[0] == '-') num.remove_prefix(1);
    double v = 0.0;
    auto r = std::from_chars(num.data(), num.data() + num.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        // Underflow is harmless (a tiny number is 0); overflow is no usable number.
        size_t e = num.find_first_of("eE");
        bool tiny = e != std::string_view::npos && e + 1 < num.size() && num[e + 1] == '-';
        return tiny;
    }
    if (r.ec != std::errc() || !std::isfinite(v)) return false;
    value = negative ? -v : v;
    return true;
}
}  // namespace

double LeadingDouble(std::string_view text) {
    double v;
    return ReadLeadingNumber(text, v) ? v : 0.0;
}

bool LeadingDoubleInRange(std::string_view text) {
    double v;
    return ReadLeadingNumber(text, v);
}

bool WholeNumber(std::string_view text, double& value) {
    value = 0.0;
    size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
    std::string_view t = text.substr(b, e - b);
    if (t.empty() || LeadingNumberLength(t, 0) != t.size()) return false;
    return ReadLeadingNumber(t, value);
}

long long LeadingInteger(std::string_view text) {
    std::string s(text);
    return std::strtoll(s.c_str(), nullptr, 10);
}

namespace {

std::string Format(const char* fmt, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
}

std::vector<std::string> SplitTrimmed(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        std::string piece = Trim(std::string_view(text).substr(start, comma - start));
        if (!piece.empty()) out.push_back(piece);
        start = comma + 1;
    }
    return out;
}

bool IsReal(char t) { return t == 'D' || t == 'F'; }
bool IsInteger(char t) { return t == 'I' || t == 'L'; }

}  // namespace

// ---- lifecycle -------------------------------------------------------------------------

CCruiseStore::CCruiseStore(ui::UiPort& ui, StoreVariant variant) : ui_(ui), variant_(variant) {
    slots_.resize(variant == StoreVariant::Form ? kFormSlots : kUpdaterSlots);
}

CCruiseStore::~CCruiseStore() {
    if (storage_) Close();
}

int CCruiseStore::Open(const std::string& path) {
    if (storage_) Close();
    if (lock_.Acquire(path) != FileAccess::Ok) return -1;
    auto opened = mk::Storage::Open(path, mk::OpenMode::ReadWrite);
    if (!opened) {
        lock_.Release();
        return -1;
    }
    storage_ = std::make_unique<mk::Storage>(std::move(*opened));
    path_ = path;
    BuildViewList();
    return 0;
}

int CCruiseStore::OpenScratch(mk::Storage storage, const std::string& label) {
    if (storage_) Close();
    storage_ = std::make_unique<mk::Storage>(std::move(storage));
    path_ = label;
    BuildViewList();
    return 0;
}

int CCruiseStore::Close() {
    if (!CheckOpen("Closing MK4")) return -2;
    for (int pass = 0; pass < 2; ++pass)  // derived views first
        for (int i = 0; i < SlotCount(); ++i)
            if (!slots_[i].name.empty() && (slots_[i].base >= 0) == (pass == 0)) CloseView(i);
    path_.clear();
    view_list_.clear();
    storage_.reset();
    lock_.Release();
    return 0;
}

bool CCruiseStore::CheckOpen(const char* context) const {
    if (storage_) return true;
    ReportError(context, -2);
    return false;
}

int CCruiseStore::BuildViewList() {
    if (!CheckOpen("Building List of Views")) return -2;
    view_list_.clear();
    for (const std::string& name : storage_->ViewNames()) {
        if (!view_list_.empty()) view_list_ += ", ";
        view_list_ += name;
    }
    return 0;
}

// ---- slots ---------------------------------------------------------------------------

int CCruiseStore::FindView(const std::string& name) const {
    if (!CheckOpen("Checking for view")) return -2;
    int found = -1;
    for (int i = 0; i < SlotCount(); ++i)
        if (slots_[i].name == name) found = i;
    return found;
}

int CCruiseStore::TakeFreeSlot(const std::string& name) {
    for (int i = 0; i < SlotCount(); ++i) {
        if (slots_[i].name.empty()) {
            slots_[i] = Slot{};
            slots_[i].name = name;
            return i;
        }
    }
    return -1;
}

int CCruiseStore::ReserveSlot(const std::string& name) {
    if (!CheckOpen("In Get View Index")) return -2;
    return TakeFreeSlot(name);
}

int CCruiseStore::ReserveDerivedSlot(const std::string& name, const std::string& base_name) {
    int slot = ReserveSlot(name);
    if (slot < 0) return slot;
    slots_[slot].key = base_name;
    slots_[slot].base = FindView(base_name);
    return slot;
}

int CCruiseStore::OpenView(const std::string& table) {
    const std::string note = "In OpenAView, opening " + table;
    if (!storage_) {
        Log("MK4 file not open", "W", note, "");
        return -2;
    }
    int open = FindView(table);
    if (open >= 0) CloseView(open);
    if (!storage_->HasView(table)) {
        Log("View not instantiated", "W", note, "");
        return -1;
    }
    int slot = TakeFreeSlot(table);
    if (slot < 0) return -1;
    std::string desc = storage_->Structure(table);
    slots_[slot].structure = desc.empty() ? desc : table + "[" + desc + "]";
    slots_[slot].view = storage_->GetView(table);
    return slot;
}

int CCruiseStore::OpenViewAs(const std::string& description) {
    if (!CheckOpen("In Get View Index")) return -2;
    std::string table = schema::TableOfDescription(description);
    int open = FindView(table);
    if (open >= 0) CloseView(open);
    auto view = storage_->GetAs(description);
    if (!view) return -1;
    int slot = TakeFreeSlot(table);
    if (slot < 0) return -1;
    BuildViewList();
    slots_[slot].structure = table + "[" + storage_->Structure(table) + "]";
    slots_[slot].view = *view;
    return slot;
}

int CCruiseStore::OpenSelected(const std::string& table, const std::string& columns,
                               const std::string& selection, const std::string& sort) {
    if (!CheckOpen("Checking for view")) return -2;
    int base = FindView(table);
    if (base < 0) base = OpenView(table);
    if (base < 0) return base;
    mk::View result = slots_[base].view;

    if (!selection.empty()) {
        int scratch = ReserveSlot("SelCrit");
        if (scratch < 0) return scratch;
        std::string fields;
        std::vector<std::pair<std::string, std::string>> pairs;
        bool impossible = false;
        for (const std::string& pair : SplitTrimmed(selection)) {
            auto eq = pair.find('=');
            std::string name = Trim(pair.substr(0, eq));
            std::string value = eq == std::string::npos ? "" : Trim(pair.substr(eq + 1));
            int col = result.FindColumn(name);
            if (col < 0) {
                // A column the table lacks holds only defaults.
                if (!value.empty()) impossible = true;
                continue;
            }
            if (!fields.empty()) fields += ",";
            fields += name + ":" + static_cast<char>(result.Column(col).type);
            pairs.emplace_back(name, value);
        }
        auto key = mk::View::Make(fields);
        if (key) {
            slots_[scratch].view = *key;
            key->AddRow();
            for (const auto& [name, value] : pairs) {
                int kc = key->FindColumn(name);
                char t = static_cast<char>(key->Column(kc).type);
                if (IsReal(t)) key->SetDouble(0, kc, LeadingDouble(value));
                else if (IsInteger(t)) key->SetLong(0, kc, LeadingInteger(value));
                else key->SetString(0, kc, value);
            }
            result = result.Select(*key);
        }
        CloseView(scratch);
        if (impossible) {
            // No row can match: an empty copy with the same columns.
            result = result.Clone();
            result.RemoveAll();
        }
    }
    if (!sort.empty()) result = result.SortOn(SplitTrimmed(sort));
    if (!columns.empty()) result = result.Project(SplitTrimmed(columns));

    int slot = ReserveDerivedSlot(schema::DerivedName(table), table);
    if (slot < 0) return slot;
    slots_[slot].view = result;
    slots_[slot].structure = schema::DerivedName(table) + "[" + result.Description() + "]";
    return slot;
}

int CCruiseStore::CloseView(int slot) {
    if (!CheckOpen("Closing View")) return -2;
    if (!ValidSlot(slot)) return 2;
    Slot& s = slots_[slot];
    if (s.name.empty()) {
        std::cout << "Error in Close a View, **1**\n";
        return 1;
    }
    s = Slot{};
    return 0;
}

int CCruiseStore::CloseViewByName(const std::string& name) {
    if (!storage_) return -1;
    return CloseView(FindView(name));
}

int CCruiseStore::DeleteView(const std::string& table) {
    if (!CheckOpen("Deleting View")) return -2;
    auto fields = mk::ParseFields(storage_->Structure());
    if (!fields) return -1;
    auto& list = *fields;
    auto it = std::find_if(list.begin(), list.end(), [&](const mk::Field& f) {
        return f.name == table && f.type == mk::Type::View;
    });
    if (it == list.end()) return -1;
    list.erase(it);
    for (int i = 0; i < SlotCount(); ++i)
        if (!slots_[i].name.empty() &&
            (slots_[i].name == table || slots_[i].key == table))
            CloseView(i);
    if (!storage_->SetStructure(mk::FormatFields(list))) return -1;
    BuildViewList();
    return 0;
}

int CCruiseStore::DeleteRow(int slot, int row) {
    if (!CheckOpen("Closing View")) return -2;
    if (!ValidSlot(slot)) return -1;
    mk::View& v = slots_[slot].view;
    if (v.RowCount() == 0) return 0;
    if (row < 0 || row >= v.RowCount()) return -1;
    v.RemoveRows(row, 1);
    return v.RowCount();
}

// ---- cells ---------------------------------------------------------------------------

mk::View& CCruiseStore::View(int slot) {
    if (!ValidSlot(slot)) return empty_ = mk::View();
    return slots_[slot].view;
}

const std::string& CCruiseStore::SlotName(int slot) const {
    static const std::string none;
    return ValidSlot(slot) ? slots_[slot].name : none;
}

const std::string& CCruiseStore::SlotStructure(int slot) const {
    static const std::string none;
    return ValidSlot(slot) ? slots_[slot].structure : none;
}

int CCruiseStore::SlotBase(int slot) const { return ValidSlot(slot) ? slots_[slot].base : -1; }

int CCruiseStore::RowCount(int slot) const {
    return ValidSlot(slot) ? slots_[slot].view.RowCount() : 0;
}

std::string CCruiseStore::FormatNumber(double value) const {
    return Format(variant_ == StoreVariant::Form ? "%g" : "%.15g", value);
}

const char* CCruiseStore::DictionaryDescription() const {
    return variant_ == StoreVariant::Form ? schema::kDataDictionaryFormDesc
                                          : schema::kDataDictionaryUpdaterDesc;
}

const mk::View* CCruiseStore::CellView(int slot, int row, const std::string& column,
                                       int& col) const {
    if (!ValidSlot(slot)) return nullptr;
    const mk::View& v = slots_[slot].view;
    col = v.FindColumn(column);
    if (col < 0 || row < 0 || row >= v.RowCount()) return nullptr;
    return &v;
}

Cell CCruiseStore::GetCell(int slot, int row, const std::string& column) const {
    Cell cell;
    int col;
    const mk::View* v = CellView(slot, row, column, col);
    if (!v) return cell;
    cell.type = static_cast<char>(v->Column(col).type);
    switch (cell.type) {
        case 'S': cell.text = v->GetString(row, col); break;
        case 'B': cell.text = v->GetBytes(row, col); break;
        case 'I': case 'L': cell.integer = v->GetLong(row, col); break;
        case 'F': case 'D': cell.real = v->GetDouble(row, col); break;
        default: break;
    }
    return cell;
}

int CCruiseStore::GetDouble(int slot, int row, const std::string& column, double& out) const {
    Cell c = GetCell(slot, row, column);
    out = 0;
    if (IsReal(c.type)) out = c.real;
    else if (IsInteger(c.type)) out = static_cast<double>(c.integer);
    else if (c.type == 'S') out = LeadingDouble(c.text);
    else return 1;
    return 0;
}

namespace {

// Values beyond an int saturate at its limits rather than wrap; NaN reads as 0.
int SaturatedInt(int64_t v) {
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

int SaturatedInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(v);
}

}  // namespace

int CCruiseStore::GetInt(int slot, int row, const std::string& column, int& out) const {
    Cell c = GetCell(slot, row, column);
    out = 0;
    if (IsReal(c.type)) out = SaturatedInt(c.real + 0.5);
    else if (IsInteger(c.type)) out = SaturatedInt(c.integer);
    else if (c.type == 'S') out = SaturatedInt(static_cast<int64_t>(LeadingInteger(c.text)));
    else return 1;
    return 0;
}

int CCruiseStore::GetString(int slot, int row, const std::string& column,
                            std::string& out) const {
    Cell c = GetCell(slot, row, column);
    out.clear();
    if (IsReal(c.type)) out = FormatNumber(c.real);
    else if (IsInteger(c.type)) out = std::to_string(c.integer);
    else if (c.type == 'S') out = c.text;
    else return 1;
    return 0;
}

int CCruiseStore::SetDouble(int slot, int row, const std::string& column, double value) {
    int col;
    if (!CellView(slot, row, column, col)) return -1;
    mk::View& v = slots_[slot].view;
    char t = static_cast<char>(v.Column(col).type);
    if (t == 'S') v.SetString(row, col, FormatNumber(value));
    else if (IsInteger(t)) v.SetLong(row, col, static_cast<int64_t>(value + 0.5));
    else if (IsReal(t)) v.SetDouble(row, col, value);
    else return 1;
    return 0;
}

int CCruiseStore::SetInt(int slot, int row, const std::string& column, int value) {
    return SetLong(slot, row, column, value);
}

int CCruiseStore::SetLong(int slot, int row, const std::string& column, int64_t value) {
    int col;
    if (!CellView(slot, row, column, col)) return -1;
    mk::View& v = slots_[slot].view;
    char t = static_cast<char>(v.Column(col).type);
    if (t == 'S') v.SetString(row, col, std::to_string(value));
    else if (IsInteger(t)) v.SetLong(row, col, value);
    else if (IsReal(t)) v.SetDouble(row, col, static_cast<double>(value));
    else return 1;
    return 0;
}

int CCruiseStore::SetString(int slot, int row, const std::string& column,
                            const std::string& value) {
    int col;
    if (!CellView(slot, row, column, col)) return -1;
    mk::View& v = slots_[slot].view;
    char t = static_cast<char>(v.Column(col).type);
    if (t == 'S') {
        // A text without a Windows form leaves the cell, and the next commit fails.
        const bool refused = !UnstorableTextReason(value).empty() && v.GetString(row, col) != value;
        v.SetString(row, col, value);
        if (refused) return 2;
    } else if (IsInteger(t)) v.SetLong(row, col, LeadingInteger(value));
    else if (IsReal(t)) v.SetDouble(row, col, LeadingDouble(value));
    else if (t == 'B') v.SetBytes(row, col, value);
    else return 1;
    return 0;
}

int CCruiseStore::Rewrite(const std::string& table) {
    if (!CheckOpen("Checking for view")) return -2;
    int slot = FindView(table);
    bool opened_here = slot < 0;
    if (opened_here) slot = OpenView(table);
    if (slot < 0) return slot;
    mk::View& v = slots_[slot].view;
    for (int r = 0; r < v.RowCount(); ++r) {
        for (int c = 0; c < v.ColumnCount(); ++c) {
            const std::string& name = v.Column(c).name;
            std::string text;
            if (GetString(slot, r, name, text) == 0) SetString(slot, r, name, text);
        }
    }
    if (opened_here) CloseView(slot);
    return slot;
}

// ---- commit, log, errors --------------------------------------------------------------

int CCruiseStore::MarkChanged(int slot) {
    if (!ValidSlot(slot) || slots_[slot].name.empty()) return -1;
    slots_[slot].changed = true;
    return 0;
}

int CCruiseStore::ReplaceView(int slot, const mk::View& view) {
    if (!ValidSlot(slot) || slots_[slot].name.empty()) return -1;
    slots_[slot].view = view;
    slots_[slot].detached = true;
    return 0;
}

int CCruiseStore::WriteBack(Slot& s) {
    // Slots normally hold handles on their stored table, which see every change; only a
    // detached set of rows has to be put back.
    if (!s.detached) return 0;
    mk::View stored = storage_->GetView(s.name);
    if (stored.ColumnCount() == 0) return -1;
    mk::View rows = s.view.Clone();
    stored.RemoveAll();
    for (int r = 0; r < rows.RowCount(); ++r) stored.AddRowFrom(rows, r);
    s.view = stored;
    s.detached = false;
    s.changed = false;
    return 0;
}

int CCruiseStore::Commit() {
    if (!CheckOpen("Committing ata")) return -2;
    if (variant_ == StoreVariant::Updater) {
        for (Slot& s : slots_)
            if (!s.name.empty() && s.changed && s.base < 0) WriteBack(s);
    }
    auto st = storage_->Commit();
    if (!st) {
        if (st.error().code == mk::Errc::Unstorable)
            ui_.MessageBox("ERROR", "The File " + path_ + " could not be saved.\n" + st.error().message,
                           ui::Icon::Stop);
        else
            ReportError("Committing ata", -1);
        return -1;
    }
    return 0;
}

int CCruiseStore::Rollback() {
    if (!CheckOpen("Rolling back")) return -2;
    for (Slot& s : slots_) s = Slot{};
    if (!storage_->Rollback()) {
        Close();
        return -1;
    }
    BuildViewList();
    return 0;
}

int CCruiseStore::Log(const std::string& message, const std::string& level,
                      const std::string& note, const std::string& program) {
    if (variant_ == StoreVariant::Form) return 0;
    if (!storage_) return -2;
    int slot = FindView(schema::kMessageLog);
    bool opened_here = false;
    if (slot < 0) {
        opened_here = true;
        slot = storage_->HasView(schema::kMessageLog) ? OpenView(schema::kMessageLog)
                                                       : OpenViewAs(schema::kMessageLogDesc);
        if (slot < 0) return slot;
    }
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char date[32], time[16];
    std::snprintf(date, sizeof date, "%02d/%02d/%d", tm.tm_mon + 1, tm.tm_mday, tm.tm_year + 1900);
    std::snprintf(time, sizeof time, "%02d:%02d", tm.tm_hour, tm.tm_min);
    mk::View& v = slots_[slot].view;
    int row = v.AddRow();
    const std::pair<const char*, std::string> cells[] = {
        {"Msg", message}, {"Date", date}, {"Time", time},
        {"Level", level}, {"Note", note}, {"Program", program}};
    for (const auto& [column, value] : cells)
        if (v.FindColumn(column) >= 0) v.SetString(row, column, value);
    int rc = Commit();
    if (opened_here) CloseView(slot);
    return rc;
}

int CCruiseStore::SplitList(const std::string& text, mk::View& view) {
    view.RemoveAll();
    int col = view.FindColumn("Item");
    size_t start = 0;
    while (true) {
        size_t comma = text.find(',', start);
        std::string piece = text.substr(start, comma == std::string::npos ? std::string::npos
                                                                          : comma - start);
        int row = view.AddRow();
        if (col >= 0) view.SetString(row, col, piece);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return 0;
}

void CCruiseStore::ReportError(const std::string& context, int code) const {
    char head[96];
    if (code == 0)
        std::snprintf(head, sizeof head, "Operation completed successfully.\n");
    else
        std::snprintf(head, sizeof head, "Internal Error.\nPlease Contact Developer.\nError # %d\n",
                      code);
    ui_.MessageBox("", head + context, ui::Icon::Information, ui::Buttons::Ok);
}

// ---- column rename (updater) ----------------------------------------------------------

int CCruiseStore::RenameColumn(const std::string& table, const std::string& from,
                               const std::string& to) {
    if (!CheckOpen("Checking for view")) return -2;
    int rc = -1;
    auto fields = mk::ParseFields(storage_->Structure());
    if (fields) {
        for (mk::Field& t : *fields) {
            if (t.name != table || t.type != mk::Type::View) continue;
            auto at = std::find_if(t.subfields.begin(), t.subfields.end(),
                                   [&](const mk::Field& f) { return mk::SameName(f.name, from); });
            bool clash = std::any_of(t.subfields.begin(), t.subfields.end(),
                                     [&](const mk::Field& f) { return mk::SameName(f.name, to); });
            if (at == t.subfields.end() || clash || at->type == mk::Type::View) break;
            // Add the new column beside the old, copy the values, then drop the old.
            for (int i = 0; i < SlotCount(); ++i)
                if (!slots_[i].name.empty() && (slots_[i].name == table || slots_[i].key == table))
                    CloseView(i);
            mk::Field renamed = *at;
            renamed.name = to;
            at = t.subfields.insert(at + 1, renamed) - 1;
            if (!storage_->SetStructure(mk::FormatFields(*fields))) break;
            mk::View v = storage_->GetView(table);
            int src = v.FindColumn(from), dst = v.FindColumn(to);
            for (int r = 0; r < v.RowCount(); ++r) {
                switch (v.Column(src).type) {
                    case mk::Type::Int: v.SetInt(r, dst, v.GetInt(r, src)); break;
                    case mk::Type::Long: v.SetLong(r, dst, v.GetLong(r, src)); break;
                    case mk::Type::Float: v.SetFloat(r, dst, v.GetFloat(r, src)); break;
                    case mk::Type::Double: v.SetDouble(r, dst, v.GetDouble(r, src)); break;
                    // Text as stored: bytes without a character survive the move.
                    default: v.SetBytes(r, dst, v.GetBytes(r, src)); break;
                }
            }
            t.subfields.erase(at);
            if (!storage_->SetStructure(mk::FormatFields(*fields))) break;
            rc = 0;
            break;
        }
    }
    // The dictionary follows the table; when the table cannot change, only the row does.
    mk::View dict = storage_->GetView(schema::kDataDictionary);
    for (int r = 0; r < dict.RowCount(); ++r) {
        if (dict.GetString(r, schema::kColTableName) == table &&
            dict.GetString(r, schema::kColColumnName) == from) {
            dict.SetString(r, schema::kColColumnName, to);
            rc = 0;
        }
    }
    BuildViewList();
    return rc;
}

// ---- backup copies ---------------------------------------------------------------------

std::string VersionAsYmd(const std::string& version) {
    // The form is told by the first dot alone, as the version's day number reads it.
    if (version.size() >= 10 && version[2] == '.')
        return version.substr(6, 4) + version.substr(0, 2) + version.substr(3, 2);
    if (version.size() >= 10 && version[4] == '.')
        return version.substr(0, 4) + version.substr(5, 2) + version.substr(8, 2);
    // Any other stored text must not lead the copy into another folder.
    std::string safe = version;
    std::replace_if(safe.begin(), safe.end(), [](char c) { return c == '/' || c == '\\'; }, '_');
    return safe;
}

std::string BackupCopyName(const std::string& path, const std::string& version,
                           const std::string& backup_ext) {
    fs::path p(path);
    std::string ver = version.empty() ? "Unknown" : VersionAsYmd(version);
    std::string base = p.stem().string() + "_v" + ver + p.extension().string() + "." + backup_ext;
    fs::path dir = p.parent_path();
    fs::path candidate = dir / base;
    std::error_code ec;
    for (int n = 1; fs::exists(candidate, ec); ++n)
        candidate = dir / (base + std::to_string(n));
    return candidate.string();
}

}  // namespace store
