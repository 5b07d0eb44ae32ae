#pragma once
// Exclusive use of a cruise file between programs: an advisory lock on the file, so
// two copies of the program (or the program and a field program that locks the same
// way) see each other.
#include <string>

namespace store {

enum class FileAccess {
    Ok,
    NotFound,   // no such file
    InUse,      // another process (or open handle) holds the lock
    BadPath,    // the folder does not exist or is not a folder
    Other,      // any other failure (permissions, ...)
};

class FileLock {
public:
    FileLock() = default;
    ~FileLock() { Release(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Opens path for reading and takes the exclusive lock without waiting.
    FileAccess Acquire(const std::string& path);
    void Release();
    bool Held() const { return fd_ >= 0; }

    // Takes and releases the lock at once: can the file be used exclusively now?
    static FileAccess Probe(const std::string& path);

private:
    int fd_ = -1;
};

}  // namespace store
