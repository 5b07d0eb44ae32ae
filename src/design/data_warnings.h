#pragma once
// The check for values that the recon compilation could not compute (marks "R"),
// run before optimising, reporting and writing the field cruise file.
#include <string>
#include <vector>

#include "design/rows.h"
#include "ui/ui_port.h"

namespace design {

// The question text, or empty when no row carries an "R" mark.
std::string DataWarningsText(const std::vector<SgRow>& rows);
// Asks whether to go on when there are invalid values; true to continue.
bool ConfirmDataWarnings(const std::vector<SgRow>& rows, ui::UiPort& ui);

}  // namespace design
