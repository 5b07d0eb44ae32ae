#pragma once
// The two selection lists of the field cruise file: the recon strata whose plots are
// carried over, and the choice among several species defaults of one combination.
#include <string>
#include <vector>

#include "ui/form.h"

namespace output {

// Tick the recon strata whose plots become production plots. OK with nothing ticked
// carries nothing over.
class ReconStrataForm : public ui::Form {
public:
    static constexpr const char* kId = "output.recon_strata";
    static constexpr const char* kHeading = "Select Strata to Import Recon Plots.";

    struct Row {
        std::string stratum;
        std::string cruz_meth;
        std::string units;
        bool selected = false;
    };

    std::string FormId() const override { return kId; }
    std::string Title() const override { return kHeading; }

    std::vector<Row>& Rows() { return rows_; }
    const std::vector<Row>& Rows() const { return rows_; }
    // Ticks the rows whose stratum code is listed; false when a code is not offered.
    bool SelectStrata(const std::vector<std::string>& codes);
    // The ticked strata codes in list order.
    std::vector<std::string> Selected() const;

private:
    std::vector<Row> rows_;
};

// Pick one of several default rows for a species/product/live-dead combination. OK
// needs a row; cancelling leaves the combination without defaults.
class AutoFillChoiceForm : public ui::Form {
public:
    static constexpr const char* kId = "output.autofill";
    static constexpr const char* kTitle = "Select to assign default values for this Species/Product";

    std::string FormId() const override { return kId; }
    std::string Title() const override { return kTitle; }

    // The combination the rows are for.
    std::string species, prod, ld;
    // Column names and one text row per candidate, in table order.
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;

    // -1 until a row is chosen.
    int Chosen() const { return chosen_; }
    bool Choose(int row);
    // Whether the form may close with OK.
    bool OnOk() const { return chosen_ >= 0; }

private:
    int chosen_ = -1;
};

}  // namespace output
