#pragma once
// Temporary cruise files built with the engine, for the store tests.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "mk/mk.h"

namespace storetest {

// A fresh folder per test, removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    const std::filesystem::path& Dir() const { return dir_; }

private:
    std::filesystem::path dir_;
};

struct Table {
    std::string description;                    // "Name[a:S,b:I]"
    std::vector<std::vector<std::string>> rows;  // cells as text, in column order
};

// Writes a storage holding the given tables; cells are set through text conversion.
void WriteFile(const std::string& path, const std::vector<Table>& tables);
// The configuration table with its version row (current or old column form).
Table ConfigTable(const std::string& version, bool old_form = false);
// A data dictionary (updater layout) with one row per column of every shared table,
// Order1 in column order, in use.
Table Dictionary(const std::vector<std::string>& skip_columns = {});

std::vector<std::string> Column(mk::Storage& s, const std::string& table, const std::string& col);

}  // namespace storetest
