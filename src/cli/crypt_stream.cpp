#include "cli/crypt_stream.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cipher/text_cipher_stream.h"
#include "cipher/wipe.h"
#include "cli/tool_io.h"
#include "files/text_file.h"
#include "files/text_stream.h"

namespace verlo::cli {

namespace {

// A file of our own that disappears when closed, for the spool.
int openSpool() {
    const char* dir = std::getenv("TMPDIR");
    const std::string folder = dir && *dir ? dir : "/tmp";
    int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
    std::string name = folder + "/verlo-spool-XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) ::unlink(name.c_str());
    return fd;
}

void wipe(std::string& s) { cipher::secureFill(s.data(), s.size(), 0); }

// Output gathered and written a quarter megabyte at a time.
constexpr std::size_t kWriteAt = 256 * 1024;

}  // namespace

// ---- Input

Input::~Input() {
    wipe(buffer_);
    if (ownFd_ && fd_ >= 0) ::close(fd_);
    if (spool_ >= 0) ::close(spool_);
}

bool Input::readError(std::string& error) const {
    error = (name_.empty() ? std::string("標準入力を読めません: ") : "「" + name_ + "」を読めません: ") +
            std::strerror(errno);
    return false;
}

bool Input::open(const std::optional<std::string>& path, std::string& error) {
    if (path) {
        name_ = *path;
        fd_ = ::open(path->c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) return readError(error);
        ownFd_ = true;
    } else {
        fd_ = STDIN_FILENO;
    }
    struct stat st{};
    if (::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) start_ = ::lseek(fd_, 0, SEEK_CUR);
    if (start_ < 0) {
        spool_ = openSpool();
        if (spool_ < 0) {
            error = std::string("一時ファイルを作れません: ") + std::strerror(errno);
            return false;
        }
        scratchKey_.emplace();
        scratch_.emplace(*scratchKey_);
    }
    return true;
}

bool Input::next(std::string& piece, std::string& error, std::size_t size) {
    touched_ = true;
    piece.resize(size);
    const int from = fromSpool_ ? spool_ : fd_;
    // Filled up to the end of the input: a pipe gives a little at a time.
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(from, piece.data() + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            piece.clear();
            return readError(error);
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    piece.resize(got);
    if (start_ >= 0 || piece.empty()) return true;
    if (fromSpool_) {
        scratch_->apply(piece.data(), piece.size());
        return true;
    }
    buffer_.assign(piece);
    scratch_->apply(buffer_.data(), buffer_.size());
    if (!writeAll(spool_, buffer_)) {
        error = std::string("一時ファイルに書けません: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool Input::rewind(std::string& error) {
    if (!touched_) return true;
    if (start_ >= 0) {
        if (::lseek(fd_, start_, SEEK_SET) >= 0) return true;
        return readError(error);
    }
    if (!fromSpool_) {
        std::string rest;
        do {
            if (!next(rest, error)) return false;
        } while (!rest.empty());
        fromSpool_ = true;
    }
    if (::lseek(spool_, 0, SEEK_SET) < 0) return readError(error);
    scratch_.emplace(*scratchKey_);
    return true;
}

// ---- Output

Output::Output() {
    struct stat st{};
    if (::fstat(STDOUT_FILENO, &st) != 0 || !S_ISREG(st.st_mode)) return;
    const int flags = ::fcntl(STDOUT_FILENO, F_GETFL);
    start_ = flags >= 0 && (flags & O_APPEND) ? st.st_size : ::lseek(STDOUT_FILENO, 0, SEEK_CUR);
}

bool Output::write(std::string_view bytes) { return writeAll(STDOUT_FILENO, bytes); }

void Output::takeBack() {
    if (start_ < 0) return;
    if (::ftruncate(STDOUT_FILENO, start_) == 0) ::lseek(STDOUT_FILENO, start_, SEEK_SET);
}

// ---- the passes

namespace {

// Every piece of the input (of at most size bytes) through add, from the start.
template <class Add>
bool eachPiece(Input& input, std::string& error, Add&& add, std::size_t size = Input::kPiece) {
    if (!input.rewind(error)) return false;
    std::string piece;
    for (;;) {
        if (!input.next(piece, error, size)) return false;
        if (piece.empty()) break;
        if (!add(std::string_view(piece))) break;
    }
    wipe(piece);
    return true;
}

CryptResult failed(CryptResult::Kind kind, std::string message) {
    CryptResult r;
    r.kind = kind;
    r.message = std::move(message);
    return r;
}

}  // namespace

CryptResult encryptInput(Input& input, std::string_view keyBytes, Output& out) {
    std::string error;
    // The encoding, as the editor finds it (often from the first piece).
    files::EncodingScan scan(files::TextFormat{}.encoding);
    if (!eachPiece(input, error, [&](std::string_view piece) {
            scan.add(piece);
            return !scan.decided();
        }))
        return failed(CryptResult::ReadFailed, error);
    const files::Encoding encoding = scan.finish();

    // The check the encrypted form starts with, and whether every character can be encrypted.
    cipher::PlainTextDigest digest;
    files::CodePageStream check(encoding, [&](std::string_view plain) { digest.add(plain); });
    if (!eachPiece(input, error, [&](std::string_view piece) {
            check.add(piece);
            return true;
        }))
        return failed(CryptResult::ReadFailed, error);
    check.finish();
    if (!check.refused().empty()) {
        CryptResult r;
        r.kind = CryptResult::Refused;
        r.refused = check.refused();
        return r;
    }

    cipher::TextEncryptor encryptor(keyBytes, digest.finish());
    std::string text;
    bool written = true;
    files::CodePageStream plain(encoding, [&](std::string_view bytes) {
        encryptor.add(bytes, text);
        if (text.size() >= kWriteAt && written) {
            written = out.write(text);
            text.clear();
        }
    });
    if (!eachPiece(input, error, [&](std::string_view piece) {
            plain.add(piece);
            return written;
        }))
        return failed(CryptResult::ReadFailed, error);
    plain.finish();
    encryptor.finish(text);
    if (!written || !out.write(text)) return failed(CryptResult::WriteFailed, std::strerror(errno));
    return {};
}

namespace {

// One pass of decryption, the plaintext (in the output's encoding) to sink.
CryptResult decryptPass(Input& input, std::string_view keyBytes, files::Encoding encoding,
                        const files::PieceSink& sink) {
    std::string error;
    cipher::TextDecryptor decryptor(keyBytes);
    files::TextFormat format;
    format.encoding = encoding;
    const bool convert = encoding != files::Encoding::ShiftJis;
    files::FileBytesStream file(format, sink);
    std::string plain;
    bool hopeless = false;
    if (!eachPiece(input, error, [&](std::string_view piece) {
            plain.clear();
            decryptor.add(piece, plain);
            if (decryptor.hopeless()) {
                hopeless = true;
                return false;
            }
            if (convert) file.add(plain);
            else sink(plain);
            return true;
        }, Input::kDecryptPiece))
        return failed(CryptResult::ReadFailed, error);
    wipe(plain);
    if (hopeless || !decryptor.finish()) return failed(CryptResult::WrongKey, "");
    if (convert) file.finish();
    if (!file.refused().empty()) {
        CryptResult r;
        r.kind = CryptResult::Refused;
        r.refused = file.refused();
        return r;
    }
    return {};
}

}  // namespace

CryptResult decryptInput(Input& input, std::string_view keyBytes, files::Encoding encoding, Output& out) {
    std::string text;
    bool written = true;
    auto write = [&](std::string_view bytes) {
        if (text.empty() && bytes.size() >= kWriteAt && written) {  // large enough as it is
            written = out.write(bytes);
            return;
        }
        text.append(bytes);
        if (text.size() >= kWriteAt && written) {
            written = out.write(text);
            wipe(text);
            text.clear();
        }
    };
    if (!out.canTakeBack()) {
        // Nothing may be written before the whole text has passed the check: a pass to check.
        CryptResult checked = decryptPass(input, keyBytes, encoding, [](std::string_view) {});
        if (checked.kind != CryptResult::Done) return checked;
    }
    CryptResult r = decryptPass(input, keyBytes, encoding, write);
    if (r.kind == CryptResult::Done && written) written = out.write(text);
    wipe(text);
    if (r.kind == CryptResult::Done && !written) r = failed(CryptResult::WriteFailed, std::strerror(errno));
    if (r.kind != CryptResult::Done) out.takeBack();
    return r;
}

}  // namespace verlo::cli
