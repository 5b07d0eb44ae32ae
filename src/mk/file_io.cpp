#include "mk/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace mk::detail {

namespace {

int g_failAt = -1;
bool g_noReservations = false;
int g_writes = 0;
size_t g_keep = 0;

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

// The kernel kills a process that writes past its file-size limit (SIGXFSZ at its
// default) or cuts the write short: refused here, the file is never touched.
Status WithinSizeLimit(uint64_t end, const std::string& path) {
    rlimit lim{};
    if (::getrlimit(RLIMIT_FSIZE, &lim) != 0 || lim.rlim_cur == RLIM_INFINITY || end <= lim.rlim_cur) return {};
    return Error{Errc::Io, "the file would grow to " + std::to_string(end) + " bytes, past the file size limit of " +
                               std::to_string(uint64_t(lim.rlim_cur)) + " bytes set for this process (ulimit -f): " +
                               path};
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

void FailWritesAfter(int n, size_t keep) {
    g_failAt = n;
    g_writes = 0;
    g_keep = keep;
}

void StopFailingWrites() {
    g_failAt = -1;
    g_writes = 0;
    g_keep = 0;
}

int WritesSinceArmed() { return g_writes; }

void ReservationsUnsupported(bool on) { g_noReservations = on; }

SizeSignalHold::SizeSignalHold() {
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, SIGXFSZ);
    // Already held by the caller: what is raised meanwhile stays the caller's.
    held_ = ::pthread_sigmask(SIG_BLOCK, &only, &old_) == 0 && !sigismember(&old_, SIGXFSZ);
}

SizeSignalHold::~SizeSignalHold() {
    if (!held_) return;
    sigset_t only, pending;
    sigemptyset(&only);
    sigaddset(&only, SIGXFSZ);
    const timespec now{};
    if (::sigpending(&pending) == 0 && sigismember(&pending, SIGXFSZ)) (void)::sigtimedwait(&only, nullptr, &now);
    ::pthread_sigmask(SIG_SETMASK, &old_, nullptr);
}

bool WriteAllowed() {
    bool ok = g_failAt < 0 || g_writes < g_failAt;
    ++g_writes;
    return ok;
}

File::~File() {
    if (fd_ >= 0) ::close(fd_);
}

namespace {

// Opening a FIFO or a device may block for ever or have side effects: open without
// waiting, then keep only regular files.
Result<int> OpenRegular(const std::string& path, int flags, const char* what) {
    int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) return IoError(what, path);
    struct stat st{};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Error{Errc::Io, "not a regular file: " + path};
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

}  // namespace

Result<std::unique_ptr<File>> File::Open(const std::string& path, bool writable) {
    auto fd = OpenRegular(path, writable ? O_RDWR : O_RDONLY, "cannot open");
    if (!fd) return fd.error();
    return std::unique_ptr<File>(new File(*fd, path));
}

Result<std::unique_ptr<File>> File::Create(const std::string& path) {
    // Checked before truncating, so that nothing but a regular file is ever emptied.
    struct stat st{};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return Error{Errc::Io, "not a regular file: " + path};
    auto fd = OpenRegular(path, O_RDWR | O_CREAT | O_TRUNC, "cannot create");
    if (!fd) return fd.error();
    return std::unique_ptr<File>(new File(*fd, path));
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
    bool first = g_writes == g_failAt;
    if (WriteAllowed()) return WriteFully(fd_, pos, bytes, path_);
    if (first && g_keep) (void)WriteFully(fd_, pos, bytes.substr(0, std::min(g_keep, bytes.size())), path_);
    return Injected(path_);
}

Status File::Reserve(uint64_t from, uint64_t to) {
    if (to <= from) return {};
    if (Status s = WithinSizeLimit(to, path_); !s) return s;
    if (g_noReservations) return {};
    if (::fallocate(fd_, FALLOC_FL_KEEP_SIZE, static_cast<off_t>(from), static_cast<off_t>(to - from)) == 0) return {};
    // A file system without reservations still takes the writes, or refuses them one by one.
    if (errno == ENOSPC || errno == EFBIG || errno == EDQUOT) return IoError("no space to write", path_);
    return {};
}

Status File::Truncate(uint64_t size) {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) return IoError("cannot truncate", path_);
    return {};
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

std::string TempNameFor(const std::string& path) { return path + ".tmp-" + std::to_string(::getpid()); }

namespace {

// When the process with this id started, in seconds since the epoch; 0 when unknown.
time_t ProcessStart(pid_t pid) {
    FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r");
    if (!f) return 0;
    char buf[1024];
    size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[n] = '\0';
    const char* p = std::strrchr(buf, ')');  // the command name may hold spaces
    if (!p) return 0;
    unsigned long long ticks = 0;
    // After the name: state is field 3, the start time field 22.
    for (int field = 2; field < 22 && p; ++field) p = std::strchr(p + 1, ' ');
    if (!p || std::sscanf(p + 1, "%llu", &ticks) != 1) return 0;
    f = std::fopen("/proc/stat", "r");
    if (!f) return 0;
    unsigned long long boot = 0;
    char line[256];
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "btime %llu", &boot) == 1) break;
    std::fclose(f);
    long hz = ::sysconf(_SC_CLK_TCK);
    if (!boot || hz <= 0) return 0;
    return static_cast<time_t>(boot + ticks / static_cast<unsigned long long>(hz));
}

}  // namespace

void RemoveStaleTempFiles(const std::string& path) {
    std::string folder = FolderOf(path);
    std::string prefix = path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1) + ".tmp-";
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        if (name.size() <= prefix.size() || name.size() > prefix.size() + 10 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        std::string digits = name.substr(prefix.size());
        if (digits.find_first_not_of("0123456789") != std::string::npos || digits[0] == '0') continue;
        long long id = std::stoll(digits);
        if (id > INT32_MAX || id == ::getpid()) continue;
        std::string full = folder + "/" + name;
        struct stat st{};
        if (::lstat(full.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        pid_t pid = static_cast<pid_t>(id);
        bool running = ::kill(pid, 0) == 0 || errno == EPERM;
        // A process started after the file was last written cannot have made it: its
        // id was reused.
        time_t started = running ? ProcessStart(pid) : 0;
        if (running && !(started && started > st.st_mtime + 1)) continue;
        ::unlink(full.c_str());
    }
    ::closedir(dir);
}

Status WriteFileAtomically(const std::string& path, std::string_view bytes) {
    if (Status s = WithinSizeLimit(bytes.size(), path); !s) return s;
    SizeSignalHold hold;
    std::string tmp = TempNameFor(path);
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
