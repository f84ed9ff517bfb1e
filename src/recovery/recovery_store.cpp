#include "recovery/recovery_store.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/file_io.h"
#include "files/replacing_file.h"

namespace verlo::recovery {
namespace {

bool endsWith(const std::string& s, std::string_view suffix) {
    return s.size() > suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool makeFolders(const std::string& path) {
    for (std::size_t slash = 1; slash != std::string::npos;) {
        slash = path.find('/', slash + 1);
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

std::string newId() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(now).count()) + "-" +
           std::to_string(::getpid());
}

}  // namespace

RecoveryStore::RecoveryStore(std::string folder) : folder_(std::move(folder)), id_(newId()) {}

RecoveryStore::~RecoveryStore() {
    for (const auto& [id, fd] : adopted_) ::close(fd);
    if (lockFd_ < 0) return;
    if (!hasCopy_) ::unlink((folder_ + "/" + id_ + ".lock").c_str());
    ::close(lockFd_);
}

bool RecoveryStore::openLocked() {
    if (lockFd_ >= 0) return true;
    if (!makeFolders(folder_)) return false;
    // Every "<id>.lock" that another instance sees is locked from its first moment.
    const int fd = files::createLockedFile(folder_ + "/" + id_ + ".lock");
    if (fd < 0) return false;
    lockFd_ = fd;
    return true;
}

bool RecoveryStore::write(const RecoveryCopy& copy, std::uint64_t revision) {
    std::lock_guard lock(mutex_);
    if (revision < written_ || revision <= discarded_) return true;  // overtaken: nothing to do
    if (!openLocked()) return false;
    files::ReplacingFile file(copyPath(), {{}, 0600});
    if (!file.open() || !file.write(copyHeader(copy)) || !file.write(copy.text) || !file.commit()) return false;
    hasCopy_ = true;
    written_ = revision;
    return true;
}

void RecoveryStore::discard(std::uint64_t revision) {
    std::lock_guard lock(mutex_);
    discarded_ = std::max(discarded_, revision);
    if (!hasCopy_) return;
    ::unlink(copyPath().c_str());
    hasCopy_ = false;
}

bool RecoveryStore::hasCopy() const {
    std::lock_guard lock(mutex_);
    return hasCopy_;
}

std::vector<Orphan> RecoveryStore::adoptOrphans() {
    std::vector<Orphan> found;
    DIR* dir = ::opendir(folder_.c_str());
    if (!dir) return found;
    std::vector<std::string> ids;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (endsWith(name, ".copy")) ids.push_back(name.substr(0, name.size() - 5));
        else if (endsWith(name, ".lock")) ids.push_back(name.substr(0, name.size() - 5));
    }
    ::closedir(dir);
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    for (const std::string& id : ids) {
        if (id == id_ || adopted_.count(id)) continue;
        const std::string lockPath = folder_ + "/" + id + ".lock";
        const int fd = ::open(lockPath.c_str(), O_CREAT | O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {  // its instance runs (or another start holds it)
            ::close(fd);
            continue;
        }
        const std::string copyFile = folder_ + "/" + id + ".copy";
        files::removeLeftoverTemporaries(copyFile);  // a write it did not finish
        ::unlink((copyFile + "-new").c_str());       // the same, as earlier versions named it
        std::optional<RecoveryCopy> copy;
        if (const auto bytes = files::readNativeFile(copyFile, files::FileKind::Regular)) copy = parseCopy(*bytes);
        struct stat st {};
        if (!copy && ::lstat(copyFile.c_str(), &st) != 0) {
            ::unlink(lockPath.c_str());  // ended cleanly or its copy is gone: nothing to offer
            ::close(fd);
            continue;
        }
        if (!copy) {  // not a copy this program can read: left as it is
            ::close(fd);
            continue;
        }
        adopted_[id] = fd;
        found.push_back({id, std::move(*copy)});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Orphan& a, const Orphan& b) { return a.copy.written < b.copy.written; });
    return found;
}

void RecoveryStore::releaseOrphan(const std::string& id) {
    const auto it = adopted_.find(id);
    if (it == adopted_.end()) return;
    ::close(it->second);
    adopted_.erase(it);
}

void RecoveryStore::removeOrphan(const std::string& id) {
    const auto it = adopted_.find(id);
    if (it == adopted_.end()) return;
    ::unlink((folder_ + "/" + id + ".copy").c_str());
    ::unlink((folder_ + "/" + id + ".lock").c_str());
    files::syncFolder(folder_);
    ::close(it->second);
    adopted_.erase(it);
}

}  // namespace verlo::recovery
