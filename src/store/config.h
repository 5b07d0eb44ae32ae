#pragma once
// Settings of a cruise file: rows (Block, Key, Value) of GlobalConfigurationTable,
// all text. Older files name the columns sBlock, sKey and sValue.
#include <optional>
#include <string>

#include "mk/mk.h"

namespace store {

// The Value of the first row with this Block and Key; nullopt when there is none.
// Reads either column form and never changes the file's structure.
std::optional<std::string> GetSetting(mk::Storage& storage, const std::string& block,
                                      const std::string& key);
// Sets the first matching row's Value, or adds a row in the column form the table has
// (the current form for a new table). Not committed.
void SetSetting(mk::Storage& storage, const std::string& block, const std::string& key,
                const std::string& value);

// (General, StructureVersion); empty when the file has none.
std::string ReadStructureVersion(mk::Storage& storage);
// The same from a file opened read-only for the look-up; empty when it cannot be read.
std::string ReadStructureVersion(const std::string& path);

}  // namespace store
