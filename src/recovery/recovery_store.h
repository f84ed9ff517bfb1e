// The folder of recovery copies, shared by every running instance of the program. Each
// instance has an id, a lock file "<id>.lock" that it holds (flock) while it runs, and at
// most one copy "<id>.copy" of its unsaved text. A copy whose lock nobody holds belongs to
// an instance that ended without removing it (a crash, a kill, a power cut, a session
// that ended with the text unsaved): that is an orphan, which the next start offers.
// Copies are written whole (through files::ReplacingFile, readable by the user alone), so
// a copy is always one complete text.
//
// write() and discard() may be called from any thread; the rest from one.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "recovery/recovery_copy.h"

namespace verlo::recovery {

struct Orphan {
    std::string id;
    RecoveryCopy copy;
};

class RecoveryStore {
public:
    // Nothing is made on disk until the first write.
    explicit RecoveryStore(std::string folder);
    // A clean end: the lock file goes when no copy is left; a copy stays for the next start.
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    const std::string& folder() const { return folder_; }
    const std::string& id() const { return id_; }

    // Writes this instance's copy, unless a later revision was written already or this
    // revision was discarded (revisions count the document's changes, from 1). False when
    // it could not be written.
    bool write(const RecoveryCopy& copy, std::uint64_t revision);
    // Removes this instance's copy; a write of this revision or an earlier one that is
    // still on its way is dropped.
    void discard(std::uint64_t revision);
    bool hasCopy() const;
    std::string copyPath() const { return folder_ + "/" + id_ + ".copy"; }

    // The copies of instances that have ended, oldest first, each held (locked) by this
    // instance until released or removed, so that no other instance offers it meanwhile.
    // Files that are no whole copy are left alone.
    std::vector<Orphan> adoptOrphans();
    void releaseOrphan(const std::string& id);  // left for a later start
    void removeOrphan(const std::string& id);   // gone for good

private:
    bool openLocked();  // makes the folder and takes this instance's lock; with mutex_ held

    std::string folder_;
    std::string id_;
    mutable std::mutex mutex_;
    int lockFd_ = -1;
    bool hasCopy_ = false;
    std::uint64_t written_ = 0;    // the latest revision written
    std::uint64_t discarded_ = 0;  // the latest revision discarded
    std::map<std::string, int> adopted_;  // id -> its lock, held
};

}  // namespace verlo::recovery
