#include "store/file_checker.h"

#include <filesystem>
#include <sys/stat.h>

#include "store/file_lock.h"
#include "store/legacy_text.h"
#include "store/structure_updater.h"

namespace store {

namespace fs = std::filesystem;

FileKind KindOf(const std::string& kind) {
    if (kind == "stp") return {"Setup Files (*.stp)", "*.stp", "Setup File", true};
    if (kind == "theft")
        return {"Timber Theft Files (*.theft)", "*.theft", "Timber Theft File", false};
    if (kind == "vst")
        return {"Old Timber Theft Files (*.vst)", "*.vst", "Timber Theft File", false};
    return {"Cruise Files (*.crz)", "*.crz", "Cruise Object", true};
}

CFileChecker::CFileChecker(ui::UiPort& ui, std::string program, std::string required_version)
    : ui_(ui), program_(std::move(program)), required_(std::move(required_version)) {}

DriveKind CFileChecker::DriveKindOf(const std::string&) const { return DriveKind::Local; }

int CFileChecker::RunUpdater(const std::string& path, const std::string& version) {
    CStructureUpdater updater(ui_);
    return updater.RunUpdater(path, version);
}

bool CFileChecker::SelectCruiseFile(bool open, std::string& path, const std::string& kind) {
    FileKind k = KindOf(kind);
    ui::FileDialogSpec spec;
    spec.filters = {{k.filter_label, {k.pattern}}};
    spec.default_extension = kind;
    auto chosen = open ? ui_.OpenFileName(spec) : ui_.SaveFileName(spec);
    if (!chosen) return true;
    int rc = CheckCruiseFile(*chosen, kind);
    if (rc == 1) {
        ui_.MessageBox("ERROR", "The File:\n\n'" + *chosen + "'\n\n Is Not a Valid " + k.kind_name,
                       ui::Icon::Stop);
        return true;
    }
    if (rc != 0) return true;
    path = *chosen;
    return false;
}

int CFileChecker::CheckCruiseFile(const std::string& path, const std::string& kind) {
    switch (DriveKindOf(path)) {
        case DriveKind::Network:
            ui_.MessageBox("ERROR",
                           "Network Drive Found!\nCannot update Cruise Objects across a network "
                           "connection.\nPlease copy file to hard-drive first.",
                           ui::Icon::Stop);
            return -1;
        case DriveKind::CdRom:
            ui_.MessageBox("ERROR",
                           "File on CD-ROM\nCannot save data to CD-ROM.\nPlease copy file to "
                           "hard-drive.\n",
                           ui::Icon::Stop);
            return -1;
        case DriveKind::Local: break;
    }
    if (!CheckAccess(path)) return -1;

    std::string version;
    {
        auto storage = mk::Storage::Open(path, mk::OpenMode::ReadOnly);
        if (!storage || storage->Structure().empty()) return 1;
        version = ReadStructureVersion(*storage);
    }
    if (!KindOf(kind).runs_updater) return 0;

    int rc = RunUpdater(path, version);
    if (rc > 0) {
        std::string text = UpdaterMessage(rc, program_);
        if (!text.empty()) ui_.MessageBox("WARNING", text, ui::Icon::Exclamation);
        return -1;
    }
    return OfferTextConversion(ui_, path);
}

bool CFileChecker::CheckAccess(const std::string& path) {
    FileAccess access = FileLock::Probe(path);
    if (access == FileAccess::Ok) {
        // A read-only file is made writable, as the program changes files in place.
        std::error_code ec;
        auto perms = fs::status(path, ec).permissions();
        if (!ec && (perms & fs::perms::owner_write) == fs::perms::none) {
            fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, ec);
            if (ec) access = FileAccess::Other;
        }
    }
    std::string text;
    switch (access) {
        case FileAccess::Ok: return true;
        case FileAccess::NotFound: text = "The File " + path + " was not found."; break;
        case FileAccess::InUse:
            text = "The File " + path + " is in use by another application.\nFile Not Opened.";
            break;
        case FileAccess::BadPath: text = "Bad Path.\nThe File " + path + " was not found."; break;
        case FileAccess::Other: text = "The File " + path + " could not be openned."; break;
    }
    ui_.MessageBox("File Error", text, ui::Icon::Stop);
    return false;
}

bool CFileChecker::CheckWritable(const std::string& path) {
    FileAccess access = FileLock::Probe(path);
    if (access == FileAccess::InUse) {
        ui_.MessageBox("File Error",
                       "The File " + path + " is in use by another application.\nFile Not Opened.",
                       ui::Icon::Stop);
        return false;
    }
    if (access == FileAccess::BadPath) {
        ui_.MessageBox("File Error", "Bad Path.\nThe File " + path + " cannot be saved.",
                       ui::Icon::Stop);
        return false;
    }
    return true;
}

}  // namespace store
