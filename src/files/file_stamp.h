// What a file on disk is at a moment, as far as telling another program's change goes: the
// file itself (device and inode: a file replaced by a rename is another), its size and its
// modification time to the nanosecond. Any difference is a change; time alone is not trusted.
#pragma once

#include <QString>
#include <cstdint>

namespace verlo::files {

struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
};

// The file at path now (symbolic links followed); exists is false when there is none.
FileStamp stampOf(const QString& path);

}  // namespace verlo::files
