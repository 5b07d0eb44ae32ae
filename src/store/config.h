#pragma once
// Settings of a cruise file: rows (Block, Key, Value) of GlobalConfigurationTable,
// all text. Older files name the columns sBlock, sKey and sValue.
#include <optional>
#include <string>
#include <vector>

#include "mk/mk.h"

namespace store {

// The Value of the first row with this Block and Key; nullopt when there is none.
// Reads either column form and never changes the file's structure.
std::optional<std::string> GetSetting(mk::Storage& storage, const std::string& block,
                                      const std::string& key);
// Sets the Value of every matching row (a duplicate can never answer with an older
// value), or adds a row in the column form the table has (the current form for a new
// table). Not committed.
void SetSetting(mk::Storage& storage, const std::string& block, const std::string& key,
                const std::string& value);

// One settings row as read, whichever column form holds it.
struct SettingRow {
    std::string block, key, value;
};
// Every settings row in table order; empty without a table. Never restructures.
std::vector<SettingRow> AllSettings(mk::Storage& storage);
// The same from the table's view as stored (either column form, or both).
std::vector<SettingRow> AllSettings(const mk::View& config);

// (General, StructureVersion); empty when the file has none.
std::string ReadStructureVersion(mk::Storage& storage);
// The same from a file opened read-only for the look-up; empty when it cannot be read.
std::string ReadStructureVersion(const std::string& path);

}  // namespace store
