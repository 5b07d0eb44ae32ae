#pragma once
// The engine's only access to files, so that tests can cut a commit short at any
// write as if the process had died there.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "mk/mk.h"
#include "mk/table.h"

namespace mk::detail {

class File {
public:
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    static Result<std::unique_ptr<File>> Open(const std::string& path, bool writable);
    static Result<std::unique_ptr<File>> Create(const std::string& path);

    Result<uint64_t> Size() const;
    Status ReadAll(Image& out) const;
    Status Read(uint64_t pos, void* buf, size_t n) const;
    Status Write(uint64_t pos, std::string_view bytes);
    Status Sync();
    bool IsFile(const std::string& path) const;  // the same file, under any name
    const std::string& path() const { return path_; }

private:
    File(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    int fd_;
    std::string path_;
};

// Replaces path with bytes: a temporary file in the same folder, synced, renamed.
Status WriteFileAtomically(const std::string& path, std::string_view bytes);

// Test hook: the n-th write from now (0 = the next one) and every later one fail
// without touching the file; a rename counts as a write.
void FailWritesAfter(int n);
void StopFailingWrites();
int WritesSinceArmed();  // writes attempted since FailWritesAfter or StopFailingWrites
bool WriteAllowed();     // counts one write; false once the hook has fired

}  // namespace mk::detail
