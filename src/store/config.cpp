#include "store/config.h"

#include "store/schema.h"

namespace store {

namespace {
struct ConfigColumns {
    int block = -1, key = -1, value = -1;
    bool ok() const { return block >= 0 && key >= 0 && value >= 0; }
};

ConfigColumns FindColumns(const mk::View& v) {
    ConfigColumns c{v.FindColumn(schema::kColBlock), v.FindColumn(schema::kColKey),
                    v.FindColumn(schema::kColValue)};
    if (c.ok()) return c;
    return {v.FindColumn(schema::kColOldBlock), v.FindColumn(schema::kColOldKey),
            v.FindColumn(schema::kColOldValue)};
}

int FindRow(const mk::View& v, const ConfigColumns& c, const std::string& block,
            const std::string& key) {
    for (int r = 0; r < v.RowCount(); ++r)
        if (v.GetString(r, c.block) == block && v.GetString(r, c.key) == key) return r;
    return -1;
}
}  // namespace

std::optional<std::string> GetSetting(mk::Storage& storage, const std::string& block,
                                      const std::string& key) {
    if (!storage.HasView(schema::kGlobalConfigurationTable)) return std::nullopt;
    mk::View v = storage.GetView(schema::kGlobalConfigurationTable);
    ConfigColumns c = FindColumns(v);
    if (!c.ok()) return std::nullopt;
    int row = FindRow(v, c, block, key);
    if (row < 0) return std::nullopt;
    return v.GetString(row, c.value);
}

void SetSetting(mk::Storage& storage, const std::string& block, const std::string& key,
                const std::string& value) {
    auto opened = storage.GetAs(schema::kGlobalConfigurationTableDesc);
    if (!opened) return;
    mk::View& v = *opened;
    ConfigColumns c = FindColumns(v);
    int row = FindRow(v, c, block, key);
    if (row < 0) {
        row = v.AddRow();
        v.SetString(row, c.block, block);
        v.SetString(row, c.key, key);
    }
    v.SetString(row, c.value, value);
}

std::string ReadStructureVersion(mk::Storage& storage) {
    if (!storage.HasView(schema::kGlobalConfigurationTable)) return {};
    mk::View v = storage.GetView(schema::kGlobalConfigurationTable);
    // A table may carry both column forms; the old one answers only when the new has
    // no version row.
    const ConfigColumns forms[] = {
        {v.FindColumn(schema::kColBlock), v.FindColumn(schema::kColKey),
         v.FindColumn(schema::kColValue)},
        {v.FindColumn(schema::kColOldBlock), v.FindColumn(schema::kColOldKey),
         v.FindColumn(schema::kColOldValue)}};
    for (const ConfigColumns& c : forms) {
        if (!c.ok()) continue;
        int row = FindRow(v, c, schema::kBlockGeneral, schema::kKeyStructureVersion);
        if (row >= 0) return v.GetString(row, c.value);
    }
    return {};
}

std::string ReadStructureVersion(const std::string& path) {
    auto opened = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
    if (!opened) return {};
    return ReadStructureVersion(*opened);
}

}  // namespace store
