#pragma once
// The file dialog for the four file kinds and the checks every file passes before the
// program works on it: it must be usable exclusively, be a Metakit storage and, for
// cruise and setup files, be at (or be brought to) the structure version we need and
// have their text in the Windows character set (or be offered its conversion).
#include <string>

#include "store/config.h"
#include "store/schema.h"
#include "ui/ui_port.h"

namespace store {

struct FileKind {
    std::string filter_label;  // "Cruise Files (*.crz)"
    std::string pattern;       // "*.crz"
    std::string kind_name;     // in messages: "Cruise Object"
    bool runs_updater = true;
};
// "stp", "theft", "vst" (exactly, lower case); any other text is a cruise file.
FileKind KindOf(const std::string& kind);

// Where a file lies, for the refusals of removable and network locations.
enum class DriveKind { Local, Network, CdRom };

class CFileChecker {
public:
    explicit CFileChecker(ui::UiPort& ui, std::string program = "Strovan",
                          std::string required_version = schema::kCurrentVersion);
    virtual ~CFileChecker() = default;

    // false on success (path set), true on failure or cancel.
    bool SelectCruiseFile(bool open, std::string& path, const std::string& kind);
    // 0 usable, 1 not a valid file of that kind, -1 refused (already reported).
    int CheckCruiseFile(const std::string& path, const std::string& kind);
    // The file exists and can be used exclusively now (read-only files are made
    // writable); otherwise reported.
    bool CheckAccess(const std::string& path);
    // A new file may be created at path: not in use, and its folder exists.
    bool CheckWritable(const std::string& path);

    const std::string& Program() const { return program_; }
    const std::string& RequiredVersion() const { return required_; }

protected:
    // A platform without drive types has only local files; a Windows build overrides.
    virtual DriveKind DriveKindOf(const std::string& path) const;
    // Brings the file to the required version; 0 when it may be used, otherwise the
    // updater's result code.
    virtual int RunUpdater(const std::string& path, const std::string& version);

    ui::UiPort& ui_;

private:
    std::string program_;
    std::string required_;
};


}  // namespace store
