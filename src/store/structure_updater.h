#pragma once
// Brings an older cruise file, after a backup copy, step by step to the structure
// version the program needs, logging each step; refuses newer or unreadable versions.
#include <string>

#include "store/schema.h"
#include "ui/ui_port.h"

namespace store {

// Result codes of CheckVersion and Update.
enum UpdaterResult {
    kUpdated = 0,
    kNoPath = 1,
    kNoFile = 2,
    kFileInUse = 3,
    kNoVersionRow = 4,
    kUnknownVersion = 5,
    kAlreadyCurrent = 6,
    kStepFailed = 7,
    kVersionCurrent = 8,
    kUpdateNeeded = 9,
    kRequiredNewerThanUpdater = 10,
    kFileNewerThanRequired = 11,
    kFileNewer = 12,
    kVersionNotFound = 13,
    kCheckFileInUse = 14,
    kCheckNoFile = 15,
    kBadVersionText = 16,
    kBackupFailed = 17,  // no update without a backup copy
};

// trunc((year - 2000) * 365.25 + (month - 1) * 30.4 + day + 0.5) for month.day.year or
// year.month.day; 0 for any other text.
int VersionDayNumber(const std::string& version);

// The message the file checker shows for a non-zero updater result; empty when the
// result has none.
std::string UpdaterMessage(int result, const std::string& program);

class CStructureUpdater {
public:
    static constexpr const char* kLogProgram = "Verlane";
    static constexpr const char* kLatestVersion = schema::kVersion2010;

    explicit CStructureUpdater(ui::UiPort& ui);

    // 0 when the file may be used; otherwise a result code for UpdaterMessage.
    int RunUpdater(const std::string& path, const std::string& version_found);
    // 8 current, 9 update needed, 10 to 16 refusals.
    int CheckVersion(const std::string& required, const std::string& version_found,
                     const std::string& path);
    // 0 updated, 6 already current, 1 to 5 and 7 failures. With a stop version the
    // update ends there.
    int Update(const std::string& path, const std::string& stop_version = "");

    // Where the backup of the last Update went (empty when none was made).
    const std::string& BackupPath() const { return backup_; }

private:
    ui::UiPort& ui_;
    std::string backup_;
};

}  // namespace store
