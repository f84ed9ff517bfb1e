// What every windowless command shares: the exit statuses, the lines on standard error, the
// writes that go through interruptions, and a file read as the editor opens it.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "files/file_io.h"
#include "files/text_file.h"

namespace verlo::cli {

// 0 done; 1 the work could not be done (a text that does not decrypt with the key, a PDF that
// could not be made); 2 a command line that is not valid, and for the cipher commands
// anything else that stopped them.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitTrouble = 2;

// A line on standard error: "verlo: " and the message, or the message alone when bare.
void say(std::string_view message, bool bare = false);
void say(const QString& message, bool bare = false);
inline void say(const char* message, bool bare = false) { say(std::string_view(message), bare); }

// All of bytes to fd (through interruptions); false on an error (errno tells).
bool writeAll(int fd, std::string_view bytes);

// The file at a native path read as the editor opens it: its encoding found, every character
// kept. The file's own bytes are cleared once converted (a key file is read this way too).
// Nothing when it cannot be read (kind as files::readNativeFile takes it), with the errno
// value in *error when given.
std::optional<files::ReadText> readDocument(const std::string& path, files::FileKind kind, int* error = nullptr);

}  // namespace verlo::cli
