#include "mk/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace mk::detail {

namespace {

int g_failAt = -1;
int g_writes = 0;

Error IoError(const std::string& what, const std::string& path) {
    return Error{Errc::Io, what + " " + path + ": " + std::strerror(errno)};
}

Error Injected(const std::string& path) { return Error{Errc::Io, "write to " + path + " stopped (test hook)"}; }

Status WriteFully(int fd, uint64_t pos, std::string_view bytes, const std::string& path) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(pos + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return IoError("cannot write", path);
        done += static_cast<size_t>(n);
    }
    return {};
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

void FailWritesAfter(int n) {
    g_failAt = n;
    g_writes = 0;
}

void StopFailingWrites() {
    g_failAt = -1;
    g_writes = 0;
}

int WritesSinceArmed() { return g_writes; }

bool WriteAllowed() {
    bool ok = g_failAt < 0 || g_writes < g_failAt;
    ++g_writes;
    return ok;
}

File::~File() {
    if (fd_ >= 0) ::close(fd_);
}

Result<std::unique_ptr<File>> File::Open(const std::string& path, bool writable) {
    int fd = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd < 0) return IoError("cannot open", path);
    struct stat st{};
    if (::fstat(fd, &st) == 0 && !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Error{Errc::Io, "not a regular file: " + path};
    }
    return std::unique_ptr<File>(new File(fd, path));
}

Result<std::unique_ptr<File>> File::Create(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return IoError("cannot create", path);
    return std::unique_ptr<File>(new File(fd, path));
}

Result<uint64_t> File::Size() const {
    struct stat st{};
    if (::fstat(fd_, &st) != 0) return IoError("cannot stat", path_);
    return static_cast<uint64_t>(st.st_size);
}

Status File::Read(uint64_t pos, void* buf, size_t n) const {
    size_t done = 0;
    while (done < n) {
        ssize_t got = ::pread(fd_, static_cast<char*>(buf) + done, n - done, static_cast<off_t>(pos + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return got == 0 ? Error{Errc::Io, "unexpected end of " + path_} : IoError("cannot read", path_);
        done += static_cast<size_t>(got);
    }
    return {};
}

Status File::ReadAll(Image& out) const {
    auto size = Size();
    if (!size) return size.error();
    if (*size >= (uint64_t(1) << 31)) return Error{Errc::Corrupt, "file too large for the format: " + path_};
    out.resize(*size);
    return Read(0, out.data(), out.size());
}

Status File::Write(uint64_t pos, std::string_view bytes) {
    if (!WriteAllowed()) return Injected(path_);
    return WriteFully(fd_, pos, bytes, path_);
}

bool File::IsFile(const std::string& path) const {
    struct stat mine{}, other{};
    return ::fstat(fd_, &mine) == 0 && ::stat(path.c_str(), &other) == 0 && mine.st_dev == other.st_dev &&
           mine.st_ino == other.st_ino;
}

Status File::Sync() {
    if (::fdatasync(fd_) != 0) return IoError("cannot sync", path_);
    return {};
}

Status WriteFileAtomically(const std::string& path, std::string_view bytes) {
    std::string tmp = path + ".tmp-" + std::to_string(::getpid());
    int fd = ::open(tmp.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return IoError("cannot create", tmp);
    Status s = WriteAllowed() ? WriteFully(fd, 0, bytes, tmp) : Status(Injected(tmp));
    if (s && ::fsync(fd) != 0) s = IoError("cannot sync", tmp);
    ::close(fd);
    if (s && !WriteAllowed()) s = Injected(path);
    if (s && ::rename(tmp.c_str(), path.c_str()) != 0) s = IoError("cannot replace", path);
    if (!s) {
        ::unlink(tmp.c_str());
        return s;
    }
    int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

}  // namespace mk::detail
