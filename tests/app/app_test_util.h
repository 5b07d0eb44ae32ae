#pragma once
// Scratch folders and cruise files for the shell's tests.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/settings.h"
#include "app/setup_file.h"
#include "mk/mk.h"
#include "store/config.h"
#include "store/schema.h"

namespace apptest {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir() {
        std::string tmpl = (fs::temp_directory_path() / "strovan_app_XXXXXX").string();
        dir_ = mkdtemp(tmpl.data());
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

private:
    std::string dir_;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline void MakeSetup(const std::string& path) { ASSERT_TRUE(app::WriteSetupFile(path)); }

// A cruise file with the setup content, sale 12345 "Bear Creek" (unless without
// sale) and the given (block, key, value) settings.
inline void MakeCruise(const std::string& path, bool with_sale = true,
                       std::vector<std::array<std::string, 3>> settings = {}) {
    mk::Storage s;
    {
        auto created = mk::Storage::Create(path);
        ASSERT_TRUE(created);
        s = std::move(*created);
    }
    ASSERT_TRUE(app::BuildSetup(s));
    if (with_sale) {
        auto cruise = s.GetAs(schema::kCruiseTableDesc);
        ASSERT_TRUE(cruise);
        cruise->SetRowCount(1);
        cruise->SetString(0, "SaleNo", "12345");
        cruise->SetString(0, "SaleName", "Bear Creek");
    }
    auto config = s.GetAs(schema::kGlobalConfigurationTableDesc);
    ASSERT_TRUE(config);
    for (const auto& kv : settings) app::AddSetting(*config, kv[0], kv[1], kv[2]);
    ASSERT_TRUE(s.Commit());
}

inline std::optional<std::string> Setting(const std::string& path, const std::string& block,
                                          const std::string& key) {
    auto s = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
    if (!s) return std::nullopt;
    return store::GetSetting(*s, block, key);
}

// Every (block, key, value) row of the file's configuration, in order.
inline std::vector<std::string> ConfigRows(const std::string& path) {
    std::vector<std::string> rows;
    auto s = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
    if (!s) return rows;
    mk::View v = s->GetView(schema::kGlobalConfigurationTable);
    for (int r = 0; r < v.RowCount(); ++r)
        rows.push_back(v.GetString(r, "Block") + "/" + v.GetString(r, "Key") + "=" +
                       v.GetString(r, "Value"));
    return rows;
}

}  // namespace apptest
