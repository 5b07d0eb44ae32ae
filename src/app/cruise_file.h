#pragma once
// One step's hold on a cruise file: the exclusive lock and the open storage, taken
// and released together, so no handle outlives the step and no other program writes
// the file meanwhile.
#include <string>

#include "mk/mk.h"
#include "store/file_lock.h"
#include "ui/ui_port.h"

namespace app {

class CruiseFile {
public:
    explicit CruiseFile(ui::UiPort& ui) : ui_(ui) {}
    ~CruiseFile() { Close(); }
    CruiseFile(const CruiseFile&) = delete;
    CruiseFile& operator=(const CruiseFile&) = delete;

    // Locks and opens the file read/write; refusals are reported, false then.
    bool Open(const std::string& path);
    bool IsOpen() const { return storage_.IsOpen(); }
    mk::Storage& Storage() { return storage_; }
    // GlobalConfigurationTable as stored, in whichever column form it has; never
    // restructured (settings go through store/config.h). Empty without the table.
    mk::View Config();
    // Commits the whole step; a failure is reported and the file keeps its last state.
    bool Commit();
    // Uncommitted changes are dropped.
    void Close();

private:
    ui::UiPort& ui_;
    std::string path_;
    store::FileLock lock_;
    mk::Storage storage_;
};

// "The File:\n\n'<path>'\n\n Is Not a Valid Cruise Object" as an error box.
void ReportNotCruiseFile(ui::UiPort& ui, const std::string& path);

// A failure's cause for the user: the names of the working files a save goes through
// are replaced by the file the user knows.
std::string PlainReason(const std::string& reason);

}  // namespace app
