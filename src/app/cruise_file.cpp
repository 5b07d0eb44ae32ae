#include "app/cruise_file.h"

#include <regex>

#include "store/file_checker.h"
#include "store/schema.h"

namespace app {

void ReportNotCruiseFile(ui::UiPort& ui, const std::string& path) {
    ui.Error("The File:\n\n'" + path + "'\n\n Is Not a Valid Cruise Object");
}

std::string PlainReason(const std::string& reason) {
    // "<path>.tmp-<pid>" of an atomic write, "<path>.strovan-new" of a file being made.
    static const std::regex working(R"(([^\s:]*)\.(tmp-[0-9]+|strovan-new)\b)");
    return std::regex_replace(reason, working, "$1");
}

bool CruiseFile::Open(const std::string& path) {
    Close();
    store::FileAccess access = lock_.Acquire(path);
    if (access != store::FileAccess::Ok) {
        // The access check reports the cause in the program's words; when the file
        // has become free meanwhile, one more try.
        store::CFileChecker checker(ui_);
        if (!checker.CheckAccess(path) || lock_.Acquire(path) != store::FileAccess::Ok)
            return false;
    }
    auto opened = mk::Storage::Open(path, mk::OpenMode::ReadWrite);
    if (!opened) {
        lock_.Release();
        ReportNotCruiseFile(ui_, path);
        return false;
    }
    storage_ = std::move(*opened);
    path_ = path;
    return true;
}

mk::View CruiseFile::Config() {
    return storage_.HasView(schema::kGlobalConfigurationTable)
               ? storage_.GetView(schema::kGlobalConfigurationTable)
               : mk::View();
}

bool CruiseFile::Commit() {
    mk::Status st = storage_.Commit();
    if (st) return true;
    ui_.Error("The File " + path_ + " could not be saved.\n" + PlainReason(st.error().message),
              "File Error");
    return false;
}

void CruiseFile::Close() {
    if (storage_.IsOpen()) storage_.Close();
    lock_.Release();
    path_.clear();
}

}  // namespace app
