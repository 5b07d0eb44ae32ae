#pragma once
// The engine's only access to files, so that tests can cut a commit short at any
// write as if the process had died there.
#include <signal.h>

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
    // Sets aside disk space for [from, to) without changing the file's length, so that
    // a full disk, or a file-size limit below `to`, shows before anything is written.
    Status Reserve(uint64_t from, uint64_t to);
    Status Truncate(uint64_t size);
    bool IsFile(const std::string& path) const;  // the same file, under any name
    const std::string& path() const { return path_; }

private:
    File(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    int fd_;
    std::string path_;
};

// Keeps SIGXFSZ from this thread while it lives: a write past the process's file-size
// limit then fails like a full disk, and the commit can undo itself, instead of the
// kernel killing the process between its writes. A signal raised meanwhile is dropped.
class SizeSignalHold {
public:
    SizeSignalHold();
    ~SizeSignalHold();
    SizeSignalHold(const SizeSignalHold&) = delete;
    SizeSignalHold& operator=(const SizeSignalHold&) = delete;

private:
    sigset_t old_;
    bool held_ = false;
};

// Replaces path with bytes: a temporary file in the same folder (TempNameFor),
// synced, renamed.
Status WriteFileAtomically(const std::string& path, std::string_view bytes);
// "NAME.tmp-PID" beside path.
std::string TempNameFor(const std::string& path);
// Removes temporary files beside path that a process which no longer runs left
// behind (killed while writing): only names of exactly our pattern.
void RemoveStaleTempFiles(const std::string& path);

// Test hook: the n-th write from now (0 = the next one) and every later one fail
// without touching the file; a rename counts as a write. With `keep`, the n-th write
// first puts its first `keep` bytes, as a write cut short by a full disk does.
void FailWritesAfter(int n, size_t keep = 0);
void StopFailingWrites();
int WritesSinceArmed();  // writes attempted since FailWritesAfter or StopFailingWrites
bool WriteAllowed();     // counts one write; false once the hook has fired
// Test hook: reservations behave as on a file system without them.
void ReservationsUnsupported(bool on);

}  // namespace mk::detail
