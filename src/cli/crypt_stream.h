// The passes behind --encrypt and --decrypt over an input of any size, in pieces: memory
// stays bounded whatever the size. The input is read again from the start for a later pass;
// input from a pipe is kept meanwhile in a spool file, under a scratch key (never as text).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "cipher/scratch_cipher.h"
#include "files/text_format.h"

namespace verlo::cli {

class Input {
public:
    Input() = default;
    ~Input();
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;

    // The file at path, or standard input when path is nullopt; false with a message in error.
    bool open(const std::optional<std::string>& path, std::string& error);
    // The next piece, of at most size bytes, into piece (empty at the end); false with a
    // message in error.
    bool next(std::string& piece, std::string& error, std::size_t size = kPiece);
    // Back to the start of the input.
    bool rewind(std::string& error);

    static constexpr std::size_t kPiece = 256 * 1024;
    // Decryption reads larger pieces: the cipher decrypts a piece of this on two threads.
    static constexpr std::size_t kDecryptPiece = 1024 * 1024;

private:
    bool readError(std::string& error) const;

    std::string name_;  // for messages: the path, or empty for standard input
    int fd_ = -1;
    bool ownFd_ = false;
    long long start_ = -1;  // where a seekable input starts; -1 when it is spooled
    int spool_ = -1;
    bool fromSpool_ = false;
    bool touched_ = false;  // read from since opened
    std::optional<cipher::ScratchKey> scratchKey_;
    std::optional<cipher::ScratchStream> scratch_;
    std::string buffer_;
};

// Standard output; when it is a regular file, what was written can be taken back.
class Output {
public:
    Output();
    bool canTakeBack() const { return start_ >= 0; }
    bool write(std::string_view bytes);
    void takeBack();

private:
    long long start_ = -1;
};

struct CryptResult {
    enum Kind { Done, Refused, WrongKey, ReadFailed, WriteFailed } kind = Done;
    std::u32string refused;  // Refused: the characters
    std::string message;     // ReadFailed, WriteFailed
};

// The encrypted text form of the input read as the editor opens it (its encoding found, the
// CP932 form encrypted), written to out.
CryptResult encryptInput(Input& input, std::string_view keyBytes, Output& out);

// The decrypted text of the input, in CP932 or written as a file in encoding. Nothing stays
// written unless the whole text passes the check.
CryptResult decryptInput(Input& input, std::string_view keyBytes, files::Encoding encoding, Output& out);

}  // namespace verlo::cli
