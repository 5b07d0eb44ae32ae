#include "store/config.h"

#include "store/schema.h"

namespace store {

namespace {
struct ConfigColumns {
    int block = -1, key = -1, value = -1;
    bool ok() const { return block >= 0 && key >= 0 && value >= 0; }
};

ConfigColumns NewForm(const mk::View& v) {
    return {v.FindColumn(schema::kColBlock), v.FindColumn(schema::kColKey),
            v.FindColumn(schema::kColValue)};
}

ConfigColumns OldForm(const mk::View& v) {
    return {v.FindColumn(schema::kColOldBlock), v.FindColumn(schema::kColOldKey),
            v.FindColumn(schema::kColOldValue)};
}

int FindRow(const mk::View& v, const ConfigColumns& c, const std::string& block,
            const std::string& key) {
    if (!c.ok()) return -1;
    for (int r = 0; r < v.RowCount(); ++r)
        if (v.GetString(r, c.block) == block && v.GetString(r, c.key) == key) return r;
    return -1;
}

// The first row with block and key, looked for in the current column form first. A
// table may carry both forms (a file whose old form was never converted, written to
// by a program that knew only the new one); the old form answers only when the new
// one has no such row.
bool Locate(const mk::View& v, const std::string& block, const std::string& key,
            ConfigColumns& cols, int& row) {
    for (const ConfigColumns& c : {NewForm(v), OldForm(v)}) {
        row = FindRow(v, c, block, key);
        if (row >= 0) {
            cols = c;
            return true;
        }
    }
    return false;
}
}  // namespace

std::optional<std::string> GetSetting(mk::Storage& storage, const std::string& block,
                                      const std::string& key) {
    if (!storage.HasView(schema::kGlobalConfigurationTable)) return std::nullopt;
    mk::View v = storage.GetView(schema::kGlobalConfigurationTable);
    ConfigColumns c;
    int row;
    if (!Locate(v, block, key, c, row)) return std::nullopt;
    return v.GetString(row, c.value);
}

void SetSetting(mk::Storage& storage, const std::string& block, const std::string& key,
                const std::string& value) {
    if (storage.HasView(schema::kGlobalConfigurationTable)) {
        mk::View v = storage.GetView(schema::kGlobalConfigurationTable);
        bool found = false;
        for (const ConfigColumns& c : {NewForm(v), OldForm(v)}) {
            if (!c.ok()) continue;
            for (int r = 0; r < v.RowCount(); ++r) {
                if (v.GetString(r, c.block) != block || v.GetString(r, c.key) != key) continue;
                v.SetString(r, c.value, value);
                found = true;
            }
        }
        if (found) return;
        // A table still in the old form gets the row in that form: adding the new
        // columns would hide the settings it holds from readers of the new form.
        ConfigColumns c = OldForm(v);
        if (c.ok() && !NewForm(v).ok()) {
            int row = v.AddRow();
            v.SetString(row, c.block, block);
            v.SetString(row, c.key, key);
            v.SetString(row, c.value, value);
            return;
        }
    }
    auto opened = storage.GetAs(schema::kGlobalConfigurationTableDesc);
    if (!opened) return;
    mk::View& v = *opened;
    ConfigColumns c = NewForm(v);
    int row = v.AddRow();
    v.SetString(row, c.block, block);
    v.SetString(row, c.key, key);
    v.SetString(row, c.value, value);
}

std::vector<SettingRow> AllSettings(mk::Storage& storage) {
    if (!storage.HasView(schema::kGlobalConfigurationTable)) return {};
    return AllSettings(storage.GetView(schema::kGlobalConfigurationTable));
}

std::vector<SettingRow> AllSettings(const mk::View& v) {
    std::vector<SettingRow> rows;
    ConfigColumns now = NewForm(v), old = OldForm(v);
    for (int r = 0; r < v.RowCount(); ++r) {
        // In a table with both forms each row was written in one of them.
        const ConfigColumns& c =
            now.ok() && (!old.ok() || !v.GetString(r, now.key).empty()) ? now : old;
        if (!c.ok()) continue;
        rows.push_back({v.GetString(r, c.block), v.GetString(r, c.key), v.GetString(r, c.value)});
    }
    return rows;
}

std::string ReadStructureVersion(mk::Storage& storage) {
    return GetSetting(storage, schema::kBlockGeneral, schema::kKeyStructureVersion)
        .value_or("");
}

std::string ReadStructureVersion(const std::string& path) {
    auto opened = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
    if (!opened) return {};
    return ReadStructureVersion(*opened);
}

}  // namespace store
