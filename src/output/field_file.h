#pragma once
// "Make Kelvane": writes the current design of the open cruise file into a new cruise
// file for the field program. The open file is only read. The new file is written
// whole under a temporary name beside the target and renamed into place at the end,
// so a refused, cancelled or failed run leaves no file and never touches an existing
// file of the chosen name.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "mk/mk.h"
#include "ui/forms.h"
#include "ui/ui_port.h"

namespace output {

// The nine cost settings in the order of ui::CostField.
using CostValues = std::array<std::string, ui::kCostFieldCount>;

enum class FieldFileStatus { Created, Refused, Cancelled, Failed };

// One planned stratum of the new file (from the design).
struct FieldStratum {
    std::string stratum;
    std::string cruz_meth;
    std::string units;
    std::string description;
    double plot_size = 0;  // BAF for the point family, plot size for fixed plots
    double baf = 0;
    double fp_size = 0;
};

// One planned sub-population row (species defaults come later).
struct FieldSubPop {
    int stratum = 0;  // index into the planned strata
    std::string sg, sp, prod, ld;
    int freq = 0;
    int kz = 0;
    std::string description;
    std::string key;
};

// What the checks found before anything is written.
struct FieldFileCheck {
    std::vector<std::string> errors;    // the file cannot be made
    std::vector<std::string> warnings;  // it can, but the user should know
};

struct TableCount {
    std::string name;
    int rows = 0;
};

struct FieldFileRequest {
    std::string target;        // path of the new file
    ui::SaleFields sale;       // sale fields and purpose code from the dialog
    CostValues costs;          // the current cost settings
    std::string setup_file;    // (General, Setup); empty: the source's own value
    int month = 0, year = 0;   // of the strata; 0: today
};

class FieldFileWriter {
public:
    // source_path: the open file, which the new file may never replace.
    FieldFileWriter(ui::UiPort& ui, mk::Storage& source, std::string source_path);

    // Reads the design and plans strata and sub-populations.
    const FieldFileCheck& Check();
    const std::vector<FieldStratum>& Strata() const { return strata_; }
    const std::vector<FieldSubPop>& SubPops() const { return subpops_; }

    // Writes the file (Check must have found no error). Shows the selection lists;
    // reports failures itself. Created only when the file is in place.
    FieldFileStatus Write(const FieldFileRequest& request);
    // Tables of the new file with their row counts, after Created.
    const std::vector<TableCount>& Tables() const { return tables_; }

private:
    ui::UiPort& ui_;
    mk::Storage& source_;
    std::string source_path_;
    FieldFileCheck check_;
    std::vector<FieldStratum> strata_;
    std::vector<FieldSubPop> subpops_;
    std::vector<TableCount> tables_;
};

// True when target names the same file as source (also through links); false when
// target does not exist.
bool SameFile(const std::string& source, const std::string& target);
// The message for a target that is the open file.
std::string SameFileMessage(const std::string& target);

// Shows the new-cruise dialog in its field-file mode with the fields pre-filled;
// true with the chosen path in output_file and the fields as entered.
using SaleDialog = std::function<bool(ui::UiPort& ui, ui::SaleFields& fields)>;

// The whole command: checks, dialog, writing, final message. The dialog runs with a
// port that refuses the open file as the target.
FieldFileStatus MakeFieldFile(ui::UiPort& ui, mk::Storage& source, const std::string& source_path,
                              const CostValues& costs, const SaleDialog& dialog);

// The method whose recon plots can feed a stratum of this method ("PNT", "FIX"), or "".
std::string ReconMethodFor(const std::string& cruz_meth);
// The 1-character key of the n-th (0-based) combination of a tally stratum.
std::string TallyKey(int n);
// Appends to a validation list every code it lacks as a blank-separated token.
std::string ExtendValidate(const std::string& validate, const std::vector<std::string>& codes);

}  // namespace output
