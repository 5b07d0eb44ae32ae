#include "app/setup_file.h"

#include "app/settings.h"
#include "store/schema.h"

namespace app {

namespace {
int TypeLength(mk::Type type) {
    switch (type) {
        case mk::Type::Int:
            return 4;
        case mk::Type::Float:
            return 4;
        case mk::Type::Long:
            return 8;
        case mk::Type::Double:
            return 8;
        default:
            return 0;  // text of any length
    }
}

void AddDictionaryRows(mk::View& dict, const std::string& table, const mk::View& layout) {
    for (int c = 0; c < layout.ColumnCount(); ++c) {
        const mk::Field& field = layout.Column(c);
        int r = dict.AddRow();
        dict.SetString(r, schema::kColTableName, table);
        dict.SetString(r, schema::kColColumnName, field.name);
        dict.SetString(r, schema::kColFieldType, std::string(1, static_cast<char>(field.type)));
        dict.SetString(r, schema::kColDescription, field.name + " of " + table);
        dict.SetString(r, schema::kColIsUsed, "Y");
        dict.SetInt(r, schema::kColLength, TypeLength(field.type));
        dict.SetInt(r, "Order1", c + 1);
    }
}
}  // namespace

mk::Status BuildSetup(mk::Storage& storage) {
    auto dict = storage.GetAs(schema::kDataDictionaryUpdaterDesc);
    if (!dict) return dict.error();
    for (const schema::SharedTable& t : schema::SharedTables()) {
        auto layout = storage.GetAs(t.description);
        if (!layout) return layout.error();
        AddDictionaryRows(*dict, t.name, *layout);
    }
    auto config = storage.GetAs(schema::kGlobalConfigurationTableDesc);
    if (!config) return config.error();
    AddSetting(*config, schema::kBlockGeneral, schema::kKeyStructureVersion,
               schema::kCurrentVersion);
    return {};
}

mk::Status WriteSetupFile(const std::string& path) {
    auto storage = mk::Storage::Create(path);
    if (!storage) return storage.error();
    mk::Status built = BuildSetup(*storage);
    if (!built) return built;
    return storage->Commit();
}

}  // namespace app
