#include "app/main_dialog.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "app/costs_dialog.h"
#include "app/cruise_file.h"
#include "app/new_cruise_dialog.h"
#include "design/workspace_rows.h"
#include "store/config.h"
#include "store/cruise_store.h"
#include "store/file_checker.h"
#include "store/output_path.h"
#include "store/unit_of_work.h"
#include "store/text_codec.h"
#include "store/schema.h"

namespace app {

namespace fs = std::filesystem;
using namespace schema;

namespace {
// CruiseTable columns of the sale fields that the cruise information form edits.
const std::pair<const char*, std::string ui::SaleFields::*> kSaleColumns[] = {
    {"SaleNo", &ui::SaleFields::sale_no},     {"CruiseNo", &ui::SaleFields::cruise_no},
    {"SaleName", &ui::SaleFields::sale_name}, {"Region", &ui::SaleFields::region},
    {"Forest", &ui::SaleFields::forest},      {"District", &ui::SaleFields::district},
    {"CalYear", &ui::SaleFields::cal_year}};

std::string Setting(mk::Storage& storage, const char* block, const char* key,
                    const std::string& fallback = "") {
    return store::GetSetting(storage, block, key).value_or(fallback);
}

bool HasSetting(mk::Storage& storage, const char* block, const char* key) {
    return store::GetSetting(storage, block, key).has_value();
}

// Builds the new cruise file in `path` (a copy of the setup file) and commits it. A
// setup file may carry settings of its own: the user's choices replace them, so no
// reader that takes the first row finds the setup's value.
mk::Status WriteNewCruise(const std::string& path, const ui::SaleFields& f) {
    auto storage = mk::Storage::Open(path, mk::OpenMode::ReadWrite);
    if (!storage) return storage.error();
    auto cruise = storage->GetAs(kCruiseTableDesc);
    if (!cruise) return cruise.error();
    if (cruise->RowCount() == 0) cruise->SetRowCount(1);
    WriteSaleFields(*cruise, f);
    std::error_code ec;
    store::SetSetting(*storage, kBlockGeneral, kKeySetup, store::PathForFile(fs::absolute(f.setup_file, ec).string()));
    store::SetSetting(*storage, kBlockGeneral, kKeyMRU, kMruDesign);
    store::SetSetting(*storage, kBlockStrovan, kKeyType, kTypeDesign);
    store::SetSetting(*storage, kBlockStrovan, kKeyUpdateFlag, kFlagYes);
    store::SetSetting(*storage, kBlockStrovan, kKeyUOM, f.uom);
    return storage->Commit();
}

enum class CopyFailure { None, Read, Write };

// Copies `from` to `to`, telling which side failed and why (errno text).
CopyFailure CopyFile(const std::string& from, const std::string& to, std::string& reason) {
    std::FILE* in = std::fopen(from.c_str(), "rb");
    if (!in) {
        reason = std::strerror(errno);
        return CopyFailure::Read;
    }
    std::FILE* out = std::fopen(to.c_str(), "wb");
    if (!out) {
        reason = std::strerror(errno);
        std::fclose(in);
        return CopyFailure::Write;
    }
    CopyFailure failed = CopyFailure::None;
    char buf[1 << 16];
    while (failed == CopyFailure::None) {
        size_t n = std::fread(buf, 1, sizeof buf, in);
        if (n == 0) {
            if (std::ferror(in)) failed = CopyFailure::Read;
            break;
        }
        if (std::fwrite(buf, 1, n, out) != n) failed = CopyFailure::Write;
    }
    if (failed != CopyFailure::None) reason = std::strerror(errno);
    std::fclose(in);
    if (std::fclose(out) != 0 && failed == CopyFailure::None) {
        reason = std::strerror(errno);
        failed = CopyFailure::Write;
    }
    return failed;
}
}  // namespace

void ShowSaleSummary(ui::UiPort& ui, mk::Storage& storage, const std::string& uom) {
    mk::View cruise = storage.GetView(kCruiseTable);
    std::string msg = "Sale Name: " + cruise.GetString(0, "SaleName") +
                      "   \n\nSale Number: " + cruise.GetString(0, "SaleNo");
    if (uom == kUomCubicFeet) msg += "\n\nCubic Sale";
    if (uom == kUomBoardFeet) msg += "\n\nBoard Foot Sale";
    ui.MessageBox("", msg + "\n\nHas Been Opened.", ui::Icon::Information);
    if (Setting(storage, kBlockGeneral, kKeyDirtyFlag) == kDirty)
        ui.MessageBox("", "No Volumes.\n\nRun Dorvex Program First.", ui::Icon::Information);
}

void ReadSaleFields(const mk::View& cruise, ui::SaleFields& fields) {
    for (const auto& [column, field] : kSaleColumns) fields.*field = cruise.GetString(0, column);
}

void WriteSaleFields(mk::View& cruise, const ui::SaleFields& fields) {
    for (const auto& [column, field] : kSaleColumns) cruise.SetString(0, column, fields.*field);
}

CMainDialog::CMainDialog(ui::UiPort& ui, WorkflowSteps* steps)
    : ui_(ui), default_steps_(ui), steps_(steps ? steps : &default_steps_) {}

CMainDialog::~CMainDialog() = default;

bool CMainDialog::ButtonEnabled(int id) const {
    for (const ButtonSpec& b : kMainButtons)
        if (b.id == id) return !b.file_bound || file_buttons_;
    return false;
}

std::string CMainDialog::WindowTitle() const {
    if (!file_buttons_ || path_.empty()) return kMainTitle;
    return fs::path(path_).filename().string() + " \u2014 " + ui::kAppName;
}

void CMainDialog::SetFileState(int flag) {
    status_ = kStatusPrefix;
    file_buttons_ = flag == 0;
    if (file_buttons_) status_ += path_;
}

void CMainDialog::ClearFile() {
    path_.clear();
    opened_mru_.reset();
    SetFileState(1);
}

void CMainDialog::OnInitDialog() {
    if (path_.empty()) {
        SetFileState(1);
        return;
    }
    store::CFileChecker checker(ui_, "");
    int result = checker.CheckCruiseFile(path_, ".crz");
    if (result == 1) ReportNotCruiseFile(ui_, path_);
    if (result == 0)
        SetFileState(0);
    else
        ClearFile();
}

// --- Open -------------------------------------------------------------------------

void CMainDialog::OnOpen() {
    store::CFileChecker checker(ui_, "Strovan");
    std::string path;
    // A cancelled or refused choice leaves the current file current.
    if (checker.SelectCruiseFile(true, path, "CRZ")) return;
    const std::string current = path_;
    const std::optional<std::string> current_mru = opened_mru_;
    const bool had_file = file_buttons_;
    path_ = path;
    if (OpenAndSummarise()) return;
    path_ = current;
    opened_mru_ = current_mru;
    SetFileState(had_file && !path_.empty() ? 0 : 1);
}

bool CMainDialog::OpenAndSummarise() {
    CruiseFile file(ui_);
    if (!file.Open(path_)) {
        ClearFile();
        return false;
    }
    mk::Storage& storage = file.Storage();
    opened_mru_ = Setting(storage, kBlockGeneral, kKeyMRU);
    mk::View cruise = storage.GetView(kCruiseTable);
    if (cruise.RowCount() > 0) {
        sale_name_ = cruise.GetString(0, "SaleName");
        if (!HasSetting(storage, kBlockStrovan, kKeyUOM)) {
            uom_ = kUomCubicFeet;
            store::SetSetting(storage, kBlockStrovan, kKeyUOM, uom_);
            file.Commit();
        } else {
            uom_ = Setting(storage, kBlockStrovan, kKeyUOM);
        }
        ShowSaleSummary(ui_, storage, uom_);
    } else {
        ui_.Warning("Missing Cruise Information.");
        AskMissingCruiseInfo(file);
    }
    file.Close();
    unit_changed_ = 0;
    SetFileState(0);
    SetLastWriter();
    return true;
}

void CMainDialog::AskMissingCruiseInfo(CruiseFile& file) {
    CNewCruiseDialog dlg(ui_, ui::kModeMissingInfo);
    dlg.Fields().uom = Setting(file.Storage(), kBlockStrovan, kKeyUOM, kUomCubicFeet);
    if (!dlg.DoModal()) return;
    auto cruise = file.Storage().GetAs(kCruiseTableDesc);
    if (!cruise) return;
    cruise->SetRowCount(1);
    WriteSaleFields(*cruise, dlg.Fields());
    store::SetSetting(file.Storage(), kBlockStrovan, kKeyUOM, dlg.Fields().uom);
    if (!file.Commit()) return;
    uom_ = dlg.Fields().uom;
    sale_name_ = dlg.Fields().sale_name;
}

// --- Create -----------------------------------------------------------------------

bool CMainDialog::OnCreate() {
    CNewCruiseDialog dlg(ui_, ui::kModeNewDesign);
    // Cubic, as for a file without a unit: a new file never gets an empty unit that
    // the summary could not name and the compilations would take for cubic silently.
    dlg.Fields().uom = kUomCubicFeet;
    // A file that cannot be made brings the form back with everything typed, so the
    // user can choose another place.
    do {
        if (!dlg.DoModal()) {
            ClearFile();
            return false;
        }
    } while (!CreateFromSetup(dlg));
    path_ = dlg.Fields().output_file;
    opened_mru_.reset();
    sale_name_ = dlg.Fields().sale_name;
    uom_ = dlg.Fields().uom;
    unit_changed_ = 0;
    SetFileState(0);
    SetLastWriter();
    return true;
}

bool CMainDialog::CreateFromSetup(const CNewCruiseDialog& dlg) {
    // Built beside the target and moved over it only when complete, so a failure
    // never leaves a half-made cruise file (nor destroys the file it would replace).
    const ui::SaleFields& f = dlg.Fields();
    const store::OutputTarget target = store::ResolveOutputPath(f.output_file);
    if (!target.why.empty()) {
        ui_.Error("The File " + f.output_file + " could not be saved.\n" + target.why, "File Error");
        return false;
    }
    const std::string temp = target.path + ".strovan-new";
    std::string reason;
    switch (CopyFile(f.setup_file, temp, reason)) {
        case CopyFailure::Read:
            ui_.Error("The setup file " + f.setup_file + " could not be read.\n" + reason,
                      "File Error");
            break;
        case CopyFailure::Write:
            ui_.Error("The File " + f.output_file + " could not be created.\n" + reason,
                      "File Error");
            break;
        case CopyFailure::None: {
            mk::Status written = WriteNewCruise(temp, f);
            std::error_code ec;
            if (written) {
                fs::rename(temp, target.path, ec);
                if (!ec) return true;
                reason = ec.message();
            } else {
                reason = PlainReason(written.error().message);
            }
            ui_.Error("The File " + f.output_file + " could not be saved.\n" + reason,
                      "File Error");
            break;
        }
    }
    std::error_code ec;
    fs::remove(temp, ec);
    return false;
}

// --- Cruise information -----------------------------------------------------------

bool CMainDialog::OnEditCruiseInfo() {
    store::CFileChecker checker(ui_, "");
    if (!checker.CheckAccess(path_)) return false;
    CruiseFile file(ui_);
    if (!file.Open(path_)) return false;
    mk::Storage& storage = file.Storage();
    auto cruise = storage.GetAs(kCruiseTableDesc);
    if (!cruise) return false;

    CNewCruiseDialog dlg(ui_, ui::kModeEditInfo);
    ui::SaleFields& f = dlg.Fields();
    f.cruise_type = Setting(storage, kBlockStrovan, kKeyType);
    // A file without a unit is cubic, as when it is opened or created; the form never
    // writes an empty unit back.
    f.uom = Setting(storage, kBlockStrovan, kKeyUOM);
    if (f.uom.empty()) f.uom = kUomCubicFeet;
    if (cruise->RowCount() > 0) ReadSaleFields(*cruise, f);
    if (!dlg.DoModal()) return false;

    cruise->SetRowCount(1);
    WriteSaleFields(*cruise, f);
    uom_ = f.uom;
    sale_name_ = f.sale_name;
    unit_changed_ = dlg.UnitChanged();
    const bool had_flag = HasSetting(storage, kBlockStrovan, kKeyUpdateFlag);
    store::SetSetting(storage, kBlockStrovan, kKeyUOM, f.uom);
    store::SetSetting(storage, kBlockStrovan, kKeyType, f.cruise_type);
    if (unit_changed_ == 1)
        store::SetSetting(storage, kBlockStrovan, kKeyUpdateFlag, kFlagYes);
    else if (!had_flag)
        store::SetSetting(storage, kBlockStrovan, kKeyUpdateFlag, kFlagNo);
    return file.Commit();
}

// --- Strata, costs, design processing ---------------------------------------------

void CMainDialog::NotAvailable(const std::string& what) {
    ui_.Info(what + " is not available in this version of Strovan.");
}

void CMainDialog::OnEstablishStrata() {
    store::CFileChecker checker(ui_, "");
    if (!checker.CheckAccess(path_)) return;
    int type = GetCruiseType();
    if (type == 1) {
        ui_.Warning("Cannot modify the setup of a production cruise.", "Warning");
        return;
    }
    if (type != 0) return;
    if (!steps_->Has(WorkflowSteps::kStrataSetup)) {
        NotAvailable("Establishing strata and sample groups");
        return;
    }
    std::string flag = GetUpdateFlag();
    ui_.MinimizeMain();
    int result = steps_->RunStrataSetup(path_, flag);
    ui_.RestoreMain();
    if (result == 0) SetUpdateFlag(flag);
}

bool CMainDialog::OnCosts() {
    store::CFileChecker checker(ui_, "");
    if (!checker.CheckAccess(path_)) return false;
    CruiseFile file(ui_);
    if (!file.Open(path_)) return false;
    CostValues values = ReadCostValues(file.Storage());
    costs_ = ComputeCostFigures(values);
    CCostsDialog dlg(ui_, values);
    ui_.MinimizeMain();
    bool saved = false;
    if (dlg.DoModal()) {
        WriteCostValues(file.Storage(), dlg.Values());
        // A design already made shows the new costs the next time it is looked at.
        design::RecostDesignTables(file.Storage(), ComputeCostFigures(dlg.Values()));
        saved = file.Commit();
        if (saved) costs_ = ComputeCostFigures(dlg.Values());
    }
    ui_.RestoreMain();
    return saved;
}

void CMainDialog::OnDesignProcessing() {
    store::CFileChecker checker(ui_, "");
    if (!checker.CheckAccess(path_)) return;
    int type = GetCruiseType();
    if (type == -1) return;
    std::string flag = GetUpdateFlag();
    if (CompileIfNeeded(type, flag) != 0) return;
    if (OpenDesignForm(type) != 0) return;
    SetUpdateFlag(kFlagNo);
}

int CMainDialog::CompileIfNeeded(int cruise_type, const std::string& update_flag) {
    bool production = cruise_type == 1;
    if (!production && update_flag != kFlagYes) return 0;
    if (!steps_->Has(production ? WorkflowSteps::kProductionStats : WorkflowSteps::kReconStats)) {
        NotAvailable(production ? "Compiling the production cruise statistics"
                                : "Compiling the recon data");
        return -1;
    }
    ReadCostSettings();
    CruiseFile file(ui_);
    if (!file.Open(path_)) return -1;
    // The compilation and the flag saying the design matches the setup land together.
    store::UnitOfWork step(file.Storage());
    int result = production ? steps_->CompileProduction(file.Storage(), costs_, uom_)
                            : steps_->CompileRecon(file.Storage(), costs_, uom_, unit_changed_);
    if (!production && result == 0) store::SetSetting(file.Storage(), kBlockStrovan, kKeyUpdateFlag, kFlagNo);
    if (result == 0 && !step.Complete()) {
        ui_.Error("The File " + path_ + " could not be saved.", "File Error");
        return -1;
    }
    if (production && result == 1) ui_.Error("No Trees Found in the Tree Table!", "Error");
    if (production && result == 2)
        ui_.Error(
            uom_ == kUomBoardFeet
                ? "No board foot volume found for trees.\nPlease Process through Dorvex program."
                : "No cubic foot volume found for trees.\nPlease Process through Dorvex program.",
            "Error");
    if (!production && result == 1) ui_.Error("No Strata have been established.\n", "Error");
    if (!production && result == 2)
        ui_.Error("One or more strata definitions have zero total acres.\n", "Error");
    return result;
}

int CMainDialog::OpenDesignForm(int cruise_type) {
    if (!steps_->Has(WorkflowSteps::kDesignForm)) {
        NotAvailable("The design form");
        return -1;
    }
    DesignFormInputs in;
    in.cost_values = ReadCostSettings();
    in.cruise_type = cruise_type;
    in.costs = costs_;
    in.uom = uom_;
    in.path = path_;
    store::CCruiseStore store(ui_);
    if (store.Open(path_) != 0) return -1;
    if (store.OpenView(kSVDesignTable) < 0) {
        store.Close();
        return -1;
    }
    int sg = store.FindView(kSVDesignSgTable);
    if (sg >= 0) store.CloseView(sg);
    store.OpenViewAs(kSVDesignSgTableDesc);
    ui_.MinimizeMain();
    int result = steps_->RunDesignForm(store, in);
    ui_.RestoreMain();
    store.Commit();
    int derived = store.FindView(DerivedName(kSVDesignSgTable));
    if (derived >= 0) store.CloseView(derived);
    store.CloseViewByName(kSVDesignTable);
    store.Close();
    return result;
}

void CMainDialog::OnHelp() { ui_.ShowHelp(ui::kHelpMain); }

void CMainDialog::OnAbout() { ui_.ShowAbout(); }

// --- Configuration operations -------------------------------------------------------

std::string CMainDialog::GetUpdateFlag() {
    CruiseFile file(ui_);
    if (!file.Open(path_)) return "";
    if (HasSetting(file.Storage(), kBlockStrovan, kKeyUpdateFlag))
        return Setting(file.Storage(), kBlockStrovan, kKeyUpdateFlag);
    store::SetSetting(file.Storage(), kBlockStrovan, kKeyUpdateFlag, kFlagYes);
    file.Commit();
    return kFlagYes;
}

void CMainDialog::SetUpdateFlag(const std::string& value) {
    CruiseFile file(ui_);
    if (!file.Open(path_)) return;
    store::SetSetting(file.Storage(), kBlockStrovan, kKeyUpdateFlag, value);
    file.Commit();
}

void CMainDialog::SetLastWriter() {
    CruiseFile file(ui_);
    if (!file.Open(path_)) return;
    store::SetSetting(file.Storage(), kBlockGeneral, kKeyMRU, kMruDesign);
    file.Commit();
}

int CMainDialog::GetCruiseType() {
    CruiseFile file(ui_);
    if (!file.Open(path_)) return -1;
    // Opening the file wrote this program as the last writer; who wrote it before is
    // what tells whether its data are processed.
    bool processed = false;
    int type = CheckCruiseType(ui_, file.Storage(), opened_mru_, processed);
    if (type < 0 || !file.Commit()) return -1;
    // Processed data are recompiled once; later steps keep the design made from them.
    if (processed && opened_mru_) opened_mru_ = kMruDesign;
    return type;
}

int CheckCruiseType(ui::UiPort& ui, mk::Storage& storage, const std::optional<std::string>& last_writer,
                    bool& processed) {
    processed = false;
    std::string type;
    if (HasSetting(storage, kBlockStrovan, kKeyType)) {
        type = Setting(storage, kBlockStrovan, kKeyType);
    } else {
        if (storage.GetView(kTreeTable).RowCount() == 0)
            type = kTypeDesign;
        else
            type = ui.Question("\r\n\r\n\r\nDoes this file contain Recon data?") ? kTypeRecon
                                                                                : kTypeProduction;
        store::SetSetting(storage, kBlockStrovan, kKeyType, type);
    }
    if (type != kTypeRecon && type != kTypeProduction) return 0;
    std::string mru = last_writer ? *last_writer : Setting(storage, kBlockGeneral, kKeyMRU);
    if (mru == kMruKelvane) {
        ui.Warning(
            "This data has not been processed yet.\nPlease exit this program and execute the "
            "Dorvex program.",
            "Warning");
        return -1;
    }
    if (mru == kMruProcessing) {
        store::SetSetting(storage, kBlockStrovan, kKeyUpdateFlag, kFlagYes);
        processed = true;
    }
    return type == kTypeProduction ? 1 : 0;
}

CostValues CMainDialog::ReadCostSettings() {
    CostValues values;
    CruiseFile file(ui_);
    if (!file.Open(path_)) return values;
    values = ReadCostValues(file.Storage());
    costs_ = ComputeCostFigures(values);
    // The unit goes to the compilations with the costs; a file taken from the command
    // line was never summarised, so the remembered unit may be another file's. A file
    // without a unit is cubic, as when it is opened.
    uom_ = Setting(file.Storage(), kBlockStrovan, kKeyUOM, kUomCubicFeet);
    return values;
}

}  // namespace app
