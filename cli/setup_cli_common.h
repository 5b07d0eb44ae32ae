#pragma once
// What the import and setup commands share: the cruise file check, the refusal of a
// production cruise, and writing the update flag back as the main window does.
#include <string>

#include "app/cruise_file.h"
#include "store/config.h"
#include "store/cruise_store.h"
#include "store/file_checker.h"
#include "store/schema.h"
#include "ui/ui_port.h"

namespace cli::setupcmd {

// The file check the program runs on a cruise file given to it; a production cruise
// has no setup to change.
inline bool CheckSetupFile(ui::UiPort& ui, const std::string& path) {
    store::CFileChecker checker(ui, "");
    int result = checker.CheckCruiseFile(path, ".crz");
    if (result == 1) app::ReportNotCruiseFile(ui, path);
    if (result != 0) return false;
    auto storage = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
    if (!storage) {
        app::ReportNotCruiseFile(ui, path);
        return false;
    }
    if (store::GetSetting(*storage, schema::kBlockStrovan, schema::kKeyType).value_or("") ==
        schema::kTypeProduction) {
        ui.MessageBox("Warning", "Cannot modify the setup of a production cruise.", ui::Icon::Exclamation);
        return false;
    }
    return true;
}

// The main window's write-back of the setup's update flag.
inline bool WriteUpdateFlag(ui::UiPort& ui, const std::string& path, const std::string& flag) {
    store::CCruiseStore store(ui);
    if (store.Open(path) != 0) return false;
    store::SetSetting(*store.Storage(), schema::kBlockStrovan, schema::kKeyUpdateFlag, flag);
    return store.Commit() == 0;
}

}  // namespace cli::setupcmd
