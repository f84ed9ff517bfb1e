#include "files/file_io.h"

#include <QFile>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace verlo::files {

namespace {

std::string nativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

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
                  WriteFailure* failure) {
    if (beforeInPlace && !beforeInPlace())
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
    if (failure)
        *failure = WriteFailure::PartlyWritten;
    ok = pwriteAll(fd, bytes) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && failure)
        *failure = WriteFailure::None;
    return ok;
}

}  // namespace

bool readAll(int fd, std::string& out) {
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

std::optional<std::string> readNativeFile(const std::string& path, FileKind kind, int* error) {
    int failure = 0;
    std::optional<std::string> result;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        failure = errno;
    } else {
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            failure = errno;
        } else if (kind == FileKind::Regular && !S_ISREG(st.st_mode)) {
            failure = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        } else {
            std::string bytes;
            if (S_ISREG(st.st_mode))
                bytes.reserve(static_cast<std::size_t>(st.st_size));
            if (readAll(fd, bytes))
                result = std::move(bytes);
            else
                failure = errno;
        }
        ::close(fd);
    }
    if (error)
        *error = result ? 0 : failure;
    return result;
}

std::optional<std::string> readWholeFile(const QString& path) {
    return readNativeFile(nativePath(path), FileKind::Regular, nullptr);
}

void removeLeftoverTemporaries(const QString& path) {
    if (const auto resolved = resolveLinks(nativePath(path)))
        removeLeftovers(*resolved);
}

bool writeFileReplacing(const QString& path, std::string_view bytes, const BeforeWritingInPlace& beforeInPlace,
                        WriteFailure* failure) {
    return writeFileReplacing(path, BytePieces([bytes](const auto& put) { return put(bytes); }), beforeInPlace, failure);
}

bool writeFileReplacing(const QString& path, const BytePieces& pieces, const BeforeWritingInPlace& beforeInPlace,
                        WriteFailure* failure) {
    if (failure)
        *failure = WriteFailure::NotWritten;
    if (path.isEmpty())
        return false;
    const auto resolved = resolveLinks(nativePath(path));
    if (!resolved)
        return false;
    const std::string& target = *resolved;

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && (!S_ISREG(old.st_mode) || !mayReplace(target, old)))
        return false;
    removeLeftovers(target);
    // In place, the file's new size is reserved before it is touched: the bytes are needed whole.
    const auto inPlace = [&] {
        std::string bytes;
        const bool made = pieces([&](std::string_view piece) {
            bytes += piece;
            return true;
        });
        return made && writeInPlace(target, bytes, beforeInPlace, failure);
    };
    if (exists && old.st_nlink > 1)
        return inPlace();

    const std::string dir = dirName(target);
    std::string temp = dir + "/" + temporaryPrefix(target) + std::to_string(::getpid()) + "-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        if (exists && (errno == EACCES || errno == EPERM))
            return inPlace();
        return false;
    }
    ::flock(fd, LOCK_EX);  // held while writing: see removeLeftovers

    bool ok = false;
    try {
        // Each megabyte is handed to the disk as soon as it is written, so that the disk works
        // while the rest is copied or made, and fsync waits only for the last of it.
        off_t written = 0;
        off_t handed = 0;  // to the disk
        ok = pieces([fd, &written, &handed](std::string_view piece) {
                 constexpr std::size_t kStep = std::size_t{1} << 20;
                 for (std::size_t at = 0; at < piece.size(); at += kStep) {
                     const std::string_view step = piece.substr(at, kStep);
                     if (!writeAll(fd, step)) return false;
                     written += static_cast<off_t>(step.size());
                     if (written - handed >= static_cast<off_t>(kStep)) {
                         ::sync_file_range(fd, handed, written - handed, SYNC_FILE_RANGE_WRITE);  // a hint
                         handed = written;
                     }
                 }
                 return true;
             }) &&
             ::fsync(fd) == 0;
    } catch (...) {  // the bytes could not be made (no memory): nothing is left behind
        ::close(fd);
        ::unlink(temp.c_str());
        throw;
    }
    if (ok) {
        ok = ::fchmod(fd, exists ? (old.st_mode & 07777) : newFileMode()) == 0;
        if (ok && exists && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Only the superuser may give a file away: otherwise it stays ours.
        }
    }
    ok = (::close(fd) == 0) && ok;
    // From here to the rename the file is unlocked; our process still runs, which keeps
    // another process's removeLeftovers away from it.
    if (ok)
        ok = ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    if (failure)
        *failure = WriteFailure::None;
    // Make the rename itself durable; a failure here no longer risks the text.
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

}  // namespace verlo::files
