// Reading and writing whole files as bytes, with nothing of the window system (the
// command-line tool uses it too). The callers turn a failure into their own
// message ("ファイル %s は開けません", "ファイル %s を作成できません").
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "files/replacing_file.h"

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

// Replaces the file at `path` with `bytes` through ReplacingFile (see there for the
// guarantees): a failure never leaves it half written. Given beforeInPlace, a file that
// a rename cannot serve is written in place after beforeInPlace() kept the text elsewhere.
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

}  // namespace verlo::files
