#include "files/replacing_file.h"

#include <QFile>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace verlo::files {

namespace {

constexpr std::size_t kStep = std::size_t{1} << 20;     // handed to the disk at a time
constexpr std::size_t kBuffer = std::size_t{64} << 10;  // smaller writes are gathered up to this

std::string dirName(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string baseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows a chain of symbolic links to the path of the file itself (which may not exist
// yet, for a dangling link). Nothing for a loop.
std::optional<std::string> resolveLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0)
            return std::nullopt;
        target.resize(static_cast<std::size_t>(n));
        path = target.front() == '/' ? target : dirName(path) + "/" + target;
    }
    return std::nullopt;
}

// The permission bits a new file gets from the process's file-creation mask.
mode_t newFileMode() {
    mode_t mask = 022;
    if (FILE* f = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, f)) {
            unsigned value = 0;
            if (std::sscanf(line, "Umask: %o", &value) == 1) {
                mask = static_cast<mode_t>(value);
                break;
            }
        }
        std::fclose(f);
    }
    return 0666 & ~mask;
}

bool mayReplace(const std::string& path, const struct stat& st) {
    if (::geteuid() == 0)
        return (st.st_mode & 0222) != 0;
    return ::access(path.c_str(), W_OK) == 0;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool pwriteAll(int fd, std::string_view bytes) {
    off_t at = 0;
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), at);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
        at += n;
    }
    return true;
}

// Temporary files of a save are named ".<name>.verlo-<pid>-XXXXXX" beside the target and
// locked (flock) by their writer while it writes, so a leftover is told from a live one:
// its writer's process is gone, and nobody holds its lock.
std::string temporaryPrefix(const std::string& target) {
    std::string prefix = ".";  // appended piece by piece: "." + std::string draws a false warning from GCC 12
    prefix += baseName(target);
    prefix += ".verlo-";
    return prefix;
}

bool processRuns(long pid) { return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM); }

void removeLeftovers(const std::string& target) {
    const std::string dir = dirName(target);
    const std::string prefix = temporaryPrefix(target);
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        char* end = nullptr;
        const long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
        if (end == name.c_str() + prefix.size() || *end != '-' || std::string_view(end + 1).size() != 6)
            continue;
        // Another process's file just made may not be locked yet: it stays while that process runs.
        if (pid != static_cast<long>(::getpid()) && processRuns(pid))
            continue;
        const std::string path = dir + "/" + name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(d);
}

// Writes bytes over the file itself (its inode, its links and its folder entry stay).
bool writeInPlace(const std::string& target, std::string_view bytes, const BeforeWritingInPlace& beforeInPlace,
                  WriteFailure& failure) {
    if (!beforeInPlace())
        return false;
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    // Reserve the blocks beyond the old end without changing the file; a file system that
    // cannot reserve gets the bytes anyway.
    if (ok && static_cast<off_t>(bytes.size()) > st.st_size &&
        ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes.size())) != 0 && errno != EOPNOTSUPP &&
        errno != ENOSYS)
        ok = false;
    if (!ok) {
        ::close(fd);
        return false;
    }
    failure = WriteFailure::PartlyWritten;
    ok = pwriteAll(fd, bytes) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok)
        failure = WriteFailure::None;
    return ok;
}

}  // namespace

ReplacingFile::ReplacingFile(const QString& path, Options options)
    : ReplacingFile(QFile::encodeName(path).toStdString(), std::move(options)) {}

ReplacingFile::ReplacingFile(std::string nativePath, Options options)
    : path_(std::move(nativePath)), options_(std::move(options)) {}

ReplacingFile::~ReplacingFile() { cancel(); }

bool ReplacingFile::open() {
    failure_ = WriteFailure::NotWritten;
    if (path_.empty() || fd_ >= 0 || inPlace_)
        return false;
    const auto resolved = resolveLinks(path_);
    if (!resolved)
        return false;
    target_ = *resolved;

    struct stat old {};
    exists_ = ::stat(target_.c_str(), &old) == 0;
    if (exists_ && (!S_ISREG(old.st_mode) || !mayReplace(target_, old)))
        return false;
    oldMode_ = old.st_mode & 07777;
    oldUid_ = old.st_uid;
    oldGid_ = old.st_gid;
    removeLeftovers(target_);
    failed_ = false;
    written_ = handed_ = 0;
    buffer_.clear();
    if (exists_ && old.st_nlink > 1 && options_.beforeInPlace) {
        inPlace_ = true;
        return true;
    }
    std::string temp = dirName(target_) + "/" + temporaryPrefix(target_) + std::to_string(::getpid()) + "-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        inPlace_ = exists_ && (errno == EACCES || errno == EPERM) && options_.beforeInPlace;
        return inPlace_;
    }
    ::flock(fd, LOCK_EX);  // held while writing: see removeLeftovers
    fd_ = fd;
    temp_ = std::move(temp);
    return true;
}

bool ReplacingFile::writeOut(std::string_view bytes) {
    // Each megabyte is handed to the disk as soon as it is written, so that the disk works
    // while the rest is copied or made, and fsync waits only for the last of it.
    for (std::size_t at = 0; at < bytes.size(); at += kStep) {
        const std::string_view step = bytes.substr(at, kStep);
        if (!writeAll(fd_, step))
            return false;
        written_ += static_cast<long long>(step.size());
        if (written_ - handed_ >= static_cast<long long>(kStep)) {
            ::sync_file_range(fd_, handed_, written_ - handed_, SYNC_FILE_RANGE_WRITE);  // a hint
            handed_ = written_;
        }
    }
    return true;
}

bool ReplacingFile::flushBuffer() {
    const bool ok = writeOut(buffer_);
    buffer_.clear();
    return ok;
}

bool ReplacingFile::write(std::string_view bytes) {
    if (failed_ || (fd_ < 0 && !inPlace_))
        return false;
    if (inPlace_ || buffer_.size() + bytes.size() < kBuffer) {
        buffer_ += bytes;
        return true;
    }
    bool ok = flushBuffer();
    if (ok && bytes.size() >= kBuffer)
        ok = writeOut(bytes);
    else if (ok)
        buffer_ += bytes;
    failed_ = !ok;
    return ok;
}

bool ReplacingFile::commit() {
    if (inPlace_) {
        const std::string bytes = std::move(buffer_);
        inPlace_ = false;
        buffer_.clear();
        return !failed_ && writeInPlace(target_, bytes, options_.beforeInPlace, failure_);
    }
    if (fd_ < 0)
        return false;
    bool ok = !failed_ && flushBuffer() && ::fsync(fd_) == 0;
    if (ok) {
        ok = ::fchmod(fd_, exists_ ? oldMode_ : options_.newFileMode.value_or(newFileMode())) == 0;
        if (ok && exists_ && ::fchown(fd_, oldUid_, oldGid_) != 0) {
            // Only the superuser may give a file away: otherwise it stays ours.
        }
    }
    ok = (::close(fd_) == 0) && ok;
    fd_ = -1;
    // From here to the rename the file is unlocked; our process still runs, which keeps
    // another process's removeLeftovers away from it.
    if (ok)
        ok = ::rename(temp_.c_str(), target_.c_str()) == 0;
    if (!ok) {
        ::unlink(temp_.c_str());
        temp_.clear();
        return false;
    }
    temp_.clear();
    failure_ = WriteFailure::None;
    // Make the rename itself durable; a failure here no longer risks the text.
    syncFolder(dirName(target_));
    return true;
}

void ReplacingFile::cancel() {
    inPlace_ = false;
    buffer_.clear();
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

void removeLeftoverTemporaries(const QString& path) { removeLeftoverTemporaries(QFile::encodeName(path).toStdString()); }

void removeLeftoverTemporaries(const std::string& nativePath) {
    if (const auto resolved = resolveLinks(nativePath))
        removeLeftovers(*resolved);
}

void syncFolder(const std::string& nativeFolder) {
    const int fd = ::open(nativeFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

int createLockedFile(const std::string& nativePath) {
    const std::string fresh = nativePath + "-new";
    const int fd = ::open(fresh.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::rename(fresh.c_str(), nativePath.c_str()) != 0) {
        ::unlink(fresh.c_str());
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace verlo::files
