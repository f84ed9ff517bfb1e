#include "files/file_io.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace verlo::files {

namespace {

std::string nativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

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

bool writeFileReplacing(const QString& path, std::string_view bytes, const BeforeWritingInPlace& beforeInPlace,
                        WriteFailure* failure) {
    return writeFileReplacing(path, BytePieces([bytes](const auto& put) { return put(bytes); }), beforeInPlace, failure);
}

bool writeFileReplacing(const QString& path, const BytePieces& pieces, const BeforeWritingInPlace& beforeInPlace,
                        WriteFailure* failure) {
    ReplacingFile file(path, {beforeInPlace, std::nullopt});
    const bool ok = file.open() && pieces([&file](std::string_view piece) { return file.write(piece); }) && file.commit();
    if (failure)
        *failure = file.failure();
    return ok;
}

}  // namespace verlo::files
