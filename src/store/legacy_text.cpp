#include "store/legacy_text.h"

#include "store/cruise_store.h"
#include "store/text_codec.h"

namespace store {

namespace {

bool HasHighByte(std::string_view s) {
    for (char ch : s)
        if (static_cast<unsigned char>(ch) >= 0x80) return true;
    return false;
}

// fn(view, row, col) for every text cell of the view and its subviews; stops when fn
// returns false. False when stopped.
template <class Fn>
bool ForEachTextCell(mk::View v, Fn& fn) {
    for (int c = 0; c < v.ColumnCount(); ++c) {
        const mk::Type type = v.Column(c).type;
        if (type != mk::Type::String && type != mk::Type::View) continue;
        for (int r = 0; r < v.RowCount(); ++r) {
            if (type == mk::Type::View) {
                if (!ForEachTextCell(v.GetSubview(r, c), fn)) return false;
            } else if (!fn(v, r, c)) {
                return false;
            }
        }
    }
    return true;
}

template <class Fn>
void ForEachTextCell(mk::Storage& storage, Fn fn) {
    for (const std::string& name : storage.ViewNames())
        if (!ForEachTextCell(storage.GetView(name), fn)) return;
}

}  // namespace

Utf8TextFound FindUtf8Text(mk::Storage& storage) {
    Utf8TextFound found;
    bool other = false;
    ForEachTextCell(storage, [&](mk::View& v, int r, int c) {
        const std::string bytes = v.GetBytes(r, c);
        if (!HasHighByte(bytes)) return true;
        if (!WellFormedUtf8(bytes)) return !(other = true);
        std::string windows;
        if (found.example.empty() && Utf8ToCp1252(bytes, windows)) found.example = bytes;
        return true;
    });
    found.utf8 = !other && !found.example.empty();
    if (!found.utf8) found.example.clear();
    return found;
}

int ConvertUtf8Text(mk::Storage& storage, std::vector<std::string>* kept) {
    int converted = 0;
    ForEachTextCell(storage, [&](mk::View& v, int r, int c) {
        const std::string bytes = v.GetBytes(r, c);
        if (!HasHighByte(bytes) || !WellFormedUtf8(bytes)) return true;
        std::string windows;
        if (Utf8ToCp1252(bytes, windows)) {
            v.SetBytes(r, c, windows);  // the bytes themselves: no second conversion
            ++converted;
        } else if (kept) {
            kept->push_back(bytes);
        }
        return true;
    });
    return converted;
}

int OfferTextConversion(ui::UiPort& ui, const std::string& path) {
    Utf8TextFound found;
    {
        auto storage = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
        if (!storage) return 0;  // the checks before have judged the file
        found = FindUtf8Text(*storage);
    }
    if (!found.utf8) return 0;
    const std::string garbled = Cp1252ToUtf8(found.example);
    if (!ui.Question("The File:\n\n'" + path + "'\n\nholds text written by an earlier version of " +
                     ui::kAppName + ", which the field and processing programs show garbled (\"" +
                     found.example + "\" as \"" + garbled + "\").\n\nConvert the text now? The original "
                     "is saved as a backup copy first."))
        return 0;
    const std::string backup = MakeBackupCopy(path, "BAK");
    if (backup.empty()) {
        ui.Error("The backup copy of\n\n'" + path + "'\n\ncould not be made.\nThe text was not converted.");
        return -1;
    }
    CCruiseStore store(ui, StoreVariant::Updater);
    if (store.Open(path) != 0) {
        ui.Error("The File " + path + " could not be opened.\nThe text was not converted.", "File Error");
        return -1;
    }
    std::vector<std::string> kept;
    ConvertUtf8Text(*store.Storage(), &kept);
    if (store.Commit() != 0) return -1;  // reported by the store; the file keeps its text
    store.Close();
    std::string text = "The text of the file has been converted.\nThe original has been saved as " + backup + ".";
    if (!kept.empty()) {
        text += "\n\nThese texts hold characters the Windows character set has none for and were left as "
                "they were:";
        for (size_t i = 0; i < kept.size() && i < 10; ++i) text += "\n  " + kept[i];
        if (kept.size() > 10) text += "\n  ... and " + std::to_string(kept.size() - 10) + " more";
    }
    ui.Info(text);
    return 0;
}

}  // namespace store
