// Reading and writing whole files as bytes, with nothing of the window system (the
// command-line tool uses it too). The callers turn a failure into their own
// message ("ファイル %s は開けません", "ファイル %s を作成できません").
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace verlo::files {

// Reads fd to its end, appending to out; false with errno set on failure.
bool readAll(int fd, std::string& out);

enum class FileKind { Regular, Any };

// The bytes of the file at a native path (symbolic links followed). FileKind::Regular
// refuses anything but a regular file (a folder, a pipe); FileKind::Any reads a pipe or a
// device to its end too. On failure, nothing, with the errno value in *error when given.
std::optional<std::string> readNativeFile(const std::string& path, FileKind kind, int* error = nullptr);

// The bytes of a regular file (symbolic links followed); nothing when the file is
// missing, is not a regular file (a folder, a pipe) or cannot be read.
std::optional<std::string> readWholeFile(const QString& path);

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

// Replaces the file at `path` with `bytes` so that a failure never leaves it half written:
// the bytes go into a temporary file beside the target, which is flushed to disk and then
// renamed over the target. A symbolic link is written through to the file it points at
// (the link stays); an existing file keeps its permission bits (and, where allowed, its
// owner and group); a new file gets the usual permissions for new files. A file without
// write permission is not replaced, also for the superuser when no write bit is set at
// all. On failure the old file is left as it was, the temporary file is removed, and the
// result is false.
//
// Where a rename cannot serve, the file is written in place instead, after
// beforeInPlace() kept the text elsewhere: a file with other hard links (a rename would
// part it from them) and a writable file in a folder where no temporary file can be
// made. Space for a longer text is reserved first where the file system allows, so a full
// disk usually stops the save before the file is touched. Without beforeInPlace such a
// file is written in place all the same (for files the program can write again).
//
// Temporary files that a killed save left beside the target are removed first (those of
// a save still running in another process stay).
bool writeFileReplacing(const QString& path, std::string_view bytes, const BeforeWritingInPlace& beforeInPlace = {},
                        WriteFailure* failure = nullptr);

// Bytes made a piece at a time as they are written: the source hands each piece, in order, to
// the function it is given, and stops and answers false when that answers false (a failed
// write). A source may run a thread of its own; put is called on the caller's thread.
using BytePieces = std::function<bool(const std::function<bool(std::string_view piece)>& put)>;

// writeFileReplacing for bytes made as they are written, so that a large file is never held
// whole: the same guarantees. Where the file is written in place, the pieces are gathered first.
bool writeFileReplacing(const QString& path, const BytePieces& pieces, const BeforeWritingInPlace& beforeInPlace = {},
                        WriteFailure* failure = nullptr);

// Removes the temporary files a killed save of `path` left beside it: those whose writer
// has ended. Nothing happens to the temporary file of a save still running (in this or
// another process).
void removeLeftoverTemporaries(const QString& path);

}  // namespace verlo::files
