#include "store/file_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace store {

namespace {
FileAccess ClassifyOpenError(const std::string& path, int err) {
    namespace fs = std::filesystem;
    if (err == ENOTDIR || err == ENAMETOOLONG) return FileAccess::BadPath;
    if (err == ENOENT) {
        std::error_code ec;
        fs::path parent = fs::path(path).parent_path();
        if (!parent.empty() && !fs::is_directory(parent, ec)) return FileAccess::BadPath;
        return FileAccess::NotFound;
    }
    return FileAccess::Other;
}
}  // namespace

FileAccess FileLock::Acquire(const std::string& path) {
    Release();
    if (path.empty()) return FileAccess::BadPath;
    // Without O_NONBLOCK a FIFO would hold the program until some writer came.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return ClassifyOpenError(path, errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return FileAccess::Other;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        ::close(fd);
        return err == EWOULDBLOCK ? FileAccess::InUse : FileAccess::Other;
    }
    fd_ = fd;
    return FileAccess::Ok;
}

void FileLock::Release() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }
}

FileAccess FileLock::Probe(const std::string& path) {
    FileLock probe;
    return probe.Acquire(path);
}

}  // namespace store
