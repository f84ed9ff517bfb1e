// The one way the program puts a file on disk: the bytes go into a temporary file beside
// the target, which is flushed to disk and renamed over the target, and the folder is
// flushed too, so that a failure or a crash never leaves the file half written. Documents,
// recovery copies, PDF files and the settings file are all written through it.
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace verlo::files {

// Called before a file is written in place (below); it keeps the new text elsewhere
// (a recovery copy) and answers false when it could not, which stops the save before the
// file is touched.
using BeforeWritingInPlace = std::function<bool()>;

// What went wrong, for the caller's message.
enum class WriteFailure {
    None,
    NotWritten,     // the file is as it was
    PartlyWritten,  // written in place and failed on the way: the file may hold a mixture
};

// A file that takes the place of the one at a path when committed, written a piece at a
// time (so that a large file is never held whole), with these guarantees:
// - A symbolic link is written through to the file it points at (the link stays).
// - An existing file keeps its permission bits (and, where allowed, its owner and group); a
//   new file gets Options::newFileMode, or the usual permissions for new files. A file without
//   write permission is not replaced, also for the superuser when no write bit is set at all.
// - Until commit() succeeds the old file is whole; a file not committed (a failure, a
//   cancel, the object's end, an exception on the way) leaves no temporary file behind.
// - Temporary files that a killed save left beside the target are removed at open() (those
//   of a save still running in another process stay).
//
// Only where the caller asks for it (Options::beforeInPlace) is a file written in place,
// where a rename cannot serve: a file with other hard links (a rename would part it from
// them) and a writable file in a folder where no temporary file can be made. The pieces are
// then gathered, beforeInPlace() is called, space for a longer text is reserved where the
// file system allows (so a full disk usually stops the save before the file is touched),
// and the file is overwritten. Without it, a hard-linked file is replaced (the other names
// keep the old bytes) and a folder without room for a temporary file fails the write.
class ReplacingFile {
public:
    struct Options {
        BeforeWritingInPlace beforeInPlace;
        std::optional<unsigned> newFileMode;  // permission bits of a file made new
    };

    explicit ReplacingFile(const QString& path, Options options = {});
    explicit ReplacingFile(std::string nativePath, Options options = {});
    ~ReplacingFile();  // cancels what was not committed
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Starts the write; false when the file cannot be replaced (nothing was touched).
    bool open();
    // Appends bytes; false once a write failed (the rest is then ignored).
    bool write(std::string_view bytes);
    // Puts the bytes written in the target's place; false when that failed (failure() says
    // whether the old file is still whole).
    bool commit();
    // Drops what was written; the target stays as it was.
    void cancel();

    WriteFailure failure() const { return failure_; }

private:
    bool writeOut(std::string_view bytes);
    bool flushBuffer();

    std::string path_;    // as given
    std::string target_;  // the file itself, links followed
    Options options_;
    bool exists_ = false;
    unsigned oldMode_ = 0;
    unsigned oldUid_ = 0;
    unsigned oldGid_ = 0;
    bool inPlace_ = false;
    bool failed_ = false;
    int fd_ = -1;
    std::string temp_;
    std::string buffer_;  // small writes gathered; in place, everything
    long long written_ = 0;
    long long handed_ = 0;  // bytes handed to the disk so far
    WriteFailure failure_ = WriteFailure::NotWritten;
};

// Removes the temporary files a killed save of `path` left beside it: those whose writer
// has ended. Nothing happens to the temporary file of a save still running (in this or
// another process).
void removeLeftoverTemporaries(const QString& path);
void removeLeftoverTemporaries(const std::string& nativePath);

// Makes a rename or a removal in the folder durable (fsync of the folder).
void syncFolder(const std::string& nativeFolder);

// Makes the file at nativePath (mode 0600) and locks it (flock) before it appears under
// that name: it is made and locked as "<path>-new" and then renamed, so whoever sees the
// name finds it locked from its first moment. The open descriptor, which holds the lock,
// or -1.
int createLockedFile(const std::string& nativePath);

}  // namespace verlo::files
