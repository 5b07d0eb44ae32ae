#include "store_fixture.h"

#include <random>

#include "store/schema.h"

namespace storetest {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::random_device rd;
    dir_ = fs::temp_directory_path() / ("strovan-store-" + std::to_string(rd()));
    fs::create_directories(dir_);
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
}

void WriteFile(const std::string& path, const std::vector<Table>& tables) {
    auto created = mk::Storage::Create(path);
    ASSERT_TRUE(created.ok()) << created.error().message;
    for (const Table& t : tables) {
        auto view = created->GetAs(t.description);
        ASSERT_TRUE(view.ok()) << t.description;
        for (const auto& cells : t.rows) {
            int r = view->AddRow();
            for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
                switch (view->Column(c).type) {
                    case mk::Type::Int: view->SetInt(r, c, std::stoi("0" + cells[c])); break;
                    case mk::Type::Long: view->SetLong(r, c, std::stoll("0" + cells[c])); break;
                    case mk::Type::Float: view->SetFloat(r, c, std::stof("0" + cells[c])); break;
                    case mk::Type::Double: view->SetDouble(r, c, std::stod("0" + cells[c])); break;
                    default: view->SetString(r, c, cells[c]); break;
                }
            }
        }
    }
    ASSERT_TRUE(created->Commit().ok());
}

Table ConfigTable(const std::string& version, bool old_form) {
    Table t{old_form ? "GlobalConfigurationTable[sBlock:S,sKey:S,sValue:S]"
                     : schema::kGlobalConfigurationTableDesc,
            {{"General", "MRU", "Kelvane"}}};
    if (!version.empty()) t.rows.push_back({"General", "StructureVersion", version});
    return t;
}

Table Dictionary(const std::vector<std::string>& skip_columns) {
    Table t{schema::kDataDictionaryUpdaterDesc, {}};
    for (const auto& table : schema::SharedTables()) {
        auto fields = mk::ParseFields(table.description.substr(
            table.name.size() + 1, table.description.size() - table.name.size() - 2));
        int order = 0;
        for (const mk::Field& f : *fields) {
            std::string key = table.name + "/" + f.name;
            if (std::find(skip_columns.begin(), skip_columns.end(), key) != skip_columns.end())
                continue;
            // TableName, FieldType, Description, ColumnName, IsUsed, Length, Min, Max,
            // Validate, Callbacks, DefaultValue, FieldEdit, CompoundSelection, Order1
            t.rows.push_back({table.name, std::string(1, static_cast<char>(f.type)), f.name, f.name,
                              "Y", "8", "", "", "", "", "", "", "", std::to_string(++order)});
        }
    }
    return t;
}

std::vector<std::string> Column(mk::Storage& s, const std::string& table, const std::string& col) {
    std::vector<std::string> out;
    mk::View v = s.GetView(table);
    for (int r = 0; r < v.RowCount(); ++r) out.push_back(v.GetString(r, col));
    return out;
}

}  // namespace storetest
