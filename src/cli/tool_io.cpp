#include "cli/tool_io.h"

#include <cerrno>
#include <unistd.h>

#include "cipher/wipe.h"

namespace verlo::cli {

void say(std::string_view message, bool bare) {
    std::string line = bare ? "" : "verlo: ";
    line += message;
    line += '\n';
    writeAll(STDERR_FILENO, line);
}

void say(const QString& message, bool bare) { say(message.toUtf8().toStdString(), bare); }

bool writeAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<files::ReadText> readDocument(const std::string& path, files::FileKind kind, int* error) {
    std::optional<std::string> bytes = files::readNativeFile(path, kind, error);
    if (!bytes) return std::nullopt;
    std::optional<files::ReadText> read = files::openText(*bytes, files::TextFormat{});
    cipher::secureFill(bytes->data(), bytes->size(), 0);
    return read;
}

}  // namespace verlo::cli
