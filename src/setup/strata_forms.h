#pragma once
// The small dialogs of the strata and sample-group commands, as form logic that the
// front end shows and tests script: "Quick Strata Setup Form", "Setup Diameter
// Ranges", "Quick Sample Group Setup", the two-choice dialogs ("Delete Strata",
// "Remove Diameter Classes") and "Sort".
#include <string>
#include <vector>

#include "setup/sample_groups_ops.h"
#include "setup/setup_grid.h"
#include "setup/strata_ops.h"
#include "ui/form.h"

namespace setup {

class QuickStrataForm : public ui::Form {
public:
    static constexpr const char* kId = "setup.quick_strata";
    enum class Choice { Apply, DiameterRanges };
    std::string FormId() const override { return kId; }
    std::string Title() const override { return "Quick Strata Setup Form"; }
    StrataKeys keys;
    Choice choice = Choice::Apply;
};

class DiameterRangesForm : public ui::Form {
public:
    static constexpr const char* kId = "setup.diameter_ranges";
    explicit DiameterRangesForm(mk::View table, const std::string& name)
        : grid(std::move(table), name) {}
    std::string FormId() const override { return kId; }
    std::string Title() const override { return "Setup Diameter Ranges"; }
    // Replaces the grid's rows by "lo-hi" pairs (what a user types).
    void SetRanges(const std::vector<std::pair<std::string, std::string>>& ranges);
    SetupGrid grid;
    RangeScope scope = RangeScope::SelectedRow;
};

class QuickSgForm : public ui::Form {
public:
    static constexpr const char* kId = "setup.quick_sg";
    enum class Choice { SelectedStratum, AllStrata, DiameterRanges };
    std::string FormId() const override { return kId; }
    std::string Title() const override { return "Quick Sample Group Setup"; }
    SgKeys tree, plot;
    Choice choice = Choice::SelectedStratum;
};

class TwoChoiceForm : public ui::Form {
public:
    static constexpr const char* kId = "setup.two_choice";
    // The title names what the choice is for ("Delete Strata").
    TwoChoiceForm(std::string title, std::string first, std::string second)
        : first_text(std::move(first)), second_text(std::move(second)), title_(std::move(title)) {}
    std::string FormId() const override { return kId; }
    std::string Title() const override { return title_; }
    std::string first_text, second_text;
    bool second = false;  // the second button was pressed

private:
    std::string title_;
};

class SortForm : public ui::Form {
public:
    static constexpr const char* kId = "setup.sort";
    explicit SortForm(std::vector<std::string> choices) : choices(std::move(choices)) {}
    std::string FormId() const override { return kId; }
    std::string Title() const override { return "Sort"; }
    std::vector<std::string> choices;
    std::string by[3];  // "Sort By", "Then By", "Then By"; empty when not chosen
};

struct DefinitionCommands;
// Fills in the strata and sample-group commands.
void InstallStrataCommands(DefinitionCommands& commands);

}  // namespace setup
