#pragma once
// The program's own setup file (.stp): every shared table at the current structure,
// a data dictionary row per column, and the structure version. New cruise files are
// copies of a setup file.
#include <string>

#include "mk/mk.h"

namespace app {

// Fills an empty storage with the setup content (not committed).
mk::Status BuildSetup(mk::Storage& storage);
// Writes a complete setup file at path (replacing it).
mk::Status WriteSetupFile(const std::string& path);

}  // namespace app
