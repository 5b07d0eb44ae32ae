#pragma once
// Scratch folders and cruise files for the shell's tests.
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <filesystem>
#include <string>
#include <vector>

#include "app/settings.h"
#include "app/setup_file.h"
#include "mk/mk.h"
#include "store/config.h"
#include "store/schema.h"
#include "support/scratch.h"

namespace apptest {

namespace fs = std::filesystem;

using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteText;

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
