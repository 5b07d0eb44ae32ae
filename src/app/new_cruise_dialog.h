#pragma once
// "Create New Cruise": the identification of a timber sale, for four callers (modes
// 0, 1, 2 and 9). Chooses and checks the name of the file to be written; writing it
// is the caller's work.
#include <string>

#include "ui/forms.h"
#include "ui/ui_port.h"

namespace app {

class CNewCruiseDialog : public ui::NewCruiseForm {
public:
    CNewCruiseDialog(ui::UiPort& ui, int mode) : ui_(ui), mode_(mode) {}

    // Runs the form; true when it closed with OK.
    bool DoModal();

    int Mode() const override { return mode_; }
    ui::SaleFields& Fields() override { return fields_; }
    const ui::SaleFields& Fields() const { return fields_; }
    void OnBrowse() override;
    void OnUnitChosen(const std::string& unit) override;
    void OnPurposeChosen(const std::string& entry) override;
    bool OnOk() override;

    // 1 when the user picked an entry of the unit list.
    int UnitChanged() const { return unit_changed_; }
    int SetupLoaded() const { return setup_loaded_; }
    // The name the save dialog suggests: "<sale>_design.crz" (mode 0), "<sale>.crz".
    std::string SuggestedFileName() const;

private:
    // Each typed field against its value rule (length, digits, storable text).
    bool CheckFields();
    bool ChooseOutputFile();

    ui::UiPort& ui_;
    int mode_;
    ui::SaleFields fields_;
    ui::SaleFields shown_;  // as the form opened: text left as it was is not checked again
    int unit_changed_ = 0;
    int setup_loaded_ = 0;
};

// "TS", "CC", "ROW", "OTH" for the entries of the purpose list; empty otherwise.
std::string PurposeCode(const std::string& entry);
// Characters (not bytes) of a UTF-8 text.
size_t CharCount(const std::string& text);

}  // namespace app
